// What hostile icons cost: one icon drawn, the emblem images converted from
// ten active icons, and how long the window goes without answering while it
// paints every page. Each against the same work on the demo's own icons.
//
// The hostile icons are those of theme packages off the web: 65 535
// directory entries pointing at one 256 x 256 PNG, and one PNG of
// 5 790 x 5 790 pixels.

#include "BenchSupport.h"
#include "LibraryFixture.h"
#include "ZipBuilder.h"

#include "app/MainWindow.h"
#include "extension/icoswap/EmblemImages.h"
#include "i18n/LanguageSupport.h"
#include "platform/FileSystem.h"
#include "platform/ui/IconImages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

enum Kind { Ordinary, ManyImages, HugeImage };
const char *const kKindNames[] = {"ordinary", "65535 images", "5790 px PNG"};

QByteArray hostileIcon(Kind kind)
{
    if (kind == ManyImages)
        return ZipBuilder::pngIcon(256, 65535, QImage::Format_ARGB32);
    return ZipBuilder::pngIcon(5790, 1, QImage::Format_ARGB32);
}

void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    for (const QFileInfo &entry : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (entry.isDir())
            copyTree(entry.filePath(), to + u'/' + entry.fileName());
        else if (entry.fileName() != QStringLiteral("EmblixManager"))
            QFile::copy(entry.filePath(), to + u'/' + entry.fileName());
    }
}

// The demo folder with its ten active icons, and a theme's, of one kind.
QString programFolder(Kind kind)
{
    const QString folder = benchFolder() + QStringLiteral("/icons-%1").arg(int(kind));
    if (QDir(folder).exists())
        return folder;
    copyTree(QStringLiteral(EMBLIX_DEMO_DIR), folder);
    if (kind != Ordinary) {
        const QByteArray icon = hostileIcon(kind);
        const QString theme = folder + QStringLiteral("/themes/Hostile");
        QDir().mkpath(theme);
        for (int n = 1; n <= 10; ++n) {
            for (const QString &target :
                 {folder + QStringLiteral("/icons/%1.ico").arg(n), theme + QStringLiteral("/%1.ico").arg(n)}) {
                QFile file(target);
                file.open(QIODevice::WriteOnly | QIODevice::Truncate);
                file.write(icon);
            }
        }
        QFile::copy(
            folder + QStringLiteral("/themes/")
                + FileSystem::listFolder(folder + QStringLiteral("/themes"), FileSystem::Entries::Folders).first()
                + QStringLiteral("/plist.ini"),
            theme + QStringLiteral("/plist.ini"));
    }
    return folder;
}

void BM_DrawIcon(benchmark::State &state)
{
    const QString icon = programFolder(Kind(state.range(0))) + QStringLiteral("/icons/1.ico");
    for (auto _ : state)
        benchmark::DoNotOptimize(IconImages::nearest(icon, QSize(50, 50)));
    state.SetLabel(kKindNames[state.range(0)]);
}

void BM_ConvertEmblems(benchmark::State &state)
{
    const ProgramFolder folder(programFolder(Kind(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(EmblemImages::write(folder));
    state.SetLabel(kKindNames[state.range(0)]);
}

BENCHMARK(BM_DrawIcon)->Arg(Ordinary)->Arg(ManyImages)->Arg(HugeImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertEmblems)->Arg(Ordinary)->Arg(ManyImages)->Arg(HugeImage)->Unit(benchmark::kMillisecond);

// The longest the event loop went without answering a 5 ms ping while the
// window started, showed every page and was resized on each: what a user
// feels as a frozen window.
double longestSilenceMs(Kind kind)
{
    const ProgramFolder folder(programFolder(kind));
    const LanguageSupport::TranslatorScope translation{folder};
    FixedAnswerPrompt prompt(PromptAnswer::No);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ping;
    QObject::connect(&ping, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.nsecsElapsed() - last);
        last = clock.nsecsElapsed();
    });
    ping.start(5);
    TForm1 form(folder, prompt);
    form.present();
    for (int round = 0; round < 3; ++round) {
        for (int page = 1; page <= 5; ++page) {
            form.SelectPage(page);
            form.resize(form.width() + 1, form.height() + 1);
            form.repaint();
            QCoreApplication::processEvents();
        }
    }
    const qint64 start = clock.nsecsElapsed();
    while (clock.nsecsElapsed() - start < 50'000'000)
        QCoreApplication::processEvents();
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return double(longest) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_DATA_HOME", (benchFolder() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const Kind kind : {ManyImages, HugeImage}) {
        const std::string arg = "/" + std::to_string(int(kind));
        reporter.printRatio(std::string("draw, ") + kKindNames[kind] + " / ordinary", "BM_DrawIcon" + arg,
                            "BM_DrawIcon/0");
        reporter.printRatio(std::string("convert, ") + kKindNames[kind] + " / ordinary", "BM_ConvertEmblems" + arg,
                            "BM_ConvertEmblems/0");
    }
    longestSilenceMs(Ordinary); // the first window pays for fonts and styles
    const double floor = longestSilenceMs(Ordinary);
    for (const Kind kind : {ManyImages, HugeImage})
        std::printf("window silent at most: %s %.1f ms (ordinary icons %.1f ms)\n", kKindNames[kind],
                    longestSilenceMs(kind), floor);
    benchmark::Shutdown();
    return 0;
}
