// Version packing and the OS-type classification (pure), and the queries' agreement with the
// record they read.
#include <qrt/system.h>

#include "r3/system-internal.h"

#include <gtest/gtest.h>

namespace {

struct PackCase {
    int iLine;
    uint32_t uMajor, uMinor, uBuild;
    uint64_t uPacked;
};

// clang-format off
const PackCase g_aPack[] = {
    {__LINE__, 10, 0,      19045, UINT64_C(0x00A0000000004A65)},
    {__LINE__,  6, 3,       9600, UINT64_C(0x0060030000002580)},
    {__LINE__,  6, 1,       7601, UINT64_C(0x0060010000001DB1)},
    {__LINE__,  6, 0x1001,     1, UINT64_C(0x0060010000000001)}, // minor keeps 12 bits
    {__LINE__,  5, 1, 0xffffffff, UINT64_C(0x00500100ffffffff)}, // build keeps all 32
    {__LINE__,  0, 0,          0, 0},
};
// clang-format on

TEST(SystemNtVersion, PacksMajorMinorBuild) {
    for (const PackCase &c : g_aPack) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.uPacked, RTSYSTEM_MAKE_NT_VERSION(c.uMajor, c.uMinor, c.uBuild));
    }
}

TEST(SystemNtVersion, OrderAndTheWindows10Test) {
    // The installer's "Windows 10 or later" test looks at the upper half only.
    EXPECT_FALSE((RTSYSTEM_MAKE_NT_VERSION(6, 3, 9600) >> 32) > 0x9FFFFF);
    EXPECT_TRUE((RTSYSTEM_MAKE_NT_VERSION(10, 0, 10240) >> 32) > 0x9FFFFF);
    EXPECT_LT(RTSYSTEM_MAKE_NT_VERSION(6, 1, 7601), RTSYSTEM_MAKE_NT_VERSION(6, 2, 0));
    EXPECT_LT(RTSYSTEM_MAKE_NT_VERSION(6, 3, 0xffffffff), RTSYSTEM_MAKE_NT_VERSION(10, 0, 0));
    EXPECT_LT(RTSYSTEM_MAKE_NT_VERSION(10, 0, 19045), RTSYSTEM_MAKE_NT_VERSION(10, 0, 22621));
}

struct ClassifyCase {
    int iLine;
    uint32_t uPlatform, uMajor, uMinor, uBuild;
    uint8_t bProductType;
    uint32_t uExpect;
};

