// The executable's directory from the recorded path.
#include <qrt/err.h>
#include <qrt/path.h>

#include "common/path/path-internal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PathExecDir, DirectoryOfTheRecordedPath) {
    // Another test may have initialised the runtime, which records the real path: that record
    // is put back on the way out, whatever this test leaves in it.
    struct Restore {
        RTPATHEXECPATHREC Saved = g_RtProcExecPath;
        ~Restore() { g_RtProcExecPath = Saved; }
    } const Restorer;
    g_RtProcExecPath.cchPath = 0;
    char ab[64];
    EXPECT_EQ(QERR_WRONG_ORDER, RTPathExecDir(ab, sizeof(ab)));

    struct {
        int iLine;
        const char *pszExe, *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "C:\\app.exe", "C:\\"},
        {__LINE__, "C:\\dir\\app.exe", "C:\\dir"},
        {__LINE__, "\\\\srv\\share\\app.exe", "\\\\srv\\share"},
        {__LINE__, "C:\\a\\\\app.exe", "C:\\a"},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        ASSERT_EQ(QINF_SUCCESS, rtPathSetExecPath(c.pszExe));
        memset(ab, '#', sizeof(ab));
        EXPECT_EQ(QINF_SUCCESS, RTPathExecDir(ab, sizeof(ab)));
        EXPECT_STREQ(c.pszExpect, ab);
        size_t const cch = strlen(c.pszExpect);
        EXPECT_EQ(QINF_SUCCESS, RTPathExecDir(ab, cch + 1));
        memset(ab, '#', sizeof(ab));
        EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathExecDir(ab, cch));
        EXPECT_EQ('#', ab[0]);
    }
    EXPECT_EQ(QERR_FILENAME_TOO_LONG, rtPathSetExecPath(std::string(4068, 'x').c_str()));
    EXPECT_EQ(QINF_SUCCESS, rtPathSetExecPath(std::string(4067, 'x').c_str()));
}

} // namespace
