// Terminator search, bounded copies and concatenation.
#include <qrt/err.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(StrEnd, WithinAndBeyondTheLimit) {
    const char *psz = "abc";
    EXPECT_EQ(nullptr, RTStrEnd(psz, 0));
    EXPECT_EQ(nullptr, RTStrEnd(psz, 3));
    EXPECT_EQ(psz + 3, RTStrEnd(psz, 4));
    EXPECT_EQ(psz + 3, RTStrEnd(psz, RTSTR_MAX));
    EXPECT_EQ(psz + 3, RTStrEnd(psz, RTSTR_MAX - 1));
    char ab[] = "x";
    char *pszEnd = RTStrEnd(ab, sizeof(ab));
    EXPECT_EQ(ab + 1, pszEnd);
}

TEST(StrEnd, LongStringsCrossTheChunks) {
    // Terminators before, at and after the chunk boundary, with limits of every kind.
    for (size_t cch : {size_t(0xffff), size_t(0x10000), size_t(0x10001), size_t(0x25432)}) {
        std::vector<char> buf(cch + 1, 'w');
        buf[cch] = '\0';
        EXPECT_EQ(buf.data() + cch, RTStrEnd(buf.data(), RTSTR_MAX));
        EXPECT_EQ(buf.data() + cch, RTStrEnd(buf.data(), RTSTR_MAX / 2));
        EXPECT_EQ(buf.data() + cch, RTStrEnd(buf.data(), cch + 1));
        EXPECT_EQ(nullptr, RTStrEnd(buf.data(), cch));
        EXPECT_EQ(cch, RTStrNLen(buf.data(), RTSTR_MAX));
        EXPECT_EQ(cch, RTStrNLen(buf.data(), cch));
        EXPECT_EQ(cch - 1, RTStrNLen(buf.data(), cch - 1));
    }
}

TEST(StrNLen, LimitOrLength) {
    EXPECT_EQ(0u, RTStrNLen("", RTSTR_MAX));
    EXPECT_EQ(0u, RTStrNLen("abc", 0));
    EXPECT_EQ(2u, RTStrNLen("abc", 2));
    EXPECT_EQ(3u, RTStrNLen("abc", 3));
    EXPECT_EQ(3u, RTStrNLen("abc", 100));
}

struct CopyCase {
    const char *pszSrc;
    size_t cbDst;
    size_t cchSrcMax;
    int rc;
    const char *pszExpect; // null: nothing written
};

// clang-format off
const CopyCase g_aCopy[] = {
    {"abc",  4, RTSTR_MAX, QINF_SUCCESS,         "abc"},
    {"abc",  3, RTSTR_MAX, QERR_BUFFER_OVERFLOW, "ab"},
    {"abc",  1, RTSTR_MAX, QERR_BUFFER_OVERFLOW, ""},
    {"abc",  0, RTSTR_MAX, QERR_BUFFER_OVERFLOW, nullptr},
    {"",     1, RTSTR_MAX, QINF_SUCCESS,         ""},
    {"",     0, RTSTR_MAX, QERR_BUFFER_OVERFLOW, nullptr},
    {"abc", 10, RTSTR_MAX, QINF_SUCCESS,         "abc"},
    {"abcdef", 4, 3,       QINF_SUCCESS,         "abc"},
    {"abcdef", 3, 3,       QERR_BUFFER_OVERFLOW, "ab"},
    {"abcdef", 8, 0,       QINF_SUCCESS,         ""},
    {"ab",   8, 5,         QINF_SUCCESS,         "ab"},
};
// clang-format on

class StrCopy : public testing::TestWithParam<CopyCase> {};

