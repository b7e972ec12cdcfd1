#include "bankcheck.h"

#include "bankbuilder.h"
#include "bankschema.h"
#include "catalogue.h"
#include "querytext.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <array>

namespace BankCheck {
namespace {

const QString kLetters = QStringLiteral("ABCD");

// Beyond this many missing numbers the rest are summed up in one line.
constexpr int kMaxListedGaps = 20;

QString wholeBankLabel()
{
    return QString::fromUtf8(QueryText::kWholeBankLabel);
}

QString percent(int part, int whole)
{
    return QString::number(whole > 0 ? 100.0 * part / whole : 0.0, 'f', 1) + QLatin1Char('%');
}

void checkBalance(const QList<Item> &items, QStringList *problems)
{
    // Categories in order of first appearance, each with its letter counts.
    QStringList order;
    QHash<QString, QString> firstPlace;
    QHash<QString, QList<int>> counts;
    for (const Item &item : items) {
        const int letter = item.answer.size() == 1 ? int(kLetters.indexOf(item.answer)) : -1;
        if (letter < 0)
            continue; // reported as a bad answer already
        if (!counts.contains(item.category)) {
            order << item.category;
            firstPlace.insert(item.category, item.place);
            counts.insert(item.category, QList<int>(4, 0));
        }
        ++counts[item.category][letter];
    }
    for (const QString &category : std::as_const(order)) {
        const QList<int> &c = counts.value(category);
        const int n = c[0] + c[1] + c[2] + c[3];
        const int low = fewestOfALetter(n);
        const int high = mostOfALetter(n);
        for (int letter = 0; letter < 4; ++letter) {
            if (c[letter] >= low && c[letter] <= high)
                continue;
            *problems << QStringLiteral("%1: 类别“%2”的答案不均衡：%3 有 %4 题（%5），"
                                        "%6 题中每个字母应有 %7 到 %8 题（20%–30%）")
                             .arg(firstPlace.value(category), category, kLetters.at(letter))
                             .arg(c[letter])
                             .arg(percent(c[letter], n))
                             .arg(n)
                             .arg(low)
                             .arg(high);
        }
    }
}

// The lines of a 试题 that look like choices ("A. …"), for telling how many
// choices a row that is not in the bank's layout has.
QStringList choiceLikeLines(const QStringList &lines)
{
    static const QRegularExpression choice(QStringLiteral("^\\s*[A-Da-d][.)．、]"));
    QStringList found;
    for (const QString &line : lines) {
        if (choice.match(line).hasMatch())
            found << line.trimmed().mid(2).trimmed();
    }
    return found;
}

// The 1-based line that holds the first byte sequence that is not UTF-8.
int firstLineNotUtf8(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = utf8.decode(lines.at(i)); // decoding happens on conversion to QString
        if (utf8.hasError())
            return i + 1;
    }
    return 1;
}

} // namespace

QString at(const QString &file, int line, const QString &message)
{
    return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
}

QString atNumber(const QString &file, qint64 number, const QString &message)
{
    return QStringLiteral("%1:题号 %2: %3").arg(file).arg(number).arg(message);
}

QString inFile(const QString &file, const QString &message)
{
    return QStringLiteral("%1: %2").arg(file, message);
}

QString foldBlanks(const QString &text)
{
    return text.simplified();
}

QString foldBlanksAndCase(const QString &text)
{
    return text.simplified().toCaseFolded();
}

namespace {

// Appends foldBlanksAndCase(text). Text that is all ASCII (most of an English
// bank) is folded in one pass, in place; other text takes Qt's way.
void appendFolded(QString *out, QStringView text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        *out += foldBlanksAndCase(text.toString());
        return;
    }
    const qsizetype start = out->size();
    out->resize(start + text.size()); // folding ASCII never lengthens it
    char16_t *next = reinterpret_cast<char16_t *>(out->data()) + start;
    char16_t *const first = next;
    bool blank = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (c.isSpace()) {
            blank = next != first;
            continue;
        }
        if (blank)
            *next++ = u' ';
        blank = false;
        *next++ = (u >= u'A' && u <= u'Z') ? char16_t(u + (u'a' - u'A')) : u;
    }
    out->truncate(start + (next - first));
}

