// The 64-bit integer conversions: signs, bases, prefixes, limits, trailing text.
#include <qrt/err.h>
#include <qrt/strtonum.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct ExCase {
    int iLine;
    const char *psz;
    unsigned uBase;
    int rc;
    uint64_t uValue; // the bits stored, for both signednesses
    size_t offStop;
};

void PrintTo(const ExCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << "line " << c.iLine << ": " << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

const uint64_t kuMax = UINT64_MAX;
const uint64_t kuSignBit = UINT64_C(1) << 63;

// clang-format off
const ExCase g_aUInt64Ex[] = {
    // No digits.
    {__LINE__, "",                        0, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "-",                       0, QERR_NO_DIGITS,         0, 1},
    {__LINE__, "+-+",                    10, QERR_NO_DIGITS,         0, 3},
    {__LINE__, " 5",                      0, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "\t5",                    10, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "x",                      16, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "\xC3\xA9",                0, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "1",                       1, QERR_NO_DIGITS,         0, 0},
    // Base detection and prefixes.
    {__LINE__, "0x",                      0, QWRN_TRAILING_CHARS,    0, 1},
    {__LINE__, "0x1G",                   16, QWRN_TRAILING_CHARS,    1, 3},
    {__LINE__, "0x1f",                    0, QINF_SUCCESS,          31, 4},
    {__LINE__, "0X1F",                    0, QINF_SUCCESS,          31, 4},
    {__LINE__, "0x1f",                   16, QINF_SUCCESS,          31, 4},
    {__LINE__, "1f",                     16, QINF_SUCCESS,          31, 2},
    {__LINE__, "0x1f",                   10, QWRN_TRAILING_CHARS,    0, 1},
    {__LINE__, "0x1f",                    8, QWRN_TRAILING_CHARS,    0, 1},
    {__LINE__, "0xg",                    16, QWRN_TRAILING_CHARS,    0, 1},
    {__LINE__, "017",                     0, QINF_SUCCESS,          15, 3},
    {__LINE__, "017",                    10, QINF_SUCCESS,          17, 3},
    {__LINE__, "08",                      0, QINF_SUCCESS,           8, 2},
    {__LINE__, "09",                      0, QINF_SUCCESS,           9, 2},
    {__LINE__, "0",                       0, QINF_SUCCESS,           0, 1},
    {__LINE__, "00",                      0, QINF_SUCCESS,           0, 2},
    {__LINE__, "019",                     0, QWRN_TRAILING_CHARS,    1, 2},
    {__LINE__, "0b101",                   0, QWRN_TRAILING_CHARS,    0, 1},
    {__LINE__, "101",                     2, QINF_SUCCESS,           5, 3},
    {__LINE__, "12",                      2, QWRN_TRAILING_CHARS,    1, 1},
    {__LINE__, "777",                     8, QINF_SUCCESS,         511, 3},
    {__LINE__, "zZ",                     35, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "yY",                     35, QINF_SUCCESS,        34 * 35 + 34, 2},
    {__LINE__, "000",                     1, QINF_SUCCESS,           0, 3},
    // Bases the table does not cover read the digits of base 36 and never the terminator.
    {__LINE__, "zZ",                     36, QINF_SUCCESS,        35 * 36 + 35, 2},
    {__LINE__, "z",                     300, QINF_SUCCESS,          35, 1},
    {__LINE__, "11",             4294967295U, QINF_SUCCESS, UINT64_C(4294967296), 2},
    {__LINE__, "1 ",             4294967295U, QWRN_TRAILING_SPACES,  1, 1},
    // Limits.
    {__LINE__, "18446744073709551615",    0, QINF_SUCCESS,       kuMax, 20},
    {__LINE__, "18446744073709551616",    0, QWRN_NUMBER_TOO_BIG,    0, 20},
    {__LINE__, "184467440737095516150",  10, QWRN_NUMBER_TOO_BIG, kuMax - 9, 21},
    {__LINE__, "0xffffffffffffffff",      0, QINF_SUCCESS,       kuMax, 18},
    {__LINE__, "0x10000000000000000",     0, QWRN_NUMBER_TOO_BIG,    0, 19},
    {__LINE__, "01777777777777777777777", 0, QINF_SUCCESS,       kuMax, 23},
    {__LINE__, "02000000000000000000000", 0, QWRN_NUMBER_TOO_BIG,    0, 23},
    {__LINE__, "1111111111111111111111111111111111111111111111111111111111111111", 2, QINF_SUCCESS, kuMax, 64},
    {__LINE__, "10000000000000000000000000000000000000000000000000000000000000000", 2, QWRN_NUMBER_TOO_BIG, 0, 65},
    // Overflows that only the shift test sees (the wrapped value is not below the old one).
    {__LINE__, "30000000000000000000",   10, QWRN_NUMBER_TOO_BIG, UINT64_C(11553255926290448384), 20},
    {__LINE__, "0x11111111111111111",     0, QWRN_NUMBER_TOO_BIG, UINT64_C(0x1111111111111111), 19},
    // Overflows whose wrapped value is neither below the old value nor caught by a shift of it:
    // every one is reported, and the value modulo 2^64 is stored.
    {__LINE__, "21000000000000000000",   10, QWRN_NUMBER_TOO_BIG, UINT64_C(2553255926290448384), 20},
    {__LINE__, "23058430092136939519",   10, QWRN_NUMBER_TOO_BIG, UINT64_C(4611686018427387903), 20},
    {__LINE__, "23058430092136939519",    0, QWRN_NUMBER_TOO_BIG, UINT64_C(4611686018427387903), 20},
    {__LINE__, "46fiq7wctips7",          36, QWRN_NUMBER_TOO_BIG, UINT64_C(1353255926290448391), 13},
    {__LINE__, "zzzzzzzzzzzzz",          36, QWRN_NUMBER_TOO_BIG, UINT64_C(4561031516192243711), 13},
    // UINT64_MAX and its neighbours in each base the runtime and its tests use.
    {__LINE__, "1111111111111111111111111111111111111111111111111111111111111110", 2, QINF_SUCCESS, kuMax - 1, 64},
    {__LINE__, "10000000000000000000000000000000000000000000000000000000000000001", 2, QWRN_NUMBER_TOO_BIG, 1, 65},
    {__LINE__, "1777777777777777777776",  8, QINF_SUCCESS,       kuMax - 1, 22},
    {__LINE__, "1777777777777777777777",  8, QINF_SUCCESS,       kuMax, 22},
    {__LINE__, "2000000000000000000000",  8, QWRN_NUMBER_TOO_BIG,    0, 22},
    {__LINE__, "2000000000000000000001",  8, QWRN_NUMBER_TOO_BIG,    1, 22},
    {__LINE__, "18446744073709551614",   10, QINF_SUCCESS,       kuMax - 1, 20},
    {__LINE__, "18446744073709551615",   10, QINF_SUCCESS,       kuMax, 20},
    {__LINE__, "18446744073709551616",   10, QWRN_NUMBER_TOO_BIG,    0, 20},
    {__LINE__, "18446744073709551617",   10, QWRN_NUMBER_TOO_BIG,    1, 20},
    {__LINE__, "36893488147419103231",   10, QWRN_NUMBER_TOO_BIG, kuMax, 20},
    {__LINE__, "fffffffffffffffe",       16, QINF_SUCCESS,       kuMax - 1, 16},
    {__LINE__, "FFFFFFFFFFFFFFFF",       16, QINF_SUCCESS,       kuMax, 16},
    {__LINE__, "10000000000000000",      16, QWRN_NUMBER_TOO_BIG,    0, 17},
    {__LINE__, "0x10000000000000001",    16, QWRN_NUMBER_TOO_BIG,    1, 19},
    {__LINE__, "3w5e11264sgse",          36, QINF_SUCCESS,       kuMax - 1, 13},
    {__LINE__, "3W5E11264SGSF",          36, QINF_SUCCESS,       kuMax, 13},
    {__LINE__, "3w5e11264sgsg",          36, QWRN_NUMBER_TOO_BIG,    0, 13},
    {__LINE__, "3w5e11264sgsh",          36, QWRN_NUMBER_TOO_BIG,    1, 13},
    // An overflow hides a minus sign and the trailing text; the wrapped value is negated.
    {__LINE__, "-21000000000000000000",  10, QWRN_NUMBER_TOO_BIG, UINT64_C(15893488147419103232), 21},
    {__LINE__, "21000000000000000000 ",  10, QWRN_NUMBER_TOO_BIG, UINT64_C(2553255926290448384), 20},
    // Signs.
    {__LINE__, "-5",                     10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {__LINE__, "+-5",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 3},
    {__LINE__, "--5",                    10, QINF_SUCCESS,           5, 3},
    {__LINE__, "-+5",                    10, QINF_SUCCESS,           5, 3},
    {__LINE__, "+5",                     10, QINF_SUCCESS,           5, 2},
    {__LINE__, "-0",                      0, QWRN_NEGATIVE_UNSIGNED, 0, 2},
    {__LINE__, "-0x10",                   0, QWRN_NEGATIVE_UNSIGNED, kuMax - 15, 5},
    {__LINE__, "-18446744073709551616",  10, QWRN_NUMBER_TOO_BIG,    0, 21},
    // Trailing text; after a warning it is left unclassified.
    {__LINE__, "5 ",                     10, QWRN_TRAILING_SPACES,   5, 1},
    {__LINE__, "5 \t ",                  10, QWRN_TRAILING_SPACES,   5, 1},
    {__LINE__, "5x",                     10, QWRN_TRAILING_CHARS,    5, 1},
    {__LINE__, "5 x",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {__LINE__, "5\n",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {__LINE__, "5:",                     10, QWRN_TRAILING_CHARS,    5, 1},
    {__LINE__, "5.0",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {__LINE__, "-5 ",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {__LINE__, "-5x",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {__LINE__, "18446744073709551616x",  10, QWRN_NUMBER_TOO_BIG,    0, 20},
};

const ExCase g_aInt64Ex[] = {
    {__LINE__, "",                        0, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "-",                       0, QERR_NO_DIGITS,         0, 1},
    {__LINE__, " -1",                     0, QERR_NO_DIGITS,         0, 0},
    {__LINE__, "0",                       0, QINF_SUCCESS,           0, 1},
    {__LINE__, "-5",                     10, QINF_SUCCESS,  (uint64_t)-5, 2},
    {__LINE__, "+-5",                    10, QINF_SUCCESS,  (uint64_t)-5, 3},
    {__LINE__, "--5",                    10, QINF_SUCCESS,           5, 3},
    {__LINE__, "-0",                     10, QINF_SUCCESS,           0, 2},
    {__LINE__, "-0x10",                   0, QINF_SUCCESS, (uint64_t)-16, 5},
    {__LINE__, "-010",                    0, QINF_SUCCESS,  (uint64_t)-8, 4},
    {__LINE__, "-0x1f",                  16, QINF_SUCCESS, (uint64_t)-31, 5},
    {__LINE__, "9223372036854775807",    10, QINF_SUCCESS, kuSignBit - 1, 19},
    {__LINE__, "9223372036854775808",    10, QWRN_NUMBER_TOO_BIG, kuSignBit, 19},
    {__LINE__, "-9223372036854775808",   10, QINF_SUCCESS,   kuSignBit, 20},
    {__LINE__, "-9223372036854775809",   10, QWRN_NUMBER_TOO_BIG, kuSignBit - 1, 20},
    {__LINE__, "0x7fffffffffffffff",      0, QINF_SUCCESS, kuSignBit - 1, 18},
    {__LINE__, "0x8000000000000000",     16, QWRN_NUMBER_TOO_BIG, kuSignBit, 18},
    {__LINE__, "-0x8000000000000000",    16, QINF_SUCCESS,   kuSignBit, 19},
    {__LINE__, "18446744073709551615",   10, QWRN_NUMBER_TOO_BIG, kuMax, 20},
    {__LINE__, "-18446744073709551615",  10, QWRN_NUMBER_TOO_BIG,    1, 21},
    {__LINE__, "18446744073709551616",   10, QWRN_NUMBER_TOO_BIG,    0, 20},
    // No minus-sign warning on a signed conversion, so the trailing text is classified.
    {__LINE__, "-5 ",                    10, QWRN_TRAILING_SPACES, (uint64_t)-5, 2},
    {__LINE__, "-5x",                    10, QWRN_TRAILING_CHARS,  (uint64_t)-5, 2},
    {__LINE__, "9223372036854775808 ",   10, QWRN_NUMBER_TOO_BIG, kuSignBit, 19},
    // A magnitude beyond 64 bits is too big even when its wrapped value fits the sign.
    {__LINE__, "21000000000000000000",   10, QWRN_NUMBER_TOO_BIG, UINT64_C(2553255926290448384), 20},
    {__LINE__, "-21000000000000000000",  10, QWRN_NUMBER_TOO_BIG, UINT64_C(15893488147419103232), 21},
    {__LINE__, "23058430092136939519x",  10, QWRN_NUMBER_TOO_BIG, UINT64_C(4611686018427387903), 20},
    {__LINE__, "18446744073709551617",   10, QWRN_NUMBER_TOO_BIG,    1, 20},
    {__LINE__, "-27670116110564327424",  10, QWRN_NUMBER_TOO_BIG, kuSignBit, 21},
    // The signed limits in the other bases.
    {__LINE__, "111111111111111111111111111111111111111111111111111111111111111", 2, QINF_SUCCESS, kuSignBit - 1, 63},
    {__LINE__, "-1000000000000000000000000000000000000000000000000000000000000000", 2, QINF_SUCCESS, kuSignBit, 65},
    {__LINE__, "777777777777777777777",   8, QINF_SUCCESS, kuSignBit - 1, 21},
    {__LINE__, "1000000000000000000000",  8, QWRN_NUMBER_TOO_BIG, kuSignBit, 22},
    {__LINE__, "-1000000000000000000000", 8, QINF_SUCCESS, kuSignBit, 23},
    {__LINE__, "1y2p0ij32e8e7",          36, QINF_SUCCESS, kuSignBit - 1, 13},
    {__LINE__, "1y2p0ij32e8e8",          36, QWRN_NUMBER_TOO_BIG, kuSignBit, 13},
    {__LINE__, "-1y2p0ij32e8e8",         36, QINF_SUCCESS, kuSignBit, 14},
    {__LINE__, "-1y2p0ij32e8e9",         36, QWRN_NUMBER_TOO_BIG, kuSignBit - 1, 14},
};
// clang-format on

class UInt64Ex : public ::testing::TestWithParam<ExCase> {};
class Int64Ex : public ::testing::TestWithParam<ExCase> {};

TEST_P(UInt64Ex, StatusValueAndStop) {
    const ExCase &c = GetParam();
    SCOPED_TRACE(::testing::PrintToString(c));
    uint64_t u64 = 0x5a5a5a5a;
    char *pszNext = NULL;
    EXPECT_EQ(RTStrToUInt64Ex(c.psz, &pszNext, c.uBase, &u64), c.rc);
    EXPECT_EQ(u64, c.uValue);
    EXPECT_EQ(pszNext, c.psz + c.offStop);
}

TEST_P(Int64Ex, StatusValueAndStop) {
    const ExCase &c = GetParam();
    SCOPED_TRACE(::testing::PrintToString(c));
    int64_t i64 = 0x5a5a5a5a;
    char *pszNext = NULL;
    EXPECT_EQ(RTStrToInt64Ex(c.psz, &pszNext, c.uBase, &i64), c.rc);
    EXPECT_EQ((uint64_t)i64, c.uValue);
    EXPECT_EQ(pszNext, c.psz + c.offStop);
}

INSTANTIATE_TEST_SUITE_P(Table, UInt64Ex, ::testing::ValuesIn(g_aUInt64Ex));
INSTANTIATE_TEST_SUITE_P(Table, Int64Ex, ::testing::ValuesIn(g_aInt64Ex));

struct FullCase {
    int iLine;
    const char *psz;
    unsigned uBase;
    int rcUnsigned;
    int rcSigned;
    uint64_t uValue; // bits stored by both
};

void PrintTo(const FullCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << "line " << c.iLine << ": " << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

// clang-format off
const FullCase g_aFull[] = {
    {__LINE__, "5",                      10, QINF_SUCCESS,           QINF_SUCCESS,          5},
    {__LINE__, "0x1f",                    0, QINF_SUCCESS,           QINF_SUCCESS,         31},
    {__LINE__, "0x",                      0, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   0},
    {__LINE__, "",                       10, QERR_NO_DIGITS,         QERR_NO_DIGITS,        0},
    {__LINE__, " 5",                     10, QERR_NO_DIGITS,         QERR_NO_DIGITS,        0},
    {__LINE__, "5 ",                     10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES,  5},
    {__LINE__, "5\t",                    10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES,  5},
    {__LINE__, "5x",                     10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   5},
    {__LINE__, "5 x",                    10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   5},
    {__LINE__, "-5",                     10, QWRN_NEGATIVE_UNSIGNED, QINF_SUCCESS, (uint64_t)-5},
    {__LINE__, "-5 ",                    10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, (uint64_t)-5},
    {__LINE__, "-5 \t",                  10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, (uint64_t)-5},
    {__LINE__, "-5x",                    10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  (uint64_t)-5},
    {__LINE__, "-5 x",                   10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  (uint64_t)-5},
    {__LINE__, "18446744073709551615",   10, QINF_SUCCESS,           QWRN_NUMBER_TOO_BIG,  kuMax},
    {__LINE__, "18446744073709551616",   10, QWRN_NUMBER_TOO_BIG,    QWRN_NUMBER_TOO_BIG,  0},
    {__LINE__, "18446744073709551616 ",  10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, 0},
    {__LINE__, "18446744073709551616y",  10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  0},
    {__LINE__, "9223372036854775808",    10, QINF_SUCCESS,           QWRN_NUMBER_TOO_BIG,  kuSignBit},
    {__LINE__, "9223372036854775808 ",   10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, kuSignBit},
    {__LINE__, "-9223372036854775808",   10, QWRN_NEGATIVE_UNSIGNED, QINF_SUCCESS,         kuSignBit},
    {__LINE__, "21000000000000000000",   10, QWRN_NUMBER_TOO_BIG,    QWRN_NUMBER_TOO_BIG,  UINT64_C(2553255926290448384)},
    {__LINE__, "21000000000000000000 ",  10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, UINT64_C(2553255926290448384)},
    {__LINE__, "3w5e11264sgsg!",         36, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  0},
};
// clang-format on

class Full64 : public ::testing::TestWithParam<FullCase> {};

TEST_P(Full64, UnsignedAndSigned) {
    const FullCase &c = GetParam();
    SCOPED_TRACE(::testing::PrintToString(c));
    uint64_t u64 = 0x5a5a5a5a;
    EXPECT_EQ(RTStrToUInt64Full(c.psz, c.uBase, &u64), c.rcUnsigned);
    EXPECT_EQ(u64, c.uValue);
    int64_t i64 = 0x5a5a5a5a;
    EXPECT_EQ(RTStrToInt64Full(c.psz, c.uBase, &i64), c.rcSigned);
    EXPECT_EQ((uint64_t)i64, c.uValue);
}

INSTANTIATE_TEST_SUITE_P(Table, Full64, ::testing::ValuesIn(g_aFull));

TEST(StrToNum64, OutputsAreOptional) {
    EXPECT_EQ(RTStrToUInt64Ex("12x", NULL, 10, NULL), QWRN_TRAILING_CHARS);
    EXPECT_EQ(RTStrToInt64Ex("-12 ", NULL, 10, NULL), QWRN_TRAILING_SPACES);
    EXPECT_EQ(RTStrToUInt64Full("12 ", 10, NULL), QERR_TRAILING_SPACES);
    EXPECT_EQ(RTStrToInt64Full("", 10, NULL), QERR_NO_DIGITS);
}

TEST(StrToNum64, AbsentTextIsRejectedAndZeroStored) {
    uint64_t u64 = 1;
    int64_t i64 = 1;
    EXPECT_EQ(RTStrToUInt64Ex(NULL, NULL, 10, &u64), QERR_INVALID_PARAMETER);
    EXPECT_EQ(u64, 0u);
    EXPECT_EQ(RTStrToInt64Full(NULL, 10, &i64), QERR_INVALID_PARAMETER);
    EXPECT_EQ(i64, 0);
}

TEST(StrToNum64, DigitTableMarksTerminators) {
    EXPECT_EQ(g_abRTStrDigitValues[0], 254);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)' '], 252);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)'\t'], 252);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)':'], 253);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)'9'], 9);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)'a'], 10);
    EXPECT_EQ(g_abRTStrDigitValues[(unsigned char)'Z'], 35);
    for (unsigned b = 128; b < 256; b++) EXPECT_EQ(g_abRTStrDigitValues[b], 255) << b;
}

} // namespace
