// The program as a process of its own (qvdriver): killed in the middle of the
// exit's mark reset on a bank of 100,000 rows, in the middle of storing a
// corrected explanation and in the middle of storing an answer with its
// record, and two instances on one bank.
#include "bankbuilder.h"
#include "benchbank.h"
#include "faultsupport.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/stat.h>

namespace {

constexpr int kBigRows = 100000;

// The texts of the rows: a change to any of them changes this.
QString fingerprint(const QString &dbPath, const QString &rows = QStringLiteral("1"))
{
    const QString sql = QStringLiteral(
        "SELECT count(*) || '/' || sum(length(\"试题\")) || '/' || sum(length(\"答案\")) || '/' || "
        "sum(length(\"备注\")) || '/' || sum(unicode(\"试题\")) || '/' || group_concat(substr(\"试题\", 1, 3), '') "
        "FROM zk WHERE %1").arg(rows);
    return withTestConnection(dbPath, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        return (q.exec(sql) && q.next()) ? q.value(0).toString() : QString();
    });
}

qint64 countWhere(const QString &dbPath, const QString &condition)
{
    return queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM zk WHERE ") + condition);
}

qint64 fileSize(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64(st.st_size) : 0;
}

// When a file was last written, in nanoseconds.
qint64 modified(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Checks a condition again and again until it holds (a tight loop: the
// moment to catch lasts a fraction of a second).
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
    QString log = db + QStringLiteral("-wal");
    DriverProcess program{dir.path()};
    qint64 bankWritten = 0;

    // Copies the bank of `source`, starts the program; its first position.
    QString start(const QString &source)
    {
        if (!QFile::copy(bankIn(source), db)
            || !QFile::copy(QDir(source).filePath(QStringLiteral("mulu.txt")), QDir(dir.path()).filePath(QStringLiteral("mulu.txt")))
            || !program.start())
            return QStringLiteral("<not started>");
        const QString position = program.ask(QStringLiteral("start"));
        bankWritten = modified(db);
        return position;
    }

    // The largest size of the log until the program's next line.
    qint64 largestLogUntilAnswer()
    {
        qint64 largest = 0;
        pollUntil([&] {
            largest = qMax(largest, fileSize(log));
            program.process().waitForReadyRead(0);
            return program.process().canReadLine();
        });
        return largest;
    }

    // Kills the program once the log has grown past `logBytes` (at once for
    // 0), or with a negative `logBytes` once the bank file itself is first
    // written; whether the moment came, the log's size at the kill and all
    // the program said.
    struct Killed
    {
        bool reached;
        qint64 log;
        QByteArray said;
    };
    Killed killWhen(qint64 logBytes)
    {
        const bool reached = logBytes == 0 || pollUntil([&] {
            const bool due = logBytes < 0 ? modified(db) != bankWritten : fileSize(log) > logBytes;
            return due || program.process().waitForFinished(0);
        });
        const qint64 logAtKill = fileSize(log);
        ::kill(pid_t(program.pid()), SIGKILL);
        program.waitForEnd();
        return {reached, logAtKill, program.process().readAllStandardOutput()};
    }
};

// Every mark has its record and every record its mark, with the same letter:
// the number of such pairs, or -1 when they differ. A bank without lx has none.
qint64 marksWithTheirRecords(const QString &dbPath)
{
    const qint64 marked = countWhere(dbPath, QStringLiteral("\"批阅\" <> 0"));
    if (queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'lx'")) == 0)
        return marked == 0 ? 0 : -1;
    const qint64 records = queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM lx"));
    const qint64 paired = queryNumber(dbPath, QStringLiteral("SELECT count(*) FROM lx JOIN zk USING (\"题号\") "
                                                             "WHERE lx.\"批阅\" = zk.\"批阅\" AND lx.\"作答\" = zk.\"作答\""));
    return (marked == records && records == paired) ? records : -1;
}

// Asks the exit and waits for the program to end by itself, cleanly.
void exitsCleanly(DriverProcess &program, bool send = true)
{
    if (send)
        program.send(QStringLiteral("exit"));
    QCOMPARE(program.readLine(), QStringLiteral("ok"));
    QCOMPARE(program.readLine(), QStringLiteral("reset done"));
    QCOMPARE(program.readLine(), QStringLiteral("ended"));
    QVERIFY(program.waitForEnd());
    QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.process().exitCode(), 0);
}

// Two programs started on one new bank of `rows` rows.
struct TwoInstances
{
    QTemporaryDir dir;
    QString db = bankIn(dir.path());
    DriverProcess a{dir.path()};
    DriverProcess b{dir.path()};

    bool start(int rows)
    {
        QString error;
        const QString first = QStringLiteral("ok 第1题 共%1题").arg(rows);
        return BenchBank::generate(dir.path(), rows, &error) && a.start() && b.start()
               && a.ask(QStringLiteral("start")) == first && b.ask(QStringLiteral("start")) == first;
    }
};

} // namespace

