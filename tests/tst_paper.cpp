#include "banksources.h"
#include "faultsupport.h"
#include "paper.h"
#include "paperpath.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray kQuestionHeading = QByteArray::fromHex("CAD4CCE2B2BFB7D6A3BA");
const QByteArray kAnswerHeading = QByteArray::fromHex("B4F0B0B8B2BFB7D6A3BA");

} // namespace

class TestPaper : public QObject
{
    Q_OBJECT
private slots:
    void fileBytesAreCodePage936WithCrLf()
    {
        // Boxes get LF only; the file gets CR LF for every kind of line end,
        // never CR CR LF.
        QCOMPARE(Paper::toBoxText(QStringLiteral("\r\n1.a\r\nb\rc\nd")), QStringLiteral("\n1.a\nb\nc\nd"));
        QCOMPARE(Paper::withCrLf(QStringLiteral("\n1.a\nb\r\nc\rd")), QStringLiteral("\r\n1.a\r\nb\r\nc\r\nd"));
        // Entries number in plain decimals, whatever the size; empty texts stay empty.
        QCOMPARE(Paper::questionEntry(200, QString()), QStringLiteral("\r\n200."));
        QCOMPARE(Paper::answerEntry(12345678, QString()), QStringLiteral("12345678.;  "));
        QCOMPARE(Paper::fileBytes(QStringLiteral("\n1.Q\nA. x"), QStringLiteral("1.A;  ")),
                 kQuestionHeading + "\r\n\r\n1.Q\r\nA. x\r\n" + kAnswerHeading + "\r\n1.A;  \r\n");
        // An empty paper is the two headings only.
        QCOMPARE(Paper::fileBytes(QString(), QString()), kQuestionHeading + "\r\n\r\n" + kAnswerHeading + "\r\n\r\n");

        // 中 D6D0, 文 CEC4, 试 CAD4, 题 CCE2, ， A3AC, “ A1B0, 引 D2FD, 号 BAC5, ” A1B1
        QCOMPARE(Paper::fileBytes(QStringLiteral("\r\n1.中文试题，“引号”"), QStringLiteral("1.A;  ")),
                 kQuestionHeading + "\r\n\r\n1." + QByteArray::fromHex("D6D0CEC4CAD4CCE2A3ACA1B0D2FDBAC5A1B1") + "\r\n"
                     + kAnswerHeading + "\r\n1.A;  \r\n");
    }

    void pathTable_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        const int onWindows = int(PaperPath::Platform::Windows);
        const int onUnix = int(PaperPath::Platform::Unix);
        for (const QChar letter : QStringLiteral("ABCDEFGHabcdefgh")) {
            const QString root = QString(letter) + QStringLiteral(":\\");
            QTest::addRow("root %s", qPrintable(root)) << onWindows << root << QStringLiteral("abc") << root + QStringLiteral("abc.txt");
        }
        QTest::newRow("root J gets a second backslash") << onWindows << QStringLiteral("J:\\") << QStringLiteral("abc")
                                                        << QStringLiteral("J:\\\\abc.txt");
        QTest::newRow("folder") << onWindows << QStringLiteral("C:\\papers") << QStringLiteral("abc")
                                << QStringLiteral("C:\\papers\\abc.txt");
        QTest::newRow("folder with a trailing backslash") << onWindows << QStringLiteral("C:\\papers\\") << QStringLiteral("abc")
                                                          << QStringLiteral("C:\\papers\\\\abc.txt");
        QTest::newRow("drive without backslash") << onWindows << QStringLiteral("C:") << QStringLiteral("abc")
                                                 << QStringLiteral("C:\\abc.txt");
        QTest::newRow("extension always added") << onWindows << QStringLiteral("C:\\") << QStringLiteral("abc.txt")
                                                << QStringLiteral("C:\\abc.txt.txt");
        QTest::newRow("name as typed") << onWindows << QStringLiteral("C:\\x") << QStringLiteral(" 试卷 一 ")
                                       << QStringLiteral("C:\\x\\ 试卷 一 .txt");
        QTest::newRow("Unix folder") << onUnix << QStringLiteral("/home/pupil") << QStringLiteral("abc")
                                     << QStringLiteral("/home/pupil/abc.txt");
        QTest::newRow("Unix trailing slash") << onUnix << QStringLiteral("/tmp/") << QStringLiteral("abc")
                                             << QStringLiteral("/tmp/abc.txt");
        QTest::newRow("Unix: a drive text is just a name") << onUnix << QStringLiteral("C:\\") << QStringLiteral("abc")
                                                           << QStringLiteral("C:\\/abc.txt");
        QTest::newRow("Unix: backslash in the name stays") << onUnix << QStringLiteral("/srv") << QStringLiteral("dir\\name")
                                                           << QStringLiteral("/srv/dir\\name.txt");
    }

    void pathTable()
    {
        QFETCH(int, platform);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, path);
        QCOMPARE(PaperPath::fullPath(folder, name, PaperPath::Platform(platform)), path);
    }

    void namesTheFileSystemRefuses_data()
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
        QTest::newRow("NUL") << onUnix << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QStringLiteral("空字符");
        QTest::newRow("255 bytes") << onUnix << longest << QString();
        QTest::newRow("256 bytes") << onUnix << longest + QLatin1Char('a') << QStringLiteral("太长");
        // 84 characters of three bytes each: 252 + 4 bytes.
        QTest::newRow("256 bytes of Chinese") << onUnix << QString(84, QChar(u'题')) << QStringLiteral("太长");
        QTest::newRow("Windows: colon") << onWindows << QStringLiteral("a:b") << QStringLiteral("下列字符");
        QTest::newRow("Windows: 255 characters") << onWindows << QString(251, QChar(u'题')) << QString();
        QTest::newRow("Windows: 256 characters") << onWindows << QString(252, QChar(u'题')) << QStringLiteral("太长");
    }

    void namesTheFileSystemRefuses()
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

    void writeReplacesAnExistingFileWhole()
    {
        // The longest name the file system takes is saved, although the file is
        // written under a longer temporary name first; nothing is left over.
        QTemporaryDir dir;
        const QString file = dir.filePath(QString(251, QLatin1Char('a')) + QStringLiteral(".txt"));
        QVERIFY(writeBytes(file, QByteArray(5000, 'x')));
        QString reason;
        QVERIFY2(Paper::writeFile(file, "new paper", &reason), qPrintable(reason));
        QCOMPARE(readBytes(file), QByteArray("new paper"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void aFailedWriteLeavesTheOldFileIntact()
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
        QCOMPARE(readBytes(file), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("abc.txt")});
    }

    void aFolderThatIsAFileIsReported()
    {
        QTemporaryDir dir;
        const QString notAFolder = dir.filePath(QStringLiteral("plain"));
        QVERIFY(writeBytes(notAFolder, "x"));
        QString reason;
        QVERIFY(!Paper::writeFile(notAFolder + QStringLiteral("/abc.txt"), "data", &reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(readBytes(notAFolder), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(TestPaper)
#include "tst_paper.moc"
