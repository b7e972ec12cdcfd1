#include "importers.h"

#include "bankcheck.h"
#include "codepage.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace Importers {
namespace {

const QString kLetters = QStringLiteral("ABCD");

// ---------------------------------------------------------------- text helpers

// Lines trimmed, empty ones dropped: the shape of a stem in the bank.
QString stemFrom(const QString &text)
{
    QStringList kept;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty())
            kept << trimmed;
    }
    return kept.join(QLatin1Char('\n'));
}

// A choice is one line in the bank.
QString choiceFrom(const QString &text)
{
    QString one = text;
    one.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return one.trimmed();
}

// ---------------------------------------------------------------- GIFT

// One character of GIFT text after its escape was resolved.
struct GiftChar
{
    QChar c;
    bool escaped = false;
};
using GiftText = QList<GiftChar>;

GiftText unescapeGift(const QString &text)
{
    static const QString special = QStringLiteral("~=#{}:\\");
    GiftText out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text.at(i + 1);
            if (special.contains(next)) {
                out << GiftChar{next, true};
                ++i;
                continue;
            }
            if (next == QLatin1Char('n')) {
                out << GiftChar{QLatin1Char('\n'), true};
                ++i;
                continue;
            }
        }
        out << GiftChar{c, false};
    }
    return out;
}

QString plain(const GiftText &text, qsizetype from, qsizetype to)
{
    QString out;
    for (qsizetype i = from; i < to && i < text.size(); ++i)
        out += text.at(i).c;
    return out;
}

qsizetype findBare(const GiftText &text, QChar c, qsizetype from)
{
    for (qsizetype i = from; i < text.size(); ++i) {
        if (!text.at(i).escaped && text.at(i).c == c)
            return i;
    }
    return -1;
}

bool bareAt(const GiftText &text, qsizetype i, QChar c)
{
    return i >= 0 && i < text.size() && !text.at(i).escaped && text.at(i).c == c;
}

// The lines of one GIFT question, with the line it starts on.
struct GiftBlock
{
    int line = 0;
    QString category;
    QStringList lines;
};

struct GiftAnswer
{
    bool right = false;
    QString text;
};

// Splits "{=a ~b#feedback ~c ~d}" (without the braces) into answers.
bool splitGiftAnswers(const GiftText &block, QList<GiftAnswer> *answers, QString *problem)
{
    qsizetype i = 0;
    while (i < block.size() && block.at(i).c.isSpace())
        ++i;
    if (i == block.size() || !(bareAt(block, i, QLatin1Char('=')) || bareAt(block, i, QLatin1Char('~')))) {
        *problem = QStringLiteral("只能导入四选一的选择题（答案块应为 {=对 ~错 ~错 ~错}）");
        return false;
    }
    while (i < block.size()) {
        GiftAnswer answer;
        answer.right = block.at(i).c == QLatin1Char('=');
        qsizetype end = i + 1;
        while (end < block.size() && !bareAt(block, end, QLatin1Char('=')) && !bareAt(block, end, QLatin1Char('~')))
            ++end;
        qsizetype textEnd = findBare(block, QLatin1Char('#'), i + 1);
        if (textEnd < 0 || textEnd > end)
            textEnd = end; // the rest after "#" is feedback, not part of the answer
        const QString raw = plain(block, i + 1, textEnd);
        if (raw.trimmed().startsWith(QLatin1Char('%'))) {
            *problem = QStringLiteral("不支持带分值（%…%）的答案");
            return false;
        }
        if (raw.contains(QStringLiteral("->"))) {
            *problem = QStringLiteral("只能导入四选一的选择题，不能导入配对题");
            return false;
        }
        answer.text = choiceFrom(raw);
        *answers << answer;
        i = end;
    }
    return true;
}

