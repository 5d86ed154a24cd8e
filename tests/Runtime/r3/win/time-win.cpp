// The Windows clock: its source choice and its read of the shared interrupt time against a
// writer that updates the value between any two of the reader's loads.
#include <qrt/time.h>

#include "r3/win/time-win-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

struct SourceCase {
    int iLine;
    RTSYSOSTYPE enmOsType;
    uint32_t uGetVersion;
    bool fPrecise;
    RTTIMEWINSOURCE enmExpect;
};

// clang-format off
const SourceCase g_aSource[] = {
    {__LINE__, RTSYSOSTYPE_WIN98,   0,          false, RTTIMEWINSOURCE_TICKS},
    {__LINE__, RTSYSOSTYPE_NT310,   0,          true,  RTTIMEWINSOURCE_TICKS},
    {__LINE__, RTSYSOSTYPE_NT350,   0,          false, RTTIMEWINSOURCE_SHARED},
    {__LINE__, RTSYSOSTYPE_W7,      0,          false, RTTIMEWINSOURCE_SHARED},
    {__LINE__, RTSYSOSTYPE_W10,     0,          true,  RTTIMEWINSOURCE_PRECISE},
    {__LINE__, RTSYSOSTYPE_NT_UNKNOWN, 0,       true,  RTTIMEWINSOURCE_PRECISE},
    // Unknown type: GetVersion's low byte is the major, the next the minor version.
    {__LINE__, RTSYSOSTYPE_UNKNOWN, 0x0a03,     true,  RTTIMEWINSOURCE_TICKS},   // 3.10
    {__LINE__, RTSYSOSTYPE_UNKNOWN, 0x3203,     false, RTTIMEWINSOURCE_SHARED},  // 3.50
    {__LINE__, RTSYSOSTYPE_UNKNOWN, 0x23F00206, false, RTTIMEWINSOURCE_SHARED},  // 6.2
    {__LINE__, RTSYSOSTYPE_UNKNOWN, 0x0000000a, true,  RTTIMEWINSOURCE_PRECISE}, // 10.0
};
// clang-format on

TEST(TimeWinSource, ChoosesByOsTypeAndVersion) {
    for (const SourceCase &c : g_aSource) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.enmExpect, rtTimeWinChooseSource(c.enmOsType, c.uGetVersion, c.fPrecise));
    }
}

// A simulated shared value: three words and a writer that changes it in the platform's order
// (High2, then Low, then High1), its steps scheduled before given loads of the reader.
struct SplitSim {
    uint32_t au[3]; // Low, High1, High2
    uint64_t uNew;
    unsigned aiBeforeLoad[3]; // writer step i happens just before this load (0-based)
    unsigned cLoads;

    void Step(unsigned iStep) {
        if (iStep == 0) au[2] = (uint32_t)(uNew >> 32);
        if (iStep == 1) au[0] = (uint32_t)uNew;
        if (iStep == 2) au[1] = (uint32_t)(uNew >> 32);
    }
    uint32_t Load(unsigned iWord) {
        for (unsigned iStep = 0; iStep < 3; iStep++)
            if (aiBeforeLoad[iStep] == cLoads) Step(iStep);
        cLoads++;
        return au[iWord];
    }
};

TEST(TimeWinShared, ReadNeverTearsAcrossACarry) {
    // Every placement of the writer's three steps among the reader's first nine loads, across
    // carries of the high word (where a torn read is off by 2^32 x 100 ns, about 429 s).
    struct {
        int iLine;
        uint64_t uOld, uNew;
    } const s_aValues[] = {
        {__LINE__, UINT64_C(0x00000001ffffffff), UINT64_C(0x0000000200000000)},
        {__LINE__, UINT64_C(0x00000001fffffff0), UINT64_C(0x0000000200000010)},
        {__LINE__, UINT64_C(0x0000000500000000), UINT64_C(0x0000000500000001)},
    };
    for (auto const &v : s_aValues) {
        SCOPED_TRACE(v.iLine);
        for (unsigned i0 = 0; i0 < 9; i0++)
            for (unsigned i1 = i0; i1 < 9; i1++)
                for (unsigned i2 = i1; i2 < 9; i2++) {
                    SplitSim Sim = {{(uint32_t)v.uOld, (uint32_t)(v.uOld >> 32), (uint32_t)(v.uOld >> 32)},
                                    v.uNew,
                                    {i0, i1, i2},
                                    0};
                    uint64_t const uRead = rtTimeWinReadSplit64([&Sim](unsigned iWord) { return Sim.Load(iWord); });
                    EXPECT_TRUE(uRead == v.uOld || uRead == v.uNew)
                        << std::hex << uRead << " with steps before loads " << i0 << "," << i1 << "," << i2;
                }
    }
}

TEST(TimeWinClock, AgreesWithTheTickCount) {
    uint64_t const uNs0 = RTTimeNanoTS();
    ULONGLONG const uTick0 = GetTickCount64();
    Sleep(200);
    uint64_t const cMsClock = (RTTimeNanoTS() - uNs0) / 1000000;
    ULONGLONG const cMsTicks = GetTickCount64() - uTick0;
    // Both step in ~16 ms; allow two steps of either.
    EXPECT_LE(cMsClock, cMsTicks + 40);
    EXPECT_GE(cMsClock + 40, cMsTicks);
}

} // namespace
