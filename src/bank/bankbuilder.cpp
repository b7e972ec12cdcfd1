#include "bankbuilder.h"

#include "bankfile.h"
#include "bankschema.h"
#include "codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <algorithm>

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

bool hasExplanation(const QuestionRecord &row)
{
    return !row.explanation.trimmed().isEmpty();
}

// The rows go into zk and their explanations into jx in one transaction:
// either the questions arrive with their explanations or nothing changes.
bool insertRows(QSqlDatabase &db, const QList<QuestionRecord> &rows, QString *error)
{
    if (!db.transaction()) {
        if (error)
            *error = db.lastError().text();
        return false;
    }
    const auto fail = [&](const QString &message) {
        if (error)
            *error = message;
        db.rollback();
        return false;
    };
    QSqlQuery q(db);
    if (std::any_of(rows.cbegin(), rows.cend(), hasExplanation)
        && !q.exec(BankSchema::createExplanationTableSql()))
        return fail(q.lastError().text());
    q.prepare(QStringLiteral("INSERT INTO zk (%1) VALUES (?, ?, ?, ?, ?, ?)").arg(BankSchema::quotedColumnList()));
    QSqlQuery explain(db);
    explain.prepare(QStringLiteral("INSERT INTO jx (\"题号\", \"解析\") VALUES (?, ?)"));
    for (const QuestionRecord &r : rows) {
        q.addBindValue(r.number);
        q.addBindValue(r.question);
        q.addBindValue(r.answer);
        q.addBindValue(r.category);
        q.addBindValue(r.mark);
        q.addBindValue(r.picked);
        if (!q.exec())
            return fail(QStringLiteral("题号 %1：%2").arg(r.number).arg(q.lastError().text()));
        if (!hasExplanation(r))
            continue;
        explain.addBindValue(r.number);
        explain.addBindValue(r.explanation);
        if (!explain.exec())
            return fail(QStringLiteral("题号 %1 的解析：%2").arg(r.number).arg(explain.lastError().text()));
    }
    if (!db.commit())
        return fail(db.lastError().text());
    return true;
}

// jx as it is (题号 -> 解析); nothing for a bank without the table.
bool selectExplanations(QSqlDatabase &db, QMap<qint64, QString> *explanations, QString *error)
{
    QString problem;
    if (!BankSchema::hasExplanationTable(db, &problem)) {
        if (error && !problem.isEmpty())
            *error = problem;
        return problem.isEmpty();
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT \"题号\", \"解析\" FROM jx ORDER BY \"题号\""))) {
        if (error)
            *error = QStringLiteral("解析表 jx 无法读取（%1）").arg(q.lastError().text());
        return false;
    }
    while (q.next())
        explanations->insert(q.value(0).toLongLong(), q.value(1).toString());
    return true;
}

// A temporary file in the target's folder (so that a rename can give it the
// target's name), readable by everyone like any other file of the program.
bool openTemporaryBeside(const QString &path, QTemporaryFile *temp, QString *error)
{
    const QFileInfo target(path);
    temp->setFileTemplate(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!temp->open()) {
        if (error)
            *error = QStringLiteral("无法在 %1 中建立文件（%2）").arg(target.absolutePath(), temp->errorString());
        return false;
    }
    temp->setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                         | QFileDevice::ReadOther);
    return true;
}

// Renames the finished temporary file to its target; fails rather than
// replace a file that appeared in the meantime.
bool giveName(QTemporaryFile *temp, const QString &path, QString *error)
{
    if (!QFile::rename(temp->fileName(), path)) {
        if (error)
            *error = QFileInfo::exists(path) ? QStringLiteral("%1 已经存在，未作改动").arg(path)
                                             : QStringLiteral("无法建立 %1").arg(path);
        return false;
    }
    temp->setAutoRemove(false);
    return true;
}

} // namespace

bool createBank(const QString &path, const QList<QuestionRecord> &rows, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 已经存在，未作改动").arg(path);
        return false;
    }
    QTemporaryFile temp;
    if (!openTemporaryBeside(path, &temp, error))
        return false;
    temp.close(); // SQLite takes an empty file for a new database
    const bool built = withConnection(temp.fileName(), true, error, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        for (const QString &sql : {BankSchema::createTableSql(), BankSchema::createMarkIndexSql(),
                                   BankSchema::createExplanationTableSql()}) {
            if (!q.exec(sql)) {
                if (error)
                    *error = q.lastError().text();
                return false;
            }
        }
        return insertRows(db, rows, error);
    });
    return built && giveName(&temp, path, error);
}

bool createFile(const QString &path, const QByteArray &bytes, QString *error)
{
    if (QFileInfo::exists(path)) {
        if (error)
            *error = QStringLiteral("%1 已经存在，未作改动").arg(path);
        return false;
    }
    QTemporaryFile temp;
    if (!openTemporaryBeside(path, &temp, error))
        return false;
    if (temp.write(bytes) != bytes.size() || !temp.flush()) {
        if (error)
            *error = temp.errorString();
        return false;
    }
    temp.close();
    return giveName(&temp, path, error);
}

bool replaceFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool appendCatalogueLabels(const QString &path, const QStringList &labels, QString *error)
{
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly)) {
        if (error)
            *error = existing.errorString();
        return false;
    }
    QByteArray bytes = existing.readAll();
    existing.close();
    if (!bytes.isEmpty() && !bytes.endsWith('\r') && !bytes.endsWith("\r\n"))
        bytes += "\r\n"; // the last line had no line end of its own
    bytes += catalogueBytes(labels);
    return replaceFile(path, bytes, error);
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
        QMap<qint64, QString> explanations;
        if (!selectExplanations(db, &explanations, error))
            return false;
        while (q.next()) {
            QuestionRecord r;
            r.number = q.value(0).toLongLong();
            r.question = q.value(1).toString();
            r.answer = q.value(2).toString();
            r.category = q.value(3).toString();
            r.mark = q.value(4).toInt();
            r.picked = q.value(5).toString();
            r.explanation = explanations.value(r.number);
            rows->append(r);
        }
        return true;
    });
}

bool readExplanations(const QString &path, QMap<qint64, QString> *explanations, QString *error)
{
    const BankFile::Status status = BankFile::check(path);
    if (!status.ok) {
        if (error)
            *error = status.message;
        return false;
    }
    return withConnection(path, false, error,
                          [&](QSqlDatabase &db) { return selectExplanations(db, explanations, error); });
}

QByteArray catalogueBytes(const QStringList &labels)
{
    QString text;
    for (const QString &label : labels)
        text += label + QStringLiteral("\r\n");
    return CodePage::encode(text);
}

} // namespace BankBuilder
