#pragma once

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QString>

#include <map>
#include <string>

// Records the time of every benchmark run so that main can print ratios
// against the bare loops of the same run.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override;
    double seconds(const std::string &name) const;
    // Prints "label: a / b = ratio" for two recorded benchmarks.
    void printRatio(const std::string &label, const std::string &a, const std::string &b) const;

private:
    std::map<std::string, double> m_seconds;
};

// A folder under the system's temporary folder that lives for the process.
QString benchFolder();

// Reads a whole file and splits it into lines: the least any reader of the
// file has to do. Returns the number of lines.
qsizetype bareReadAndSplit(const QString &path);
