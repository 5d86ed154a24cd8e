// Absolute paths against a current directory that is lower-case, UNC or long, against a base,
// and the size hints. The same tables run natively (through the current-directory hook) and
// under Wine (through the real current directory).
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct AbsCase {
    int iLine;
    const char *pszBase;
    const char *pszPath;
    uint32_t fFlags;
    int rc;
    const char *pszExpect;
};

class PathAbs : public testing::Test {
protected:
    void TearDown() override {
        tstPathSetDriveCwd('D', nullptr);
        tstPathRestoreCwd();
    }
    void Run(const AbsCase *paCases, size_t cCases) {
        for (size_t i = 0; i < cCases; i++) {
            const AbsCase &c = paCases[i];
            SCOPED_TRACE(c.iLine);
            char ab[RTPATH_BUF_SIZE];
            size_t cb = sizeof(ab);
            EXPECT_EQ(c.rc, RTPathAbsEx(c.pszBase, c.pszPath, c.fFlags, ab, &cb));
            if (RT_SUCCESS(c.rc)) {
                EXPECT_STREQ(c.pszExpect, ab);
                EXPECT_EQ(strlen(c.pszExpect), cb);
                char *psz = RTPathAbsExDup(c.pszBase, c.pszPath, c.fFlags);
                EXPECT_STREQ(c.pszExpect, psz);
                RTStrFree(psz);
                if (!c.pszBase && !c.fFlags) {
                    EXPECT_EQ(QINF_SUCCESS, RTPathAbs(c.pszPath, ab, strlen(c.pszExpect) + 1));
                    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAbs(c.pszPath, ab, strlen(c.pszExpect)));
                }
            }
        }
    }
};

