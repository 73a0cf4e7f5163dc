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
        for (const Run& run : runs)
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // The time of a benchmark by its full name; 0 when it did not run.
    double time(const std::string& name) const
    {
        const auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace hv::bench
