#pragma once

#include "questionrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

// The bank's source format: Aiken blocks (a stem line, "A. " to "D. ",
// "ANSWER: X", optionally "解析: text" on the line right after the answer),
// separated by blank lines, under "$CATEGORY: label" headings.
namespace AikenSource {

struct Question
{
    QString category;
    QString stem;
    QStringList choices; // the choice texts without their "A. " prefix
    QString answer;      // one letter
    QString explanation; // 解析, one line; empty: none
    QString file;
    int line = 0;        // line of the stem, 1-based

    // 试题 as the bank stores it: the stem, then "A. …" to "D. …" on their own lines.
    QString questionText() const;
};

struct Parse
{
    QList<Question> questions;
    QStringList errors; // "file:line: message"
};

// Questions before any "$CATEGORY:" line take defaultCategory; without one
// they are an error.
Parse parse(const QString &text, const QString &fileName, const QString &defaultCategory = QString());

// The block of one question in this format (without a trailing blank line);
// the 解析 line only when the question has an explanation, its line ends
// written as blanks (the line is all the format has for it).
QString format(const Question &q);

// Splits a bank's 试题 back into stem and choices; false when it is not in
// the bank's layout (stem, then exactly four lettered choice lines).
bool splitQuestionText(const QString &text, QString *stem, QStringList *choices);

} // namespace AikenSource
