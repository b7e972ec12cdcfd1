#include "codepage.h"
#include "paper.h"
#include "paperpath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray bytesOf(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool writeBytes(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Lowers the largest file this process may write, so that a write fails
// half-way whatever the privileges of the user running the tests.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a failing write, not a killed process
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
};

const QByteArray kQuestionHeading = QByteArray::fromHex("CAD4CCE2B2BFB7D6A3BA");
const QByteArray kAnswerHeading = QByteArray::fromHex("B4F0B0B8B2BFB7D6A3BA");

} // namespace

class TestPaper : public QObject
{
    Q_OBJECT
private slots:
    void appendingNumbersQuestionsAndAnswers();
    void boxTextAndFileLineEnds();
    void emptyPaperIsTheTwoHeadingsOnly();
    void chineseIsWrittenInCodePage936();
    void aCharacterOutsideGbkSurvives();
    void windowsPathTable_data();
    void windowsPathTable();
    void unixPathTable_data();
    void unixPathTable();
    void namesTheFileSystemRefuses_data();
    void namesTheFileSystemRefuses();
    void aLongNameThatFitsIsWritten();
    void writeReplacesAnExistingFileWhole();
    void aFailedWriteLeavesTheOldFileIntact();
    void aFolderThatIsAFileIsReported();
};

void TestPaper::appendingNumbersQuestionsAndAnswers()
{
    PaperBuffers paper;
    paper.append(1, QStringLiteral("Q one"), QStringLiteral("A"));
    paper.append(2, QStringLiteral("Q two\r\nA. x"), QStringLiteral("C"));
    paper.append(3, QStringLiteral("Q three"), QStringLiteral("B"));
    QCOMPARE(paper.questions, QStringLiteral("\r\n1.Q one\r\n2.Q two\r\nA. x\r\n3.Q three"));
    QCOMPARE(paper.answers, QStringLiteral("1.A;  2.C;  3.B;  "));

    // Numbers are plain decimals, whatever their size; empty texts stay empty.
    QCOMPARE(Paper::questionEntry(200, QString()), QStringLiteral("\r\n200."));
    QCOMPARE(Paper::answerEntry(12345678, QString()), QStringLiteral("12345678.;  "));
}

void TestPaper::boxTextAndFileLineEnds()
{
    // Boxes get LF only; the file gets CR LF for every kind of line end,
    // never CR CR LF.
    QCOMPARE(Paper::toBoxText(QStringLiteral("\r\n1.a\r\nb\rc\nd")), QStringLiteral("\n1.a\nb\nc\nd"));
    QCOMPARE(Paper::withCrLf(QStringLiteral("\n1.a\nb\r\nc\rd")), QStringLiteral("\r\n1.a\r\nb\r\nc\r\nd"));

    const QByteArray bytes = Paper::fileBytes(QStringLiteral("\n1.Q\nA. x"), QStringLiteral("1.A;  "));
    QCOMPARE(bytes, kQuestionHeading + "\r\n\r\n1.Q\r\nA. x\r\n" + kAnswerHeading + "\r\n1.A;  \r\n");
    QVERIFY(!bytes.contains("\r\r"));
}

void TestPaper::emptyPaperIsTheTwoHeadingsOnly()
{
    const QByteArray bytes = Paper::fileBytes(QString(), QString());
    QCOMPARE(bytes.size(), 28);
    QCOMPARE(bytes, QByteArray::fromHex("CAD4CCE2B2BFB7D6A3BA0D0A0D0AB4F0B0B8B2BFB7D6A3BA0D0A0D0A"));
}

void TestPaper::chineseIsWrittenInCodePage936()
{
    const QByteArray bytes = Paper::fileBytes(QStringLiteral("\r\n1.中文试题，“引号”"), QStringLiteral("1.A;  "));
    // 中 D6D0, 文 CEC4, 试 CAD4, 题 CCE2, ， A3AC, “ A1B0, 引 D2FD, 号 BAC5, ” A1B1
    QCOMPARE(bytes, kQuestionHeading + "\r\n\r\n1." + QByteArray::fromHex("D6D0CEC4CAD4CCE2A3ACA1B0D2FDBAC5A1B1")
                        + "\r\n" + kAnswerHeading + "\r\n1.A;  \r\n");
}

