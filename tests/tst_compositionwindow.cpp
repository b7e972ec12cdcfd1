#include "practicewindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <numeric>
#include <memory>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("空类")};
const QStringList kCategories{QStringLiteral("甲"), QStringLiteral("乙")};

WindowRegistry &registry()
{
    return WindowRegistry::instance();
}

PracticeWindow *openPracticeWindow()
{
    setUpGuiTesting();
    resetProgramEnded();
    return qobject_cast<PracticeWindow *>(registry().show(QStringLiteral("Form1")));
}

void click(QWidget *form, const QString &name)
{
    auto *b = form->findChild<QPushButton *>(name);
    QVERIFY2(b, qPrintable(name));
    QVERIFY2(b->isEnabled(), qPrintable(name));
    b->click();
}

// The practice window's "电脑组卷", as the user opens the composition window.
CompositionWindow *openCompositionWindow(PracticeWindow *form1)
{
    click(form1, QStringLiteral("Command7"));
    return registry().findWindow<CompositionWindow>(QStringLiteral("Form3"));
}

// Hands out the given numbers in turn.
std::function<RandomDraw::UniformSource()> fixedDraws(const QList<double> &values)
{
    return [values] {
        auto next = std::make_shared<qsizetype>(0);
        return RandomDraw::UniformSource([values, next] { return values.at((*next)++ % values.size()); });
    };
}

// The bank numbers of the questions of a paper, in paper order, checking
// that the paper numbers run 1, 2, 3, ...
QList<int> bankNumbersIn(const QString &paper)
{
    static const QRegularExpression line(QStringLiteral("^(\\d+)\\.Question (\\d+) "),
                                         QRegularExpression::MultilineOption);
    QList<int> numbers;
    int expected = 1;
    for (auto it = line.globalMatch(paper); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(1).toInt() != expected++)
            return {-1};
        numbers << m.captured(2).toInt();
    }
    return numbers;
}

// A choice from the combo box's list, as the user makes it.
void pick(QComboBox *combo, const QString &label)
{
    const int index = combo->findText(label, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(label));
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void compose(CompositionWindow *form3, const QString &count)
{
    form3->countBox()->setText(count);
    click(form3, QStringLiteral("Command20"));
}

} // namespace

class TestCompositionWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void opensFromThePracticeWindow();
    void refusedCounts_data();
    void refusedCounts();
    void aThreeQuestionPaper();
    void fractionsRoundHalfToEven();
    void theWholeBankAndTheLimit();
    void aNumberWithoutARowGivesAnEmptyEntry();
    void enterInTheCountBoxOnlyMovesTheFocus();
    void bankSizeIsThePracticeSetAtLoad();
    void returnPutsThePracticeWindowOnTheWholeBank();
    void otherExitsLeaveThePracticeWindowAlone();
    void programEndShowsNoWindow();
    void manualAddsAreNumbered();
    void cancelledAddChangesNothing();
    void numberingGoesOnAfterSaveAndRestartsAfterExit();
    void manualRangeAndNavigation();
    void anEmptyRangeDoesNothing();
    void everyControlIsNamedForScreenReaders();
};

