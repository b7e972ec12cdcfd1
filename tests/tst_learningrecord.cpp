// The learning record's queries, on prepared records, without any window.
#include "learningrecord.h"
#include "questioncursor.h"
#include "testsupport.h"

#include <QSqlQuery>
#include <QtTest>

using LearningRecord::Summary;

namespace {

// A record row as the practice window writes it.
QString recordRow(qint64 number, int mark, const QDate &day, const QString &time = QStringLiteral("10:00:00"))
{
    return QStringLiteral("INSERT INTO lx (\"题号\", \"作答\", \"批阅\", \"时间\") VALUES (%1, 'A', %2, '%3 %4')")
        .arg(number)
        .arg(mark)
        .arg(day.toString(QStringLiteral("yyyy-MM-dd")), time);
}

bool hasRecordTable(const TempBank &bank)
{
    return withTestConnection(bank.dbPath(), [](QSqlDatabase &db) {
        QSqlQuery q(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'lx'"), db);
        return q.next();
    });
}

} // namespace

class TestLearningRecord : public QObject
{
    Q_OBJECT
private slots:
    void aBankWithoutTheRecordReadsEmptyAndIsNotChanged()
    {
        TempBank bank(sampleRows(3));
        LearningRecord::Reader reader;
        Summary s;
        QVERIFY2(reader.read(QDate(2026, 3, 31), &s), qPrintable(reader.lastError()));
        QCOMPARE(s.answers, 0);
        QCOMPARE(s.days, 0);
        QVERIFY(s.categories.isEmpty() && s.notebook.isEmpty());
        QCOMPARE(s.lastDays.size(), 30); // empty days all the same
        QVERIFY(reader.clear());
        QVERIFY(!hasRecordTable(bank));

        // A missing bank is an error with the file's name, not an empty record.
        LearningRecord::Reader nowhere(bank.dir() + QStringLiteral("/missing.db"));
        QVERIFY(!nowhere.read(QDate(2026, 3, 31), &s));
        QVERIFY(nowhere.lastError().contains(QStringLiteral("missing.db")));
    }

