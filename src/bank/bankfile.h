#pragma once

#include <QSqlDatabase>
#include <QString>

// The bank file: english.db, opened by relative name from the working folder.
namespace BankFile {

inline constexpr char kFileName[] = "english.db";

struct Status
{
    bool ok = false;
    QString message; // for the user: names the file and the reason
};

// Looks at the file without altering it (and without creating it when it is
// missing): is it an SQLite file with the table zk and its six columns?
Status check(const QString &path = QString::fromLatin1(kFileName));

// Opens a named connection on an existing bank; never creates the file.
// A bank in write-ahead-log mode on a medium or in a folder where nothing can
// be written (no room for the log's shared-memory file) cannot even be read
// the usual way; it is then opened read-only as an unchanging file.
QSqlDatabase open(const QString &connectionName, const QString &path, bool readOnly = false);

// What an SQLite result code means for the user, in a few words
// ("题库文件是只读的"); detail is the engine's own text, kept for codes
// without a description of their own.
QString describeEngineError(int code, const QString &detail);

// How long a store waits for another program's write transaction to end.
inline constexpr int kBusyTimeoutMs = 3000;

} // namespace BankFile
