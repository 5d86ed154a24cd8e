// The current drive cut from the current directory, also when that is longer than the buffer.
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>

#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PathCurrentDrive : public testing::Test {
protected:
    void TearDown() override { tstPathRestoreCwd(); }
};

TEST_F(PathCurrentDrive, DriveOrShare) {
    std::string strLong = "C:\\qrt-tst-drive";
    while (strLong.size() < 300) strLong += "\\" + std::string(30, 'd');
    struct {
        int iLine;
        std::string strCwd;
        size_t cb;
        int rc;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "c:\\work\\dir", 64, QINF_SUCCESS, "C:"},
        {__LINE__, "c:\\work\\dir", 3, QINF_SUCCESS, "C:"}, // the cut fits where the whole does not
        {__LINE__, "c:\\work\\dir", 2, QERR_BUFFER_OVERFLOW, nullptr},
        {__LINE__, strLong, 64, QINF_SUCCESS, "C:"},
        {__LINE__, "\\\\qrtsrv\\share\\dir", 64, QINF_SUCCESS, "\\\\qrtsrv\\share"},
        {__LINE__, "\\\\qrtsrv\\share\\dir", 15, QINF_SUCCESS, "\\\\qrtsrv\\share"},
        {__LINE__, "\\\\qrtsrv\\share\\dir", 14, QERR_BUFFER_OVERFLOW, nullptr},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        ASSERT_TRUE(tstPathSetCwd(c.strCwd.c_str()));
        char ab[64];
        EXPECT_EQ(c.rc, RTPathGetCurrentDrive(ab, c.cb));
        if (c.pszExpect) {
            EXPECT_STREQ(c.pszExpect, ab);
        }
    }
}

TEST_F(PathCurrentDrive, TemporaryBufferFailure) {
    // A current directory too long for the caller's buffer is read into a temporary one.
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    char ab[8];
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_TMP_MEMORY, RTPathGetCurrentDrive(ab, sizeof(ab)));
    RTMemTestFailAfter(0);
    EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrentDrive(ab, sizeof(ab)));
}

} // namespace
