// The practice window on a bank that is broken, read-only on disk, or locked
// by another program: what the user is told, and that nothing stored is lost.
#include "banksources.h"
#include "faultsupport.h"
#include "practicewindow.h"
#include "messagebox.h"
#include "questioncursor.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

namespace {

const QStringList kCatalogue{QStringLiteral("全部中考试题"), QStringLiteral("甲类")};
const QString kLockedReason = QStringLiteral("题库正被其他程序使用");
const QString kReadOnlyReason = QStringLiteral("题库文件是只读的");

// Marks left by an earlier run: the rows after `row` marked wrong with the pick "C".
const QString kMarkedAfter = QStringLiteral("UPDATE zk SET \"批阅\" = 2, \"作答\" = 'C' WHERE rowid > %1");

// The program ends when the farewell window's timer fires; the tests do not wait its two seconds.
bool programEndsAfterTheFarewell()
{
    if (QWidget *splash = WindowRegistry::instance().find(QStringLiteral("frmSplash")))
        splash->findChild<QTimer *>(QStringLiteral("Timer1"))->start(0);
    return QTest::qWaitFor([] { return programEnded(); }, 5000);
}

// Clicks a button and measures how long the click took.
qint64 timedClick(QWidget *window, const QString &name)
{
    QElapsedTimer clock;
    clock.start();
    clickButton(window, name);
    return clock.elapsed();
}

} // namespace

