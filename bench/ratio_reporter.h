#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace hv::bench {

// Keeps each benchmark's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
            m_cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The time of a benchmark by its full name; 0 when it did not run.
    double time(const std::string& name) const
    {
        const auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

    // The processor time of a benchmark: on a machine that other work
    // shares, the ratios of single-threaded code are steadier in it.
    double cpuTime(const std::string& name) const
    {
        const auto it = m_cpuTimes.find(name);
        return it == m_cpuTimes.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, double> m_cpuTimes;
};

}  // namespace hv::bench
