// Benchmarks of the user-visible operations on banks of 5,000, 30,000 and
// 100,000 rows, each beside its floor where one exists (the raw SQLite C API
// doing the same work in the same process).
#include "benchbank.h"
#include "catalogue.h"
#include "codepage.h"
#include "filechooser.h"
#include "practicewindow.h"
#include "explanationwindow.h"
#include "compositionwindow.h"
#include "learningrecord.h"
#include "learningrecordwindow.h"
#include "papersavewindow.h"
#include "allwindows.h"
#include "messagebox.h"
#include "querytext.h"
#include "questioncursor.h"
#include "questionimportwindow.h"
#include "windowregistry.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <array>
#include <string>
#include <vector>

namespace {

const int kSizes[] = {5000, 30000, 100000};

// One bank per size, generated once into the system's temporary folder.
QString bankDir(int rows)
{
    const QString dir = QDir::temp().filePath(QStringLiteral("qvbench-%1").arg(rows));
    if (!QFile::exists(QDir(dir).filePath(QStringLiteral("english.db")))) {
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QString error;
        if (!BenchBank::generate(dir, rows, &error))
            qFatal("cannot generate bank: %s", qPrintable(error));
    }
    return dir;
}

void enterBank(int rows)
{
    QDir::setCurrent(bankDir(rows));
}

void rawExec(const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open("english.db", &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

const char kCategory[] = "练习卷07";

// ---- Refresh and its floor ---------------------------------------------------

struct RawRow
{
    sqlite3_int64 rowid;
    sqlite3_int64 number;
    std::string question, answer, category;
    sqlite3_int64 mark;
    std::string picked;
};

std::string text(sqlite3_stmt *st, int col)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, col));
    return p ? std::string(p, size_t(sqlite3_column_bytes(st, col))) : std::string();
}

