// The printed paper: a paper of 200 questions laid out on A4 and written as
// a PDF (layout, painting, the embedded fonts, the text map), as "导出PDF"
// makes it. The questions are generated like the benchmark banks' (a stem
// of 150-400 characters) with choices of every length, so that all three
// arrangements of the choices occur.
#include "paper.h"
#include "printlayout.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPdfWriter>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>

namespace {

PaperBuffers paperOf200()
{
    static const char *const kWords[] = {"the", "student", "library", "yesterday", "because", "would", "careful",
                                         "we", "interesting", "finish", "homework", "before", "teacher", "weekend",
                                         "travel", "quickly", "______", "museum", "if", "has", "been"};
    std::mt19937 random(20261206u);
    const auto words = [&](int minChars, int maxChars) {
        const int length = std::uniform_int_distribution<int>(minChars, maxChars)(random);
        QString text;
        while (text.size() < length)
            text += QString::fromLatin1(kWords[random() % std::size(kWords)]) + QLatin1Char(' ');
        return text.trimmed();
    };
    PaperBuffers paper;
    const QString letters = QStringLiteral("ABCD");
    for (int i = 1; i <= 200; ++i) {
        QString question = words(150, 400) + QLatin1Char('.');
        const int longest = i % 3 == 0 ? 8 : i % 3 == 1 ? 30 : 120;
        for (int c = 0; c < 4; ++c)
            question += QStringLiteral("\n%1. %2").arg(letters.at(c), words(2, longest));
        paper.append(i, question, letters.at(int(random() % 4)));
    }
    return paper;
}

void BM_LayoutPaper200(benchmark::State &state)
{
    const PaperBuffers paper = paperOf200();
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    QPdfWriter writer(&sink);
    PrintLayout::setUpPage(writer);
    int pages = 0;
    for (auto _ : state) {
        const PrintLayout::PaperLayout layout(paper, &writer);
        pages = layout.pageCount();
    }
    state.counters["pages"] = pages;
}

void BM_RenderPdf200(benchmark::State &state)
{
    const PaperBuffers paper = paperOf200();
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = PrintLayout::renderPdf(paper).size();
    state.counters["kB"] = double(bytes) / 1000;
}

} // namespace

BENCHMARK(BM_LayoutPaper200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPdf200)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The first PDF of a run also loads the faces: the user's first export.
    QElapsedTimer first;
    first.start();
    int pages = 0;
    const QByteArray pdf = PrintLayout::renderPdf(paperOf200(), &pages);
    std::printf("first PDF of 200 questions in this process: %.1f ms, %d pages, %.0f kB\n", first.nsecsElapsed() / 1e6,
                pages, pdf.size() / 1000.0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
