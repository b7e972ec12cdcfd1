#include "practicewindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <memory>
#include <tuple>

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

    void opensHidesUnloadsAndReturns()
    {
        TempBank bank(sampleRows(57, kCategories), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        QVERIFY(form3 && form3->isVisible() && !form1->isVisible());
        // The manual page at load.
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第1题 共57题"));
        QVERIFY(form3->browseBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
        QCOMPARE(form3->browseCategoryList()->currentText(), QStringLiteral("甲"));
        QVERIFY(MessageBox::shown().isEmpty());
        compose(form3, QStringLiteral("2"));
        clickButton(form3, QStringLiteral("Command7")); // a manual add
        const QString paper = form3->paperBox()->toPlainText();

        // 退出 (help page) only hides: the page and the papers wait for the
        // next showing; the menu shows the first page.
        form3->tabs()->setCurrentIndex(2);
        clickButton(form3, QStringLiteral("Command10"));
        QVERIFY(form1->isVisible() && !form3->isVisible());
        QCOMPARE(openCompositionWindow(form1), form3);
        QCOMPARE(form3->tabs()->currentIndex(), 2);
        QCOMPARE(form3->paperBox()->toPlainText(), paper);
        QCOMPARE(form3->manualCountBox()->text(), QStringLiteral("1"));
        clickButton(form3, QStringLiteral("Command10"));
        form1->menuAction(QStringLiteral("ZJ"))->trigger();
        QVERIFY(form3->isVisible() && !form1->isVisible());
        QCOMPARE(form3->tabs()->currentIndex(), 0);

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

        // The bank size is the practice window's set at load (category 乙: 28 rows); the numbers
        // still run over the whole table: floor(r * 28) + 1 gives 1 and 3, answers A and C.
        pickCategory(form1->categoryList(), QStringLiteral("乙"));
        form3 = openCompositionWindow(form1);
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("28"));
        form3->setUniformSourceFactory(fixedDraws({0.0, 0.08}));
        compose(form3, QStringLiteral("2"));
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.C;  "));

        // 返回 unloads and puts the practice window on the whole bank again.
        clickButton(form3, QStringLiteral("Command1"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form3")));
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->cursor()->recordSource(), QStringLiteral("select * from zk "));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共57题"));
        clickButton(form1, QStringLiteral("Command5"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第57题 共57题"));

        // At the program's end the practice window goes first, then the others.
        openCompositionWindow(form1);
        registry().unload(QStringLiteral("Form1"));
        registry().unload(QStringLiteral("Form3"));
        QVERIFY(!registry().isLoaded(QStringLiteral("Form1")) && !registry().isLoaded(QStringLiteral("Form3")));
    }

    void aThreeQuestionPaperAndRefusedCounts()
    {
        // Answers cycle A, B, C, D: questions 1, 3 and 2 have the answers A, C and B.
        // The bank holds 11 rows: question 6 is missing.
        QList<QuestionRecord> rows = sampleRows(12);
        rows[2].question = QStringLiteral("Question 3 中文题干\r\nA. 一\r\nB. 二");
        TempBank bank(rows, kCatalogue);
        QVERIFY(bank.exec(QStringLiteral("DELETE FROM zk WHERE \"题号\" = 6")));
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("11"));
        // floor(r * 11) + 1: 0.0 -> 1, 0.2 -> 3, 0.01 -> 1 again (drawn anew), 0.1 -> 2
        form3->setUniformSourceFactory(fixedDraws({0.0, 0.2, 0.01, 0.1}));
        // Enter in the count box only moves the focus to 组卷; Enter there composes.
        QCOMPARE(form3->focusWidget(), form3->countBox());
        QTest::keyClicks(form3->countBox(), QStringLiteral("3"));
        QTest::keyClick(form3->countBox(), Qt::Key_Return);
        QCOMPARE(form3->focusWidget(), form3->button(QStringLiteral("Command20")));
        QVERIFY(form3->paperBox()->toPlainText().isEmpty());
        QTest::keyClick(form3->focusWidget(), Qt::Key_Return);
        QVERIFY(MessageBox::shown().isEmpty());

        const auto sample = [](int n) { return QStringLiteral("Question %1 ______.\nA. one\nB. two\nC. three\nD. four").arg(n); };
        QCOMPARE(form3->paperBox()->toPlainText(), QStringLiteral("\n1.") + sample(1)
                     + QStringLiteral("\n2.Question 3 中文题干\nA. 一\nB. 二\n3.") + sample(2));
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.A;  2.C;  3.B;  "));

        // The practice window's cursor holds the last question fetched; its counter is unchanged.
        QCOMPARE(form1->cursor()->recordCount(), 1);
        QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), 2);
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共11题"));

        // Another click: another paper from scratch; 2.5 questions round to 2.
        // 0.5 -> 6, a number without a row: an empty entry.
        form3->setUniformSourceFactory(fixedDraws({0.5, 0.0}));
        compose(form3, QStringLiteral(" 2.5 "));
        QCOMPARE(form3->paperBox()->toPlainText(), QStringLiteral("\n1.\n2.") + sample(1));
        QCOMPARE(form3->paperAnswerBox()->toPlainText(), QStringLiteral("1.;  2.A;  "));
        QVERIFY(MessageBox::shown().isEmpty());

        // Refused counts: each told, and the previous paper gone, refused or not.
        const QList<std::tuple<QString, QString, bool>> refusals{
            {QStringLiteral("abc"), QStringLiteral("请输入数字！"), true},
            {QStringLiteral("200.5"), QStringLiteral("请输入小于200的数！"), false},
            {QStringLiteral("60"), QStringLiteral("题库中只有11道试题,您输入的数据必须小于(或等于)11！"), true},
            {QStringLiteral("0.4"), QStringLiteral("请输入大于等于1的整数！"), true}};
        for (const auto &[typed, message, reselects] : refusals) {
            compose(form3, QStringLiteral("2"));
            QVERIFY(!form3->paperBox()->toPlainText().isEmpty());
            form3->button(QStringLiteral("Command20"))->setFocus();
            MessageBox::clearShown();
            compose(form3, typed);
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(MessageBox::last().text, message);
            QCOMPARE(MessageBox::last().title, QStringLiteral("智能组卷"));
            QCOMPARE(MessageBox::last().buttons, MessageBox::OkOnly);
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
    }

    void manualAddsRangeAndNavigation()
    {
        TempBank bank(sampleRows(7, kCategories), kCatalogue);
        PracticeWindow *form1 = showPracticeWindow();
        CompositionWindow *form3 = openCompositionWindow(form1);
        QComboBox *combo = form3->browseCategoryList();
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
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("edited;  4.A;  5.B;  6.A;  "));

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
        QCOMPARE(form3->manualAnswerBox()->toPlainText(), QStringLiteral("edited;  4.A;  5.B;  6.A;  "));
    }
};

QTEST_MAIN(TestCompositionWindow)
#include "tst_compositionwindow.moc"
