#pragma once

#include "questionrecord.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

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

// Appends rows to an existing bank in one transaction, their explanations
// with them (the table jx is made in that transaction when the bank lacks it).
bool appendRows(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Reads every row of a bank in table order, each with its explanation.
bool readRows(const QString &path, QList<QuestionRecord> *rows, QString *error);

// Reads the table jx as it is, 题号 -> 解析 (rows without a question
// included); nothing for a bank without the table.
bool readExplanations(const QString &path, QMap<qint64, QString> *explanations, QString *error);

// The bytes of a catalogue file: code page 936, every line ended by CR LF.
QByteArray catalogueBytes(const QStringList &labels);

} // namespace BankBuilder
