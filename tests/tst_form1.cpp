#include "form1.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("空类")};

Form1 *openForm1()
{
    setUpGuiTesting();
    resetProgramEnded();
    return WindowRegistry::instance().form<Form1>(QStringLiteral("Form1"));
}

void click(Form1 *form, const QString &button)
{
    QPushButton *b = form->button(button);
    QVERIFY2(b, qPrintable(button));
    b->click();
}

int indexOfLabel(Form1 *form, const QString &label)
{
    return form->Combo1()->findText(label, Qt::MatchExactly);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void startsOnTheFirstQuestion();
    void endMessagesKeepTheQuestion();
    void aOneRowSet();
    void anEmptySetIsGuardedOnEveryButton();
    void anEmptiedQuestionOrAnswerBlocksNavigation();
    void categoryPickRestartsTheCounter();
    void typingALabelFiltersNothing();
    void picksAreMarkedAndRestored();
    void marksCompareExactly();
    void answerIsShownAndHidden();
    void correctionsAreStoredWhenTheRowIsLeft();
    void emptiedTextIsNeverStoredByTheStoreStep();
    void exitNoKeepsEverything();
    void exitYesResetsTheBankAndEnds();
    void closeBoxResetsWithoutAsking();
    void aBadBankGivesOneMessageAndAnEmptySet();
    void everyControlIsNamedForScreenReaders();
};