// clang-format off
const AbsCase g_aDriveCwd[] = {
    // Current directory 'c:\work\dir' (entered in lower case).
    {__LINE__, nullptr, "file",                 0, QINF_SUCCESS, "C:\\work\\dir\\file"},
    {__LINE__, nullptr, ".\\file",              0, QINF_SUCCESS, "C:\\work\\dir\\file"},
    {__LINE__, nullptr, "..\\x",                0, QINF_SUCCESS, "C:\\work\\x"},
    {__LINE__, nullptr, "..\\..\\..\\..\\x",    0, QINF_SUCCESS, "C:\\x"},
    {__LINE__, nullptr, ".",                    0, QINF_SUCCESS, "C:\\work\\dir"},
    {__LINE__, nullptr, ".\\",                  0, QINF_SUCCESS, "C:\\work\\dir\\"},
    {__LINE__, nullptr, "..",                   0, QINF_SUCCESS, "C:\\work"},
    {__LINE__, nullptr, "a/b//c/",              0, QINF_SUCCESS, "C:\\work\\dir\\a\\b\\c\\"},
    {__LINE__, nullptr, "c:\\A\\.\\B\\\\C\\",   0, QINF_SUCCESS, "C:\\A\\B\\C\\"},
    {__LINE__, nullptr, "C:\\a\\..\\b",         0, QINF_SUCCESS, "C:\\b"},
    {__LINE__, nullptr, "c:\\a\\..\\b",         0, QINF_SUCCESS, "c:\\b"},   // this route keeps the case
    {__LINE__, nullptr, "C:\\..",               0, QINF_SUCCESS, "C:\\"},
    {__LINE__, nullptr, "C:\\",                 0, QINF_SUCCESS, "C:\\"},
    {__LINE__, nullptr, "\\x",                  0, QINF_SUCCESS, "C:\\x"},
    {__LINE__, nullptr, "\\",                   0, QINF_SUCCESS, "C:\\"},
    {__LINE__, nullptr, "/x/../y/.",            0, QINF_SUCCESS, "C:\\y"},
    {__LINE__, nullptr, "\\\\srv\\share\\..\\x", 0, QINF_SUCCESS, "\\\\srv\\share\\x"},
    {__LINE__, nullptr, "\\\\srv\\share\\a\\..\\..\\..", 0, QINF_SUCCESS, "\\\\srv\\share"},
    {__LINE__, nullptr, "//srv/share/x",        0, QINF_SUCCESS, "\\\\srv\\share\\x"},
    {__LINE__, nullptr, "\\\\?\\C:\\a\\..\\b",  0, QINF_SUCCESS, "\\\\?\\C:\\b"},
    {__LINE__, nullptr, "\\\\?\\C:\\..\\x",     0, QINF_SUCCESS, "\\\\?\\x"},  // no share floor in these
    {__LINE__, nullptr, "\\\\.\\C:\\a\\..\\..\\x", 0, QINF_SUCCESS, "\\\\.\\x"},
    {__LINE__, nullptr, "//?/C:/x",             0, QINF_SUCCESS, "\\\\?\\C:\\x"},
    {__LINE__, nullptr, "C:",                   0, QINF_SUCCESS, "C:\\work\\dir"},
    {__LINE__, nullptr, "c:x",                  0, QINF_SUCCESS, "C:\\work\\dir\\x"},
    {__LINE__, nullptr, "C:..\\..\\..",         0, QINF_SUCCESS, "C:\\"},
    // Flags.
    {__LINE__, nullptr, "x",        RTPATHABS_F_TRAILING_SEP, QINF_SUCCESS, "C:\\work\\dir\\x\\"},
    {__LINE__, nullptr, "C:\\x",    RTPATHABS_F_TRAILING_SEP, QINF_SUCCESS, "C:\\x\\"},
    {__LINE__, nullptr, "C:\\",     RTPATHABS_F_TRAILING_SEP, QINF_SUCCESS, "C:\\"},
    {__LINE__, nullptr, "\\x\\..\\y", RTPATHABS_F_TRAILING_SEP, QINF_SUCCESS, "C:\\y\\"},
    {__LINE__, nullptr, "..\\..\\..\\x", RTPATHABS_F_KEEP_CWD, QINF_SUCCESS, "C:\\work\\dir\\x"},
    {__LINE__, nullptr, "a\\..\\..\\x", RTPATHABS_F_KEEP_CWD, QINF_SUCCESS, "C:\\work\\dir\\x"},
    {__LINE__, nullptr, "..\\x",    RTPATHABS_F_KEEP_BASE, QINF_SUCCESS, "C:\\work\\x"}, // not the cwd's flag
    {__LINE__, nullptr, "file",     RTPATH_STYLE_DOS, QINF_SUCCESS, "C:\\work\\dir\\file"},
    // A base.
    {__LINE__, "C:\\base",     "..\\x",  RTPATHABS_F_KEEP_BASE, QINF_SUCCESS, "C:\\base\\x"},
    {__LINE__, "C:\\base",     "..\\x",  0, QINF_SUCCESS, "C:\\x"},
    {__LINE__, "C:\\base",     "..\\x",  RTPATHABS_F_KEEP_CWD, QINF_SUCCESS, "C:\\x"},
    {__LINE__, "c:\\base\\",   "x",      0, QINF_SUCCESS, "C:\\base\\x"},
    {__LINE__, "C:\\b\\.\\c\\\\", "x",   0, QINF_SUCCESS, "C:\\b\\c\\x"},     // the base is cleaned first
    {__LINE__, "sub",          "x",      0, QINF_SUCCESS, "C:\\work\\dir\\sub\\x"},
    {__LINE__, "\\\\srv\\share", "..\\x", 0, QINF_SUCCESS, "\\\\srv\\share\\x"},
    {__LINE__, "d:\\data",     "D:x",    0, QINF_SUCCESS, "D:\\data\\x"},     // same drive: the base
    {__LINE__, "E:\\data",     "\\x",    0, QINF_SUCCESS, "E:\\x"},           // root-relative: the base's drive
    {__LINE__, "\\\\srv\\share\\dir", "\\x", 0, QINF_SUCCESS, "\\\\srv\\share\\x"},
    {__LINE__, "rel",          "\\x",    0, QINF_SUCCESS, "C:\\x"},           // no drive in the base
    {__LINE__, "C:\\base",     "C:\\abs", 0, QINF_SUCCESS, "C:\\abs"},
    {__LINE__, "C:\\base",     ".",      0, QINF_SUCCESS, "C:\\base"},
    {__LINE__, "C:\\base",     ".\\",    0, QINF_SUCCESS, "C:\\base\\"},
    // Refusals.
    {__LINE__, nullptr, "",      0,        QERR_PATH_ZERO_LENGTH, nullptr},
    {__LINE__, nullptr, "x",     3,        QERR_INVALID_FLAGS, nullptr},
    {__LINE__, nullptr, "x",     0x80000,  QERR_INVALID_FLAGS, nullptr},
    {__LINE__, nullptr, "x",     0x100,    QERR_INVALID_FLAGS, nullptr},
    {__LINE__, nullptr, nullptr, 0,        QERR_INVALID_POINTER, nullptr},
};
// clang-format on

