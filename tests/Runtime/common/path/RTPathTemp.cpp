// The temporary directory from the environment: order, sizes, empty and relative values.
#include <qrt/err.h>
#include <qrt/path.h>

#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class PathTemp : public testing::Test {
protected:
    void SetUp() override {
        for (const char *psz : {"QURT_TMPDIR", "TMP", "TEMP", "USERPROFILE"}) ASSERT_TRUE(tstEnvSet(psz, nullptr));
        ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    }
    void TearDown() override { tstPathRestoreCwd(); }
    TstEnvGuard m_aGuards[4] = {TstEnvGuard("QURT_TMPDIR"), TstEnvGuard("TMP"), TstEnvGuard("TEMP"),
                                TstEnvGuard("USERPROFILE")};
};

struct TempCase {
    int iLine;
    const char *pszQurt, *pszTmp, *pszTemp, *pszProfile; // null: unset
    size_t cb;
    int rc;
    const char *pszExpect;
};

// clang-format off
const TempCase g_aTemp[] = {
    {__LINE__, nullptr, nullptr, nullptr, nullptr, 5, QINF_SUCCESS, "/tmp"},
    {__LINE__, nullptr, nullptr, nullptr, nullptr, 4, QERR_BUFFER_OVERFLOW, nullptr},
    {__LINE__, "C:\\q", "C:\\tmp", "C:\\temp", "C:\\u", 64, QINF_SUCCESS, "C:\\q"},
    {__LINE__, nullptr, "C:\\tmp", "C:\\temp", "C:\\u", 64, QINF_SUCCESS, "C:\\tmp"},
    {__LINE__, nullptr, nullptr, "C:\\temp", "C:\\u", 64, QINF_SUCCESS, "C:\\temp"},
    {__LINE__, nullptr, nullptr, nullptr, "C:\\u", 64, QINF_SUCCESS, "C:\\u"},
    // Returned as they stand: no separator added or removed, no clean-up.
    {__LINE__, nullptr, "c:\\T\\", nullptr, nullptr, 64, QINF_SUCCESS, "c:\\T\\"},
    {__LINE__, nullptr, "C:\\a\\..\\b", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\a\\..\\b"},
    {__LINE__, nullptr, "\\\\srv\\share\\t", nullptr, nullptr, 64, QINF_SUCCESS, "\\\\srv\\share\\t"},
    {__LINE__, nullptr, "C:\\\xe4\xb8\xad\\\xf0\x9f\x98\x80", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\\xe4\xb8\xad\\\xf0\x9f\x98\x80"},
    // A value that does not fit stops the search.
    {__LINE__, "C:\\much-too-long", "C:\\t", nullptr, nullptr, 8, QERR_BUFFER_OVERFLOW, nullptr},
    {__LINE__, nullptr, "C:\\tmp", nullptr, nullptr, 7, QINF_SUCCESS, "C:\\tmp"},
    {__LINE__, nullptr, "C:\\tmp", nullptr, nullptr, 6, QERR_BUFFER_OVERFLOW, nullptr},
    {__LINE__, nullptr, "C:\\tmp", nullptr, nullptr, 0, QERR_BUFFER_OVERFLOW, nullptr},
    // An empty value counts as unset.
    {__LINE__, "", "C:\\tmp", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\tmp"},
    {__LINE__, "", "", "", "", 64, QINF_SUCCESS, "/tmp"},
    // A relative value is made absolute once, against the current directory of now.
    {__LINE__, nullptr, "rel\\dir", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\work\\dir\\rel\\dir"},
    {__LINE__, nullptr, "..\\t\\", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\work\\t\\"},
    {__LINE__, nullptr, "\\temp", nullptr, nullptr, 64, QINF_SUCCESS, "C:\\temp"},
    {__LINE__, nullptr, "rel", nullptr, nullptr, 15, QERR_BUFFER_OVERFLOW, nullptr},
    {__LINE__, nullptr, "rel", nullptr, nullptr, 16, QINF_SUCCESS, "C:\\work\\dir\\rel"},
};
// clang-format on

TEST_F(PathTemp, VariablesInOrder) {
    for (const TempCase &c : g_aTemp) {
        SCOPED_TRACE(c.iLine);
        ASSERT_TRUE(tstEnvSet("QURT_TMPDIR", c.pszQurt));
        ASSERT_TRUE(tstEnvSet("TMP", c.pszTmp));
        ASSERT_TRUE(tstEnvSet("TEMP", c.pszTemp));
        ASSERT_TRUE(tstEnvSet("USERPROFILE", c.pszProfile));
        char ab[64];
        EXPECT_EQ(c.rc, RTPathTemp(ab, c.cb));
        if (c.pszExpect) {
            EXPECT_STREQ(c.pszExpect, ab);
        }
    }
}

} // namespace
