#pragma once

#include "questionrecord.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

namespace BankBuilder {

// Creates a new bank file holding these rows. Refuses to touch a file that
// already exists. The bank is built under a temporary name beside the target
// and only then given its name, so a failure leaves no half-built bank that a
// later run would take for a finished one. The bank has the table jx, with
// the rows' explanations. Returns false with a reason in *error.
bool createBank(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Creates a new file with these bytes, never replacing one that exists
// (written under a temporary name, then renamed without replacing).
bool createFile(const QString &path, const QByteArray &bytes, QString *error);

// Adds labels at the end of an existing catalogue, keeping its bytes as they
// are; the file is replaced as a whole (QSaveFile), never left half written.
bool appendCatalogueLabels(const QString &path, const QStringList &labels, QString *error);

// Replaces a file's bytes as a whole (QSaveFile).
bool replaceFile(const QString &path, const QByteArray &bytes, QString *error);

// How an append goes: told of its progress, able to stop, and checking that
// the bank is still the one the rows were numbered for.
struct AppendControl
{
    // Rows written so far of all, now and then; returning false cancels the
    // append, and nothing is written.
    std::function<bool(qint64 written, qint64 total)> progress;
    // The last step inside the transaction (the catalogue is written there);
    // false leaves nothing written.
    std::function<bool(QString *error)> beforeCommit;
    // The bank must still hold exactly the questions 1..expectedRows when the
    // transaction starts; -1: not checked.
    qint64 expectedRows = -1;
};

struct AppendResult
{
    enum Kind { Appended, Failed, Cancelled };
    Kind kind = Failed;
    QString error;  // Failed: where and why
    QString reason; // Failed: why, in the user's words ("题库文件是只读的")
};

// Appends rows to an existing bank in one transaction, their explanations
// with them (the table jx is made in that transaction when the bank lacks it).
// The transaction takes the bank's write lock first, waiting for another
// program's write at most BankFile::kBusyTimeoutMs.
AppendResult appendRows(const QString &path, const QList<QuestionRecord> &rows, const AppendControl &control = {});

// Reads every row of a bank in table order, each with its explanation.
bool readRows(const QString &path, QList<QuestionRecord> *rows, QString *error);

// Reads the table jx as it is, 题号 -> 解析 (rows without a question
// included); nothing for a bank without the table.
bool readExplanations(const QString &path, QMap<qint64, QString> *explanations, QString *error);

// The bytes of a catalogue file: code page 936, every line ended by CR LF.
QByteArray catalogueBytes(const QStringList &labels);

} // namespace BankBuilder