void parseGiftBlock(const GiftBlock &block, const QString &fileName, AikenSource::Parse *result)
{
    const auto fail = [&](const QString &message) {
        result->errors << BankCheck::at(fileName, block.line, message);
    };
    const GiftText text = unescapeGift(block.lines.join(QLatin1Char('\n')));

    qsizetype start = 0;
    while (start < text.size() && text.at(start).c.isSpace())
        ++start;
    if (bareAt(text, start, QLatin1Char(':')) && bareAt(text, start + 1, QLatin1Char(':'))) {
        qsizetype close = start + 2;
        while (close < text.size() && !(bareAt(text, close, QLatin1Char(':')) && bareAt(text, close + 1, QLatin1Char(':'))))
            ++close;
        if (close >= text.size()) {
            fail(QStringLiteral("题目名称缺少结尾的“::”"));
            return;
        }
        start = close + 2; // the title names the question for its author; the bank has no place for it
    }
    const qsizetype open = findBare(text, QLatin1Char('{'), start);
    if (open < 0) {
        fail(QStringLiteral("没有答案块 { … }"));
        return;
    }
    const qsizetype close = findBare(text, QLatin1Char('}'), open + 1);
    if (close < 0) {
        fail(QStringLiteral("答案块缺少“}”"));
        return;
    }
    if (findBare(text, QLatin1Char('{'), open + 1) >= 0 && findBare(text, QLatin1Char('{'), open + 1) < close) {
        fail(QStringLiteral("答案块里有未转义的“{”"));
        return;
    }
    if (findBare(text, QLatin1Char('{'), close + 1) >= 0) {
        fail(QStringLiteral("一道题只能有一个答案块"));
        return;
    }

    // Moodle's general feedback: the text after the last "####" of the
    // answer block is about the whole question, its explanation.
    GiftText answerBlock = text.mid(open + 1, close - open - 1);
    QString explanation;
    for (qsizetype i = answerBlock.size() - 4; i >= 0; --i) {
        if (bareAt(answerBlock, i, QLatin1Char('#')) && bareAt(answerBlock, i + 1, QLatin1Char('#'))
            && bareAt(answerBlock, i + 2, QLatin1Char('#')) && bareAt(answerBlock, i + 3, QLatin1Char('#'))) {
            explanation = choiceFrom(plain(answerBlock, i + 4, answerBlock.size()));
            answerBlock.resize(i);
            break;
        }
    }

    QList<GiftAnswer> answers;
    QString problem;
    if (!splitGiftAnswers(answerBlock, &answers, &problem)) {
        fail(problem);
        return;
    }
    int rightCount = 0;
    int rightIndex = -1;
    for (int i = 0; i < answers.size(); ++i) {
        if (answers.at(i).right) {
            ++rightCount;
            rightIndex = i;
        }
    }
    if (answers.size() != 4 || rightCount != 1) {
        fail(QStringLiteral("应有四个答案：一个“=”正确答案和三个“~”错误答案（实有 %1 个，其中正确 %2 个）")
                 .arg(answers.size())
                 .arg(rightCount));
        return;
    }

    QString before = plain(text, start, open);
    for (const QString &format : {QStringLiteral("[moodle]"), QStringLiteral("[plain]"), QStringLiteral("[markdown]"),
                                  QStringLiteral("[html]")}) {
        if (before.trimmed().startsWith(format)) {
            before = before.trimmed().mid(format.size());
            break;
        }
    }
    const QString after = plain(text, close + 1, text.size()).trimmed();
    QString stem = stemFrom(before);
    if (!after.isEmpty()) {
        // "Missing word": the answer block stood for a gap in the sentence.
        const bool joinsPunctuation = after.at(0).isPunct();
        stem = (stem.isEmpty() ? QString() : stem + QLatin1Char(' ')) + QStringLiteral("______")
             + (joinsPunctuation ? QString() : QStringLiteral(" ")) + stemFrom(after);
    }
    if (stem.isEmpty()) {
        fail(QStringLiteral("题干为空"));
        return;
    }
    if (block.category.isEmpty()) {
        fail(QStringLiteral("试题前面没有 $CATEGORY 行"));
        return;
    }

    AikenSource::Question q;
    q.category = block.category;
    q.stem = stem;
    for (const GiftAnswer &answer : std::as_const(answers))
        q.choices << answer.text;
    q.answer = QString(kLetters.at(rightIndex));
    q.explanation = explanation;
    q.file = fileName;
    q.line = block.line;
    result->questions << q;
}

// ---------------------------------------------------------------- TSV

struct TsvRecord
{
    int line = 0;
    QStringList fields;
};

// Splits tab-separated text into records; a field that starts with a double
// quote runs to the closing quote and may hold tabs and line ends.
QList<TsvRecord> splitTsv(const QString &text, int *unclosedQuoteLine)
{
    *unclosedQuoteLine = 0;
    QList<TsvRecord> records;
    TsvRecord record;
    record.line = 1;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    int line = 1;
    const auto endField = [&] {
        record.fields << field;
        field.clear();
        fieldStarted = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            *unclosedQuoteLine = line;
            fieldStarted = true;
        } else if (c == QLatin1Char('\t')) {
            endField();
        } else if (c == QLatin1Char('\n')) {
            endField();
            records << record;
            record = TsvRecord();
            record.line = ++line;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.fields.isEmpty()) {
        endField();
        records << record;
    }
    if (!quoted)
        *unclosedQuoteLine = 0;
    return records;
}

