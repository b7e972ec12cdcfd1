#pragma once

#include "aikensource.h"
#include "importers.h"

#include <QString>
#include <QStringList>

#include <functional>

// The work of the bank tool's commands, apart from its command line: each
// task reads and writes the files and says what happened.
namespace BankTasks {

// The tool's exit codes.
enum Status {
    Ok = 0,        // done (an import may still have skipped duplicates)
    Problems = 1,  // the check failed or the input was rejected; nothing was written
    Usage = 2,     // wrong command line
    FileError = 3, // a file could not be read or written, or exists where none may
    Cancelled = 4, // stopped through a progress callback (the program's window); nothing was written
};

struct Outcome
{
    int status = Ok;
    QStringList notes;    // what was done (standard output)
    QStringList warnings; // remarks that do not fail the task, e.g. skipped duplicates
    QStringList problems; // why the task failed, each naming file and line where there is one
    QString reason;       // a write the bank refused: why, in a few words for the user ("题库文件是只读的")
};

struct BuildRequest
{
    QString dbPath;
    QString cataloguePath;
    QStringList sources;
    bool ifMissing = false; // keep existing files instead of failing on them
    bool requireExplanations = false; // a question without 解析 fails the check
};

// Checks the sources first; only when they pass, makes the bank (with the
// questions' explanations in jx) and the catalogue. A file that exists is
// never replaced. A kept bank that lacks its catalogue gets one made from its
// own categories.
Outcome build(const BuildRequest &request);

// requireExplanations: a question without an explanation is a problem too.
Outcome checkSources(const QStringList &sources, bool requireExplanations = false);
Outcome checkBank(const QString &dbPath, const QString &cataloguePath, bool requireExplanations = false);

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

// What one input file holds, as the import read it.
struct InputSummary
{
    QString path;
    Importers::Format format = Importers::Format::Aiken;
    QString encoding; // for the user, as recognised
    int questions = 0;
};

// What importing the inputs would do, worked out without writing anything.
// outcome.status is Ok when the import can be written; otherwise its
// problems say why (each naming file and line), and nothing may be written.
struct ImportPlan
{
    Outcome outcome;              // notes: a line for each input read; warnings: the duplicates
    QList<InputSummary> inputs;
    Importers::Plan plan;         // the rows to add, the duplicates skipped, the new labels
    qint64 bankRows = 0;          // the questions the bank held, numbered 1..bankRows
};

ImportPlan planImport(const ImportRequest &request);

// Rows written so far of all; returning false cancels the import.
using Progress = std::function<bool(qint64 written, qint64 total)>;

// Writes what planImport found: the new rows with their explanations in one
// transaction, the new labels at the end of the catalogue inside it, so that
// a refused or cancelled import changes neither file. Refuses, writing
// nothing, when the bank no longer holds the questions the plan numbered on
// from (another program changed it in between).
Outcome applyImport(const ImportRequest &request, const ImportPlan &plan, const Progress &progress = {});

// "已导入 N 题（题号 a–b），跳过重复 M 题"
QString importSummary(const Importers::Plan &plan);

// planImport, then applyImport when the plan holds no problem.
// Adds the new questions of the inputs after the bank's last row, with their
// explanations; existing rows stay as they are. Any malformed question
// rejects the whole import, and so does an explanation in jx whose 题号 has
// no question (a new question would take it for its own).
Outcome importInputs(const ImportRequest &request);

struct ExportRequest
{
    QString dbPath;
    QString format; // "aiken" or "gift"
    QString output;
    bool overwrite = false;
    bool withExplanations = false; // Aiken: write the "解析: " lines (GIFT always has them)
};

Outcome exportBank(const ExportRequest &request);

} // namespace BankTasks
