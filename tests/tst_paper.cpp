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
        // Boxes get LF only; the file CR LF for every kind of line end, never CR CR LF.
        QCOMPARE(Paper::toBoxText(QStringLiteral("\r\n1.a\r\nb\rc\nd")), QStringLiteral("\n1.a\nb\nc\nd"));
        QCOMPARE(Paper::withCrLf(QStringLiteral("\n1.a\nb\r\nc\rd")), QStringLiteral("\r\n1.a\r\nb\r\nc\r\nd"));
        // Entries number in plain decimals, whatever the size; empty texts stay empty.
        QCOMPARE(Paper::questionEntry(200, QString()), QStringLiteral("\r\n200."));
        QCOMPARE(Paper::answerEntry(12345678, QString()), QStringLiteral("12345678.;  "));
        // An empty paper is the two headings only.
        QCOMPARE(Paper::fileBytes(QString(), QString()), kQuestionHeading + "\r\n\r\n" + kAnswerHeading + "\r\n\r\n");

        // 中 D6D0, 文 CEC4, 试 CAD4, 题 CCE2, ， A3AC, “ A1B0, 引 D2FD, 号 BAC5, ” A1B1
        QCOMPARE(Paper::fileBytes(QStringLiteral("\n1.中文试题，“引号”\nA. x"), QStringLiteral("1.A;  ")),
                 kQuestionHeading + "\r\n\r\n1." + QByteArray::fromHex("D6D0CEC4CAD4CCE2A3ACA1B0D2FDBAC5A1B1") + "\r\nA. x\r\n"
                     + kAnswerHeading + "\r\n1.A;  \r\n");
    }

    void pathTable_data()
    {
        QTest::addColumn<int>("platform");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        const auto row = [](const char *tag, int platform, QByteArray folder, const char *name, QByteArray path) {
            QTest::newRow(tag) << platform << QString::fromUtf8(folder) << QString::fromUtf8(name) << QString::fromUtf8(path);
        };
        const int onWindows = int(PaperPath::Platform::Windows);
        const int onUnix = int(PaperPath::Platform::Unix);
        for (const char letter : QByteArrayLiteral("ABCDEFGHabcdefgh")) {
            const QByteArray root = QByteArray(1, letter) + ":\\";
            row(("root " + root).constData(), onWindows, root, "abc", root + "abc.txt");
        }
        row("root J gets a second backslash", onWindows, "J:\\", "abc", "J:\\\\abc.txt");
        row("folder", onWindows, "C:\\papers", "abc", "C:\\papers\\abc.txt");
        row("folder with a trailing backslash", onWindows, "C:\\papers\\", "abc", "C:\\papers\\\\abc.txt");
        row("drive without backslash", onWindows, "C:", "abc", "C:\\abc.txt");
        row("extension always added", onWindows, "C:\\", "abc.txt", "C:\\abc.txt.txt");
        row("name as typed", onWindows, "C:\\x", " 试卷 一 ", "C:\\x\\ 试卷 一 .txt");
        row("Unix folder", onUnix, "/home/pupil", "abc", "/home/pupil/abc.txt");
        row("Unix trailing slash", onUnix, "/tmp/", "abc", "/tmp/abc.txt");
        row("Unix: a drive text is just a name", onUnix, "C:\\", "abc", "C:\\/abc.txt");
        row("Unix: backslash in the name stays", onUnix, "/srv", "dir\\name", "/srv/dir\\name.txt");
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
        QVERIFY2(reason.isEmpty() ? refused.isEmpty() : refused.contains(reason), qPrintable(refused));
    }

    void aWriteReplacesTheOldFileWholeOrLeavesItIntact()
    {
        // The longest name the file system takes is saved, although the file is
        // written under a longer temporary name first; nothing is left over.
        QTemporaryDir dir;
        const QString longest = QString(251, QLatin1Char('a')) + QStringLiteral(".txt");
        QVERIFY(writeBytes(dir.filePath(longest), QByteArray(5000, 'x')));
        QString reason;
        QVERIFY2(Paper::writeFile(dir.filePath(longest), "new paper", &reason), qPrintable(reason));
        QCOMPARE(readBytes(dir.filePath(longest)), QByteArray("new paper"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{longest});

        // A write that fails half-way is reported with the system's reason and leaves the old file.
        const QString file = dir.filePath(QStringLiteral("abc.txt"));
        const QByteArray old("the old paper\r\n");
        QVERIFY(writeBytes(file, old));
        const QByteArray paper = Paper::fileBytes(QString(300, QChar(u'中')), QString());
        bool written = true;
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.active());
            written = Paper::writeFile(file, paper, &reason);
        }
        QVERIFY(!written);
        QVERIFY(!reason.isEmpty() && reason != QLatin1String("Unknown error")); // the system's own reason
        QCOMPARE(readBytes(file), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{longest, QStringLiteral("abc.txt")}));

        // A folder that is a file is reported, the file left as it is.
        reason.clear();
        QVERIFY(!Paper::writeFile(file + QStringLiteral("/abc.txt"), "data", &reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(readBytes(file), old);
    }
};

QTEST_GUILESS_MAIN(TestPaper)
#include "tst_paper.moc"
