// The program as a process of its own (qvdriver): killed in the middle of the exit's mark reset on a bank of
// 100,000 rows, of storing a corrected explanation and of storing an answer with its record; two instances on one bank.
#include "benchbank.h"
#include "faultsupport.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>

namespace {

// The texts of the rows: a change to any of them changes this.
const QString kTexts = QStringLiteral(
    "count(*) || '/' || sum(length(\"试题\")) || '/' || sum(length(\"答案\")) || '/' || sum(length(\"备注\")) || '/' || "
    "sum(unicode(\"试题\")) || '/' || group_concat(substr(\"试题\", 1, 3), '')");
// The marks: how many right, how many wrong, and how many answers unset.
const QString kMarks = QStringLiteral("sum(\"批阅\" = 1) || '/' || sum(\"批阅\" = 2) || '/' || sum(\"作答\" = 'E')");

// A summary (kTexts, kMarks) of the rows of a bank.
QString fingerprint(const QString &dbPath, const QString &of = kTexts, const QString &rows = QStringLiteral("1"))
{
    return queryText(dbPath, QStringLiteral("SELECT %1 FROM zk WHERE %2").arg(of, rows));
}

qint64 countWhere(const QString &dbPath, const QString &condition)
{
    return queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM zk WHERE ") + condition);
}

// Checks a condition until it holds, in a tight loop: the moment to catch lasts a fraction of a second.
bool pollUntil(const std::function<bool()> &condition, int timeoutMs = 120000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.hasExpired(timeoutMs))
            return false;
        QThread::usleep(200);
    }
    return true;
}

QString bankIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("english.db"));
}

// A copy of a bank in a folder of its own, with the program started on it.
struct RunOnCopy
{
    QTemporaryDir dir;
    QString db = bankIn(dir.path());
    DriverProcess program{dir.path()};

    // Copies the bank of `source`, starts the program; its first position.
    QString start(const QString &source)
    {
        if (!QFile::copy(bankIn(source), db)
            || !QFile::copy(QDir(source).filePath(QStringLiteral("mulu.txt")), QDir(dir.path()).filePath(QStringLiteral("mulu.txt")))
            || !program.start())
            return QStringLiteral("<not started>");
        return program.ask(QStringLiteral("start"));
    }
};

// Runs `command` on copies of the bank in `source` (the program started at
// `started`): once to its answer `done`, for the largest size of the log the
// store writes, then killed once the log has grown past each of `parts` of it
// (at once for 0; for -1 once the bank file itself is written, which happens
// only once the store is committed). `check` judges each copy (the whole run
// as part 1); counts the kills that fell in the middle of the store.
void killDuringAStore(const QString &source, const QString &started, const QString &command, const QString &done,
                      const QList<double> &parts, const std::function<void(RunOnCopy &, double, bool)> &check,
                      int &killedHalfWay)
{
    qint64 fullLog = 0;
    for (const double part : QList<double>{1.0} + parts) {
        RunOnCopy run;
        QCOMPARE(run.start(source), started);
        const QDateTime bankWritten = QFileInfo(run.db).lastModified();
        run.program.send(command);
        if (command == QLatin1String("exit"))
            QCOMPARE(run.program.readLine(), QStringLiteral("ok")); // said before the reset starts
        qint64 log = 0;
        QVERIFY(part == 0.0 || pollUntil([&] {
            log = qMax(log, QFileInfo(run.db + QStringLiteral("-wal")).size());
            QProcess &program = run.program.process();
            if (part == 1.0)
                return program.canReadLine() || (program.waitForReadyRead(0) && program.canReadLine());
            const bool due = part < 0 ? QFileInfo(run.db).lastModified() != bankWritten : log > part * double(fullLog);
            return due || program.waitForFinished(0);
        }));
        run.program.kill();
        const bool finished = run.program.process().readAllStandardOutput().contains(done.toUtf8());
        if (part == 1.0) {
            fullLog = log;
            QVERIFY(finished && fullLog > 0);
        } else if (part >= 0 && !finished && log > 0) {
            ++killedHalfWay;
        }
        qInfo("killed at %s (log %lld of %lld bytes, store %s)",
              part < 0 ? "the copy into the bank" : qPrintable(QStringLiteral("%1%").arg(part * 100)), log, fullLog,
              finished ? "done" : "not done");
        QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        check(run, part, finished);
    }
}

