#pragma once

#include "aikensource.h"
#include "questionrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading questions that come from elsewhere: Aiken (with "$CATEGORY:"
// lines), the multiple-choice subset of GIFT, and tab-separated files saved
// by a spreadsheet. Every parser gives questions that carry their file and
// line, and problems as "file:line: …".
namespace Importers {

enum class Format { Aiken, Gift, Tsv };

struct Decoded
{
    QString text;     // line ends made LF
    QString encoding; // for the user: which encoding was recognised
};

// A byte-order mark (UTF-8, UTF-16 LE or BE) decides; else the bytes are
// taken as UTF-8 when they are valid UTF-8, else as GB18030 (code page 936),
// what a Chinese spreadsheet or editor writes.
Decoded decodeInput(const QByteArray &bytes);

bool formatFromName(const QString &name, Format *format);

// By the file's extension (.gift, .tsv, .tab, .aiken), else by its content.
bool guessFormat(const QString &path, const QString &text, Format *format);

// Aiken: blocks of a stem, "A. " to "D. " and "ANSWER: X" under
// "$CATEGORY: label" lines.
AikenSource::Parse parseAiken(const QString &text, const QString &fileName, const QString &defaultCategory = QString());

// GIFT, multiple choice only: an optional "::title::", the question, then
// "{=right ~wrong ~wrong ~wrong}" with exactly four answers (an answer's
// feedback after "#" is dropped; Moodle's general feedback, "####text" at the
// end of the block, is the explanation, its line ends made blanks), "$CATEGORY: label" lines (a Moodle context such as
// "$course$/top/" before the label is dropped), "//" comment lines, and the
// escapes \~ \= \# \{ \} \: \\ and \n. A block in the middle of the text
// ("missing word") leaves a blank "______" in the stem.
AikenSource::Parse parseGift(const QString &text, const QString &fileName, const QString &defaultCategory = QString());

// Tab-separated: category, question, A, B, C, D, answer and, optionally, the
// explanation (one line in the bank); an optional header row; a field in double quotes may hold tabs, line ends and "" for a quote.
AikenSource::Parse parseTsv(const QString &text, const QString &fileName, const QString &defaultCategory = QString());

AikenSource::Parse parse(Format format, const QString &text, const QString &fileName,
                         const QString &defaultCategory = QString());

// What importing these questions into a bank would do.
struct Plan
{
    QList<QuestionRecord> newRows; // numbered on from the bank's last 题号, with their explanations
    QStringList duplicates;        // "file:line: …", skipped questions
    QStringList newLabels;         // categories of new rows the catalogue lacks, in order
};

// existing: the bank's rows, numbered 1..N. A question equal to a row of the
// bank or to an earlier question of the input is skipped.
Plan plan(const QString &bankFile, const QList<QuestionRecord> &existing, const QStringList &labels,
          const QList<AikenSource::Question> &incoming);

} // namespace Importers
