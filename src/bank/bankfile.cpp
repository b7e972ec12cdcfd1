#include "bankfile.h"

#include "bankschema.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace BankFile {

QSqlDatabase open(const QString &connectionName, const QString &path, bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    // A URI with mode=rw (or ro) makes SQLite refuse a missing file instead
    // of creating an empty one in its place.
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    db.setDatabaseName(QStringLiteral("file:%1?mode=%2").arg(encoded, readOnly ? QStringLiteral("ro") : QStringLiteral("rw")));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.open();
    return db;
}

Status check(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const auto fail = [&](const QString &reason) {
        return Status{false, QStringLiteral("题库文件“%1”无法使用：%2").arg(name, reason)};
    };

    const QFileInfo info(path);
    if (!info.exists())
        return fail(QStringLiteral("在当前文件夹 %1 中找不到该文件。").arg(QFileInfo(QStringLiteral(".")).absoluteFilePath()));
    if (!info.isFile())
        return fail(QStringLiteral("它不是一个文件。"));
    if (!info.isReadable())
        return fail(QStringLiteral("没有读取该文件的权限。"));

    static int serial = 0;
    const QString connection = QStringLiteral("qv_bank_check_%1").arg(++serial);
    Status status;
    {
        QSqlDatabase db = open(connection, path, /*readOnly=*/true);
        if (!db.isOpen()) {
            status = fail(QStringLiteral("无法打开（%1）。").arg(db.lastError().text()));
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA table_info(zk)"))) {
                status = fail(QStringLiteral("它不是题库数据库（%1）。").arg(q.lastError().text()));
            } else {
                QStringList columns;
                while (q.next())
                    columns << q.value(1).toString();
                if (columns.isEmpty())
                    status = fail(QStringLiteral("其中没有试题表 zk。"));
                else if (columns != BankSchema::columnNames())
                    status = fail(QStringLiteral("试题表 zk 的列不对（应为 %1，实为 %2）。")
                                      .arg(BankSchema::columnNames().join(QStringLiteral("、")),
                                           columns.join(QStringLiteral("、"))));
                else
                    status.ok = true;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return status;
}

} // namespace BankFile
