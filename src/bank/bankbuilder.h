#pragma once

#include "questionrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace BankBuilder {

// Creates a new bank file holding these rows. Refuses to touch a file that
// already exists. Returns false with a reason in *error.
bool createBank(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Appends rows to an existing bank in one transaction.
bool appendRows(const QString &path, const QList<QuestionRecord> &rows, QString *error);

// Reads every row of a bank in table order.
bool readRows(const QString &path, QList<QuestionRecord> *rows, QString *error);

// The bytes of a catalogue file: code page 936, every line ended by CR LF.
QByteArray catalogueBytes(const QStringList &labels);

} // namespace BankBuilder