void TestCompositionWindow::opensFromThePracticeWindow()
{
    TempBank bank(sampleRows(57, kCategories), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    QVERIFY(form3);
    QVERIFY(form3->isVisible());
    QVERIFY(!form1->isVisible());
    QCOMPARE(form3->windowTitle(), QStringLiteral("电脑组卷"));
    QVERIFY(!(form3->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(form3->size(), QSize(624, 294));

    QTabWidget *tabs = form3->tabs();
    QCOMPARE(tabs->objectName(), QStringLiteral("SSTab1"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("智能组卷"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("手工组卷"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("组卷帮助"));
    QCOMPARE(tabs->currentIndex(), 0);

    QVERIFY(form3->paperBox()->isReadOnly());
    QVERIFY(!form3->paperAnswerBox()->isReadOnly());
    QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("57"));
    QCOMPARE(form3->bankSizeBox()->text(), QStringLiteral("57"));
    QVERIFY(!form3->bankSizeBox()->isVisible());

    // The manual page at load.
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共57题"));
    QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("0"));
    QCOMPARE(form3->browseCategoryList()->count(), 4);
    QCOMPARE(form3->browseCategoryList()->currentText(), QStringLiteral("甲"));
    QVERIFY(form3->manualPaperBox()->toPlainText().isEmpty() && form3->manualAnswerBox()->toPlainText().isEmpty());
    QVERIFY(MessageBox::shown().isEmpty());

    // The button keeps the page; the menu goes back to the first one.
    tabs->setCurrentIndex(2);
    click(form3, QStringLiteral("Command10"));
    QVERIFY(form1->isVisible() && !form3->isVisible());
    click(form1, QStringLiteral("Command7"));
    QCOMPARE(registry().find(QStringLiteral("Form3")), form3);
    QCOMPARE(tabs->currentIndex(), 2);
    click(form3, QStringLiteral("Command10"));
    form1->menuAction(QStringLiteral("ZJ"))->trigger();
    QVERIFY(form3->isVisible() && !form1->isVisible());
    QCOMPARE(tabs->currentIndex(), 0);
}

void TestCompositionWindow::refusedCounts_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("reselects");
    const QString notANumber = QStringLiteral("请输入数字！");
    const QString belowOne = QStringLiteral("请输入大于等于1的整数！");
    QTest::newRow("empty") << QString() << notANumber << true;
    QTest::newRow("abc") << QStringLiteral("abc") << notANumber << true;
    QTest::newRow("1.2.3") << QStringLiteral("1.2.3") << notANumber << true;
    QTest::newRow("200.5") << QStringLiteral("200.5") << QStringLiteral("请输入小于200的数！") << false;
    QTest::newRow("60 of 57") << QStringLiteral("60")
                              << QStringLiteral("题库中只有57道试题,您输入的数据必须小于(或等于)57！") << true;
    QTest::newRow("0") << QStringLiteral("0") << belowOne << true;
    QTest::newRow("0.4") << QStringLiteral("0.4") << belowOne << true;
    QTest::newRow("-2") << QStringLiteral("-2") << belowOne << true;
}

void TestCompositionWindow::refusedCounts()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(bool, reselects);
    TempBank bank(sampleRows(57), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    compose(form3, QStringLiteral("3"));
    QVERIFY(!form3->paperBox()->toPlainText().isEmpty());

    form3->countBox()->setText(typed);
    form3->button(QStringLiteral("Command20"))->setFocus();
    MessageBox::clearShown();
    click(form3, QStringLiteral("Command20"));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text, message);
    QCOMPARE(MessageBox::last().title, QStringLiteral("智能组卷"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
    // The previous paper is gone, refused or not.
    QVERIFY(form3->paperBox()->toPlainText().isEmpty());
    QVERIFY(form3->paperAnswerBox()->toPlainText().isEmpty());
    if (reselects) {
        QCOMPARE(form3->focusWidget(), form3->countBox());
        QCOMPARE(form3->countBox()->selectedText(), typed);
    } else {
        QCOMPARE(form3->focusWidget(), form3->button(QStringLiteral("Command20")));
        QVERIFY(!form3->countBox()->hasSelectedText());
    }
}

void TestCompositionWindow::aThreeQuestionPaper()
{
    // Answers cycle A, B, C, D: questions 1, 3 and 2 have the answers A, C and B.
    QList<QuestionRecord> rows = sampleRows(12);
    rows[2].question = QStringLiteral("Question 3 中文题干\r\nA. 一\r\nB. 二");
    TempBank bank(rows, kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    // floor(r * 12) + 1: 0.0 -> 1, 0.2 -> 3, 0.01 -> 1 again (drawn anew), 0.1 -> 2
    form3->setUniformSourceFactory(fixedDraws({0.0, 0.2, 0.01, 0.1}));
    compose(form3, QStringLiteral("3"));
    QVERIFY(MessageBox::shown().isEmpty());

    const QString q1 = QStringLiteral("Question 1 ______.\nA. one\nB. two\nC. three\nD. four");
    const QString q2 = QStringLiteral("Question 2 ______.\nA. one\nB. two\nC. three\nD. four");
    const QString q3 = QStringLiteral("Question 3 中文题干\nA. 一\nB. 二");
    QCOMPARE(form3->paperBox()->toPlainText(),
             QStringLiteral("\n1.") + q1 + QStringLiteral("\n2.") + q3 + QStringLiteral("\n3.") + q2);
    QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.C;  3.B;  "));
    QVERIFY(!form3->paperBox()->toPlainText().contains(QLatin1Char('\r')));

    // The practice window's cursor holds the last question fetched; its counter is unchanged.
    QCOMPARE(form1->cursor()->recordCount(), 1);
    QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), 2);
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共12题"));

    // Another click: another paper from scratch.
    form3->setUniformSourceFactory(fixedDraws({0.99, 0.5}));
    compose(form3, QStringLiteral("2"));
    QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()), (QList<int>{12, 7}));
    QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.D;  2.C;  "));
}

void TestCompositionWindow::fractionsRoundHalfToEven()
{
    TempBank bank(sampleRows(30), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    compose(form3, QStringLiteral("2.5"));
    QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()).size(), 2);
    QCOMPARE(form3->paperAnswerBox()->toPlainText().count(QStringLiteral(";  ")), 2);
    compose(form3, QStringLiteral("3.5"));
    QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()).size(), 4);
    compose(form3, QStringLiteral(" 1e1 "));
    QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()).size(), 10);
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestCompositionWindow::theWholeBankAndTheLimit()
{
    {
        TempBank bank(sampleRows(57), kCatalogue);
        CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
        compose(form3, QStringLiteral("57"));
        QList<int> numbers = bankNumbersIn(form3->paperBox()->toPlainText());
        std::sort(numbers.begin(), numbers.end());
        QList<int> all(57);
        std::iota(all.begin(), all.end(), 1);
        QCOMPARE(numbers, all);
        cleanup();
    }
    // 200 questions from a large bank: distinct, and quick, since each is
    // fetched by its key.
    TempBank bank(sampleRows(20000), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("20000"));
    QElapsedTimer timer;
    timer.start();
    compose(form3, QStringLiteral("200"));
    const qint64 elapsed = timer.elapsed();
    qInfo("200 questions from 20000 composed in %lld ms", elapsed);
    QVERIFY2(elapsed < 3000, "a composition must not read the whole bank for each question");
    const QList<int> numbers = bankNumbersIn(form3->paperBox()->toPlainText());
    QCOMPARE(numbers.size(), 200);
    QCOMPARE(QSet<int>(numbers.cbegin(), numbers.cend()).size(), 200);
    QCOMPARE(form3->paperAnswerBox()->toPlainText().count(QStringLiteral(";  ")), 200);
}

