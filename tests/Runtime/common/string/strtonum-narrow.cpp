// The 8-, 16- and 32-bit conversions at their limits, and the lenient 32-bit form.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <ostream>

namespace {

struct NarrowCase {
    const char *psz;
    unsigned uBase;
    int rc;
    int64_t iValue; // the value read back at the width, widened
};

struct NarrowExCase {
    const char *psz;
    unsigned uBase;
    int rc;
    int64_t iValue;
    size_t offStop;
};

void PrintTo(const NarrowCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

void PrintTo(const NarrowExCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

template <typename T>
void checkFull(int (*pfn)(const char *, unsigned, T *), const NarrowCase *paCases, size_t cCases) {
    for (size_t i = 0; i < cCases; i++) {
        const NarrowCase &c = paCases[i];
        SCOPED_TRACE(::testing::PrintToString(c));
        T value = (T)0x5a;
        EXPECT_EQ(pfn(c.psz, c.uBase, &value), c.rc);
        EXPECT_EQ((int64_t)value, c.iValue);
        EXPECT_EQ(pfn(c.psz, c.uBase, NULL), c.rc);
    }
}

template <typename T>
void checkEx(int (*pfn)(const char *, char **, unsigned, T *), const NarrowExCase *paCases, size_t cCases) {
    for (size_t i = 0; i < cCases; i++) {
        const NarrowExCase &c = paCases[i];
        SCOPED_TRACE(::testing::PrintToString(c));
        T value = (T)0x5a;
        char *pszNext = NULL;
        EXPECT_EQ(pfn(c.psz, &pszNext, c.uBase, &value), c.rc);
        EXPECT_EQ((int64_t)value, c.iValue);
        EXPECT_EQ(pszNext, c.psz + c.offStop);
    }
}

// clang-format off
const NarrowCase g_aUInt8Full[] = {
    {"255",      10, QINF_SUCCESS,           255},
    {"256",      10, QWRN_NUMBER_TOO_BIG,      0},
    {"511",      10, QWRN_NUMBER_TOO_BIG,    255},
    {"0xff",     16, QINF_SUCCESS,           255},
    {"0x100",     0, QWRN_NUMBER_TOO_BIG,      0},
    {"0377",      0, QINF_SUCCESS,           255},
    {"-1",       10, QWRN_NUMBER_TOO_BIG,    255}, // all ones does not fit: not a minus-sign warning
    {"-0",       10, QWRN_NEGATIVE_UNSIGNED,   0},
    {"5 ",       10, QERR_TRAILING_SPACES,     5},
    {"256 ",     10, QERR_TRAILING_SPACES,     0}, // a failure is never replaced
    {"256x",     10, QERR_TRAILING_CHARS,      0},
    {"",         10, QERR_NO_DIGITS,           0},
};
const NarrowCase g_aUInt16Full[] = {
    {"65535",    10, QINF_SUCCESS,         65535},
    {"65536",    10, QWRN_NUMBER_TOO_BIG,      0},
    {"0xffff",    0, QINF_SUCCESS,         65535},
    {"0x10001",   0, QWRN_NUMBER_TOO_BIG,      1},
    {"-1",       10, QWRN_NUMBER_TOO_BIG,  65535},
    {"-0",       10, QWRN_NEGATIVE_UNSIGNED,   0},
    {"1x",       10, QERR_TRAILING_CHARS,      1},
};
const NarrowCase g_aUInt32Full[] = {
    {"4294967295",           10, QINF_SUCCESS,        4294967295},
    {"4294967296",           10, QWRN_NUMBER_TOO_BIG,          0},
    {"0xffffffff",            0, QINF_SUCCESS,        4294967295},
    {"0x1ffffffff",           0, QWRN_NUMBER_TOO_BIG, 4294967295},
    {"-1",                   10, QWRN_NUMBER_TOO_BIG, 4294967295},
    {"-4294967295",          10, QWRN_NUMBER_TOO_BIG,          1},
    {"18446744073709551616", 10, QWRN_NUMBER_TOO_BIG,          0},
    {"7 ",                   10, QERR_TRAILING_SPACES,         7},
};
const NarrowCase g_aInt8Full[] = {
    {"127",      10, QINF_SUCCESS,           127},
    {"128",      10, QWRN_NUMBER_TOO_BIG,   -128},
    {"-128",     10, QINF_SUCCESS,          -128},
    {"-129",     10, QWRN_NUMBER_TOO_BIG,    127},
    {"255",      10, QWRN_NUMBER_TOO_BIG,     -1},
    {"-5",       10, QINF_SUCCESS,            -5},
    {"-0x80",     0, QINF_SUCCESS,          -128},
    {"0x7f",     16, QINF_SUCCESS,           127},
    {"-5 ",      10, QERR_TRAILING_SPACES,    -5},
    {"-",        10, QERR_NO_DIGITS,           0},
};
const NarrowCase g_aInt16Full[] = {
    {"32767",    10, QINF_SUCCESS,         32767},
    {"32768",    10, QWRN_NUMBER_TOO_BIG, -32768},
    {"-32768",   10, QINF_SUCCESS,        -32768},
    {"-32769",   10, QWRN_NUMBER_TOO_BIG,  32767},
    {"65535",    10, QWRN_NUMBER_TOO_BIG,     -1},
    {"--32768",  10, QWRN_NUMBER_TOO_BIG, -32768},
};
const NarrowCase g_aInt32Full[] = {
    {"2147483647",           10, QINF_SUCCESS,         2147483647},
    {"2147483648",           10, QWRN_NUMBER_TOO_BIG, -2147483647 - 1},
    {"-2147483648",          10, QINF_SUCCESS,        -2147483647 - 1},
    {"-2147483649",          10, QWRN_NUMBER_TOO_BIG,  2147483647},
    {"4294967295",           10, QWRN_NUMBER_TOO_BIG,         -1},
    {"9223372036854775808",  10, QWRN_NUMBER_TOO_BIG,          0},
    {"-0x80000000",           0, QINF_SUCCESS,        -2147483647 - 1},
    {"1 x",                  10, QERR_TRAILING_CHARS,          1},
};

const NarrowExCase g_aUInt8Ex[] = {
    {"255",      10, QINF_SUCCESS,           255, 3},
    {"256",      10, QWRN_NUMBER_TOO_BIG,      0, 3},
    {"256x",     10, QWRN_NUMBER_TOO_BIG,      0, 3}, // replaces the trailing warning
    {"25 ",      10, QWRN_TRAILING_SPACES,    25, 2},
    {"25.",      10, QWRN_TRAILING_CHARS,     25, 2},
    {"-1",       10, QWRN_NUMBER_TOO_BIG,    255, 2},
    {"-0",       10, QWRN_NEGATIVE_UNSIGNED,   0, 2},
    {"0x1a:",    16, QWRN_TRAILING_CHARS,     26, 4},
    {"",         10, QERR_NO_DIGITS,           0, 0},
};
const NarrowExCase g_aUInt16Ex[] = {
    {"65535",    10, QINF_SUCCESS,         65535, 5},
    {"65536 ",   10, QWRN_NUMBER_TOO_BIG,      0, 5},
    {"-1",       10, QWRN_NUMBER_TOO_BIG,  65535, 2},
    {"12:",      10, QWRN_TRAILING_CHARS,     12, 2},
};
const NarrowExCase g_aUInt32Ex[] = {
    {"4294967295",   10, QINF_SUCCESS,        4294967295, 10},
    {"4294967296x",  10, QWRN_NUMBER_TOO_BIG,          0, 10},
    {"ffffffff,",    16, QWRN_TRAILING_CHARS, 4294967295,  8},
    {"-1",           10, QWRN_NUMBER_TOO_BIG, 4294967295,  2},
    {"-0 ",          10, QWRN_NEGATIVE_UNSIGNED,       0,  2},
};
const NarrowExCase g_aInt8Ex[] = {
    {"127",      10, QINF_SUCCESS,          127, 3},
    {"128",      10, QWRN_NUMBER_TOO_BIG,  -128, 3},
    {"-128 ",    10, QWRN_TRAILING_SPACES, -128, 4},
    {"-129x",    10, QWRN_NUMBER_TOO_BIG,   127, 4},
};
const NarrowExCase g_aInt16Ex[] = {
    {"32767",    10, QINF_SUCCESS,         32767, 5},
    {"32768",    10, QWRN_NUMBER_TOO_BIG, -32768, 5},
    {"-32768x",  10, QWRN_TRAILING_CHARS, -32768, 6},
    {"-32769",   10, QWRN_NUMBER_TOO_BIG,  32767, 6},
};
const NarrowExCase g_aInt32Ex[] = {
    {"2147483647",   10, QINF_SUCCESS,         2147483647, 10},
    {"2147483648",   10, QWRN_NUMBER_TOO_BIG, -2147483647 - 1, 10},
    {"-2147483648",  10, QINF_SUCCESS,        -2147483647 - 1, 11},
    {"-2147483649 ", 10, QWRN_NUMBER_TOO_BIG,  2147483647, 11},
    {"7fffffff ",    16, QWRN_TRAILING_SPACES, 2147483647,  8},
};
// clang-format on

TEST(StrToNumNarrow, UInt8Full) {
    checkFull(RTStrToUInt8Full, g_aUInt8Full, RT_ELEMENTS(g_aUInt8Full));
}
TEST(StrToNumNarrow, UInt16Full) {
    checkFull(RTStrToUInt16Full, g_aUInt16Full, RT_ELEMENTS(g_aUInt16Full));
}
TEST(StrToNumNarrow, UInt32Full) {
    checkFull(RTStrToUInt32Full, g_aUInt32Full, RT_ELEMENTS(g_aUInt32Full));
}
TEST(StrToNumNarrow, Int8Full) {
    checkFull(RTStrToInt8Full, g_aInt8Full, RT_ELEMENTS(g_aInt8Full));
}
TEST(StrToNumNarrow, Int16Full) {
    checkFull(RTStrToInt16Full, g_aInt16Full, RT_ELEMENTS(g_aInt16Full));
}
TEST(StrToNumNarrow, Int32Full) {
    checkFull(RTStrToInt32Full, g_aInt32Full, RT_ELEMENTS(g_aInt32Full));
}
TEST(StrToNumNarrow, UInt8Ex) {
    checkEx(RTStrToUInt8Ex, g_aUInt8Ex, RT_ELEMENTS(g_aUInt8Ex));
}
TEST(StrToNumNarrow, UInt16Ex) {
    checkEx(RTStrToUInt16Ex, g_aUInt16Ex, RT_ELEMENTS(g_aUInt16Ex));
}
TEST(StrToNumNarrow, UInt32Ex) {
    checkEx(RTStrToUInt32Ex, g_aUInt32Ex, RT_ELEMENTS(g_aUInt32Ex));
}
TEST(StrToNumNarrow, Int8Ex) {
    checkEx(RTStrToInt8Ex, g_aInt8Ex, RT_ELEMENTS(g_aInt8Ex));
}
TEST(StrToNumNarrow, Int16Ex) {
    checkEx(RTStrToInt16Ex, g_aInt16Ex, RT_ELEMENTS(g_aInt16Ex));
}
TEST(StrToNumNarrow, Int32Ex) {
    checkEx(RTStrToInt32Ex, g_aInt32Ex, RT_ELEMENTS(g_aInt32Ex));
}

TEST(StrToNumNarrow, Int32Lenient) {
    struct {
        const char *psz;
        int32_t iExpected;
    } const aCases[] = {
        {"42", 42},
        {"-42", -42},
        {"0x10", 16},
        {"010", 8},
        {"42abc", 42},
        {"42 ", 42},
        {"=5", 0},
        {"", 0},
        {" 5", 0},
        {"4294967295", -1},                   // low 32 bits, warning ignored
        {"99999999999999999999", 1661992959}, // wrapped 64-bit value, low 32 bits
        {"-2147483648", INT32_MIN},
    };
    for (const auto &c : aCases) EXPECT_EQ(RTStrToInt32(c.psz), c.iExpected) << "'" << c.psz << "'";
    EXPECT_EQ(RTStrToInt32(NULL), 0);
}

} // namespace
