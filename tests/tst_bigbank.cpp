// A bank of 100,000 questions, far past what a 16-bit count holds: the
// program starts, moves, marks, counts and composes on it.
#include "benchbank.h"
#include "catalogue.h"
#include "faultsupport.h"
#include "practicewindow.h"
#include "markingwindow.h"
#include "compositionwindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kRows = 100000;

// Whether a line edit shows the whole of its text.
bool showsWhole(QLineEdit *box)
{
    const int room = box->contentsRect().width() - 4; // the edit's own inner margins
    const int needed = QFontMetrics(box->font()).horizontalAdvance(box->text());
    if (needed > room)
        qWarning("%s: \"%s\" needs %d px, has %d", qPrintable(box->objectName()), qPrintable(box->text()), needed,
                 room);
    return needed <= room;
}

} // namespace

class TestBigBank : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(BenchBank::generate(m_dir.path(), kRows, &error), qPrintable(error));
        QDir::setCurrent(m_dir.path()); // the program opens the bank by its relative name
        Catalogue::setPathOverride(QDir(m_dir.path()).filePath(QStringLiteral("mulu.txt")));
    }

    void cleanup() { closeAllWindows(); }

    void startMoveMarkAndCompose()
    {
        const QString db = QDir(m_dir.path()).filePath(QStringLiteral("english.db"));
        // 70,000 answers left from an earlier run that did not end well: counts past 32767 for the marking window.
        QVERIFY(execSql(db, QStringLiteral("UPDATE zk SET \"批阅\" = CASE WHEN rowid <= 40000 THEN 1 ELSE 2 END, "
                                           "\"作答\" = 'A' WHERE rowid <= 70000")));

        // Start: the whole bank, counted in full.
        PracticeWindow *form1 = showPracticeWindow();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共100000题"));
        QVERIFY(showsWhole(form1->positionBox()));

        // Moving: the last question, past the end and back, the previous one; the counter goes on past 32767.
        clickButton(form1, QStringLiteral("Command5"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第100000题 共100000题"));
        QVERIFY(showsWhole(form1->positionBox()));
        QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), kRows);
        clickButton(form1, QStringLiteral("Command4"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("已到最后一道试题！"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第100000题 共100000题"));
        form1->optionButton(0)->click();
        clickButton(form1, QStringLiteral("Command3"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第99999题 共100000题"));
        QCOMPARE(form1->cursor()->field(BankSchema::Number).toInt(), kRows - 1);
        QCOMPARE(queryNumber(db, QStringLiteral("SELECT \"作答\" = 'A' FROM zk WHERE rowid = 100000")), qint64(1));

        // Marking: the 70,001 answers in the bank, counted by the marking window.
        const qint64 right = queryNumber(db, QStringLiteral("SELECT count(*) FROM zk WHERE \"批阅\" = 1"));
        const qint64 wrong = queryNumber(db, QStringLiteral("SELECT count(*) FROM zk WHERE \"批阅\" = 2"));
        clickButton(form1, QStringLiteral("Command6"));
        auto *form2 = WindowRegistry::instance().findWindow<MarkingWindow>(QStringLiteral("Form2"));
        QVERIFY(form2);
        clickButton(form2, QStringLiteral("Command6"));
        QCOMPARE(form2->rightBox()->text(), QString::number(right));
        QCOMPARE(form2->wrongBox()->text(), QString::number(wrong));
        QCOMPARE(form2->totalBox()->text(), QStringLiteral("70001"));
        QCOMPARE(form2->rateBox()->text(), QStringLiteral(" 57%"));
        for (QLineEdit *box : {form2->rightBox(), form2->wrongBox(), form2->rateBox(), form2->totalBox()})
            QVERIFY(showsWhole(box));
        clickButton(form2, QStringLiteral("Command14")); // the review of the wrong answers
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共%1题").arg(wrong));

        // Composing on the whole bank again: its size shown whole, 199 questions, the manual page on row 100,000.
        form1->categoryList()->setCurrentIndex(0);
        emit form1->categoryList()->activated(0);
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共100000题"));
        clickButton(form1, QStringLiteral("Command7"));
        auto *form3 = WindowRegistry::instance().findWindow<CompositionWindow>(QStringLiteral("Form3"));
        QVERIFY(form3);
        QCOMPARE(form3->bankSizeShown()->text(), QStringLiteral("100000"));
        QVERIFY(showsWhole(form3->bankSizeShown()));
        form3->countBox()->setText(QStringLiteral("199"));
        clickButton(form3, QStringLiteral("Command20"));
        QVERIFY(form3->paperBox()->toPlainText().contains(QStringLiteral("\n199.")));
        QCOMPARE(form3->paperAnswerBox()->toPlainText().count(QStringLiteral(";  ")), 199);
        form3->tabs()->setCurrentIndex(1);
        clickButton(form3, QStringLiteral("Command4"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第100000题 共100000题"));
        QVERIFY(showsWhole(form3->browsePositionBox()));
        clickButton(form3, QStringLiteral("Command5"));
        QCOMPARE(form3->browsePositionBox()->text(), QStringLiteral("第99999题 共100000题"));
        clickButton(form3, QStringLiteral("Command7"));
        QVERIFY(form3->manualPaperBox()->toPlainText().startsWith(QStringLiteral("\n1.")));

        // Back (the exit's reset of 100,000 marks is tst_processfaults' to check).
        form3->tabs()->setCurrentIndex(0);
        clickButton(form3, QStringLiteral("Command1"));
        QCOMPARE(form1->positionBox()->text(), QStringLiteral("第1题 共100000题"));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBigBank)
#include "tst_bigbank.moc"