template<typename Choices>
QString keyOf(QStringView stem, const Choices &choices)
{
    // The choices folded one after another, then put in order.
    QString foldedChoices;
    QVarLengthArray<std::pair<qsizetype, qsizetype>, 4> ranges;
    for (const auto &choice : choices) {
        const qsizetype from = foldedChoices.size();
        appendFolded(&foldedChoices, choice);
        ranges.append({from, foldedChoices.size() - from});
    }
    QVarLengthArray<QStringView, 4> sorted;
    for (const auto &[from, length] : ranges)
        sorted.append(QStringView(foldedChoices).sliced(from, length));
    std::sort(sorted.begin(), sorted.end());
    // U+001F (unit separator) never occurs in a question; it keeps the parts apart.
    QString key;
    key.reserve(stem.size() + foldedChoices.size() + sorted.size() + 1);
    appendFolded(&key, stem);
    key += QChar(0x1F);
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        if (i > 0)
            key += QChar(0x1F);
        key += sorted.at(i);
    }
    return key;
}

} // namespace

QString duplicateKey(const QString &stem, const QStringList &choices)
{
    return keyOf(stem, choices);
}

QString duplicateKey(const QString &questionText)
{
    // The stem and its four choice lines as AikenSource::splitQuestionText
    // finds them ("A. " to "D. " ending the text), read in place: the key of
    // every row of a bank is made for each import.
    const QStringView text(questionText);
    std::array<QStringView, 4> choices;
    qsizetype end = text.size();
    for (int i = 3; i >= 0; --i) {
        const qsizetype newline = end > 0 ? text.first(end).lastIndexOf(QLatin1Char('\n')) : -1;
        if (newline < 0)
            return foldBlanksAndCase(questionText);
        const QStringView line = text.sliced(newline + 1, end - newline - 1);
        if (line.size() < 2 || line.at(0) != kLetters.at(i)
            || (line.at(1) != QLatin1Char('.') && line.at(1) != QLatin1Char(')')))
            return foldBlanksAndCase(questionText);
        choices[size_t(i)] = line.sliced(2);
        end = newline;
    }
    return keyOf(text.first(end), choices);
}

QString categoryProblem(const QString &label)
{
    if (label.trimmed().isEmpty())
        return QStringLiteral("类别为空");
    if (label == wholeBankLabel())
        return QStringLiteral("“%1”表示整个题库，不能作为类别").arg(label);
    if (label.contains(QLatin1Char('\r')) || label.contains(QLatin1Char('\n')))
        return QStringLiteral("类别“%1”含有换行").arg(label);
    return QString();
}

int fewestOfALetter(int n)
{
    return (2 * n) / 10; // 20 %, rounded down
}

int mostOfALetter(int n)
{
    return (3 * n + 9) / 10; // 30 %, rounded up
}

Item fromSource(const AikenSource::Question &q)
{
    Item item;
    item.place = QStringLiteral("%1:%2").arg(q.file).arg(q.line);
    item.category = q.category;
    item.stem = q.stem;
    item.choices = q.choices;
    item.answer = q.answer;
    return item;
}

Item fromRow(const QString &bankFile, const QuestionRecord &row)
{
    Item item;
    item.place = QStringLiteral("%1:题号 %2").arg(bankFile).arg(row.number);
    item.category = row.category;
    item.answer = row.answer;
    if (AikenSource::splitQuestionText(row.question, &item.stem, &item.choices))
        return item;
    item.stem = row.question;
    item.choices = choiceLikeLines(row.question.split(QLatin1Char('\n')));
    if (item.choices.size() == 4)
        item.layoutProblem = QStringLiteral("试题应为题干，然后“A. ”到“D. ”四个选项各占一行");
    return item;
}

