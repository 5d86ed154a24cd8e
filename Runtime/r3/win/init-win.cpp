// Process initialisation on Windows: the system modules, the hardening against library
// planting, the sockets library's error accessors and the wide command line.
#include <stdlib.h>
#include <string.h>

#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/ldr.h>

#include "r3/init-internal.h"
#include "r3/system-internal.h"
#include "r3/win/init-win-internal.h"

#include <shellapi.h>

void *volatile g_hModKernel32;
PFNWSAGETLASTERROR volatile g_pfnrtR3WinWSAGetLastError;
PFNWSASETLASTERROR volatile g_pfnrtR3WinWSASetLastError;
LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pfnrtR3WinPrevXcptFilter;
PFNGETCURRENTTHREADSTACKLIMITS volatile g_pfnrtR3WinGetCurrentThreadStackLimits;
static bool volatile g_frtR3WinXcptFilterInstalled;

// SetErrorMode: no critical-error and no open-file-error boxes.
#define RTR3WIN_ERROR_MODE (SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)
// SetDefaultDllDirectories' search flags.
#define RTR3WIN_LOAD_LIBRARY_SEARCH_APPLICATION_DIR 0x200U
#define RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32 0x800U

uint32_t rtR3WinDefaultDllDirectoriesFlags(uint32_t fInitFlags, uint32_t enmOsType) {
    if (fInitFlags & RTR3INIT_FLAGS_SYSTEM32_ONLY) return RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32;
    if (enmOsType > RTSYSOSTYPE_VISTA)
        return RTR3WIN_LOAD_LIBRARY_SEARCH_SYSTEM32 | RTR3WIN_LOAD_LIBRARY_SEARCH_APPLICATION_DIR;
    return 0;
}

int rtR3WinHarden(uint32_t fInitFlags, uint32_t enmOsType, const RTR3WINHARDENCALLS *pCalls) {
    int rc = QINF_SUCCESS;
    UINT const fOldMode = pCalls->pfnSetErrorMode(RTR3WIN_ERROR_MODE);
    pCalls->pfnSetErrorMode(fOldMode | RTR3WIN_ERROR_MODE);

    // The current directory leaves the library search.
    if (pCalls->pfnSetDllDirectoryW && !pCalls->pfnSetDllDirectoryW(L"")) rc = QERR_INTERNAL_ERROR_3;

    // The imports of every library loaded from now on come from the system directory (and, on
    // request, nowhere else): a full path protects the library itself, only this its imports.
    uint32_t const fSearch = rtR3WinDefaultDllDirectoriesFlags(fInitFlags, enmOsType);
    if (fSearch && pCalls->pfnSetDefaultDllDirectories && !pCalls->pfnSetDefaultDllDirectories(fSearch) &&
        RT_SUCCESS(rc))
        rc = QERR_INTERNAL_ERROR_4;

    g_pfnrtR3WinGetCurrentThreadStackLimits = pCalls->pfnGetCurrentThreadStackLimits;

    if (pCalls->pfnSetUnhandledExceptionFilter && !g_frtR3WinXcptFilterInstalled) {
        LPTOP_LEVEL_EXCEPTION_FILTER pfnPrev = pCalls->pfnSetUnhandledExceptionFilter(rtR3WinUnhandledXcptFilter);
        g_pfnrtR3WinPrevXcptFilter = pfnPrev != rtR3WinUnhandledXcptFilter ? pfnPrev : NULL;
        g_frtR3WinXcptFilterInstalled = true;
    }
    return rc;
}

int rtR3InitNativeHarden(uint32_t fFlags) {
    RTR3WINHARDENCALLS Calls;
    Calls.pfnSetErrorMode = ::SetErrorMode;
    Calls.pfnSetDllDirectoryW = (PFNSETDLLDIRECTORYW)(void *)rtR3WinKernel32Symbol("SetDllDirectoryW");
    Calls.pfnSetDefaultDllDirectories =
        (PFNSETDEFAULTDLLDIRECTORIES)(void *)rtR3WinKernel32Symbol("SetDefaultDllDirectories");
    Calls.pfnGetCurrentThreadStackLimits =
        (PFNGETCURRENTTHREADSTACKLIMITS)(void *)rtR3WinKernel32Symbol("GetCurrentThreadStackLimits");
    Calls.pfnSetUnhandledExceptionFilter =
        (decltype(&::SetUnhandledExceptionFilter))(void *)rtR3WinKernel32Symbol("SetUnhandledExceptionFilter");
    return rtR3WinHarden(fFlags, rtSystemGetOsType(), &Calls);
}