void TestPaper::aCharacterOutsideGbkSurvives()
{
    // U+20000 (CJK extension B) and an emoji have no GBK form.
    const QString rare = QStringLiteral("\r\n1.𠀀 and 😀");
    const QByteArray bytes = Paper::fileBytes(rare, QString());
    QVERIFY(!bytes.contains('?'));
    const QString back = CodePage::decode(bytes);
    QCOMPARE(back, QStringLiteral("试题部分：\r\n") + rare + QStringLiteral("\r\n答案部分：\r\n\r\n"));
}

void TestPaper::windowsPathTable_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    const QString letters = QStringLiteral("ABCDEFGHabcdefgh");
    for (const QChar letter : letters) {
        const QString root = QString(letter) + QStringLiteral(":\\");
        QTest::addRow("root %s", qPrintable(root)) << root << QStringLiteral("abc") << root + QStringLiteral("abc.txt");
    }
    QTest::newRow("root J gets a second backslash") << QStringLiteral("J:\\") << QStringLiteral("abc")
                                                    << QStringLiteral("J:\\\\abc.txt");
    QTest::newRow("root i too") << QStringLiteral("i:\\") << QStringLiteral("abc") << QStringLiteral("i:\\\\abc.txt");
    QTest::newRow("folder") << QStringLiteral("C:\\papers") << QStringLiteral("abc")
                            << QStringLiteral("C:\\papers\\abc.txt");
    QTest::newRow("folder with a trailing backslash") << QStringLiteral("C:\\papers\\") << QStringLiteral("abc")
                                                      << QStringLiteral("C:\\papers\\\\abc.txt");
    QTest::newRow("drive without backslash") << QStringLiteral("C:") << QStringLiteral("abc")
                                             << QStringLiteral("C:\\abc.txt");
    QTest::newRow("extension always added") << QStringLiteral("C:\\") << QStringLiteral("abc.txt")
                                            << QStringLiteral("C:\\abc.txt.txt");
    QTest::newRow("blanks kept") << QStringLiteral("d:\\") << QStringLiteral("  ") << QStringLiteral("d:\\  .txt");
    QTest::newRow("name as typed") << QStringLiteral("C:\\x") << QStringLiteral(" 试卷 一 ")
                                   << QStringLiteral("C:\\x\\ 试卷 一 .txt");
}

void TestPaper::windowsPathTable()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(PaperPath::fullPath(folder, name, PaperPath::Platform::Windows), path);
}

void TestPaper::unixPathTable_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << QStringLiteral("/home/pupil") << QStringLiteral("abc")
                            << QStringLiteral("/home/pupil/abc.txt");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("abc") << QStringLiteral("/abc.txt");
    QTest::newRow("trailing slash") << QStringLiteral("/tmp/") << QStringLiteral("abc")
                                    << QStringLiteral("/tmp/abc.txt");
    QTest::newRow("a drive text is just a name") << QStringLiteral("C:\\") << QStringLiteral("abc")
                                                 << QStringLiteral("C:\\/abc.txt");
    QTest::newRow("backslash in the name stays") << QStringLiteral("/srv") << QStringLiteral("dir\\name")
                                                 << QStringLiteral("/srv/dir\\name.txt");
    QTest::newRow("extension always added") << QStringLiteral("/srv") << QStringLiteral("abc.txt")
                                            << QStringLiteral("/srv/abc.txt.txt");
    QTest::newRow("blanks kept") << QStringLiteral("/srv") << QStringLiteral("   ") << QStringLiteral("/srv/   .txt");
}

void TestPaper::unixPathTable()
{
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(PaperPath::fullPath(folder, name, PaperPath::Platform::Unix), path);
}

