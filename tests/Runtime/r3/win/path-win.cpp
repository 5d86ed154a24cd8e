// Windows current-directory queries and renaming: what the platform adds to the shared contract.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/system.h>

#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

class PathWin : public testing::Test {
protected:
    void TearDown() override {
        tstPathSetDriveCwd('D', nullptr);
        tstPathRestoreCwd();
    }
};

TEST_F(PathWin, CurrentDirectoryQueries) {
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    ASSERT_TRUE(tstPathSetDriveCwd('D', "D:\\data"));
    struct {
        int iLine;
        int iQuery; // 0 current, 1 on drive D, 2 on drive C, 3 current drive
        size_t cb;
        int rc;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, 0, 64, QINF_SUCCESS, "C:\\work\\dir"}, // the drive letter upper-cased
        {__LINE__, 0, 12, QINF_SUCCESS, "C:\\work\\dir"},
        {__LINE__, 0, 11, QERR_BUFFER_OVERFLOW, nullptr},
        {__LINE__, 0, 0, QERR_BUFFER_OVERFLOW, nullptr},
        {__LINE__, 1, 64, QINF_SUCCESS, "D:\\data\\"}, // Wine adds the separator; Windows does not
        {__LINE__, 1, 0, QERR_BUFFER_OVERFLOW, nullptr},
        {__LINE__, 3, 64, QINF_SUCCESS, "C:"},
        {__LINE__, 3, 2, QERR_BUFFER_OVERFLOW, nullptr},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        int rc = c.iQuery == 0   ? RTPathGetCurrent(ab, c.cb)
                 : c.iQuery == 1 ? RTPathGetCurrentOnDrive('d', ab, c.cb)
                                 : RTPathGetCurrentDrive(ab, c.cb);
        EXPECT_EQ(c.rc, rc);
        if (c.pszExpect) {
            std::string const strExpect = c.pszExpect;
            if (strExpect.back() == '\\' && strExpect.size() > 3)
                EXPECT_TRUE(strExpect == ab || strExpect.substr(0, strExpect.size() - 1) == ab) << ab;
            else
                EXPECT_EQ(strExpect, ab);
        }
    }
}

TEST_F(PathWin, SetCurrentKeepsADriveRoot) {
    EXPECT_EQ(QINF_SUCCESS, RTPathSetCurrent("C:\\"));
    char ab[64];
    EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrent(ab, sizeof(ab)));
    EXPECT_STREQ("C:\\", ab);
    EXPECT_EQ(RTErrConvertFromWin32(ERROR_FILE_NOT_FOUND), RTPathSetCurrent("C:\\no-such-dir-qrt"));
}

TEST_F(PathWin, RenameWhileOpenIsASharingViolation) {
    std::string const strDir = "C:\\qrt-ren-" + std::to_string(RTProcSelf());
    CreateDirectoryA(strDir.c_str(), nullptr);
    std::string const strSrc = strDir + "\\a.txt", strDst = strDir + "\\b.txt";
    HANDLE h = CreateFileA(strSrc.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTPathRename(strSrc.c_str(), strDst.c_str(), 0, RTPATH_RENAME_TYPE_FILE));
    CloseHandle(h);
    EXPECT_EQ(QINF_SUCCESS, RTPathRename(strSrc.c_str(), strDst.c_str(), 0, RTPATH_RENAME_TYPE_FILE));
    DeleteFileA(strDst.c_str());
    RemoveDirectoryA(strDir.c_str());
}

} // namespace