class TestBankFaults : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { closeAllWindows(); }

    void aBrokenBankIsToldOnceAndTheProgramStillWorks_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << QString() << false << QStringLiteral("找不到");
        QTest::newRow("empty file") << QByteArray() << QString() << true << QStringLiteral("没有试题表");
        QTest::newRow("not SQLite") << QByteArray(4096, 'x') << QString() << true << QStringLiteral("不是题库");
        QTest::newRow("wrong columns")
            << QByteArray() << QStringLiteral("CREATE TABLE zk (题号 INTEGER, 试题 TEXT, 答案 TEXT, 备注 TEXT)") << true
            << QStringLiteral("列不对");
    }

    void aBrokenBankIsToldOnceAndTheProgramStillWorks()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, sql);
        QFETCH(bool, exists);
        QFETCH(QString, reason);
        TempBank bank(sampleRows(3), kCatalogue);
        QVERIFY(QFile::remove(bank.dbPath()));
        if (exists)
            QVERIFY(writeBytes(bank.dbPath(), content));
        if (!sql.isEmpty())
            QVERIFY(execSql(bank.dbPath(), sql));
        const QByteArray before = readBytes(bank.dbPath());

        // Start: one message naming the file and the reason, an empty set.
        PracticeWindow *form = showPracticeWindow();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::last().text.contains(QStringLiteral("english.db")), qPrintable(MessageBox::last().text));
        QVERIFY2(MessageBox::last().text.contains(reason), qPrintable(MessageBox::last().text));
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共0题"));
        QCOMPARE(form->categoryList()->count(), kCatalogue.size()); // the catalogue is read all the same

        // Moving, answering, the marking and composition windows go on; the marking window says why it cannot count.
        clickButton(form, QStringLiteral("Command4"));
        form->optionButton(1)->click();
        clickButton(form, QStringLiteral("Command6"));
        QWidget *form2 = WindowRegistry::instance().find(QStringLiteral("Form2"));
        QVERIFY(form2);
        MessageBox::clearShown();
        clickButton(form2, QStringLiteral("Command6"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::last().text.contains(reason), qPrintable(MessageBox::last().text));
        clickButton(form2, QStringLiteral("Command1"));
        clickButton(form, QStringLiteral("Command7"));
        QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("Form3")));
        clickButton(WindowRegistry::instance().find(QStringLiteral("Form3")), QStringLiteral("Command1"));

        // The exit asks, resets nothing, says nothing more, and the program ends.
        MessageBox::clearShown();
        MessageBox::queueAnswer(MessageBox::Yes);
        clickButton(form, QStringLiteral("Command8"));
        QCOMPARE(shownTexts(), QStringList{QStringLiteral("真的要退出<<Quorvane>>吗?")});
        QVERIFY(programEndsAfterTheFarewell());

        // Nothing was created in the bank's place and nothing altered.
        QCOMPARE(QFile::exists(bank.dbPath()), exists);
        QCOMPARE(readBytes(bank.dbPath()), before);
    }

    void aReadOnlyBankIsReadAndTheFailedStoreToldOnce_data()
    {
        QTest::addColumn<bool>("folderReadOnly");
        // The file alone (its folder takes the log's files), and the file on a
        // read-only medium after an earlier run left it in write-ahead-log mode.
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only folder, log mode") << true;
    }

    void aReadOnlyBankIsReadAndTheFailedStoreToldOnce()
    {
        QFETCH(bool, folderReadOnly);
        TempBank bank(sampleRows(6), kCatalogue);
        QVERIFY(bank.exec(kMarkedAfter.arg(4)));
        QVERIFY(QuestionCursor().refresh()); // as a first run does: the bank is now in write-ahead-log mode
        const QByteArray before = readBytes(bank.dbPath());
        QVERIFY(QFile::setPermissions(bank.dbPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        QCOMPARE(chmod(QFile::encodeName(bank.dir()).constData(), folderReadOnly ? 0555 : 0777), 0);
        {
            OrdinaryFileAccess ordinary;
            QVERIFY2(ordinary.active(), "the file-system user cannot be switched: permissions would not apply");
            QVERIFY(!canWrite(bank.dbPath())); // the fault is real
            QCOMPARE(canWrite(bank.dir()), !folderReadOnly);

            // The questions are read as always; nothing is said yet.
            PracticeWindow *form = showPracticeWindow();
            QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(shownTexts().join(QLatin1Char('\n'))));
            QCOMPARE(form->positionBox()->text(), QStringLiteral("第1题 共6题"));
            QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
            QVERIFY(form->cursor()->isReadOnly());

            // The first answer that cannot be stored is told, once, with the reason.
            form->optionButton(1)->click();
            clickButton(form, QStringLiteral("Command4"));
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY2(MessageBox::last().text.contains(kReadOnlyReason), qPrintable(MessageBox::last().text));
            form->optionButton(2)->click();
            clickButton(form, QStringLiteral("Command4"));
            clickButton(form, QStringLiteral("Command3"));
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共6题"));
            QVERIFY(form->optionButton(2)->isChecked()); // the window keeps the pick
            QCOMPARE(form->cursor()->unstoredRowCount(), 2);

            // Nothing is recorded, and the learning record says nothing more.
            form->menuAction(QStringLiteral("XXJL"))->trigger();
            QVERIFY(WindowRegistry::instance().isLoaded(QStringLiteral("frmRecord")));
            QCOMPARE(MessageBox::shown().size(), 1);

            // The exit cannot reset the two marks of an earlier run: told once, and the program ends all the same.
            MessageBox::clearShown();
            MessageBox::queueAnswer(MessageBox::Yes);
            clickButton(form, QStringLiteral("Command8"));
            const QStringList texts = shownTexts();
            QCOMPARE(texts.size(), 2);
            QVERIFY2(texts.at(1).contains(kReadOnlyReason) && texts.at(1).contains(QStringLiteral("作答标记没有清除")),
                     qPrintable(texts.at(1)));
            QVERIFY(programEndsAfterTheFarewell());
        }
        QVERIFY(QFile::setPermissions(bank.dir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(readBytes(bank.dbPath()), before);
        QCOMPARE(bank.countMarked(2), 2);
        QCOMPARE(integrityCheck(bank.dbPath()), QStringLiteral("ok"));
        QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'lx'")), 0);
    }

    void aLockedBankWaitsTellsOnceKeepsTheChangesAndTheExitResetsAllOrNothing()
    {
        TempBank bank(sampleRows(50), kCatalogue);
        QVERIFY(bank.exec(kMarkedAfter.arg(20)));
        PracticeWindow *form = showPracticeWindow();
        DriverProcess other(bank.dir());
        QVERIFY(other.start());
        QCOMPARE(other.ask(QStringLiteral("hold")), QStringLiteral("ok"));

        // A pick and a correction on question 1, then 下一题: the store waits a bounded time, then says so once.
        form->optionButton(1)->click();
        form->menuAction(QStringLiteral("XGST"))->trigger();
        form->questionBox()->selectAll();
        typeIn(form->questionBox(), QStringLiteral("改过的第一题"));
        const qint64 waited = timedClick(form, QStringLiteral("Command4"));
        QVERIFY2(waited >= BankFile::kBusyTimeoutMs * 8 / 10 && waited < BankFile::kBusyTimeoutMs + 5000,
                 qPrintable(QString::number(waited)));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::last().text.contains(kLockedReason), qPrintable(MessageBox::last().text));
        QCOMPARE(form->positionBox()->text(), QStringLiteral("第2题 共50题")); // the move itself went on
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 0);

        // Still locked: the next move neither waits again nor repeats the message.
        form->optionButton(2)->click();
        const qint64 retried = timedClick(form, QStringLiteral("Command4"));
        QVERIFY2(retried < 1000, qPrintable(QString::number(retried)));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(form->cursor()->unstoredRowCount(), 2);

        // The lock goes: the next move stores both rows, the correction included.
        QCOMPARE(other.ask(QStringLiteral("release")), QStringLiteral("ok"));
        clickButton(form, QStringLiteral("Command3"));
        QCOMPARE(bank.stored(1, QStringLiteral("批阅")).toInt(), 2);
        QCOMPARE(bank.stored(1, QStringLiteral("作答")).toString(), QStringLiteral("B"));
        QCOMPARE(bank.stored(1, QStringLiteral("试题")).toString(), QStringLiteral("改过的第一题"));
        QCOMPARE(bank.stored(2, QStringLiteral("作答")).toString(), QStringLiteral("C"));
        QCOMPARE(MessageBox::shown().size(), 1);

        // A later lock is a new trouble and is told again, once.
        QCOMPARE(other.ask(QStringLiteral("hold")), QStringLiteral("ok"));
        form->optionButton(3)->click();
        clickButton(form, QStringLiteral("Command4"));
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(other.ask(QStringLiteral("release")), QStringLiteral("ok"));
        clickButton(form, QStringLiteral("Command3"));
        QCOMPARE(bank.stored(2, QStringLiteral("作答")).toString(), QStringLiteral("D"));

        // Locked again at the exit with a correction: two bounded waits at most (its store, then the reset).
        QCOMPARE(other.ask(QStringLiteral("hold")), QStringLiteral("ok"));
        MessageBox::clearShown();
        form->menuAction(QStringLiteral("XGST"))->trigger();
        form->questionBox()->selectAll();
        typeIn(form->questionBox(), QStringLiteral("改过"));
        MessageBox::queueAnswer(MessageBox::Yes);
        const qint64 took = timedClick(form, QStringLiteral("Command8"));
        QVERIFY2(took < 2 * BankFile::kBusyTimeoutMs + 5000, qPrintable(QString::number(took)));
        const QStringList texts = shownTexts();
        QCOMPARE(texts.size(), 3);
        QVERIFY2(texts.at(0).contains(kLockedReason), qPrintable(texts.at(0)));
        QCOMPARE(texts.at(1), QStringLiteral("真的要退出<<Quorvane>>吗?"));
        QVERIFY2(texts.at(2).contains(kLockedReason) && texts.at(2).contains(QStringLiteral("作答标记没有清除"))
                     && texts.at(2).contains(QStringLiteral("有1道试题的修改没有存入题库")),
                 qPrintable(texts.at(2)));

        QVERIFY(!WindowRegistry::instance().isLoaded(QStringLiteral("Form1")));
        QVERIFY(programEndsAfterTheFarewell());
        QCOMPARE(MessageBox::shown().size(), 3); // the window's unload did not tell again

        // None of the 32 marks (30 of an earlier run, questions 1 and 2) was reset: never half.
        QCOMPARE(bank.countMarked(2), 32);

        // The next run: the other program ends its write 1.5 seconds into the exit, while the reset (the only store
        // pending) waits for it, and every mark is reset.
        QCOMPARE(other.ask(QStringLiteral("release")), QStringLiteral("ok"));
        form = showPracticeWindow();
        QCOMPARE(other.ask(QStringLiteral("hold 1500")), QStringLiteral("ok"));
        MessageBox::queueAnswer(MessageBox::Yes);
        const qint64 tookNext = timedClick(form, QStringLiteral("Command8"));
        QVERIFY2(tookNext >= 500 && tookNext < BankFile::kBusyTimeoutMs, qPrintable(QString::number(tookNext)));
        QCOMPARE(MessageBox::shown().size(), 1); // the exit question only
        QVERIFY(programEndsAfterTheFarewell());
        QCOMPARE(bank.countMarked(0), 50);
        QCOMPARE(queryNumber(bank.dbPath(), QStringLiteral("SELECT count(*) FROM zk WHERE \"作答\" = 'E'")), 50);
        QCOMPARE(integrityCheck(bank.dbPath()), QStringLiteral("ok"));
    }
};

QTEST_MAIN(TestBankFaults)
#include "tst_bankfaults.moc"