class TestProcessFaults : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void aKillDuringTheExitResetLeavesAllOrNone();
    void aKillDuringTheStoreOfAnExplanationLeavesOldOrNew();
    void aKillDuringAStoreKeepsTheMarkAndItsRecordTogether();
    void twoInstancesSeeEachOthersStoredRows();
    void twoInstancesStoringAtOnceLoseNothing();

private:
    QTemporaryDir m_big; // 100,000 rows, every one marked, made once
    QString m_fingerprint;
    qint64 m_markedRight = 0;
    qint64 m_markedWrong = 0;
};

void TestProcessFaults::initTestCase()
{
    QString error;
    QVERIFY2(BenchBank::generate(m_big.path(), kBigRows, &error), qPrintable(error));
    const QString db = bankIn(m_big.path());
    QVERIFY(execSql(db, QStringLiteral("UPDATE zk SET \"批阅\" = 1 + rowid % 2, \"作答\" = substr('ABCD', 1 + rowid % 4, 1)")));
    m_fingerprint = fingerprint(db);
    m_markedRight = countWhere(db, QStringLiteral("\"批阅\" = 1"));
    m_markedWrong = countWhere(db, QStringLiteral("\"批阅\" = 2"));
    QCOMPARE(m_markedRight + m_markedWrong, qint64(kBigRows));
}

void TestProcessFaults::aKillDuringTheExitResetLeavesAllOrNone()
{
    const QString started = QStringLiteral("ok 第1题 共100000题");
    // A run to the end first: the reset completes, and the largest size of
    // the write-ahead log tells how far into the reset a given size is.
    qint64 fullLog = 0;
    {
        RunOnCopy run;
        QCOMPARE(run.start(m_big.path()), started);
        run.program.send(QStringLiteral("exit"));
        QCOMPARE(run.program.readLine(), QStringLiteral("ok"));
        // The window's unload has closed the bank once "reset done" is said.
        fullLog = run.largestLogUntilAnswer();
        QCOMPARE(run.program.readLine(), QStringLiteral("reset done"));
        run.program.kill();
        QCOMPARE(countWhere(run.db, QStringLiteral("\"批阅\" <> 0 OR \"作答\" <> 'E'")), qint64(0));
        QCOMPARE(fingerprint(run.db), m_fingerprint);
    }
    QVERIFY(fullLog > 0);

    // Then killed at several points: as the exit starts; when the log has
    // grown to a part of its full size (the transaction being written); and
    // (-1) when the bank file itself is first written, which happens only once
    // the transaction is committed (the log is being copied into the bank).
    int killedHalfWay = 0;
    for (const double part : {0.0, 0.05, 0.5, 0.95, -1.0}) {
        RunOnCopy run;
        QCOMPARE(run.start(m_big.path()), started);
        run.program.send(QStringLiteral("exit"));
        QCOMPARE(run.program.readLine(), QStringLiteral("ok"));
        const auto killed = run.killWhen(part < 0 ? -1 : qint64(part * double(fullLog)));
        const bool finished = killed.said.contains("reset done");
        QVERIFY(killed.reached);

        // The bank is whole, its texts untouched, and the marks all reset or
        // all as they were.
        QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        QCOMPARE(fingerprint(run.db), m_fingerprint);
        const qint64 marked = countWhere(run.db, QStringLiteral("\"批阅\" <> 0"));
        if (marked == 0) {
            QCOMPARE(countWhere(run.db, QStringLiteral("\"作答\" <> 'E'")), qint64(0));
        } else {
            QVERIFY2(!finished, "the reset reported done, yet marks are left");
            QCOMPARE(countWhere(run.db, QStringLiteral("\"批阅\" = 1")), m_markedRight);
            QCOMPARE(countWhere(run.db, QStringLiteral("\"批阅\" = 2")), m_markedWrong);
            QCOMPARE(countWhere(run.db, QStringLiteral("\"作答\" = 'E'")), qint64(0));
        }
        qInfo("killed at %s (log %lld bytes, reset %s): %s",
              part < 0 ? "the copy into the bank" : qPrintable(QStringLiteral("%1%").arg(part * 100)), killed.log,
              finished ? "done" : "not done", marked == 0 ? "all reset" : "none reset");
        if (part < 0) {
            QVERIFY2(marked == 0, "a committed reset was lost");
            continue;
        }
        if (!finished && killed.log > 0)
            ++killedHalfWay;
        if (part == 0.5) {
            // The next run of the program resets what the killed one could not.
            DriverProcess next(run.dir.path());
            QVERIFY(next.start());
            QCOMPARE(next.ask(QStringLiteral("start")), started);
            exitsCleanly(next);
            QCOMPARE(countWhere(run.db, QStringLiteral("\"批阅\" <> 0")), qint64(0));
            QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        }
    }
    QVERIFY2(killedHalfWay >= 2, "no kill fell in the middle of the reset");
}