TEST_F(PathAbs, AgainstALowerCaseDriveDirectory) {
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    ASSERT_TRUE(tstPathSetDriveCwd('D', "D:\\data"));
    Run(g_aDriveCwd, RT_ELEMENTS(g_aDriveCwd));
}

// clang-format off
const AbsCase g_aUncCwd[] = {
    {__LINE__, nullptr, "file",       0, QINF_SUCCESS, "\\\\qrtsrv\\share\\dir\\file"},
    {__LINE__, nullptr, "\\x",        0, QINF_SUCCESS, "\\\\qrtsrv\\share\\x"},
    {__LINE__, nullptr, "..\\..\\x",  0, QINF_SUCCESS, "\\\\qrtsrv\\share\\x"},  // the share stays
    {__LINE__, nullptr, "..",         0, QINF_SUCCESS, "\\\\qrtsrv\\share"},
    {__LINE__, nullptr, "D:x",        0, QINF_SUCCESS, "D:\\data\\x"},
    {__LINE__, nullptr, "C:\\x",      0, QINF_SUCCESS, "C:\\x"},
};
// clang-format on

TEST_F(PathAbs, AgainstAUncDirectory) {
    ASSERT_TRUE(tstPathSetCwd("\\\\qrtsrv\\share\\dir"));
    ASSERT_TRUE(tstPathSetDriveCwd('D', "D:\\data"));
    Run(g_aUncCwd, RT_ELEMENTS(g_aUncCwd));
    char ab[64];
    EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrentDrive(ab, sizeof(ab)));
    EXPECT_STREQ("\\\\qrtsrv\\share", ab);
}

TEST_F(PathAbs, AgainstALongDirectory) {
    // A current directory of 300 characters (over the classic 260).
    std::string strCwd = "C:\\qrt-tst-long";
    while (strCwd.size() < 300) strCwd += "\\" + std::string(40, 'L');
    ASSERT_TRUE(tstPathSetCwd(strCwd.c_str()));
    std::string const strFile = strCwd + "\\file";
    std::string const strUp = strCwd.substr(0, strCwd.rfind('\\')) + "\\x";
    const AbsCase aCases[] = {
        {__LINE__, nullptr, "file", 0, QINF_SUCCESS, strFile.c_str()},
        {__LINE__, nullptr, "..\\x", 0, QINF_SUCCESS, strUp.c_str()},
        {__LINE__, nullptr, "\\x", 0, QINF_SUCCESS, "C:\\x"},
    };
    Run(aCases, RT_ELEMENTS(aCases));

    // The 10-byte buffer case with a long directory: the hint is the whole result plus one.
    char ab[10];
    size_t cb = sizeof(ab);
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAbsEx(nullptr, "file", 0, ab, &cb));
    EXPECT_EQ(strFile.size() + 1, cb);
}

