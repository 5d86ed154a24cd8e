// Environment lookups: argument rules, sizes and the length-only form, in both builds.
#include <qrt/env.h>
#include <qrt/err.h>

#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char *const g_pszVar = "QRT_TST_ENV_ABCDE";

class EnvGetEx : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tstEnvSet(g_pszVar, "ABCDE")); }
    void TearDown() override { tstEnvSet(g_pszVar, nullptr); }
    TstEnvGuard m_Guard{g_pszVar};
};

char *const g_pchBad = reinterpret_cast<char *>(uintptr_t(0x10));
size_t *const g_pcbBad = reinterpret_cast<size_t *>(~uintptr_t(0) - 8); // the last page

struct ArgCase {
    int iLine;
    const char *pszVar;
    bool fBuffer;    // pass a real buffer (else null or g_pchBad)
    bool fBadBuffer; // pass an implausible buffer
    size_t cbValue;
    int iLength; // 0 none, 1 real, 2 implausible
    int rc;
    size_t cchExpect;      // the out length afterwards (when given)
    const char *pszExpect; // buffer contents afterwards (null: untouched)
};

// clang-format off
const ArgCase g_aArgs[] = {
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 6, 1, QINF_SUCCESS,              5, "ABCDE"},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 6, 0, QINF_SUCCESS,              0, "ABCDE"},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 5, 1, QERR_BUFFER_OVERFLOW,      5, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 1, 1, QERR_BUFFER_OVERFLOW,      5, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 0, 1, QINF_SUCCESS,              5, nullptr}, // length only
    {__LINE__, "QRT_TST_ENV_ABCDE", false, false, 0, 1, QINF_SUCCESS,              5, nullptr},
    // A null buffer with a size still means "length only": nothing is written through it.
    {__LINE__, "QRT_TST_ENV_ABCDE", false, false, 64, 1, QINF_SUCCESS,             5, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", false, false, 64, 0, QERR_INVALID_PARAMETER,   0, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 0, 0, QERR_INVALID_PARAMETER,    0, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", false, true,  6, 1, QERR_INVALID_POINTER,      0, nullptr},
    {__LINE__, "QRT_TST_ENV_ABCDE", true,  false, 6, 2, QERR_INVALID_POINTER,      0, nullptr},
    {__LINE__, nullptr,             true,  false, 6, 1, QERR_INVALID_POINTER,      0, nullptr},
    {__LINE__, "QRT_TST_ENV_NOPE",  true,  false, 6, 1, QERR_ENV_VAR_NOT_FOUND,    0, nullptr},
    // '=' is refused before the environment is read, with the length already cleared.
    {__LINE__, "QRT_TST=ENV",       true,  false, 6, 1, QERR_ENV_INVALID_VAR_NAME, 0, nullptr},
    {__LINE__, "=C:",               true,  false, 6, 1, QERR_ENV_INVALID_VAR_NAME, 0, nullptr},
    // A name that is not UTF-8 fails its conversion.
    {__LINE__, "QRT_\xff",          true,  false, 6, 1, QERR_INVALID_UTF8_ENCODING, 0, nullptr},
};
// clang-format on

TEST_F(EnvGetEx, ArgumentMatrix) {
    for (const ArgCase &c : g_aArgs) {
        SCOPED_TRACE(c.iLine);
        char ab[8];
        memset(ab, '#', sizeof(ab));
        size_t cch = 77;
        char *pszBuf = c.fBuffer ? ab : c.fBadBuffer ? g_pchBad : nullptr;
        size_t *pcch = c.iLength == 1 ? &cch : c.iLength == 2 ? g_pcbBad : nullptr;
        EXPECT_EQ(c.rc, RTEnvGetEx(RTENV_DEFAULT, c.pszVar, pszBuf, c.cbValue, pcch));
        if (c.iLength == 1) {
            // Refusals before the lookup leave the out length alone; everything after sets it.
            bool const fUntouched = c.rc == QERR_INVALID_POINTER || c.rc == QERR_INVALID_PARAMETER;
            EXPECT_EQ(fUntouched ? 77u : c.cchExpect, cch);
        }
        if (c.pszExpect)
            EXPECT_STREQ(c.pszExpect, ab);
        else
            EXPECT_EQ('#', ab[0]);
    }
}

TEST_F(EnvGetEx, OtherHandlesAreRefused) {
    char ab[8];
    size_t cch;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTEnvGetEx((RTENV)uintptr_t(0x12345678), g_pszVar, ab, sizeof(ab), &cch));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTEnvGetEx(nullptr, g_pszVar, ab, sizeof(ab), &cch));
}

TEST_F(EnvGetEx, EmptyAndMultibyteValues) {
    char ab[16];
    size_t cch = 99;
    ASSERT_TRUE(tstEnvSet(g_pszVar, ""));
    EXPECT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, ab, sizeof(ab), &cch));
    EXPECT_EQ(0u, cch);
    EXPECT_STREQ("", ab);

    // U+4E2D and U+1F600 (a surrogate pair on Windows): 7 bytes of UTF-8.
    ASSERT_TRUE(tstEnvSet(g_pszVar, "\xe4\xb8\xad\xf0\x9f\x98\x80"));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, ab, 7, &cch));
    EXPECT_EQ(7u, cch);
    EXPECT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, ab, 8, &cch));
    EXPECT_STREQ("\xe4\xb8\xad\xf0\x9f\x98\x80", ab);
}

TEST_F(EnvGetEx, LongValue) {
    std::string strLong(3000, 'v');
    strLong += "end";
    ASSERT_TRUE(tstEnvSet(g_pszVar, strLong.c_str()));
    size_t cch = 0;
    EXPECT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, nullptr, 0, &cch));
    EXPECT_EQ(strLong.size(), cch);
    std::string strBuf(cch + 1, '#');
    EXPECT_EQ(QINF_SUCCESS, RTEnvGetEx(RTENV_DEFAULT, g_pszVar, &strBuf[0], strBuf.size(), nullptr));
    EXPECT_STREQ(strLong.c_str(), strBuf.c_str());
}

TEST_F(EnvGetEx, RTEnvGetReturnsTheValue) {
    const char *psz = RTEnvGet(g_pszVar);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("ABCDE", psz);
    EXPECT_EQ(nullptr, RTEnvGet("QRT_TST_ENV_NOPE"));
    EXPECT_EQ(nullptr, RTEnvGet("QRT_TST=ENV"));
}

} // namespace
