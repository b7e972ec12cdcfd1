#include "querytext.h"
#include "questioncursor.h"
#include "testsupport.h"

#include <QtTest>

// The query texts as the windows hand them over, run against a small bank.
class TestQueryText : public QObject
{
    Q_OBJECT
private slots:
    void theSystemsTextsSelectTheRightRows()
    {
        QList<QuestionRecord> rows = sampleRows(6, {QStringLiteral("甲"), QStringLiteral("乙")});
        rows[0].mark = 1;
        rows[1].mark = 2;
        rows[2].mark = 2;
        TempBank bank(rows);
        QVERIFY(bank.exec(QStringLiteral("UPDATE zk SET 批阅 = NULL WHERE 题号 = 6"))); // no value: never "<>0"

        QuestionCursor cursor;
        const auto count = [&](const QString &text) {
            cursor.setRecordSource(text);
            return cursor.refresh() ? cursor.recordCount() : -1;
        };
        QCOMPARE(count(QString::fromUtf8(QueryText::kAllQuestions)), 6);
        QCOMPARE(count(QString::fromUtf8(QueryText::kAnsweredQuestions)), 3);
        QCOMPARE(count(QString::fromUtf8(QueryText::kWrongForReview)), 2);
        QCOMPARE(count(QString::fromUtf8(QueryText::kCountRight)), 1);
        QCOMPARE(count(QString::fromUtf8(QueryText::kCountWrong)), 2);
        QCOMPARE(count(QStringLiteral("SELECT * FROM zk WHERE 批阅 = 1")), 1); // keywords in capitals
        QCOMPARE(count(QueryText::categoryQuery(QStringLiteral("乙"))), 3);
        QCOMPARE(count(QueryText::numberQuery(4)), 1);
        QCOMPARE(cursor.field(BankSchema::Number).toLongLong(), 4);
        QCOMPARE(count(QueryText::numberQuery(0)), 0);
        QCOMPARE(count(QueryText::numberQuery(7)), 0);

        // A list: those rows in bank order, whatever the list's order; its
        // values travel as one bound array, quotes and all.
        QCOMPARE(count(QueryText::numberListQuery({5, 2, 9})), 2);
        QCOMPARE(cursor.field(BankSchema::Number).toLongLong(), 2);
        QVERIFY(cursor.moveNext());
        QCOMPARE(cursor.field(BankSchema::Number).toLongLong(), 5);
        QCOMPARE(count(QueryText::numberListQuery({})), 0);
        QCOMPARE(count(QStringLiteral("select * from zk where 备注 in (\"乙\", \"x\")")), 3);
        QCOMPARE(QueryText::parse(QStringLiteral("select * from zk where 备注 IN (\"a\"\"b\", \"]\")")).value,
                 QVariant(QStringLiteral("[\"a\\\"b\",\"]\"]")));
        QCOMPARE(QueryText::parse(QStringLiteral("select * from zk where 题号 in (3, 17,9007199254740993)")).value,
                 QVariant(QStringLiteral("[3,17,9007199254740993]")));
    }

    void categoryQueryIsExactText()
    {
        QList<QuestionRecord> rows = sampleRows(4);
        rows[0].category = QStringLiteral("say \"hi\"");
        rows[1].category = QStringLiteral("备注");
        rows[2].category = QStringLiteral("甲 ");
        rows[3].category = QStringLiteral("甲");
        TempBank bank(rows);

        QuestionCursor cursor;
        const auto numbersOf = [&](const QString &label) {
            cursor.setRecordSource(QueryText::categoryQuery(label));
            QList<qlonglong> numbers;
            if (!cursor.refresh())
                return QList<qlonglong>{-1};
            for (bool more = cursor.hasCurrentRow(); more; more = cursor.moveNext() && !cursor.isEOF())
                numbers << cursor.field(BankSchema::Number).toLongLong();
            return numbers;
        };
        QCOMPARE(numbersOf(QStringLiteral("say \"hi\"")), QList<qlonglong>{1});
        QCOMPARE(numbersOf(QStringLiteral("备注")), QList<qlonglong>{2}); // a text, not the column
        QCOMPARE(numbersOf(QStringLiteral("甲 ")), QList<qlonglong>{3});  // the blank counts
        QCOMPARE(numbersOf(QStringLiteral("甲")), QList<qlonglong>{4});
        QCOMPARE(numbersOf(QStringLiteral("无此类")), QList<qlonglong>{});
        QCOMPARE(numbersOf(QStringLiteral("x\" or 1=1 or \"")), QList<qlonglong>{});
    }

    void malformedTextsAreRejected_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("other table") << "select * from users";
        QTest::newRow("unknown column") << "select * from zk where rowid = 1";
        QTest::newRow("unterminated") << "select * from zk where 备注 = \"abc";
        QTest::newRow("trailing junk") << "select * from zk where 批阅 = 1; drop table zk";
        QTest::newRow("no operator") << "select * from zk where 批阅 1";
        QTest::newRow("word glued to keyword") << "select * from zkx";
        QTest::newRow("bare word value") << "select * from zk where 备注 = 答案";
        // SQLite's JSON would cut the text at U+0000 and match "甲" as well.
        QTest::newRow("list text with U+0000") << QStringLiteral("select * from zk where 备注 in (\"甲%1x\")").arg(QChar(0));
    }

    void malformedTextsAreRejected()
    {
        QFETCH(QString, text);
        const ParsedQuery q = QueryText::parse(text);
        QVERIFY(!q.ok);
        QVERIFY(!q.error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestQueryText)
#include "tst_querytext.moc"
