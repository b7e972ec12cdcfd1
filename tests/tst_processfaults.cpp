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
const QString kFingerprint = QStringLiteral(
    "SELECT count(*) || '/' || sum(length(\"试题\")) || '/' || sum(length(\"答案\")) || '/' || "
    "sum(length(\"备注\")) || '/' || sum(unicode(\"试题\")) || '/' || group_concat(substr(\"试题\", 1, 3), '') "
    "FROM zk WHERE %1");

QString fingerprint(const QString &dbPath, const QString &rows = QStringLiteral("1"))
{
    QString result;
    const QString name = QStringLiteral("qv_fingerprint");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(kFingerprint.arg(rows)) && q.next())
                result = q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
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

// Checks a condition again and again until it holds (a tight loop: the
// moment to catch lasts a fraction of a second).
bool pollUntil(const std::function<bool()> &condition, int timeoutMs)
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

// When a file was last written, in nanoseconds.
qint64 modified(const QString &path)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool copyBank(const QString &from, const QString &to)
{
    return QFile::copy(QDir(from).filePath(QStringLiteral("english.db")), QDir(to).filePath(QStringLiteral("english.db")))
           && QFile::copy(QDir(from).filePath(QStringLiteral("mulu.txt")), QDir(to).filePath(QStringLiteral("mulu.txt")));
}

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
    QVERIFY(m_big.isValid());
    QString error;
    QVERIFY2(BenchBank::generate(m_big.path(), kBigRows, &error), qPrintable(error));
    const QString db = QDir(m_big.path()).filePath(QStringLiteral("english.db"));
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("marker"));
        c.setDatabaseName(db);
        QVERIFY(c.open());
        QVERIFY(QSqlQuery(c).exec(
            QStringLiteral("UPDATE zk SET \"批阅\" = 1 + rowid % 2, \"作答\" = substr('ABCD', 1 + rowid % 4, 1)")));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("marker"));
    m_fingerprint = fingerprint(db);
    m_markedRight = countWhere(db, QStringLiteral("\"批阅\" = 1"));
    m_markedWrong = countWhere(db, QStringLiteral("\"批阅\" = 2"));
    QCOMPARE(m_markedRight + m_markedWrong, qint64(kBigRows));
}

