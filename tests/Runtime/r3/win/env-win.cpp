// Windows environment lookups: exact wide values, values the CRT's copies do not see, the
// unconvertible value, and RTEnvGet's kept strings.
#include <qrt/env.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

const char *const g_pszVar = "QRT_TST_ENV_WIN";
const wchar_t *const g_pwszVar = L"QRT_TST_ENV_WIN";

class EnvWin : public testing::Test {
protected:
    void TearDown() override { SetEnvironmentVariableW(g_pwszVar, nullptr); }
};

TEST_F(EnvWin, ReadsTheProcessBlockExactly) {
    // Set in the process block only: the C library's copies never hear of it.
    ASSERT_TRUE(SetEnvironmentVariableW(g_pwszVar, L"\x4e2d\x0141\xd83d\xde00"));
    char ab[32];
    size_t cch = 0;
    ASSERT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, ab, sizeof(ab), &cch));
    EXPECT_STREQ("\xe4\xb8\xad\xc5\x81\xf0\x9f\x98\x80", ab);
    EXPECT_EQ(9u, cch);
    // Names match without regard to case, as Windows does.
    ASSERT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, "qrt_tst_env_win", ab, sizeof(ab), &cch));
    EXPECT_STREQ("\xe4\xb8\xad\xc5\x81\xf0\x9f\x98\x80", ab);
}

TEST_F(EnvWin, LoneSurrogateGivesTheConversionStatus) {
    ASSERT_TRUE(SetEnvironmentVariableW(g_pwszVar, L"a\xd800z"));
    char ab[32];
    memset(ab, '#', sizeof(ab));
    size_t cch = 5;
    EXPECT_EQ(QERR_INVALID_UTF16_ENCODING, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, ab, sizeof(ab), &cch));
    EXPECT_EQ(0u, cch);
    EXPECT_EQ('#', ab[0]);
    EXPECT_EQ(nullptr, RTEnvGet(g_pszVar));
}

TEST_F(EnvWin, ValueAboveTheStackBuffer) {
    std::wstring str(20000, L'\x00e9'); // two UTF-8 bytes each
    ASSERT_TRUE(SetEnvironmentVariableW(g_pwszVar, str.c_str()));
    size_t cch = 0;
    EXPECT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, nullptr, 0, &cch));
    EXPECT_EQ(40000u, cch);
    const char *psz = RTEnvGet(g_pszVar);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(40000u, strlen(psz));
    EXPECT_EQ(0, memcmp(psz, "\xc3\xa9\xc3\xa9", 4));
}

TEST_F(EnvWin, RTEnvGetKeepsEarlierStrings) {
    ASSERT_TRUE(SetEnvironmentVariableW(g_pwszVar, L"first \x4e2d"));
    const char *psz1 = RTEnvGet(g_pszVar);
    ASSERT_NE(nullptr, psz1);
    EXPECT_STREQ("first \xe4\xb8\xad", psz1);
    EXPECT_EQ(psz1, RTEnvGet(g_pszVar)); // unchanged value, same string

    ASSERT_TRUE(SetEnvironmentVariableW(g_pwszVar, L"second"));
    const char *psz2 = RTEnvGet(g_pszVar);
    ASSERT_NE(nullptr, psz2);
    EXPECT_STREQ("second", psz2);
    EXPECT_STREQ("first \xe4\xb8\xad", psz1); // the earlier string is still valid
}

} // namespace
