// Initialisation on Windows: the hardening decision and its calls, the filter that chains to
// the one it replaced, and the argument vector of a real process (its exact command line
// given). Library planting is tested end to end by init-planting.sh.
#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Runtime/r3/init-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "r3/system-internal.h"
#include "r3/win/init-win-internal.h"

#include <windows.h>
#include <shellapi.h>

namespace {

TEST(InitWinHarden, DefaultDllDirectoriesFlags) {
    const struct {
        int iLine;
        uint32_t fInitFlags;
        uint32_t enmOsType;
        uint32_t fExpected;
    } aCases[] = {
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W7, 0x800},
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_VISTA, 0x800},
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_XP, 0x800},
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W11, 0x800},
        {__LINE__, 0, RTSYSOSTYPE_2008, 0xA00},
        {__LINE__, 0, RTSYSOSTYPE_W10, 0xA00},
        {__LINE__, 0, RTSYSOSTYPE_VISTA, 0},
        {__LINE__, 0, RTSYSOSTYPE_XP, 0},
        {__LINE__, 0, RTSYSOSTYPE_UNKNOWN, 0},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fExpected, rtR3WinDefaultDllDirectoriesFlags(c.fInitFlags, c.enmOsType));
    }
}

// The hardening's calls, recorded.
std::string g_HardenLog;
BOOL g_fSetDllDirectoryResult, g_fSetDefaultResult;

UINT WINAPI fakeSetErrorMode(UINT fMode) {
    g_HardenLog += "mode(" + std::to_string(fMode) + ")";
    return 0x4; // as if SEM_NOALIGNMENTFAULTEXCEPT were set
}
BOOL WINAPI fakeSetDllDirectoryW(LPCWSTR pwsz) {
    g_HardenLog += std::string("dlldir(") + (pwsz && !*pwsz ? "" : "?") + ")";
    return g_fSetDllDirectoryResult;
}
BOOL WINAPI fakeSetDefaultDllDirectories(DWORD fFlags) {
    char sz[32];
    snprintf(sz, sizeof(sz), "default(%#lx)", (unsigned long)fFlags);
    g_HardenLog += sz;
    return g_fSetDefaultResult;
}

TEST(InitWinHarden, CallsAndTheirFailures) {
    const struct {
        int iLine;
        uint32_t fInitFlags;
        uint32_t enmOsType;
        bool fHaveDllDir, fHaveDefault;
        BOOL fDllDirOk, fDefaultOk;
        int rc;
        const char *pszLog;
    } aCases[] = {
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W7, true, true, TRUE, TRUE, QINF_SUCCESS,
         "mode(32769)mode(32773)dlldir()default(0x800)"},
        {__LINE__, 0, RTSYSOSTYPE_W7, true, true, TRUE, TRUE, QINF_SUCCESS,
         "mode(32769)mode(32773)dlldir()default(0xa00)"},
        {__LINE__, 0, RTSYSOSTYPE_VISTA, true, true, TRUE, TRUE, QINF_SUCCESS, "mode(32769)mode(32773)dlldir()"},
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W7, true, true, FALSE, TRUE, QERR_INTERNAL_ERROR_3,
         "mode(32769)mode(32773)dlldir()default(0x800)"},
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W7, true, true, TRUE, FALSE, QERR_INTERNAL_ERROR_4,
         "mode(32769)mode(32773)dlldir()default(0x800)"},
        // The first failure is the one reported.
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_W7, true, true, FALSE, FALSE, QERR_INTERNAL_ERROR_3,
         "mode(32769)mode(32773)dlldir()default(0x800)"},
        // Windows versions without the calls.
        {__LINE__, RTR3INIT_FLAGS_SYSTEM32_ONLY, RTSYSOSTYPE_XP, false, false, TRUE, TRUE, QINF_SUCCESS,
         "mode(32769)mode(32773)"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_HardenLog.clear();
        g_fSetDllDirectoryResult = c.fDllDirOk;
        g_fSetDefaultResult = c.fDefaultOk;
        RTR3WINHARDENCALLS Calls = {fakeSetErrorMode, c.fHaveDllDir ? fakeSetDllDirectoryW : nullptr,
                                    c.fHaveDefault ? fakeSetDefaultDllDirectories : nullptr, nullptr, nullptr};
        EXPECT_EQ(c.rc, rtR3WinHarden(c.fInitFlags, c.enmOsType, &Calls));
        EXPECT_EQ(c.pszLog, g_HardenLog);
    }
}

