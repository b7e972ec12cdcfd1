#include "bankschema.h"
#include "explanationwindow.h"
#include "faultsupport.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("空类")};
const QString kNotYet = QStringLiteral("选择答案或显示答案后，这里显示本题的解析。");
const QString kNone = QStringLiteral("本题暂无解析。");

QString explanationOf(int number)
{
    return QStringLiteral("第%1题考查时态。\n注意时间状语。").arg(number);
}

// Rows 1, 3, 5 … are 甲, 2, 4, 6 … 乙; answers cycle A, B, C, D; every row but the fifth has an explanation.
QList<QuestionRecord> explainedRows(int n)
{
    QList<QuestionRecord> rows = sampleRows(n, {QStringLiteral("甲"), QStringLiteral("乙")});
    for (int i = 0; i < n; ++i)
        rows[i].explanation = i == 4 ? QString() : explanationOf(i + 1);
    return rows;
}

ExplanationWindow *explanationWindow()
{
    return WindowRegistry::instance().findWindow<ExplanationWindow>(QStringLiteral("frmExplain"));
}

ExplanationWindow *openExplanation(PracticeWindow *form)
{
    form->menuAction(QStringLiteral("JX"))->trigger();
    return explanationWindow();
}

QString shownText(ExplanationWindow *w)
{
    return w->explanationBox()->toPlainText();
}

QStringList headingAndText(ExplanationWindow *w)
{
    return {w->headingLabel()->text(), shownText(w)};
}

bool hasExplanationTable(const TempBank &bank)
{
    return withTestConnection(bank.dbPath(), [](QSqlDatabase &db) { return BankSchema::hasExplanationTable(db); });
}

// The stored explanation; "<none>" when the question has no row in jx.
QString storedExplanation(const TempBank &bank, int number)
{
    return withTestConnection(bank.dbPath(), [&](QSqlDatabase &db) {
        return BankSchema::readExplanation(db, number).value_or(QStringLiteral("<none>"));
    });
}

} // namespace

class TestExplanationWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void keptBackUntilAPickOrTheAnswerIsShownAndFollowsTheSets();
    void editsAreStoredWhenTheRowIsLeftButAReadOnlyBankGetsNoTableAndOneMessage();
};

void TestExplanationWindow::keptBackUntilAPickOrTheAnswerIsShownAndFollowsTheSets()
{
    TempBank bank(explainedRows(7), kCatalogue);
    PracticeWindow *form = openPracticeWindow();
    ExplanationWindow *w = openExplanation(form);
    QVERIFY(w && w->isVisible());
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第1题"), kNotYet}));

    form->optionButton(2)->click(); // a wrong pick reveals it as well
    QCOMPARE(shownText(w), explanationOf(1));
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第2题"), kNotYet}));
    clickButton(form, QStringLiteral("Command1")); // 显示
    QCOMPARE(shownText(w), explanationOf(2));
    clickButton(form, QStringLiteral("Command4")); // the answer stays shown: so does the explanation
    QCOMPARE(shownText(w), explanationOf(3));
    clickButton(form, QStringLiteral("Command4"));
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第5题"), kNone}));
    clickButton(form, QStringLiteral("Command1")); // 隐藏
    QCOMPARE(shownText(w), kNone);
    clickButton(form, QStringLiteral("Command3"));
    QCOMPARE(shownText(w), kNotYet);
    for (int k = 0; k < 3; ++k)
        clickButton(form, QStringLiteral("Command3")); // question 1 with its stored pick
    QVERIFY(form->optionButton(2)->isChecked());
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第1题"), explanationOf(1)}));

    // Asked for again, the same window comes forward; nothing was said, no explanation written.
    QCOMPARE(openExplanation(form), w);
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(storedExplanation(bank, 1), explanationOf(1));
    QCOMPARE(storedExplanation(bank, 5), QStringLiteral("<none>"));

    clickButton(form, QStringLiteral("Command1"));
    pickCategory(form->categoryList(), QStringLiteral("乙")); // rows 2, 4, 6
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第1题"), explanationOf(2)}));
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(shownText(w), explanationOf(4));
    clickButton(form, QStringLiteral("Command5"));
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第3题"), explanationOf(6)}));

    pickCategory(form->categoryList(), QStringLiteral("空类")); // an empty set shows nothing
    QCOMPARE(headingAndText(w), (QStringList{QString(), QString()}));

    form->showWholeBank(); // the return from the composition window
    QCOMPARE(headingAndText(w), (QStringList{QStringLiteral("第1题"), explanationOf(1)}));
}