// Every mark has its record and every record its mark, with the same letter: the number of such pairs, or -1
// when they differ. A bank without lx has none (its queries fail).
qint64 marksWithTheirRecords(const QString &dbPath)
{
    const qint64 marked = countWhere(dbPath, QStringLiteral("\"批阅\" <> 0"));
    const qint64 records = qMax(0LL, queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM lx")));
    const qint64 paired = qMax(0LL, queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM lx JOIN zk USING (\"题号\") WHERE "
                                                                       "lx.\"批阅\" = zk.\"批阅\" AND lx.\"作答\" = zk.\"作答\"")));
    return (marked == records && records == paired) ? records : -1;
}

// Waits for the program asked to exit to end by itself, cleanly.
void exitsCleanly(DriverProcess &program)
{
    for (const char *line : {"ok", "reset done", "ended"})
        QCOMPARE(program.readLine(), QString::fromLatin1(line));
    QVERIFY(program.process().state() == QProcess::NotRunning || program.process().waitForFinished(60000));
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
}

} // namespace

class TestProcessFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void aKillDuringTheExitResetLeavesAllOrNone();
    void aKillDuringTheStoreOfAnExplanationLeavesOldOrNew();
    void aKillDuringAStoreKeepsTheMarkAndItsRecordTogether();
    void twoInstancesStoreAtOnceAndSeeEachOthersRows();

private:
    QTemporaryDir m_big; // 100,000 rows, every one marked, made once
    QTemporaryDir m_small; // 400 rows, question 1 with an explanation
    QString m_fingerprint;
};

void TestProcessFaults::initTestCase()
{
    QString error;
    QVERIFY2(BenchBank::generate(m_big.path(), 100000, &error), qPrintable(error));
    QVERIFY2(BenchBank::generate(m_small.path(), 400, &error), qPrintable(error));
    QVERIFY(execSql(bankIn(m_small.path()), QStringLiteral("INSERT INTO jx VALUES (1, '旧的解析')")));
    const QString db = bankIn(m_big.path());
    QVERIFY(execSql(db, QStringLiteral("UPDATE zk SET \"批阅\" = 1 + rowid % 2, \"作答\" = substr('ABCD', 1 + rowid % 4, 1)")));
    m_fingerprint = fingerprint(db);
    QCOMPARE(fingerprint(db, kMarks), QStringLiteral("50000/50000/0"));
}

void TestProcessFaults::aKillDuringTheExitResetLeavesAllOrNone()
{
    // The bank is whole, its texts untouched, and the marks all reset or all as they were; killed as the exit
    // starts, through the reset and as the committed reset is copied into the bank.
    const QString started = QStringLiteral("ok 第1题 共100000题");
    int killedHalfWay = 0;
    const auto check = [&](RunOnCopy &run, double part, bool finished) {
        QCOMPARE(fingerprint(run.db), m_fingerprint);
        const QString marks = fingerprint(run.db, kMarks);
        if (marks != QLatin1String("50000/50000/0")) {
            QCOMPARE(marks, QStringLiteral("0/0/100000"));
        } else {
            QVERIFY2(!finished, "the reset reported done, yet marks are left");
            QVERIFY2(part >= 0, "a committed reset was lost");
        }
        if (part == 0.5) {
            // The next run of the program resets what the killed one could not.
            DriverProcess next(run.dir.path());
            QVERIFY(next.start());
            QCOMPARE(next.ask(QStringLiteral("start")), started);
            next.send(QStringLiteral("exit"));
            exitsCleanly(next);
            QCOMPARE(fingerprint(run.db, kMarks), QStringLiteral("0/0/100000"));
            QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        }
    };
    killDuringAStore(m_big.path(), started, QStringLiteral("exit"), QStringLiteral("reset done"),
                     {0.0, 0.05, 0.5, 0.95, -1.0}, check, killedHalfWay);
    QVERIFY2(killedHalfWay >= 2, "no kill fell in the middle of the reset");
}

