// Loading and deleting through TTntIniFile against the bare cost of reading
// the same file and splitting its lines.

#include "BenchSupport.h"

#include "platform/ini/TntIniFile.h"

#include <QFile>

#include <cstdio>

namespace {

QString storePath(int keys)
{
    const QString path = benchFolder() + QStringLiteral("/base-%1.ini").arg(keys);
    if (QFile::exists(path))
        return path;
    QByteArray text = "[Files]\r\n";
    for (int i = 0; i < keys; ++i) {
        text += QStringLiteral("C:\\Users\\someone\\Documents\\Projekt %1\\Datei-%2.txt=%3\r\n")
                    .arg(i / 100)
                    .arg(i)
                    .arg(1 + i % 10)
                    .toUtf8();
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

void BM_IniLoad(benchmark::State &state)
{
    const QString path = storePath(int(state.range(0)));
    for (auto _ : state) {
        TTntIniFile ini(path);
        QStringList keys;
        ini.ReadSection(QStringLiteral("Files"), keys);
        qsizetype total = 0;
        for (const QString &key : keys)
            total += ini.ReadString(QStringLiteral("Files"), key, QStringLiteral("0")).size();
        benchmark::DoNotOptimize(total);
    }
}

void BM_BareLoop(benchmark::State &state)
{
    const QString path = storePath(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bareReadAndSplit(path));
}

void BM_IniDeleteTenPercent(benchmark::State &state)
{
    const QString source = storePath(int(state.range(0)));
    const QString path = benchFolder() + QStringLiteral("/delete.ini");
    QStringList keys;
    TTntIniFile(source).ReadSection(QStringLiteral("Files"), keys);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path);
        QFile::copy(source, path);
        state.ResumeTiming();
        TTntIniFile ini(path);
        for (qsizetype i = 0; i < keys.size(); i += 10)
            ini.DeleteKey(QStringLiteral("Files"), keys[i]);
        ini.UpdateFile();
    }
}

} // namespace

BENCHMARK(BM_BareLoop)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IniDeleteTenPercent)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (target: load <= 2x the bare loop at 100 000 keys; 10k -> 100k growth <= 11x)\n");
    for (const char *n : {"1000", "10000", "100000"}) {
        const std::string arg(n);
        reporter.printRatio("load / bare loop at " + arg, "BM_IniLoad/" + arg, "BM_BareLoop/" + arg);
        reporter.printRatio("delete 10% / bare loop at " + arg, "BM_IniDeleteTenPercent/" + arg, "BM_BareLoop/" + arg);
    }
    reporter.printRatio("load growth 10k -> 100k", "BM_IniLoad/100000", "BM_IniLoad/10000");
    reporter.printRatio("delete growth 10k -> 100k", "BM_IniDeleteTenPercent/100000", "BM_IniDeleteTenPercent/10000");
    benchmark::Shutdown();
    return 0;
}
