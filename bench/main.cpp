// Runs the benchmarks and, after the usual report, prints each group side by side with its
// reference implementation: "BM_<Group>_<Impl>", where the reference Impl is "snprintf",
// "iconv" or "spdlog". Figures are medians when repetitions are asked for.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            bool const fMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!fMedian && run.run_type != Run::RT_Iteration) continue;
            Figure &fig = m_figures[run.run_name.function_name];
            if (fig.fMedian && !fMedian) continue;
            fig.fMedian = fMedian;
            fig.nsCpu = run.GetAdjustedCPUTime();
            auto it = run.counters.find("bytes_per_second");
            fig.bytesPerSec = it != run.counters.end() ? (double)it->second : 0.0;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::map<std::string, std::vector<std::pair<std::string, Figure>>> groups;
        for (const auto &entry : m_figures) {
            std::string name = entry.first.rfind("BM_", 0) == 0 ? entry.first.substr(3) : entry.first;
            size_t off = name.find('_');
            if (off == std::string::npos) continue;
            groups[name.substr(0, off)].emplace_back(name.substr(off + 1), entry.second);
        }
        std::printf("\nSide by side (CPU time, median of repetitions):\n");
        std::printf("%-12s %-22s %12s %10s %14s %10s\n", "group", "implementation", "ns/op", "GB/s", "time/reference",
                    "speed-up");
        for (const auto &group : groups) {
            const Figure *pRef = nullptr;
            for (const auto &impl : group.second)
                if (impl.first == "snprintf" || impl.first == "iconv" || impl.first == "spdlog") pRef = &impl.second;
            for (const auto &impl : group.second) {
                char szRate[32] = "-", szRatio[32] = "-", szSpeedUp[32] = "-";
                if (impl.second.bytesPerSec > 0)
                    std::snprintf(szRate, sizeof(szRate), "%.3f", impl.second.bytesPerSec / 1e9);
                if (pRef && pRef->nsCpu > 0 && impl.second.nsCpu > 0) {
                    std::snprintf(szRatio, sizeof(szRatio), "%.2f", impl.second.nsCpu / pRef->nsCpu);
                    std::snprintf(szSpeedUp, sizeof(szSpeedUp), "%.2fx", pRef->nsCpu / impl.second.nsCpu);
                }
                std::printf("%-12s %-22s %12.1f %10s %14s %10s\n", group.first.c_str(), impl.first.c_str(),
                            impl.second.nsCpu, szRate, szRatio, szSpeedUp);
            }
        }
    }

private:
    struct Figure {
        bool fMedian = false;
        double nsCpu = 0;
        double bytesPerSec = 0;
    };
    std::map<std::string, Figure> m_figures;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
