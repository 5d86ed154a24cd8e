// The loader on Windows: what LoadLibraryExW is asked, the restricted search learnt once, the
// system-directory query's failures, names without suffix, and directories that look like
// libraries.
#include <qrt/err.h>
#include <qrt/ldr.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/common/ldr/ldr-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "r3/win/ldr-win-internal.h"

#include <windows.h>

namespace {

struct TSTLOADCALL {
    std::wstring Path;
    DWORD fFlags;
};
std::vector<TSTLOADCALL> g_LoadCalls;
DWORD g_dwFailFlaggedWith; // fail loads with search flags with this error (0: never)
UINT g_cwcSystemDirAnswer; // answer of the system-directory query (0 with an error: failure)

HMODULE WINAPI recordingLoadLibraryExW(LPCWSTR pwszPath, HANDLE hFile, DWORD fFlags) {
    g_LoadCalls.push_back({pwszPath, fFlags});
    if (fFlags && g_dwFailFlaggedWith) {
        SetLastError(g_dwFailFlaggedWith);
        return nullptr;
    }
    return LoadLibraryExW(pwszPath, hFile, fFlags);
}

UINT WINAPI answeringGetSystemDirectoryW(LPWSTR pwszBuf, UINT cwcBuf) {
    if (g_cwcSystemDirAnswer == 0) SetLastError(ERROR_ACCESS_DENIED);
    if (pwszBuf && cwcBuf) pwszBuf[0] = 0;
    return g_cwcSystemDirAnswer;
}

class LdrWin : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tstLdrSetUp());
        m_Saved = g_rtLdrWinCalls;
        m_enmSavedSearch = g_enmRtLdrWinSearch;
        g_rtLdrWinCalls.pfnLoadLibraryExW = recordingLoadLibraryExW;
        g_LoadCalls.clear();
        g_dwFailFlaggedWith = 0;
    }
    void TearDown() override {
        g_rtLdrWinCalls = m_Saved;
        g_enmRtLdrWinSearch = m_enmSavedSearch;
    }
    RTLDRWINCALLS m_Saved;
    RTLDRWINSEARCH m_enmSavedSearch;
};

