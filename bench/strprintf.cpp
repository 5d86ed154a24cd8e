// RTStrPrintf against the C library's snprintf (and fmt::format_to_n as a reference) on the
// installer's real message formats. Each C format is the closest plain-C spelling:
//   "%'RU64" / "%'RU32"  ->  "%'llu" / "%'u" (no grouping in the C locale, so fewer characters
//                            for C; also measured without the "'" flag)
//   "%Rrc"               ->  "%d" (the number only: C has no status-name lookup)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <iterator>

#include <fmt/format.h>

#include <qrt/err.h>
#include <qrt/format.h>

namespace {

const char g_szPath[] = "C:\\Users\\builder\\AppData\\Local\\Temp\\k3J9sQ2mXvB7pL0aZr5tY8wE\\product.msi";
const char g_szDir[] = "C:\\Users\\builder\\AppData\\Local\\Temp\\k3J9sQ2mXvB7pL0aZr5tY8wE";

// "#%u: File size of '%s' changed: %'RU64, expected %'RU32"
void BM_FileSize_RTStrPrintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        size_t cch = RTStrPrintf(szBuf, sizeof(szBuf), "#%u: File size of '%s' changed: %'RU64, expected %'RU32", 2u,
                                 g_szPath, (uint64_t)1234567890123ULL, 52428800u);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_FileSize_RTStrPrintf);

void BM_FileSize_snprintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        int cch = snprintf(szBuf, sizeof(szBuf), "#%u: File size of '%s' changed: %'llu, expected %'u", 2u, g_szPath,
                           (unsigned long long)1234567890123ULL, 52428800u);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_FileSize_snprintf);

// The same without the "'" flag, which sends the C library through its locale code.
void BM_FileSize_snprintf_nogroup(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        int cch = snprintf(szBuf, sizeof(szBuf), "#%u: File size of '%s' changed: %llu, expected %u", 2u, g_szPath,
                           (unsigned long long)1234567890123ULL, 52428800u);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_FileSize_snprintf_nogroup);

void BM_FileSize_fmt(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        auto r = fmt::format_to_n(szBuf, sizeof(szBuf) - 1, "#{}: File size of '{}' changed: {}, expected {}", 2u,
                                  g_szPath, (uint64_t)1234567890123ULL, 52428800u);
        *r.out = '\0';
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_FileSize_fmt);

// "Failed to create extraction path '%s': %Rrc"
void BM_StatusName_RTStrPrintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        size_t cch = RTStrPrintf(szBuf, sizeof(szBuf), "Failed to create extraction path '%s': %Rrc", g_szDir,
                                 (int)QERR_FILE_NOT_FOUND);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_StatusName_RTStrPrintf);

void BM_StatusName_snprintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        int cch = snprintf(szBuf, sizeof(szBuf), "Failed to create extraction path '%s': %d", g_szDir,
                           (int)QERR_FILE_NOT_FOUND);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_StatusName_snprintf);

void BM_StatusName_fmt(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        auto r = fmt::format_to_n(szBuf, sizeof(szBuf) - 1, "Failed to create extraction path '{}': {}", g_szDir,
                                  (int)QERR_FILE_NOT_FOUND);
        *r.out = '\0';
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_StatusName_fmt);

// "Version: %u.%u.%ur%u"
void BM_Version_RTStrPrintf(benchmark::State &state) {
    char szBuf[64];
    for (auto _ : state) {
        size_t cch = RTStrPrintf(szBuf, sizeof(szBuf), "Version: %u.%u.%ur%u", 7u, 1u, 14u, 165432u);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Version_RTStrPrintf);

void BM_Version_snprintf(benchmark::State &state) {
    char szBuf[64];
    for (auto _ : state) {
        int cch = snprintf(szBuf, sizeof(szBuf), "Version: %u.%u.%ur%u", 7u, 1u, 14u, 165432u);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Version_snprintf);

void BM_Version_fmt(benchmark::State &state) {
    char szBuf[64];
    for (auto _ : state) {
        auto r = fmt::format_to_n(szBuf, sizeof(szBuf) - 1, "Version: {}.{}.{}r{}", 7u, 1u, 14u, 165432u);
        *r.out = '\0';
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Version_fmt);

// A "%s"-only format.
void BM_Strings_RTStrPrintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        size_t cch = RTStrPrintf(szBuf, sizeof(szBuf), "Extracting '%s' into '%s'", "product.msi", g_szDir);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Strings_RTStrPrintf);

void BM_Strings_snprintf(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        int cch = snprintf(szBuf, sizeof(szBuf), "Extracting '%s' into '%s'", "product.msi", g_szDir);
        benchmark::DoNotOptimize(cch);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Strings_snprintf);

void BM_Strings_fmt(benchmark::State &state) {
    char szBuf[256];
    for (auto _ : state) {
        auto r = fmt::format_to_n(szBuf, sizeof(szBuf) - 1, "Extracting '{}' into '{}'", "product.msi", g_szDir);
        *r.out = '\0';
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(szBuf);
    }
}
BENCHMARK(BM_Strings_fmt);

} // namespace
