// The integer conversions against the C library's strtoull on the kinds of number the runtime
// reads: option values and logger settings (short decimals, 32-bit limits, hex masks) and
// 64-bit limits. The C library skips blanks and accepts a locale, so it does slightly
// different work; it is a yardstick, not a drop-in equivalent.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>

#include <qrt/strtonum.h>

namespace {

const char *const g_apszDecimal[] = {
    "0", "7", "42", "1000", "65535", "4294967295", "123456789012", "9223372036854775807", "18446744073709551615",
};
const char *const g_apszHex[] = {
    "0", "f", "1F", "ffff", "0x7fffffff", "0xdeadbeef", "123456789abc", "0x7fffffffffffffff", "ffffffffffffffff",
};

void BM_StrToNumDec_RTStrToUInt64Ex(benchmark::State &state) {
    for (auto _ : state)
        for (const char *psz : g_apszDecimal) {
            uint64_t u64;
            char *pszNext;
            int rc = RTStrToUInt64Ex(psz, &pszNext, 10, &u64);
            benchmark::DoNotOptimize(rc);
            benchmark::DoNotOptimize(u64);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)std::size(g_apszDecimal));
}
BENCHMARK(BM_StrToNumDec_RTStrToUInt64Ex);

void BM_StrToNumDec_strtoull(benchmark::State &state) {
    for (auto _ : state)
        for (const char *psz : g_apszDecimal) {
            char *pszNext;
            unsigned long long u64 = std::strtoull(psz, &pszNext, 10);
            benchmark::DoNotOptimize(u64);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)std::size(g_apszDecimal));
}
BENCHMARK(BM_StrToNumDec_strtoull);

void BM_StrToNumHex_RTStrToUInt64Ex(benchmark::State &state) {
    for (auto _ : state)
        for (const char *psz : g_apszHex) {
            uint64_t u64;
            char *pszNext;
            int rc = RTStrToUInt64Ex(psz, &pszNext, 16, &u64);
            benchmark::DoNotOptimize(rc);
            benchmark::DoNotOptimize(u64);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)std::size(g_apszHex));
}
BENCHMARK(BM_StrToNumHex_RTStrToUInt64Ex);

void BM_StrToNumHex_strtoull(benchmark::State &state) {
    for (auto _ : state)
        for (const char *psz : g_apszHex) {
            char *pszNext;
            unsigned long long u64 = std::strtoull(psz, &pszNext, 16);
            benchmark::DoNotOptimize(u64);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)std::size(g_apszHex));
}
BENCHMARK(BM_StrToNumHex_strtoull);

// The narrow full form the option parser uses for its 32-bit values.
void BM_StrToNumFull32_RTStrToUInt32Full(benchmark::State &state) {
    for (auto _ : state)
        for (const char *psz : g_apszDecimal) {
            uint32_t u32;
            int rc = RTStrToUInt32Full(psz, 10, &u32);
            benchmark::DoNotOptimize(rc);
            benchmark::DoNotOptimize(u32);
        }
    state.SetItemsProcessed(state.iterations() * (int64_t)std::size(g_apszDecimal));
}
BENCHMARK(BM_StrToNumFull32_RTStrToUInt32Full);

} // namespace