TEST_F(LdrWin, SystemLibrariesLoadByFullPath) {
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(QINF_SUCCESS, RTLdrLoadSystem("ws2_32", true, &hLdrMod));
    ASSERT_EQ(1u, g_LoadCalls.size());
    std::string const Dir = tstLdrSystemDir();
    EXPECT_EQ(std::wstring(Dir.begin(), Dir.end()) + L"\\ws2_32.DLL", g_LoadCalls[0].Path);
    EXPECT_EQ(0u, g_LoadCalls[0].fFlags);
    EXPECT_EQ((uintptr_t)GetModuleHandleW(L"ws2_32.dll"), RTLdrGetNativeHandle(hLdrMod));
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));

    // A missing file, or a directory of that name, never reaches the platform's load.
    std::string const DirLib = Dir + "\\qrt-test-dir.dll";
    ASSERT_TRUE(CreateDirectoryA(DirLib.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    EXPECT_EQ(QERR_MODULE_NOT_FOUND, RTLdrLoadSystem("qrt-test-dir.dll", true, &hLdrMod));
    EXPECT_EQ(QERR_MODULE_NOT_FOUND, RTLdrLoadSystem("qrt-no-such.dll", true, &hLdrMod));
    RemoveDirectoryA(DirLib.c_str());
    EXPECT_EQ(1u, g_LoadCalls.size());
}

TEST_F(LdrWin, PathsGetBackslashesAndTheirSuffix) {
    std::string const Dir = tstLdrSystemDir();
    std::string Slashed = Dir + "/ws2_32";
    for (char &ch : Slashed)
        if (ch == '\\') ch = '/';
    // A copy of a library under a name without suffix, and none with ".dll" beside it.
    std::string const NoExt = TestTempFileName("noext");
    ASSERT_TRUE(CopyFileA((Dir + "\\msimg32.dll").c_str(), NoExt.c_str(), FALSE));
    const struct {
        int iLine;
        std::string Path;
        uint32_t fFlags;
        int rc;
        std::wstring Loaded; // the name the platform was given (empty: as the path, widened)
    } aCases[] = {
        {__LINE__, Slashed, 0, QINF_SUCCESS, L""},
        // Without our suffix the platform adds ".dll" and misses the file; "name." is exact.
        {__LINE__, NoExt, RTLDRLOAD_FLAGS_NO_SUFFIX, QINF_SUCCESS, L"."},
        {__LINE__, NoExt, 0, QERR_MODULE_NOT_FOUND, L".DLL"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_LoadCalls.clear();
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(c.rc, RTLdrLoadEx(c.Path.c_str(), &hLdrMod, c.fFlags, nullptr));
        ASSERT_EQ(1u, g_LoadCalls.size());
        std::wstring Want(c.Path.begin(), c.Path.end());
        for (wchar_t &wc : Want)
            if (wc == L'/') wc = L'\\';
        Want += c.Loaded.empty() ? L".DLL" : c.Loaded;
        EXPECT_EQ(Want, g_LoadCalls[0].Path);
        RTLdrClose(hLdrMod);
    }
    DeleteFileA(NoExt.c_str());
}

TEST_F(LdrWin, RestrictedSearchIsLearntOnce) {
    std::string const Lib = tstLdrSystemPath("ws2_32.dll");
    const struct {
        int iLine;
        RTLDRWINSEARCH enmStart;
        DWORD dwFail;
        unsigned cCalls;   // loads asked of the platform
        DWORD fFirstFlags; // flags of the first
        RTLDRWINSEARCH enmAfter;
        int rc;
    } aCases[] = {
        {__LINE__, RTLDRWINSEARCH_UNKNOWN, 0, 1, RTLDRWIN_SEARCH_FLAGS, RTLDRWINSEARCH_SUPPORTED, QINF_SUCCESS},
        // Refused as an invalid parameter: unsupported, retried at once without flags.
        {__LINE__, RTLDRWINSEARCH_UNKNOWN, ERROR_INVALID_PARAMETER, 2, RTLDRWIN_SEARCH_FLAGS,
         RTLDRWINSEARCH_UNSUPPORTED, QINF_SUCCESS},
        // Any other failure shows the flags were understood.
        {__LINE__, RTLDRWINSEARCH_UNKNOWN, ERROR_ACCESS_DENIED, 1, RTLDRWIN_SEARCH_FLAGS, RTLDRWINSEARCH_SUPPORTED,
         QERR_ACCESS_DENIED},
        {__LINE__, RTLDRWINSEARCH_UNSUPPORTED, 0, 1, 0, RTLDRWINSEARCH_UNSUPPORTED, QINF_SUCCESS},
        {__LINE__, RTLDRWINSEARCH_SUPPORTED, ERROR_INVALID_PARAMETER, 1, RTLDRWIN_SEARCH_FLAGS,
         RTLDRWINSEARCH_SUPPORTED, QERR_INVALID_PARAMETER},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_LoadCalls.clear();
        g_enmRtLdrWinSearch = c.enmStart;
        g_dwFailFlaggedWith = c.dwFail;
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(c.rc, RTLdrLoadEx(Lib.c_str(), &hLdrMod, RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR, nullptr));
        ASSERT_EQ(c.cCalls, g_LoadCalls.size());
        EXPECT_EQ(c.fFirstFlags, g_LoadCalls[0].fFlags);
        if (c.cCalls > 1) {
            EXPECT_EQ(0u, g_LoadCalls[1].fFlags);
        }
        EXPECT_EQ(c.enmAfter, g_enmRtLdrWinSearch);
        RTLdrClose(hLdrMod);
    }
}

TEST_F(LdrWin, SystemDirectoryQueryFailures) {
    g_rtLdrWinCalls.pfnGetSystemDirectoryW = answeringGetSystemDirectoryW;
    const struct {
        int iLine;
        UINT cwcAnswer;
        int rc;
    } aCases[] = {
        // No length at all: the query failed, never "load from the empty directory".
        {__LINE__, 0, QERR_ACCESS_DENIED},
        {__LINE__, 260, QERR_FILENAME_TOO_LONG},
        {__LINE__, 1000, QERR_FILENAME_TOO_LONG},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_cwcSystemDirAnswer = c.cwcAnswer;
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        EXPECT_EQ(c.rc, RTLdrLoadSystem("ws2_32.dll", true, &hLdrMod));
        EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    }
    EXPECT_EQ(0u, g_LoadCalls.size());
}

} // namespace
