#include "importchecks.h"

#include "bankcheck.h"
#include "exporters.h"
#include "fuzzsupport.h"

#include <QStringDecoder>

namespace {

QString describe(const AikenSource::Question &q)
{
    return shown(q.category) + QLatin1Char(' ') + shown(q.stem) + QLatin1Char(' ')
         + shown(q.choices.join(QLatin1Char('|'))) + QLatin1Char(' ') + shown(q.answer) + QLatin1Char(' ')
         + shown(q.explanation);
}

// Equal as the exporter's own check sees them: up to folded blanks. The
// explanation of b counts only where the export wrote it; else a has none.
bool sameQuestion(const AikenSource::Question &a, const AikenSource::Question &b, bool withExplanation)
{
    if (a.category != b.category || a.answer != b.answer
        || BankCheck::foldBlanks(a.stem) != BankCheck::foldBlanks(b.stem) || a.choices.size() != b.choices.size()
        || BankCheck::foldBlanks(a.explanation) != (withExplanation ? BankCheck::foldBlanks(b.explanation) : QString()))
        return false;
    for (int i = 0; i < a.choices.size(); ++i) {
        if (BankCheck::foldBlanks(a.choices.at(i)) != BankCheck::foldBlanks(b.choices.at(i)))
            return false;
    }
    return true;
}

void checkReadsBack(Exporters::Format format, bool withExplanations, const QList<QuestionRecord> &rows,
                    const QList<AikenSource::Question> &questions)
{
    const Exporters::Result exported = Exporters::toFormat(format, QStringLiteral("bank.db"), rows, withExplanations);
    if (!exported.problems.isEmpty()) {
        FUZZ_CHECK(exported.text.isEmpty(), exported.problems.join(QLatin1Char(';')));
        return; // refused with a reason, nothing written
    }
    const AikenSource::Parse back = format == Exporters::Format::Gift
        ? Importers::parseGift(exported.text, QStringLiteral("export"))
        : Importers::parseAiken(exported.text, QStringLiteral("export"));
    FUZZ_CHECK(back.errors.isEmpty() && back.questions.size() == questions.size(),
               shown(exported.text) + QStringLiteral(": %1 of %2 questions back; ").arg(back.questions.size()).arg(questions.size())
                   + back.errors.join(QLatin1Char(';')));
    for (int i = 0; i < questions.size(); ++i)
        FUZZ_CHECK(sameQuestion(back.questions.at(i), questions.at(i), withExplanations),
                   describe(questions.at(i)) + QStringLiteral(" exported as ") + shown(exported.text)
                       + QStringLiteral(" read back as ") + describe(back.questions.at(i)));
}

} // namespace

Importers::Decoded decodeChecked(const QByteArray &bytes)
{
    const Importers::Decoded decoded = Importers::decodeInput(bytes);
    FUZZ_CHECK(!decoded.text.contains(QLatin1Char('\r')), shown(decoded.text));
    const bool bom = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
    if (!bom) {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError()) {
            text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
            FUZZ_CHECK(decoded.encoding == QLatin1String("UTF-8") && decoded.text == text, shown(decoded.text));
        } else {
            FUZZ_CHECK(decoded.encoding == QLatin1String("GB18030"), decoded.encoding);
        }
    }
    return decoded;
}

void checkParsed(const AikenSource::Parse &parsed, const QString &fileName, const QString &text)
{
    const qsizetype lineCount = text.count(QLatin1Char('\n')) + 1;
    for (const AikenSource::Question &q : parsed.questions) {
        FUZZ_CHECK(!q.category.isEmpty() && !q.stem.isEmpty() && q.choices.size() == 4 && q.answer.size() == 1
                       && QStringLiteral("ABCD").contains(q.answer) && q.file == fileName,
                   describe(q));
        for (const QString &choice : q.choices)
            FUZZ_CHECK(!choice.contains(QLatin1Char('\n')), describe(q));
        FUZZ_CHECK(!q.explanation.contains(QLatin1Char('\n')) && q.explanation == q.explanation.trimmed(), describe(q));
        FUZZ_CHECK(q.line >= 1 && q.line <= lineCount, describe(q) + QStringLiteral(" at line %1").arg(q.line));
    }
    for (const QString &problem : parsed.errors)
        FUZZ_CHECK(problem.startsWith(fileName + QLatin1Char(':')), shown(problem));
}

void checkExportReadsBack(const QList<AikenSource::Question> &questions)
{
    QList<QuestionRecord> rows;
    for (const AikenSource::Question &q : questions) {
        QuestionRecord row;
        row.number = rows.size() + 1;
        row.question = q.questionText();
        row.answer = q.answer;
        row.category = q.category;
        row.explanation = q.explanation;
        rows << row;
    }
    checkReadsBack(Exporters::Format::Aiken, false, rows, questions);
    checkReadsBack(Exporters::Format::Aiken, true, rows, questions);
    checkReadsBack(Exporters::Format::Gift, true, rows, questions);
}
