#pragma once

#include "bankfile.h"
#include "questioncursor.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

struct sqlite3;

// The learning record: table lx beside zk, one row for every answer the
// user stored in the practice window (题号, the letter, the mark 1 or 2 and
// the local time), kept across runs; the exit's mark reset leaves it alone.
// A bank without lx is a sound bank; the table is made with the first record.
namespace LearningRecord {

inline constexpr char kTable[] = "lx";
// The key of the record's write among a row's side writes: a later pick on
// the same row before it is stored replaces the earlier one.
inline constexpr char kSideWriteKey[] = "record";
inline constexpr int kChartDays = 30;

// CREATE TABLE / INDEX IF NOT EXISTS, both statements in one text.
QByteArray createTableSql();

// The write that appends the record of one answer; it goes into the bank
// with the row's own store, in its transaction (QuestionCursor::setSideWrite).
QuestionCursor::SideWrite answerWrite(qint64 number, const QString &picked, int mark, const QDateTime &when);

struct CategoryLine
{
    QString category; // 备注 of the answered questions
    qint64 answers = 0;
    qint64 right = 0;
};

struct DayLine
{
    QDate day;
    qint64 answers = 0; // 0: no answer that day
    qint64 right = 0;
};

struct Summary
{
    qint64 answers = 0;
    qint64 right = 0;
    qint64 days = 0; // days with at least one answer
    QList<CategoryLine> categories; // the weakest first
    QList<DayLine> lastDays;        // kChartDays days, the oldest first, today last
    QList<qint64> notebook;         // 题号 whose latest record is wrong, in bank order
};

// The order of the category table: the lower rate of right answers first
// (compared exactly, not by the rounded percentage); at the same rate the
// category with more answers, then by name.
bool weakerFirst(const CategoryLine &a, const CategoryLine &b);

class Tallies;

// Reads and clears the record through a connection of its own. Reading never
// creates the table: a bank without lx reads as an empty record.
class Reader
{
public:
    explicit Reader(const QString &bankPath = QString::fromLatin1(BankFile::kFileName));
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    // The whole summary, the chart's days ending with today.
    bool read(const QDate &today, Summary *summary);
    // Whether a read now might differ from the last one: another connection
    // has changed the bank since, or the day has changed.
    bool mayHaveChanged(const QDate &today);
    // Deletes every row of lx, nothing else.
    bool clear();
    void close();
    QString lastError() const { return m_lastError; }

private:
    bool ensureOpen();
    bool hasTable();
    qint64 number(const char *sql);
    bool readAnswers(Tallies *tallies, Summary *s);
    bool readQuestions(Tallies *tallies, Summary *s);
    qint64 dataVersion();
    bool fail();

    QString m_bankPath;
    QString m_connectionName;
    sqlite3 *m_handle = nullptr;
    QString m_lastError;
    qint64 m_readVersion = -1;
    QDate m_readDay;
};

} // namespace LearningRecord
