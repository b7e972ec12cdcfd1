// Query texts: any text handed over as a record source is either refused
// with a reason or turned into one of the fixed statements, the value always
// bound, never part of the SQL. The texts the windows build from a category
// label, a question number or a list of numbers read back as those.
#include "fuzzsupport.h"

#include "bankschema.h"
#include "querytext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QtEndian>

namespace {

// Every statement toSql may give: the whole table, or one column compared
// with a bound value by = or <>, or looked up in a bound list.
const QSet<QString> &allowedStatements()
{
    static const QSet<QString> statements = [] {
        QSet<QString> all;
        ParsedQuery q;
        q.ok = true;
        all.insert(QueryText::toSql(q));
        q.hasFilter = true;
        for (const QString &column : BankSchema::columnNames()) {
            q.column = column;
            for (bool notEqual : {false, true}) {
                q.notEqual = notEqual;
                all.insert(QueryText::toSql(q));
            }
            q.notEqual = false;
            q.inList = true;
            all.insert(QueryText::toSql(q));
            q.inList = false;
        }
        return all;
    }();
    return statements;
}

void checkParse(const QString &text)
{
    const ParsedQuery q = QueryText::parse(text);
    if (!q.ok) {
        FUZZ_CHECK(!q.error.isEmpty(), shown(text));
        return;
    }
    // Being one of the fixed statements, the SQL holds nothing of the text
    // but the name of a column: the value reaches SQLite only bound.
    const QString sql = QueryText::toSql(q);
    FUZZ_CHECK(allowedStatements().contains(sql), shown(text) + QStringLiteral(" gave ") + shown(sql));
    if (!q.hasFilter)
        return;
    FUZZ_CHECK(BankSchema::columnNames().contains(q.column), shown(text));
    if (q.inList) {
        FUZZ_CHECK(q.value.typeId() == QMetaType::QString
                       && QJsonDocument::fromJson(q.value.toString().toUtf8()).isArray(),
                   shown(text) + QStringLiteral(" gave the list ") + shown(q.value.toString()));
        return;
    }
    const int type = q.value.typeId();
    FUZZ_CHECK(type == QMetaType::QString || type == QMetaType::LongLong || type == QMetaType::Double,
               shown(text) + QStringLiteral(" gave a value of type ") + QString::fromLatin1(q.value.typeName()));
}

void checkCategoryRoundTrip(const QString &label)
{
    const QString text = QueryText::categoryQuery(label);
    const ParsedQuery q = QueryText::parse(text);
    FUZZ_CHECK(q.ok, shown(label) + QStringLiteral(" gave ") + shown(text) + QStringLiteral(": ") + q.error);
    if (label == QString::fromUtf8(QueryText::kWholeBankLabel)) {
        FUZZ_CHECK(!q.hasFilter, shown(text));
        return;
    }
    FUZZ_CHECK(q.hasFilter && q.column == BankSchema::columnNames().at(BankSchema::Category) && !q.notEqual,
               shown(text));
    FUZZ_CHECK(q.value.typeId() == QMetaType::QString && q.value.toString() == label,
               shown(label) + QStringLiteral(" read back as ") + shown(q.value.toString()));
}

void checkNumberRoundTrip(qint64 number)
{
    const QString text = QueryText::numberQuery(number);
    const ParsedQuery q = QueryText::parse(text);
    FUZZ_CHECK(q.ok && q.hasFilter && q.column == BankSchema::columnNames().at(BankSchema::Number), shown(text));
    FUZZ_CHECK(q.value.typeId() == QMetaType::LongLong && q.value.toLongLong() == number,
               shown(text) + QStringLiteral(" read back as ") + q.value.toString());
}

void checkNumberListRoundTrip(const QList<qint64> &numbers)
{
    const QString text = QueryText::numberListQuery(numbers);
    const ParsedQuery q = QueryText::parse(text);
    FUZZ_CHECK(q.ok && q.inList && q.column == BankSchema::columnNames().at(BankSchema::Number), shown(text));
    const QJsonArray list = QJsonDocument::fromJson(q.value.toString().toUtf8()).array();
    QList<qint64> readBack;
    for (const QJsonValue &v : list)
        readBack << v.toInteger();
    FUZZ_CHECK(readBack == numbers, shown(text) + QStringLiteral(" read back as ") + q.value.toString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = anyText(data, size);
    checkParse(text);
    checkCategoryRoundTrip(text);
    if (size >= 8)
        checkNumberRoundTrip(qFromLittleEndian<qint64>(data + size - 8));
    QList<qint64> numbers;
    for (size_t at = 0; at + 8 <= size && numbers.size() < 16; at += 8)
        numbers << qFromLittleEndian<qint64>(data + at);
    checkNumberListRoundTrip(numbers);
    return 0;
}
