#include "faultsupport.h"

#include "testsupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <csignal>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <unistd.h>

static constexpr uid_t kNobody = 65534;

OrdinaryFileAccess::OrdinaryFileAccess() : m_switched(geteuid() == 0), m_active(!m_switched)
{
    if (!m_switched)
        return;
    // setfsuid answers with the previous id; asking again tells whether it took.
    setfsgid(kNobody);
    setfsuid(kNobody);
    m_active = setfsuid(kNobody) == int(kNobody) && setfsgid(kNobody) == int(kNobody);
}

OrdinaryFileAccess::~OrdinaryFileAccess()
{
    if (m_switched) {
        setfsuid(0);
        setfsgid(0);
    }
}

bool canWrite(const QString &path)
{
    const bool folder = QFileInfo(path).isDir();
    QByteArray native = QFile::encodeName(path) + (folder ? "/.probe-XXXXXX" : "");
    const int fd = folder ? mkstemp(native.data()) : open(native.constData(), O_WRONLY);
    if (fd < 0)
        return false;
    close(fd);
    if (folder)
        unlink(native.constData());
    return true;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN); // a failing write, not a killed process
    getrlimit(RLIMIT_FSIZE, &m_old);
    rlimit lowered = m_old;
    lowered.rlim_cur = bytes;
    m_active = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

DriverProcess::DriverProcess(const QString &workingFolder)
{
    m_process.setProgram(QStringLiteral(QVDRIVER_PATH)); // set by the build
    m_process.setWorkingDirectory(workingFolder);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

bool DriverProcess::start()
{
    m_process.start();
    return m_process.waitForStarted(30000);
}

void DriverProcess::send(const QString &command)
{
    m_process.write(command.toUtf8() + '\n');
    m_process.waitForBytesWritten(10000);
}

QString DriverProcess::readLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!m_process.canReadLine()) {
        // False once the time is up or the program has ended (what it wrote last is read all the same).
        if (!m_process.waitForReadyRead(int(deadline.remainingTime())) && !m_process.canReadLine())
            return QStringLiteral("<none>");
    }
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

QString DriverProcess::ask(const QString &command, int timeoutMs)
{
    send(command);
    return readLine(timeoutMs);
}

void DriverProcess::kill()
{
    m_process.kill(); // nothing happens to a program that has ended
    m_process.waitForFinished(10000);
}

QString integrityCheck(const QString &dbPath)
{
    return queryText(dbPath, QStringLiteral("SELECT group_concat(integrity_check, char(10)) FROM pragma_integrity_check"));
}

QString queryText(const QString &dbPath, const QString &sql)
{
    return withTestConnection(dbPath, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        return (q.exec(sql) && q.next()) ? q.value(0).toString() : QString();
    });
}

qint64 queryNumber(const QString &dbPath, const QString &sql)
{
    return withTestConnection(dbPath, [&](QSqlDatabase &db) {
        QSqlQuery q(db);
        return (q.exec(sql) && q.next()) ? q.value(0).toLongLong() : qint64(-1);
    });
}

bool execSql(const QString &dbPath, const QString &sql)
{
    return withTestConnection(dbPath, [&](QSqlDatabase &db) { return QSqlQuery(db).exec(sql); });
}
