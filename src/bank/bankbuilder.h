#pragma once

#include "questionrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace BankBuilder {

// Creates a new bank file holding these rows. Refuses to touch a file that
// already exists. The bank is built under a temporary name beside the target
// and only then given its name, so a failure leaves no half-built bank that a
// later run would take for a finished one. Returns false with a reason in *error.
bool createBank(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Creates a new file with these bytes, never replacing one that exists
// (written under a temporary name, then renamed without replacing).
bool createFile(const QString &path, const QByteArray &bytes, QString *error);

// Adds labels at the end of an existing catalogue, keeping its bytes as they
// are; the file is replaced as a whole (QSaveFile), never left half written.
bool appendCatalogueLabels(const QString &path, const QStringList &labels, QString *error);

// Replaces a file's bytes as a whole (QSaveFile).
bool replaceFile(const QString &path, const QByteArray &bytes, QString *error);

// Appends rows to an existing bank in one transaction.
bool appendRows(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Reads every row of a bank in table order.
bool readRows(const QString &path, QList<QuestionRecord> *rows, QString *error);

// The bytes of a catalogue file: code page 936, every line ended by CR LF.
QByteArray catalogueBytes(const QStringList &labels);

} // namespace BankBuilder
