#pragma once

#include <QString>
#include <QStringList>

// The work of the bank tool's commands, apart from its command line: each
// task reads and writes the files and says what happened.
namespace BankTasks {

// The tool's exit codes.
enum Status {
    Ok = 0,        // done (an import may still have skipped duplicates)
    Problems = 1,  // the check failed or the input was rejected; nothing was written
    Usage = 2,     // wrong command line
    FileError = 3, // a file could not be read or written, or exists where none may
};

struct Outcome
{
    int status = Ok;
    QStringList notes;    // what was done (standard output)
    QStringList warnings; // remarks that do not fail the task, e.g. skipped duplicates
    QStringList problems; // why the task failed, each naming file and line where there is one
};

struct BuildRequest
{
    QString dbPath;
    QString cataloguePath;
    QStringList sources;
    bool ifMissing = false; // keep existing files instead of failing on them
};

// Checks the sources first; only when they pass, makes the bank and the
// catalogue. A file that exists is never replaced. A kept bank that lacks its
// catalogue gets one made from its own categories.
Outcome build(const BuildRequest &request);

Outcome checkSources(const QStringList &sources);
Outcome checkBank(const QString &dbPath, const QString &cataloguePath);

// An empty bank and a catalogue holding only the whole-bank entry; refuses
// when either file exists.
Outcome create(const QString &dbPath, const QString &cataloguePath);

struct ImportRequest
{
    QString dbPath;
    QString cataloguePath;
    QStringList inputs;
    QString format;          // "aiken", "gift", "tsv"; empty: by extension or content
    QString defaultCategory; // for questions with no category of their own
};

// Adds the new questions of the inputs after the bank's last row; existing
// rows stay as they are. Any malformed question rejects the whole import.
Outcome importInputs(const ImportRequest &request);

struct ExportRequest
{
    QString dbPath;
    QString format; // "aiken" or "gift"
    QString output;
    bool overwrite = false;
};

Outcome exportBank(const ExportRequest &request);

} // namespace BankTasks
