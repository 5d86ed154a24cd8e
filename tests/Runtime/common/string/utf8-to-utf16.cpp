// UTF-8 to UTF-16: the two-pass conversions, byte limits that cut sequences, the caller buffer
// versus allocation pattern, overflow reporting and out-of-memory statuses.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "h" U+00E9 U+20AC U+1F600: 10 bytes, 5 units.
const char g_szMixed[] = "h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
const RTUTF16 g_awcMixed[] = {0x68, 0xe9, 0x20ac, 0xd83d, 0xde00, 0};

std::vector<RTUTF16> Units(const RTUTF16 *pwsz) {
    return std::vector<RTUTF16>(pwsz, pwsz + RTUtf16Len(pwsz));
}

// Makes the next allocation fail for the lifetime of the object.
struct FailNextAlloc {
    FailNextAlloc() { RTMemTestFailAfter(1); }
    ~FailNextAlloc() { RTMemTestFailAfter(0); }
};

TEST(Utf8ToUtf16, MixedTextRoundTrips) {
    RTUTF16 *pwsz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16(g_szMixed, &pwsz));
    EXPECT_EQ(std::vector<RTUTF16>(g_awcMixed, g_awcMixed + 5), Units(pwsz));
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTUtf16ToUtf8(pwsz, &psz));
    EXPECT_STREQ(g_szMixed, psz);
    EXPECT_EQ(10u, strlen(psz));
    RTStrFree(psz);
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, EmptyStringGivesTerminatorOnly) {
    RTUTF16 *pwsz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16("", &pwsz));
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, pwsz[0]);
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, LongTextCrossesTheWordLoops) {
    // Lengths around the word size, with a non-ASCII code point at every offset.
    for (size_t cch = 0; cch < 40; cch++)
        for (size_t off = 0; off <= cch; off++) {
            std::string s(cch, 'a');
            s.insert(off, "\xc3\xa9");
            std::vector<RTUTF16> expect(cch, 'a');
            expect.insert(expect.begin() + (ptrdiff_t)off, 0xe9);
            RTUTF16 *pwsz = nullptr;
            ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16(s.c_str(), &pwsz));
            EXPECT_EQ(expect, Units(pwsz)) << cch << "/" << off;
            size_t cwc = 0;
            EXPECT_EQ(QINF_SUCCESS, RTStrCalcUtf16LenEx(s.c_str(), RTSTR_MAX, &cwc));
            EXPECT_EQ(cch + 1, cwc);
            RTUtf16Free(pwsz);
        }
}

TEST(Utf8ToUtf16, ErrorAfterLongAsciiRunIsFound) {
    for (size_t cch = 0; cch < 33; cch++) {
        std::string s(cch, 'x');
        s += "\xed\xa0\x80";
        s += std::string(9, 'y');
        RTUTF16 *pwsz = nullptr;
        EXPECT_EQ(QERR_CODE_POINT_SURROGATE, RTStrToUtf16(s.c_str(), &pwsz)) << cch;
        EXPECT_EQ(nullptr, pwsz);
    }
}

struct ExLimitCase {
    const char *psz;
    size_t cchLimit;
    int rc;
    std::vector<RTUTF16> units;
};

const ExLimitCase g_aExLimit[] = {
    {"h\xc3\xa9", 2, QERR_INVALID_UTF8_ENCODING, {}}, // the limit cuts the sequence
    {"h\xc3\xa9", 3, QINF_SUCCESS, {0x68, 0xe9}},
    {"h\xc3\xa9", RTSTR_MAX, QINF_SUCCESS, {0x68, 0xe9}},
    {"hello", 3, QINF_SUCCESS, {'h', 'e', 'l'}},
    {"hello", 0, QINF_SUCCESS, {}},
    {"hello", 100, QINF_SUCCESS, {'h', 'e', 'l', 'l', 'o'}},
    {"\xf0\x9f\x98\x80", 3, QERR_INVALID_UTF8_ENCODING, {}},
    {"\xf0\x9f\x98\x80", 4, QINF_SUCCESS, {0xd83d, 0xde00}},
    {"ab\xed\xa0\x80", 2, QINF_SUCCESS, {'a', 'b'}}, // the bad part lies beyond the limit
    {"ab\xed\xa0\x80", 5, QERR_CODE_POINT_SURROGATE, {}},
};

class Utf8ToUtf16Ex : public testing::TestWithParam<ExLimitCase> {};

