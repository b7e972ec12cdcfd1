#include "benchbank.h"

#include "bankbuilder.h"

#include <QDir>
#include <QFile>

namespace BenchBank {
namespace {

// xorshift32: the same banks on every machine and library.
class Random
{
public:
    explicit Random(quint32 seed) : m_state(seed ? seed : 1u) {}
    quint32 next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return int(next() % quint32(n)); }

private:
    quint32 m_state;
};

const char *const kWords[] = {
    "the", "student", "teacher", "library", "yesterday", "usually", "football", "homework", "museum",
    "because", "although", "carefully", "science", "weekend", "holiday", "village", "computer", "friendly",
    "together", "interesting", "important", "experiment", "festival", "dumplings", "grandmother", "bicycle",
    "river", "mountain", "quickly", "beautiful", "classroom", "exam", "practice", "English", "dictionary",
    "volunteer", "environment", "protect", "invention", "telephone", "restaurant", "hospital", "weather",
};

QString sentence(Random &rng, int minChars, int maxChars)
{
    const int target = minChars + rng.below(maxChars - minChars + 1);
    QString text;
    while (text.size() < target) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += QString::fromLatin1(kWords[rng.below(int(std::size(kWords)))]);
    }
    text.truncate(target);
    return text;
}

} // namespace

QStringList categoryLabels()
{
    QStringList labels;
    for (int i = 1; i <= kCategoryCount; ++i)
        labels << QStringLiteral("练习卷%1").arg(i, 2, 10, QLatin1Char('0'));
    return labels;
}

bool generate(const QString &dir, int rows, QString *error, quint32 seed)
{
    Random rng(seed);
    const QStringList labels = categoryLabels();
    QList<QuestionRecord> records;
    records.reserve(rows);
    const QString letters = QStringLiteral("ABCD");
    for (int i = 1; i <= rows; ++i) {
        QuestionRecord r;
        r.number = i;
        // Stem and four choices: 150–400 characters in all.
        const int total = 150 + rng.below(251);
        const int choiceLength = 8 + rng.below(13);
        QString text = sentence(rng, total - 4 * (choiceLength + 4) - 1, total - 4 * (choiceLength + 4) - 1)
                       + QStringLiteral(" ______.");
        for (int c = 0; c < 4; ++c)
            text += QStringLiteral("\n%1. %2").arg(letters.at(c)).arg(sentence(rng, choiceLength, choiceLength));
        r.question = text;
        r.answer = QString(letters.at(rng.below(4)));
        r.category = labels.at((i - 1) % labels.size());
        records << r;
    }
    if (!BankBuilder::createBank(QDir(dir).filePath(QStringLiteral("english.db")), records, error))
        return false;
    QFile catalogue(QDir(dir).filePath(QStringLiteral("mulu.txt")));
    if (catalogue.exists() || !catalogue.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot create %1").arg(catalogue.fileName());
        return false;
    }
    catalogue.write(BankBuilder::catalogueBytes(QStringList{QStringLiteral("全部中考试题")} + labels));
    return true;
}

} // namespace BenchBank
