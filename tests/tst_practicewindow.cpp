#include "practicewindow.h"
#include "farewellsplash.h"
#include "messagebox.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("丙"), QStringLiteral("空类")};

class TestPracticeWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void movesThroughTheSetsAndGuardsTheirEnds();
    void picksAreMarkedExactlyAndRestoredCorrectionsStoredWhenTheRowIsLeftEmptiedOnesNever();
    void exitAsksAndYesResetsTheBankAndEndsAndSoDoesTheCloseBox();
};

void TestPracticeWindow::movesThroughTheSetsAndGuardsTheirEnds()
{
    // 甲: questions 1, 3, 5; 乙: 2, 4; 丙: 6 alone.
    const QStringList categories{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("乙"),
                                 QStringLiteral("甲"), QStringLiteral("丙")};
    TempBank bank(sampleRows(6, categories), kCatalogue);
    PracticeWindow *form = openPracticeWindow();
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共6题"));
    QCOMPARE(form->categoryList()->currentText(), QStringLiteral("甲"));
    // The question keeps its line breaks.
    QCOMPARE(form->questionBox()->document()->blockCount(), 5);

    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共6题"));
    QCOMPARE(form->categoryList()->currentText(), QStringLiteral("乙")); // follows the question's category
    clickButton(form, QStringLiteral("Command4"));
    form->optionButton(3)->click(); // pending on row 3 when the set changes

    pickCategory(form->categoryList(), QStringLiteral("乙"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));
    QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
    QCOMPARE(bank.stored(3, QStringLiteral("作答")).toString(), QStringLiteral("D")); // not dropped
    QVERIFY(form->optionButton(3)->isChecked()); // the buttons stay as they were
    clickButton(form, QStringLiteral("Command5"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共2题"));
    QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Question 4 ")));
    clickButton(form, QStringLiteral("Command2"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));

    // A set of one question: both ends are told, the only messages since the window opened.
    pickCategory(form->categoryList(), QStringLiteral("丙"));
    for (const char *button : {"Command3", "Command4", "Command2", "Command5"})
        clickButton(form, QString::fromLatin1(button));
    QCOMPARE(shownTexts(), (QStringList{QStringLiteral("已到第一道试题！"), QStringLiteral("已到最后一道试题！")}));
    QCOMPARE(MessageBox::shown().first().title, QStringLiteral("Quorvane"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共1题"));

    pickCategory(form->categoryList(), QStringLiteral("全部中考试题"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共6题"));
    // A label typed and entered filters nothing.
    QLineEdit *typed = form->categoryList()->lineEdit();
    typed->selectAll();
    typed->insert(QStringLiteral("乙"));
    QTest::keyClick(typed, Qt::Key_Return);
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共6题"));
    QCOMPARE(form->categoryList()->count(), 5);

    // An empty set: every move is refused with its own message and title.
    pickCategory(form->categoryList(), QStringLiteral("空类"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共0题"));
    QVERIFY(form->questionBox()->toPlainText().isEmpty());
    for (const char *button : {"Command2", "Command3", "Command4", "Command5"}) {
        const bool next = QByteArray(button) == "Command4"; // "下一题" has a text and a title of its own
        MessageBox::clearShown();
        clickButton(form, QString::fromLatin1(button));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, next ? QStringLiteral("试题和答案不能为空，请在试题或答案栏内输入相应内容！！")
                                               : QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！"));
        QCOMPARE(MessageBox::last().title, next ? QStringLiteral("出错啦！") : QStringLiteral("出错了"));
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共0题"));
    }
    // A pick, the store step and showing the answer there mark nothing.
    form->optionButton(2)->click();
    clickButton(form, QStringLiteral("Command6"));
    clickButton(form, QStringLiteral("Command1"));
    QCOMPARE(bank.countMarked(0), 5);
}

void TestPracticeWindow::picksAreMarkedExactlyAndRestoredCorrectionsStoredWhenTheRowIsLeftEmptiedOnesNever()
{
    QList<QuestionRecord> rows = sampleRows(4);
    rows[2].answer = QStringLiteral("c"); // neither is the letter C
    rows[3].answer = QStringLiteral(" C");
    TempBank bank(rows, kCatalogue);
    PracticeWindow *form = openPracticeWindow();
    const auto answerShown = [form] {
        const QPalette palette = form->answerBox()->palette();
        return palette.color(QPalette::Text) != palette.color(QPalette::Base);
    };
    QVERIFY(!answerShown());
    clickButton(form, QStringLiteral("Command1"));
    QCOMPARE(form->button(QStringLiteral("Command1"))->text(), QStringLiteral("隐藏"));
    QVERIFY(answerShown());

    form->optionButton(1)->click(); // B on question 1, whose answer is A
    clickButton(form, QStringLiteral("Command6")); // the store step stores it at once
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("B"));

    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(form->optionButton(0)->group()->checkedId(), -1); // question 2 holds "E"
    QVERIFY(answerShown()); // stays shown for the next question
    clickButton(form, QStringLiteral("Command1"));
    QCOMPARE(form->button(QStringLiteral("Command1"))->text(), QStringLiteral("显示"));
    QVERIFY(!answerShown());
    QCOMPARE(form->answerBox()->text(), QStringLiteral("B"));

    form->optionButton(1)->click(); // B on question 2: right
    clickButton(form, QStringLiteral("Command3"));
    QVERIFY(form->optionButton(1)->isChecked());
    QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 1);
    // Restoring re-derived the same mark; it is stored unchanged by the next move.
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
    QVERIFY(form->optionButton(1)->isChecked());

    for (const char *button : {"Command5", "Command2"}) { // "最后题" and "第一题" leave the buttons as they were
        clickButton(form, QString::fromLatin1(button));
        QVERIFY2(form->optionButton(1)->isChecked(), button);
    }
    QCOMPARE(bank.countMarked(1) + bank.countMarked(2), 2);

    // C against the answers "c" and " C": wrong.
    clickButton(form, QStringLiteral("Command4"));
    for (int row = 3; row <= 4; ++row) {
        clickButton(form, QStringLiteral("Command4"));
        form->optionButton(2)->click();
        clickButton(form, QStringLiteral("Command6"));
        QCOMPARE(bank.stored(row, QStringLiteral("批阅")).toInt(), 2);
    }

    // Corrections, on question 2 (answer B, B picked and right).
    clickButton(form, QStringLiteral("Command2"));
    clickButton(form, QStringLiteral("Command4"));
    form->menuAction(QStringLiteral("XGST"))->trigger();
    QVERIFY(!form->questionBox()->isReadOnly());
    form->questionBox()->selectAll();
    QTest::keyClick(form->questionBox(), Qt::Key_Delete);
    QVERIFY(form->questionBox()->toPlainText().isEmpty());

    // An emptied question blocks every move.
    for (const char *button : {"Command4", "Command2", "Command3", "Command5"}) {
        clickButton(form, QString::fromLatin1(button));
        QCOMPARE(MessageBox::last().title, QByteArray(button) == "Command4" ? QStringLiteral("出错啦！") : QStringLiteral("出错了"));
    }
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共4题"));

    // A text typed again is stored when the row is left; the box stays editable.
    QTest::keyClicks(form->questionBox(), QStringLiteral("New question 2"));
    MessageBox::clearShown();
    clickButton(form, QStringLiteral("Command3"));
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共4题"));
    QCOMPARE(bank.stored(2, QStringLiteral("试题")).toString(), QStringLiteral("New question 2"));
    QVERIFY(!form->questionBox()->isReadOnly());

    clickButton(form, QStringLiteral("Command4")); // back to 2, locks both boxes
    QCOMPARE(form->questionBox()->toPlainText(), QStringLiteral("New question 2"));
    QVERIFY(form->questionBox()->isReadOnly());

    form->menuAction(QStringLiteral("XGDA"))->trigger();
    form->answerBox()->selectAll();
    QTest::keyClicks(form->answerBox(), QStringLiteral("D"));
    form->optionButton(3)->click(); // compared with the answer as edited
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(bank.stored(2, QStringLiteral("答案")).toString(), QStringLiteral("D"));
    QCOMPARE(bank.stored(2, QStringLiteral("作答")).toString(), QStringLiteral("D"));
    QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 1);
    QVERIFY(form->answerBox()->isReadOnly());

    // An emptied answer is guarded the same way.
    form->menuAction(QStringLiteral("XGDA"))->trigger();
    form->answerBox()->selectAll();
    QTest::keyClick(form->answerBox(), Qt::Key_Backspace);
    clickButton(form, QStringLiteral("Command3"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("出错了"));
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第3题 共4题"));

    // Emptied boxes are never stored by the store step and are shown again.
    const QString original = form->questionBox()->toPlainText();
    form->menuAction(QStringLiteral("XGST"))->trigger();
    form->questionBox()->selectAll();
    QTest::keyClick(form->questionBox(), Qt::Key_Delete);
    form->menuAction(QStringLiteral("ZDYJ"))->trigger();
    QCOMPARE(bank.stored(3, QStringLiteral("试题")).toString(), original);
    QCOMPARE(bank.stored(3, QStringLiteral("答案")).toString(), QStringLiteral("c"));
    QCOMPARE(form->questionBox()->toPlainText(), original);
}

void TestPracticeWindow::exitAsksAndYesResetsTheBankAndEndsAndSoDoesTheCloseBox()
{
    QList<QuestionRecord> rows = sampleRows(50);
    for (int i = 10; i < 50; ++i) {
        rows[i].mark = 1 + i % 2;
        rows[i].picked = QStringLiteral("C");
    }
    TempBank bank(rows, kCatalogue);
    PracticeWindow *form = openPracticeWindow();
    for (int i = 0; i < 3; ++i) {
        form->optionButton(i)->click();
        if (i < 2)
            clickButton(form, QStringLiteral("Command4"));
    }
    // No keeps everything; the pick on row 3 is stored all the same.
    MessageBox::queueAnswer(MessageBox::No);
    clickButton(form, QStringLiteral("Command8"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("真的要退出<<Quorvane>>吗?"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("退出系统"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::YesNo);
    QCOMPARE(bank.countMarked(0), 7);
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第3题 共50题"));
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("frmSplash")));

    MessageBox::queueAnswer(MessageBox::Yes);
    form->menuAction(QStringLiteral("EXIT"))->trigger();
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("frmSplash")));
    QCOMPARE(bank.countMarked(0), 50);
    QCOMPARE(bank.stored(11, QStringLiteral("作答")).toString(), QStringLiteral("E"));
    QCOMPARE(bank.stored(3, QStringLiteral("作答")).toString(), QStringLiteral("E"));
    QVERIFY(!programEnded());
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000);
    QVERIFY(WindowRegistry::instance().loadedNames().isEmpty());

    // The next run ends by the close box: no question, the same reset.
    closeAllWindows();
    MessageBox::clearShown();
    form = showPracticeWindow();
    form->menuAction(QStringLiteral("JX"))->trigger(); // the explanation window goes with the program
    form->optionButton(0)->click();
    clickButton(form, QStringLiteral("Command4"));
    form->optionButton(3)->click();
    form->close();
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(bank.countMarked(0), 50);
    auto *splash = WindowRegistry::instance().findWindow<FarewellSplash>(QStringLiteral("frmSplash"));
    QVERIFY(splash);
    splash->findChild<QTimer *>(QStringLiteral("Timer1"))->stop(); // only the click can end it now
    splash->onBackgroundClick();
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000);
    QVERIFY(WindowRegistry::instance().loadedNames().isEmpty());
}

QTEST_MAIN(TestPracticeWindow)
#include "tst_practicewindow.moc"