    void totalsCategoriesAndDays()
    {
        // Categories 甲 (questions 1, 4), 乙 (2, 5), 丙 (3, 6), 丁 (7).
        QList<QuestionRecord> rows = sampleRows(7, {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
        rows[6].category = QStringLiteral("丁");
        TempBank bank(rows);
        const QDate today(2026, 3, 31);
        QVERIFY(bank.exec(QString::fromUtf8(LearningRecord::createTableSql()).section(QLatin1Char(';'), 0, 0)));
        const QList<QString> record = {
            recordRow(1, 1, today.addDays(-40)), // before the chart, counted in the totals
            recordRow(1, 2, today.addDays(-29)), // the chart's first day
            recordRow(4, 1, today.addDays(-2)), recordRow(4, 2, today.addDays(-2), QStringLiteral("23:59:59")),
            recordRow(2, 2, today.addDays(-2)), recordRow(2, 2, today.addDays(-2)),
            recordRow(5, 1, today),             recordRow(3, 1, today),
            recordRow(7, 1, today),             recordRow(7, 2, today),
            recordRow(99, 2, today), // a question no longer in the bank
        };
        for (const QString &sql : record)
            QVERIFY2(bank.exec(sql), qPrintable(sql));

        LearningRecord::Reader reader;
        Summary s;
        QVERIFY2(reader.read(today, &s), qPrintable(reader.lastError()));
        QCOMPARE(s.answers, 11);
        QCOMPARE(s.right, 5);
        QCOMPARE(s.days, 4);

        // Weakest first by the exact rate; at 50% 甲 (2 of 4) before 丁 (1 of 2);
        // 丙 has a single answer.
        QStringList order;
        for (const LearningRecord::CategoryLine &line : s.categories)
            order << QStringLiteral("%1 %2/%3").arg(line.category).arg(line.right).arg(line.answers);
        QCOMPARE(order, (QStringList{QStringLiteral(" 0/1"), QStringLiteral("乙 1/3"), QStringLiteral("甲 2/4"),
                                     QStringLiteral("丁 1/2"), QStringLiteral("丙 1/1")}));

        // The 30 days end today; days without answers are empty.
        QCOMPARE(s.lastDays.size(), 30);
        QStringList days;
        for (const LearningRecord::DayLine &day : s.lastDays) {
            if (day.answers > 0)
                days << QStringLiteral("%1 %2/%3").arg(day.day.toString(Qt::ISODate)).arg(day.right).arg(day.answers);
        }
        QCOMPARE(days, (QStringList{QStringLiteral("2026-03-02 0/1"), QStringLiteral("2026-03-29 1/4"),
                                    QStringLiteral("2026-03-31 3/5")}));
    }

    void theNotebookHoldsQuestionsWhoseLatestAnswerIsWrong()
    {
        TempBank bank(sampleRows(6));
        const QDate today = QDate::currentDate();
        QVERIFY(bank.exec(QString::fromUtf8(LearningRecord::createTableSql()).section(QLatin1Char(';'), 0, 0)));
        // 5 wrong only; 1 wrong then right; 4 right then wrong; 2 wrong, right,
        // wrong; 3 right only; 6 never answered; 9 not in the bank.
        for (const auto &[number, mark] : QList<std::pair<int, int>>{{5, 2}, {1, 2}, {4, 1}, {2, 2}, {1, 1}, {3, 1},
                                                                   {2, 1}, {4, 2}, {9, 2}, {2, 2}})
            QVERIFY(bank.exec(recordRow(number, mark, today)));
        LearningRecord::Reader reader;
        Summary s;
        QVERIFY(reader.read(today, &s));
        QCOMPARE(s.notebook, (QList<qint64>{2, 4, 5})); // in bank order
    }

    void answersStoredThroughTheCursorAreReadAndCleared()
    {
        TempBank bank(sampleRows(4));
        const QDateTime when(QDate(2026, 3, 31), QTime(8, 5, 9));
        LearningRecord::Reader reader;
        Summary s;
        QVERIFY(reader.read(when.date(), &s));
        QVERIFY(!reader.mayHaveChanged(when.date()));

        QuestionCursor cursor;
        QVERIFY(cursor.refresh());
        const QString key = QString::fromLatin1(LearningRecord::kSideWriteKey);
        for (qint64 number = 1; number <= 3; ++number) {
            const int mark = number == 2 ? 2 : 1;
            cursor.setField(BankSchema::Mark, mark);
            cursor.setSideWrite(key, LearningRecord::answerWrite(number, QStringLiteral("B"), mark, when));
            QVERIFY(cursor.moveNext());
        }
        QCOMPARE(cursor.unstoredRowCount(), 0);
        QVERIFY(hasRecordTable(bank));
        QCOMPARE(withTestConnection(bank.dbPath(), [](QSqlDatabase &db) {
                     QSqlQuery q(QStringLiteral("SELECT group_concat(\"题号\" || \"作答\" || \"批阅\" || ' ' || \"时间\", ';') "
                                                "FROM lx ORDER BY \"序号\""),
                                 db);
                     return q.next() ? q.value(0).toString() : QString();
                 }),
                 QStringLiteral("1B1 2026-03-31 08:05:09;2B2 2026-03-31 08:05:09;3B1 2026-03-31 08:05:09"));

        // Another connection's stores are noticed; a reading takes them in.
        QVERIFY(reader.mayHaveChanged(when.date()));
        QVERIFY(reader.read(when.date(), &s));
        QCOMPARE(s.answers, 3);
        QCOMPARE(s.notebook, QList<qint64>{2});
        QVERIFY(!reader.mayHaveChanged(when.date()));
        QVERIFY(reader.mayHaveChanged(when.date().addDays(1)));

        // Clearing deletes the record and nothing else.
        QVERIFY(reader.clear());
        QVERIFY(reader.read(when.date(), &s));
        QCOMPARE(s.answers, 0);
        QCOMPARE(bank.countMarked(1), 2);
        QCOMPARE(bank.countMarked(2), 1);
    }
};

QTEST_GUILESS_MAIN(TestLearningRecord)
#include "tst_learningrecord.moc"
