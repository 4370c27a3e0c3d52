#include "BenchSupport.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>

void RatioReporter::ReportRuns(const std::vector<Run> &runs)
{
    for (const Run &run : runs) {
        if (run.run_type == Run::RT_Iteration && run.error_occurred == false)
            m_seconds[run.benchmark_name()] =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
}

double RatioReporter::seconds(const std::string &name) const
{
    const auto it = m_seconds.find(name);
    return it == m_seconds.end() ? 0.0 : it->second;
}

void RatioReporter::printRatio(const std::string &label, const std::string &a, const std::string &b) const
{
    const double ta = seconds(a);
    const double tb = seconds(b);
    if (ta <= 0 || tb <= 0) {
        std::printf("%-44s (not run)\n", label.c_str());
        return;
    }
    std::printf("%-44s %10.3f ms / %10.3f ms = %6.2f\n", label.c_str(), ta * 1e3, tb * 1e3, ta / tb);
}

QString benchFolder()
{
    static QTemporaryDir dir;
    return dir.path();
}

qsizetype bareReadAndSplit(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    benchmark::DoNotOptimize(lines.constData());
    return lines.size();
}
