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
    int iLine;
    const char *psz;
    unsigned uBase;
    int rc;
    int64_t iValue; // the value read back at the width, widened
};

struct NarrowExCase {
    int iLine;
    const char *psz;
    unsigned uBase;
    int rc;
    int64_t iValue;
    size_t offStop;
};

void PrintTo(const NarrowCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << "line " << c.iLine << ": " << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

void PrintTo(const NarrowExCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << "line " << c.iLine << ": " << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
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
    {__LINE__, "255",      10, QINF_SUCCESS,           255},
    {__LINE__, "256",      10, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "511",      10, QWRN_NUMBER_TOO_BIG,    255},
    {__LINE__, "0xff",     16, QINF_SUCCESS,           255},
    {__LINE__, "0x100",     0, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "0377",      0, QINF_SUCCESS,           255},
    {__LINE__, "-1",       10, QWRN_NUMBER_TOO_BIG,    255}, // all ones does not fit: not a minus-sign warning
    {__LINE__, "-0",       10, QWRN_NEGATIVE_UNSIGNED,   0},
    {__LINE__, "5 ",       10, QERR_TRAILING_SPACES,     5},
    {__LINE__, "256 ",     10, QERR_TRAILING_SPACES,     0}, // a failure is never replaced
    {__LINE__, "256x",     10, QERR_TRAILING_CHARS,      0},
    {__LINE__, "254",      10, QINF_SUCCESS,           254},
    {__LINE__, "11111111",  2, QINF_SUCCESS,           255},
    {__LINE__, "100000000", 2, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "377",       8, QINF_SUCCESS,           255},
    {__LINE__, "400",       8, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "73",       36, QINF_SUCCESS,           255},
    {__LINE__, "74",       36, QWRN_NUMBER_TOO_BIG,      0},
    // A 64-bit overflow whose wrapped value would fit stays too big.
    {__LINE__, "18446744073709551616", 10, QWRN_NUMBER_TOO_BIG, 0},
    {__LINE__, "36893488147419103237", 10, QWRN_NUMBER_TOO_BIG, 5},
    {__LINE__, "",         10, QERR_NO_DIGITS,           0},
};
const NarrowCase g_aUInt16Full[] = {
    {__LINE__, "65535",    10, QINF_SUCCESS,         65535},
    {__LINE__, "65536",    10, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "0xffff",    0, QINF_SUCCESS,         65535},
    {__LINE__, "0x10001",   0, QWRN_NUMBER_TOO_BIG,      1},
    {__LINE__, "-1",       10, QWRN_NUMBER_TOO_BIG,  65535},
    {__LINE__, "-0",       10, QWRN_NEGATIVE_UNSIGNED,   0},
    {__LINE__, "1x",       10, QERR_TRAILING_CHARS,      1},
    {__LINE__, "65534",    10, QINF_SUCCESS,         65534},
    {__LINE__, "177777",    8, QINF_SUCCESS,         65535},
    {__LINE__, "200000",    8, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "1ekf",     36, QINF_SUCCESS,         65535},
    {__LINE__, "1ekg",     36, QWRN_NUMBER_TOO_BIG,      0},
    {__LINE__, "18446744073709551617", 10, QWRN_NUMBER_TOO_BIG, 1},
};
const NarrowCase g_aUInt32Full[] = {
    {__LINE__, "4294967295",           10, QINF_SUCCESS,        4294967295},
    {__LINE__, "4294967296",           10, QWRN_NUMBER_TOO_BIG,          0},
    {__LINE__, "0xffffffff",            0, QINF_SUCCESS,        4294967295},
    {__LINE__, "0x1ffffffff",           0, QWRN_NUMBER_TOO_BIG, 4294967295},
    {__LINE__, "-1",                   10, QWRN_NUMBER_TOO_BIG, 4294967295},
    {__LINE__, "-4294967295",          10, QWRN_NUMBER_TOO_BIG,          1},
    {__LINE__, "18446744073709551616", 10, QWRN_NUMBER_TOO_BIG,          0},
    {__LINE__, "7 ",                   10, QERR_TRAILING_SPACES,         7},
    {__LINE__, "4294967294",           10, QINF_SUCCESS,        4294967294},
    {__LINE__, "11111111111111111111111111111111", 2, QINF_SUCCESS, 4294967295},
    {__LINE__, "100000000000000000000000000000000", 2, QWRN_NUMBER_TOO_BIG, 0},
    {__LINE__, "37777777777",           8, QINF_SUCCESS,        4294967295},
    {__LINE__, "40000000000",           8, QWRN_NUMBER_TOO_BIG,          0},
    {__LINE__, "1z141z3",              36, QINF_SUCCESS,        4294967295},
    {__LINE__, "1z141z4",              36, QWRN_NUMBER_TOO_BIG,          0},
    {__LINE__, "18446744077709551616", 10, QWRN_NUMBER_TOO_BIG, 4000000000},
};
const NarrowCase g_aInt8Full[] = {
    {__LINE__, "127",      10, QINF_SUCCESS,           127},
    {__LINE__, "128",      10, QWRN_NUMBER_TOO_BIG,   -128},
    {__LINE__, "-128",     10, QINF_SUCCESS,          -128},
    {__LINE__, "-129",     10, QWRN_NUMBER_TOO_BIG,    127},
    {__LINE__, "255",      10, QWRN_NUMBER_TOO_BIG,     -1},
    {__LINE__, "-5",       10, QINF_SUCCESS,            -5},
    {__LINE__, "-0x80",     0, QINF_SUCCESS,          -128},
    {__LINE__, "0x7f",     16, QINF_SUCCESS,           127},
    {__LINE__, "-5 ",      10, QERR_TRAILING_SPACES,    -5},
    {__LINE__, "-",        10, QERR_NO_DIGITS,           0},
    {__LINE__, "7f",       16, QINF_SUCCESS,           127},
    {__LINE__, "80",       16, QWRN_NUMBER_TOO_BIG,   -128},
    {__LINE__, "-80",      16, QINF_SUCCESS,          -128},
    {__LINE__, "-81",      16, QWRN_NUMBER_TOO_BIG,    127},
    {__LINE__, "3j",       36, QINF_SUCCESS,           127},
    {__LINE__, "-3k",      36, QINF_SUCCESS,          -128},
    {__LINE__, "18446744073709551617",  10, QWRN_NUMBER_TOO_BIG,  1},
    {__LINE__, "-18446744073709551615", 10, QWRN_NUMBER_TOO_BIG,  1},
};
const NarrowCase g_aInt16Full[] = {
    {__LINE__, "32767",    10, QINF_SUCCESS,         32767},
    {__LINE__, "32768",    10, QWRN_NUMBER_TOO_BIG, -32768},
    {__LINE__, "-32768",   10, QINF_SUCCESS,        -32768},
    {__LINE__, "-32769",   10, QWRN_NUMBER_TOO_BIG,  32767},
    {__LINE__, "65535",    10, QWRN_NUMBER_TOO_BIG,     -1},
    {__LINE__, "--32768",  10, QWRN_NUMBER_TOO_BIG, -32768},
    {__LINE__, "77777",     8, QINF_SUCCESS,         32767},
    {__LINE__, "100000",    8, QWRN_NUMBER_TOO_BIG, -32768},
    {__LINE__, "-100000",   8, QINF_SUCCESS,        -32768},
    {__LINE__, "-100001",   8, QWRN_NUMBER_TOO_BIG,  32767},
    {__LINE__, "36893488147419103231", 10, QWRN_NUMBER_TOO_BIG, -1},
};
const NarrowCase g_aInt32Full[] = {
    {__LINE__, "2147483647",           10, QINF_SUCCESS,         2147483647},
    {__LINE__, "2147483648",           10, QWRN_NUMBER_TOO_BIG, -2147483647 - 1},
    {__LINE__, "-2147483648",          10, QINF_SUCCESS,        -2147483647 - 1},
    {__LINE__, "-2147483649",          10, QWRN_NUMBER_TOO_BIG,  2147483647},
    {__LINE__, "4294967295",           10, QWRN_NUMBER_TOO_BIG,         -1},
    {__LINE__, "9223372036854775808",  10, QWRN_NUMBER_TOO_BIG,          0},
    {__LINE__, "-0x80000000",           0, QINF_SUCCESS,        -2147483647 - 1},
    {__LINE__, "1 x",                  10, QERR_TRAILING_CHARS,          1},
    {__LINE__, "7fffffff",             16, QINF_SUCCESS,         2147483647},
    {__LINE__, "80000000",             16, QWRN_NUMBER_TOO_BIG, -2147483647 - 1},
    {__LINE__, "-80000001",            16, QWRN_NUMBER_TOO_BIG,  2147483647},
    {__LINE__, "zik0zj",               36, QINF_SUCCESS,         2147483647},
    {__LINE__, "-zik0zk",              36, QINF_SUCCESS,        -2147483647 - 1},
    {__LINE__, "zik0zk",               36, QWRN_NUMBER_TOO_BIG, -2147483647 - 1},
    {__LINE__, "21000000000000000000", 10, QWRN_NUMBER_TOO_BIG, -1154220032},
};

const NarrowExCase g_aUInt8Ex[] = {
    {__LINE__, "255",      10, QINF_SUCCESS,           255, 3},
    {__LINE__, "256",      10, QWRN_NUMBER_TOO_BIG,      0, 3},
    {__LINE__, "256x",     10, QWRN_NUMBER_TOO_BIG,      0, 3}, // replaces the trailing warning
    {__LINE__, "25 ",      10, QWRN_TRAILING_SPACES,    25, 2},
    {__LINE__, "25.",      10, QWRN_TRAILING_CHARS,     25, 2},
    {__LINE__, "-1",       10, QWRN_NUMBER_TOO_BIG,    255, 2},
    {__LINE__, "-0",       10, QWRN_NEGATIVE_UNSIGNED,   0, 2},
    {__LINE__, "0x1a:",    16, QWRN_TRAILING_CHARS,     26, 4},
    {__LINE__, "",         10, QERR_NO_DIGITS,           0, 0},
};
const NarrowExCase g_aUInt16Ex[] = {
    {__LINE__, "65535",    10, QINF_SUCCESS,         65535, 5},
    {__LINE__, "65536 ",   10, QWRN_NUMBER_TOO_BIG,      0, 5},
    {__LINE__, "-1",       10, QWRN_NUMBER_TOO_BIG,  65535, 2},
    {__LINE__, "12:",      10, QWRN_TRAILING_CHARS,     12, 2},
};
const NarrowExCase g_aUInt32Ex[] = {
    {__LINE__, "4294967295",   10, QINF_SUCCESS,        4294967295, 10},
    {__LINE__, "4294967296x",  10, QWRN_NUMBER_TOO_BIG,          0, 10},
    {__LINE__, "ffffffff,",    16, QWRN_TRAILING_CHARS, 4294967295,  8},
    {__LINE__, "-1",           10, QWRN_NUMBER_TOO_BIG, 4294967295,  2},
    {__LINE__, "-0 ",          10, QWRN_NEGATIVE_UNSIGNED,       0,  2},
};
const NarrowExCase g_aInt8Ex[] = {
    {__LINE__, "127",      10, QINF_SUCCESS,          127, 3},
    {__LINE__, "128",      10, QWRN_NUMBER_TOO_BIG,  -128, 3},
    {__LINE__, "-128 ",    10, QWRN_TRAILING_SPACES, -128, 4},
    {__LINE__, "-129x",    10, QWRN_NUMBER_TOO_BIG,   127, 4},
};
const NarrowExCase g_aInt16Ex[] = {
    {__LINE__, "32767",    10, QINF_SUCCESS,         32767, 5},
    {__LINE__, "32768",    10, QWRN_NUMBER_TOO_BIG, -32768, 5},
    {__LINE__, "-32768x",  10, QWRN_TRAILING_CHARS, -32768, 6},
    {__LINE__, "-32769",   10, QWRN_NUMBER_TOO_BIG,  32767, 6},
};
const NarrowExCase g_aInt32Ex[] = {
    {__LINE__, "2147483647",   10, QINF_SUCCESS,         2147483647, 10},
    {__LINE__, "2147483648",   10, QWRN_NUMBER_TOO_BIG, -2147483647 - 1, 10},
    {__LINE__, "-2147483648",  10, QINF_SUCCESS,        -2147483647 - 1, 11},
    {__LINE__, "-2147483649 ", 10, QWRN_NUMBER_TOO_BIG,  2147483647, 11},
    {__LINE__, "7fffffff ",    16, QWRN_TRAILING_SPACES, 2147483647,  8},
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
