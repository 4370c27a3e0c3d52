// 10 000 Translate calls on a 10 MB language file: the file is parsed once,
// then each text is one lookup, as long as the file does not change; beside
// it, 100 lookups that each open and parse the file.

#include "BenchSupport.h"

#include "i18n/LanguageSupport.h"
#include "platform/ini/TntIniFile.h"

#include <QDir>
#include <QFile>

namespace {

// A langs/big.ini of about 10 MB: 200 000 entries; returns the program folder.
QString programFolder()
{
    const QString root = benchFolder() + QStringLiteral("/translate");
    const QString file = root + QStringLiteral("/langs/big.ini");
    if (QFile::exists(file))
        return root;
    QDir().mkpath(root + QStringLiteral("/langs"));
    QByteArray text = "[Dict]\r\n";
    for (int i = 0; text.size() < 10 * 1024 * 1024; ++i)
        text += "Some English text number " + QByteArray::number(i) + "=Ein deutscher Text mit der Nummer "
                + QByteArray::number(i) + "\r\n";
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write(text);
    return root;
}

void BM_Translate10000(benchmark::State &state)
{
    LanguageSupport::TranslatorScope translation{ProgramFolder(programFolder()), QStringLiteral("big.ini")};
    for (auto _ : state) {
        qsizetype total = 0;
        for (int i = 0; i < 10000; ++i)
            total += Translate(QStringLiteral("Some English text number %1").arg(i * 17)).size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_Translate10000)->Unit(benchmark::kMillisecond)->Iterations(5);

// For comparison: a lookup that opens and parses the file for each text.
void BM_OpenPerText100(benchmark::State &state)
{
    const QString file = programFolder() + QStringLiteral("/langs/big.ini");
    for (auto _ : state) {
        qsizetype total = 0;
        for (int i = 0; i < 100; ++i)
            total += TTntIniFile(file)
                         .ReadString(QStringLiteral("Dict"), QStringLiteral("Some English text number %1").arg(i), {})
                         .size();
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_OpenPerText100)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
