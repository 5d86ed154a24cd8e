// The Park-Miller generator: its steps, the four kinds of 32-bit draw, bytes, wider draws,
// seeding, saving and restoring its state, and calls through handles that are not live
// generators; the shared generator's range.
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/rand.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "common/rand/rand-internal.h"

namespace {

// A generator that is destroyed at the end of the test.
class TstRand {
public:
    explicit TstRand(uint64_t u64Seed) {
        EXPECT_EQ(QINF_SUCCESS, RTRandCreateParkMiller(&m_hRand));
        EXPECT_EQ(QINF_SUCCESS, RTRandAdvSeed(m_hRand, u64Seed));
    }
    TstRand() { EXPECT_EQ(QINF_SUCCESS, RTRandCreateParkMiller(&m_hRand)); }
    ~TstRand() { EXPECT_EQ(QINF_SUCCESS, RTRandAdvDestroy(m_hRand)); }
    TstRand(const TstRand &) = delete;
    TstRand &operator=(const TstRand &) = delete;
    operator RTRAND() const { return m_hRand; }

private:
    RTRAND m_hRand = NIL_RTRAND;
};

struct StepCase {
    int iLine;
    uint32_t u32State;
    uint32_t u32Next;
};

// clang-format off
const StepCase g_aSteps[] = {
    {__LINE__, 1,          16807},
    {__LINE__, 0,          343173863},  // zero stands for 20080806 (decimal)
    {__LINE__, 20080806,   343173863},
    {__LINE__, 0x20080806, 1866912343}, // a new generator's state
    {__LINE__, 16807,      282475249},
    {__LINE__, 2147483646, 2147466840}, // the top of the cycle
};
// clang-format on

TEST(RandParkMiller, Steps) {
    for (const StepCase &c : g_aSteps) {
        SCOPED_TRACE(c.iLine);
        uint32_t u32 = c.u32State;
        EXPECT_EQ(c.u32Next, rtRandParkMillerStep(&u32));
        EXPECT_EQ(c.u32Next, u32);
    }
}

struct DrawCase {
    int iLine;
    uint64_t u64Seed;
    uint32_t u32First;
    uint32_t u32Last;
    std::vector<uint32_t> Draws;
};

const std::vector<DrawCase> &drawCases() {
    // Reference values computed independently of this code.
    static const std::vector<DrawCase> s_aCases = {
        // Full range: 31 bits of a step and two spare bits from the cache.
        {__LINE__, 1, 0, UINT32_MAX, {1073750227, 811325036, 3713697301}},
        // The step itself.
        {__LINE__, 1, 0, 0x7FFFFFFE, {16807, 282475249}},
        // Small ranges: half a step modulo the range.
        {__LINE__, 1, 0, 35, {15, 12, 20, 1}},
        {__LINE__, 0, 0, 35, {23}},
        {__LINE__, 1, 0, 0x07FFFFFE, {8403, 7019897}},
        // Wide ranges: 36 bits with six spare ones.
        {__LINE__, 1, 0, 0x0FFFFFFF, {8403, 6018668, 224036373}},
        {__LINE__, 1, 100, 0x80000063, {1073750327, 1885066960}},
        // One value.
        {__LINE__, 1, 7, 7, {7, 7}},
    };
    return s_aCases;
}

TEST(RandParkMiller, DrawsInEachKindOfRange) {
    for (const DrawCase &c : drawCases()) {
        SCOPED_TRACE(c.iLine);
        TstRand Rand(c.u64Seed);
        for (uint32_t u32Expected : c.Draws) EXPECT_EQ(u32Expected, RTRandAdvU32Ex(Rand, c.u32First, c.u32Last));
    }
}

TEST(RandParkMiller, NewGeneratorAndSeeding) {
    TstRand Fresh;
    EXPECT_EQ(1866912343u, RTRandAdvU32Ex(Fresh, 0, 0x7FFFFFFE));
    TstRand Fresh2;
    EXPECT_EQ(933456171u, RTRandAdvU32Ex(Fresh2, 0, UINT32_MAX));
    // Only the low 32 bits of the seed count, and seeding drops the spare bits.
    TstRand Seeded(UINT64_C(0x500000001));
    EXPECT_EQ(1073750227u, RTRandAdvU32Ex(Seeded, 0, UINT32_MAX));
    EXPECT_EQ(QINF_SUCCESS, RTRandAdvSeed(Seeded, 1));
    EXPECT_EQ(1073750227u, RTRandAdvU32Ex(Seeded, 0, UINT32_MAX));
}

TEST(RandParkMiller, BytesAreFullRangeDrawsInLittleEndianOrder) {
    TstRand Rand(1);
    uint8_t ab[8];
    memset(ab, 0xEE, sizeof(ab));
    RTRandAdvBytes(Rand, ab, 6);
    const uint8_t abExpected[8] = {0xD3, 0x20, 0x00, 0x40, 0x6C, 0xD6, 0xEE, 0xEE};
    EXPECT_EQ(0, memcmp(abExpected, ab, sizeof(ab)));
    RTRandAdvBytes(Rand, ab, 0);
    EXPECT_EQ(0, memcmp(abExpected, ab, sizeof(ab)));
}

TEST(RandParkMiller, SixtyFourBitDraws) {
    TstRand Rand(1);
    // Within 32 bits: the 32-bit draw of the difference.
    EXPECT_EQ(UINT64_C(1000000000000) + 15, RTRandAdvU64Ex(Rand, UINT64_C(1000000000000), UINT64_C(1000000000035)));
    for (int i = 0; i < 1000; i++) {
        uint64_t const u64 = RTRandAdvU64Ex(Rand, UINT64_C(0x100000000), UINT64_C(0x3FFFFFFFFFF));
        ASSERT_GE(u64, UINT64_C(0x100000000));
        ASSERT_LE(u64, UINT64_C(0x3FFFFFFFFFF));
    }
    // The full range uses the upper half too.
    bool fHigh = false;
    for (int i = 0; i < 64 && !fHigh; i++) fHigh = RTRandAdvU64Ex(Rand, 0, UINT64_MAX) > UINT32_MAX;
    EXPECT_TRUE(fHigh);
}

std::string tstSave(RTRAND hRand) {
    char sz[64];
    size_t cb = sizeof(sz);
    EXPECT_EQ(QINF_SUCCESS, RTRandAdvSaveState(hRand, sz, &cb));
    EXPECT_EQ(sizeof(sz), cb);
    return sz;
}

TEST(RandParkMiller, SaveAndRestore) {
    TstRand Rand;
    char sz[32];
    size_t cb = 24;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTRandAdvSaveState(Rand, sz, &cb));
    EXPECT_EQ(25u, cb);
    EXPECT_EQ("PM:20080806,00000000,00;", tstSave(Rand));

