#pragma once

#include "questionrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// Writing a bank's questions for other programs: Aiken (with "$CATEGORY:"
// lines, the bank's own source format) or GIFT. GIFT carries a question's
// explanation as Moodle's general feedback ("####…"); Aiken only on request
// as a "解析: " line, which other Aiken readers refuse. Each row is checked to
// read back as the same question (stem, choices, answer, category and the
// explanation written); a row that would not is a problem named by its 题号,
// and then nothing is to be written.
namespace Exporters {

enum class Format { Aiken, Gift };

bool formatFromName(const QString &name, Format *format);

struct Result
{
    QString text;         // the whole file, LF line ends
    QStringList problems; // "file:题号 N: …"
};

Result toAiken(const QString &bankFile, const QList<QuestionRecord> &rows, bool withExplanations = false);
Result toGift(const QString &bankFile, const QList<QuestionRecord> &rows);
// withExplanations matters for Aiken only: GIFT always has them.
Result toFormat(Format format, const QString &bankFile, const QList<QuestionRecord> &rows,
                bool withExplanations = false);

// GIFT text with its special characters escaped (and line ends as \n).
QString escapeGift(const QString &text);

} // namespace Exporters
