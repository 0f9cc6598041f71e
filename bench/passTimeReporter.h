#pragma once

// The console table, remembering each benchmark's real time per iteration so that a derived
// reporter's Finalize can set a pass against its floor. With repetitions the median stands for
// a benchmark; without, its one run. Runs that ended in an error are not remembered.

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class passTimeReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            const std::string& name = run.run_name.function_name;
            if (run.error_occurred)
            {
                continue;
            }
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
            {
                m_times[name] = run.GetAdjustedRealTime();
                m_fromMedian[name] = true;
            }
            else if (run.run_type == Run::RT_Iteration && !m_fromMedian[name])
            {
                m_times[name] = run.GetAdjustedRealTime();
            }
        }
    }

protected:
    // In the benchmarks' unit; empty for a benchmark that did not run or ended in an error.
    std::optional<double> timeOf(const std::string& name) const
    {
        const auto found = m_times.find(name);
        if (found == m_times.end())
        {
            return std::nullopt;
        }
        return found->second;
    }

private:
    std::map<std::string, double> m_times;
    std::map<std::string, bool> m_fromMedian;
};