void TestProcessFaults::aKillDuringTheStoreOfAnExplanationLeavesOldOrNew()
{
    // Question 1's explanation corrected from a short one to one of about
    // 6 MB, stored by "下一题": long enough to kill the program while the
    // store is being written.
    const int times = 150000;
    const QString line = QStringLiteral("先找时间状语，再定时态。");
    const QString command = QStringLiteral("explain %1 %2\\n").arg(times).arg(line);
    const QString isOld = QStringLiteral("SELECT count(*) FROM jx WHERE \"题号\" = 1 AND \"解析\" = '旧的解析'");
    const QString isNew = QStringLiteral("SELECT count(*) FROM jx WHERE \"题号\" = 1 AND \"解析\" = "
                                         "replace(hex(zeroblob(%1)), '00', '%2' || char(10))").arg(times).arg(line);
    const QString started = QStringLiteral("ok 第1题 共40题");
    QTemporaryDir source;
    QString error;
    QVERIFY2(BenchBank::generate(source.path(), 40, &error), qPrintable(error));
    QVERIFY(execSql(bankIn(source.path()), QStringLiteral("INSERT INTO jx VALUES (1, '旧的解析')")));
    const QString texts = fingerprint(bankIn(source.path()));

    // A run to the end first, for the size of the log the store writes.
    qint64 fullLog = 0;
    {
        RunOnCopy run;
        QCOMPARE(run.start(source.path()), started);
        run.program.send(command);
        fullLog = run.largestLogUntilAnswer();
        QCOMPARE(run.program.readLine(), QStringLiteral("ok 第2题 共40题"));
        QCOMPARE(run.program.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
        run.program.kill();
        QCOMPARE(queryNumber(run.db, isNew), qint64(1));
    }
    QVERIFY(fullLog > 0);

    // Killed as the log grows through the store, and (-1) as the committed
    // store is copied into the bank file.
    int killedHalfWay = 0;
    for (const double part : {0.05, 0.5, 0.95, -1.0}) {
        RunOnCopy run;
        QCOMPARE(run.start(source.path()), started);
        run.program.send(command);
        const auto killed = run.killWhen(part < 0 ? -1 : qint64(part * double(fullLog)));
        const bool finished = killed.said.contains("ok 第2题");
        QVERIFY(killed.reached);

        QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        QCOMPARE(fingerprint(run.db), texts);
        const qint64 stored = queryNumber(run.db, isNew);
        QCOMPARE(queryNumber(run.db, isOld) + stored, qint64(1)); // the one or the other, whole
        if (part < 0)
            QCOMPARE(stored, qint64(1)); // copied only once committed
        else if (!finished && killed.log > 0)
            ++killedHalfWay;
        qInfo("killed at %s (log %lld of %lld bytes, store %s): %s",
              part < 0 ? "the copy into the bank" : qPrintable(QStringLiteral("%1%").arg(part * 100)), killed.log,
              fullLog, finished ? "done" : "not done", stored ? "new explanation" : "old explanation");
    }
    QVERIFY2(killedHalfWay >= 1, "no kill fell in the middle of the store");
}

void TestProcessFaults::aKillDuringAStoreKeepsTheMarkAndItsRecordTogether()
{
    constexpr int kRows = 2000;
    const QString started = QStringLiteral("ok 第1题 共2000题");
    QTemporaryDir original;
    QString error;
    QVERIFY2(BenchBank::generate(original.path(), kRows, &error), qPrintable(error));

    // Stopped inside the store, after the row's update, after the record's
    // insert and just before the commit: neither is in the bank (the answer
    // stored before is, with its record).
    for (const QString &where : {QStringLiteral("zk"), QStringLiteral("lx"), QStringLiteral("commit")}) {
        RunOnCopy run;
        QCOMPARE(run.start(original.path()), started);
        QCOMPARE(run.program.ask(QStringLiteral("picks 1")), QStringLiteral("ok 第2题 共2000题"));
        QCOMPARE(run.program.ask(QStringLiteral("stall ") + where), QStringLiteral("ok"));
        QCOMPARE(run.program.ask(QStringLiteral("pick 2")), QStringLiteral("ok"));
        QCOMPARE(run.program.ask(QStringLiteral("click Command4")), QStringLiteral("stalled"));
        run.program.kill();
        QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        QCOMPARE(marksWithTheirRecords(run.db), qint64(1));
        QCOMPARE(countWhere(run.db, QStringLiteral("rowid = 2 AND \"批阅\" = 0")), qint64(1));
    }

    // Killed at a moment of its own while answering question after question
    // (as the first store, which makes the table, is written; then some
    // milliseconds after an answer is in): the answers stored so far, each
    // with its record, and nothing else.
    int killedMidway = 0;
    for (int delayMs : {-1, 0, 2, 5, 9, 14}) {
        RunOnCopy run;
        QCOMPARE(run.start(original.path()), started);
        const qint64 logBefore = fileSize(run.log);
        run.program.send(QStringLiteral("picks %1").arg(kRows));
        QVERIFY(pollUntil([&] {
            return delayMs < 0 ? fileSize(run.log) != logBefore : countWhere(run.db, QStringLiteral("\"批阅\" <> 0")) > 0;
        }, 60000));
        QThread::msleep(ulong(qMax(0, delayMs)));
        run.killWhen(0);
        QCOMPARE(integrityCheck(run.db), QStringLiteral("ok"));
        const qint64 stored = marksWithTheirRecords(run.db);
        QVERIFY2(stored >= 0, "a mark without its record, or a record without its mark");
        QCOMPARE(countWhere(run.db, QStringLiteral("\"批阅\" <> 0 AND rowid <= %1").arg(stored)), stored);
        if (stored > 0 && stored < kRows - 1)
            ++killedMidway;
        qInfo("killed %d ms %s: %lld stored with their records", qMax(0, delayMs),
              delayMs < 0 ? "into the first store" : "after an answer was in", stored);
    }
    QVERIFY2(killedMidway >= 3, "too few kills fell among the answers");
}

void TestProcessFaults::twoInstancesSeeEachOthersStoredRows()
{
    TwoInstances two;
    QVERIFY(two.start(40));
    DriverProcess &a = two.a;
    DriverProcess &b = two.b;
    const QString others = QStringLiteral("rowid <> 11");
    const QString before = fingerprint(two.db, others);

    // A answers questions 1 to 10 while B answers 11 to 20.
    QCOMPARE(b.ask(QStringLiteral("skip 10")), QStringLiteral("ok 第11题 共40题"));
    a.send(QStringLiteral("picks 10"));
    b.send(QStringLiteral("picks 10"));
    QCOMPARE(a.readLine(), QStringLiteral("ok 第11题 共40题"));
    QCOMPARE(b.readLine(), QStringLiteral("ok 第21题 共40题"));

    // Each marking window counts the other's answers as well.
    const QString aCount = a.ask(QStringLiteral("marking"));
    QCOMPARE(b.ask(QStringLiteral("marking")), aCount);
    const QStringList counts = aCount.split(QLatin1Char(' '));
    QCOMPARE(counts.size(), 3);
    QCOMPARE(counts.at(1).toInt() + counts.at(2).toInt(), 20);

    // A corrects question 11; B sees it only after it runs its query again.
    QCOMPARE(a.ask(QStringLiteral("edit 由甲改过的第十一题\\n(A) a (B) b")), QStringLiteral("ok"));
    QCOMPARE(a.ask(QStringLiteral("click Command3")), QStringLiteral("ok 第10题 共40题"));
    QCOMPARE(b.ask(QStringLiteral("click Command2")), QStringLiteral("ok 第1题 共40题"));
    QCOMPARE(b.ask(QStringLiteral("skip 10")), QStringLiteral("ok 第11题 共40题"));
    QVERIFY(!b.ask(QStringLiteral("question")).contains(QStringLiteral("由甲改过")));
    QCOMPARE(b.ask(QStringLiteral("all")), QStringLiteral("ok 第1题 共40题"));
    QCOMPARE(b.ask(QStringLiteral("skip 10")), QStringLiteral("ok 第11题 共40题"));
    QCOMPARE(b.ask(QStringLiteral("question")), QStringLiteral("ok 由甲改过的第十一题\\n(A) a (B) b"));

    // A sees B's pick on question 13 (C, the third of B's picks) after its re-query.
    QCOMPARE(a.ask(QStringLiteral("all")), QStringLiteral("ok 第1题 共40题"));
    QCOMPARE(a.ask(QStringLiteral("skip 12")), QStringLiteral("ok 第13题 共40题"));
    QCOMPARE(a.ask(QStringLiteral("picked")), QStringLiteral("ok C"));

    // Nothing went wrong on either side (the marking's comment was all that
    // was said), and both end at once.
    for (DriverProcess *p : {&a, &b}) {
        const QString said = p->ask(QStringLiteral("messages"));
        QVERIFY2(said.startsWith(QStringLiteral("ok 1 ")) && !said.contains(QStringLiteral("题库")), qPrintable(said));
    }
    a.send(QStringLiteral("exit"));
    b.send(QStringLiteral("exit"));
    exitsCleanly(a, false);
    exitsCleanly(b, false);
    QCOMPARE(integrityCheck(two.db), QStringLiteral("ok"));
    QCOMPARE(countWhere(two.db, QStringLiteral("\"批阅\" <> 0 OR \"作答\" <> 'E'")), qint64(0));
    QCOMPARE(countWhere(two.db, QStringLiteral("\"试题\" = '由甲改过的第十一题' || char(10) || '(A) a (B) b'")), qint64(1));
    QCOMPARE(fingerprint(two.db, others), before); // no other row changed
}

void TestProcessFaults::twoInstancesStoringAtOnceLoseNothing()
{
    TwoInstances two;
    QVERIFY(two.start(400));
    QCOMPARE(two.b.ask(QStringLiteral("skip 200")), QStringLiteral("ok 第201题 共400题"));
    // Both store a row on every move, at the same time.
    two.a.send(QStringLiteral("picks 199"));
    two.b.send(QStringLiteral("picks 199"));
    QCOMPARE(two.a.readLine(), QStringLiteral("ok 第200题 共400题"));
    QCOMPARE(two.b.readLine(), QStringLiteral("ok 第400题 共400题"));
    QCOMPARE(two.a.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
    QCOMPARE(two.b.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
    for (int first : {1, 201})
        QCOMPARE(countWhere(two.db, QStringLiteral("rowid BETWEEN %1 AND %2 AND \"作答\" = substr('ABCD', 1 + (rowid - %1) % 4, 1)")
                                        .arg(first).arg(first + 198)),
                 qint64(199));
    QCOMPARE(integrityCheck(two.db), QStringLiteral("ok"));
    // Both recorded every answer (the first made the table), and each sees all.
    QCOMPARE(marksWithTheirRecords(two.db), qint64(398));
    const QString aRecord = two.a.ask(QStringLiteral("record"));
    QVERIFY2(aRecord.startsWith(QStringLiteral("ok 398 ")), qPrintable(aRecord));
    QCOMPARE(two.b.ask(QStringLiteral("record")), aRecord);
}

QTEST_GUILESS_MAIN(TestProcessFaults)
#include "tst_processfaults.moc"
