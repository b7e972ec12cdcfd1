// The learning record as the user meets it: the answers recorded, the window "学习记录", its notebook, its clearing.
#include "learningrecordwindow.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTableView>
#include <QtTest>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙")};

LearningRecordWindow *openRecord(PracticeWindow *form)
{
    form->menuAction(QStringLiteral("XXJL"))->trigger();
    return WindowRegistry::instance().findWindow<LearningRecordWindow>(QStringLiteral("frmRecord"));
}

// Another window of the program active, then this one, as when the user clicks back into it.
void activate(QWidget *other, QWidget *window)
{
    for (QWidget *w : {other, window}) {
        QEvent event(QEvent::WindowActivate);
        QApplication::sendEvent(w, &event);
    }
}

// The record as stored: "题号 作答 批阅" per row in order, " at <time>" added to a bad time; {"no table"} without lx.
QStringList storedRecord(const TempBank &bank)
{
    static const QRegularExpression timeFormat(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    return withTestConnection(bank.dbPath(), [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT \"题号\", \"作答\", \"批阅\", \"时间\" FROM lx ORDER BY \"序号\"")))
            return QStringList{QStringLiteral("no table")};
        QStringList rows;
        while (q.next()) {
            const QString time = q.value(3).toString();
            rows << QStringLiteral("%1 %2 %3").arg(q.value(0).toString(), q.value(1).toString(), q.value(2).toString())
                        + (timeFormat.match(time).hasMatch() ? QString() : QStringLiteral(" at ") + time);
        }
        return rows;
    });
}

} // namespace

class TestLearningRecordWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void userPicksAreRecordedShownPractisedAndCleared();
};

void TestLearningRecordWindow::userPicksAreRecordedShownPractisedAndCleared()
{
    // 甲: questions 1 and 3, 乙: 2 and 4; answers A, B, C, D.
    TempBank bank(sampleRows(4, {QStringLiteral("甲"), QStringLiteral("乙")}), kCatalogue);
    PracticeWindow *form = openPracticeWindow();
    clickButton(form, QStringLiteral("Command4"));
    clickButton(form, QStringLiteral("Command3"));
    QCOMPARE(storedRecord(bank), QStringList{QStringLiteral("no table")}); // no answer, no table

    form->optionButton(1)->click();
    form->optionButton(0)->click(); // the later pick replaces the earlier one
    clickButton(form, QStringLiteral("Command4"));
    form->optionButton(2)->click();
    clickButton(form, QStringLiteral("Command4"));
    QCOMPARE(storedRecord(bank), (QStringList{QStringLiteral("1 A 1"), QStringLiteral("2 C 2")}));

    // Going back shows the stored picks again: not new answers.
    for (const char *button : {"Command3", "Command3", "Command4", "Command4"})
        clickButton(form, QString::fromLatin1(button));
    QCOMPARE(storedRecord(bank).size(), 2);

    // A pick still pending when the record window opens is in it.
    form->optionButton(3)->click();
    LearningRecordWindow *record = openRecord(form);
    QVERIFY(record && record->isVisible());
    QCOMPARE(record->answersBox()->text(), QStringLiteral("3"));
    QCOMPARE(record->rateBox()->text(), QStringLiteral(" 33%"));

    // The exit resets the marks, not the record.
    MessageBox::queueAnswer(MessageBox::Yes);
    clickButton(form, QStringLiteral("Command8"));
    QCOMPARE(bank.countMarked(0), 4);
    QCOMPARE(storedRecord(bank),
             (QStringList{QStringLiteral("1 A 1"), QStringLiteral("2 C 2"), QStringLiteral("3 D 2")}));
    QTRY_VERIFY_WITH_TIMEOUT(programEnded(), 5000); // the record window is unloaded with the others

    // The record outlives the run: the next adds to it (question 1 now wrong, question 2 now right).
    closeAllWindows();
    form = openPracticeWindow();
    form->optionButton(3)->click(); // 1: D
    clickButton(form, QStringLiteral("Command4"));
    form->optionButton(1)->click(); // 2: B
    record = openRecord(form);
    QCOMPARE(record->answersBox()->text(), QStringLiteral("5"));
    QCOMPARE(record->rightBox()->text(), QStringLiteral("2"));
    QCOMPARE(record->rateBox()->text(), QStringLiteral(" 40%"));
    QCOMPARE(record->daysBox()->text(), QStringLiteral("1"));
    QCOMPARE(record->notebookBox()->text(), QStringLiteral("2"));
    const QAbstractItemModel *table = record->categoryTable()->model();
    QCOMPARE(table->rowCount(), 2);
    QStringList first; // the weaker category first
    for (int c = 0; c < 4; ++c)
        first << table->index(0, c).data().toString();
    QCOMPARE(first, (QStringList{QStringLiteral("甲"), QStringLiteral("3"), QStringLiteral("1"), QStringLiteral(" 33%")}));

    // 练习错题: the practice window on questions 1 and 3; a right answer there takes one out of the notebook.
    record->practiseButton()->click();
    QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共2题"));
    QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    QVERIFY(form->isVisible());
    form->optionButton(0)->click(); // 1: A, right
    clickButton(form, QStringLiteral("Command4"));
    activate(form, record);
    QCOMPARE(record->notebookBox()->text(), QStringLiteral("1"));
    QCOMPARE(record->answersBox()->text(), QStringLiteral("6"));
    form->optionButton(2)->click(); // 3: C, right
    clickButton(form, QStringLiteral("Command3"));
    activate(form, record);
    QCOMPARE(record->notebookBox()->text(), QStringLiteral("0"));
    QVERIFY(!record->practiseButton()->isEnabled());
    QVERIFY(MessageBox::shown().isEmpty());

    // One more wrong answer; then clearing asks, and No (the default button, so no answer too) keeps the record.
    form->optionButton(1)->click(); // 1: B, wrong
    clickButton(form, QStringLiteral("Command4"));
    activate(form, record);
    QVERIFY(record->clearButton()->isEnabled() && record->practiseButton()->isEnabled());
    record->clearButton()->click(); // unanswered: the default button
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text, QStringLiteral("真的要清除全部学习记录吗？"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("学习记录"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::YesNo);
    QCOMPARE(MessageBox::last().defaultButton, MessageBox::No);
    QCOMPARE(MessageBox::last().answer, MessageBox::No);
    QCOMPARE(storedRecord(bank).size(), 8);

    MessageBox::queueAnswer(MessageBox::Yes);
    record->clearButton()->click();
    QCOMPARE(storedRecord(bank), QStringList());
    QCOMPARE(bank.countMarked(2), 1); // the marks of the bank are not the record
    QCOMPARE(record->answersBox()->text(), QStringLiteral("0"));
    QVERIFY(!record->clearButton()->isEnabled() && !record->practiseButton()->isEnabled());
}

QTEST_MAIN(TestLearningRecordWindow)
#include "tst_learningrecordwindow.moc"
