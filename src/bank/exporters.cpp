#include "exporters.h"

#include "aikensource.h"
#include "bankcheck.h"
#include "importers.h"

#include <QFileInfo>

namespace Exporters {
namespace {

const QString kLetters = QStringLiteral("ABCD");

struct Split
{
    QString stem;
    QStringList choices;
};

QString categoryLine(const QString &category)
{
    return QStringLiteral("$CATEGORY: ") + category;
}

bool hasExplanation(const QuestionRecord &row)
{
    return !row.explanation.trimmed().isEmpty();
}

// An explanation is one line in both formats; a line end of any kind inside
// it (a reader may take a lone CR for one) is written as a blank.
QString explanationLine(const QString &explanation)
{
    QString line = explanation;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line.trimmed();
}

QString aikenBlock(const QuestionRecord &row, const Split &split, bool withExplanation)
{
    AikenSource::Question q;
    q.stem = split.stem;
    q.choices = split.choices;
    q.answer = row.answer;
    if (withExplanation)
        q.explanation = explanationLine(row.explanation);
    return AikenSource::format(q);
}

QString giftBlock(const QuestionRecord &row, const Split &split)
{
    QString block = QStringLiteral("::%1:: %2 {\n").arg(row.number).arg(escapeGift(split.stem));
    const int right = int(kLetters.indexOf(row.answer));
    for (int i = 0; i < split.choices.size(); ++i) {
        const QString mark = i == right ? QStringLiteral("=") : QStringLiteral("~");
        block += mark + escapeGift(split.choices.at(i)) + QLatin1Char('\n');
    }
    if (hasExplanation(row))
        block += QStringLiteral("####") + escapeGift(explanationLine(row.explanation)) + QLatin1Char('\n');
    return block + QLatin1Char('}');
}

// The same question up to the blanks that a reader folds away; the
// explanation too when it was written.
bool readsBackAs(const AikenSource::Question &back, const QuestionRecord &row, const Split &split,
                 bool withExplanation)
{
    if (back.category != row.category || back.answer != row.answer
        || BankCheck::foldBlanks(back.stem) != BankCheck::foldBlanks(split.stem)
        || back.choices.size() != split.choices.size()
        || BankCheck::foldBlanks(back.explanation)
               != (withExplanation ? BankCheck::foldBlanks(row.explanation) : QString()))
        return false;
    for (int i = 0; i < back.choices.size(); ++i) {
        if (BankCheck::foldBlanks(back.choices.at(i)) != BankCheck::foldBlanks(split.choices.at(i)))
            return false;
    }
    return true;
}

// Does the block, read back on its own under its category, give this row?
QString readBackProblem(Format format, const QuestionRecord &row, const Split &split, const QString &block,
                        bool withExplanation)
{
    const QString text = categoryLine(row.category) + QStringLiteral("\n\n") + block + QLatin1Char('\n');
    const AikenSource::Parse parsed = format == Format::Aiken ? Importers::parseAiken(text, QString())
                                                              : Importers::parseGift(text, QString());
    if (parsed.errors.isEmpty() && parsed.questions.size() == 1
        && readsBackAs(parsed.questions.first(), row, split, withExplanation))
        return QString();
    if (!BankCheck::categoryProblem(row.category).isEmpty())
        return BankCheck::categoryProblem(row.category);
    if (row.answer.size() != 1 || !kLetters.contains(row.answer))
        return QStringLiteral("答案“%1”不是 A、B、C、D 之一").arg(row.answer);
    return QStringLiteral("试题导出后无法原样读回（题干里有一行像选项、ANSWER 行、解析行或目录行）");
}

template<typename BlockFn>
Result exportRows(Format format, const QString &bankFile, const QList<QuestionRecord> &rows, const QString &heading,
                  bool withExplanations, BlockFn blockOf)
{
    Result result;
    QStringList parts;
    if (!heading.isEmpty())
        parts << heading;
    QString category;
    bool first = true;
    for (const QuestionRecord &row : rows) {
        Split split;
        if (!AikenSource::splitQuestionText(row.question, &split.stem, &split.choices)) {
            result.problems << BankCheck::atNumber(bankFile, row.number,
                                                   QStringLiteral("试题应为题干，然后“A. ”到“D. ”四个选项各占一行"));
            continue;
        }
        const QString block = blockOf(row, split);
        const QString problem = readBackProblem(format, row, split, block, withExplanations);
        if (!problem.isEmpty()) {
            result.problems << BankCheck::atNumber(bankFile, row.number, problem);
            continue;
        }
        if (first || row.category != category) {
            parts << categoryLine(row.category);
            category = row.category;
            first = false;
        }
        parts << block;
    }
    if (result.problems.isEmpty())
        result.text = parts.join(QStringLiteral("\n\n")) + QLatin1Char('\n');
    return result;
}

} // namespace

bool formatFromName(const QString &name, Format *format)
{
    const QString folded = name.toLower();
    if (folded == QLatin1String("aiken"))
        *format = Format::Aiken;
    else if (folded == QLatin1String("gift"))
        *format = Format::Gift;
    else
        return false;
    return true;
}

QString escapeGift(const QString &text)
{
    static const QString special = QStringLiteral("~=#{}:\\");
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
            continue;
        }
        if (special.contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

Result toAiken(const QString &bankFile, const QList<QuestionRecord> &rows, bool withExplanations)
{
    return exportRows(Format::Aiken, bankFile, rows, QString(), withExplanations,
                      [&](const QuestionRecord &row, const Split &split) {
                          return aikenBlock(row, split, withExplanations);
                      });
}

Result toGift(const QString &bankFile, const QList<QuestionRecord> &rows)
{
    const QString heading =
        QStringLiteral("// 题库 %1 导出的试题，共 %2 题").arg(QFileInfo(bankFile).fileName()).arg(rows.size());
    return exportRows(Format::Gift, bankFile, rows, heading, true, giftBlock);
}

Result toFormat(Format format, const QString &bankFile, const QList<QuestionRecord> &rows, bool withExplanations)
{
    return format == Format::Aiken ? toAiken(bankFile, rows, withExplanations) : toGift(bankFile, rows);
}

} // namespace Exporters