    TstRand Rand2(1);
    RTRandAdvU32Ex(Rand2, 0, UINT32_MAX);
    std::string const Saved = tstSave(Rand2);
    EXPECT_EQ("PM:10d63af1,04358ebc,1c;", Saved);
    uint32_t const u32Next = RTRandAdvU32Ex(Rand2, 0, UINT32_MAX);
    EXPECT_EQ(QINF_SUCCESS, RTRandAdvRestoreState(Rand, Saved.c_str()));
    EXPECT_EQ(Saved, tstSave(Rand));
    EXPECT_EQ(u32Next, RTRandAdvU32Ex(Rand, 0, UINT32_MAX));
}

struct RestoreCase {
    int iLine;
    const char *pszState;
};

// clang-format off
const RestoreCase g_aBadRestore[] = {
    {__LINE__, "PM:1,2,3;"},                     // short fields
    {__LINE__, "pm:20080806,00000000,00;"},      // the tag is case-sensitive
    {__LINE__, "PM:20080806,00000000,00"},       // no semicolon
    {__LINE__, "PM:20080806,00000000,00;x"},     // something after it
    {__LINE__, "PM:20080806,00000000,000;"},     // a third digit
    {__LINE__, "PM:2008080,600000000,00;"},      // a comma out of place
    {__LINE__, "PM:20080806;00000000,00;"},
    {__LINE__, "PM:20080806,00000000;00;"},
    {__LINE__, "PM:2008G806,00000000,00;"},      // not hexadecimal
    {__LINE__, "PM:-0080806,00000000,00;"},      // a sign
    {__LINE__, "PM:"},
    {__LINE__, "PM"},
    {__LINE__, ""},
};
// clang-format on

