#include "banktasks.h"

#include "bankbuilder.h"
#include "bankcheck.h"
#include "catalogue.h"
#include "exporters.h"
#include "importers.h"
#include "querytext.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace BankTasks {
namespace {

QString wholeBankLabel()
{
    return QString::fromUtf8(QueryText::kWholeBankLabel);
}

Outcome failed(int status, const QStringList &problems)
{
    Outcome outcome;
    outcome.status = status;
    outcome.problems = problems;
    return outcome;
}

Outcome failed(int status, const QString &problem)
{
    return failed(status, QStringList{problem});
}

// The catalogue of a set of rows: the whole-bank entry, then every category
// in order of first appearance.
QStringList labelsOf(const QList<QuestionRecord> &rows)
{
    QStringList labels{wholeBankLabel()};
    for (const QuestionRecord &row : rows) {
        if (!labels.contains(row.category))
            labels << row.category;
    }
    return labels;
}

int explained(const QList<QuestionRecord> &rows)
{
    return int(std::count_if(rows.cbegin(), rows.cend(),
                             [](const QuestionRecord &row) { return !row.explanation.trimmed().isEmpty(); }));
}

QList<QuestionRecord> rowsFrom(const QList<AikenSource::Question> &questions)
{
    QList<QuestionRecord> rows;
    for (const AikenSource::Question &q : questions) {
        QuestionRecord row;
        row.number = rows.size() + 1;
        row.question = q.questionText();
        row.answer = q.answer;
        row.category = q.category;
        row.explanation = q.explanation;
        rows << row;
    }
    return rows;
}

bool readBytes(const QString &path, QByteArray *bytes, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = BankCheck::inFile(path, QStringLiteral("无法读取（%1）").arg(file.errorString()));
        return false;
    }
    *bytes = file.readAll();
    return true;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

Outcome build(const BuildRequest &request)
{
    QList<AikenSource::Question> questions;
    bool unreadable = false;
    QStringList problems = BankCheck::checkSources(request.sources, &questions, &unreadable);
    if (request.requireExplanations)
        problems << BankCheck::missingExplanations(questions);
    if (!problems.isEmpty()) {
        Outcome outcome = failed(unreadable ? FileError : Problems, problems);
        outcome.problems << QStringLiteral("题源没有通过检查，题库没有建立。");
        return outcome;
    }

    const bool bankExists = QFileInfo::exists(request.dbPath);
    const bool catalogueExists = QFileInfo::exists(request.cataloguePath);
    if (!request.ifMissing && (bankExists || catalogueExists)) {
        QStringList existing;
        for (const QString &path : {request.dbPath, request.cataloguePath}) {
            if (QFileInfo::exists(path))
                existing << BankCheck::inFile(path, QStringLiteral("已经存在，未作改动（要保留已有文件请加 --if-missing）"));
        }
        return failed(FileError, existing);
    }

    Outcome outcome;
    const QList<QuestionRecord> rows = rowsFrom(questions);
    QStringList labels = labelsOf(rows);
    QString error;
    if (bankExists) {
        outcome.notes << QStringLiteral("保留已有的题库 %1").arg(request.dbPath);
        if (!catalogueExists) {
            // The catalogue must describe the bank that is really there, which
            // may have been corrected or extended since it was built.
            QList<QuestionRecord> kept;
            if (!BankBuilder::readRows(request.dbPath, &kept, &error))
                return failed(FileError, BankCheck::inFile(request.dbPath, error));
            labels = labelsOf(kept);
        }
    } else {
        if (!BankBuilder::createBank(request.dbPath, rows, &error))
            return failed(FileError, BankCheck::inFile(request.dbPath, error));
        outcome.notes << QStringLiteral("已建立题库 %1，共 %2 题，其中 %3 题有解析")
                             .arg(request.dbPath)
                             .arg(rows.size())
                             .arg(explained(rows));
    }

    if (catalogueExists) {
        outcome.notes << QStringLiteral("保留已有的目录 %1").arg(request.cataloguePath);
    } else if (BankBuilder::createFile(request.cataloguePath, BankBuilder::catalogueBytes(labels), &error)) {
        outcome.notes << QStringLiteral("已建立目录 %1，共 %2 行").arg(request.cataloguePath).arg(labels.size());
    } else {
        if (!bankExists)
            QFile::remove(request.dbPath); // made just now: a bank without its catalogue is not finished
        return failed(FileError, BankCheck::inFile(request.cataloguePath, error));
    }
    return outcome;
}

Outcome checkSources(const QStringList &sources, bool requireExplanations)
{
    QList<AikenSource::Question> questions;
    bool unreadable = false;
    QStringList problems = BankCheck::checkSources(sources, &questions, &unreadable);
    if (requireExplanations)
        problems << BankCheck::missingExplanations(questions);
    if (!problems.isEmpty())
        return failed(unreadable ? FileError : Problems, problems);
    Outcome outcome;
    outcome.notes << QStringLiteral("检查通过：%1 个文件，共 %2 题").arg(sources.size()).arg(questions.size());
    return outcome;
}

Outcome checkBank(const QString &dbPath, const QString &cataloguePath, bool requireExplanations)
{
    bool unreadable = false;
    const QStringList problems = BankCheck::checkBank(dbPath, cataloguePath, &unreadable, requireExplanations);
    if (!problems.isEmpty())
        return failed(unreadable ? FileError : Problems, problems);
    Outcome outcome;
    outcome.notes << QStringLiteral("检查通过：%1 和 %2").arg(dbPath, cataloguePath);
    return outcome;
}

Outcome create(const QString &dbPath, const QString &cataloguePath)
{
    QStringList existing;
    for (const QString &path : {dbPath, cataloguePath}) {
        if (QFileInfo::exists(path))
            existing << BankCheck::inFile(path, QStringLiteral("已经存在，未作改动"));
    }
    if (!existing.isEmpty())
        return failed(FileError, existing);

    QString error;
    if (!BankBuilder::createBank(dbPath, {}, &error))
        return failed(FileError, BankCheck::inFile(dbPath, error));
    if (!BankBuilder::createFile(cataloguePath, BankBuilder::catalogueBytes({wholeBankLabel()}), &error)) {
        QFile::remove(dbPath); // made just now
        return failed(FileError, BankCheck::inFile(cataloguePath, error));
    }
    Outcome outcome;
    outcome.notes << QStringLiteral("已建立空题库 %1 和目录 %2").arg(dbPath, cataloguePath);
    return outcome;
}

ImportPlan planImport(const ImportRequest &request)
{
    ImportPlan result;
    const auto refused = [&result](const Outcome &outcome) {
        result.outcome = outcome;
        return result;
    };
    Importers::Format forced = Importers::Format::Aiken;
    if (!request.format.isEmpty() && !Importers::formatFromName(request.format, &forced))
        return refused(failed(Usage, QStringLiteral("不认识的格式“%1”（可用 aiken、gift、tsv）").arg(request.format)));

    QList<QuestionRecord> existing;
    QString error;
    if (!BankBuilder::readRows(request.dbPath, &existing, &error))
        return refused(failed(FileError, BankCheck::inFile(request.dbPath, error)));
    const QStringList numbering = BankCheck::checkNumbers(request.dbPath, existing);
    if (!numbering.isEmpty()) {
        Outcome outcome = failed(Problems, numbering);
        outcome.problems << QStringLiteral("题号不是从 1 起连续编排的，新试题无法接着编号；没有导入任何试题。");
        return refused(outcome);
    }
    QMap<qint64, QString> explanations;
    if (!BankBuilder::readExplanations(request.dbPath, &explanations, &error))
        return refused(failed(FileError, BankCheck::inFile(request.dbPath, error)));
    QStringList strayExplanations;
    for (auto it = explanations.cbegin(); it != explanations.cend(); ++it) {
        if (it.key() < 1 || it.key() > existing.size())
            strayExplanations << BankCheck::atNumber(request.dbPath, it.key(), QStringLiteral("解析没有对应的试题"));
    }
    if (!strayExplanations.isEmpty()) {
        Outcome outcome = failed(Problems, strayExplanations);
        outcome.problems << QStringLiteral("解析表 jx 中有些解析找不到对应的试题，新试题会错配这些解析；没有导入任何试题。");
        return refused(outcome);
    }
    QByteArray catalogueBytes;
    if (!readBytes(request.cataloguePath, &catalogueBytes, &error))
        return refused(failed(FileError, error));
    const Catalogue::LoadResult catalogue = Catalogue::load(request.cataloguePath);
    result.bankRows = existing.size();

    Outcome &outcome = result.outcome;
    QStringList problems;
    QList<AikenSource::Question> incoming;
    for (const QString &input : request.inputs) {
        QByteArray bytes;
        if (!readBytes(input, &bytes, &error))
            return refused(failed(FileError, error));
        const Importers::Decoded decoded = Importers::decodeInput(bytes);
        Importers::Format format = forced;
        if (request.format.isEmpty() && !Importers::guessFormat(input, decoded.text, &format)) {
            problems << BankCheck::inFile(input, QStringLiteral("看不出是哪种格式，请用 --format 指明"));
            continue;
        }
        const AikenSource::Parse parsed = Importers::parse(format, decoded.text, input, request.defaultCategory);
        problems << parsed.errors;
        for (const AikenSource::Question &q : parsed.questions) {
            const QString categoryIssue = BankCheck::categoryProblem(q.category);
            if (!categoryIssue.isEmpty())
                problems << BankCheck::at(q.file, q.line, categoryIssue);
            if (q.choices.contains(QString()))
                problems << BankCheck::at(q.file, q.line, QStringLiteral("有空的选项"));
        }
        incoming << parsed.questions;
        result.inputs << InputSummary{input, format, decoded.encoding, int(parsed.questions.size())};
        outcome.notes << QStringLiteral("读取 %1（%2）：%3 题").arg(input, decoded.encoding).arg(parsed.questions.size());
    }
    // Planned even when the input has problems: a preview shows the rest.
    result.plan = Importers::plan(request.dbPath, existing, catalogue.labels, incoming);
    if (!problems.isEmpty()) {
        outcome.status = Problems;
        outcome.problems = problems;
        outcome.problems << QStringLiteral("输入有错，没有导入任何试题。");
        return result;
    }
    outcome.warnings = result.plan.duplicates;
    return result;
}

QString importSummary(const Importers::Plan &plan)
{
    const qint64 first = plan.newRows.isEmpty() ? 0 : plan.newRows.first().number;
    const qint64 last = plan.newRows.isEmpty() ? 0 : plan.newRows.last().number;
    return QStringLiteral("已导入 %1 题（题号 %2–%3），跳过重复 %4 题")
        .arg(plan.newRows.size())
        .arg(first)
        .arg(last)
        .arg(plan.duplicates.size());
}

Outcome applyImport(const ImportRequest &request, const ImportPlan &plan, const Progress &progress)
{
    Outcome outcome = plan.outcome;
    if (outcome.status != Ok)
        return outcome;
    const Importers::Plan &rows = plan.plan;
    if (rows.newRows.isEmpty()) {
        outcome.notes << QStringLiteral("没有新的试题，题库未改动");
        return outcome;
    }

    // The catalogue is written last inside the bank's transaction: a bank
    // that refuses the rows, or a cancel, leaves it untouched; should the
    // commit itself fail, its old bytes go back.
    QByteArray catalogueBefore;
    bool catalogueWritten = false;
    QString catalogueError;
    BankBuilder::AppendControl control;
    control.progress = progress;
    control.expectedRows = plan.bankRows;
    if (!rows.newLabels.isEmpty()) {
        control.beforeCommit = [&](QString *error) {
            catalogueWritten = readBytes(request.cataloguePath, &catalogueBefore, &catalogueError)
                               && BankBuilder::appendCatalogueLabels(request.cataloguePath, rows.newLabels,
                                                                     &catalogueError);
            *error = catalogueError;
            return catalogueWritten;
        };
    }
    const BankBuilder::AppendResult written = BankBuilder::appendRows(request.dbPath, rows.newRows, control);
    if (written.kind == BankBuilder::AppendResult::Cancelled) {
        outcome.status = Cancelled;
        outcome.notes << QStringLiteral("导入已取消，题库未改动");
        return outcome;
    }
    if (written.kind == BankBuilder::AppendResult::Failed) {
        Outcome failure;
        if (!catalogueError.isEmpty()) {
            failure = failed(FileError, BankCheck::inFile(request.cataloguePath, catalogueError));
            failure.reason = QStringLiteral("目录文件无法写入：%1").arg(catalogueError);
        } else {
            failure = failed(FileError, BankCheck::inFile(request.dbPath, written.error));
            failure.reason = written.reason;
        }
        QString restoreError;
        if (catalogueWritten && !BankBuilder::replaceFile(request.cataloguePath, catalogueBefore, &restoreError))
            failure.problems << BankCheck::inFile(request.cataloguePath,
                                                  QStringLiteral("无法恢复原来的内容（%1）").arg(restoreError));
        return failure;
    }
    outcome.notes << importSummary(rows);
    if (const int withExplanation = explained(rows.newRows); withExplanation > 0)
        outcome.notes << QStringLiteral("新试题中 %1 题有解析").arg(withExplanation);
    if (!rows.newLabels.isEmpty())
        outcome.notes << QStringLiteral("目录新增类别：%1").arg(rows.newLabels.join(QStringLiteral("、")));
    return outcome;
}

Outcome importInputs(const ImportRequest &request)
{
    return applyImport(request, planImport(request));
}

Outcome exportBank(const ExportRequest &request)
{
    Exporters::Format format = Exporters::Format::Aiken;
    if (!Exporters::formatFromName(request.format, &format))
        return failed(Usage, QStringLiteral("不认识的格式“%1”（可用 aiken、gift）").arg(request.format));
    if (sameFile(request.output, request.dbPath))
        return failed(Usage, QStringLiteral("输出文件不能是题库本身"));
    if (QFileInfo::exists(request.output) && !request.overwrite)
        return failed(FileError, BankCheck::inFile(request.output, QStringLiteral("已经存在，未作改动（要覆盖请加 --force）")));

    QList<QuestionRecord> rows;
    QString error;
    if (!BankBuilder::readRows(request.dbPath, &rows, &error))
        return failed(FileError, BankCheck::inFile(request.dbPath, error));
    const Exporters::Result result = Exporters::toFormat(format, request.dbPath, rows, request.withExplanations);
    if (!result.problems.isEmpty()) {
        Outcome outcome = failed(Problems, result.problems);
        outcome.problems << QStringLiteral("有试题无法导出，没有写出文件。");
        return outcome;
    }
    if (!BankBuilder::replaceFile(request.output, result.text.toUtf8(), &error))
        return failed(FileError, BankCheck::inFile(request.output, error));
    Outcome outcome;
    outcome.notes << QStringLiteral("已导出 %1 题到 %2").arg(rows.size()).arg(request.output);
    if (format == Exporters::Format::Aiken && !request.withExplanations && explained(rows) > 0)
        outcome.warnings << QStringLiteral("有 %1 题的解析没有导出（Aiken 格式要加 --with-explanations 才写出解析行）")
                                .arg(explained(rows));
    return outcome;
}

} // namespace BankTasks
