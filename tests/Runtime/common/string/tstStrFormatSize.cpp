// Sizes with binary and decimal units: "%Rhcb", "%Rhub", "%RhcB", "%RhuB", "%Rhci", "%Rhui".
#include "tstStrFormatTypes.h"

#include <gtest/gtest.h>

namespace {

struct SizeCase {
    const char *pszFormat;
    uint64_t uValue;
    const char *pszExpect;
};

void PrintTo(const SizeCase &c, std::ostream *os) {
    *os << "'" << c.pszFormat << "' of " << c.uValue;
}

const uint64_t kKi = UINT64_C(1) << 10;
const uint64_t kMi = UINT64_C(1) << 20;
const uint64_t kGi = UINT64_C(1) << 30;
const uint64_t kTi = UINT64_C(1) << 40;
const uint64_t kPi = UINT64_C(1) << 50;
const uint64_t kEi = UINT64_C(1) << 60;

// clang-format off
const SizeCase g_aBinary[] = {
    {"%Rhcb",   0,              "0B"},
    {"%Rhcb",   1023,           "1023B"},
    {"%Rhcb",   1024,           "1.0KiB"},
    {"%Rhcb",   1025,           "1.0KiB"},
    {"%Rhcb",   1536,           "1.5KiB"},
    {"%Rhcb",   1048575,        "1023.9KiB"},       // truncated, not rounded
    {"%Rhcb",   kMi,            "1.0MiB"},
    {"%Rhcb",   kGi - 1,        "1023.9MiB"},
    {"%Rhcb",   kGi,            "1.0GiB"},
    {"%Rhcb",   kTi + kTi / 4,  "1.2TiB"},
    {"%Rhcb",   kPi,            "1.0PiB"},
    {"%Rhcb",   kEi,            "1.0EiB"},
    {"%Rhcb",   UINT64_MAX,     "15.9EiB"},
    {"%Rhub",   1536,           "1.5Ki"},
    {"%Rhub",   1000,           "1000"},
    {"%RhcB",   1536,           "1.5KB"},
    {"%RhuB",   1536,           "1.5K"},
    {"%RhuB",   3 * kGi,        "3.0G"},
    {"%RhuB",   5,              "5"},
    // Precision: fraction digits, clamped to 0..3.
    {"%.0Rhcb", 1536,           "1536B"},           // below the second threshold
    {"%.0Rhcb", 2047,           "2047B"},
    {"%.0Rhcb", 2048,           "2KiB"},
    {"%.0Rhcb", 2 * kMi - 1,    "2047KiB"},
    {"%.0Rhcb", 2 * kMi,        "2MiB"},
    {"%.0Rhcb", UINT64_MAX,     "15EiB"},
    {"%.2Rhcb", 1029,           "1.00KiB"},
    {"%.3Rhcb", 1536,           "1.500KiB"},
    {"%.3Rhcb", 1025,           "1.000KiB"},
    {"%.9Rhcb", 1536,           "1.500KiB"},
    {"%.3Rhcb", UINT64_MAX,     "15.999EiB"},      // no overflow in the fraction
    {"%.2Rhcb", UINT64_MAX,     "15.99EiB"},
    {"%.3Rhcb", kEi + kEi / 8,  "1.125EiB"},
    // Blank and width.
    {"% Rhcb",  1536,           "1.5 KiB"},
    {"% Rhcb",  100,            "100 B"},
    {"% Rhub",  100,            "100 "},
    {"% RhuB",  1536,           "1.5 K"},
    {"%010Rhcb", 1536,          "00001.5KiB"},
    {"%10Rhcb", 1536,           "    1.5KiB"},
    {"%-10Rhcb", 1536,          "1.5KiB"},          // left-justified: no padding
    {"%3Rhcb",  1536,           "1.5KiB"},
    {"%6Rhcb",  1536,           "1.5KiB"},
    {"%7Rhcb",  1536,           " 1.5KiB"},
    {"% 08Rhcb", 1536,          "01.5 KiB"},
};

const SizeCase g_aDecimal[] = {
    {"%Rhci",   0,              "0B"},
    {"%Rhci",   999,            "999B"},
    {"%Rhci",   1000,           "1.0kB"},
    {"%Rhci",   1500,           "1.5kB"},
    {"%Rhci",   1999,           "2.0kB"},           // rounded
    {"%Rhci",   1949,           "1.9kB"},
    {"%Rhci",   1950,           "2.0kB"},           // half rounds up
    {"%Rhci",   999949,         "999.9kB"},
    {"%Rhci",   999950,         "1000.0kB"},        // carry, the unit stays
    {"%Rhci",   999999,         "1000.0kB"},
    {"%Rhci",   1000000,        "1.0MB"},
    {"%Rhci",   UINT64_C(1000000000),          "1.0GB"},
    {"%Rhci",   UINT64_C(1000000000000),       "1.0TB"},
    {"%Rhci",   UINT64_C(1000000000000000),    "1.0PB"},
    {"%Rhci",   UINT64_C(1000000000000000000), "1.0EB"},
    {"%Rhci",   UINT64_MAX,     "18.4EB"},
    {"%.2Rhci", UINT64_MAX,     "18.45EB"},         // 18.4467...
    {"%.3Rhci", UINT64_MAX,     "18.447EB"},        // no overflow in the fraction
    {"%.3Rhci", 1234567,        "1.235MB"},
    {"%.3Rhci", 1999999,        "2.000MB"},
    {"%Rhui",   1500,           "1.5k"},
    {"%Rhui",   12,             "12"},
    {"%.0Rhci", 1009,           "1009B"},
    {"%.0Rhci", 1010,           "1kB"},
    {"%.0Rhci", 1999,           "1kB"},             // truncated without fraction digits
    {"%.0Rhci", 1009999,        "1009kB"},
    {"%.0Rhci", 1010000,        "1MB"},
    {"%.0Rhci", UINT64_MAX,     "18EB"},
    {"% Rhci",  1500,           "1.5 kB"},
    {"% Rhui",  1500,           "1.5 k"},
    {"%08Rhci", 1500,           "0001.5kB"},
    {"%8Rhui",  1500,           "    1.5k"},
};
// clang-format on

class SizeBinary : public ::testing::TestWithParam<SizeCase> {};
class SizeDecimal : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeBinary, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().uValue), GetParam().pszExpect);
}

