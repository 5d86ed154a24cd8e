// Windows current-directory queries and renaming: what the platform adds to the shared contract.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/system.h>
#include <qrt/utf16.h>

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

// What Win32 makes of a path, in UTF-8.
std::string tstFullPathName(const char *pszPath) {
    RTUTF16 *pwsz = nullptr;
    if (RTStrToUtf16(pszPath, &pwsz) != 0) return "<bad>";
    wchar_t awc[4100];
    DWORD const cwc = GetFullPathNameW(reinterpret_cast<LPCWSTR>(pwsz), 4100, awc, nullptr);
    RTUtf16Free(pwsz);
    char *psz = nullptr;
    if (cwc == 0 || RTUtf16ToUtf8Ex(reinterpret_cast<const RTUTF16 *>(awc), cwc, &psz, 0, nullptr) != 0)
        return "<failed>";
    std::string str(psz);
    RTStrFree(psz);
    return str;
}

TEST_F(PathWin, AbsoluteAgreesWithWin32) {
    // The lexical resolution against Win32's own. Known differences, left out of the inputs:
    // Win32 strips trailing dots and spaces and turns device names into '\\.\NAME'; Wine keeps
    // the drive letter as typed where we upper-case it (compared without case below), and puts
    // a separator after a bare drive's directory. Win32 also ends a share reached by ".." with a
    // separator ('\\\\srv\\share\\'), and Wine reads a path rooted by '/' as a Unix one
    // ('/x' is 'Z:\\x').
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    ASSERT_TRUE(tstPathSetDriveCwd('D', "D:\\data"));
    const char *const s_apszInputs[] = {
        "file",
        ".\\file",
        "..\\x",
        "..\\..\\..\\..\\x",
        "c:\\A\\.\\B\\\\C\\",
        "C:\\a\\..\\b",
        "C:\\..",
        "\\x",
        "\\x\\..\\y\\.",
        "a/b//c/",
        "\\\\srv\\share\\..\\x",
        "//srv/share/x",
        "\\\\?\\C:\\a\\..\\b",
        "\\\\.\\C:\\a\\..\\..\\x",
        "D:x",
        "c:x",
        "C:..\\..\\..",
        "\\\\qrtsrv\\share\\a\\..\\b",
    };
    for (const char *pszPath : s_apszInputs) {
        SCOPED_TRACE(pszPath);
        char ab[RTPATH_BUF_SIZE];
        ASSERT_EQ(QINF_SUCCESS, RTPathAbs(pszPath, ab, sizeof(ab)));
        EXPECT_STRCASEEQ(tstFullPathName(pszPath).c_str(), ab);
    }
}

} // namespace