// The filter that was installed before initialisation still gets the exceptions.
LONG WINAPI testPreviousFilter(PEXCEPTION_POINTERS pXcptPtrs) {
    ExitProcess(pXcptPtrs->ExceptionRecord->ExceptionCode == EXCEPTION_BREAKPOINT ? 77 : 78);
}

static void crashAfterInit() {
    SetUnhandledExceptionFilter(testPreviousFilter);
    if (RTR3InitExe(nullptr, nullptr, 0) != QINF_SUCCESS) exit(10);
    if (g_pfnrtR3WinPrevXcptFilter != testPreviousFilter) exit(11);
    __asm__ __volatile__("int3");
    exit(12);
}

TEST(InitWinFilter, ChainsToThePreviousFilter) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(crashAfterInit(), testing::ExitedWithCode(77), "");
}

//
// Whole processes: the probe program, started with an exact command line.
//

struct TSTPROBERUN {
    DWORD dwExit;
    std::vector<std::string> Args; // as the probe reported them
    bool fTerminated;
    int cCrtArgs;         // the C library's count in the probe
    std::wstring CmdLine; // the probe's command line
    int fUser32;          // USER32.DLL loaded in the probe: 1, 0, or -1 when not reported
    int fShell32;         // SHELL32.DLL likewise
};

std::wstring utf16(const std::string &Utf8) {
    RTUTF16 *pwsz = nullptr;
    if (RT_FAILURE(RTStrToUtf16(Utf8.c_str(), &pwsz))) return L"";
    std::wstring W((const wchar_t *)pwsz);
    RTUtf16Free(pwsz);
    return W;
}

std::string fromHex(const std::string &Hex) {
    std::string Out;
    for (size_t i = 0; i + 1 < Hex.size(); i += 2) Out.push_back((char)strtoul(Hex.substr(i, 2).c_str(), nullptr, 16));
    return Out;
}

// Runs pwszExe with the command line and the variables (NAME=VALUE) added for it.
DWORD runProcess(const std::wstring &Exe, const std::wstring &CmdLine, const std::vector<std::wstring> &Vars) {
    for (const auto &V : Vars) {
        size_t const off = V.find(L'=');
        SetEnvironmentVariableW(V.substr(0, off).c_str(), V.substr(off + 1).c_str());
    }
    STARTUPINFOW Si = {};
    Si.cb = sizeof(Si);
    PROCESS_INFORMATION Pi = {};
    std::wstring Line = CmdLine;
    DWORD dwExit = 0xDEADBEEF;
    if (CreateProcessW(Exe.c_str(), &Line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi)) {
        WaitForSingleObject(Pi.hProcess, 60000);
        GetExitCodeProcess(Pi.hProcess, &dwExit);
        CloseHandle(Pi.hThread);
        CloseHandle(Pi.hProcess);
    }
    for (const auto &V : Vars) SetEnvironmentVariableW(V.substr(0, V.find(L'=')).c_str(), nullptr);
    return dwExit;
}

TSTPROBERUN runProbeArgs(const std::wstring &Tail) {
    TSTPROBERUN Run = {0, {}, false, -1, L"", -1, -1};
    std::string const Out = TestTempFileName("probe-out");
    std::wstring const Exe = utf16(QRT_TEST_PROBE);
    Run.dwExit =
        runProcess(Exe, L"\"" + Exe + L"\" args" + Tail, {L"QRT_PROBE_OUT=" + utf16(Out), L"QRT_PROBE_FLAGS=0x10"});
    std::ifstream In(Out, std::ios::binary);
    std::string Line;
    int cArgs = -1;
    if (std::getline(In, Line)) cArgs = atoi(Line.c_str());
    for (int i = 0; i < cArgs && std::getline(In, Line); i++) Run.Args.push_back(fromHex(Line));
    Run.fTerminated = std::getline(In, Line) && Line == "end";
    if (std::getline(In, Line) && Line.compare(0, 4, "crt ") == 0) Run.cCrtArgs = atoi(Line.c_str() + 4);
    if (std::getline(In, Line) && Line.compare(0, 4, "cmd ") == 0)
        for (size_t i = 4; i + 3 < Line.size(); i += 4)
            Run.CmdLine.push_back((wchar_t)strtoul(Line.substr(i, 4).c_str(), nullptr, 16));
    if (std::getline(In, Line) && Line.size() == 11 && Line.compare(0, 8, "modules ") == 0) {
        Run.fUser32 = Line[8] - '0';
        Run.fShell32 = Line[10] - '0';
    }
    In.close();
    DeleteFileA(Out.c_str());
    return Run;
}