TEST_F(PathAbs, SizeHints) {
    ASSERT_TRUE(tstPathSetCwd("C:\\work\\dir"));
    struct {
        int iLine;
        const char *pszBase, *pszPath;
        size_t cb;
        size_t cbHint;
    } const s_aCases[] = {
        {__LINE__, nullptr, "file", 10, 17}, // current directory, then the combination
        {__LINE__, nullptr, "file", 16, 17},          {__LINE__, nullptr, "C:\\abc\\def", 5, 11}, // absolute route
        {__LINE__, nullptr, "\\abc", 2, 2 + 4 + 1},   // rooted: the drive does not fit
        {__LINE__, nullptr, "\\abc", 4, 7},           // rooted: the rest does not fit
        {__LINE__, "C:\\base", "file", 5, 13},        // base: the base does not fit
        {__LINE__, "C:\\base", "file", 12, 13},       // base fits, the file does not
        {__LINE__, "C:\\b\\.\\c", "x", 4, 1 + 7 + 2}, // the base had to be resolved first
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        size_t cb = c.cb;
        EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAbsEx(c.pszBase, c.pszPath, 0, ab, &cb));
        EXPECT_EQ(c.cbHint, cb);
        // The hint is enough.
        size_t cb2 = cb;
        EXPECT_EQ(QINF_SUCCESS, RTPathAbsEx(c.pszBase, c.pszPath, 0, ab, &cb2));
        EXPECT_LT(cb2, cb);
    }
}

TEST_F(PathAbs, SizeHintsCountAnAddedTrailingSeparator) {
    // The separator the flag adds is part of the size needed.
    ASSERT_TRUE(tstPathSetCwd("C:\\work\\dir"));
    struct {
        int iLine;
        const char *pszBase, *pszPath;
        size_t cb;
        size_t cbHint;
    } const s_aCases[] = {
        {__LINE__, "C:\\base\\sub", "abc", 0, 12 + 4 + 1},
        {__LINE__, "C:\\base\\sub", "abc", 14, 12 + 4 + 1},
        {__LINE__, nullptr, "\\abc", 1, 2 + 5 + 1},
        {__LINE__, nullptr, "C:\\abc", 3, 8},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        size_t cb = c.cb;
        EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAbsEx(c.pszBase, c.pszPath, RTPATHABS_F_TRAILING_SEP, ab, &cb));
        EXPECT_EQ(c.cbHint, cb);
        EXPECT_EQ(QINF_SUCCESS, RTPathAbsEx(c.pszBase, c.pszPath, RTPATHABS_F_TRAILING_SEP, ab, &cb));
        EXPECT_EQ(c.cbHint - 1, cb);
    }
}

TEST_F(PathAbs, DupGrowsUntilItFits) {
    ASSERT_TRUE(tstPathSetCwd("C:\\work\\dir"));
    std::string strPath = "C:\\" + std::string(3000 - 3, 'p');
    char *psz = RTPathAbsExDup(nullptr, strPath.c_str(), 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(strPath, psz);
    RTStrFree(psz);

    // The first attempt and its retry each take one allocation: failing the second loses
    // nothing and gives null.
    RTMemTestFailAfter(2);
    EXPECT_EQ(nullptr, RTPathAbsExDup(nullptr, strPath.c_str(), 0));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, RTPathAbsExDup(nullptr, "", 0));
}

TEST_F(PathAbs, ManyComponentsUseAHeapRecord) {
    // More components than the 1024-byte local record holds.
    ASSERT_TRUE(tstPathSetCwd("C:\\work\\dir"));
    std::string strPath;
    for (int i = 0; i < 400; i++) strPath += "a\\";
    strPath += "..\\z";
    std::string strExpect = "C:\\work\\dir";
    for (int i = 0; i < 399; i++) strExpect += "\\a";
    strExpect += "\\z";
    char *psz = RTPathAbsExDup(nullptr, strPath.c_str(), 0);
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(strExpect, psz);
    RTStrFree(psz);

    char ab[RTPATH_BUF_SIZE];
    size_t cb = sizeof(ab);
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_TMP_MEMORY, RTPathAbsEx(nullptr, strPath.c_str(), 0, ab, &cb));
    RTMemTestFailAfter(0);
}

} // namespace