void TestCompositionWindow::aNumberWithoutARowGivesAnEmptyEntry()
{
    TempBank bank(sampleRows(5), kCatalogue);
    QVERIFY(bank.exec(QStringLiteral("DELETE FROM zk WHERE \"题号\" = 3")));
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("4"));
    // floor(r * 4) + 1: 0.6 -> 3 (no such row), 0.0 -> 1
    form3->setUniformSourceFactory(fixedDraws({0.6, 0.0}));
    compose(form3, QStringLiteral("2"));
    QCOMPARE(form3->paperBox()->toPlainText(),
             QStringLiteral("\n1.\n2.Question 1 ______.\nA. one\nB. two\nC. three\nD. four"));
    QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.;  2.A;  "));
    QVERIFY(MessageBox::shown().isEmpty());
}

void TestCompositionWindow::enterInTheCountBoxOnlyMovesTheFocus()
{
    TempBank bank(sampleRows(10), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    QCOMPARE(form3->focusWidget(), form3->countBox());
    QTest::keyClicks(form3->countBox(), QStringLiteral("4"));
    QTest::keyClick(form3->countBox(), Qt::Key_Return);
    QCOMPARE(form3->focusWidget(), form3->button(QStringLiteral("Command20")));
    QVERIFY(MessageBox::shown().isEmpty());
    QVERIFY(form3->paperBox()->toPlainText().isEmpty());
    QCOMPARE(form3->countBox()->text(), QStringLiteral("4"));

    // A second Enter presses the button that now has the focus.
    QTest::keyClick(form3->focusWidget(), Qt::Key_Return);
    QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()).size(), 4);
}