TEST(RandParkMiller, MalformedStatesChangeNothing) {
    TstRand Rand(7);
    RTRandAdvU32Ex(Rand, 0, 35);
    std::string const Before = tstSave(Rand);
    for (const RestoreCase &c : g_aBadRestore) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(QERR_PARSE_ERROR, RTRandAdvRestoreState(Rand, c.pszState));
        EXPECT_EQ(Before, tstSave(Rand));
    }
}

TEST(RandParkMiller, HandlesThatAreNoLiveGenerator) {
    // A destroyed generator carries the dead magic; it is shown on a record that was never
    // freed (a freed one must not be read).
    RTRANDINT Dead;
    memset(&Dead, 0, sizeof(Dead));
    Dead.u32Magic = RTRANDINT_MAGIC_DEAD;
    RTRANDINT Zeroed;
    memset(&Zeroed, 0, sizeof(Zeroed));
    const RTRAND s_ahBad[] = {&Dead, &Zeroed, (RTRAND)(uintptr_t)0x10, (RTRAND)(uintptr_t)-0x10};
    for (RTRAND hRand : s_ahBad) {
        SCOPED_TRACE((uintptr_t)hRand);
        EXPECT_EQ(UINT32_MAX, RTRandAdvU32Ex(hRand, 0, 35));
        EXPECT_EQ(UINT64_MAX, RTRandAdvU64Ex(hRand, 0, 35));
        EXPECT_EQ(QERR_INVALID_HANDLE, RTRandAdvSeed(hRand, 1));
        char sz[32];
        size_t cb = sizeof(sz);
        EXPECT_EQ(QERR_INVALID_HANDLE, RTRandAdvSaveState(hRand, sz, &cb));
        EXPECT_EQ(QERR_INVALID_HANDLE, RTRandAdvRestoreState(hRand, "PM:20080806,00000000,00;"));
        EXPECT_EQ(QERR_INVALID_HANDLE, RTRandAdvDestroy(hRand));
        uint8_t ab[4] = {1, 2, 3, 4};
        RTRandAdvBytes(hRand, ab, sizeof(ab));
        EXPECT_EQ(4, ab[3]);
    }
    EXPECT_EQ(RTRANDINT_MAGIC_DEAD, Dead.u32Magic);
    EXPECT_EQ(QINF_SUCCESS, RTRandAdvDestroy(NIL_RTRAND));
    EXPECT_EQ(UINT32_MAX, RTRandAdvU32Ex(NIL_RTRAND, 0, 35));
}

TEST(RandParkMiller, CreationOutOfMemory) {
    RTRAND hRand = (RTRAND)(uintptr_t)0x1234;
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_MEMORY, RTRandCreateParkMiller(&hRand));
    RTMemTestFailAfter(0);
    EXPECT_EQ(NIL_RTRAND, hRand);
}

TEST(RandShared, DrawsStayInTheirRange) {
    bool afSeen[36] = {false};
    for (int i = 0; i < 20000; i++) {
        uint32_t const u32 = RTRandU32Ex(0, 35);
        ASSERT_LE(u32, 35u);
        afSeen[u32] = true;
        uint32_t const u32b = RTRandU32Ex(10, 20);
        ASSERT_GE(u32b, 10u);
        ASSERT_LE(u32b, 20u);
    }
    for (bool fSeen : afSeen) EXPECT_TRUE(fSeen);
    EXPECT_EQ(5u, RTRandU32Ex(5, 5));
    EXPECT_NE(NIL_RTRAND, rtRandSharedHandle());
}

} // namespace