void TestProcessFaults::aKillDuringTheStoreOfAnExplanationLeavesOldOrNew()
{
    // Question 1's explanation corrected from a short one to one of about 6 MB, stored by "下一题": long enough
    // to kill the program while the store is being written.
    const int times = 150000;
    const QString line = QStringLiteral("先找时间状语，再定时态。");
    const QString isOld = QStringLiteral("SELECT count(*) FROM jx WHERE \"题号\" = 1 AND \"解析\" = '旧的解析'");
    const QString isNew = QStringLiteral("SELECT count(*) FROM jx WHERE \"题号\" = 1 AND \"解析\" = "
                                         "replace(hex(zeroblob(%1)), '00', '%2' || char(10))").arg(times).arg(line);
    const QString texts = fingerprint(bankIn(m_small.path()));

    int killedHalfWay = 0;
    const auto check = [&](RunOnCopy &run, double part, bool finished) {
        QCOMPARE(fingerprint(run.db), texts);
        const qint64 stored = queryNumber(run.db, isNew);
        QCOMPARE(queryNumber(run.db, isOld) + stored, qint64(1)); // the one or the other, whole
        if (part < 0 || finished)
            QCOMPARE(stored, qint64(1)); // in the bank file only once committed
    };
    killDuringAStore(m_small.path(), QStringLiteral("ok 第1题 共400题"), QStringLiteral("explain %1 %2\\n").arg(times).arg(line),
                     QStringLiteral("ok 第2题 共400题"), {0.05, 0.5, 0.95, -1.0}, check, killedHalfWay);
    QVERIFY2(killedHalfWay >= 1, "no kill fell in the middle of the store");
}

void TestProcessFaults::aKillDuringAStoreKeepsTheMarkAndItsRecordTogether()
{
    // Stopped inside the first store (which makes the record table) and inside the next one, after the row's
    // update, after the record's insert and just before the commit, then killed: neither is in the bank (the
    // answer stored before is, with its record).
    for (const int before : {0, 1}) {
        for (const QString &where : {QStringLiteral("zk"), QStringLiteral("lx"), QStringLiteral("commit")}) {
            RunOnCopy run;
            QCOMPARE(run.start(m_small.path()), QStringLiteral("ok 第1题 共400题"));
            QCOMPARE(run.program.ask(QStringLiteral("picks %1").arg(before)), QStringLiteral("ok 第%1题 共400题").arg(before + 1));
            QCOMPARE(run.program.ask(QStringLiteral("stall ") + where), QStringLiteral("ok"));
            QCOMPARE(run.program.ask(QStringLiteral("picks 1")), QStringLiteral("stalled"));
            run.program.kill();
            QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
            QCOMPARE(marksWithTheirRecords(run.db), qint64(before));
            QCOMPARE(countWhere(run.db, QStringLiteral("rowid = %1 AND \"批阅\" = 0").arg(before + 1)), qint64(1));
        }
    }
}

