// The status table and the platform message table: lookups, markers, aliases and fallback rows.
#include <gtest/gtest.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>

#include <set>
#include <string>

#include "errlookup-internal.h"

namespace {

struct StatusCase {
    int32_t rc;
    const char *pszDefine;
    const char *pszShort;
    const char *pszFull;
};

const StatusCase g_aStatusCases[] = {
    {0, "QINF_SUCCESS", "Success.", "Success."},
    // -40 is carried by two real names; the first one defined wins.
    {-40, "QERR_TIMEOUT", "Timeout.", "Timeout."},
    {-102, "QERR_FILE_NOT_FOUND", "File not found.", "File not found."},
    {76, "QWRN_TRAILING_CHARS", "Trailing characters.", "Trailing characters."},
    {-76, "QERR_TRAILING_CHARS", "Trailing characters.", "Trailing characters."},
    {-48, "QERR_STATE_CHANGED", "The state changed.",
     "The state changed. This is a generic error message and needs a context to make sense."},
    {-226, "QERR_INTERNAL_ERROR_2", "Internal error no.", "Internal error no. 2."},
    {-438, "QERR_NET_NOT_SOCKET", "Attempted socket operation with a non-socket handle.",
     "Attempted socket operation with a non-socket handle. (This includes closed handles.)."},
    {828, "QINF_GETOPT_NOT_OPTION", "RTGetOpt: Not an option.", "RTGetOpt: Not an option."},
    {-23502, "QERR_CR_PKIX_UNKNOWN_DIGEST_TYPE", "Unknown hash digest type.", "Unknown hash digest type."},
    // A marker defined before the real code of the same value does not hide it.
    {-250, "QERR_DEV_IO_ERROR", "Unresolved (unknown) device i/o error.", "Unresolved (unknown) device i/o error."},
    {-257, "QERR_IO_GEN_FAILURE", "Device i/o: General failure.", "Device i/o: General failure."},
    // Values carried only by markers: the last marker is returned.
    {-308, "QERR_PIPE_LAST", nullptr, nullptr},
    {-829, "QERR_GETOPT_INDEX_MISSING", "RTGetOpt: Command line option needs an index.",
     "RTGetOpt: Command line option needs an index."},
    {-377, "QERR_SEM_LAST", nullptr, nullptr},
};

TEST(RTErrLookup, KnownCodes) {
    for (const auto &c : g_aStatusCases) {
        PCRTSTATUSENTRY pEntry = RTErrLookup(c.rc);
        ASSERT_NE(pEntry, nullptr);
        EXPECT_STREQ(pEntry->pszDefine, c.pszDefine) << c.rc;
        EXPECT_EQ(pEntry->iCode, c.rc);
        if (c.pszShort) {
            EXPECT_STREQ(pEntry->pszShort, c.pszShort) << c.rc;
        }
        if (c.pszFull) {
            EXPECT_STREQ(pEntry->pszFull, c.pszFull) << c.rc;
        }
    }
}

// Every real name finds a row carrying its value, and the first real row of a value is the
// one returned; markers are only returned for values no real row carries.
TEST(RTErrLookup, WholeTableObeysFirstMatchRule) {
    PCRTSTATUSENTRY paTable = rtErrStatusTable();
    size_t cRows = rtErrStatusTableSize();
    std::set<std::string> names;
    for (size_t i = 0; i < cRows; i++) {
        EXPECT_TRUE(names.insert(paTable[i].pszDefine).second) << "duplicate name " << paTable[i].pszDefine;
        PCRTSTATUSENTRY pEntry = RTErrLookup(paTable[i].iCode);
        EXPECT_EQ(pEntry->iCode, paTable[i].iCode);
        if (rtErrIsRangeMarker(paTable[i].pszDefine)) continue;
        // The returned row is the first non-marker row with this value.
        size_t iFirst = 0;
        while (paTable[iFirst].iCode != paTable[i].iCode || rtErrIsRangeMarker(paTable[iFirst].pszDefine)) iFirst++;
        EXPECT_EQ(pEntry, &paTable[iFirst]) << paTable[i].pszDefine;
        // The short message is the start of the full one.
        EXPECT_EQ(std::string(pEntry->pszFull).rfind(pEntry->pszShort, 0), 0u) << pEntry->pszDefine;
    }
}

TEST(RTErrLookup, RangeMarkerNames) {
    struct {
        const char *psz;
        bool fMarker;
    } const aCases[] = {
        {"QERR_PIPE_FIRST", true}, {"QERR_PIPE_LAST", true}, {"QERR_X_LOWEST", true}, {"QERR_X_HIGHEST", true},
        {"_FIRST", false},         {"_LAST", false},         {"_LOWEST", false},      {"_HIGHEST", false},
        {"XFIRST", false},         {"QERR_FIRSTS", false},   {"QERR_TIMEOUT", false}, {"", false},
    };
    for (const auto &c : aCases) EXPECT_EQ(rtErrIsRangeMarker(c.psz), c.fMarker) << c.psz;
}

TEST(RTErrLookup, MarkerRulesOverAnyTable) {
    const RTSTATUSENTRY aTable[] = {
        {"", "", "A_FIRST", -1}, {"", "", "REAL_ONE", -1}, {"", "", "ALIAS_ONE", -1}, {"", "", "B_FIRST", -2},
        {"", "", "B_LAST", -2},  {"", "", "REAL_TWO", -3}, {"", "", "C_LAST", -3},
    };
    EXPECT_EQ(rtErrLookupIndex(aTable, RT_ELEMENTS(aTable), -1), 1);  // first real row, past an earlier marker
    EXPECT_EQ(rtErrLookupIndex(aTable, RT_ELEMENTS(aTable), -2), 4);  // only markers: the last one
    EXPECT_EQ(rtErrLookupIndex(aTable, RT_ELEMENTS(aTable), -3), 5);  // real row before a marker
    EXPECT_EQ(rtErrLookupIndex(aTable, RT_ELEMENTS(aTable), -4), -1); // nothing
}

TEST(RTErrLookup, UnknownCodeIsFormatted) {
    PCRTSTATUSENTRY pEntry = RTErrLookup(-99999);
    EXPECT_STREQ(pEntry->pszDefine, "Unknown Status -99999 (0xfffe7961)");
    EXPECT_STREQ(pEntry->pszShort, "Unknown Status -99999 (0xfffe7961)");
    EXPECT_STREQ(pEntry->pszFull, "Unknown Status -99999 (0xfffe7961)");
    EXPECT_EQ(pEntry->iCode, 0);

    pEntry = RTErrLookup(INT32_MIN);
    EXPECT_STREQ(pEntry->pszDefine, "Unknown Status -2147483648 (0x80000000)");
    pEntry = RTErrLookup(12345);
    EXPECT_STREQ(pEntry->pszDefine, "Unknown Status 12345 (0x3039)");
}

// Four rows in rotation: the fifth unknown lookup overwrites the first one's text.
TEST(RTErrLookup, FallbackRowsRotate) {
    PCRTSTATUSENTRY apEntries[5];
    for (int i = 0; i < 5; i++) apEntries[i] = RTErrLookup(-90001 - i);
    std::set<PCRTSTATUSENTRY> distinct(apEntries, apEntries + 4);
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(apEntries[4], apEntries[0]);
    EXPECT_STREQ(apEntries[0]->pszDefine, "Unknown Status -90005 (0xfffea06b)");
    EXPECT_STREQ(apEntries[1]->pszDefine, "Unknown Status -90002 (0xfffea06e)");
    EXPECT_STREQ(apEntries[3]->pszDefine, "Unknown Status -90004 (0xfffea06c)");
    // A known code in between takes no fallback row.
    EXPECT_STREQ(RTErrLookup(-2)->pszDefine, "QERR_INVALID_PARAMETER");
    EXPECT_NE(RTErrLookup(-90006), apEntries[4]);
}

struct WinCase {
    uint32_t uValue;
    const char *pszDefine;
    const char *pszFull;
};

const WinCase g_aWinCases[] = {
    {0, "ERROR_SUCCESS", "The operation completed successfully."},
    {2, "ERROR_FILE_NOT_FOUND", "The system cannot find the file specified."},
    {5, "ERROR_ACCESS_DENIED", "Access is denied."},
    {32, "ERROR_SHARING_VIOLATION", nullptr},
    {183, "ERROR_ALREADY_EXISTS", nullptr},
    {1603, "ERROR_INSTALL_FAILURE", nullptr},
    {1619, "ERROR_INSTALL_PACKAGE_OPEN_FAILED", nullptr},
    {1620, "ERROR_INSTALL_PACKAGE_INVALID", nullptr},
    {1641, "ERROR_SUCCESS_REBOOT_INITIATED", nullptr},
    {3010, "ERROR_SUCCESS_REBOOT_REQUIRED", nullptr},
    {10054, "WSAECONNRESET", nullptr},
    {0x80070005U, "E_ACCESSDENIED", "Access is denied."},
    {0x80090008U, "NTE_BAD_ALGID", nullptr},
};

TEST(RTErrWinLookup, KnownValues) {
    for (const auto &c : g_aWinCases) {
        PCRTWINERRENTRY pEntry = RTErrWinLookup(c.uValue);
        ASSERT_NE(pEntry, nullptr);
        EXPECT_STREQ(pEntry->pszDefine, c.pszDefine) << c.uValue;
        EXPECT_EQ(pEntry->iCode, c.uValue);
        if (c.pszFull) {
            EXPECT_STREQ(pEntry->pszFull, c.pszFull);
        }
        EXPECT_NE(pEntry->pszFull[0], '\0');
    }
}

// Every value the Win32 conversion knows has a message, so diagnostics can name it.
TEST(RTErrWinLookup, TableCoversConvertedValues) {
    PCRTWINERRENTRY paTable = rtErrWinTable();
    std::set<uint32_t> values;
    for (size_t i = 0; i < rtErrWinTableSize(); i++)
        EXPECT_TRUE(values.insert(paTable[i].iCode).second) << "duplicate value " << paTable[i].iCode;
    for (uint32_t u = 1; u <= 12000; u++) {
        if (RTErrConvertFromWin32(u) != QERR_UNRESOLVED_ERROR) {
            EXPECT_TRUE(values.count(u)) << "no message for Win32 value " << u;
        }
    }
}

TEST(RTErrWinLookup, UnknownValues) {
    // Low 16 bits name a listed code: that name and the full value.
    PCRTWINERRENTRY pEntry = RTErrWinLookup(0x12340005U);
    EXPECT_STREQ(pEntry->pszDefine, "ERROR_ACCESS_DENIED 0x12340005");
    EXPECT_STREQ(pEntry->pszFull, "ERROR_ACCESS_DENIED 0x12340005");
    EXPECT_EQ(pEntry->iCode, 0u);
    pEntry = RTErrWinLookup(0x80070002U);
    EXPECT_STREQ(pEntry->pszDefine, "ERROR_FILE_NOT_FOUND 0x80070002");
    // Nothing at all.
    pEntry = RTErrWinLookup(0xDEADBEEFU);
    EXPECT_STREQ(pEntry->pszDefine, "Unknown Status 0xDEADBEEF");

    PCRTWINERRENTRY apEntries[5];
    for (int i = 0; i < 5; i++) apEntries[i] = RTErrWinLookup(0xFFFF0000U + 0xFF00 + (uint32_t)i);
    EXPECT_EQ(std::set<PCRTWINERRENTRY>(apEntries, apEntries + 4).size(), 4u);
    EXPECT_EQ(apEntries[4], apEntries[0]);
    EXPECT_STREQ(apEntries[0]->pszFull, "Unknown Status 0xFFFFFF04");
}

} // namespace
