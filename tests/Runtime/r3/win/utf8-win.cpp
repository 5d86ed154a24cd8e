// Code-page conversions through the process's ANSI code page.
#include <qrt/err.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(Utf8CurrentCP, AsciiRoundTrips) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCP(&psz, "Hello, world"));
    EXPECT_STREQ("Hello, world", psz);
    char *pszBack = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrCurrentCPToUtf8(&pszBack, psz));
    EXPECT_STREQ("Hello, world", pszBack);
    RTStrFree(pszBack);
    RTStrFree(psz);
}

TEST(Utf8CurrentCP, ByteLimitAndEmptyInput) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCPEx(&psz, "abcdef", 3));
    EXPECT_STREQ("abc", psz);
    RTStrFree(psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCPEx(&psz, "abcdef", 0));
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    RTStrFree(psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrCurrentCPToUtf8(&psz, ""));
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    RTStrFree(psz);
}

TEST(Utf8CurrentCP, WesternCodePageLetters) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCP(&psz, "caf\xc3\xa9 \xe2\x82\xac"));
    EXPECT_STREQ("caf\xe9 \x80", psz);
    char *pszBack = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrCurrentCPToUtf8(&pszBack, psz));
    EXPECT_STREQ("caf\xc3\xa9 \xe2\x82\xac", pszBack);
    RTStrFree(pszBack);
    RTStrFree(psz);
}

TEST(Utf8CurrentCP, InvalidUtf8IsReported) {
    char *psz = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrUtf8ToCurrentCP(&psz, "a\xc3"));
    EXPECT_EQ(nullptr, psz);
    EXPECT_EQ(QERR_CODE_POINT_SURROGATE, RTStrUtf8ToCurrentCP(&psz, "\xed\xa0\x80"));
}

TEST(Utf8CurrentCP, OutOfMemory) {
    char *psz = nullptr;
    RTMemTestFailAfter(2); // the UTF-16 buffer succeeds, the result fails
    EXPECT_EQ(QERR_NO_TMP_MEMORY, RTStrUtf8ToCurrentCP(&psz, "abc"));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, psz);
    RTMemTestFailAfter(1); // the temporary UTF-16 buffer
    EXPECT_EQ(QERR_NO_TMP_MEMORY, RTStrCurrentCPToUtf8(&psz, "abc"));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, psz);
}

} // namespace