QStringList checkItems(const QList<Item> &items)
{
    QStringList problems;
    QHash<QString, QString> seen; // duplicate key -> place of its first occurrence
    for (const Item &item : items) {
        if (!item.layoutProblem.isEmpty())
            problems << inFile(item.place, item.layoutProblem);
        else if (item.choices.size() != 4)
            problems << inFile(item.place, QStringLiteral("试题有 %1 个选项，应为 4 个").arg(item.choices.size()));
        if (item.answer.size() != 1 || !kLetters.contains(item.answer))
            problems << inFile(item.place, QStringLiteral("答案“%1”不是 A、B、C、D 之一").arg(item.answer));
        const QString categoryIssue = categoryProblem(item.category);
        if (!categoryIssue.isEmpty())
            problems << inFile(item.place, categoryIssue);
        for (const QString &choice : item.choices) {
            if (choice.trimmed().isEmpty()) {
                problems << inFile(item.place, QStringLiteral("有空的选项"));
                break;
            }
        }
        const QString key = duplicateKey(item.stem, item.choices);
        const auto first = seen.constFind(key);
        if (first != seen.cend())
            problems << inFile(item.place, QStringLiteral("与 %1 的试题重复").arg(first.value()));
        else
            seen.insert(key, item.place);
    }
    checkBalance(items, &problems);
    return problems;
}

QStringList checkSources(const QStringList &paths, QList<AikenSource::Question> *questions, bool *unreadable)
{
    QStringList problems;
    QList<Item> items;
    if (unreadable)
        *unreadable = false;
    for (const QString &path : paths) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            problems << inFile(path, QStringLiteral("无法读取（%1）").arg(file.errorString()));
            if (unreadable)
                *unreadable = true;
            continue;
        }
        const QByteArray bytes = file.readAll();
        QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        const QString text = utf8.decode(bytes);
        if (utf8.hasError()) {
            problems << at(path, firstLineNotUtf8(bytes), QStringLiteral("不是 UTF-8 编码的文本"));
            continue;
        }
        const AikenSource::Parse parsed = AikenSource::parse(text, path);
        problems << parsed.errors;
        for (const AikenSource::Question &q : parsed.questions) {
            items << fromSource(q);
            if (questions)
                questions->append(q);
        }
    }
    problems << checkItems(items);
    return problems;
}

QStringList missingExplanations(const QList<AikenSource::Question> &questions)
{
    QStringList problems;
    for (const AikenSource::Question &q : questions) {
        if (q.explanation.trimmed().isEmpty())
            problems << at(q.file, q.line, QStringLiteral("试题没有解析（ANSWER 行之后应有一行“解析: ……”）"));
    }
    return problems;
}

QStringList checkNumbers(const QString &bankFile, const QList<QuestionRecord> &rows)
{
    QStringList problems;
    const qint64 n = rows.size();
    QSet<qint64> seen;
    for (const QuestionRecord &row : rows) {
        if (row.number < 1 || row.number > n)
            problems << atNumber(bankFile, row.number, QStringLiteral("题号超出 1 到 %1 的范围").arg(n));
        else if (seen.contains(row.number))
            problems << atNumber(bankFile, row.number, QStringLiteral("题号重复"));
        seen.insert(row.number);
    }
    QList<qint64> missing;
    for (qint64 number = 1; number <= n; ++number) {
        if (!seen.contains(number))
            missing << number;
    }
    for (int i = 0; i < missing.size() && i < kMaxListedGaps; ++i)
        problems << atNumber(bankFile, missing.at(i), QStringLiteral("缺少这个题号（题号应从 1 到 %1 连续）").arg(n));
    if (missing.size() > kMaxListedGaps)
        problems << inFile(bankFile, QStringLiteral("另外还缺少 %1 个题号").arg(missing.size() - kMaxListedGaps));
    return problems;
}

