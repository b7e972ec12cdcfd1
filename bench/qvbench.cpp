// Benchmarks of the user-visible operations on banks of 5,000, 30,000 and
// 100,000 rows, each beside its floor where one exists (the raw SQLite C API
// doing the same work in the same process).
#include "benchbank.h"
#include "practicewindow.h"
#include "compositionwindow.h"
#include "learningrecord.h"
#include "learningrecordwindow.h"
#include "papersavewindow.h"
#include "allwindows.h"
#include "messagebox.h"
#include "querytext.h"
#include "questioncursor.h"
#include "windowregistry.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

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

void BM_NextWithPendingPick(benchmark::State &state)
{
    PracticeWindow *form = openPracticeWindow(int(state.range(0)));
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
        --left;
    }
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
BENCHMARK(BM_NextWithPendingPick_LongRecord)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenRecordWindow)->Apply(sizes);
BENCHMARK(BM_StoreStepBeforeMarking)->Apply(sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MarkingCounts)->Apply(sizes);
BENCHMARK(BM_ExitReset)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_ExitReset_Floor)->Apply(sizes)->Iterations(5);
BENCHMARK(BM_Compose200)->Apply(sizes);
BENCHMARK(BM_SavePaper200)->Apply(sizes);

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
