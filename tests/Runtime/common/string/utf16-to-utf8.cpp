// UTF-16 to UTF-8 conversions, UTF-16 lengths, comparison and allocation.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct FailNextAlloc {
    FailNextAlloc() { RTMemTestFailAfter(1); }
    ~FailNextAlloc() { RTMemTestFailAfter(0); }
};

const RTUTF16 g_awcHello[] = {'h', 'e', 'l', 'l', 'o', 0};

TEST(Utf16ToUtf8Ex, UnitLimit) {
    char *psz = nullptr;
    size_t cch = 0;
    ASSERT_EQ(QINF_SUCCESS, RTUtf16ToUtf8Ex(g_awcHello, 3, &psz, 0, &cch));
    EXPECT_STREQ("hel", psz);
    EXPECT_EQ(3u, cch);
    RTStrFree(psz);

    const RTUTF16 awcPair[] = {0xd83d, 0xde00, 0};
    psz = nullptr;
    EXPECT_EQ(QERR_INVALID_UTF16_ENCODING, RTUtf16ToUtf8Ex(awcPair, 1, &psz, 0, &cch));
    EXPECT_EQ(nullptr, psz);
    size_t cchCalc = 0;
    EXPECT_EQ(QERR_INVALID_UTF16_ENCODING, RTUtf16CalcUtf8LenEx(awcPair, 1, &cchCalc));
    EXPECT_EQ(RTSTR_MAX, cchCalc);
    EXPECT_EQ(QINF_SUCCESS, RTUtf16CalcUtf8LenEx(awcPair, 2, &cchCalc));
    EXPECT_EQ(4u, cchCalc);
}

TEST(Utf16ToUtf8Ex, CallerBufferOverflowLeavesItUntouched) {
    char ab[8];
    memset(ab, 'Z', sizeof(ab));
    char *psz = ab;
    size_t cch = 0;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTUtf16ToUtf8Ex(g_awcHello, RTSTR_MAX, &psz, 5, &cch));
    EXPECT_EQ(5u, cch);
    EXPECT_EQ(ab, psz);
    for (char ch : ab) EXPECT_EQ('Z', ch);
    EXPECT_EQ(QINF_SUCCESS, RTUtf16ToUtf8Ex(g_awcHello, RTSTR_MAX, &psz, 6, &cch));
    EXPECT_STREQ("hello", ab);
    EXPECT_EQ('Z', ab[6]);
}

TEST(Utf16ToUtf8Ex, MultiByteOutputAgainstCallerBuffer) {
    const RTUTF16 awc[] = {0xe9, 0x20ac, 0};
    char ab[6];
    char *psz = ab;
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTUtf16ToUtf8Ex(awc, RTSTR_MAX, &psz, 5, nullptr));
    EXPECT_EQ(QINF_SUCCESS, RTUtf16ToUtf8Ex(awc, RTSTR_MAX, &psz, 6, nullptr));
    EXPECT_STREQ("\xc3\xa9\xe2\x82\xac", ab);
}

TEST(Utf16ToUtf8Ex, AllocatesAtLeastTheGivenSize) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTUtf16ToUtf8Ex(g_awcHello, RTSTR_MAX, &psz, 100, nullptr));
    psz[99] = 'x'; // within the block (the sanitizer build checks)
    EXPECT_STREQ("hello", psz);
    RTStrFree(psz);
}

TEST(Utf16ToUtf8, LongMixedTextCrossesTheWordLoops) {
    for (size_t cwc = 0; cwc < 20; cwc++)
        for (size_t off = 0; off <= cwc; off++) {
            std::vector<RTUTF16> v(cwc, 'q');
            v.insert(v.begin() + (ptrdiff_t)off, {0xd83d, 0xde00});
            v.push_back(0);
            std::string expect(cwc, 'q');
            expect.insert(off, "\xf0\x9f\x98\x80");
            char *psz = nullptr;
            ASSERT_EQ(QINF_SUCCESS, RTUtf16ToUtf8(v.data(), &psz));
            EXPECT_EQ(expect, psz);
            RTStrFree(psz);
        }
}

TEST(Utf16ToUtf8, OutOfMemory) {
    char *psz = reinterpret_cast<char *>(0x1);
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_STR_MEMORY, RTUtf16ToUtf8(g_awcHello, &psz));
    }
    EXPECT_EQ(nullptr, psz);
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_STR_MEMORY, RTUtf16ToUtf8Ex(g_awcHello, RTSTR_MAX, &psz, 0, nullptr));
    }
    EXPECT_EQ(nullptr, psz);
}