QStringList checkRows(const QString &bankFile, const QList<QuestionRecord> &rows,
                      const QString &catalogueFile, const QStringList &labels)
{
    QStringList problems = checkNumbers(bankFile, rows);

    QList<Item> items;
    QMap<QString, qint64> firstNumberOfCategory;
    QSet<QString> categories;
    for (const QuestionRecord &row : rows) {
        items << fromRow(bankFile, row);
        if (row.mark != BankSchema::NotAnswered)
            problems << atNumber(bankFile, row.number, QStringLiteral("批阅为 %1，应为 0").arg(row.mark));
        if (row.picked != QLatin1String(BankSchema::kNoPick))
            problems << atNumber(bankFile, row.number, QStringLiteral("作答为“%1”，应为“E”").arg(row.picked));
        if (!categories.contains(row.category)) {
            categories.insert(row.category);
            if (!labels.contains(row.category))
                problems << atNumber(bankFile, row.number,
                                     QStringLiteral("类别“%1”不在目录 %2 中").arg(row.category, catalogueFile));
        }
    }
    problems << checkItems(items);

    if (!labels.contains(wholeBankLabel()))
        problems << inFile(catalogueFile, QStringLiteral("目录中没有“%1”这一行").arg(wholeBankLabel()));
    for (int i = 0; i < labels.size(); ++i) {
        const QString &label = labels.at(i);
        const int firstLine = int(labels.indexOf(label)) + 1;
        if (firstLine != i + 1)
            problems << at(catalogueFile, i + 1, QStringLiteral("类别“%1”与第 %2 行重复").arg(label).arg(firstLine));
        else if (label != wholeBankLabel() && !categories.contains(label))
            problems << at(catalogueFile, i + 1, QStringLiteral("类别“%1”没有任何试题").arg(label));
    }
    return problems;
}

QStringList checkExplanations(const QString &bankFile, const QList<QuestionRecord> &rows,
                              const QMap<qint64, QString> &explanations, bool requireAll)
{
    QStringList problems;
    QSet<qint64> numbers;
    for (const QuestionRecord &row : rows)
        numbers.insert(row.number);
    for (auto it = explanations.cbegin(); it != explanations.cend(); ++it) {
        if (!numbers.contains(it.key()))
            problems << atNumber(bankFile, it.key(), QStringLiteral("解析没有对应的试题（试题表 zk 中没有这个题号）"));
        else if (it.value().trimmed().isEmpty())
            problems << atNumber(bankFile, it.key(), QStringLiteral("解析为空"));
    }
    if (requireAll) {
        for (const QuestionRecord &row : rows) {
            if (!explanations.contains(row.number))
                problems << atNumber(bankFile, row.number, QStringLiteral("试题没有解析"));
        }
    }
    return problems;
}

QStringList checkBank(const QString &dbPath, const QString &cataloguePath, bool *unreadable, bool requireExplanations)
{
    if (unreadable)
        *unreadable = false;
    QStringList problems;
    QList<QuestionRecord> rows;
    QMap<qint64, QString> explanations;
    QString error;
    const bool bankRead = BankBuilder::readRows(dbPath, &rows, &error)
                       && BankBuilder::readExplanations(dbPath, &explanations, &error);
    if (!bankRead)
        problems << inFile(dbPath, error);
    const Catalogue::LoadResult catalogue = Catalogue::load(cataloguePath);
    if (!catalogue.ok)
        problems << inFile(cataloguePath, QFileInfo::exists(cataloguePath) ? QStringLiteral("无法读取目录文件")
                                                                           : QStringLiteral("找不到目录文件"));
    if (!bankRead || !catalogue.ok) {
        if (unreadable)
            *unreadable = true;
        return problems;
    }
    return checkRows(dbPath, rows, cataloguePath, catalogue.labels)
         + checkExplanations(dbPath, rows, explanations, requireExplanations);
}

} // namespace BankCheck
