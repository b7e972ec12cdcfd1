#include "bankfile.h"
#include "querytext.h"
#include "questioncursor.h"
#include "testsupport.h"

#include <QSqlDatabase>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QtTest>

class TestCursor : public QObject
{
    Q_OBJECT
private slots:
    void emptyResultIsBothEnds()
    {
        TempBank bank(sampleRows(3));
        QuestionCursor cursor;
        cursor.setRecordSource(QueryText::categoryQuery(QStringLiteral("没有")));
        QVERIFY(cursor.refresh());
        QCOMPARE(cursor.recordCount(), 0);
        QVERIFY(cursor.isBOF());
        QVERIFY(cursor.isEOF());
        QVERIFY(!cursor.field(BankSchema::Question).isValid());
        QVERIFY(!cursor.moveFirst());
        QVERIFY(!cursor.moveLast());
        QVERIFY(!cursor.moveNext());
        QVERIFY(!cursor.movePrevious());
        QVERIFY(!cursor.setField(BankSchema::Mark, 1));
    }

    void steppingOffEitherEndAndBack()
    {
        TempBank bank(sampleRows(3));
        QuestionCursor cursor;
        QVERIFY(cursor.refresh());
        QCOMPARE(cursor.recordCount(), 3);
        QVERIFY(!cursor.isBOF() && !cursor.isEOF());
        const QVariant first = cursor.value(QStringLiteral("试题"));

        QVERIFY(cursor.movePrevious());
        QVERIFY(cursor.isBOF());
        QVERIFY(!cursor.value(QStringLiteral("试题")).isValid());
        QVERIFY(!cursor.movePrevious()); // already before the first row: stays there
        QVERIFY(cursor.isBOF());
        QVERIFY(cursor.moveNext());
        QCOMPARE(cursor.value(QStringLiteral("试题")), first);

        // A change on the last row is stored when the cursor steps off the end.
        QVERIFY(cursor.moveLast());
        QCOMPARE(cursor.field(BankSchema::Number).toInt(), 3);
        cursor.setField(BankSchema::Picked, QStringLiteral("D"));
        QVERIFY(cursor.moveNext());
        QVERIFY(cursor.isEOF());
        QCOMPARE(bank.stored(3, QStringLiteral("作答")).toString(), QStringLiteral("D"));
        QVERIFY(!cursor.moveNext());
        QVERIFY(cursor.isEOF());
        QVERIFY(cursor.movePrevious());
        QCOMPARE(cursor.field(BankSchema::Number).toInt(), 3);
    }

