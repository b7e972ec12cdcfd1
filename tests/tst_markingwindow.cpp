#include "practicewindow.h"
#include "markingwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙")};
const QString kUsualTitle = QStringLiteral("自动批阅");

// A bank whose first rows are already marked: right ones, then wrong ones,
// then `unanswered` rows with no mark.
QList<QuestionRecord> markedRows(int right, int wrong, int unanswered = 3,
                                 const QStringList &categories = {QStringLiteral("甲")})
{
    QList<QuestionRecord> rows = sampleRows(right + wrong + unanswered, categories);
    for (int i = 0; i < right + wrong; ++i) {
        rows[i].mark = i < right ? 1 : 2;
        rows[i].picked = QStringLiteral("B");
    }
    return rows;
}

PracticeWindow *openPracticeWindow()
{
    setUpGuiTesting();
    resetProgramEnded();
    return qobject_cast<PracticeWindow *>(WindowRegistry::instance().show(QStringLiteral("Form1")));
}

// "自动阅卷" in the practice window: stores its row and opens the marking window.
MarkingWindow *openMarking(PracticeWindow *form1)
{
    form1->button(QStringLiteral("Command6"))->click();
    return WindowRegistry::instance().findWindow<MarkingWindow>(QStringLiteral("Form2"));
}

void activate(QWidget *window)
{
    QEvent event(QEvent::WindowActivate);
    QApplication::sendEvent(window, &event);
}

void deactivate(QWidget *window)
{
    QEvent event(QEvent::WindowDeactivate);
    QApplication::sendEvent(window, &event);
}

void pickCategory(PracticeWindow *form1, const QString &label)
{
    emit form1->categoryList()->activated(form1->categoryList()->findText(label, Qt::MatchExactly));
}

bool isLoaded(const char *name)
{
    return WindowRegistry::instance().isLoaded(QString::fromLatin1(name));
}

} // namespace

class TestMarkingWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void opensWithItsDesign();
    void markingShowsCountsRateAndComment_data();
    void markingShowsCountsRateAndComment();
    void countsCoverTheWholeBankButOnlyStoredPicks();
    void noAnswerClosesAndBringsThePracticeWindowForward();
    void anUnreadableBankIsNotTakenForNoAnswers();
    void reviewButtonLivesUntilAnotherWindowIsActivated();
    void reviewShowsEveryWrongRowInThePracticeWindow();
    void continueAndExitLeaveThePracticeWindowAsItWas();
    void aReopenedWindowStartsAfresh();
    void programEndWithTheMarkingWindowOpen();
    void everyControlIsNamedForScreenReaders();
};