TEST_P(Utf8ToUtf16Ex, ByteLimit) {
    const ExLimitCase &c = GetParam();
    RTUTF16 *pwsz = nullptr;
    size_t cwc = 12345;
    EXPECT_EQ(c.rc, RTStrToUtf16Ex(c.psz, c.cchLimit, &pwsz, 0, &cwc));
    if (c.rc == QINF_SUCCESS) {
        ASSERT_NE(nullptr, pwsz);
        EXPECT_EQ(c.units, Units(pwsz));
        EXPECT_EQ(c.units.size(), cwc);
        RTUtf16Free(pwsz);
    } else {
        EXPECT_EQ(nullptr, pwsz);
        EXPECT_EQ(12345u, cwc) << "the count is stored only for valid input";
    }
    size_t cwcCalc = 0;
    EXPECT_EQ(c.rc, RTStrCalcUtf16LenEx(c.psz, c.cchLimit, &cwcCalc));
    EXPECT_EQ(c.rc == QINF_SUCCESS ? c.units.size() : RTSTR_MAX, cwcCalc);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8ToUtf16Ex, testing::ValuesIn(g_aExLimit));

TEST(Utf8ToUtf16Ex, CallerBufferTooSmallIsUntouched) {
    RTUTF16 awc[8];
    for (RTUTF16 &wc : awc) wc = 0xaaaa;
    RTUTF16 *pwsz = awc;
    size_t cwc = 0;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTStrToUtf16Ex("hello", RTSTR_MAX, &pwsz, 5, &cwc));
    EXPECT_EQ(5u, cwc);
    EXPECT_EQ(awc, pwsz);
    for (RTUTF16 wc : awc) EXPECT_EQ(0xaaaa, wc);
}

TEST(Utf8ToUtf16Ex, CallerBufferJustLargeEnough) {
    RTUTF16 awc[8];
    for (RTUTF16 &wc : awc) wc = 0xaaaa;
    RTUTF16 *pwsz = awc;
    size_t cwc = 0;
    EXPECT_EQ(QINF_SUCCESS, RTStrToUtf16Ex("hello", RTSTR_MAX, &pwsz, 6, &cwc));
    EXPECT_EQ(5u, cwc);
    EXPECT_EQ(awc, pwsz);
    EXPECT_EQ((std::vector<RTUTF16>{'h', 'e', 'l', 'l', 'o'}), Units(awc));
    EXPECT_EQ(0xaaaa, awc[6]);
}

TEST(Utf8ToUtf16Ex, CallerBufferAndSurrogatePair) {
    RTUTF16 awc[3];
    RTUTF16 *pwsz = awc;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTStrToUtf16Ex("a\xf0\x9f\x98\x80", RTSTR_MAX, &pwsz, 3, nullptr));
    EXPECT_EQ(QINF_SUCCESS, RTStrToUtf16Ex("\xf0\x9f\x98\x80", RTSTR_MAX, &pwsz, 3, nullptr));
    EXPECT_EQ(0xd83d, awc[0]);
    EXPECT_EQ(0xde00, awc[1]);
    EXPECT_EQ(0, awc[2]);
}

TEST(Utf8ToUtf16Ex, InvalidInputLeavesCallerPointer) {
    RTUTF16 awc[4];
    RTUTF16 *pwsz = awc;
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrToUtf16Ex("\xc0\x80", RTSTR_MAX, &pwsz, 4, nullptr));
    EXPECT_EQ(awc, pwsz);
}

TEST(Utf8ToUtf16Ex, AllocatesAtLeastTheGivenSize) {
    // A size with a null pointer asks for an allocation of max(count + 1, size) units.
    RTUTF16 *pwsz = nullptr;
    size_t cwc = 0;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16Ex("ab", RTSTR_MAX, &pwsz, 64, &cwc));
    EXPECT_EQ(2u, cwc);
    pwsz[63] = 0x1234; // within the block (the sanitizer build checks)
    EXPECT_EQ((std::vector<RTUTF16>{'a', 'b'}), Units(pwsz));
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16Ex, SizeZeroWithBufferAllocates) {
    RTUTF16 awc[4];
    RTUTF16 *pwsz = awc;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16Ex("xyz", RTSTR_MAX, &pwsz, 0, nullptr));
    EXPECT_NE(awc, pwsz);
    EXPECT_EQ((std::vector<RTUTF16>{'x', 'y', 'z'}), Units(pwsz));
    RTUtf16Free(pwsz);
}

