// Any text handed to a cursor as its record source, run against a real bank
// file: a refused text fails the refresh with a message and shows no rows;
// an accepted one returns the rows that meet its condition. Since no cell of
// the bank is empty, the rows of "= v" and of "<> v" together are the whole
// table, whatever v is: the value reached SQLite intact, as a bound value.
// The rows of "in (v1, v2, ...)" are those of "= v1", "= v2" ... together.
#include "fuzzsupport.h"

#include "bankbuilder.h"
#include "querytext.h"
#include "questioncursor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QSet>
#include <QTemporaryDir>

namespace {

constexpr int kRows = 12;

QList<QuestionRecord> sampleRows()
{
    QList<QuestionRecord> rows;
    for (int i = 1; i <= kRows; ++i) {
        QuestionRecord row;
        row.number = i;
        row.question = QStringLiteral("Question %1\nA. one\nB. two\nC. three\nD. 四").arg(i);
        row.answer = QString(QLatin1Char(char('A' + i % 4)));
        row.category = i % 3 == 0 ? QStringLiteral("全部中考试题") : QStringLiteral("类别 \"%1\"").arg(i % 3);
        row.mark = i % 3;
        row.picked = i % 2 ? QStringLiteral("E") : QStringLiteral("B");
        rows << row;
    }
    return rows;
}

QuestionCursor &cursor()
{
    static QuestionCursor *open = [] {
        ensureApplication();
        static QTemporaryDir dir;
        QString error;
        const QString path = dir.filePath(QStringLiteral("english.db"));
        if (!dir.isValid() || !BankBuilder::createBank(path, sampleRows(), &error))
            propertyFailed(__FILE__, __LINE__, "bank created", error);
        return new QuestionCursor(nullptr, path);
    }();
    return *open;
}

int rowsFor(const QString &text, bool *ok)
{
    QuestionCursor &c = cursor();
    c.setRecordSource(text);
    *ok = c.refresh();
    return c.recordCount();
}

// The value written back as a query text would hold it.
QString literalOf(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString();
        return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    }
    if (value.typeId() == QMetaType::Double) // plain decimals, the shortest that read back exactly
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    return QString::number(value.toLongLong());
}

// The 题号 of the rows a text selects.
QSet<qint64> numbersFor(const QString &text, bool *ok)
{
    QuestionCursor &c = cursor();
    c.setRecordSource(text);
    *ok = c.refresh();
    QSet<qint64> numbers;
    for (bool more = c.hasCurrentRow(); more; more = c.moveNext() && !c.isEOF())
        numbers.insert(c.field(0).toLongLong());
    return numbers;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = anyText(data, size);
    const ParsedQuery parsed = QueryText::parse(text);
    bool ok = false;
    const int count = rowsFor(text, &ok);
    FUZZ_CHECK(ok == parsed.ok, shown(text) + QStringLiteral(": ") + cursor().lastError());
    if (!ok) {
        FUZZ_CHECK(count == 0 && !cursor().lastError().isEmpty(), shown(text));
        return 0;
    }
    FUZZ_CHECK(count >= 0 && count <= kRows, shown(text));
    if (!parsed.hasFilter) {
        FUZZ_CHECK(count == kRows, shown(text));
        return 0;
    }
    if (parsed.inList) {
        QSet<qint64> matched;
        for (const QJsonValue &value : QJsonDocument::fromJson(parsed.value.toString().toUtf8()).array()) {
            const QString one = QStringLiteral("select * from zk where %1 = %2").arg(parsed.column, literalOf(value.toVariant()));
            bool oneOk = false;
            matched.unite(numbersFor(one, &oneOk));
            FUZZ_CHECK(oneOk, shown(one) + QStringLiteral(": ") + cursor().lastError());
        }
        FUZZ_CHECK(count == matched.size(), shown(text) + QStringLiteral(" gave %1 rows, its values one by one %2")
                                                             .arg(count).arg(matched.size()));
        return 0;
    }
    // The same condition with the other operator.
    const QString other = QStringLiteral("select * from zk where %1 %2 %3")
                              .arg(parsed.column, parsed.notEqual ? QStringLiteral("=") : QStringLiteral("<>"),
                                   literalOf(parsed.value));
    bool otherOk = false;
    const int otherCount = rowsFor(other, &otherOk);
    FUZZ_CHECK(otherOk, shown(other) + QStringLiteral(": ") + cursor().lastError());
    FUZZ_CHECK(count + otherCount == kRows,
               shown(text) + QStringLiteral(" and ") + shown(other) + QStringLiteral(" gave %1 + %2 rows").arg(count).arg(otherCount));
    return 0;
}