void TestCompositionWindow::bankSizeIsThePracticeSetAtLoad()
{
    // Six questions, three of them in category 乙 (numbers 2, 4, 6).
    TempBank bank(sampleRows(6, kCategories), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    form1->onCategoryPicked(form1->categoryList()->findText(QStringLiteral("乙")));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共3题"));
    CompositionWindow *form3 = openCompositionWindow(form1);
    QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("3"));
    // The numbers still run 1..3 over the whole table.
    compose(form3, QStringLiteral("3"));
    QList<int> numbers = bankNumbersIn(form3->paperBox()->toPlainText());
    std::sort(numbers.begin(), numbers.end());
    QCOMPARE(numbers, (QList<int>{1, 2, 3}));
    compose(form3, QStringLiteral("4"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("题库中只有3道试题,您输入的数据必须小于(或等于)3！"));
}

void TestCompositionWindow::returnPutsThePracticeWindowOnTheWholeBank()
{
    TempBank bank(sampleRows(8, kCategories), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    click(form1, QStringLiteral("Command4"));
    CompositionWindow *form3 = openCompositionWindow(form1);
    compose(form3, QStringLiteral("5"));
    QCOMPARE(form1->cursor()->recordCount(), 1);

    click(form3, QStringLiteral("Command1"));
    QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
    QVERIFY(form1->isVisible());
    QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk "));
    QCOMPARE(form1->currentNumberBox()->text(), QStringLiteral("1"));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共8题"));
    QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    // The practice window navigates the whole bank again.
    click(form1, QStringLiteral("Command4"));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共8题"));
    click(form1, QStringLiteral("Command5"));
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第8题 共8题"));
}

void TestCompositionWindow::otherExitsLeaveThePracticeWindowAlone()
{
    TempBank bank(sampleRows(8), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    compose(form3, QStringLiteral("2"));
    click(form3, QStringLiteral("Command7")); // a manual add
    const QString paper = form3->paperBox()->toPlainText();

    // 退出 (help page) only hides: everything waits for the next showing.
    click(form3, QStringLiteral("Command10"));
    QVERIFY(registry().isLoaded(QStringLiteral("Form3")) && !form3->isVisible());
    QVERIFY(form1->isVisible());
    QCOMPARE(form1->cursor()->recordCount(), 1);
    click(form1, QStringLiteral("Command7"));
    QCOMPARE(registry().find(QStringLiteral("Form3")), form3);
    QCOMPARE(form3->paperBox()->toPlainText(), paper);
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("1"));

    // 退  出 (manual page) unloads; the practice window stays on its one row.
    click(form3, QStringLiteral("Command9"));
    QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
    QVERIFY(form1->isVisible());
    QCOMPARE(form1->cursor()->recordCount(), 1);
    QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共8题"));

    // The close box unloads as well; a new load starts afresh.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form3 = openCompositionWindow(form1);
    QVERIFY(form3->paperBox()->toPlainText().isEmpty());
    QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("1")); // the practice window's set of one row
    form3->close();
    QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
    QVERIFY(form1->isVisible());
}

void TestCompositionWindow::programEndShowsNoWindow()
{
    TempBank bank(sampleRows(3), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    openCompositionWindow(form1);
    // The farewell timer's order: the practice window first, then the others.
    registry().unload(QStringLiteral("Form1"));
    registry().unload(QStringLiteral("Form3"));
    QVERIFY(!registry().isLoaded(QStringLiteral("Form1")));
    QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
}

void TestCompositionWindow::manualAddsAreNumbered()
{
    TempBank bank(sampleRows(4), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    form3->tabs()->setCurrentIndex(1);
    click(form3, QStringLiteral("Command6")); // question 2, answer B
    for (int i = 0; i < 3; ++i)
        click(form3, QStringLiteral("Command7"));
    QCOMPARE(MessageBox::shown().size(), 3);
    QCOMPARE(MessageBox::last().text, QStringLiteral("真的加入试卷吗？"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("加入试卷"));
    QCOMPARE(MessageBox::last().buttons, MessageBox::OkCancel);
    const QString q2 = QStringLiteral("Question 2 ______.\nA. one\nB. two\nC. three\nD. four");
    QCOMPARE(form3->manualPaperBox()->toPlainText(),
             QStringLiteral("\n1.") + q2 + QStringLiteral("\n2.") + q2 + QStringLiteral("\n3.") + q2);
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.B;  2.B;  3.B;  "));
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("3"));

    // Adds go to the end of what the user has edited meanwhile.
    form3->manualAnswerBox()->setPlainText(QStringLiteral("edited;  "));
    click(form3, QStringLiteral("Command5"));
    click(form3, QStringLiteral("Command7"));
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("edited;  4.A;  "));
}

void TestCompositionWindow::cancelledAddChangesNothing()
{
    TempBank bank(sampleRows(4), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    click(form3, QStringLiteral("Command7"));
    const QString paper = form3->manualPaperBox()->toPlainText();
    const QString answers = form3->manualAnswerBox()->toPlainText();
    MessageBox::queueAnswer(MessageBox::Cancel);
    click(form3, QStringLiteral("Command7"));
    QCOMPARE(MessageBox::last().answer, MessageBox::Cancel);
    QCOMPARE(form3->manualPaperBox()->toPlainText(), paper);
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), answers);
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("1"));
}

