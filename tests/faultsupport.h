#pragma once

#include <QProcess>
#include <QString>

#include <sys/resource.h>

// Helpers that make real faults happen under a test: unwritable files, a full file system, a second process.

// File access as an ordinary user for the scope: root may write any file whatever its permissions, so for
// root the file-system user and group of this thread become nobody's (65534) until the scope ends.
class OrdinaryFileAccess
{
public:
    OrdinaryFileAccess();
    ~OrdinaryFileAccess();
    Q_DISABLE_COPY(OrdinaryFileAccess)

    // False when root could not switch (no CAP_SETUID): permissions would not apply.
    bool active() const { return m_active; }

private:
    bool m_switched = false;
    bool m_active = false;
};

// Whether the calling thread may write a file (or create one in a folder); touches nothing that exists.
bool canWrite(const QString &path);

// The largest file this process may write, lowered for the scope: a write fails half-way even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    Q_DISABLE_COPY(FileSizeLimit)
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    bool m_active = false;
};

// The program's windows in a process of their own (qvdriver), driven by the commands of qvdriver.cpp.
class DriverProcess
{
public:
    explicit DriverProcess(const QString &workingFolder);
    ~DriverProcess() { kill(); }
    Q_DISABLE_COPY(DriverProcess)

    bool start();
    // Sends one command; its one-line answer ("<none>" when none came in time).
    QString ask(const QString &command, int timeoutMs = 60000);
    void send(const QString &command);
    // Waits for the next line of output.
    QString readLine(int timeoutMs = 60000);
    void kill();
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

// PRAGMA integrity_check of a bank, its lines joined, through a connection of its own.
QString integrityCheck(const QString &dbPath);
// One query's single value (as text: empty, as a number: -1 when there is none), through a connection of its own.
QString queryText(const QString &dbPath, const QString &sql);
qint64 queryNumber(const QString &dbPath, const QString &sql);
// Runs one statement, through a connection of its own.
bool execSql(const QString &dbPath, const QString &sql);