bool isBlankRecord(const TsvRecord &record)
{
    for (const QString &field : record.fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

// A first row that names the columns rather than holding a question.
bool isHeader(const TsvRecord &record)
{
    if (record.fields.size() < 7)
        return false;
    const QString answer = record.fields.at(6).trimmed();
    if (answer.size() == 1 && kLetters.contains(answer.toUpper()))
        return false;
    const QString folded = answer.toCaseFolded();
    if (folded == QLatin1String("answer") || folded == QStringLiteral("答案") || folded == QStringLiteral("正确答案"))
        return true;
    for (int i = 0; i < 4; ++i) {
        if (record.fields.at(2 + i).trimmed().toUpper() != kLetters.at(i))
            return false;
    }
    return true;
}

} // namespace

Decoded decodeInput(const QByteArray &bytes)
{
    Decoded result;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        result.text = QString::fromUtf8(bytes.mid(3));
        result.encoding = QStringLiteral("UTF-8（带 BOM）");
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QStringDecoder utf16(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        result.text = utf16.decode(bytes.mid(2));
        result.encoding = little ? QStringLiteral("UTF-16 LE") : QStringLiteral("UTF-16 BE");
    } else {
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        result.text = utf8.decode(bytes);
        result.encoding = QStringLiteral("UTF-8");
        if (utf8.hasError()) {
            result.text = CodePage::decode(bytes);
            result.encoding = QStringLiteral("GB18030");
        }
    }
    result.text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

bool formatFromName(const QString &name, Format *format)
{
    const QString folded = name.toLower();
    if (folded == QLatin1String("aiken"))
        *format = Format::Aiken;
    else if (folded == QLatin1String("gift"))
        *format = Format::Gift;
    else if (folded == QLatin1String("tsv"))
        *format = Format::Tsv;
    else
        return false;
    return true;
}

bool guessFormat(const QString &path, const QString &text, Format *format)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gift"))
        *format = Format::Gift;
    else if (suffix == QLatin1String("tsv") || suffix == QLatin1String("tab"))
        *format = Format::Tsv;
    else if (suffix == QLatin1String("aiken"))
        *format = Format::Aiken;
    else {
        bool manyTabs = false;
        bool answerLine = false;
        bool braces = false;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String("//")))
                continue;
            manyTabs = manyTabs || line.count(QLatin1Char('\t')) >= 6;
            answerLine = answerLine || trimmed.startsWith(QLatin1String("ANSWER:"));
            braces = braces || trimmed.contains(QLatin1Char('{'));
        }
        if (manyTabs)
            *format = Format::Tsv;
        else if (answerLine)
            *format = Format::Aiken;
        else if (braces)
            *format = Format::Gift;
        else
            return false;
    }
    return true;
}

AikenSource::Parse parseAiken(const QString &text, const QString &fileName, const QString &defaultCategory)
{
    return AikenSource::parse(text, fileName, defaultCategory);
}

AikenSource::Parse parseGift(const QString &text, const QString &fileName, const QString &defaultCategory)
{
    AikenSource::Parse result;
    QString category = defaultCategory;
    GiftBlock block;
    const auto finish = [&] {
        if (!block.lines.isEmpty())
            parseGiftBlock(block, fileName, &result);
        block = GiftBlock();
    };
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString trimmed = lines.at(i).trimmed();
        if (trimmed.isEmpty()) {
            finish();
            continue;
        }
        if (trimmed.startsWith(QLatin1String("//")))
            continue;
        if (block.lines.isEmpty() && trimmed.startsWith(QLatin1String("$CATEGORY:"))) {
            // Moodle writes "$course$/top/label"; the context and "top" are no part of the label.
            static const QRegularExpression moodleContext(QStringLiteral("^\\$[a-z]+\\$/(top/)?"));
            category = trimmed.mid(10).trimmed().remove(moodleContext);
            continue;
        }
        if (block.lines.isEmpty()) {
            block.line = i + 1;
            block.category = category;
        }
        block.lines << lines.at(i);
    }
    finish();
    return result;
}

