// The 64-bit integer conversions: signs, bases, prefixes, limits, trailing text.
#include <qrt/err.h>
#include <qrt/strtonum.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct ExCase {
    const char *psz;
    unsigned uBase;
    int rc;
    uint64_t uValue; // the bits stored, for both signednesses
    size_t offStop;
};

void PrintTo(const ExCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

const uint64_t kuMax = UINT64_MAX;
const uint64_t kuSignBit = UINT64_C(1) << 63;

// clang-format off
const ExCase g_aUInt64Ex[] = {
    // No digits.
    {"",                        0, QERR_NO_DIGITS,         0, 0},
    {"-",                       0, QERR_NO_DIGITS,         0, 1},
    {"+-+",                    10, QERR_NO_DIGITS,         0, 3},
    {" 5",                      0, QERR_NO_DIGITS,         0, 0},
    {"\t5",                    10, QERR_NO_DIGITS,         0, 0},
    {"x",                      16, QERR_NO_DIGITS,         0, 0},
    {"\xC3\xA9",                0, QERR_NO_DIGITS,         0, 0},
    {"1",                       1, QERR_NO_DIGITS,         0, 0},
    // Base detection and prefixes.
    {"0x",                      0, QWRN_TRAILING_CHARS,    0, 1},
    {"0x1G",                   16, QWRN_TRAILING_CHARS,    1, 3},
    {"0x1f",                    0, QINF_SUCCESS,          31, 4},
    {"0X1F",                    0, QINF_SUCCESS,          31, 4},
    {"0x1f",                   16, QINF_SUCCESS,          31, 4},
    {"1f",                     16, QINF_SUCCESS,          31, 2},
    {"0x1f",                   10, QWRN_TRAILING_CHARS,    0, 1},
    {"0x1f",                    8, QWRN_TRAILING_CHARS,    0, 1},
    {"0xg",                    16, QWRN_TRAILING_CHARS,    0, 1},
    {"017",                     0, QINF_SUCCESS,          15, 3},
    {"017",                    10, QINF_SUCCESS,          17, 3},
    {"08",                      0, QINF_SUCCESS,           8, 2},
    {"09",                      0, QINF_SUCCESS,           9, 2},
    {"0",                       0, QINF_SUCCESS,           0, 1},
    {"00",                      0, QINF_SUCCESS,           0, 2},
    {"019",                     0, QWRN_TRAILING_CHARS,    1, 2},
    {"0b101",                   0, QWRN_TRAILING_CHARS,    0, 1},
    {"101",                     2, QINF_SUCCESS,           5, 3},
    {"12",                      2, QWRN_TRAILING_CHARS,    1, 1},
    {"777",                     8, QINF_SUCCESS,         511, 3},
    {"zZ",                     35, QERR_NO_DIGITS,         0, 0},
    {"yY",                     35, QINF_SUCCESS,        34 * 35 + 34, 2},
    {"000",                     1, QINF_SUCCESS,           0, 3},
    // Bases the table does not cover read the digits of base 36 and never the terminator.
    {"zZ",                     36, QINF_SUCCESS,        35 * 36 + 35, 2},
    {"z",                     300, QINF_SUCCESS,          35, 1},
    {"11",             4294967295U, QINF_SUCCESS, UINT64_C(4294967296), 2},
    {"1 ",             4294967295U, QWRN_TRAILING_SPACES,  1, 1},
    // Limits.
    {"18446744073709551615",    0, QINF_SUCCESS,       kuMax, 20},
    {"18446744073709551616",    0, QWRN_NUMBER_TOO_BIG,    0, 20},
    {"184467440737095516150",  10, QWRN_NUMBER_TOO_BIG, kuMax - 9, 21},
    {"0xffffffffffffffff",      0, QINF_SUCCESS,       kuMax, 18},
    {"0x10000000000000000",     0, QWRN_NUMBER_TOO_BIG,    0, 19},
    {"01777777777777777777777", 0, QINF_SUCCESS,       kuMax, 23},
    {"02000000000000000000000", 0, QWRN_NUMBER_TOO_BIG,    0, 23},
    {"1111111111111111111111111111111111111111111111111111111111111111", 2, QINF_SUCCESS, kuMax, 64},
    {"10000000000000000000000000000000000000000000000000000000000000000", 2, QWRN_NUMBER_TOO_BIG, 0, 65},
    // Overflows that only the shift test sees (the wrapped value is not below the old one).
    {"30000000000000000000",   10, QWRN_NUMBER_TOO_BIG, UINT64_C(11553255926290448384), 20},
    {"0x11111111111111111",     0, QWRN_NUMBER_TOO_BIG, UINT64_C(0x1111111111111111), 19},
    // The overflow test is one shift and one comparison: in base 10 this value wraps unnoticed.
    {"21000000000000000000",   10, QINF_SUCCESS, UINT64_C(2553255926290448384), 20},
    // Signs.
    {"-5",                     10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {"+-5",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 3},
    {"--5",                    10, QINF_SUCCESS,           5, 3},
    {"-+5",                    10, QINF_SUCCESS,           5, 3},
    {"+5",                     10, QINF_SUCCESS,           5, 2},
    {"-0",                      0, QWRN_NEGATIVE_UNSIGNED, 0, 2},
    {"-0x10",                   0, QWRN_NEGATIVE_UNSIGNED, kuMax - 15, 5},
    {"-18446744073709551616",  10, QWRN_NUMBER_TOO_BIG,    0, 21},
    // Trailing text; after a warning it is left unclassified.
    {"5 ",                     10, QWRN_TRAILING_SPACES,   5, 1},
    {"5 \t ",                  10, QWRN_TRAILING_SPACES,   5, 1},
    {"5x",                     10, QWRN_TRAILING_CHARS,    5, 1},
    {"5 x",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {"5\n",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {"5:",                     10, QWRN_TRAILING_CHARS,    5, 1},
    {"5.0",                    10, QWRN_TRAILING_CHARS,    5, 1},
    {"-5 ",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {"-5x",                    10, QWRN_NEGATIVE_UNSIGNED, kuMax - 4, 2},
    {"18446744073709551616x",  10, QWRN_NUMBER_TOO_BIG,    0, 20},
};

const ExCase g_aInt64Ex[] = {
    {"",                        0, QERR_NO_DIGITS,         0, 0},
    {"-",                       0, QERR_NO_DIGITS,         0, 1},
    {" -1",                     0, QERR_NO_DIGITS,         0, 0},
    {"0",                       0, QINF_SUCCESS,           0, 1},
    {"-5",                     10, QINF_SUCCESS,  (uint64_t)-5, 2},
    {"+-5",                    10, QINF_SUCCESS,  (uint64_t)-5, 3},
    {"--5",                    10, QINF_SUCCESS,           5, 3},
    {"-0",                     10, QINF_SUCCESS,           0, 2},
    {"-0x10",                   0, QINF_SUCCESS, (uint64_t)-16, 5},
    {"-010",                    0, QINF_SUCCESS,  (uint64_t)-8, 4},
    {"-0x1f",                  16, QINF_SUCCESS, (uint64_t)-31, 5},
    {"9223372036854775807",    10, QINF_SUCCESS, kuSignBit - 1, 19},
    {"9223372036854775808",    10, QWRN_NUMBER_TOO_BIG, kuSignBit, 19},
    {"-9223372036854775808",   10, QINF_SUCCESS,   kuSignBit, 20},
    {"-9223372036854775809",   10, QWRN_NUMBER_TOO_BIG, kuSignBit - 1, 20},
    {"0x7fffffffffffffff",      0, QINF_SUCCESS, kuSignBit - 1, 18},
    {"0x8000000000000000",     16, QWRN_NUMBER_TOO_BIG, kuSignBit, 18},
    {"-0x8000000000000000",    16, QINF_SUCCESS,   kuSignBit, 19},
    {"18446744073709551615",   10, QWRN_NUMBER_TOO_BIG, kuMax, 20},
    {"-18446744073709551615",  10, QWRN_NUMBER_TOO_BIG,    1, 21},
    {"18446744073709551616",   10, QWRN_NUMBER_TOO_BIG,    0, 20},
    // No minus-sign warning on a signed conversion, so the trailing text is classified.
    {"-5 ",                    10, QWRN_TRAILING_SPACES, (uint64_t)-5, 2},
    {"-5x",                    10, QWRN_TRAILING_CHARS,  (uint64_t)-5, 2},
    {"9223372036854775808 ",   10, QWRN_NUMBER_TOO_BIG, kuSignBit, 19},
};
// clang-format on

class UInt64Ex : public ::testing::TestWithParam<ExCase> {};
class Int64Ex : public ::testing::TestWithParam<ExCase> {};

TEST_P(UInt64Ex, StatusValueAndStop) {
    const ExCase &c = GetParam();
    uint64_t u64 = 0x5a5a5a5a;
    char *pszNext = NULL;
    EXPECT_EQ(RTStrToUInt64Ex(c.psz, &pszNext, c.uBase, &u64), c.rc);
    EXPECT_EQ(u64, c.uValue);
    EXPECT_EQ(pszNext, c.psz + c.offStop);
}

TEST_P(Int64Ex, StatusValueAndStop) {
    const ExCase &c = GetParam();
    int64_t i64 = 0x5a5a5a5a;
    char *pszNext = NULL;
    EXPECT_EQ(RTStrToInt64Ex(c.psz, &pszNext, c.uBase, &i64), c.rc);
    EXPECT_EQ((uint64_t)i64, c.uValue);
    EXPECT_EQ(pszNext, c.psz + c.offStop);
}

INSTANTIATE_TEST_SUITE_P(Table, UInt64Ex, ::testing::ValuesIn(g_aUInt64Ex));
INSTANTIATE_TEST_SUITE_P(Table, Int64Ex, ::testing::ValuesIn(g_aInt64Ex));

struct FullCase {
    const char *psz;
    unsigned uBase;
    int rcUnsigned;
    int rcSigned;
    uint64_t uValue; // bits stored by both
};

void PrintTo(const FullCase &c, std::ostream *os) {
    // Escaped, so that blanks and control characters survive the test listing.
    *os << ::testing::PrintToString(std::string(c.psz)) << " base " << c.uBase;
}

// clang-format off
const FullCase g_aFull[] = {
    {"5",                      10, QINF_SUCCESS,           QINF_SUCCESS,          5},
    {"0x1f",                    0, QINF_SUCCESS,           QINF_SUCCESS,         31},
    {"0x",                      0, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   0},
    {"",                       10, QERR_NO_DIGITS,         QERR_NO_DIGITS,        0},
    {" 5",                     10, QERR_NO_DIGITS,         QERR_NO_DIGITS,        0},
    {"5 ",                     10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES,  5},
    {"5\t",                    10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES,  5},
    {"5x",                     10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   5},
    {"5 x",                    10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,   5},
    {"-5",                     10, QWRN_NEGATIVE_UNSIGNED, QINF_SUCCESS, (uint64_t)-5},
    {"-5 ",                    10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, (uint64_t)-5},
    {"-5 \t",                  10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, (uint64_t)-5},
    {"-5x",                    10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  (uint64_t)-5},
    {"-5 x",                   10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  (uint64_t)-5},
    {"18446744073709551615",   10, QINF_SUCCESS,           QWRN_NUMBER_TOO_BIG,  kuMax},
    {"18446744073709551616",   10, QWRN_NUMBER_TOO_BIG,    QWRN_NUMBER_TOO_BIG,  0},
    {"18446744073709551616 ",  10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, 0},
    {"18446744073709551616y",  10, QERR_TRAILING_CHARS,    QERR_TRAILING_CHARS,  0},
    {"9223372036854775808",    10, QINF_SUCCESS,           QWRN_NUMBER_TOO_BIG,  kuSignBit},
    {"9223372036854775808 ",   10, QERR_TRAILING_SPACES,   QERR_TRAILING_SPACES, kuSignBit},
    {"-9223372036854775808",   10, QWRN_NEGATIVE_UNSIGNED, QINF_SUCCESS,         kuSignBit},
};
// clang-format on

class Full64 : public ::testing::TestWithParam<FullCase> {};

TEST_P(Full64, UnsignedAndSigned) {
    const FullCase &c = GetParam();
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