void TestCompositionWindow::numberingGoesOnAfterSaveAndRestartsAfterExit()
{
    TempBank bank(sampleRows(4), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    click(form3, QStringLiteral("Command7"));
    click(form3, QStringLiteral("Command8"));
    ProgramWindow *form5 = registry().find(QStringLiteral("Form5"));
    QVERIFY(form5 && form5->isVisible());
    form5->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText(QStringLiteral("manual"));
    click(form5, QStringLiteral("Command1"));
    QVERIFY(!form5->isVisible());
    QVERIFY(QFile::exists(QDir(bank.dir()).filePath(QStringLiteral("manual.txt"))));
    QVERIFY(form3->isVisible());

    click(form3, QStringLiteral("Command6"));
    click(form3, QStringLiteral("Command7"));
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.B;  "));

    click(form3, QStringLiteral("Command9"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form3 = openCompositionWindow(form1);
    QVERIFY(form3->manualPaperBox()->toPlainText().isEmpty());
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("0"));
    click(form3, QStringLiteral("Command7"));
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.A;  "));
}

void TestCompositionWindow::manualRangeAndNavigation()
{
    TempBank bank(sampleRows(7, kCategories), kCatalogue);
    PracticeWindow *form1 = openPracticeWindow();
    CompositionWindow *form3 = openCompositionWindow(form1);
    QComboBox *combo = form3->browseCategoryList();

    // At the first question the previous button says so and stays.
    click(form3, QStringLiteral("Command5"));
    QCOMPARE(MessageBox::last().text, QStringLiteral("已到第一道试题！"));
    QCOMPARE(MessageBox::last().title, QStringLiteral("Quorvane"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));

    pick(combo, QStringLiteral("乙"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共3题"));
    QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
    click(form3, QStringLiteral("Command6"));
    QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 4 ")));
    QCOMPARE(combo->currentText(), QStringLiteral("乙"));
    click(form3, QStringLiteral("Command4"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第3题 共3题"));
    MessageBox::clearShown();
    click(form3, QStringLiteral("Command6"));
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::last().text, QStringLiteral("已到最后一道试题！"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第3题 共3题"));
    QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 6 ")));
    click(form3, QStringLiteral("Command3"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共3题"));

    // Adds keep counting across ranges.
    click(form3, QStringLiteral("Command7"));
    pick(combo, QStringLiteral("全部中考试题"));
    QCOMPARE(form3->cursor()->recordSource(), QStringLiteral("select * from zk "));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));
    click(form3, QStringLiteral("Command7"));
    QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.B;  2.A;  "));

    // This page's cursor is its own: the practice window has not moved.
    QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk"));
    QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), 1);

    // Typing a label and pressing Enter changes no range.
    combo->lineEdit()->setText(QStringLiteral("乙"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));
}

void TestCompositionWindow::anEmptyRangeDoesNothing()
{
    TempBank bank(sampleRows(4), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    pick(form3->browseCategoryList(), QStringLiteral("空类"));
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共0题"));
    QVERIFY(form3->browseBox()->toPlainText().isEmpty());
    for (const char *name : {"Command3", "Command4", "Command5", "Command6", "Command7"})
        click(form3, QString::fromLatin1(name));
    QVERIFY(MessageBox::shown().isEmpty());
    QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共0题"));
    QVERIFY(form3->manualPaperBox()->toPlainText().isEmpty());
    QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("0"));
}

void TestCompositionWindow::everyControlIsNamedForScreenReaders()
{
    TempBank bank(sampleRows(2), kCatalogue);
    CompositionWindow *form3 = openCompositionWindow(openPracticeWindow());
    for (int page = 0; page < 3; ++page) {
        form3->tabs()->setCurrentIndex(page);
        for (QWidget *w : form3->findChildren<QWidget *>()) {
            if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || w->parentWidget() == form3->browseCategoryList())
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY(iface);
            QVERIFY2(!iface->text(QAccessible::Name).isEmpty() || !iface->text(QAccessible::Description).isEmpty(),
                     qPrintable(w->objectName() + QLatin1Char(' ')
                                + QString::fromLatin1(w->metaObject()->className())));
        }
    }
}

QTEST_MAIN(TestCompositionWindow)
#include "tst_compositionwindow.moc"