void TestMarkingWindow::opensWithItsDesign()
{
    TempBank bank(markedRows(2, 1), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    form1->menuAction(QStringLiteral("ZDYJ"))->trigger();
    auto *form2 = WindowRegistry::instance().findWindow<MarkingWindow>(QStringLiteral("Form2"));
    QVERIFY(form2);
    QVERIFY(form2->isVisible());
    QVERIFY(form1->isVisible());
    QVERIFY(!form2->isModal());
    QCOMPARE(form2->windowTitle(), QStringLiteral("自动批阅"));
    QVERIFY(!(form2->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    // Its own cursor on the whole bank.
    QVERIFY(form2->cursor() != form1->cursor());
    QCOMPARE(form2->cursor()->recordSource(), QStringLiteral("select * from zk"));
    QCOMPARE(form2->cursor()->recordCount(), 6);

    QVERIFY(!form2->button(QStringLiteral("Command14"))->isEnabled());

    for (QLineEdit *box : {form2->rightBox(), form2->wrongBox(), form2->totalBox()})
        QCOMPARE(box->text(), QStringLiteral("0"));
    QCOMPARE(form2->rateBox()->text(), QStringLiteral("0%"));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestMarkingWindow::markingShowsCountsRateAndComment_data()
{
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("wrong");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("title");

    const QString top = QStringLiteral("你真是太棒了,重点中学才是你唯一的选择！");
    const QString excellent = QStringLiteral("你很优秀,重点中学正在向你招手！");
    const QString good = QStringLiteral("好好努力吧，重点中学正在向你招手！");
    const QString fair = QStringLiteral("努力吧,《Quorvane》会助你一臂之力考取重点中学的！");
    const QString low = QStringLiteral("好好努力吧，《Quorvane》会帮助你走向成功！");
    QTest::newRow("12 of 12") << 12 << 0 << QStringLiteral(" 100%") << top << kUsualTitle;
    QTest::newRow("9 of 10") << 9 << 1 << QStringLiteral(" 90%") << excellent << QStringLiteral("自云批阅");
    QTest::newRow("89 of 100") << 89 << 11 << QStringLiteral(" 89%") << good << kUsualTitle;
    QTest::newRow("8 of 10") << 8 << 2 << QStringLiteral(" 80%") << good << kUsualTitle;
    QTest::newRow("79 of 100") << 79 << 21 << QStringLiteral(" 79%") << fair << kUsualTitle;
    QTest::newRow("6 of 10") << 6 << 4 << QStringLiteral(" 60%") << fair << kUsualTitle;
    QTest::newRow("59 of 100") << 59 << 41 << QStringLiteral(" 59%") << low << kUsualTitle;
    QTest::newRow("0 of 5") << 0 << 5 << QStringLiteral(" 0%") << low << kUsualTitle;
    // Whole-number rates that a floating-point quotient would floor one too low.
    QTest::newRow("29 of 100") << 29 << 71 << QStringLiteral(" 29%") << low << kUsualTitle;
    QTest::newRow("58 of 100") << 58 << 42 << QStringLiteral(" 58%") << low << kUsualTitle;
    QTest::newRow("29 of 50") << 29 << 21 << QStringLiteral(" 58%") << low << kUsualTitle;
    QTest::newRow("2 of 3") << 2 << 1 << QStringLiteral(" 66%") << fair << kUsualTitle;
}

void TestMarkingWindow::markingShowsCountsRateAndComment()
{
    QFETCH(int, right);
    QFETCH(int, wrong);
    QFETCH(QString, rate);
    QFETCH(QString, comment);
    QFETCH(QString, title);

    TempBank bank(markedRows(right, wrong), kCatalogue);
    MarkingWindow *form2 = openMarking(openPracticeWindow());
    QVERIFY(form2);
    QPushButton *review = form2->button(QStringLiteral("Command14"));

    // A second marking with nothing answered in between says the same again.
    for (int round = 0; round < 2; ++round) {
        MessageBox::clearShown();
        form2->button(QStringLiteral("Command6"))->click();
        QCOMPARE(form2->rightBox()->text(), QString::number(right));
        QCOMPARE(form2->wrongBox()->text(), QString::number(wrong));
        QCOMPARE(form2->totalBox()->text(), QString::number(right + wrong));
        QCOMPARE(form2->rateBox()->text(), rate);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, comment);
        QCOMPARE(MessageBox::last().title, title);
        QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
        QCOMPARE(review->isEnabled(), wrong > 0);
        QVERIFY(isLoaded("Form2"));
    }
    QCOMPARE(bank.countMarked(1), right); // the marking writes nothing
}

void TestMarkingWindow::countsCoverTheWholeBankButOnlyStoredPicks()
{
    // Rows 1, 3, 5, 7 are 甲, rows 2, 4, 6, 8 乙; answers cycle A, B, C, D.
    TempBank bank(sampleRows(8, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    pickCategory(form1, QStringLiteral("甲"));
    form1->optionButton(0)->click(); // row 1, answer A: right
    form1->button(QStringLiteral("Command4"))->click();
    form1->optionButton(0)->click(); // row 3, answer C: wrong
    form1->button(QStringLiteral("Command4"))->click();
    pickCategory(form1, QStringLiteral("乙"));
    form1->optionButton(3)->click(); // row 2, answer B: wrong, picked just before the marking

    MarkingWindow *form2 = openMarking(form1);
    form2->button(QStringLiteral("Command6"))->click();
    QCOMPARE(form2->rightBox()->text(), QStringLiteral("1"));
    QCOMPARE(form2->wrongBox()->text(), QStringLiteral("2"));
    QCOMPARE(form2->totalBox()->text(), QStringLiteral("3"));
    QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 33%"));

    // A pick on the question still shown in PracticeWindow is not in the bank yet.
    form1->button(QStringLiteral("Command4"))->click();
    form1->optionButton(1)->click(); // row 4, answer D: wrong, still pending
    form2->button(QStringLiteral("Command6"))->click();
    QCOMPARE(form2->wrongBox()->text(), QStringLiteral("2"));
    QCOMPARE(form2->totalBox()->text(), QStringLiteral("3"));

    // Once PracticeWindow has left the row it counts.
    form1->button(QStringLiteral("Command4"))->click();
    form2->button(QStringLiteral("Command6"))->click();
    QCOMPARE(form2->wrongBox()->text(), QStringLiteral("3"));
    QCOMPARE(form2->totalBox()->text(), QStringLiteral("4"));
    QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 25%"));
}

void TestMarkingWindow::noAnswerClosesAndBringsThePracticeWindowForward()
{
    TempBank bank(sampleRows(5), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    MarkingWindow *form2 = openMarking(form1);
    QVERIFY(form2);
    QPointer<MarkingWindow> watch(form2);
    form2->button(QStringLiteral("Command6"))->click();

    QCOMPARE(MessageBox::shown().size(), 1); // no comment follows
    QCOMPARE(MessageBox::last().text, QStringLiteral("对不起，您还没有做题呢？"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
    QVERIFY(!isLoaded("Form2"));
    QTRY_VERIFY(watch.isNull());
    QVERIFY(form1->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), form1);
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共5题"));
}

void TestMarkingWindow::anUnreadableBankIsNotTakenForNoAnswers()
{
    TempBank bank(markedRows(2, 1), kCatalogue);
    MarkingWindow *form2 = openMarking(openPracticeWindow());
    QVERIFY(bank.exec(QStringLiteral("DROP TABLE zk")));
    form2->button(QStringLiteral("Command6"))->click();
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::last().text != QStringLiteral("对不起，您还没有做题呢？"));
    QVERIFY(!MessageBox::last().text.isEmpty());
    QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
    QVERIFY(isLoaded("Form2"));
    QCOMPARE(form2->totalBox()->text(), QStringLiteral("0"));
    QCOMPARE(form2->rateBox()->text(), QStringLiteral("0%"));
}

void TestMarkingWindow::reviewButtonLivesUntilAnotherWindowIsActivated()
{
    TempBank bank(markedRows(3, 1), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    activate(form1);
    MarkingWindow *form2 = openMarking(form1);
    deactivate(form1);
    activate(form2);
    QPushButton *review = form2->button(QStringLiteral("Command14"));
    QVERIFY(!review->isEnabled());

    form2->button(QStringLiteral("Command6"))->click();
    QVERIFY(review->isEnabled());
    // The comment's modal box closes and hands the activation back to MarkingWindow:
    // that is no coming back from another window.
    deactivate(form2);
    activate(form2);
    QVERIFY(review->isEnabled());

    // Into PracticeWindow and back: the review waits for a new marking.
    deactivate(form2);
    activate(form1);
    deactivate(form1);
    activate(form2);
    QVERIFY(!review->isEnabled());
    review->click(); // a disabled button does nothing
    QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk"));
    QVERIFY(isLoaded("Form2"));

    form2->button(QStringLiteral("Command6"))->click();
    QVERIFY(review->isEnabled());

    // Another window of the program counts as well: the guide.
    WindowRegistry::instance().show(QStringLiteral("Form6"));
    deactivate(form2);
    activate(WindowRegistry::instance().find(QStringLiteral("Form6")));
    activate(form2);
    QVERIFY(!review->isEnabled());
}

void TestMarkingWindow::reviewShowsEveryWrongRowInThePracticeWindow()
{
    // Rows 1..9, categories 甲, 乙 alternating; wrong: 1 (甲), 2 and 4 (乙); right: 3.
    QList<QuestionRecord> rows = sampleRows(9, {QStringLiteral("甲"), QStringLiteral("乙")});
    for (int number : {1, 2, 4})
        rows[number - 1].mark = 2;
    rows[2].mark = 1;
    TempBank bank(rows, kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    pickCategory(form1, QStringLiteral("甲"));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共5题"));
    form1->button(QStringLiteral("Command4"))->click();

    MarkingWindow *form2 = openMarking(form1);
    form2->button(QStringLiteral("Command6"))->click();
    QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 25%"));
    form2->button(QStringLiteral("Command14"))->click();

    QVERIFY(!isLoaded("Form2"));
    QVERIFY(form1->isVisible());
    QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk where 批阅=2"));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共3题"));
    QCOMPARE(form1->currentNumberBox()->text(), QStringLiteral("1"));
    QCOMPARE(form1->totalBox()->text(), QStringLiteral("3"));
    QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    QCOMPARE(bank.countMarked(2), 3); // the review itself marks nothing

    // Answering the first one right there marks it right.
    form1->optionButton(0)->click(); // row 1, answer A
    form1->button(QStringLiteral("Command4"))->click();
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共3题"));
    QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 1);
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("A"));
    QCOMPARE(bank.countMarked(2), 2);
    form1->button(QStringLiteral("Command5"))->click();
    QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 4 ")));
}

void TestMarkingWindow::continueAndExitLeaveThePracticeWindowAsItWas()
{
    TempBank bank(markedRows(10, 5, 25), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    for (int i = 0; i < 4; ++i)
        form1->button(QStringLiteral("Command4"))->click();
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第5题 共40题"));

    for (const char *way : {"Command1", "Command2"}) {
        MarkingWindow *form2 = openMarking(form1);
        QVERIFY(form2);
        form2->button(QStringLiteral("Command6"))->click();
        QVERIFY(form2->button(QStringLiteral("Command14"))->isEnabled());
        form2->button(QString::fromLatin1(way))->click();
        QVERIFY2(!isLoaded("Form2"), way);
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第5题 共40题"));
        QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 5 ")));
        QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk"));
        QCOMPARE(form1->cursor()->recordCount(), 40);
        if (QByteArray(way) == "Command1") // "继续练习" brings PracticeWindow forward
            QTRY_COMPARE(QApplication::activeWindow(), form1);
    }
    // PracticeWindow goes on from there.
    form1->button(QStringLiteral("Command4"))->click();
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第6题 共40题"));
}

void TestMarkingWindow::aReopenedWindowStartsAfresh()
{
    TempBank bank(markedRows(3, 2), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    MarkingWindow *first = openMarking(form1);
    first->button(QStringLiteral("Command6"))->click();
    QCOMPARE(first->rateBox()->text(), QStringLiteral(" 60%"));
    first->close(); // the close box unloads it
    QVERIFY(!isLoaded("Form2"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    MarkingWindow *second = openMarking(form1);
    QVERIFY(second);
    QCOMPARE(second->rightBox()->text(), QStringLiteral("0"));
    QCOMPARE(second->wrongBox()->text(), QStringLiteral("0"));
    QCOMPARE(second->rateBox()->text(), QStringLiteral("0%"));
    QCOMPARE(second->totalBox()->text(), QStringLiteral("0"));
    QVERIFY(!second->button(QStringLiteral("Command14"))->isEnabled());

    // Showing it again while open keeps what it shows.
    second->button(QStringLiteral("Command6"))->click();
    QCOMPARE(openMarking(form1), second);
    QCOMPARE(second->rateBox()->text(), QStringLiteral(" 60%"));
}

void TestMarkingWindow::programEndWithTheMarkingWindowOpen()
{
    TempBank bank(markedRows(1, 1), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    MarkingWindow *form2 = openMarking(form1);
    form2->button(QStringLiteral("Command6"))->click();
    MessageBox::queueAnswer(MessageBox::Yes);
    form1->button(QStringLiteral("Command8"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000);
    QVERIFY(WindowRegistry::instance().loadedNames().isEmpty());
    QCOMPARE(bank.countMarked(0), 5);
}

void TestMarkingWindow::everyControlIsNamedForScreenReaders()
{
    TempBank bank(markedRows(1, 1), kCatalogue);
    MarkingWindow *form2 = openMarking(openPracticeWindow());
    QVERIFY(form2->isVisible());
    int checked = 0;
    for (QWidget *w : form2->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus)
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        ++checked;
    }
    QCOMPARE(checked, 8); // four buttons, four result fields
    QCOMPARE(QAccessible::queryAccessibleInterface(form2->rateBox())->text(QAccessible::Name),
             QStringLiteral("正确率"));
}

QTEST_MAIN(TestMarkingWindow)
#include "tst_markingwindow.moc"
