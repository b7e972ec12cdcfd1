#include "practicewindow.h"
#include "markingwindow.h"
#include "messagebox.h"
#include "score.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙")};

// A bank whose first rows are marked: `right` right ones, then `wrong` wrong ones, then `unanswered` unmarked.
QList<QuestionRecord> markedRows(int right, int wrong, int unanswered = 3)
{
    QList<QuestionRecord> rows = sampleRows(right + wrong + unanswered, {QStringLiteral("甲")});
    for (int i = 0; i < right + wrong; ++i) {
        rows[i].mark = i < right ? 1 : 2;
        rows[i].picked = QStringLiteral("B");
    }
    return rows;
}

// "自动阅卷" in the practice window: stores its row and opens the marking window.
MarkingWindow *openMarking(PracticeWindow *form1)
{
    clickButton(form1, QStringLiteral("Command6"));
    return WindowRegistry::instance().findWindow<MarkingWindow>(QStringLiteral("Form2"));
}

// The marking window's boxes: right, wrong, total and rate.
QString counts(MarkingWindow *form2)
{
    return form2->rightBox()->text() + u'|' + form2->wrongBox()->text() + u'|' + form2->totalBox()->text() + u'|'
           + form2->rateBox()->text();
}

// The marking window's "批阅".
void mark(MarkingWindow *form2)
{
    clickButton(form2, QStringLiteral("Command6"));
}

// The user leaves one window of the program for another (or for the same).
void switchWindow(QWidget *from, QWidget *to)
{
    QEvent leave(QEvent::WindowDeactivate), enter(QEvent::WindowActivate);
    QApplication::sendEvent(from, &leave);
    QApplication::sendEvent(to, &enter);
}

} // namespace

class TestMarkingWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void opensAfreshKeepsItsReviewUntilLeftAndLeavesThePracticeWindowAsItWas()
    {
        TempBank bank(markedRows(10, 5, 25), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        for (int i = 0; i < 4; ++i)
            clickButton(form1, QStringLiteral("Command4"));
        form1->menuAction(QStringLiteral("ZDYJ"))->trigger();
        auto *form2 = WindowRegistry::instance().findWindow<MarkingWindow>(QStringLiteral("Form2"));
        QVERIFY(form2 && form2->isVisible() && !form2->isModal());
        mark(form2);
        // Rows 1 to 4 were left with their pick B stored: only row 2 stays right.
        QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 46%"));
        form2->close(); // the close box unloads it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // Loaded again, it shows nothing yet and offers no review.
        form2 = openMarking(form1);
        QVERIFY(form2);
        QCOMPARE(counts(form2), QStringLiteral("0|0|0|0%"));
        QPushButton *review = form2->button(QStringLiteral("Command14"));
        QVERIFY(!review->isEnabled());
        QCOMPARE(MessageBox::shown().size(), 1); // the first marking's comment only

        switchWindow(form1, form2);
        mark(form2);
        QVERIFY(review->isEnabled());
        // The comment's box hands the activation back to MarkingWindow: no coming back from elsewhere.
        switchWindow(form2, form2);
        QVERIFY(review->isEnabled());
        // Into PracticeWindow and back: the review waits for a new marking.
        switchWindow(form2, form1);
        switchWindow(form1, form2);
        QVERIFY(!review->isEnabled());
        mark(form2);
        QVERIFY(review->isEnabled());

        // Showing it again while open keeps what it shows.
        QCOMPARE(openMarking(form1), form2);
        QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 46%"));

        // 继续练习 and 退出 leave the practice window where it was.
        for (const char *way : {"Command1", "Command2"}) {
            form2 = openMarking(form1);
            clickButton(form2, QString::fromLatin1(way));
            QVERIFY2(!WindowRegistry::instance().isLoaded(QStringLiteral("Form2")), way);
            QVERIFY(form1->isVisible());
            QCOMPARE(form1->positionBox()->text(), QStringLiteral("第5题 共40题"));
            QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 5 ")));
            if (QByteArray(way) == "Command1") // "继续练习" brings the practice window forward
                QTRY_COMPARE(QApplication::activeWindow(), form1);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    void markingShowsCountsRateAndComment_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<QString>("rate");
        QTest::newRow("12 of 12") << 12 << 0 << QStringLiteral(" 100%");
        QTest::newRow("9 of 10") << 9 << 1 << QStringLiteral(" 90%");
        // A whole-number rate that a floating-point quotient would floor one too low.
        QTest::newRow("29 of 100") << 29 << 71 << QStringLiteral(" 29%");
    }

    void markingShowsCountsRateAndComment()
    {
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(QString, rate);
        TempBank bank(markedRows(right, wrong), kCatalogue);
        MarkingWindow *form2 = openMarking(showPracticeWindow());
        QVERIFY(form2);
        const auto comment = Score::comment(Score::rate(right, right + wrong), right + wrong);
        QVERIFY(comment.has_value());

        // A second marking with nothing answered in between says the same again.
        for (int round = 0; round < 2; ++round) {
            MessageBox::clearShown();
            mark(form2);
            QCOMPARE(counts(form2), QStringLiteral("%1|%2|%3|%4").arg(right).arg(wrong).arg(right + wrong).arg(rate));
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::last().text, comment->text);
            QCOMPARE(MessageBox::last().title, comment->title);
            QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
            QCOMPARE(form2->button(QStringLiteral("Command14"))->isEnabled(), wrong > 0);
            QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
        }
        QCOMPARE(bank.countMarked(1), right); // the marking writes nothing
    }

    void countsStoredPicksOfTheWholeBankAndReviewsTheWrongOnes()
    {
        // Rows 1, 3, 5, 7 are 甲, rows 2, 4, 6, 8 乙; answers cycle A, B, C, D.
        TempBank bank(sampleRows(8, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        MarkingWindow *form2 = openMarking(form1);
        QVERIFY(form2);
        QPointer<MarkingWindow> watch(form2);
        mark(form2);
        // Nothing answered yet: told so, no comment follows, and the window closes.
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("对不起，您还没有做题呢？"));
        QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
        QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
        QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
        QTRY_VERIFY(watch.isNull());
        QTRY_COMPARE(QApplication::activeWindow(), form1);
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共8题"));

        pickCategory(form1->categoryList(), QStringLiteral("甲"));
        form1->optionButton(0)->click(); // row 1, answer A: right
        clickButton(form1, QStringLiteral("Command4"));
        form1->optionButton(0)->click(); // row 3, answer C: wrong
        clickButton(form1, QStringLiteral("Command4"));
        pickCategory(form1->categoryList(), QStringLiteral("乙"));
        form1->optionButton(3)->click(); // row 2, answer B: wrong, picked just before the marking

        form2 = openMarking(form1);
        mark(form2);
        QCOMPARE(counts(form2), QStringLiteral("1|2|3| 33%"));

        // A pick on the question still shown in PracticeWindow is not in the bank yet.
        clickButton(form1, QStringLiteral("Command4"));
        form1->optionButton(1)->click(); // row 4, answer D: wrong, still pending
        mark(form2);
        QCOMPARE(counts(form2), QStringLiteral("1|2|3| 33%"));

        // Once PracticeWindow has left the row it counts.
        clickButton(form1, QStringLiteral("Command4"));
        mark(form2);
        QCOMPARE(counts(form2), QStringLiteral("1|3|4| 25%"));

        // The review: the practice window on the wrong rows 2, 3 and 4, from the first.
        clickButton(form2, QStringLiteral("Command14"));
        QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共3题"));
        QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
        QCOMPARE(bank.countMarked(2), 3); // the review itself marks nothing

        // Answering the first one right there marks it right.
        form1->optionButton(1)->click(); // row 2, answer B
        clickButton(form1, QStringLiteral("Command4"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共3题"));
        QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 3 ")));
        QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 1);
        QCOMPARE(bank.countMarked(2), 2);
        clickButton(form1, QStringLiteral("Command5"));
        QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 4 ")));

        // A bank that cannot be read is not taken for one without answers: told, and the window stays.
        form2 = openMarking(form1);
        QVERIFY(bank.exec(QStringLiteral("DROP TABLE zk")));
        MessageBox::clearShown();
        mark(form2);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::last().text != QStringLiteral("对不起，您还没有做题呢？"));
        QVERIFY(!MessageBox::last().text.isEmpty());
        QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
        QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form2")));
        QCOMPARE(counts(form2), QStringLiteral("0|0|0|0%"));
    }
};

QTEST_MAIN(TestMarkingWindow)
#include "tst_markingwindow.moc"
