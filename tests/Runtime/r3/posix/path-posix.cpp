// What only the POSIX backend does: the native form, the drive table of the hook, and current
// directories of forms Windows never reports.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "r3/posix/path-posix-internal.h"

#include <gtest/gtest.h>

namespace {

class PathPosix : public testing::Test {
protected:
    void TearDown() override { rtPathPosixTestSetCurrent(nullptr); }
};

TEST_F(PathPosix, NativeFormUsesSlashes) {
    char *psz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, rtPathPosixToNative(&psz, "C:\\dir\\sub/x"));
    EXPECT_STREQ("C:/dir/sub/x", psz);
    RTStrFree(psz);
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_STR_MEMORY, rtPathPosixToNative(&psz, "x"));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, psz);
}

TEST_F(PathPosix, DriveTableAndFallbacks) {
    rtPathPosixTestSetCurrent("c:\\work\\dir");
    rtPathPosixTestSetDriveCurrent('E', "E:\\e");
    struct {
        int iLine;
        char chDrive;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, 'e', "E:\\e"},
        {__LINE__, 'C', "c:\\work\\dir"}, // the current directory's own drive
        {__LINE__, 'F', "F:\\"},          // no directory of its own: the root
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrentOnDrive(c.chDrive, ab, sizeof(ab)));
        EXPECT_STREQ(c.pszExpect, ab);
    }
}

TEST_F(PathPosix, UnexpectedCurrentDirectories) {
    struct {
        int iLine;
        const char *pszCwd, *pszPath;
        int rc;
    } const s_aCases[] = {
        // No drive and no share to put before a root-relative path.
        {__LINE__, "/home/user", "\\x", QERR_INTERNAL_ERROR_4},
        {__LINE__, "\\\\\\x", "\\x", QERR_INTERNAL_ERROR_4},
        // A bare drive cannot be a base.
        {__LINE__, "C:", "x", QERR_PATH_DOES_NOT_START_WITH_ROOT},
        // A POSIX directory still takes relative paths (with the host's separator).
        {__LINE__, "/home/user", "x", QINF_SUCCESS},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        rtPathPosixTestSetCurrent(c.pszCwd);
        char ab[64];
        size_t cb = sizeof(ab);
        EXPECT_EQ(c.rc, RTPathAbsEx(nullptr, c.pszPath, 0, ab, &cb));
    }
    rtPathPosixTestSetCurrent("/home/user");
    char ab[64];
    EXPECT_EQ(QINF_SUCCESS, RTPathAbs("x", ab, sizeof(ab)));
    EXPECT_STREQ("\\home\\user\\x", ab);
}

} // namespace
