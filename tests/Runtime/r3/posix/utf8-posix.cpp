// Code-page conversions where the code set is UTF-8: validated copies.
#include <qrt/err.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

namespace {

TEST(Utf8CurrentCP, CopiesValidText) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCP(&psz, "caf\xc3\xa9"));
    EXPECT_STREQ("caf\xc3\xa9", psz);
    RTStrFree(psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCPEx(&psz, "caf\xc3\xa9", 3));
    EXPECT_STREQ("caf", psz);
    RTStrFree(psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrCurrentCPToUtf8(&psz, "\xe2\x82\xac"));
    EXPECT_STREQ("\xe2\x82\xac", psz);
    RTStrFree(psz);
}

TEST(Utf8CurrentCP, EmptyInputGivesOneZeroByte) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrUtf8ToCurrentCPEx(&psz, "abc", 0));
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    RTStrFree(psz);
    ASSERT_EQ(QINF_SUCCESS, RTStrCurrentCPToUtf8(&psz, ""));
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ('\0', psz[0]);
    RTStrFree(psz);
}

TEST(Utf8CurrentCP, InvalidTextAndOutOfMemory) {
    char *psz = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrUtf8ToCurrentCP(&psz, "a\xc3"));
    EXPECT_EQ(nullptr, psz);
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_TMP_MEMORY, RTStrUtf8ToCurrentCP(&psz, "abc"));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, psz);
}

} // namespace
