// RTStrFormatNumber and RTStrFormatU64: flags, width, precision, signs and the field bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <qrt/err.h>
#include <qrt/format.h>

namespace {

struct NumberCase {
    uint64_t uValue;
    unsigned uiBase;
    int cchWidth;
    int cchPrecision;
    unsigned fFlags;
    const char *pszExpected;
};

const NumberCase g_aNumberCases[] = {
    {0, 10, -1, -1, 0, "0"},
    {42, 10, -1, -1, 0, "42"},
    {UINT64_MAX, 10, -1, -1, 0, "18446744073709551615"},
    {UINT64_MAX, 16, -1, -1, 0, "ffffffffffffffff"},
    {UINT64_MAX, 16, -1, -1, RTSTR_F_CAPITAL, "FFFFFFFFFFFFFFFF"},
    {UINT64_MAX, 8, -1, -1, 0, "1777777777777777777777"},
    {0xab, 16, -1, -1, RTSTR_F_SPECIAL | RTSTR_F_CAPITAL, "0XAB"},
    // Signed: 64-bit flag or upper bits set mean a 64-bit value, else the low 32 bits.
    {0xffffffffULL, 10, -1, -1, RTSTR_F_VALSIGNED, "-1"},
    {0xffffffffULL, 10, -1, -1, RTSTR_F_VALSIGNED | RTSTR_F_64BIT, "4294967295"},
    {UINT64_MAX, 10, -1, -1, RTSTR_F_VALSIGNED, "-1"},
    {0x8000000000000000ULL, 10, -1, -1, RTSTR_F_VALSIGNED, "-9223372036854775808"},
    {0x80000000ULL, 10, -1, -1, RTSTR_F_VALSIGNED, "-2147483648"},
    {5, 10, -1, -1, RTSTR_F_PLUS | RTSTR_F_BLANK | RTSTR_F_VALSIGNED, "+5"},
    {5, 10, -1, -1, RTSTR_F_BLANK | RTSTR_F_VALSIGNED, " 5"},
    {5, 10, -1, -1, RTSTR_F_PLUS, "5"}, // sign characters only for signed values
    // Signed hexadecimal keeps the sign.
    {(uint64_t)-16, 16, -1, -1, RTSTR_F_VALSIGNED | RTSTR_F_SPECIAL, "-0x10"},
    // Left-justification beats zero padding; zero padding beats the separator.
    {42, 10, 6, -1, RTSTR_F_LEFT | RTSTR_F_ZEROPAD, "42    "},
    {1234567, 10, 12, -1, RTSTR_F_ZEROPAD | RTSTR_F_THOUSAND_SEP, "000001234567"},
    {1234567, 16, -1, -1, RTSTR_F_THOUSAND_SEP, "12d687"},
    {1234567, 8, -1, -1, RTSTR_F_THOUSAND_SEP, "4553207"},
    {123, 10, -1, -1, RTSTR_F_THOUSAND_SEP, "123"},
    {1234, 10, -1, -1, RTSTR_F_THOUSAND_SEP, "1 234"},
    {123456, 10, -1, -1, RTSTR_F_THOUSAND_SEP, "123 456"},
    {UINT64_MAX, 10, -1, -1, RTSTR_F_THOUSAND_SEP, "18 446 744 073 709 551 615"},
    // Precision with zero padding: the padding zeros count against it.
    {7, 10, 3, 5, RTSTR_F_ZEROPAD, "00007"},
    {7, 16, 6, 3, RTSTR_F_ZEROPAD | RTSTR_F_SPECIAL, "0x0007"},
    {0, 10, -1, 0, 0, "0"},
    // Odd widths and precisions from direct callers.
    {42, 10, -100, -100, 0, "42"},
    {42, 10, INT32_MAX, -1, RTSTR_F_ZEROPAD, "000000000000000000000000000000000000000000000000000000000000042"},
    {42, 10, 10, INT32_MAX, RTSTR_F_ZEROPAD, "000000000000000000000000000000000000000000000000000000000000042"},
    // Unsupported bases give an empty string.
    {42, 0, -1, -1, 0, ""},
    {42, 2, -1, -1, 0, ""},
    {42, 36, 5, -1, 0, ""},
};

class FormatNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(FormatNumber, Formats) {
    const NumberCase &c = GetParam();
    char szBuf[RTSTR_NUM_BUF_SIZE + 8];
    memset(szBuf, 'Z', sizeof(szBuf));
    int const cch = RTStrFormatNumber(szBuf, c.uValue, c.uiBase, c.cchWidth, c.cchPrecision, c.fFlags);
    EXPECT_STREQ(szBuf, c.pszExpected);
    EXPECT_EQ(cch, (int)strlen(c.pszExpected));
    EXPECT_EQ(szBuf[RTSTR_NUM_BUF_SIZE], 'Z');
}

INSTANTIATE_TEST_SUITE_P(StrFormat, FormatNumber, testing::ValuesIn(g_aNumberCases));

TEST(FormatNumberBound, NeverLongerThan63) {
    static const unsigned s_afFlags[] = {0,
                                         RTSTR_F_ZEROPAD,
                                         RTSTR_F_LEFT,
                                         RTSTR_F_SPECIAL | RTSTR_F_ZEROPAD,
                                         RTSTR_F_SPECIAL | RTSTR_F_VALSIGNED | RTSTR_F_PLUS,
                                         RTSTR_F_THOUSAND_SEP | RTSTR_F_VALSIGNED,
                                         RTSTR_F_LEFT | RTSTR_F_THOUSAND_SEP | RTSTR_F_SPECIAL};
    static const uint64_t s_auValues[] = {0, 1, 0x8000000000000000ULL, UINT64_MAX, 1234567890123ULL};
    static const unsigned s_auBases[] = {8, 10, 16};
    for (unsigned fFlags : s_afFlags)
        for (uint64_t uValue : s_auValues)
            for (unsigned uiBase : s_auBases)
                for (int cchWidth : {-1, 0, 40, 61, 62, 63, 64, 100, INT32_MAX})
                    for (int cchPrecision : {-1, 0, 30, 62, 63, 64, 1000}) {
                        char szBuf[RTSTR_NUM_BUF_SIZE + 1];
                        szBuf[RTSTR_NUM_BUF_SIZE] = 'Z';
                        int const cch = RTStrFormatNumber(szBuf, uValue, uiBase, cchWidth, cchPrecision, fFlags);
                        ASSERT_LE(cch, 63);
                        ASSERT_EQ((size_t)cch, strlen(szBuf));
                        ASSERT_EQ(szBuf[RTSTR_NUM_BUF_SIZE], 'Z');
                    }
}

TEST(FormatNumberBound, PaddingStopsAtDocumentedPoints) {
    char szBuf[RTSTR_NUM_BUF_SIZE];
    // Leading spaces stop at 62 characters, zeros and trailing spaces at 63.
    EXPECT_EQ(RTStrFormatNumber(szBuf, 42, 10, 100, -1, 0), 62);
    EXPECT_EQ(std::string(szBuf), std::string(60, ' ') + "42");
    EXPECT_EQ(RTStrFormatNumber(szBuf, 42, 10, 100, -1, RTSTR_F_ZEROPAD), 63);
    EXPECT_EQ(std::string(szBuf), std::string(61, '0') + "42");
    EXPECT_EQ(RTStrFormatNumber(szBuf, 42, 10, 100, -1, RTSTR_F_LEFT), 63);
    EXPECT_EQ(std::string(szBuf), "42" + std::string(61, ' '));
    EXPECT_EQ(RTStrFormatNumber(szBuf, 255, 16, 100, -1, RTSTR_F_ZEROPAD | RTSTR_F_SPECIAL), 63);
    EXPECT_EQ(std::string(szBuf), "0x" + std::string(59, '0') + "ff");
}

TEST(FormatU64, BigBufferFormatsInPlace) {
    char szBuf[80];
    EXPECT_EQ(RTStrFormatU64(szBuf, sizeof(szBuf), 1234567, 10, -1, -1, RTSTR_F_THOUSAND_SEP), 9);
    EXPECT_STREQ(szBuf, "1 234 567");
}

TEST(FormatU64, SmallBuffers) {
    char szBuf[16];
    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrFormatU64(szBuf, 8, 1234567, 10, -1, -1, 0), 7);
    EXPECT_STREQ(szBuf, "1234567");
    EXPECT_EQ(szBuf[8], 'Z');

    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrFormatU64(szBuf, 7, 1234567, 10, -1, -1, 0), QERR_BUFFER_OVERFLOW);
    EXPECT_STREQ(szBuf, "123456");
    EXPECT_EQ(szBuf[7], 'Z');

    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrFormatU64(szBuf, 1, 5, 10, -1, -1, 0), QERR_BUFFER_OVERFLOW);
    EXPECT_EQ(szBuf[0], '\0');
    EXPECT_EQ(szBuf[1], 'Z');

    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrFormatU64(szBuf, 0, 5, 10, -1, -1, 0), QERR_BUFFER_OVERFLOW);
    EXPECT_EQ(szBuf[0], 'Z');
    EXPECT_EQ(RTStrFormatU64(NULL, 0, 5, 10, -1, -1, 0), QERR_BUFFER_OVERFLOW);
}

TEST(FormatU64, AlwaysSixtyFourBit) {
    char szBuf[RTSTR_NUM_BUF_SIZE];
    // With the 32-bit flag this would be -1; RTStrFormatU64 replaces it with the 64-bit one.
    EXPECT_EQ(RTStrFormatU64(szBuf, sizeof(szBuf), 0xffffffffULL, 10, -1, -1, RTSTR_F_VALSIGNED | RTSTR_F_32BIT), 10);
    EXPECT_STREQ(szBuf, "4294967295");
}

} // namespace
