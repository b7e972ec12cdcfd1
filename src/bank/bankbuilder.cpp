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

// How often an append tells its progress (and may be cancelled), in rows.
constexpr qint64 kProgressStep = 250;

// The rows go into zk and their explanations into jx in one transaction:
// either the questions arrive with their explanations or nothing changes.
// The transaction starts by taking the write lock (BEGIN IMMEDIATE), so that
// a bank another program is writing is waited for, within the busy timeout,
// before anything is read or written.
AppendResult insertRows(QSqlDatabase &db, const QList<QuestionRecord> &rows, const AppendControl &control)
{
    AppendResult result;
    QSqlQuery q(db);
    QSqlQuery explain(db);
    const auto rollBack = [&](AppendResult::Kind kind) {
        q.finish();
        explain.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        result.kind = kind;
        return result;
    };
    const auto fail = [&](const QString &where, const QSqlError &e) {
        result.error = where.isEmpty() ? e.text() : QStringLiteral("%1：%2").arg(where, e.text());
        result.reason = BankFile::describeEngineError(e.nativeErrorCode().toInt(), e.text());
        return rollBack(AppendResult::Failed);
    };
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        result.error = q.lastError().text();
        result.reason = BankFile::describeEngineError(q.lastError().nativeErrorCode().toInt(), result.error);
        return result; // no transaction to roll back
    }
    if (control.expectedRows >= 0) {
        if (!q.exec(QStringLiteral("SELECT count(*), coalesce(max(\"题号\"), 0) FROM zk")) || !q.next())
            return fail(QString(), q.lastError());
        if (q.value(0).toLongLong() != control.expectedRows || q.value(1).toLongLong() != control.expectedRows) {
            result.error = QStringLiteral("题库在检查之后有了变动（现有 %1 题），没有写入任何试题").arg(q.value(0).toLongLong());
            result.reason = QStringLiteral("题库刚被其他程序改动过");
            return rollBack(AppendResult::Failed);
        }
        q.finish();
    }
    if (std::any_of(rows.cbegin(), rows.cend(), hasExplanation)
        && !q.exec(BankSchema::createExplanationTableSql()))
        return fail(QString(), q.lastError());
    q.prepare(QStringLiteral("INSERT INTO zk (%1) VALUES (?, ?, ?, ?, ?, ?)").arg(BankSchema::quotedColumnList()));
    explain.prepare(QStringLiteral("INSERT INTO jx (\"题号\", \"解析\") VALUES (?, ?)"));
    const qint64 total = rows.size();
    if (control.progress && !control.progress(0, total))
        return rollBack(AppendResult::Cancelled);
    qint64 written = 0;
    for (const QuestionRecord &r : rows) {
        q.addBindValue(r.number);
        q.addBindValue(r.question);
        q.addBindValue(r.answer);
        q.addBindValue(r.category);
        q.addBindValue(r.mark);
        q.addBindValue(r.picked);
        if (!q.exec())
            return fail(QStringLiteral("题号 %1").arg(r.number), q.lastError());
        if (hasExplanation(r)) {
            explain.addBindValue(r.number);
            explain.addBindValue(r.explanation);
            if (!explain.exec())
                return fail(QStringLiteral("题号 %1 的解析").arg(r.number), explain.lastError());
        }
        ++written;
        if (control.progress && (written % kProgressStep == 0 || written == total)
            && !control.progress(written, total))
            return rollBack(AppendResult::Cancelled);
    }
    if (control.beforeCommit) {
        QString error;
        if (!control.beforeCommit(&error)) {
            result.error = result.reason = error;
            return rollBack(AppendResult::Failed);
        }
    }
    q.finish();
    explain.finish();
    if (!db.commit())
        return fail(QString(), db.lastError());
    result.kind = AppendResult::Appended;
    return result;
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
        const AppendResult inserted = insertRows(db, rows, {});
        if (inserted.kind != AppendResult::Appended && error)
            *error = inserted.error;
        return inserted.kind == AppendResult::Appended;
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

AppendResult appendRows(const QString &path, const QList<QuestionRecord> &rows, const AppendControl &control)
{
    AppendResult result;
    const bool opened = withConnection(path, false, &result.error, [&](QSqlDatabase &db) {
        result = insertRows(db, rows, control);
        return true;
    });
    if (!opened)
        result.reason = QStringLiteral("无法打开题库文件");
    return result;
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