void TestForm1::startsOnTheFirstQuestion()
{
    TempBank bank(sampleRows(5, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    Form1 *form = openForm1();
    QCOMPARE(form->windowTitle(), QStringLiteral("Quorvane（智能组卷系统）"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共5题"));
    QVERIFY(form->Text1()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    QCOMPARE(form->Text3()->text(), QStringLiteral("A"));
    QCOMPARE(form->Combo1()->count(), 4);
    QCOMPARE(form->Combo1()->itemText(0), QStringLiteral("全部中考试题"));
    QCOMPARE(form->Combo1()->currentText(), QStringLiteral("甲"));
    QVERIFY(form->Text1()->isReadOnly() && form->Text3()->isReadOnly());
    for (int k = 0; k < 4; ++k)
        QVERIFY(!form->Option1(k)->isChecked());
    QVERIFY(MessageBox::shown().isEmpty());
    // The question keeps its line breaks.
    QCOMPARE(form->Text1()->document()->blockCount(), 5);
}

void TestForm1::endMessagesKeepTheQuestion()
{
    TempBank bank(sampleRows(5, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    Form1 *form = openForm1();
    click(form, QStringLiteral("Command3"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("已到第一道试题！"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共5题"));
    QVERIFY(form->Text1()->toPlainText().startsWith(QStringLiteral("Question 1 ")));

    click(form, QStringLiteral("Command4"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第2题 共5题"));
    QCOMPARE(form->Combo1()->currentText(), QStringLiteral("乙")); // follows the question's category

    click(form, QStringLiteral("Command5"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第5题 共5题"));
    MessageBox::clearShown();
    click(form, QStringLiteral("Command4"));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text, QStringLiteral("已到最后一道试题！"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第5题 共5题"));
    QVERIFY(form->Text1()->toPlainText().startsWith(QStringLiteral("Question 5 ")));

    click(form, QStringLiteral("Command2"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共5题"));
}

void TestForm1::aOneRowSet()
{
    TempBank bank(sampleRows(1), kCatalogue);
    Form1 *form = openForm1();
    click(form, QStringLiteral("Command3"));
    click(form, QStringLiteral("Command4"));
    QCOMPARE(MessageBox::shown().size(), 2);
    QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("已到第一道试题！"));
    QCOMPARE(MessageBox::shown().at(1).text, QStringLiteral("已到最后一道试题！"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共1题"));
    click(form, QStringLiteral("Command2"));
    click(form, QStringLiteral("Command5"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共1题"));
    QCOMPARE(MessageBox::shown().size(), 2);
}

void TestForm1::anEmptySetIsGuardedOnEveryButton()
{
    TempBank bank(sampleRows(4, {QStringLiteral("甲")}), kCatalogue);
    Form1 *form = openForm1();
    form->Combo1_Click(indexOfLabel(form, QStringLiteral("空类")));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共0题"));
    QVERIFY(form->Text1()->toPlainText().isEmpty());

    const QString other = QStringLiteral("试题和答案不能为空，请有试题或答案栏输入相应内容！！");
    const QString next = QStringLiteral("试题和答案不能为空，请在试题或答案栏内输入相应内容！！");
    const QList<std::pair<QString, QString>> expected = {
        {QStringLiteral("Command2"), other}, {QStringLiteral("Command3"), other},
        {QStringLiteral("Command4"), next}, {QStringLiteral("Command5"), other}};
    for (const auto &[button, text] : expected) {
        MessageBox::clearShown();
        click(form, button);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, text);
        QCOMPARE(MessageBox::last().title,
                 button == QLatin1String("Command4") ? QStringLiteral("出错啦！") : QStringLiteral("出错了"));
        QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共0题"));
    }
    // A pick, the store step and showing the answer on an empty set do nothing harmful.
    form->Option1(2)->click();
    click(form, QStringLiteral("Command6"));
    click(form, QStringLiteral("Command1"));
    QCOMPARE(bank.countMarked(0), 4);
}

void TestForm1::anEmptiedQuestionOrAnswerBlocksNavigation()
{
    TempBank bank(sampleRows(3), kCatalogue);
    Form1 *form = openForm1();
    click(form, QStringLiteral("Command4"));
    form->menuAction(QStringLiteral("XGST"))->trigger();
    QVERIFY(!form->Text1()->isReadOnly());
    form->Text1()->selectAll();
    QTest::keyClick(form->Text1(), Qt::Key_Delete);
    QVERIFY(form->Text1()->toPlainText().isEmpty());

    click(form, QStringLiteral("Command4"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("出错啦！"));
    for (const QString &b : {QStringLiteral("Command2"), QStringLiteral("Command3"), QStringLiteral("Command5")}) {
        click(form, b);
        QCOMPARE(MessageBox::last().title, QStringLiteral("出错了"));
    }
    QCOMPARE(form->Text2()->text(), QStringLiteral("第2题 共3题"));
    QCOMPARE(form->Adodc1()->field(BankSchema::Number).toInt(), 2);

    // Typing a text again lets the move proceed.
    QTest::keyClicks(form->Text1(), QStringLiteral("New question 2"));
    MessageBox::clearShown();
    click(form, QStringLiteral("Command4"));
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(form->Text2()->text(), QStringLiteral("第3题 共3题"));
    QCOMPARE(bank.stored(2, QStringLiteral("试题")).toString(), QStringLiteral("New question 2"));

    // An emptied answer is guarded the same way.
    form->menuAction(QStringLiteral("XGDA"))->trigger();
    form->Text3()->selectAll();
    QTest::keyClick(form->Text3(), Qt::Key_Backspace);
    click(form, QStringLiteral("Command3"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("出错了"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第3题 共3题"));
}

void TestForm1::categoryPickRestartsTheCounter()
{
    TempBank bank(sampleRows(6, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    Form1 *form = openForm1();
    click(form, QStringLiteral("Command4"));
    click(form, QStringLiteral("Command4"));
    form->Option1(3)->click(); // pending on row 3 when the set changes

    QComboBox *combo = form->Combo1();
    emit combo->activated(indexOfLabel(form, QStringLiteral("乙")));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共3题"));
    QVERIFY(form->Text1()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
    QCOMPARE(bank.stored(3, QStringLiteral("作答")).toString(), QStringLiteral("D")); // not dropped
    QVERIFY(form->Option1(3)->isChecked()); // the buttons stay as they were

    click(form, QStringLiteral("Command5"));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第3题 共3题"));
    QVERIFY(form->Text1()->toPlainText().startsWith(QStringLiteral("Question 6 ")));

    emit combo->activated(indexOfLabel(form, QStringLiteral("全部中考试题")));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共6题"));
    QCOMPARE(form->Adodc1()->recordSource(), QStringLiteral("select * from zk "));
}

void TestForm1::typingALabelFiltersNothing()
{
    TempBank bank(sampleRows(4, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    Form1 *form = openForm1();
    QComboBox *combo = form->Combo1();
    combo->lineEdit()->selectAll();
    combo->lineEdit()->insert(QStringLiteral("乙"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共4题"));
    QCOMPARE(form->Adodc1()->recordSource(), QStringLiteral("select * from zk"));
    QCOMPARE(combo->count(), 4);
}

void TestForm1::picksAreMarkedAndRestored()
{
    TempBank bank(sampleRows(4), kCatalogue);
    Form1 *form = openForm1();
    form->Option1(1)->click(); // B on question 1, whose answer is A
    click(form, QStringLiteral("Command4"));
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("B"));
    for (int k = 0; k < 4; ++k)
        QVERIFY(!form->Option1(k)->isChecked()); // question 2 holds "E"

    form->Option1(1)->click(); // B on question 2: right
    click(form, QStringLiteral("Command3"));
    QVERIFY(form->Option1(1)->isChecked());
    QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 1);
    // Restoring re-derived the same mark; it is stored unchanged by the next move.
    click(form, QStringLiteral("Command4"));
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
    QVERIFY(form->Option1(1)->isChecked());

    // "第一题" and "最后题" leave the buttons as they were.
    click(form, QStringLiteral("Command5"));
    QVERIFY(form->Option1(1)->isChecked());
    click(form, QStringLiteral("Command2"));
    QVERIFY(form->Option1(1)->isChecked());
    QCOMPARE(bank.countMarked(1) + bank.countMarked(2), 2);
}

void TestForm1::marksCompareExactly()
{
    QList<QuestionRecord> rows = sampleRows(3);
    rows[1].answer = QStringLiteral("c");
    rows[2].answer = QStringLiteral(" C");
    rows[0].answer = QStringLiteral("C");
    TempBank bank(rows, kCatalogue);
    Form1 *form = openForm1();
    form->Option1(2)->click();
    click(form, QStringLiteral("Command6")); // the store step
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 1);
    form->Option1(1)->click();
    click(form, QStringLiteral("Command6"));
    QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("B"));
    for (int row = 2; row <= 3; ++row) {
        click(form, QStringLiteral("Command4"));
        form->Option1(2)->click();
        click(form, QStringLiteral("Command6"));
        QCOMPARE(bank.stored(row, QStringLiteral("批阅")).toInt(), 2);
    }
}

void TestForm1::answerIsShownAndHidden()
{
    TempBank bank(sampleRows(2), kCatalogue);
    Form1 *form = openForm1();
    QPushButton *toggle = form->button(QStringLiteral("Command1"));
    const QPalette hidden = form->Text3()->palette();
    QCOMPARE(hidden.color(QPalette::Text), hidden.color(QPalette::Base));
    toggle->click();
    QCOMPARE(toggle->text(), QStringLiteral("隐藏"));
    QCOMPARE(form->Text3()->palette().color(QPalette::Text), QColor(0, 0, 255));
    QCOMPARE(form->Text3()->palette().color(QPalette::Base), QColor(255, 255, 255));
    click(form, QStringLiteral("Command4")); // stays shown for the next question
    QCOMPARE(form->Text3()->palette().color(QPalette::Text), QColor(0, 0, 255));
    toggle->click();
    QCOMPARE(toggle->text(), QStringLiteral("显示"));
    QCOMPARE(form->Text3()->palette().color(QPalette::Text), form->Text3()->palette().color(QPalette::Base));
    QCOMPARE(form->Text3()->text(), QStringLiteral("B"));
}

void TestForm1::correctionsAreStoredWhenTheRowIsLeft()
{
    TempBank bank(sampleRows(3), kCatalogue);
    Form1 *form = openForm1();
    click(form, QStringLiteral("Command4"));
    form->menuAction(QStringLiteral("XGST"))->trigger();
    QTest::keyClicks(form->Text1(), QStringLiteral("X"));
    const QString edited = form->Text1()->toPlainText();
    click(form, QStringLiteral("Command3")); // stores and leaves the box editable
    QCOMPARE(bank.stored(2, QStringLiteral("试题")).toString(), edited);
    QVERIFY(!form->Text1()->isReadOnly());

    click(form, QStringLiteral("Command4")); // back to 2, locks both boxes
    QCOMPARE(form->Text1()->toPlainText(), edited);
    QVERIFY(form->Text1()->isReadOnly());

    form->menuAction(QStringLiteral("XGDA"))->trigger();
    form->Text3()->selectAll();
    QTest::keyClicks(form->Text3(), QStringLiteral("D"));
    form->Option1(3)->click(); // compared with the answer as edited
    click(form, QStringLiteral("Command4"));
    QCOMPARE(bank.stored(2, QStringLiteral("答案")).toString(), QStringLiteral("D"));
    QCOMPARE(bank.stored(2, QStringLiteral("批阅")).toInt(), 1);
    QVERIFY(form->Text3()->isReadOnly());
}

void TestForm1::emptiedTextIsNeverStoredByTheStoreStep()
{
    TempBank bank(sampleRows(2), kCatalogue);
    Form1 *form = openForm1();
    const QString original = form->Text1()->toPlainText();
    form->menuAction(QStringLiteral("XGST"))->trigger();
    form->Text1()->selectAll();
    QTest::keyClick(form->Text1(), Qt::Key_Delete);
    form->menuAction(QStringLiteral("XGDA"))->trigger();
    form->Text3()->selectAll();
    QTest::keyClick(form->Text3(), Qt::Key_Delete);
    form->menuAction(QStringLiteral("ZDYJ"))->trigger();
    QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), original);
    QCOMPARE(bank.stored(1, QStringLiteral("答案")).toString(), QStringLiteral("A"));
    QCOMPARE(form->Text1()->toPlainText(), original); // shown again on re-entry
}

void TestForm1::exitNoKeepsEverything()
{
    TempBank bank(sampleRows(4), kCatalogue);
    Form1 *form = openForm1();
    for (int i = 0; i < 3; ++i) {
        form->Option1(i)->click();
        if (i < 2)
            click(form, QStringLiteral("Command4"));
    }
    MessageBox::queueAnswer(MessageBox::No);
    click(form, QStringLiteral("Command8"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("真的要退出<<Quorvane>>吗?"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("退出系统"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::YesNo);
    QCOMPARE(bank.countMarked(0), 1);
    QCOMPARE(form->Text2()->text(), QStringLiteral("第3题 共4题"));
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("frmSplash")));
}

void TestForm1::exitYesResetsTheBankAndEnds()
{
    QList<QuestionRecord> rows = sampleRows(50);
    for (int i = 10; i < 50; ++i) {
        rows[i].mark = 1 + i % 2;
        rows[i].picked = QStringLiteral("C");
    }
    TempBank bank(rows, kCatalogue);
    Form1 *form = openForm1();
    form->Option1(0)->click(); // pending on row 1
    MessageBox::queueAnswer(MessageBox::Yes);
    form->menuAction(QStringLiteral("EXIT"))->trigger();
    QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("frmSplash")));
    QCOMPARE(bank.countMarked(0), 50);
    QCOMPARE(bank.stored(11, QStringLiteral("作答")).toString(), QStringLiteral("E"));
    QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("E"));
    QVERIFY(!programEnded());
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000);
    QVERIFY(WindowRegistry::instance().loadedNames().isEmpty());
}

void TestForm1::closeBoxResetsWithoutAsking()
{
    TempBank bank(sampleRows(3), kCatalogue);
    Form1 *form = openForm1();
    form->show();
    form->Option1(0)->click();
    click(form, QStringLiteral("Command4"));
    form->Option1(3)->click();
    form->close();
    QVERIFY(MessageBox::shown().isEmpty());
    QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("frmSplash")));
    QCOMPARE(bank.countMarked(0), 3);
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000);
}

void TestForm1::aBadBankGivesOneMessageAndAnEmptySet()
{
    TempBank bank(sampleRows(2), kCatalogue);
    QVERIFY(QFile::remove(bank.dbPath()));
    Form1 *form = openForm1();
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::last().text.contains(QStringLiteral("english.db")));
    QCOMPARE(form->Text2()->text(), QStringLiteral("第1题 共0题"));
    click(form, QStringLiteral("Command4"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("出错啦！"));
    QVERIFY(!QFile::exists(bank.dbPath()));
}

void TestForm1::everyControlIsNamedForScreenReaders()
{
    TempBank bank(sampleRows(2), kCatalogue);
    Form1 *form = openForm1();
    form->show();
    for (QWidget *w : form->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || w->parentWidget() == form->Combo1())
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QVERIFY2(!iface->text(QAccessible::Name).isEmpty() || !iface->text(QAccessible::Description).isEmpty(),
                 qPrintable(w->objectName()));
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
