#include "bankschema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace BankSchema {

const QStringList &columnNames()
{
    static const QStringList names = {
        QStringLiteral("题号"), QStringLiteral("试题"), QStringLiteral("答案"),
        QStringLiteral("备注"), QStringLiteral("批阅"), QStringLiteral("作答"),
    };
    return names;
}

QString quotedColumnList()
{
    QStringList quoted;
    for (const QString &name : columnNames())
        quoted << QLatin1Char('"') + name + QLatin1Char('"');
    return quoted.join(QStringLiteral(", "));
}

int columnIndex(const QString &name)
{
    return int(columnNames().indexOf(name));
}

QString createTableSql()
{
    return QStringLiteral("CREATE TABLE zk (\"题号\" INTEGER PRIMARY KEY, \"试题\" TEXT, \"答案\" TEXT, "
                          "\"备注\" TEXT, \"批阅\" INTEGER DEFAULT 0, \"作答\" TEXT DEFAULT 'E')");
}

QString createMarkIndexSql()
{
    return QStringLiteral("CREATE INDEX zk_mark ON zk (\"批阅\")");
}

QString createExplanationTableSql()
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS jx (\"题号\" INTEGER PRIMARY KEY, \"解析\" TEXT NOT NULL)");
}

bool hasExplanationTable(const QSqlDatabase &db, QString *error)
{
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    q.addBindValue(QString::fromLatin1(kExplanationTable));
    if (!q.exec()) {
        if (error)
            *error = q.lastError().text();
        return false;
    }
    return q.next();
}

std::optional<QString> readExplanation(const QSqlDatabase &db, qint64 number, QString *error)
{
    QString problem;
    const auto answer = [&](std::optional<QString> text) {
        if (error)
            *error = problem;
        return text;
    };
    if (!hasExplanationTable(db, &problem))
        return answer(std::nullopt);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT \"解析\" FROM jx WHERE \"题号\" = ?"));
    q.addBindValue(number);
    if (!q.exec()) {
        problem = q.lastError().text();
        return answer(std::nullopt);
    }
    return answer(q.next() ? std::optional<QString>(q.value(0).toString()) : std::nullopt);
}

} // namespace BankSchema
