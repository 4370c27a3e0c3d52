// The library at 1 000, 10 000 and 100 000 records against a bare loop that
// reads base.ini once, splits it and tests each path once.

#include "BenchSupport.h"
#include "LibraryFixture.h"

#include "i18n/LanguageSupport.h"
#include "library/LibraryController.h"
#include "library/ui/LibraryPage.h"
#include "library/ui/TSortGrid.h"
#include "platform/FileSystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

void BM_BareLoad(benchmark::State &state)
{
    const QString store = libraryFolder(int(state.range(0))) + QStringLiteral("/base.ini");
    for (auto _ : state) {
        QFile file(store);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const QString text =
            QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2), (bytes.size() - 2) / 2);
        qsizetype existing = 0;
        for (QStringView line : QStringTokenizer(text, u"\r\n")) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0)
                existing += FileSystem::pathExists(line.first(eq).toString());
        }
        benchmark::DoNotOptimize(existing);
    }
}

void BM_LibraryLoad(benchmark::State &state)
{
    const ProgramFolder folder(libraryFolder(int(state.range(0))));
    FixedAnswerPrompt prompt(PromptAnswer::Yes);
    for (auto _ : state) {
        LibraryController library(folder, prompt);
        library.firstLoad();
        benchmark::DoNotOptimize(library.grid().RowCount());
    }
}

void BM_SortColumn(benchmark::State &state)
{
    const ProgramFolder folder(libraryFolder(100000));
    FixedAnswerPrompt prompt(PromptAnswer::Yes);
    LibraryController library(folder, prompt);
    library.firstLoad();
    bool descending = false;
    for (auto _ : state) {
        TSortOptions options;
        options.direction = descending ? TSortDirection::sdDescending : TSortDirection::sdAscending;
        descending = !descending;
        library.grid().SortOnColumn(int(state.range(0)), options);
    }
}

void BM_CleanUp50000Invalid(benchmark::State &state)
{
    const QString source = libraryFolder(100000);
    const QString work = benchFolder() + QStringLiteral("/cleanup");
    QDir().mkpath(work);
    FixedAnswerPrompt prompt(PromptAnswer::Yes);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(work + QStringLiteral("/base.ini"));
        QFile::copy(source + QStringLiteral("/base.ini"), work + QStringLiteral("/base.ini"));
        LibraryController library{ProgramFolder(work), prompt};
        state.ResumeTiming();
        library.Button6Click();
        state.counters["records left"] = library.grid().RowCount() - 1;
    }
}

void BM_FirstPaint(benchmark::State &state)
{
    const ProgramFolder folder(libraryFolder(int(state.range(0))));
    FixedAnswerPrompt prompt(PromptAnswer::Yes);
    for (auto _ : state) {
        LibraryController library(folder, prompt);
        QWidget window;
        window.resize(591, 362);
        LibraryPage page(&window, library);
        showFirstDisplay(library, page);
        const QPixmap picture = page.grid()->grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
}

} // namespace

BENCHMARK(BM_BareLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPaint)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortColumn)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CleanUp50000Invalid)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const LanguageSupport::TranslatorScope translation{ProgramFolder()};
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (targets at 100 000: load <= 1.3x, first paint <= 1.5x the bare loop; growth 10k -> 100k "
                "<= 11x; each sort < 150 ms)\n");
    for (const char *n : {"1000", "10000", "100000"}) {
        const std::string arg(n);
        reporter.printRatio("load / bare loop at " + arg, "BM_LibraryLoad/" + arg, "BM_BareLoad/" + arg);
        reporter.printRatio("first paint / bare loop at " + arg, "BM_FirstPaint/" + arg, "BM_BareLoad/" + arg);
    }
    reporter.printRatio("load growth 10k -> 100k", "BM_LibraryLoad/100000", "BM_LibraryLoad/10000");
    reporter.printRatio("first paint growth 10k -> 100k", "BM_FirstPaint/100000", "BM_FirstPaint/10000");
    benchmark::Shutdown();
    return 0;
}