TEST_P(SizeDecimal, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().uValue), GetParam().pszExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, SizeBinary, ::testing::ValuesIn(g_aBinary));
INSTANTIATE_TEST_SUITE_P(Table, SizeDecimal, ::testing::ValuesIn(g_aDecimal));

TEST(SizeField, WidthStopsAtFieldLimit) {
    std::string str = tstFmt("%100Rhcb", UINT64_C(1));
    EXPECT_EQ(str, std::string(61, ' ') + "1B");
    EXPECT_EQ(tstFmt("%0100Rhci", UINT64_C(1500)), std::string(58, '0') + "1.5kB");
}

TEST(SizeField, TakesA64BitArgument) {
    // The argument after the size must still be read correctly on a 32-bit build.
    EXPECT_EQ(tstFmt("%Rhcb %Rbn", kGi * 5, "a/b"), "5.0GiB b");
}

TEST(SizeField, UnknownUnitPrintsNothing) {
    EXPECT_EQ(tstFmt("%Rhcx|%Rbn", "a/b"), "|b");
    EXPECT_EQ(tstFmt("%Rhu"), "");
    TstFmtRun Res = tstFmtRun("%Rhcb", UINT64_C(1024));
    EXPECT_EQ(Res.cCalls, 1u);
    EXPECT_EQ(Res.cchReturned, 6u);
}

} // namespace
