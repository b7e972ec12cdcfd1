#pragma once

#include "aikensource.h"
#include "importers.h"

#include <QByteArray>

// Properties every reader of questions from outside keeps, shared by the
// fuzz targets of the importers.

// The bytes of an imported file as the bank tool decodes them: no CR is left,
// valid UTF-8 is taken as it is, and anything else as GB18030.
Importers::Decoded decodeChecked(const QByteArray &bytes);

// Each question read has a category, a stem, four one-line choices, an
// answer A to D and an explanation of one line (or none), and names its file
// and a line of the text; each problem starts with the file's name.
void checkParsed(const AikenSource::Parse &parsed, const QString &fileName, const QString &text);

// The questions exported as Aiken (without and with the explanations) and as
// GIFT, where the exporter takes them, read back from the whole exported file
// as the same questions, explanations included where they were written.
void checkExportReadsBack(const QList<AikenSource::Question> &questions);