// clang-format off
const ClassifyCase g_aClassify[] = {
    // The 9x family: builds decide within a minor version.
    {__LINE__, 1, 4,  0,   949, 1,   0},
    {__LINE__, 1, 4,  0,   950, 1,   1},
    {__LINE__, 1, 4,  0,   951, 1,   2},
    {__LINE__, 1, 4,  0,  1080, 1,   2},
    {__LINE__, 1, 4,  0,  1081, 1,   3},
    {__LINE__, 1, 4,  3, 0x040003B6, 1, 1}, // only the low 16 bits of the build count
    {__LINE__, 1, 4, 10,  1997, 1,   0},
    {__LINE__, 1, 4, 10,  1998, 1,   4},
    {__LINE__, 1, 4, 10,  2182, 1,   5},
    {__LINE__, 1, 4, 10,  2183, 1,   6},
    {__LINE__, 1, 4, 90,  3000, 1,   7},
    {__LINE__, 1, 4, 50,  3000, 1,   0},
    {__LINE__, 1, 5,  0,   950, 1,   0},
    // NT 3 and 4.
    {__LINE__, 2, 3, 10,   528, 1, 100},
    {__LINE__, 2, 3, 50,   807, 1, 101},
    {__LINE__, 2, 3, 51,  1057, 1, 102},
    {__LINE__, 2, 4,  0,  1381, 3, 103},
    // 5.x: product type does not matter.
    {__LINE__, 2, 5,  0,  2195, 1, 104},
    {__LINE__, 2, 5,  1,  2600, 1, 105},
    {__LINE__, 2, 5,  2,  3790, 3, 107},
    {__LINE__, 2, 5,  7,  3790, 1, 107},
    // 6.x: workstation, server and domain controller (the last two share a code).
    {__LINE__, 2, 6,  0,  6002, 1, 108},
    {__LINE__, 2, 6,  0,  6002, 3, 109},
    {__LINE__, 2, 6,  1,  7601, 1, 110},
    {__LINE__, 2, 6,  1,  7601, 2, 111},
    {__LINE__, 2, 6,  2,  9200, 1, 112},
    {__LINE__, 2, 6,  2,  9200, 3, 113},
    {__LINE__, 2, 6,  3,  9600, 1, 114},
    {__LINE__, 2, 6,  3,  9600, 2, 115},
    {__LINE__, 2, 6,  4,  9841, 1, 116},
    {__LINE__, 2, 6,  4,  9841, 3, 117},
    {__LINE__, 2, 6,  5,  9999, 1, 199},
    // 10.0: the build splits workstations at 22000 and servers at 17763 and 20348.
    {__LINE__, 2, 10, 0, 19045, 1, 116},
    {__LINE__, 2, 10, 0, 21999, 1, 116},
    {__LINE__, 2, 10, 0, 22000, 1, 120},
    {__LINE__, 2, 10, 0, 22621, 1, 120},
    {__LINE__, 2, 10, 0, 14393, 3, 117},
    {__LINE__, 2, 10, 0, 17762, 3, 117},
    {__LINE__, 2, 10, 0, 17763, 3, 118},
    {__LINE__, 2, 10, 0, 17763, 2, 118},
    {__LINE__, 2, 10, 0, 20347, 3, 118},
    {__LINE__, 2, 10, 0, 20348, 2, 119},
    {__LINE__, 2, 10, 0, 26100, 3, 119},
    {__LINE__, 2, 10, 1, 19045, 1, 199},
    {__LINE__, 2, 11, 0, 30000, 1, 199},
    {__LINE__, 2, 2,  0,     0, 1, 199},
    // Neither family.
    {__LINE__, 0, 6,  1,  7601, 1,   0},
    {__LINE__, 3, 10, 0, 19045, 1,   0},
};
// clang-format on

TEST(SystemOsType, ClassifiesEveryRow) {
    for (const ClassifyCase &c : g_aClassify) {
        SCOPED_TRACE(c.iLine);
        RTSYSVERSIONREC Rec = {284, c.uMajor, c.uMinor, c.uBuild, c.uPlatform, c.bProductType};
        EXPECT_EQ(c.uExpect, (uint32_t)rtSystemClassifyVersion(&Rec));
    }
}

TEST(SystemOsType, EmptyRecordIsUnknown) {
    RTSYSVERSIONREC Rec = {0, 10, 0, 19045, 2, 1};
    EXPECT_EQ(RTSYSOSTYPE_UNKNOWN, rtSystemClassifyVersion(&Rec));
    Rec.cbFilled = 276; // the short form counts
    EXPECT_EQ(RTSYSOSTYPE_W10, rtSystemClassifyVersion(&Rec));
}

TEST(SystemNtVersion, QueriesReadTheProcessRecord) {
    rtSystemInitVersion();
    rtSystemInitVersion(); // a second fill changes nothing
    const RTSYSVERSIONREC *pRec = rtSystemGetVersionRec();
    if (pRec->cbFilled == 0) {
        EXPECT_EQ(0u, RTSystemGetNtVersion());
        EXPECT_EQ(0u, RTSystemGetNtProductType());
        EXPECT_EQ(RTSYSOSTYPE_UNKNOWN, rtSystemGetOsType());
    } else {
        EXPECT_EQ(RTSYSTEM_MAKE_NT_VERSION(pRec->uMajor, pRec->uMinor, pRec->uBuild), RTSystemGetNtVersion());
        EXPECT_EQ(pRec->bProductType, RTSystemGetNtProductType());
        EXPECT_EQ(rtSystemClassifyVersion(pRec), rtSystemGetOsType());
    }
}

TEST(ProcSelf, StableAndRecorded) {
    RTPROCESS const uPid = RTProcSelf();
    EXPECT_NE(~(RTPROCESS)0, uPid);
    EXPECT_NE(0u, uPid);
    EXPECT_EQ(uPid, RTProcSelf());
}

} // namespace
