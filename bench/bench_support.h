#pragma once

// Shared by the benchmark programs: a console reporter that also prints, after
// the run, each measured case as a ratio to a baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zema::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Prints `name` as a multiple of `baseline`'s time per iteration, and as
    // throughput relative to it when both report bytes per second.
    void compare(std::string name, std::string baseline) { pairs_.emplace_back(std::move(name), std::move(baseline)); }
    // Prints `name` as a multiple of a fixed time (`label`, `seconds` long),
    // and that time as a multiple of it: for a render, the real-time factor.
    void compareWithTime(std::string name, std::string label, double seconds)
    {
        fixed_.push_back({std::move(name), std::move(label), seconds});
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            times_[run.benchmark_name()] = run.GetAdjustedRealTime();
            unitSeconds_[run.benchmark_name()] = 1.0 / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        if (pairs_.empty() && fixed_.empty()) return;
        std::printf("\nRatios (time per iteration, lower is faster):\n");
        for (const auto& [name, baseline] : pairs_) {
            const auto a = times_.find(name);
            const auto b = times_.find(baseline);
            if (a == times_.end() || b == times_.end() || b->second <= 0) continue;
            std::printf("  %-45s = %8.3f x %s (speed %.3f of it)\n", name.c_str(), a->second / b->second,
                        baseline.c_str(), b->second / a->second);
        }
        for (const Fixed& entry : fixed_) {
            const auto a = times_.find(entry.name);
            if (a == times_.end() || a->second <= 0 || entry.seconds <= 0) continue;
            // times_ are in each benchmark's own unit.
            const double seconds = a->second * unitSeconds_[entry.name];
            std::printf("  %-45s = %8.3f x %s (%.3f s; %.1f times as fast)\n", entry.name.c_str(),
                        seconds / entry.seconds, entry.label.c_str(), entry.seconds, entry.seconds / seconds);
        }
    }

private:
    struct Fixed {
        std::string name;
        std::string label;
        double seconds = 0;
    };
    std::vector<std::pair<std::string, std::string>> pairs_;
    std::vector<Fixed> fixed_;
    std::map<std::string, double> unitSeconds_;
    std::map<std::string, double> times_;
};

// Runs the registered benchmarks with `reporter`; use from main().
inline int runWith(int argc, char** argv, RatioReporter& reporter)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace zema::bench
