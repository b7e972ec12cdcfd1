// The installed program: what `cmake --install` puts into a prefix, checked
// by the desktop's own validators, and the installed program started as from
// the desktop menu, with a fresh home, on its per-user bank.
#include "bankbuilder.h"
#include "bankfolder.h"
#include "practicewindow.h"
#include "testsupport.h"
#include "windowregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kAppId = QStringLiteral("org.quorvane.Quorvane");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QString questionOne(const QString &db)
{
    return withTestConnection(db, [](QSqlDatabase &connection) {
        QSqlQuery q(connection);
        return q.exec(QStringLiteral("SELECT 试题 FROM zk WHERE 题号 = 1")) && q.next() ? q.value(0).toString()
                                                                                      : QString();
    });
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup() { closeAllWindows(); }

    void installedFilesPassTheDesktopValidators();
    void firstStartCopiesTheBankAndLaterStartsKeepTheUsers();
    void userBankIsWorkedOnAndAFolderThatCannotBeMadeIsTold();

private:
    // Starts the installed program as the desktop does, in folder, with a
    // home of its own; it ends once its window is shown. A bank or catalogue
    // that cannot be read would hold it at a message box before that.
    void startInstalled(const QString &home, const QString &folder);
    QString installed(const QString &path) const { return QDir(m_prefix.path()).filePath(path); }

    QTemporaryDir m_prefix;
};

void TestInstall::initTestCase()
{
    QProcess install;
    install.start(QStringLiteral(QV_CMAKE_COMMAND), {QStringLiteral("--install"), QStringLiteral(QV_BUILD_DIR),
                                                     QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
}

void TestInstall::installedFilesPassTheDesktopValidators()
{
    const QString desktop = installed(QStringLiteral("share/applications/%1.desktop").arg(kAppId));
    QString entry = QString::fromUtf8(contents(desktop));
    QVERIFY(entry.contains(QStringLiteral("\nExec=quorvane\n")) && QFile::exists(installed("bin/quorvane")));
    QVERIFY(entry.contains(QStringLiteral("\nIcon=%1\n").arg(kAppId)));
    QCOMPARE(QImage(installed(QStringLiteral("share/icons/hicolor/256x256/apps/%1.png").arg(kAppId))).size(),
             QSize(256, 256));
    QVERIFY(contents(installed(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(kAppId)))
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

void TestInstall::startInstalled(const QString &home, const QString &folder)
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

void TestInstall::firstStartCopiesTheBankAndLaterStartsKeepTheUsers()
{
    const QString bundled = installed(QStringLiteral("share/quorvane/english.db"));
    const QString bundledCatalogue = installed(QStringLiteral("share/quorvane/mulu.txt"));
    QTemporaryDir home;
    const QString user = home.filePath(QStringLiteral(".local/share/quorvane"));
    startInstalled(home.path(), home.path());
    QCOMPARE(contents(user + QStringLiteral("/english.db")), contents(bundled));
    QCOMPARE(contents(user + QStringLiteral("/mulu.txt")), contents(bundledCatalogue));

    // The user's corrections and a catalogue of their own stay.
    withTestConnection(user + QStringLiteral("/english.db"), [](QSqlDatabase &db) {
        return QSqlQuery(db).exec(QStringLiteral("UPDATE zk SET 试题 = '用户改过的题' WHERE 题号 = 1"));
    });
    QFile catalogue(user + QStringLiteral("/mulu.txt"));
    QVERIFY(catalogue.open(QIODevice::Append) && catalogue.write("\r\n") == 2);
    catalogue.close();
    startInstalled(home.path(), home.path());
    QCOMPARE(questionOne(user + QStringLiteral("/english.db")), QStringLiteral("用户改过的题"));
    QCOMPARE(contents(user + QStringLiteral("/mulu.txt")), contents(bundledCatalogue) + "\r\n");

    // Started in a folder that holds a bank, it works there and makes no folder of its own.
    QTemporaryDir teacher, otherHome;
    QVERIFY(QFile::copy(bundled, teacher.filePath(QStringLiteral("english.db"))));
    QFile::setPermissions(teacher.filePath(QStringLiteral("english.db")), QFile::ReadOwner | QFile::WriteOwner);
    startInstalled(otherHome.path(), teacher.path());
    QVERIFY(QFile::exists(teacher.filePath(QStringLiteral("english.db-wal"))));
    QVERIFY(!QFile::exists(otherHome.filePath(QStringLiteral(".local/share/quorvane"))));
}

void TestInstall::userBankIsWorkedOnAndAFolderThatCannotBeMadeIsTold()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")) && QDir(root.path()).mkpath(QStringLiteral("share/quorvane")));
    QString error;
    QVERIFY2(BankBuilder::createBank(root.filePath(QStringLiteral("share/quorvane/english.db")), sampleRows(3), &error),
             qPrintable(error));
    QFile::setPermissions(root.filePath(QStringLiteral("share/quorvane/english.db")), QFile::ReadOwner);
    const QString program = root.filePath(QStringLiteral("bin"));
    const QString previous = QDir::currentPath();

    // A file where the folder should be.
    QFile blocker(root.filePath(QStringLiteral("data")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unreachable = root.filePath(QStringLiteral("data/quorvane"));
    QDir::setCurrent(root.path());
    BankFolder::Result result = BankFolder::settle(program, unreachable);
    QVERIFY(!result.ok);
    QVERIFY2(result.message.contains(unreachable) && result.message.contains(QStringLiteral("：")),
             qPrintable(result.message));
    QCOMPARE(QDir::currentPath(), QDir(root.path()).canonicalPath());

    // The user's folder: the copy of a read-only template can be written.
    const QString user = root.filePath(QStringLiteral("home/quorvane"));
    result = BankFolder::settle(program, user);
    QVERIFY2(result.ok && result.userBank, qPrintable(result.message));
    QCOMPARE(QDir::currentPath(), QDir(user).canonicalPath());
    QVERIFY(QFileInfo(QStringLiteral("english.db")).permissions() & QFile::WriteOwner);
    PracticeWindow *form = openPracticeWindow();
    QVERIFY(form->questionBox()->toPlainText().startsWith(QStringLiteral("Question 1 ")));
    form->editQuestion();
    form->questionBox()->setPlainText(QStringLiteral("订正"));
    form->showNextQuestion();
    closeAllWindows();
    QDir::setCurrent(previous);
    QCOMPARE(questionOne(QDir(user).filePath(QStringLiteral("english.db"))), QStringLiteral("订正"));
}

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