void TestProcessFaults::aKillDuringTheExitResetLeavesAllOrNone()
{
    // A run to the end first: the reset completes, and the largest size of
    // the write-ahead log tells how far into the reset a given size is.
    qint64 fullLog = 0;
    {
        QTemporaryDir dir;
        QVERIFY(copyBank(m_big.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共100000题"));
        QElapsedTimer clock;
        clock.start();
        program.send(QStringLiteral("exit"));
        QCOMPARE(program.readLine(), QStringLiteral("ok"));
        // The window's unload has closed the bank once "reset done" is said.
        QVERIFY(pollUntil([&] {
            fullLog = qMax(fullLog, fileSize(db + QStringLiteral("-wal")));
            program.process().waitForReadyRead(0);
            return program.process().canReadLine();
        }, 120000));
        QCOMPARE(program.readLine(), QStringLiteral("reset done"));
        qInfo("full reset of %d rows: %lld ms, log %lld bytes", kBigRows, qint64(clock.elapsed()), fullLog);
        program.kill();
        QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" <> 0")), qint64(0));
        QCOMPARE(countWhere(db, QStringLiteral("\"作答\" <> 'E'")), qint64(0));
        QCOMPARE(fingerprint(db), m_fingerprint);
    }
    QVERIFY(fullLog > 0);

    // Then killed at several points: as the exit starts; when the log has
    // grown to a part of its full size (the transaction being written); and
    // when the bank file itself is first written, which happens only once the
    // transaction is committed (the log is being copied into the bank).
    struct KillPoint
    {
        double part;
        bool whenTheBankIsWritten;
    };
    int killedHalfWay = 0;
    int outcomeNone = 0;
    int outcomeAll = 0;
    for (const KillPoint point : {KillPoint{0.0, false}, KillPoint{0.05, false}, KillPoint{0.5, false},
                                  KillPoint{0.95, false}, KillPoint{1.0, true}}) {
        const double part = point.part;
        QTemporaryDir dir;
        QVERIFY(copyBank(m_big.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        const QString log = db + QStringLiteral("-wal");
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共100000题"));
        const qint64 bankWritten = modified(db);
        program.send(QStringLiteral("exit"));
        QCOMPARE(program.readLine(), QStringLiteral("ok"));
        const qint64 threshold = qint64(part * double(fullLog));
        const bool reached = part == 0.0 || pollUntil([&] {
            const bool due = point.whenTheBankIsWritten ? modified(db) != bankWritten : fileSize(log) > threshold;
            return due || program.process().waitForFinished(0);
        }, 120000);
        const qint64 logAtKill = fileSize(log);
        ::kill(pid_t(program.pid()), SIGKILL);
        QVERIFY(program.waitForEnd());
        const bool finished = program.process().readAllStandardOutput().contains("reset done");
        QVERIFY(reached);

        // The bank is whole, its texts untouched, and the marks all reset or
        // all as they were.
        QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        QCOMPARE(fingerprint(db), m_fingerprint);
        const qint64 marked = countWhere(db, QStringLiteral("\"批阅\" <> 0"));
        if (marked == 0) {
            ++outcomeAll;
            QCOMPARE(countWhere(db, QStringLiteral("\"作答\" <> 'E'")), qint64(0));
        } else {
            ++outcomeNone;
            QVERIFY2(!finished, "the reset reported done, yet marks are left");
            QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" = 1")), m_markedRight);
            QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" = 2")), m_markedWrong);
            QCOMPARE(countWhere(db, QStringLiteral("\"作答\" = 'E'")), qint64(0));
        }
        if (point.whenTheBankIsWritten) {
            QVERIFY2(marked == 0, "a committed reset was lost");
            qInfo("killed as the log was copied into the bank (reset %s): %s", finished ? "done" : "not done",
                  marked == 0 ? "all reset" : "none reset");
            continue;
        }
        if (!finished && logAtKill > 0)
            ++killedHalfWay;
        qInfo("killed at %.0f%% of the log (%lld bytes, reset %s): %s", part * 100, logAtKill,
              finished ? "done" : "not done", marked == 0 ? "all reset" : "none reset");
        if (part == 0.5) {
            // The next run of the program resets what the killed one could not.
            DriverProcess next(dir.path());
            QVERIFY(next.start());
            QCOMPARE(next.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共100000题"));
            QCOMPARE(next.ask(QStringLiteral("exit")), QStringLiteral("ok"));
            QCOMPARE(next.readLine(), QStringLiteral("reset done"));
            QCOMPARE(next.readLine(), QStringLiteral("ended"));
            QVERIFY(next.waitForEnd());
            QCOMPARE(next.process().exitCode(), 0);
            QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" <> 0")), qint64(0));
            QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        }
    }
    qInfo("kills: %d in the middle of writing the reset; outcomes: %d none reset, %d all reset", killedHalfWay,
          outcomeNone, outcomeAll);
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
    QTemporaryDir source;
    QString error;
    QVERIFY2(BenchBank::generate(source.path(), 40, &error), qPrintable(error));
    const QString sourceDb = QDir(source.path()).filePath(QStringLiteral("english.db"));
    QVERIFY(execSql(sourceDb, QStringLiteral("INSERT INTO jx VALUES (1, '旧的解析')")));
    const QString texts = fingerprint(sourceDb);

    // A run to the end first, for the size of the log the store writes.
    qint64 fullLog = 0;
    {
        QTemporaryDir dir;
        QVERIFY(copyBank(source.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共40题"));
        program.send(command);
        QVERIFY(pollUntil([&] {
            fullLog = qMax(fullLog, fileSize(db + QStringLiteral("-wal")));
            program.process().waitForReadyRead(0);
            return program.process().canReadLine();
        }, 120000));
        QCOMPARE(program.readLine(), QStringLiteral("ok 第2题 共40题"));
        QCOMPARE(program.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
        program.kill();
        QCOMPARE(queryNumber(db, isNew), qint64(1));
    }
    QVERIFY(fullLog > 0);

    // Killed as the log grows through the store, and as the committed store
    // is copied into the bank file.
    int killedHalfWay = 0;
    for (const double part : {0.05, 0.5, 0.95, -1.0}) {
        const bool whenTheBankIsWritten = part < 0;
        QTemporaryDir dir;
        QVERIFY(copyBank(source.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        const QString log = db + QStringLiteral("-wal");
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共40题"));
        const qint64 bankWritten = modified(db);
        const qint64 threshold = qint64(part * double(fullLog));
        program.send(command);
        const bool reached = pollUntil([&] {
            const bool due = whenTheBankIsWritten ? modified(db) != bankWritten : fileSize(log) > threshold;
            return due || program.process().waitForFinished(0);
        }, 120000);
        const qint64 logAtKill = fileSize(log);
        ::kill(pid_t(program.pid()), SIGKILL);
        QVERIFY(program.waitForEnd());
        const bool finished = program.process().readAllStandardOutput().contains("ok 第2题");
        QVERIFY(reached);

        QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        QCOMPARE(fingerprint(db), texts);
        const qint64 old = queryNumber(db, isOld);
        const qint64 stored = queryNumber(db, isNew);
        QCOMPARE(old + stored, qint64(1)); // the one or the other, whole
        if (whenTheBankIsWritten)
            QCOMPARE(stored, qint64(1)); // copied only once committed
        if (!finished && !whenTheBankIsWritten && logAtKill > 0)
            ++killedHalfWay;
        qInfo("killed at %s (log %lld of %lld bytes, store %s): %s", whenTheBankIsWritten ? "the copy into the bank"
              : qPrintable(QStringLiteral("%1%").arg(part * 100)), logAtKill, fullLog,
              finished ? "done" : "not done", stored ? "new explanation" : "old explanation");
    }
    QVERIFY2(killedHalfWay >= 1, "no kill fell in the middle of the store");
}

void TestProcessFaults::aKillDuringAStoreKeepsTheMarkAndItsRecordTogether()
{
    constexpr int kRows = 2000;
    QTemporaryDir original;
    QString error;
    QVERIFY2(BenchBank::generate(original.path(), kRows, &error), qPrintable(error));

    // Stopped inside the store, after the row's update, after the record's
    // insert and just before the commit: neither is in the bank (the answer
    // stored before is, with its record).
    for (const QString &where : {QStringLiteral("zk"), QStringLiteral("lx"), QStringLiteral("commit")}) {
        QTemporaryDir dir;
        QVERIFY(copyBank(original.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共2000题"));
        QCOMPARE(program.ask(QStringLiteral("picks 1")), QStringLiteral("ok 第2题 共2000题"));
        QCOMPARE(program.ask(QStringLiteral("stall ") + where), QStringLiteral("ok"));
        QCOMPARE(program.ask(QStringLiteral("pick 2")), QStringLiteral("ok"));
        program.send(QStringLiteral("click Command4"));
        QCOMPARE(program.readLine(), QStringLiteral("stalled"));
        program.kill();
        QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        QCOMPARE(marksWithTheirRecords(db), qint64(1));
        QCOMPARE(countWhere(db, QStringLiteral("rowid = 2 AND \"批阅\" = 0")), qint64(1));
    }

    // Killed at a moment of its own while answering question after question
    // (as the first store, which makes the table, is written; then some
    // milliseconds after an answer is in): the answers stored so far, each
    // with its record, and nothing else.
    int killedMidway = 0;
    for (int delayMs : {-1, 0, 2, 5, 9, 14}) {
        QTemporaryDir dir;
        QVERIFY(copyBank(original.path(), dir.path()));
        const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
        const QString log = db + QStringLiteral("-wal");
        DriverProcess program(dir.path());
        QVERIFY(program.start());
        QCOMPARE(program.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共2000题"));
        const qint64 logBefore = fileSize(log);
        program.send(QStringLiteral("picks %1").arg(kRows));
        QVERIFY(pollUntil([&] {
            return delayMs < 0 ? fileSize(log) != logBefore : countWhere(db, QStringLiteral("\"批阅\" <> 0")) > 0;
        }, 60000));
        QThread::msleep(ulong(qMax(0, delayMs)));
        ::kill(pid_t(program.pid()), SIGKILL);
        QVERIFY(program.waitForEnd());
        QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
        const qint64 stored = marksWithTheirRecords(db);
        QVERIFY2(stored >= 0, "a mark without its record, or a record without its mark");
        QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" <> 0 AND rowid <= %1").arg(stored)), stored);
        if (stored > 0 && stored < kRows - 1)
            ++killedMidway;
        qInfo("killed %d ms %s: %lld stored with their records", qMax(0, delayMs),
              delayMs < 0 ? "into the first store" : "after an answer was in", stored);
    }
    QVERIFY2(killedMidway >= 3, "too few kills fell among the answers");
}

void TestProcessFaults::twoInstancesSeeEachOthersStoredRows()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(BenchBank::generate(dir.path(), 40, &error), qPrintable(error));
    const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
    const QString others = QStringLiteral("rowid <> 11");
    const QString before = fingerprint(db, others);
    DriverProcess a(dir.path());
    DriverProcess b(dir.path());
    QVERIFY(a.start() && b.start());
    QCOMPARE(a.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共40题"));
    QCOMPARE(b.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共40题"));

    // A answers questions 1 to 10 while B answers 11 to 20.
    QCOMPARE(b.ask(QStringLiteral("skip 10")), QStringLiteral("ok 第11题 共40题"));
    a.send(QStringLiteral("picks 10"));
    b.send(QStringLiteral("picks 10"));
    QCOMPARE(a.readLine(), QStringLiteral("ok 第11题 共40题"));
    QCOMPARE(b.readLine(), QStringLiteral("ok 第21题 共40题"));
    QCOMPARE(a.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
    QCOMPARE(b.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));

    // Each marking window counts the other's answers as well.
    const QString aCount = a.ask(QStringLiteral("marking"));
    const QString bCount = b.ask(QStringLiteral("marking"));
    QCOMPARE(aCount, bCount);
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
    for (DriverProcess *p : {&a, &b}) {
        QCOMPARE(p->readLine(), QStringLiteral("ok"));
        QCOMPARE(p->readLine(), QStringLiteral("reset done"));
        QCOMPARE(p->readLine(), QStringLiteral("ended"));
        QVERIFY(p->waitForEnd());
        QCOMPARE(p->process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(p->process().exitCode(), 0);
    }
    QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
    QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" <> 0 OR \"作答\" <> 'E'")), qint64(0));
    QCOMPARE(countWhere(db, QStringLiteral("\"试题\" = '由甲改过的第十一题' || char(10) || '(A) a (B) b'")), qint64(1));
    QCOMPARE(fingerprint(db, others), before); // no other row changed
}

void TestProcessFaults::twoInstancesStoringAtOnceLoseNothing()
{
    QTemporaryDir dir;
    QString error;
    QVERIFY2(BenchBank::generate(dir.path(), 400, &error), qPrintable(error));
    const QString db = QDir(dir.path()).filePath(QStringLiteral("english.db"));
    DriverProcess a(dir.path());
    DriverProcess b(dir.path());
    QVERIFY(a.start() && b.start());
    QCOMPARE(a.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("start")), QStringLiteral("ok 第1题 共400题"));
    QCOMPARE(b.ask(QStringLiteral("skip 200")), QStringLiteral("ok 第201题 共400题"));
    // Both store a row on every move, at the same time.
    a.send(QStringLiteral("picks 199"));
    b.send(QStringLiteral("picks 199"));
    QCOMPARE(a.readLine(), QStringLiteral("ok 第200题 共400题"));
    QCOMPARE(b.readLine(), QStringLiteral("ok 第400题 共400题"));
    QCOMPARE(a.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
    QCOMPARE(b.ask(QStringLiteral("messages")), QStringLiteral("ok 0"));
    QCOMPARE(countWhere(db, QStringLiteral("\"批阅\" <> 0")), qint64(398));
    QCOMPARE(countWhere(db, QStringLiteral("rowid BETWEEN 1 AND 199 AND \"作答\" = substr('ABCD', 1 + (rowid - 1) % 4, 1)")),
             qint64(199));
    QCOMPARE(countWhere(db, QStringLiteral("rowid BETWEEN 201 AND 399 AND \"作答\" = substr('ABCD', 1 + (rowid - 201) % 4, 1)")),
             qint64(199));
    QCOMPARE(integrityCheck(db), QStringLiteral("ok"));
    // Both recorded every answer (the first made the table), and each sees all.
    QCOMPARE(marksWithTheirRecords(db), qint64(398));
    const QString aRecord = a.ask(QStringLiteral("record"));
    QVERIFY2(aRecord.startsWith(QStringLiteral("ok 398 ")), qPrintable(aRecord));
    QCOMPARE(b.ask(QStringLiteral("record")), aRecord);
    a.kill();
    b.kill();
}

QTEST_GUILESS_MAIN(TestProcessFaults)
#include "tst_processfaults.moc"