void rawSelect(benchmark::State &state, bool category)
{
    enterBank(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2("english.db", &db, SQLITE_OPEN_READWRITE, nullptr);
    const char *sql = category
        ? "SELECT rowid, \"题号\", \"试题\", \"答案\", \"备注\", \"批阅\", \"作答\" FROM zk WHERE \"备注\" = ? ORDER BY rowid"
        : "SELECT rowid, \"题号\", \"试题\", \"答案\", \"备注\", \"批阅\", \"作答\" FROM zk ORDER BY rowid";
    std::vector<RawRow> rows;
    for (auto _ : state) {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        if (category)
            sqlite3_bind_text(st, 1, kCategory, -1, SQLITE_STATIC);
        rows.clear();
        while (sqlite3_step(st) == SQLITE_ROW)
            rows.push_back(RawRow{sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1), text(st, 2), text(st, 3),
                                  text(st, 4), sqlite3_column_int64(st, 5), text(st, 6)});
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = double(rows.size());
    sqlite3_close(db);
}

void cursorRefresh(benchmark::State &state, bool category)
{
    enterBank(int(state.range(0)));
    QuestionCursor cursor;
    cursor.setRecordSource(category ? QueryText::categoryQuery(QString::fromUtf8(kCategory))
                                    : QString::fromUtf8(QueryText::kAllQuestions));
    cursor.refresh(); // the connection opens once, as a window's does
    for (auto _ : state)
        cursor.refresh();
    state.counters["rows"] = double(cursor.recordCount());
}

void BM_Refresh_All(benchmark::State &s) { cursorRefresh(s, false); }
void BM_Refresh_All_Floor(benchmark::State &s) { rawSelect(s, false); }
void BM_Refresh_Category(benchmark::State &s) { cursorRefresh(s, true); }
void BM_Refresh_Category_Floor(benchmark::State &s) { rawSelect(s, true); }

// ---- The practice window ----------------------------------------------------------

PracticeWindow *openPracticeWindow(int rows)
{
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    enterBank(rows);
    rawExec("UPDATE zk SET 批阅 = 0, 作答 = 'E' WHERE 批阅 <> 0");
    return WindowRegistry::instance().window<PracticeWindow>(QStringLiteral("Form1"));
}

// After each click the program returns to its event loop, which handles
// what the click posted (repaints, layout requests) before the next one.
void handlePostedEvents()
{
    QCoreApplication::sendPostedEvents();
}

// Picks an option and clicks "下一题" once per iteration, from the first
// question to the last and again.
void pickAndMoveOn(benchmark::State &state, PracticeWindow *form)
{
    QPushButton *next = form->button(QStringLiteral("Command4"));
    QPushButton *first = form->button(QStringLiteral("Command2"));
    int left = form->cursor()->recordCount() - 1;
    for (auto _ : state) {
        if (left == 0) {
            state.PauseTiming();
            first->click();
            left = form->cursor()->recordCount() - 1;
            state.ResumeTiming();
        }
        form->optionButton(left % 4)->click();
        next->click();
        handlePostedEvents();
        --left;
    }
}

void BM_NextWithPendingPick(benchmark::State &state)
{
    pickAndMoveOn(state, openPracticeWindow(int(state.range(0))));
    WindowRegistry::instance().reset();
}

// The bank of each size again, with an explanation of 60–200 characters for
// every question (table jx), in a folder of its own.
void enterExplainedBank(int rows)
{
    const QString dir = QDir::temp().filePath(QStringLiteral("qvbench-jx-%1").arg(rows));
    if (!QFile::exists(QDir(dir).filePath(QStringLiteral("english.db")))) {
        const QString from = bankDir(rows);
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        for (const char *name : {"english.db", "mulu.txt"})
            QFile::copy(QDir(from).filePath(QString::fromLatin1(name)), QDir(dir).filePath(QString::fromLatin1(name)));
        QDir::setCurrent(dir);
        rawExec("CREATE TABLE IF NOT EXISTS jx (\"题号\" INTEGER PRIMARY KEY, \"解析\" TEXT NOT NULL);"
                "INSERT OR REPLACE INTO jx SELECT \"题号\", '本题考查' || replace(hex(zeroblob(28 + \"题号\" % 71)), '00', '时态') "
                "FROM zk");
    }
    QDir::setCurrent(dir);
}

PracticeWindow *openPracticeWindowWithExplanation(int rows)
{
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    enterExplainedBank(rows);
    rawExec("UPDATE zk SET 批阅 = 0, 作答 = 'E' WHERE 批阅 <> 0");
    auto *form = WindowRegistry::instance().window<PracticeWindow>(QStringLiteral("Form1"));
    form->menuAction(QStringLiteral("JX"))->trigger();
    return form;
}

// "下一题" with a pending pick as above, with the explanation window open:
// the pick reveals each question's explanation.
void BM_NextWithPendingPickExplained(benchmark::State &state)
{
    PracticeWindow *form = openPracticeWindowWithExplanation(int(state.range(0)));
    auto *explanation = WindowRegistry::instance().findWindow<ExplanationWindow>(QStringLiteral("frmExplain"));
    pickAndMoveOn(state, form);
    state.counters["shown"] = double(explanation->explanationBox()->toPlainText().size());
    WindowRegistry::instance().reset();
}

// The window's own share of a move: the row's explanation read, shown and
// painted (the answer shown, so every question's text is laid out), after a
// move that nothing else follows.
void BM_FollowExplanation(benchmark::State &state)
{
    PracticeWindow *form = openPracticeWindowWithExplanation(int(state.range(0)));
    form->button(QStringLiteral("Command1"))->click();
    auto *explanation = WindowRegistry::instance().findWindow<ExplanationWindow>(QStringLiteral("frmExplain"));
    QuestionCursor *cursor = form->cursor();
    for (auto _ : state) {
        {
            const QSignalBlocker quiet(cursor);
            if (!cursor->moveNext() || cursor->isEOF())
                cursor->moveFirst();
        }
        explanation->followCurrentRow();
        handlePostedEvents();
    }
    state.counters["shown"] = double(explanation->explanationBox()->toPlainText().size());
    WindowRegistry::instance().reset();
}

// A record of 100,000 answers over the bank's questions, 60 days of them in
// the order they were given, about two in three right.
void fillRecord(int rows)
{
    rawExec(LearningRecord::createTableSql().constData());
    const std::string fill =
        "DELETE FROM lx; "
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
        "INSERT INTO lx (\"题号\", \"作答\", \"批阅\", \"时间\") "
        "SELECT 1 + (i * 7919) % " + std::to_string(rows) + ", 'B', 1 + (i % 3 = 0), "
        "datetime('now', 'localtime', printf('-%d days', 59 - i * 60 / 100000)) FROM n";
    rawExec(fill.c_str());
}

// The same with a record of 100,000 answers already in the bank.
void BM_NextWithPendingPick_LongRecord(benchmark::State &state)
{
    enterBank(int(state.range(0)));
    fillRecord(int(state.range(0)));
    BM_NextWithPendingPick(state);
}

// "学习记录" opened on a record of 100,000 answers: read, filled and painted.
void BM_OpenRecordWindow(benchmark::State &state)
{
    openPracticeWindow(int(state.range(0)));
    fillRecord(int(state.range(0)));
    WindowRegistry &registry = WindowRegistry::instance();
    qint64 answers = 0;
    double firstMs = -1; // the first opening in the process, with its one-time costs
    QElapsedTimer clock;
    for (auto _ : state) {
        clock.start();
        auto *record = qobject_cast<LearningRecordWindow *>(registry.show(QStringLiteral("frmRecord")));
        benchmark::DoNotOptimize(record->grab());
        answers = record->summary().answers;
        state.PauseTiming();
        if (firstMs < 0)
            firstMs = double(clock.nsecsElapsed()) / 1e6;
        registry.unload(QStringLiteral("frmRecord"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["answers"] = double(answers);
    state.counters["first_ms"] = firstMs;
    WindowRegistry::instance().reset();
}

void BM_StoreStepBeforeMarking(benchmark::State &state)
{
    PracticeWindow *form = openPracticeWindow(int(state.range(0)));
    QuestionCursor *cursor = form->cursor();
    int k = 0;
    for (auto _ : state) {
        form->optionButton(++k % 4)->click();
        cursor->moveNext(); // the store step: leave the row and come back
        cursor->movePrevious();
    }
    WindowRegistry::instance().reset();
}

void BM_MarkingCounts(benchmark::State &state)
{
    enterBank(int(state.range(0)));
    // A long sitting: 1,000 answered questions spread over the bank.
    rawExec(QStringLiteral("UPDATE zk SET 批阅 = 1 + (题号 % 2), 作答 = 'B' WHERE 题号 % %1 = 0")
                .arg(state.range(0) / 1000).toUtf8().constData());
    QuestionCursor cursor;
    cursor.refresh();
    qint32 right = 0, wrong = 0;
    for (auto _ : state) {
        cursor.setRecordSource(QString::fromUtf8(QueryText::kCountRight));
        cursor.refresh();
        right = cursor.recordCount();
        cursor.setRecordSource(QString::fromUtf8(QueryText::kCountWrong));
        cursor.refresh();
        wrong = cursor.recordCount();
    }
    state.counters["marked"] = right + wrong;
    rawExec("UPDATE zk SET 批阅 = 0, 作答 = 'E' WHERE 批阅 <> 0");
}

void BM_ExitReset(benchmark::State &state)
{
    PracticeWindow *form = openPracticeWindow(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        rawExec("UPDATE zk SET 批阅 = 2, 作答 = 'C'");
        state.ResumeTiming();
        form->resetMarks();
    }
    WindowRegistry::instance().reset();
}

void BM_ExitReset_Floor(benchmark::State &state)
{
    enterBank(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2("english.db", &db, SQLITE_OPEN_READWRITE, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        rawExec("UPDATE zk SET 批阅 = 2, 作答 = 'C'");
        state.ResumeTiming();
        sqlite3_exec(db, "BEGIN; UPDATE zk SET 批阅=0, 作答='E' WHERE 批阅<>0; COMMIT;", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
}

// ---- Composition and saving ----------------------------------------------------

CompositionWindow *openCompositionWindow(int rows)
{
    openPracticeWindow(rows);
    return WindowRegistry::instance().window<CompositionWindow>(QStringLiteral("Form3"));
}

void BM_Compose200(benchmark::State &state)
{
    CompositionWindow *form = openCompositionWindow(int(state.range(0)));
    form->countBox()->setText(QStringLiteral("200"));
    for (auto _ : state)
        form->composeRandomPaper();
    state.counters["questions"] = double(form->paperAnswerBox()->toPlainText().count(QLatin1Char(';')));
    WindowRegistry::instance().reset();
}

void BM_SavePaper200(benchmark::State &state)
{
    CompositionWindow *form = openCompositionWindow(int(state.range(0)));
    form->countBox()->setText(QStringLiteral("200"));
    form->composeRandomPaper();
    auto *save = WindowRegistry::instance().window<PaperSaveWindow>(QStringLiteral("Form4"));
    save->findChild<QLineEdit *>(QStringLiteral("Text4"))->setText(QStringLiteral("paper"));
    for (auto _ : state)
        save->save(); // confirmed, written, hidden
    state.counters["bytes"] = double(QFileInfo(QStringLiteral("paper.txt")).size());
    WindowRegistry::instance().reset();
}

// ---- Importing a teacher's file ------------------------------------------------

constexpr int kImportedQuestions = 10000;

// 10,000 new questions as a spreadsheet saves them: tab-separated, code page
// 936, CR LF, with a header row, ten categories and an explanation each.
QString importFile()
{
    const QString path = QDir::temp().filePath(QStringLiteral("qvbench-import-%1.tsv").arg(kImportedQuestions));
    if (QFile::exists(path))
        return path;
    QString text = QStringLiteral("类别\t试题\tA\tB\tC\tD\t答案\t解析\r\n");
    const QString letters = QStringLiteral("ABCD");
    for (int i = 1; i <= kImportedQuestions; ++i) {
        text += QStringLiteral("导入卷%1\tImported question %2: my cousin wants to visit ______ museum near the river "
                               "this weekend.\tan\tthe\ta\t/\t%3\t第 %2 题的解析：museum 前用定冠词。\r\n")
                    .arg(i % 10, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(letters.at(i % 4));
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(CodePage::encode(text));
    return path;
}

QString bankCopyDir()
{
    return QDir::temp().filePath(QStringLiteral("qvbench-import-bank-%1").arg(QCoreApplication::applicationPid()));
}

// A copy of the generated bank that the import may change.
void enterBankCopy(int rows)
{
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QString copy = bankCopyDir();
    QDir(copy).removeRecursively();
    QDir().mkpath(copy);
    for (const QString &name : {QStringLiteral("english.db"), QStringLiteral("mulu.txt")})
        QFile::copy(QDir(bankDir(rows)).filePath(name), QDir(copy).filePath(name));
    QDir::setCurrent(copy);
    Catalogue::setPathOverride(QDir(copy).filePath(QStringLiteral("mulu.txt")));
}

// From the menu to the refreshed practice window: "导入试题…", the file read,
// decoded, parsed and checked against the bank for the preview, "导  入"
// (the same checks again, 10,000 rows written with their explanations, the
// catalogue extended), and the whole bank shown again.
void BM_ImportTsv10000(benchmark::State &state)
{
    const QString input = importFile();
    FileChooser::setChooser([input](QWidget *, const FileChooser::Request &) { return FileChooser::Choice{input, 0}; });
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        enterBankCopy(int(state.range(0)));
        auto *form = WindowRegistry::instance().window<PracticeWindow>(QStringLiteral("Form1"));
        QAction *menu = form->menuAction(QStringLiteral("DRST"));
        // Counts the values the progress bar shows.
        QList<int> values;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&values] {
            auto *window = WindowRegistry::instance().find(QStringLiteral("frmImport"));
            auto *bar = window ? window->findChild<QProgressDialog *>() : nullptr;
            if (bar && bar->isVisible() && (values.isEmpty() || values.last() != bar->value()))
                values << bar->value();
        });
        watcher.start(0);
        state.ResumeTiming();

        menu->trigger();
        WindowRegistry::instance().findWindow<QuestionImportWindow>(QStringLiteral("frmImport"))->importQuestions();

        state.PauseTiming();
        watcher.stop();
        steps = int(values.size());
        const QString expected = QStringLiteral("第1题 共%1题").arg(state.range(0) + kImportedQuestions);
        if (form->positionBox()->text() != expected)
            state.SkipWithError(qPrintable(QStringLiteral("after the import: %1").arg(form->positionBox()->text())));
        state.ResumeTiming();
    }
    state.counters["progress_steps"] = steps;
    WindowRegistry::instance().reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Catalogue::setPathOverride(QString());
    QDir::setCurrent(QDir::tempPath());
    QDir(bankCopyDir()).removeRecursively();
}

void sizes(benchmark::internal::Benchmark *b)
{
    for (int rows : kSizes)
        b->Arg(rows);
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_Refresh_All)->Apply(sizes);
BENCHMARK(BM_Refresh_All_Floor)->Apply(sizes);
BENCHMARK(BM_Refresh_Category)->Apply(sizes);
BENCHMARK(BM_Refresh_Category_Floor)->Apply(sizes);
BENCHMARK(BM_NextWithPendingPick)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextWithPendingPickExplained)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FollowExplanation)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NextWithPendingPick_LongRecord)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenRecordWindow)->Apply(sizes);
BENCHMARK(BM_StoreStepBeforeMarking)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MarkingCounts)->Apply(sizes);
BENCHMARK(BM_ExitReset)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_ExitReset_Floor)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_Compose200)->Apply(sizes);
BENCHMARK(BM_SavePaper200)->Apply(sizes);
BENCHMARK(BM_ImportTsv10000)->Apply(sizes)->Iterations(3);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MessageBox::setTestMode(true);
    registerAllWindows();
    WindowRegistry::instance().setOnEmpty([] {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