    void pendingChangesAreStoredWhenTheRowIsLeft()
    {
        TempBank bank(sampleRows(3));
        QuestionCursor cursor;
        QVERIFY(cursor.refresh());
        QVERIFY(cursor.setField(BankSchema::Mark, 2));
        QVERIFY(cursor.setField(BankSchema::Picked, QStringLiteral("C")));
        QCOMPARE(cursor.field(BankSchema::Picked).toString(), QStringLiteral("C")); // read back at once
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 0);                // not stored yet
        QVERIFY(cursor.moveNext());
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
        QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("C"));
        QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 0);
        // The cursor's own snapshot keeps what it stored.
        QVERIFY(cursor.movePrevious());
        QCOMPARE(cursor.field(BankSchema::Picked).toString(), QStringLiteral("C"));
    }

    void refreshAndCloseStoreThePendingRow()
    {
        TempBank bank(sampleRows(3));
        {
            QuestionCursor cursor;
            QVERIFY(cursor.refresh());
            cursor.setField(BankSchema::Mark, 1);
            cursor.setRecordSource(QueryText::categoryQuery(QStringLiteral("甲类")));
            QVERIFY(cursor.refresh());
            QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 1);

            QVERIFY(cursor.moveLast());
            cursor.setField(BankSchema::Mark, 2);
        } // closing stores it as well
        QCOMPARE(bank.stored(3, QStringLiteral("批阅")).toInt(), 2);
    }

    void sideWritesAreStoredWithTheirRowOrNotAtAll()
    {
        TempBank bank(sampleRows(3));
        QuestionCursor cursor;
        QVERIFY(cursor.refresh());
        const auto note = [](const QString &text) {
            return QuestionCursor::SideWrite{"CREATE TABLE IF NOT EXISTS side (n INTEGER, t TEXT)",
                                             "INSERT INTO side VALUES (?, ?)", {1, text}, true};
        };
        // A later write under the same key replaces the earlier one: one row, the last text.
        QVERIFY(cursor.setField(BankSchema::Mark, 1));
        QVERIFY(cursor.setSideWrite(QStringLiteral("note"), note(QStringLiteral("first"))));
        QVERIFY(cursor.setSideWrite(QStringLiteral("note"), note(QStringLiteral("second"))));
        QCOMPARE(cursor.pendingSideWrite(QStringLiteral("note"))->values.at(1).toString(), QStringLiteral("second"));
        QVERIFY(cursor.moveNext());
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 1);
        QCOMPARE(withTestConnection(bank.dbPath(), [](QSqlDatabase &db) {
                     QSqlQuery rows(QStringLiteral("SELECT group_concat(t) FROM side"), db);
                     return rows.next() ? rows.value(0).toString() : QString();
                 }),
                 QStringLiteral("second"));

        // A side write that fails takes its row's update with it; both stay
        // pending, counted as an edit, and go in together once they can.
        QVERIFY(cursor.setField(BankSchema::Mark, 2));
        QVERIFY(cursor.setSideWrite(QStringLiteral("note"), {{}, "INSERT INTO missing VALUES (?)", {1}, true}));
        QSignalSpy failed(&cursor, &QuestionCursor::storeFailed);
        QVERIFY(cursor.moveNext());
        QCOMPARE(failed.count(), 1);
        QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 0);
        QCOMPARE(cursor.unstoredEditCount(), 1);
        QVERIFY(bank.exec(QStringLiteral("CREATE TABLE missing (n INTEGER)")));
        QVERIFY(cursor.movePrevious());
        QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 2);
        QCOMPARE(cursor.unstoredRowCount(), 0);
    }

    void questionAndAnswerAreNeverStoredEmpty()
    {
        TempBank bank(sampleRows(2));
        QuestionCursor cursor;
        QVERIFY(cursor.refresh());
        const QString question = cursor.value(QStringLiteral("试题")).toString();
        cursor.setValue(QStringLiteral("试题"), QString());
        cursor.setValue(QStringLiteral("答案"), QString());
        cursor.setField(BankSchema::Mark, 2); // the rest of the row is still stored
        QVERIFY(cursor.moveNext());
        QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), question);
        QCOMPARE(bank.stored(1, QStringLiteral("答案")).toString(), QStringLiteral("A"));
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
        QVERIFY(cursor.movePrevious());
        QCOMPARE(cursor.value(QStringLiteral("试题")).toString(), question); // shown again on re-entry
    }

    void otherCursorsSeeAStoreOnlyAfterTheyReRun()
    {
        TempBank bank(sampleRows(3));
        QuestionCursor practice, marking, compose;
        QVERIFY(practice.refresh() && marking.refresh() && compose.refresh());
        marking.setRecordSource(QString::fromUtf8(QueryText::kCountRight));
        QVERIFY(marking.refresh());
        QCOMPARE(marking.recordCount(), 0);

        practice.setField(BankSchema::Mark, 1);
        QCOMPARE(compose.field(BankSchema::Mark).toInt(), 0);
        QVERIFY(practice.moveNext());
        QCOMPARE(compose.field(BankSchema::Mark).toInt(), 0); // the snapshot stays as it was
        QCOMPARE(marking.recordCount(), 0);
        QVERIFY(marking.refresh() && compose.refresh());
        QCOMPARE(marking.recordCount(), 1);
        QCOMPARE(compose.field(BankSchema::Mark).toInt(), 1);
    }
};

QTEST_GUILESS_MAIN(TestCursor)
#include "tst_cursor.moc"
