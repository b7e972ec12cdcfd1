// What `cmake --install` puts into a prefix, checked by the desktop's own validators, and the installed
// program started as from the desktop menu, with a fresh home, on its per-user bank.
#include "bankbuilder.h"
#include "bankfolder.h"
#include "banksources.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString kAppId = QStringLiteral("org.quorvane.Quorvane");

QString questionOne(const QString &db)
{
    return withTestConnection(db, [](QSqlDatabase &connection) {
        QSqlQuery q(QStringLiteral("SELECT 试题 FROM zk WHERE 题号 = 1"), connection);
        return q.next() ? q.value(0).toString() : QString();
    });
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QProcess install;
        install.start(QStringLiteral(QV_CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(QV_BUILD_DIR),
                                                         QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    }

    void installedFilesPassTheDesktopValidators()
    {
        const QString desktop = installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId));
        const QString entry = QString::fromUtf8(readBytes(desktop));
        QVERIFY(entry.contains(QStringLiteral("\nExec=quorvane\n")) && QFile::exists(installed("bin/quorvane")));
        QVERIFY(entry.contains(QStringLiteral("\nIcon=%1\n").arg(kAppId)));
        QCOMPARE(QImage(installed(QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(kAppId))).size(),
                 QSize(256, 256));
        QVERIFY(readBytes(installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId)))
                    .contains("<svg"));

        int validated = 0;
        const QList<QStringList> checks{{QStringLiteral("desktop-file-validate"), desktop},
                                        {QStringLiteral("appstreamcli"), QStringLiteral("validate"),
                                         QStringLiteral("--no-net"),
                                         installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))}};
        for (QStringList check : checks) {
            const QString tool = QStandardPaths::findExecutable(check.takeFirst());
            if (tool.isEmpty())
                continue;
            QProcess process;
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(tool, check);
            QVERIFY(process.waitForFinished(60000));
            QVERIFY2(process.exitCode() == 0, process.readAll().constData());
            ++validated;
        }
        if (validated < checks.size())
            QSKIP("desktop-file-validate or appstreamcli missing (scripts/install-deps.sh installs them)");
    }

    void firstStartCopiesTheBankAndLaterStartsKeepTheUsers()
    {
        const QString bundled = installed(QStringLiteral("share/quorvane/english.db"));
        const QByteArray bundledCatalogue = readBytes(installed(QStringLiteral("share/quorvane/mulu.txt")));
        QVERIFY(!bundledCatalogue.isEmpty());
        QTemporaryDir home;
        const QString user = home.filePath(QStringLiteral(".local/share/quorvane"));
        startInstalled(home.path(), home.path());
        QCOMPARE(readBytes(user + QStringLiteral("/english.db")), readBytes(bundled));
        QCOMPARE(readBytes(user + QStringLiteral("/mulu.txt")), bundledCatalogue);

        // The user's corrections and a catalogue of their own stay.
        withTestConnection(user + QStringLiteral("/english.db"), [](QSqlDatabase &db) {
            return QSqlQuery(db).exec(QStringLiteral("UPDATE zk SET 试题 = '用户改过的题' WHERE 题号 = 1"));
        });
        QVERIFY(writeBytes(user + QStringLiteral("/mulu.txt"), bundledCatalogue + "\r\n"));
        startInstalled(home.path(), home.path());
        QCOMPARE(questionOne(user + QStringLiteral("/english.db")), QStringLiteral("用户改过的题"));
        QCOMPARE(readBytes(user + QStringLiteral("/mulu.txt")), bundledCatalogue + "\r\n");

        // Started in a folder that holds a bank, it works there and makes no folder of its own.
        QTemporaryDir teacher, otherHome;
        QVERIFY(QFile::copy(bundled, teacher.filePath(QStringLiteral("english.db"))));
        QFile::setPermissions(teacher.filePath(QStringLiteral("english.db")), QFile::ReadOwner | QFile::WriteOwner);
        startInstalled(otherHome.path(), teacher.path());
        QVERIFY(QFile::exists(teacher.filePath(QStringLiteral("english.db-wal"))));
        QVERIFY(!QFile::exists(otherHome.filePath(QStringLiteral(".local/share/quorvane"))));
    }

    void aUserFolderThatCannotBeMadeIsToldAndTheCopiedBankIsWritable()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("share/quorvane")));
        QString error;
        const QString bundled = root.filePath(QStringLiteral("share/quorvane/english.db"));
        QVERIFY2(BankBuilder::createBank(bundled, sampleRows(3), &error), qPrintable(error));
        QFile::setPermissions(bundled, QFile::ReadOwner);
        const QString program = root.filePath(QStringLiteral("bin"));
        const QString previous = QDir::currentPath();

        // A file where the folder should be.
        QVERIFY(writeBytes(root.filePath(QStringLiteral("data")), QByteArray()));
        const QString unreachable = root.filePath(QStringLiteral("data/quorvane"));
        QDir::setCurrent(root.path());
        BankFolder::Result result = BankFolder::settle(program, unreachable);
        QVERIFY(!result.ok);
        QVERIFY2(result.message.contains(unreachable) && result.message.contains(QStringLiteral("：")),
                 qPrintable(result.message));
        QCOMPARE(QDir::currentPath(), QDir(root.path()).canonicalPath());

        // The user's folder, made the working folder: the copy of a read-only template can be written.
        const QString user = root.filePath(QStringLiteral("home/quorvane"));
        result = BankFolder::settle(program, user);
        const QString settledIn = QDir::currentPath();
        QDir::setCurrent(previous);
        QVERIFY2(result.ok && result.userBank, qPrintable(result.message));
        QCOMPARE(settledIn, QDir(user).canonicalPath());
        const QString copy = QDir(user).filePath(QStringLiteral("english.db"));
        QVERIFY(questionOne(copy).startsWith(QStringLiteral("Question 1 ")));
        QVERIFY(QFileInfo(copy).permissions() & QFile::WriteOwner);
    }

private:
    // Starts the installed program as the desktop does, in folder, with a home of its own; it ends once its
    // window is shown (a bank or catalogue that cannot be read would hold it at a message box before that).
    void startInstalled(const QString &home, const QString &folder)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUORVANE_STARTUP_TIMING"), QStringLiteral("1"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(folder);
        program.start(installed(QStringLiteral("bin/quorvane")), {});
        const bool ended = program.waitForFinished(30000);
        if (!ended)
            program.kill();
        QVERIFY2(ended && program.readAllStandardOutput() == "shown\n", program.readAllStandardError().constData());
    }
    QString installed(const QString &path) const { return QDir(m_prefix.path()).filePath(path); }

    QTemporaryDir m_prefix;

};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