TEST(Utf16Len, CountsUnitsNullIsZero) {
    EXPECT_EQ(5u, RTUtf16Len(g_awcHello));
    EXPECT_EQ(0u, RTUtf16Len(nullptr));
    EXPECT_EQ(3u, RTUtf16NLen(g_awcHello, 3));
    EXPECT_EQ(5u, RTUtf16NLen(g_awcHello, RTSTR_MAX));
    EXPECT_EQ(nullptr, RTUtf16End(g_awcHello, 5));
    EXPECT_EQ(g_awcHello + 5, RTUtf16End(g_awcHello, 6));
    EXPECT_EQ(5u, RTUtf16CalcUtf8Len(g_awcHello));
}

TEST(Utf16Cmp, UnsignedUnitsAndNulls) {
    const RTUTF16 awcA[] = {'a', 0};
    const RTUTF16 awcHigh[] = {0xe9, 0};
    EXPECT_EQ(0, RTUtf16Cmp(nullptr, nullptr));
    EXPECT_EQ(-1, RTUtf16Cmp(nullptr, awcA));
    EXPECT_EQ(1, RTUtf16Cmp(awcA, nullptr));
    EXPECT_EQ(-1, RTUtf16Cmp(awcA, awcHigh));
    EXPECT_EQ(1, RTUtf16Cmp(g_awcHello, awcA + 1));
}

TEST(Utf16Alloc, SizesAndFirstUnit) {
    const size_t aSizes[][2] = {{0, 2}, {1, 2}, {2, 2}, {3, 4}, {4, 4}, {5, 6}, {64, 64}};
    for (const auto &s : aSizes) {
        RTUTF16 *pwsz = RTUtf16Alloc(s[0]);
        ASSERT_NE(nullptr, pwsz);
        EXPECT_EQ(0, pwsz[0]);
        pwsz[s[1] / 2 - 1] = 0x4242; // the last unit of the rounded size is ours
        RTUtf16Free(pwsz);
    }
}

TEST(Utf16Realloc, RoundsFreesAndTerminates) {
    RTUTF16 *pwsz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTUtf16Realloc(&pwsz, 7)); // 8 bytes, 4 units
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, pwsz[0]);
    EXPECT_EQ(0, pwsz[3]);
    pwsz[0] = 'a';
    pwsz[1] = 'b';
    pwsz[2] = 'c';
    ASSERT_EQ(QINF_SUCCESS, RTUtf16Realloc(&pwsz, 20));
    EXPECT_EQ('a', pwsz[0]);
    EXPECT_EQ('c', pwsz[2]);
    EXPECT_EQ(0, pwsz[9]);
    ASSERT_EQ(QINF_SUCCESS, RTUtf16Realloc(&pwsz, 4)); // shrink: last unit is cleared
    EXPECT_EQ('a', pwsz[0]);
    EXPECT_EQ(0, pwsz[1]);
    EXPECT_EQ(QINF_SUCCESS, RTUtf16Realloc(&pwsz, 0));
    EXPECT_EQ(nullptr, pwsz);
}

TEST(Utf16Realloc, FailureStatusesDifferByCase) {
    RTUTF16 *pwsz = nullptr;
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_UTF16_MEMORY, RTUtf16Realloc(&pwsz, 10));
    }
    EXPECT_EQ(nullptr, pwsz);
    ASSERT_EQ(QINF_SUCCESS, RTUtf16Realloc(&pwsz, 10));
    pwsz[0] = 'k';
    RTUTF16 *pwszOld = pwsz;
    {
        FailNextAlloc fail;
        EXPECT_EQ(QERR_NO_STR_MEMORY, RTUtf16Realloc(&pwsz, 100));
    }
    EXPECT_EQ(pwszOld, pwsz);
    EXPECT_EQ('k', pwsz[0]);
    RTUtf16Free(pwsz);
}

TEST(Utf16Dup, CopiesOrFails) {
    RTUTF16 *pwsz = RTUtf16Dup(g_awcHello);
    ASSERT_NE(nullptr, pwsz);
    EXPECT_EQ(0, RTUtf16Cmp(g_awcHello, pwsz));
    RTUtf16Free(pwsz);
    FailNextAlloc fail;
    EXPECT_EQ(nullptr, RTUtf16Dup(g_awcHello));
}

} // namespace