void TestExplanationWindow::editsAreStoredWhenTheRowIsLeftButAReadOnlyBankGetsNoTableAndOneMessage()
{
    // A bank from before explanations: no table jx.
    TempBank bank(sampleRows(3), kCatalogue);
    QVERIFY(bank.exec(QStringLiteral("DROP TABLE jx")));
    QVERIFY(QFile::setPermissions(bank.dbPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    QVERIFY(QFile::setPermissions(bank.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
                                                  | QFile::WriteOther | QFile::ExeOther));
    {
        OrdinaryFileAccess ordinary;
        QVERIFY2(ordinary.active(), "the file-system user cannot be switched: permissions would not apply");
        PracticeWindow *form = openPracticeWindow();
        form->menuAction(QStringLiteral("XGJX"))->trigger();
        ExplanationWindow *w = explanationWindow();
        QTest::keyClicks(w->explanationBox(), QStringLiteral("Cannot be stored."));
        clickButton(form, QStringLiteral("Command4"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::last().text.startsWith(QStringLiteral("作答或修改暂时无法存入题库（题库文件是只读的）")));

        // Back on the row, the window shows what is still waiting to be stored.
        clickButton(form, QStringLiteral("Command3"));
        clickButton(form, QStringLiteral("Command1"));
        QCOMPARE(shownText(w), QStringLiteral("Cannot be stored."));
        QCOMPARE(MessageBox::shown().size(), 1);

        // The exit counts it among the corrections not stored.
        MessageBox::queueAnswer(MessageBox::Yes);
        clickButton(form, QStringLiteral("Command8"));
        QVERIFY2(MessageBox::last().text.contains(QStringLiteral("有1道试题的修改没有存入题库")),
                 qPrintable(MessageBox::last().text));
        closeAllWindows();
    }
    QVERIFY(!hasExplanationTable(bank));
    QVERIFY(QFile::setPermissions(bank.dbPath(), QFile::ReadOwner | QFile::WriteOwner));
    MessageBox::clearShown();

    PracticeWindow *form = openPracticeWindow();
    ExplanationWindow *w = openExplanation(form);
    clickButton(form, QStringLiteral("Command1"));
    for (const char *button : {"Command4", "Command4", "Command2"}) {
        QCOMPARE(shownText(w), kNone);
        clickButton(form, QString::fromLatin1(button));
    }
    QVERIFY(!hasExplanationTable(bank)); // reading creates nothing

    // Typed, and stored with the row when "下一题" leaves it (the table made for it); "下一题" ends the edit.
    form->menuAction(QStringLiteral("XGJX"))->trigger();
    QVERIFY(w->isEditing() && !w->explanationBox()->isReadOnly());
    QCOMPARE(shownText(w), QString());
    QTest::keyClicks(w->explanationBox(), QStringLiteral("Look at the time first."));
    QVERIFY(!hasExplanationTable(bank));
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(storedExplanation(bank, 1), QStringLiteral("Look at the time first."));
    QVERIFY(!w->isEditing() && w->explanationBox()->isReadOnly());
    QCOMPARE(shownText(w), kNone);

    // Text set through the accessibility interface counts like typing; "上一题" stores it, the edit goes on.
    form->menuAction(QStringLiteral("XGJX"))->trigger();
    QAccessible::queryAccessibleInterface(w->explanationBox())->setText(QAccessible::Value, QStringLiteral("第二题：\n两行"));
    QCOMPARE(shownText(w), QStringLiteral("第二题：\n两行"));
    clickButton(form, QStringLiteral("Command3"));
    QCOMPARE(storedExplanation(bank, 2), QStringLiteral("第二题：\n两行"));
    QVERIFY(w->isEditing());
    QCOMPARE(shownText(w), QStringLiteral("Look at the time first."));

    // Emptied: the question's row goes.
    w->explanationBox()->selectAll();
    QTest::keyClick(w->explanationBox(), Qt::Key_Delete);
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(storedExplanation(bank, 1), QStringLiteral("<none>"));
    clickButton(form, QStringLiteral("Command3"));
    QCOMPARE(shownText(w), kNone);

    // Closing the window mid-edit keeps the text for the row, stored by the practice window's next store step.
    form->menuAction(QStringLiteral("XGJX"))->trigger();
    QTest::keyClicks(w->explanationBox(), QStringLiteral("Typed before closing."));
    w->close();
    QVERIFY(!explanationWindow());
    QCOMPARE(storedExplanation(bank, 1), QStringLiteral("<none>"));
    form->menuAction(QStringLiteral("ZDYJ"))->trigger();
    QCOMPARE(storedExplanation(bank, 1), QStringLiteral("Typed before closing."));

    QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), sampleRows(1).at(0).question);
    QVERIFY(MessageBox::shown().isEmpty());
}


QTEST_MAIN(TestExplanationWindow)
#include "tst_explanationwindow.moc"
