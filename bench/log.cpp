// The logger's throughput to a file, lines per second, beside spdlog's synchronous basic file
// sink writing the same lines: unbuffered (every line reaches the file at once: our default,
// spdlog flushing after each line) and buffered (our "buffered" flag, spdlog's stdio buffer).
// Figures are disk- and machine-bound; only the ratio in one run means much.
#include <benchmark/benchmark.h>

#include <qrt/err.h>
#include <qrt/log.h>

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/spdlog.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

const char g_szBenchLogWord[] = "extraction";

std::string benchLogFile(const char *pszName) {
    const char *pszTmp = getenv("TMPDIR");
    return std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/qrt-bench-" + std::to_string(getpid()) + "-" + pszName +
           ".log";
}

// Instances are never destroyed: one per mode for the whole run.
PRTLOGGER benchLogger(bool fBuffered) {
    static PRTLOGGER s_apLoggers[2];
    PRTLOGGER &pLogger = s_apLoggers[fBuffered];
    if (!pLogger) {
        std::string const File = benchLogFile(fBuffered ? "qrt-buffered" : "qrt-unbuffered");
        if (RT_FAILURE(RTLogCreateEx(&pLogger, fBuffered ? RTLOGFLAGS_BUFFERED : 0, nullptr, nullptr, 0, nullptr, 0,
                                     RTLOGDEST_FILE, nullptr, 0, 0, 0, nullptr, "%s", File.c_str())))
            pLogger = nullptr;
        unlink(File.c_str()); // the open handle keeps it until the process ends
    }
    return pLogger;
}

void benchRTLog(benchmark::State &state, bool fBuffered) {
    PRTLOGGER pLogger = benchLogger(fBuffered);
    if (!pLogger) {
        state.SkipWithError("RTLogCreateEx failed");
        return;
    }
    int i = 0;
    for (auto _ : state)
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "Line %d of the run: %s done\n", i++, g_szBenchLogWord);
    RTLogFlush(pLogger);
    state.SetItemsProcessed(state.iterations());
}

void benchSpdlog(benchmark::State &state, bool fBuffered) {
    std::string const File = benchLogFile(fBuffered ? "spdlog-buffered" : "spdlog-unbuffered");
    auto pSink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(File, true);
    spdlog::logger Logger("bench", pSink);
    Logger.set_pattern("%v"); // the same text as ours: the message and a line feed
    if (!fBuffered) Logger.flush_on(spdlog::level::trace);
    int i = 0;
    for (auto _ : state) Logger.info("Line {} of the run: {} done", i++, g_szBenchLogWord);
    Logger.flush();
    unlink(File.c_str());
    state.SetItemsProcessed(state.iterations());
}

void BM_LogUnbuffered_RTLog(benchmark::State &state) {
    benchRTLog(state, false);
}
BENCHMARK(BM_LogUnbuffered_RTLog);

void BM_LogUnbuffered_spdlog(benchmark::State &state) {
    benchSpdlog(state, false);
}
BENCHMARK(BM_LogUnbuffered_spdlog);

void BM_LogBuffered_RTLog(benchmark::State &state) {
    benchRTLog(state, true);
}
BENCHMARK(BM_LogBuffered_RTLog);

void BM_LogBuffered_spdlog(benchmark::State &state) {
    benchSpdlog(state, true);
}
BENCHMARK(BM_LogBuffered_spdlog);

} // namespace
