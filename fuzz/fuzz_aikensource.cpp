// Any bytes as a question source of data/, read by the bank checker as the
// bank tool reads it. Bytes that are not UTF-8 are one problem naming a line
// that holds a bad sequence. Every question read has a category, four
// choices, an answer A to D and, if any, the explanation of a "解析:" line,
// starts on the line it names, and, written out again in the source format,
// reads back as the very same question, explanation included.
#include "fuzzsupport.h"

#include "aikensource.h"
#include "bankcheck.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>

namespace {

QString sourceFile()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        propertyFailed(__FILE__, __LINE__, "dir.isValid()", dir.errorString());
    return dir.filePath(QStringLiteral("questions.txt"));
}

// As the checker reads a source: strict UTF-8, a byte-order mark dropped.
bool readUtf8(const QByteArray &bytes, QString *text = nullptr)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    if (text)
        *text = decoded;
    return !utf8.hasError();
}

QString describe(const AikenSource::Question &q)
{
    return shown(q.category) + QLatin1Char(' ') + shown(q.stem) + QLatin1Char(' ') + shown(q.choices.join(QLatin1Char('|')))
         + QLatin1Char(' ') + shown(q.answer) + QLatin1Char(' ') + shown(q.explanation);
}

void checkQuestion(const AikenSource::Question &q, const QString &path, const QStringList &lines)
{
    FUZZ_CHECK(!q.category.isEmpty() && q.choices.size() == 4 && q.answer.size() == 1
                   && QStringLiteral("ABCD").contains(q.answer) && q.file == path,
               describe(q));
    // An explanation is the text of a "解析:" line of the source.
    const auto explainedBy = [&](const QString &line) {
        return line.trimmed().startsWith(QStringLiteral("解析:")) && line.trimmed().mid(3).trimmed() == q.explanation;
    };
    FUZZ_CHECK(q.explanation.isEmpty() || std::any_of(lines.cbegin(), lines.cend(), explainedBy), describe(q));
    FUZZ_CHECK(q.line >= 1 && q.line <= lines.size(), describe(q) + QStringLiteral(" at line %1").arg(q.line));
    QString first = lines.at(q.line - 1);
    if (q.line == 1 && first.startsWith(QChar(0xFEFF)))
        first.remove(0, 1);
    FUZZ_CHECK(first.trimmed() == q.stem.section(QLatin1Char('\n'), 0, 0),
               describe(q) + QStringLiteral(" names line %1: ").arg(q.line) + shown(first));

    // Written under its category line, as the bank tool writes a source.
    const QString block = QStringLiteral("$CATEGORY: ") + q.category + QStringLiteral("\n\n") + AikenSource::format(q);
    const AikenSource::Parse back = AikenSource::parse(block, path);
    FUZZ_CHECK(back.errors.isEmpty() && back.questions.size() == 1,
               describe(q) + QStringLiteral(" written as ") + shown(block) + QStringLiteral(": ")
                   + back.errors.join(QLatin1Char(';')));
    const AikenSource::Question &again = back.questions.constFirst();
    FUZZ_CHECK(again.category == q.category && again.stem == q.stem && again.choices == q.choices && again.answer == q.answer
                   && again.explanation == q.explanation,
               describe(q) + QStringLiteral(" read back as ") + describe(again));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QString path = sourceFile();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        propertyFailed(__FILE__, __LINE__, "source written", file.errorString());
    file.close();

    QList<AikenSource::Question> questions;
    bool unreadable = true;
    const QStringList problems = BankCheck::checkSources({path}, &questions, &unreadable);
    FUZZ_CHECK(!unreadable, problems.join(QLatin1Char(';')));
    for (const QString &problem : problems)
        FUZZ_CHECK(problem.startsWith(path + QLatin1Char(':')), shown(problem));

    QString text;
    if (!readUtf8(bytes, &text)) {
        FUZZ_CHECK(questions.isEmpty() && problems.size() == 1, problems.join(QLatin1Char(';')));
        const int line = problems.constFirst().mid(path.size() + 1).section(QLatin1Char(':'), 0, 0).toInt();
        const QList<QByteArray> byteLines = bytes.split('\n');
        FUZZ_CHECK(line >= 1 && line <= byteLines.size() && !readUtf8(byteLines.at(line - 1)),
                   shown(problems.constFirst()));
        return 0;
    }
    QString lf = text;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = lf.split(QLatin1Char('\n'));
    for (const AikenSource::Question &q : std::as_const(questions))
        checkQuestion(q, path, lines);
    return 0;
}
