// The buffer front ends: RTStrPrintf (silent truncation), RTStrPrintf2 (needed size) and
// RTStrAPrintf (allocation with growth).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <qrt/format.h>
#include <qrt/string.h>

namespace {

TEST(StrPrintf, TruncatesSilently) {
    char szBuf[16];
    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrPrintf(szBuf, 4, "hello%s", "!"), 3u);
    EXPECT_STREQ(szBuf, "hel");
    EXPECT_EQ(szBuf[4], 'Z');

    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrPrintf(szBuf, 0, "hello%s", "!"), 0u);
    EXPECT_EQ(szBuf[0], 'Z');
    EXPECT_EQ(RTStrPrintf(NULL, 0, "hello"), 0u);

    EXPECT_EQ(RTStrPrintf(szBuf, 1, "hello"), 0u);
    EXPECT_STREQ(szBuf, "");
    EXPECT_EQ(RTStrPrintf(szBuf, 7, "hello%s", "!"), 6u);
    EXPECT_STREQ(szBuf, "hello!");
    EXPECT_EQ(RTStrPrintf(szBuf, 6, "hello%s", "!"), 5u);
    EXPECT_STREQ(szBuf, "hello");
    EXPECT_EQ(RTStrPrintf(szBuf, sizeof(szBuf), ""), 0u);
    EXPECT_STREQ(szBuf, "");
}

TEST(StrPrintf, TruncatesInsideNumbers) {
    char szBuf[6];
    EXPECT_EQ(RTStrPrintf(szBuf, sizeof(szBuf), "%d", 123456789), 5u);
    EXPECT_STREQ(szBuf, "12345");
}

TEST(StrPrintf2, ReportsTheNeededSize) {
    char szBuf[16];
    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTStrPrintf2(szBuf, 4, "hello%s", "!"), -7);
    EXPECT_STREQ(szBuf, "hel");
    EXPECT_EQ(szBuf[4], 'Z');

    EXPECT_EQ(RTStrPrintf2(szBuf, 7, "hello%s", "!"), 6);
    EXPECT_STREQ(szBuf, "hello!");
    EXPECT_EQ(RTStrPrintf2(szBuf, 6, "hello%s", "!"), -7);
    EXPECT_STREQ(szBuf, "hello");
    EXPECT_EQ(RTStrPrintf2(szBuf, 1, "hello"), -6);
    EXPECT_STREQ(szBuf, "");
    EXPECT_EQ(RTStrPrintf2(szBuf, 1, ""), 0);
    EXPECT_STREQ(szBuf, "");
}

TEST(StrPrintf2, ZeroSizeIsAlwaysNegative) {
    char szBuf[4] = {'Z', 'Z', 'Z', 'Z'};
    EXPECT_EQ(RTStrPrintf2(szBuf, 0, "hello"), -6);
    EXPECT_EQ(RTStrPrintf2(szBuf, 0, ""), -1);
    EXPECT_EQ(RTStrPrintf2(NULL, 0, "%d", 12), -3);
    EXPECT_EQ(szBuf[0], 'Z');
}

TEST(StrPrintf2, LaterPiecesAfterAnOverflowAddNothing) {
    char szBuf[8];
    memset(szBuf, 'Z', sizeof(szBuf));
    // "ab" fits, "cdefgh" overflows leaving one byte, "ij" and "k" are counted only.
    EXPECT_EQ(RTStrPrintf2(szBuf, 5, "ab%sij%c", "cdefgh", 'k'), -12);
    EXPECT_STREQ(szBuf, "abcd");
    EXPECT_EQ(szBuf[5], 'Z');
}

std::string APrintf(int *pcch, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    char *psz = (char *)(uintptr_t)1;
    *pcch = RTStrAPrintfV(&psz, pszFormat, va, "tests/strprintf");
    va_end(va);
    if (!psz) return "<null>";
    std::string str(psz);
    RTStrFree(psz);
    return str;
}

TEST(StrAPrintf, ShortText) {
    int cch = 0;
    EXPECT_EQ(APrintf(&cch, "v%u.%u", 1u, 2u), "v1.2");
    EXPECT_EQ(cch, 4);
    EXPECT_EQ(APrintf(&cch, ""), "");
    EXPECT_EQ(cch, 0);

    char *psz = NULL;
    EXPECT_EQ(RTStrAPrintf(&psz, "%s-%d", "x", 5), 3);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "x-5");
    RTStrFree(psz);
}

TEST(StrAPrintf, StackBufferEdges) {
    int cch = 0;
    // 2047 characters still fit the stack buffer with the terminator; 2048 need the heap.
    for (size_t cchText : {2046, 2047, 2048, 2049, 4095, 4096, 4097}) {
        std::string str(cchText, 'a');
        EXPECT_EQ(APrintf(&cch, "%s", str.c_str()), str);
        EXPECT_EQ(cch, (int)cchText);
        // The same text in two pieces, the second crossing the stack buffer's end.
        std::string strHead(cchText / 2, 'b'), strTail(cchText - cchText / 2, 'c');
        EXPECT_EQ(APrintf(&cch, "%s%s", strHead.c_str(), strTail.c_str()), strHead + strTail);
        EXPECT_EQ(cch, (int)cchText);
    }
}

TEST(StrAPrintf, GrowsGeometricallyAndByLargePieces) {
    int cch = 0;
    // Pieces smaller than the buffer double it: 2 KiB, then about 100 KB, 200 KB, 400 KB, ...
    for (size_t cchPiece : {300, 100000, 400000}) {
        std::string strPiece(cchPiece, 'p');
        const char *p = strPiece.c_str();
        std::string str = APrintf(&cch, "%s%s%s%s%s%s%s%s", p, p, p, p, p, p, p, p);
        EXPECT_EQ(cch, (int)(8 * cchPiece));
        std::string strExpected;
        for (int i = 0; i < 8; i++) strExpected += strPiece;
        EXPECT_EQ(str, strExpected);
    }

    // One piece larger than the growth step.
    std::string strHuge(3 * 1024 * 1024 + 17, 'h');
    std::string str = APrintf(&cch, "<%s>", strHuge.c_str());
    EXPECT_EQ(cch, (int)strHuge.size() + 2);
    EXPECT_EQ(str, "<" + strHuge + ">");

    // Pieces after a growth keep the text intact.
    std::string strMid(5000, 'm');
    str = APrintf(&cch, "%s|%d|%s", strMid.c_str(), 42, strMid.c_str());
    EXPECT_EQ(str, strMid + "|42|" + strMid);
}

} // namespace
