#pragma once

#include <QByteArray>
#include <QString>

// One composed paper: the numbered questions and the answer sheet.
// Question m adds CR LF, m, "." and the question to the questions, and m,
// ".", the answer and ";  " to the answers, so the questions start with a
// line break and the answer sheet is one line ending in ";  ".
struct PaperBuffers
{
    QString questions;
    QString answers;

    void append(qint32 number, const QString &question, const QString &answer);
};

namespace Paper {

// The pieces that question m adds to each text.
QString questionEntry(qint32 number, const QString &question);
QString answerEntry(qint32 number, const QString &answer);

// Text boxes hold a line break as LF: CR LF and a lone CR become LF.
QString toBoxText(const QString &text);
// Every line end (LF, CR or CR LF) as CR LF.
QString withCrLf(const QString &text);

// The bytes of a saved paper: "试题部分：", line end, the questions, line
// end, "答案部分：", line end, the answers, line end; every line end CR LF,
// code page 936 (a character it lacks keeps its GB18030 form).
QByteArray fileBytes(const QString &questions, const QString &answers);

// Writes the bytes to a new file that replaces the one at path only once it
// is complete, so an existing file is never left truncated or half-written.
// On failure *reason holds the system's explanation.
bool writeFile(const QString &path, const QByteArray &bytes, QString *reason);

} // namespace Paper