void TestPaper::namesTheFileSystemRefuses_data()
{
    QTest::addColumn<int>("platform");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason"); // part of the reason, empty when taken
    const int onUnix = int(PaperPath::Platform::Unix);
    const int onWindows = int(PaperPath::Platform::Windows);
    const QString longest(251, QLatin1Char('a')); // 255 bytes with ".txt"
    QTest::newRow("plain") << onUnix << QStringLiteral("第一卷") << QString();
    QTest::newRow("backslash is a letter on Unix") << onUnix << QStringLiteral("a\\b") << QString();
    QTest::newRow("slash") << onUnix << QStringLiteral("papers/abc") << QStringLiteral("“/”");
    QTest::newRow("dot dot slash") << onUnix << QStringLiteral("../abc") << QStringLiteral("“/”");
    QTest::newRow("NUL") << onUnix << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QStringLiteral("空字符");
    QTest::newRow("255 bytes") << onUnix << longest << QString();
    QTest::newRow("256 bytes") << onUnix << longest + QLatin1Char('a') << QStringLiteral("太长");
    // 84 characters of three bytes each: 252 + 4 bytes.
    QTest::newRow("256 bytes of Chinese") << onUnix << QString(84, QChar(u'题')) << QStringLiteral("太长");
    QTest::newRow("Windows: colon") << onWindows << QStringLiteral("a:b") << QStringLiteral("下列字符");
    QTest::newRow("Windows: backslash") << onWindows << QStringLiteral("a\\b") << QStringLiteral("下列字符");
    QTest::newRow("Windows: 255 characters") << onWindows << QString(251, QChar(u'题')) << QString();
    QTest::newRow("Windows: 256 characters") << onWindows << QString(252, QChar(u'题')) << QStringLiteral("太长");
}

void TestPaper::namesTheFileSystemRefuses()
{
    QFETCH(int, platform);
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString refused = PaperPath::refusedName(name, PaperPath::Platform(platform));
    if (reason.isEmpty())
        QVERIFY2(refused.isEmpty(), qPrintable(refused));
    else
        QVERIFY2(refused.contains(reason), qPrintable(refused));
}

void TestPaper::aLongNameThatFitsIsWritten()
{
    // The longest name the file system takes is saved, although the file is
    // written under a longer temporary name first.
    QTemporaryDir dir;
    const QString file = dir.filePath(QString(251, QLatin1Char('a')) + QStringLiteral(".txt"));
    QVERIFY(writeBytes(file, "old"));
    QString reason;
    QVERIFY2(Paper::writeFile(file, "new paper", &reason), qPrintable(reason));
    QCOMPARE(bytesOf(file), QByteArray("new paper"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

void TestPaper::writeReplacesAnExistingFileWhole()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("abc.txt"));
    QVERIFY(writeBytes(file, QByteArray(5000, 'x')));
    QString reason;
    const QByteArray paper = Paper::fileBytes(QString(), QString());
    QVERIFY(Paper::writeFile(file, paper, &reason));
    QCOMPARE(bytesOf(file), paper);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("abc.txt")}); // no leftovers
}

void TestPaper::aFailedWriteLeavesTheOldFileIntact()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("abc.txt"));
    const QByteArray old("the old paper\r\n");
    QVERIFY(writeBytes(file, old));
    const QByteArray paper = Paper::fileBytes(QString(300, QChar(u'中')), QString());
    QString reason;
    bool written = true;
    {
        FileSizeLimit limit(100);
        QVERIFY(limit.active());
        written = Paper::writeFile(file, paper, &reason);
    }
    QVERIFY(!written);
    QVERIFY(!reason.isEmpty() && reason != QLatin1String("Unknown error")); // the system's own reason
    QCOMPARE(bytesOf(file), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("abc.txt")});
}

void TestPaper::aFolderThatIsAFileIsReported()
{
    QTemporaryDir dir;
    const QString notAFolder = dir.filePath(QStringLiteral("plain"));
    QVERIFY(writeBytes(notAFolder, "x"));
    QString reason;
    QVERIFY(!Paper::writeFile(notAFolder + QStringLiteral("/abc.txt"), "data", &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(bytesOf(notAFolder), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestPaper)
#include "tst_paper.moc"