void TestProcessFaults::twoInstancesStoreAtOnceAndSeeEachOthersRows()
{
    RunOnCopy run;
    DriverProcess &a = run.program;
    DriverProcess b(run.dir.path());
    QCOMPARE(run.start(m_small.path()), QStringLiteral("ok 第1题 共400题"));
    QVERIFY(b.start());
    QCOMPARE(b.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共400题"));
    const QString others = QStringLiteral("rowid <> 200");
    const QString before = fingerprint(run.db, kTexts, others);

    // A answers questions 1 to 199 while B answers 201 to 399, both storing a row on every move: nothing is lost.
    QCOMPARE(b.ask(QStringLiteral("skip 200")), QStringLiteral("ok 第201题 共400题"));
    a.send(QStringLiteral("picks 199"));
    b.send(QStringLiteral("picks 199"));
    QCOMPARE(a.readLine(), QStringLiteral("ok 第200题 共400题"));
    QCOMPARE(b.readLine(), QStringLiteral("ok 第400题 共400题"));
    const QString inTurn = QStringLiteral("rowid BETWEEN %1 AND %2 AND \"作答\" = substr('ABCD', 1 + (rowid - %1) % 4, 1)");
    for (int first : {1, 201})
        QCOMPARE(countWhere(run.db, inTurn.arg(first).arg(first + 198)), qint64(199));
    // Both recorded every answer (the first made the table), and each sees all.
    QCOMPARE(marksWithTheirRecords(run.db), qint64(398));
    const QString aRecord = a.ask(QStringLiteral("record"));
    QVERIFY2(aRecord.startsWith(QStringLiteral("ok 398 ")), qPrintable(aRecord));
    QCOMPARE(b.ask(QStringLiteral("record")), aRecord);

    // Each marking window counts the other's answers as well.
    const QString counted = QStringLiteral("ok %1 %2").arg(countWhere(run.db, QStringLiteral("\"批阅\" = 1")))
                                .arg(countWhere(run.db, QStringLiteral("\"批阅\" = 2")));
    QCOMPARE(a.ask(QStringLiteral("marking")), counted);
    QCOMPARE(b.ask(QStringLiteral("marking")), counted);

    // A corrects question 200; B sees it only after it runs its query again.
    QCOMPARE(a.ask(QStringLiteral("edit 由甲改过的第二百题\\n(A) a (B) b")), QStringLiteral("ok"));
    QCOMPARE(a.ask(QStringLiteral("click Command3")), QStringLiteral("ok 第199题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("click Command2")), QStringLiteral("ok 第1题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("skip 199")), QStringLiteral("ok 第200题 共400题"));
    QVERIFY(!b.ask(QStringLiteral("question")).contains(QStringLiteral("由甲改过")));
    QCOMPARE(b.ask(QStringLiteral("all")), QStringLiteral("ok 第1题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("skip 199")), QStringLiteral("ok 第200题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("question")), QStringLiteral("ok 由甲改过的第二百题\\n(A) a (B) b"));

    // A sees B's pick on question 203 (C, the third of B's picks) after its re-query.
    QCOMPARE(a.ask(QStringLiteral("all")), QStringLiteral("ok 第1题 共400题"));
    QCOMPARE(a.ask(QStringLiteral("skip 202")), QStringLiteral("ok 第203题 共400题"));
    QCOMPARE(a.ask(QStringLiteral("picked")), QStringLiteral("ok C"));

    // Nothing went wrong on either side (the marking's comment was all that was said), and both end at once.
    for (DriverProcess *p : {&a, &b}) {
        const QString said = p->ask(QStringLiteral("messages"));
        QVERIFY2(said.startsWith(QStringLiteral("ok 1 ")) && !said.contains(QStringLiteral("题库")), qPrintable(said));
    }
    a.send(QStringLiteral("exit"));
    b.send(QStringLiteral("exit"));
    exitsCleanly(a);
    exitsCleanly(b);
    QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
    QCOMPARE(fingerprint(run.db, kMarks), QStringLiteral("0/0/400"));
    QCOMPARE(countWhere(run.db, QStringLiteral("\"试题\" = '由甲改过的第二百题' || char(10) || '(A) a (B) b'")), qint64(1));
    QCOMPARE(fingerprint(run.db, kTexts, others), before); // no other row changed
}

QTEST_GUILESS_MAIN(TestProcessFaults)
#include "tst_processfaults.moc"