// The sockets library's error accessors: from the library when the process has it already,
// else loaded from the system directory (ws2_32, then wsock32) and kept loaded.
static void rtR3WinInitSockets(void) {
    HMODULE hMod = GetModuleHandleW(L"ws2_32.dll");
    if (!hMod) {
        static const char *const s_apszNames[] = {"ws2_32.dll", "wsock32.dll"};
        for (const char *pszName : s_apszNames) {
            RTLDRMOD hLdrMod = NIL_RTLDRMOD;
            if (RT_SUCCESS(RTLdrLoadSystem(pszName, true /*fNoUnload*/, &hLdrMod))) {
                hMod = (HMODULE)RTLdrGetNativeHandle(hLdrMod);
                // Only the handle is kept; the library stays because of the no-unload flag.
                RTLdrClose(hLdrMod);
                break;
            }
        }
    }
    if (!hMod) return;
    g_pfnrtR3WinWSAGetLastError = (PFNWSAGETLASTERROR)(void *)GetProcAddress(hMod, "WSAGetLastError");
    g_pfnrtR3WinWSASetLastError = (PFNWSASETLASTERROR)(void *)GetProcAddress(hMod, "WSASetLastError");
}

int rtR3InitNativeFirst(uint32_t fFlags) {
    HMODULE hModKernel32 = GetModuleHandleW(L"kernel32.dll");
    HMODULE hModNtDll = rtR3WinNtDllModule();
    if (!hModKernel32 || !hModNtDll) return QERR_INTERNAL_ERROR_2;
    __atomic_store_n(&g_hModKernel32, (void *)hModKernel32, __ATOMIC_RELEASE);

    rtSystemInitVersion();
    int rcHarden = QINF_SUCCESS;
    if (!(fFlags & RTR3INIT_FLAGS_UNOBTRUSIVE)) rcHarden = rtR3InitNativeHarden(fFlags);
    // The optional ntdll entries (NtQueryFullAttributesFile among them).
    rtR3WinNtDll();
    rtR3WinInitSockets();
    return rcHarden;
}

typedef LPWSTR *(WINAPI *PFNCOMMANDLINETOARGVW)(LPCWSTR pwszCmdLine, int *pcArgs);

int rtR3InitNativeSplitArgs(int cArgs, char **papszArgs, char ***ppapszArgs, int *pcArgs) {
    *ppapszArgs = NULL;
    // Only the C library's own vector stands for the process's command line. The start-up code
    // may hand main() a copy of it (MinGW's does), so the strings are compared, not the vector.
    if (cArgs != __argc || !__argv) return QINF_SUCCESS;
    if (papszArgs != __argv)
        for (int i = 0; i < cArgs; i++)
            if (!papszArgs[i] || !__argv[i] || strcmp(papszArgs[i], __argv[i]) != 0) return QINF_SUCCESS;
    // The runtime's own binding: the installer's binding tables live above the runtime. Where
    // the system has shcore.dll, SHELL32.DLL's CommandLineToArgvW forwards to that library's,
    // and taken from there the split comes without SHELL32.DLL's imports: USER32.DLL and
    // GDI32.DLL, whose start-up costs every run, even one that never shows a window, tens of
    // milliseconds.
    PFNCOMMANDLINETOARGVW pfnSplit = (PFNCOMMANDLINETOARGVW)RTLdrGetSystemSymbol("shcore.dll", "CommandLineToArgvW");
    if (!pfnSplit) pfnSplit = (PFNCOMMANDLINETOARGVW)RTLdrGetSystemSymbol("SHELL32.DLL", "CommandLineToArgvW");
    if (!pfnSplit) return QINF_SUCCESS;
    int cWide = 0;
    LPWSTR *papwszWide = pfnSplit(GetCommandLineW(), &cWide);
    if (!papwszWide) return QINF_SUCCESS;
    int rc = QINF_SUCCESS;
    if (cWide > 0) {
        rc = rtR3InitArgvFromUtf16((const RTUTF16 *const *)papwszWide, cWide, ppapszArgs);
        if (RT_SUCCESS(rc)) *pcArgs = cWide;
    }
    LocalFree(papwszWide);
    return rc;
}