TEST(InitWinArgs, EveryArgumentOfTheWideCommandLineArrives) {
    const struct {
        int iLine;
        std::wstring Tail;                 // after '"<probe>" args'
        std::vector<std::string> Expected; // empty for the rows only the platform's split decides
    } aCases[] = {
        {__LINE__, L" a \"b c\"", {"a", "b c"}},
        // The C library's split and the platform's disagree on these; the platform's counts.
        {__LINE__, L" \"\"\"\" x", {}},
        {__LINE__, L" \"a\"\" b\"", {}},
        {__LINE__, L" a\"b\"\"c d", {}},
        {__LINE__, L" caf\u00e9 \u4e2d \U0001F600", {"caf\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80"}},
        {__LINE__, L" \"\" x", {"", "x"}},
        {__LINE__, L" \"C:\\dir\\\\\"", {"C:\\dir\\"}},
        {__LINE__, L" C:\\dir\\", {"C:\\dir\\"}},
    };
    // Where the system splits without the user-interface libraries (shcore.dll), the split must
    // not load them: a silent run never shows a window, and their start-up costs every run.
    wchar_t wszShcore[MAX_PATH];
    UINT const cch = GetSystemDirectoryW(wszShcore, MAX_PATH - 12);
    ASSERT_GT(cch, 0u);
    wcscpy(wszShcore + cch, L"\\shcore.dll");
    bool const fShcore = GetFileAttributesW(wszShcore) != INVALID_FILE_ATTRIBUTES;
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TSTPROBERUN Run = runProbeArgs(c.Tail);
        EXPECT_EQ(0u, Run.dwExit);
        EXPECT_TRUE(Run.fTerminated);
        if (fShcore) {
            EXPECT_EQ(0, Run.fUser32);
            EXPECT_EQ(0, Run.fShell32);
        }
        ASSERT_GE(Run.Args.size(), 2u);
        EXPECT_EQ(QRT_TEST_PROBE, Run.Args[0]);
        EXPECT_EQ("args", Run.Args[1]);
        if (!c.Expected.empty()) {
            ASSERT_EQ(c.Expected.size() + 2, Run.Args.size());
            for (size_t i = 0; i < c.Expected.size(); i++) EXPECT_EQ(c.Expected[i], Run.Args[i + 2]) << i;
        } else
            EXPECT_NE((int)Run.Args.size(), Run.cCrtArgs); // the row does show the disagreement

        // And exactly what the platform's own split of the probe's command line gives. (Wine
        // hands a child a command line rebuilt from its split, which for some of these rows is
        // not the line given to CreateProcessW; the probe can only split what it got.)
        std::wstring const Line = L"\"" + utf16(QRT_TEST_PROBE) + L"\" args" + c.Tail;
        if (Run.CmdLine != Line) std::wcout << L"command line changed on its way: " << Run.CmdLine << L"\n";
        int cWide = 0;
        LPWSTR *papwsz = CommandLineToArgvW(Run.CmdLine.c_str(), &cWide);
        ASSERT_NE(nullptr, papwsz);
        ASSERT_EQ((size_t)cWide, Run.Args.size());
        for (int i = 0; i < cWide; i++) {
            char *psz = nullptr;
            ASSERT_EQ(QINF_SUCCESS, RTUtf16ToUtf8((const RTUTF16 *)papwsz[i], &psz));
            EXPECT_EQ(std::string(psz), Run.Args[i]);
            RTStrFree(psz);
        }
        LocalFree(papwsz);
    }
}

} // namespace