TEST_P(StrCopy, TruncatesAndTerminates) {
    const CopyCase &c = GetParam();
    char ab[16];
    memset(ab, '#', sizeof(ab));
    int rc =
        c.cchSrcMax == RTSTR_MAX ? RTStrCopy(ab, c.cbDst, c.pszSrc) : RTStrCopyEx(ab, c.cbDst, c.pszSrc, c.cchSrcMax);
    EXPECT_EQ(c.rc, rc);
    if (c.pszExpect) {
        EXPECT_STREQ(c.pszExpect, ab);
        EXPECT_EQ('#', ab[strlen(c.pszExpect) + 1]);
    } else
        EXPECT_EQ('#', ab[0]);
    // The Ex form with an unlimited source agrees.
    if (c.cchSrcMax == RTSTR_MAX) {
        char ab2[16];
        memset(ab2, '#', sizeof(ab2));
        EXPECT_EQ(c.rc, RTStrCopyEx(ab2, c.cbDst, c.pszSrc, RTSTR_MAX));
        EXPECT_EQ(0, memcmp(ab, ab2, sizeof(ab)));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StrCopy, testing::ValuesIn(g_aCopy));

TEST(StrCat, AppendsTruncatesAndRejectsUnterminated) {
    char ab[6] = "ab";
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTStrCat(ab, sizeof(ab), "cdef"));
    EXPECT_STREQ("abcde", ab);

    char abFull[3] = {'a', 'b', 'c'};
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTStrCat(abFull, sizeof(abFull), "x"));
    EXPECT_EQ(0, memcmp(abFull, "abc", 3));

    char abOk[8] = "ab";
    EXPECT_EQ(QINF_SUCCESS, RTStrCat(abOk, sizeof(abOk), "cdefg"));
    EXPECT_STREQ("abcdefg", abOk);

    char abExact[4] = "abc";
    EXPECT_EQ(QINF_SUCCESS, RTStrCat(abExact, sizeof(abExact), ""));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTStrCat(abExact, sizeof(abExact), "d"));
    EXPECT_STREQ("abc", abExact);

    char abZero[1] = {'q'};
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTStrCat(abZero, 0, "x"));
    EXPECT_EQ('q', abZero[0]);

    char abEx[8] = "ab";
    EXPECT_EQ(QINF_SUCCESS, RTStrCatEx(abEx, sizeof(abEx), "cdefg", 2));
    EXPECT_STREQ("abcd", abEx);
}

TEST(StrDup, CopiesAndLimits) {
    char *psz = RTStrDup("hello");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("hello", psz);
    RTStrFree(psz);
    psz = RTStrDupN("hello", 3);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("hel", psz);
    RTStrFree(psz);
    psz = RTStrDupN("hi", RTSTR_MAX);
    EXPECT_STREQ("hi", psz);
    RTStrFree(psz);
    psz = RTStrDupN("hi", 0);
    EXPECT_STREQ("", psz);
    RTStrFree(psz);
    RTStrFree(nullptr);
}

TEST(StrDup, NullWhenAllocationFails) {
    RTMemTestFailAfter(1);
    EXPECT_EQ(nullptr, RTStrDup("x"));
    RTMemTestFailAfter(1);
    EXPECT_EQ(nullptr, RTStrDupN("x", 1));
    RTMemTestFailAfter(1);
    EXPECT_EQ(nullptr, RTStrAlloc(4));
    RTMemTestFailAfter(0);
}

TEST(StrAlloc, SizeZeroGivesOneByte) {
    char *psz = RTStrAlloc(0);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    RTStrFree(psz);
    psz = RTStrAlloc(32);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    psz[31] = 'x';
    RTStrFree(psz);
}

TEST(StrRealloc, AllocatesResizesAndFrees) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrRealloc(&psz, 8));
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    EXPECT_EQ('\0', psz[7]);
    memcpy(psz, "abcdefg", 8);
    ASSERT_EQ(QINF_SUCCESS, RTStrRealloc(&psz, 4)); // shrink: last byte of the new size is 0
    EXPECT_STREQ("abc", psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrRealloc(&psz, 64));
    EXPECT_STREQ("abc", psz);
    EXPECT_EQ('\0', psz[63]);
    EXPECT_EQ(QINF_SUCCESS, RTStrRealloc(&psz, 0));
    EXPECT_EQ(nullptr, psz);
}

TEST(StrRealloc, FailureKeepsTheOldBlock) {
    char *psz = nullptr;
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_STR_MEMORY, RTStrRealloc(&psz, 8));
    EXPECT_EQ(nullptr, psz);
    psz = RTStrDup("keep");
    char *pszOld = psz;
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_STR_MEMORY, RTStrRealloc(&psz, 4096));
    RTMemTestFailAfter(0);
    EXPECT_EQ(pszOld, psz);
    EXPECT_STREQ("keep", psz);
    RTStrFree(psz);
}

} // namespace
