#include "bankfile.h"

#include "bankschema.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sqlite3.h>

namespace BankFile {

namespace {

void connectTo(QSqlDatabase &db, const QString &path, const QString &mode, bool immutable)
{
    // A URI with mode=rw (or ro) makes SQLite refuse a missing file instead
    // of creating an empty one in its place.
    const QString encoded = QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    db.setDatabaseName(QStringLiteral("file:%1?mode=%2%3")
                           .arg(encoded, mode, immutable ? QStringLiteral("&immutable=1") : QString()));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.open();
}

// True when reading fails only because SQLite may not create the files of a
// write-ahead log next to the bank (SQLITE_READONLY or SQLITE_CANTOPEN).
bool blockedByReadOnlyLog(QSqlDatabase &db)
{
    QSqlQuery probe(db);
    if (probe.exec(QStringLiteral("PRAGMA schema_version")))
        return false;
    const int code = probe.lastError().nativeErrorCode().toInt() & 0xff;
    return code == SQLITE_READONLY || code == SQLITE_CANTOPEN;
}

} // namespace

QSqlDatabase open(const QString &connectionName, const QString &path, bool readOnly)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    connectTo(db, path, readOnly ? QStringLiteral("ro") : QStringLiteral("rw"), false);
    if (db.isOpen() && blockedByReadOnlyLog(db)) {
        // Nobody can write there, so the file cannot change under us: it is
        // read without locks. Stores then fail as on any read-only bank.
        db.close();
        connectTo(db, path, QStringLiteral("ro"), true);
    }
    return db;
}

QString describeEngineError(int code, const QString &detail)
{
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("题库正被其他程序使用");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("题库文件是只读的");
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满");
    case SQLITE_IOERR:
        return QStringLiteral("读写题库文件时出错");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("题库文件已损坏");
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开题库文件");
    default:
        return QStringLiteral("题库出错：%1").arg(detail);
    }
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
