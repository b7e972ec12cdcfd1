#include "practicewindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>
#include <memory>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("空类")};
const QStringList kCategories{QStringLiteral("甲"), QStringLiteral("乙")};

WindowRegistry &registry()
{
    return WindowRegistry::instance();
}

// The practice window's "电脑组卷", as the user opens the composition window.
CompositionWindow *openCompositionWindow(PracticeWindow *form1)
{
    clickButton(form1, QStringLiteral("Command7"));
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

void compose(CompositionWindow *form3, const QString &count)
{
    form3->countBox()->setText(count);
    clickButton(form3, QStringLiteral("Command20"));
}

} // namespace

class TestCompositionWindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { MessageBox::setTestMode(true); }
    void cleanup() { closeAllWindows(); }

    void opensHidesAndUnloads()
    {
        TempBank bank(sampleRows(57, kCategories), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        QVERIFY(form3 && form3->isVisible() && !form1->isVisible());
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("57"));
        // The manual page at load.
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共57题"));
        QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("0"));
        QCOMPARE(form3->browseCategoryList()->count(), 4);
        QCOMPARE(form3->browseCategoryList()->currentText(), QStringLiteral("甲"));
        QVERIFY(MessageBox::shown().isEmpty());
        QTabWidget *tabs = form3->tabs();
        compose(form3, QStringLiteral("2"));
        clickButton(form3, QStringLiteral("Command7")); // a manual add
        const QString paper = form3->paperBox()->toPlainText();

        // 退出 (help page) only hides: the page and the papers wait for the
        // next showing; the menu shows the first page.
        tabs->setCurrentIndex(2);
        clickButton(form3, QStringLiteral("Command10"));
        QVERIFY(form1->isVisible() && !form3->isVisible());
        QCOMPARE(form1->cursor()->recordCount(), 1);
        QCOMPARE(openCompositionWindow(form1), form3);
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(form3->paperBox()->toPlainText(), paper);
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("1"));
        clickButton(form3, QStringLiteral("Command10"));
        form1->menuAction(QStringLiteral("ZJ"))->trigger();
        QVERIFY(form3->isVisible() && !form1->isVisible());
        QCOMPARE(tabs->currentIndex(), 0);

        // 退  出 (manual page) unloads; the practice window stays on its one row.
        clickButton(form3, QStringLiteral("Command9"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共57题"));

        // A new load starts afresh; the close box unloads as well.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        form3 = openCompositionWindow(form1);
        QVERIFY(form3->paperBox()->toPlainText().isEmpty() && form3->manualPaperBox()->toPlainText().isEmpty());
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("0"));
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("1")); // the practice window's set of one row
        form3->close();
        QVERIFY(!registry().isLoaded(QStringLiteral("Form3")) && form1->isVisible());

        // At the program's end the practice window goes first, then the others.
        openCompositionWindow(form1);
        registry().unload(QStringLiteral("Form1"));
        registry().unload(QStringLiteral("Form3"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form1")) && !registry().isLoaded(QStringLiteral("Form3")));
    }

    void refusedCounts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("reselects");
        QTest::newRow("abc") << QStringLiteral("abc") << QStringLiteral("请输入数字！") << true;
        QTest::newRow("200.5") << QStringLiteral("200.5") << QStringLiteral("请输入小于200的数！") << false;
        QTest::newRow("60 of 57") << QStringLiteral("60")
                                  << QStringLiteral("题库中只有57道试题,您输入的数据必须小于(或等于)57！") << true;
        QTest::newRow("0.4") << QStringLiteral("0.4") << QStringLiteral("请输入大于等于1的整数！") << true;
    }

    void refusedCounts()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        QFETCH(bool, reselects);
        TempBank bank(sampleRows(57), kCatalogue);
        CompositionWindow *form3 = openCompositionWindow(showPracticeWindow());
        compose(form3, QStringLiteral("3"));
        QVERIFY(!form3->paperBox()->toPlainText().isEmpty());

        form3->button(QStringLiteral("Command20"))->setFocus();
        MessageBox::clearShown();
        compose(form3, typed);
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

    void aThreeQuestionPaper()
    {
        // Answers cycle A, B, C, D: questions 1, 3 and 2 have the answers A, C and B.
        QList<QuestionRecord> rows = sampleRows(12);
        rows[2].question = QStringLiteral("Question 3 中文题干\r\nA. 一\r\nB. 二");
        TempBank bank(rows, kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        // floor(r * 12) + 1: 0.0 -> 1, 0.2 -> 3, 0.01 -> 1 again (drawn anew), 0.1 -> 2
        form3->setUniformSourceFactory(fixedDraws({0.0, 0.2, 0.01, 0.1}));
        // Enter in the count box only moves the focus to 组卷; Enter there composes.
        QCOMPARE(form3->focusWidget(), form3->countBox());
        QTest::keyClicks(form3->countBox(), QStringLiteral("3"));
        QTest::keyClick(form3->countBox(), Qt::Key_Return);
        QCOMPARE(form3->focusWidget(), form3->button(QStringLiteral("Command20")));
        QVERIFY(form3->paperBox()->toPlainText().isEmpty());
        QTest::keyClick(form3->focusWidget(), Qt::Key_Return);
        QVERIFY(MessageBox::shown().isEmpty());

        const QString q1 = QStringLiteral("Question 1 ______.\nA. one\nB. two\nC. three\nD. four");
        const QString q2 = QStringLiteral("Question 2 ______.\nA. one\nB. two\nC. three\nD. four");
        const QString q3 = QStringLiteral("Question 3 中文题干\nA. 一\nB. 二");
        QCOMPARE(form3->paperBox()->toPlainText(),
                 QStringLiteral("\n1.") + q1 + QStringLiteral("\n2.") + q3 + QStringLiteral("\n3.") + q2);
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.C;  3.B;  "));

        // The practice window's cursor holds the last question fetched; its counter is unchanged.
        QCOMPARE(form1->cursor()->recordCount(), 1);
        QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), 2);
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共12题"));

        // Another click: another paper from scratch; 2.5 questions round to 2.
        form3->setUniformSourceFactory(fixedDraws({0.99, 0.5}));
        compose(form3, QStringLiteral(" 2.5 "));
        QCOMPARE(bankNumbersIn(form3->paperBox()->toPlainText()), (QList<int>{12, 7}));
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.D;  2.C;  "));
    }

    void aNumberWithoutARowGivesAnEmptyEntry()
    {
        TempBank bank(sampleRows(5), kCatalogue);
        QVERIFY(bank.exec(QStringLiteral("DELETE FROM zk WHERE \"题号\" = 3")));
        CompositionWindow *form3 = openCompositionWindow(showPracticeWindow());
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("4"));
        // floor(r * 4) + 1: 0.6 -> 3 (no such row), 0.0 -> 1
        form3->setUniformSourceFactory(fixedDraws({0.6, 0.0}));
        compose(form3, QStringLiteral("2"));
        QCOMPARE(form3->paperBox()->toPlainText(),
                 QStringLiteral("\n1.\n2.Question 1 ______.\nA. one\nB. two\nC. three\nD. four"));
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.;  2.A;  "));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void bankSizeIsThePracticeSetAtLoadAndReturnShowsTheWholeBank()
    {
        // Six questions, three of them in category 乙 (numbers 2, 4, 6).
        TempBank bank(sampleRows(6, kCategories), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        pickCategory(form1->categoryList(), QStringLiteral("乙"));
        clickButton(form1, QStringLiteral("Command4"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第2题 共3题"));
        CompositionWindow *form3 = openCompositionWindow(form1);
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("3"));
        // The numbers still run 1..3 over the whole table, each once.
        compose(form3, QStringLiteral("3"));
        QList<int> numbers = bankNumbersIn(form3->paperBox()->toPlainText());
        std::sort(numbers.begin(), numbers.end());
        QCOMPARE(numbers, (QList<int>{1, 2, 3}));
        QCOMPARE(form1->cursor()->recordCount(), 1);
        compose(form3, QStringLiteral("4"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("题库中只有3道试题,您输入的数据必须小于(或等于)3！"));

        // 返回 unloads and puts the practice window on the whole bank again.
        clickButton(form3, QStringLiteral("Command1"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk "));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共6题"));
        QVERIFY(form1->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
        clickButton(form1, QStringLiteral("Command5"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第6题 共6题"));
    }

    void manualAddsAreNumbered()
    {
        TempBank bank(sampleRows(4), kCatalogue);
        CompositionWindow *form3 = openCompositionWindow(showPracticeWindow());
        form3->tabs()->setCurrentIndex(1);
        clickButton(form3, QStringLiteral("Command6")); // question 2, answer B
        for (int i = 0; i < 3; ++i)
            clickButton(form3, QStringLiteral("Command7"));
        QCOMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(MessageBox::last().text, QStringLiteral("真的加入试卷吗？"));
        QCOMPARE(MessageBox::last().title, QStringLiteral("加入试卷"));
        QCOMPARE(MessageBox::last().buttons, MessageBox::OkCancel);
        const QString q2 = QStringLiteral("Question 2 ______.\nA. one\nB. two\nC. three\nD. four");
        const QString paper = QStringLiteral("\n1.") + q2 + QStringLiteral("\n2.") + q2 + QStringLiteral("\n3.") + q2;
        QCOMPARE(form3->manualPaperBox()->toPlainText(), paper);
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.B;  2.B;  3.B;  "));
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("3"));

        // A cancelled add changes nothing.
        MessageBox::queueAnswer(MessageBox::Cancel);
        clickButton(form3, QStringLiteral("Command7"));
        QCOMPARE(MessageBox::last().answer, MessageBox::Cancel);
        QCOMPARE(form3->manualPaperBox()->toPlainText(), paper);
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("3"));

        // Adds go to the end of what the user has edited meanwhile.
        form3->manualAnswerBox()->setPlainText(QStringLiteral("edited;  "));
        clickButton(form3, QStringLiteral("Command5"));
        clickButton(form3, QStringLiteral("Command7"));
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("edited;  4.A;  "));

        // Saving the paper (Form5) goes back here, and the numbering goes on.
        clickButton(form3, QStringLiteral("Command8"));
        ProgramWindow *form5 = registry().find(QStringLiteral("Form5"));
        QVERIFY(form5 && form5->isVisible());
        form5->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText(QStringLiteral("manual"));
        clickButton(form5, QStringLiteral("Command1"));
        QVERIFY(!form5->isVisible() && form3->isVisible());
        QVERIFY(QFile::exists(QDir(bank.dir()).filePath(QStringLiteral("manual.txt"))));
        clickButton(form3, QStringLiteral("Command7"));
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("edited;  4.A;  5.A;  "));
    }

    void manualRangeAndNavigation()
    {
        TempBank bank(sampleRows(7, kCategories), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        QComboBox *combo = form3->browseCategoryList();

        // At the first question the previous button says so and stays.
        clickButton(form3, QStringLiteral("Command5"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("已到第一道试题！"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));

        pickCategory(combo, QStringLiteral("乙"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共3题"));
        QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 2 ")));
        clickButton(form3, QStringLiteral("Command6"));
        QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 4 ")));
        clickButton(form3, QStringLiteral("Command4"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第3题 共3题"));
        MessageBox::clearShown();
        clickButton(form3, QStringLiteral("Command6"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("已到最后一道试题！"));
        QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 6 ")));
        clickButton(form3, QStringLiteral("Command3"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共3题"));

        // Adds keep counting across ranges.
        clickButton(form3, QStringLiteral("Command7"));
        pickCategory(combo, QStringLiteral("全部中考试题"));
        QCOMPARE(form3->cursor()->recordSource(), QStringLiteral("select * from zk "));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));
        clickButton(form3, QStringLiteral("Command7"));
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.B;  2.A;  "));

        // This page's cursor is its own: the practice window has not moved.
        QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk"));
        QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), 1);

        // Typing a label and pressing Enter changes no range.
        combo->lineEdit()->setText(QStringLiteral("乙"));
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共7题"));

        // An empty range: every button does nothing, silently.
        pickCategory(combo, QStringLiteral("空类"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共0题"));
        QVERIFY(form3->browseBox()->toPlainText().isEmpty());
        MessageBox::clearShown();
        for (const char *name : {"Command3", "Command4", "Command5", "Command6", "Command7"})
            clickButton(form3, QString::fromLatin1(name));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共0题"));
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("1.B;  2.A;  "));
    }
};

QTEST_MAIN(TestCompositionWindow)
#include "tst_compositionwindow.moc"