TEST(Utf8ToUtf16, OutOfMemory) {
    RTUTF16 *pwsz = reinterpret_cast<RTUTF16 *>(0x1);
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_UTF16_MEMORY, RTStrToUtf16("abc", &pwsz));
    }
    EXPECT_EQ(nullptr, pwsz);
    pwsz = reinterpret_cast<RTUTF16 *>(0x1);
    size_t cwc = 0;
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_UTF16_MEMORY, RTStrToUtf16Ex("abc", RTSTR_MAX, &pwsz, 0, &cwc));
    }
    EXPECT_EQ(nullptr, pwsz);
    EXPECT_EQ(3u, cwc);
}

TEST(Utf8ToUtf16Ex, HugeGivenSizeFailsAsOutOfMemory) {
    RTUTF16 *pwsz = nullptr;
    EXPECT_EQ(QERR_NO_UTF16_MEMORY, RTStrToUtf16Ex("abc", RTSTR_MAX, &pwsz, RTSTR_MAX / 2 + 7, nullptr));
    EXPECT_EQ(nullptr, pwsz);
}

TEST(Utf8CalcUtf16Len, CountsUnits) {
    EXPECT_EQ(5u, RTStrCalcUtf16Len(g_szMixed));
    EXPECT_EQ(0u, RTStrCalcUtf16Len("\xff"));
    EXPECT_EQ(0u, RTStrCalcUtf16Len(""));
}

// UTF-8 to code-point arrays: the same caller-buffer-or-allocation pattern.
TEST(Utf8ToUni, AllocatesAndDecodes) {
    RTUNICP *paCps = nullptr;
    size_t cCps = 0;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUni(g_szMixed, RTSTR_MAX, &paCps, 0, &cCps));
    ASSERT_EQ(4u, cCps);
    EXPECT_EQ(0x68u, paCps[0]);
    EXPECT_EQ(0xe9u, paCps[1]);
    EXPECT_EQ(0x20acu, paCps[2]);
    EXPECT_EQ(0x1f600u, paCps[3]);
    EXPECT_EQ(0u, paCps[4]);
    RTMemFree(paCps);
}

TEST(Utf8ToUni, AcceptsTheFullSixByteRange) {
    RTUNICP *paCps = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUni("\xfd\xbf\xbf\xbf\xbf\xbf", RTSTR_MAX, &paCps, 0, nullptr));
    EXPECT_EQ(0x7fffffffu, paCps[0]);
    RTMemFree(paCps);
}

TEST(Utf8ToUni, CallerArrayAndOverflow) {
    RTUNICP aCps[3] = {7, 7, 7};
    RTUNICP *paCps = aCps;
    size_t cCps = 0;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTStrToUni("abc", RTSTR_MAX, &paCps, 3, &cCps));
    EXPECT_EQ(3u, cCps);
    EXPECT_EQ(7u, aCps[0]);
    EXPECT_EQ(QINF_SUCCESS, RTStrToUni("abc", 2, &paCps, 3, &cCps));
    EXPECT_EQ(2u, cCps);
    EXPECT_EQ(aCps, paCps);
    EXPECT_EQ('a', (int)aCps[0]);
    EXPECT_EQ('b', (int)aCps[1]);
    EXPECT_EQ(0u, aCps[2]);
}

TEST(Utf8ToUni, ErrorsAndOutOfMemory) {
    RTUNICP *paCps = nullptr;
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrToUni("a\xe2\x82", RTSTR_MAX, &paCps, 0, nullptr));
    EXPECT_EQ(nullptr, paCps);
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_CODE_POINT_MEMORY, RTStrToUni("abc", RTSTR_MAX, &paCps, 0, nullptr));
    }
    EXPECT_EQ(nullptr, paCps);
}

TEST(Utf8UniLen, CountsCodePointsOrZero) {
    EXPECT_EQ(4u, RTStrUniLen(g_szMixed));
    EXPECT_EQ(0u, RTStrUniLen(""));
    EXPECT_EQ(0u, RTStrUniLen("abc\xc3"));
    EXPECT_EQ(1u, RTStrUniLen("\xf4\x90\x80\x80")); // valid UTF-8, though not UTF-16
}

TEST(Utf8Validate, LimitAndCount) {
    size_t cuc = 99;
    EXPECT_EQ(QINF_SUCCESS, RTStrValidateEncodingEx("ab\xc3\xa9z", RTSTR_MAX, &cuc));
    EXPECT_EQ(4u, cuc);
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrValidateEncodingEx("ab\xc3\xa9z", 3, &cuc));
    EXPECT_EQ(0u, cuc);
    EXPECT_TRUE(RTStrIsValidEncoding("plain"));
    EXPECT_FALSE(RTStrIsValidEncoding("\xef\xbf\xbf"));
}

} // namespace
