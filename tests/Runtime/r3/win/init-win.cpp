// Initialisation on Windows: the hardening decision and its calls, the filter that chains to
// the one it replaced, the argument vector of a real process (its exact command line given),
// and library planting beside the program.
#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
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
    TSTPROBERUN Run = {0, {}, false};
    std::string const Out = TestTempFileName("probe-out");
    std::wstring const Exe = utf16(QRT_TEST_PROBE);
    Run.dwExit = runProcess(Exe, L"\"" + Exe + L"\" args" + Tail,
                            {L"QRT_PROBE_OUT=" + utf16(Out), L"QRT_PROBE_FLAGS=0x10"});
    std::ifstream In(Out, std::ios::binary);
    std::string Line;
    int cArgs = -1;
    if (std::getline(In, Line)) cArgs = atoi(Line.c_str());
    for (int i = 0; i < cArgs && std::getline(In, Line); i++) Run.Args.push_back(fromHex(Line));
    Run.fTerminated = std::getline(In, Line) && Line == "end";
    In.close();
    DeleteFileA(Out.c_str());
    return Run;
}

TEST(InitWinArgs, EveryArgumentOfTheWideCommandLineArrives) {
    const struct {
        int iLine;
        std::wstring Tail; // after '"<probe>" args'
        std::vector<std::string> Expected;
    } aCases[] = {
        {__LINE__, L" a \"b c\"", {"a", "b c"}},
        // The C library's split and the platform's disagree on these; the platform's counts.
        {__LINE__, L" \"\"\"\" x", {"\" x"}},
        {__LINE__, L" \"a\"\" b\"", {"a\"", "b"}},
        {__LINE__, L" a\"b\"\"c d", {"ab\"c", "d"}},
        {__LINE__, L" caf\u00e9 \u4e2d \U0001F600", {"caf\xc3\xa9", "\xe4\xb8\xad", "\xf0\x9f\x98\x80"}},
        {__LINE__, L" \"\" x", {"", "x"}},
        {__LINE__, L" \"C:\\dir\\\\\"", {"C:\\dir\\"}},
        {__LINE__, L" C:\\dir\\", {"C:\\dir\\"}},
        {__LINE__, L"", {}},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TSTPROBERUN Run = runProbeArgs(c.Tail);
        EXPECT_EQ(0u, Run.dwExit);
        EXPECT_TRUE(Run.fTerminated);
        ASSERT_EQ(c.Expected.size() + 2, Run.Args.size());
        EXPECT_EQ(QRT_TEST_PROBE, Run.Args[0]);
        EXPECT_EQ("args", Run.Args[1]);
        for (size_t i = 0; i < c.Expected.size(); i++) EXPECT_EQ(c.Expected[i], Run.Args[i + 2]) << i;

        // And exactly what the platform's own split gives.
        std::wstring const Line = L"\"" + utf16(QRT_TEST_PROBE) + L"\" args" + c.Tail;
        int cWide = 0;
        LPWSTR *papwsz = CommandLineToArgvW(Line.c_str(), &cWide);
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

bool markerExists(const std::string &Dir, const char *pszName) {
    std::string const Path = Dir + "\\planted-" + pszName + ".marker";
    bool const fExists = GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES;
    DeleteFileA(Path.c_str());
    return fExists;
}

// Libraries named like system ones lie beside the program, and the loader is told to prefer
// them where it searches at all: initialised with the system-directory flag, the program binds
// the Windows Installer without loading either; without the flag the planted version.dll (an
// import of the system's msi.dll) is loaded, which shows the test can see planting.
TEST(InitWinPlanting, PlantedLibrariesAreNeverLoaded) {
    std::string const MarkerDir = TestTempFileName("plant");
    ASSERT_TRUE(CreateDirectoryA(MarkerDir.c_str(), nullptr));
    std::wstring const Exe = utf16(std::string(QRT_TEST_PLANT_DIR) + "/qrt-init-probe.exe");
    std::vector<std::wstring> Vars = {L"QRT_PLANT_MARKER_DIR=" + utf16(MarkerDir),
                                      L"WINEDLLOVERRIDES=msi=n,b;version=n,b", L"QRT_PROBE_FLAGS=0x10"};
    EXPECT_EQ(0u, runProcess(Exe, L"probe msi", Vars));
    EXPECT_FALSE(markerExists(MarkerDir, "msi"));
    EXPECT_FALSE(markerExists(MarkerDir, "version"));

    Vars.back() = L"QRT_PROBE_FLAGS=0";
    runProcess(Exe, L"probe msi", Vars); // may well fail to bind: the planted library is no msi import
    EXPECT_FALSE(markerExists(MarkerDir, "msi")); // the library itself always comes by full path
    EXPECT_TRUE(markerExists(MarkerDir, "version"));
    RemoveDirectoryA(MarkerDir.c_str());
}

} // namespace
