#include "bankschema.h"

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

} // namespace BankSchema
