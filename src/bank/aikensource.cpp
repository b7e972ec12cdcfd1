#include "aikensource.h"

#include <QRegularExpression>

namespace AikenSource {
namespace {

const QString kLetters = QStringLiteral("ABCD");
const QString kExplanationPrefix = QStringLiteral("解析:");
const QString kWideExplanationPrefix = QStringLiteral("解析："); // a common slip: the full-width colon

// "A. text" or "A) text"; returns the letter index or -1.
int choiceIndex(const QString &line, QString *text)
{
    if (line.size() < 2)
        return -1;
    const int index = int(kLetters.indexOf(line.at(0)));
    if (index < 0 || (line.at(1) != QLatin1Char('.') && line.at(1) != QLatin1Char(')')))
        return -1;
    *text = line.mid(2).trimmed();
    return index;
}

} // namespace

QString Question::questionText() const
{
    QString text = stem;
    for (int i = 0; i < choices.size(); ++i)
        text += QLatin1Char('\n') + kLetters.at(i) + QStringLiteral(". ") + choices.at(i);
    return text;
}

Parse parse(const QString &text, const QString &fileName, const QString &defaultCategory)
{
    Parse result;
    QString category = defaultCategory;
    Question current;
    bool inQuestion = false;
    // What the line before was: an ANSWER line (of the question at
    // answeredIndex, -1 when that question was refused) or a 解析 line.
    enum class Before { Other, Answer, Explanation } before = Before::Other;
    qsizetype answeredIndex = -1;

    const auto error = [&](int line, const QString &message) {
        result.errors << QStringLiteral("%1:%2: %3").arg(fileName).arg(line).arg(message);
    };

    QString normalised = text;
    if (normalised.startsWith(QChar(0xFEFF)))
        normalised.remove(0, 1);
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = normalised.split(QLatin1Char('\n'));

    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        const QString line = lines.at(i).trimmed();
        const Before previous = before;
        before = Before::Other;
        if (line.startsWith(kExplanationPrefix) || line.startsWith(kWideExplanationPrefix)) {
            if (line.startsWith(kWideExplanationPrefix))
                error(lineNo, QStringLiteral("解析行应写作“解析: ……”（英文冒号）"));
            else if (previous == Before::Explanation)
                error(lineNo, QStringLiteral("一道题只能有一行解析"));
            else if (previous != Before::Answer)
                error(lineNo, QStringLiteral("解析行应紧跟在 ANSWER 行之后"));
            else if (line.mid(kExplanationPrefix.size()).trimmed().isEmpty())
                error(lineNo, QStringLiteral("解析行没有内容"));
            else if (answeredIndex >= 0)
                result.questions[answeredIndex].explanation = line.mid(kExplanationPrefix.size()).trimmed();
            before = Before::Explanation;
            continue;
        }
        if (line.isEmpty()) {
            if (inQuestion) {
                error(current.line, QStringLiteral("试题缺少 ANSWER 行"));
                inQuestion = false;
            }
            continue;
        }
        if (line.startsWith(QLatin1String("$CATEGORY:"))) {
            if (inQuestion) {
                error(current.line, QStringLiteral("试题缺少 ANSWER 行"));
                inQuestion = false;
            }
            category = line.mid(10).trimmed();
            continue;
        }
        if (line.startsWith(QLatin1String("ANSWER:"))) {
            if (!inQuestion) {
                error(lineNo, QStringLiteral("ANSWER 行前面没有试题"));
                continue;
            }
            current.answer = line.mid(7).trimmed();
            inQuestion = false;
            before = Before::Answer;
            answeredIndex = -1;
            if (current.choices.size() != 4)
                error(current.line, QStringLiteral("试题有 %1 个选项，应为 4 个").arg(current.choices.size()));
            else if (current.answer.size() != 1 || !kLetters.contains(current.answer))
                error(lineNo, QStringLiteral("答案“%1”不是 A、B、C、D 之一").arg(current.answer));
            else if (category.isEmpty())
                error(current.line, QStringLiteral("试题前面没有 $CATEGORY 行"));
            else {
                answeredIndex = result.questions.size();
                result.questions << current;
            }
            continue;
        }
        QString choiceText;
        const int index = inQuestion ? choiceIndex(line, &choiceText) : -1;
        if (index >= 0) {
            if (index != current.choices.size())
                error(lineNo, QStringLiteral("选项 %1 的次序不对").arg(kLetters.at(index)));
            current.choices << choiceText;
            continue;
        }
        if (inQuestion && !current.choices.isEmpty()) {
            error(lineNo, QStringLiteral("选项之后应是 ANSWER 行"));
            continue;
        }
        if (inQuestion) {
            current.stem += QLatin1Char('\n') + line; // a stem of several lines
            continue;
        }
        current = Question();
        current.category = category;
        current.stem = line;
        current.file = fileName;
        current.line = lineNo;
        inQuestion = true;
    }
    if (inQuestion)
        error(current.line, QStringLiteral("试题缺少 ANSWER 行"));
    return result;
}

QString format(const Question &q)
{
    QString block = q.questionText() + QStringLiteral("\nANSWER: ") + q.answer;
    QString explanation = q.explanation;
    explanation.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (!explanation.trimmed().isEmpty())
        block += QLatin1Char('\n') + kExplanationPrefix + QLatin1Char(' ') + explanation.trimmed();
    return block;
}

bool splitQuestionText(const QString &text, QString *stem, QStringList *choices)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() < 5)
        return false;
    QStringList found;
    for (int i = 0; i < 4; ++i) {
        QString choice;
        if (choiceIndex(lines.at(lines.size() - 4 + i), &choice) != i)
            return false;
        found << choice;
    }
    *stem = lines.mid(0, lines.size() - 4).join(QLatin1Char('\n'));
    *choices = found;
    return true;
}

} // namespace AikenSource