AikenSource::Parse parseTsv(const QString &text, const QString &fileName, const QString &defaultCategory)
{
    AikenSource::Parse result;
    bool firstRecord = true;
    int unclosedQuoteLine = 0;
    const QList<TsvRecord> records = splitTsv(text, &unclosedQuoteLine);
    if (unclosedQuoteLine > 0) {
        // Everything after the quote would have been swallowed into one field.
        result.errors << BankCheck::at(fileName, unclosedQuoteLine, QStringLiteral("引号“\"”没有结束"));
        return result;
    }
    for (const TsvRecord &record : records) {
        if (isBlankRecord(record))
            continue;
        const bool mayBeHeader = firstRecord;
        firstRecord = false;
        if (mayBeHeader && isHeader(record))
            continue;
        const auto fail = [&](const QString &message) { result.errors << BankCheck::at(fileName, record.line, message); };

        bool extraFilled = false;
        for (qsizetype i = 8; i < record.fields.size(); ++i)
            extraFilled = extraFilled || !record.fields.at(i).trimmed().isEmpty();
        if (record.fields.size() < 7 || extraFilled) {
            fail(QStringLiteral("应有 7 列（类别、试题、A、B、C、D、答案）或加上解析共 8 列，实有 %1 列")
                     .arg(record.fields.size()));
            continue;
        }
        AikenSource::Question q;
        q.file = fileName;
        q.line = record.line;
        q.category = choiceFrom(record.fields.at(0));
        if (q.category.isEmpty())
            q.category = defaultCategory;
        q.stem = stemFrom(record.fields.at(1));
        for (int i = 0; i < 4; ++i)
            q.choices << choiceFrom(record.fields.at(2 + i));
        q.answer = record.fields.at(6).trimmed().toUpper();
        if (record.fields.size() > 7)
            q.explanation = choiceFrom(record.fields.at(7));
        if (q.category.isEmpty())
            fail(QStringLiteral("类别为空"));
        else if (q.stem.isEmpty())
            fail(QStringLiteral("试题为空"));
        else if (q.answer.size() != 1 || !kLetters.contains(q.answer))
            fail(QStringLiteral("答案“%1”不是 A、B、C、D 之一").arg(record.fields.at(6).trimmed()));
        else
            result.questions << q;
    }
    return result;
}

AikenSource::Parse parse(Format format, const QString &text, const QString &fileName, const QString &defaultCategory)
{
    switch (format) {
    case Format::Aiken:
        return parseAiken(text, fileName, defaultCategory);
    case Format::Gift:
        return parseGift(text, fileName, defaultCategory);
    case Format::Tsv:
        return parseTsv(text, fileName, defaultCategory);
    }
    return AikenSource::Parse();
}

Plan plan(const QString &bankFile, const QList<QuestionRecord> &existing, const QStringList &labels,
          const QList<AikenSource::Question> &incoming)
{
    Plan result;
    // duplicate key -> where the question already is: a row of the bank
    // (its 题号) or an earlier question of the input (-1 - its index); the
    // place is written out only for a duplicate.
    QHash<QString, qint64> known;
    known.reserve(existing.size() + incoming.size());
    for (const QuestionRecord &row : existing)
        known.insert(BankCheck::duplicateKey(row.question), row.number);
    const auto place = [&](qint64 origin) {
        if (origin >= 0)
            return QStringLiteral("%1:题号 %2").arg(bankFile).arg(origin);
        const AikenSource::Question &first = incoming.at(qsizetype(-1 - origin));
        return QStringLiteral("%1:%2").arg(first.file).arg(first.line);
    };

    QSet<QString> labelSet(labels.cbegin(), labels.cend());
    qint64 next = existing.size() + 1;
    for (qsizetype i = 0; i < incoming.size(); ++i) {
        const AikenSource::Question &q = incoming.at(i);
        const QString key = BankCheck::duplicateKey(q.stem, q.choices);
        const auto found = known.constFind(key);
        if (found != known.cend()) {
            result.duplicates << BankCheck::at(q.file, q.line, QStringLiteral("与 %1 的试题重复，已跳过").arg(place(found.value())));
            continue;
        }
        known.insert(key, -1 - i);
        QuestionRecord row;
        row.number = next++;
        row.question = q.questionText();
        row.answer = q.answer;
        row.category = q.category;
        row.explanation = q.explanation;
        result.newRows << row;
        if (!labelSet.contains(q.category)) {
            labelSet.insert(q.category);
            result.newLabels << q.category;
        }
    }
    return result;
}

} // namespace Importers
