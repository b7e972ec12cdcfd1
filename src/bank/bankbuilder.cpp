#include "bankbuilder.h"

#include "bankfile.h"
#include "bankschema.h"
#include "codepage.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace BankBuilder {
namespace {

int serial = 0;

// Runs fn on a fresh connection and removes the connection afterwards.
template<typename Fn>
bool withConnection(const QString &path, bool create, QString *error, Fn fn)
{
    const QString name = QStringLiteral("qv_builder_%1").arg(++serial);
    bool ok = false;
    {
        QSqlDatabase db;
        if (create) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            db.open();
        } else {
            db = BankFile::open(name, path);
        }
        if (!db.isOpen()) {
            if (error)
                *error = db.lastError().text();
        } else {
            ok = fn(db);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

bool insertRows(QSqlDatabase &db, const QList<QuestionRecord> &rows, QString *error)
{
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO zk (%1) VALUES (?, ?, ?, ?, ?, ?)").arg(BankSchema::quotedColumnList()));
    for (const QuestionRecord &r : rows) {
        q.addBindValue(r.number);
        q.addBindValue(r.question);
        q.addBindValue(r.answer);
        q.addBindValue(r.category);
        q.addBindValue(r.mark);
        q.addBindValue(r.picked);
        if (!q.exec()) {
            if (error)
                *error = QStringLiteral("题号 %1：%2").arg(r.number).arg(q.lastError().text());
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        if (error)
            *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

} // namespace

bool createBank(const QString &path, const QList<QuestionRecord> &rows, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 already exists; it is left as it is").arg(path);
        return false;
    }
    return withConnection(path, true, error, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        for (const QString &sql : {BankSchema::createTableSql(), BankSchema::createMarkIndexSql()}) {
            if (!q.exec(sql)) {
                if (error)
                    *error = q.lastError().text();
                return false;
            }
        }
        return insertRows(db, rows, error);
    });
}

bool appendRows(const QString &path, const QList<QuestionRecord> &rows, QString *error)
{
    return withConnection(path, false, error, [&](QSqlDatabase &db) { return insertRows(db, rows, error); });
}

bool readRows(const QString &path, QList<QuestionRecord> *rows, QString *error)
{
    const BankFile::Status status = BankFile::check(path);
    if (!status.ok) {
        if (error)
            *error = status.message;
        return false;
    }
    return withConnection(path, false, error, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!q.exec(QStringLiteral("SELECT %1 FROM zk ORDER BY rowid").arg(BankSchema::quotedColumnList()))) {
            if (error)
                *error = q.lastError().text();
            return false;
        }
        while (q.next()) {
            QuestionRecord r;
            r.number = q.value(0).toLongLong();
            r.question = q.value(1).toString();
            r.answer = q.value(2).toString();
            r.category = q.value(3).toString();
            r.mark = q.value(4).toInt();
            r.picked = q.value(5).toString();
            rows->append(r);
        }
        return true;
    });
}

QByteArray catalogueBytes(const QStringList &labels)
{
    QString text;
    for (const QString &label : labels)
        text += label + QStringLiteral("\r\n");
    return CodePage::encode(text);
}

} // namespace BankBuilder
