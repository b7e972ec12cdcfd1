#pragma once

#include "aikensource.h"
#include "questionrecord.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The rules a bank and its sources must keep. Every problem is one line of
// text that starts with where it is: "file:line: …" for a source or the
// catalogue, "file:题号 N: …" for a row of a bank, "file: …" for a whole file.
namespace BankCheck {

QString at(const QString &file, int line, const QString &message);
QString atNumber(const QString &file, qint64 number, const QString &message);
QString inFile(const QString &file, const QString &message);

// Runs of blanks (line ends included) become one blank, none at either end.
QString foldBlanks(const QString &text);
QString foldBlanksAndCase(const QString &text);

// Two questions are the same when their stems and their sets of choices are
// equal after folding blanks and case (the order of the choices is no
// difference: a shuffled copy is still the same question).
QString duplicateKey(const QString &stem, const QStringList &choices);
// The key of a bank row; a 试题 that is not in the bank's layout is keyed as a whole.
QString duplicateKey(const QString &questionText);

// Why a label cannot be a category of the bank, or an empty string.
QString categoryProblem(const QString &label);

// The letters a category of n questions may have of each answer letter:
// 20 % to 30 % of n, widened to whole questions.
int fewestOfALetter(int n);
int mostOfALetter(int n);

// One question as the checks see it, from a source or from a bank row.
struct Item
{
    QString place; // "file:line" or "file:题号 N"
    QString category;
    QString stem;
    QStringList choices;
    QString answer;
    QString layoutProblem; // a 试题 that is not the stem then "A. " to "D. " lines
};

Item fromSource(const AikenSource::Question &q);
Item fromRow(const QString &bankFile, const QuestionRecord &row);

// Four choices, an answer A to D, a usable category, no duplicate, and the
// answer letters of every category balanced.
QStringList checkItems(const QList<Item> &items);

// Reads, parses and checks source files (UTF-8 Aiken under "$CATEGORY:"
// lines) as one set: a duplicate across two files counts. The parsed
// questions go to *questions in file order. *unreadable tells whether some
// problem is a file that could not be read rather than its content.
QStringList checkSources(const QStringList &paths, QList<AikenSource::Question> *questions = nullptr,
                         bool *unreadable = nullptr);

// The questions that have no explanation (no "解析: " line after their
// ANSWER line), each named by file and line.
QStringList missingExplanations(const QList<AikenSource::Question> &questions);

// 题号 runs 1..N with no gap and no repeat. Counts are 32-bit: a bank may
// hold far more than the 32767 questions of a 16-bit counter.
QStringList checkNumbers(const QString &bankFile, const QList<QuestionRecord> &rows);

// The rows of a bank and its catalogue together: the checks of checkItems,
// 题号 1..N, 批阅 0 and 作答 "E" everywhere, every category in the catalogue
// and every label (but the whole-bank entry) with at least one row.
QStringList checkRows(const QString &bankFile, const QList<QuestionRecord> &rows,
                      const QString &catalogueFile, const QStringList &labels);

// The table jx (题号 -> 解析, as readExplanations gives it) against the
// rows: every explanation belongs to a question of zk and has some text;
// with requireAll, every question has an explanation.
QStringList checkExplanations(const QString &bankFile, const QList<QuestionRecord> &rows,
                              const QMap<qint64, QString> &explanations, bool requireAll);

// Reads the bank and the catalogue and checks them with checkRows and
// checkExplanations. A file that cannot be read is reported (and *unreadable set).
QStringList checkBank(const QString &dbPath, const QString &cataloguePath, bool *unreadable = nullptr,
                      bool requireExplanations = false);

} // namespace BankCheck
