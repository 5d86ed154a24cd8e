// The logger's Windows half: the UTC system time, the debugger, the parent process and the
// wide command line.
#include <windows.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>

#include "common/log/log-internal.h"

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
#define RTLOGWIN_EPOCH_DIFF UINT64_C(116444736000000000)

int64_t rtlogNativeUtcNanoTS(void) {
    FILETIME Ft;
    GetSystemTimeAsFileTime(&Ft);
    uint64_t const u64 = ((uint64_t)Ft.dwHighDateTime << 32) | Ft.dwLowDateTime;
    return ((int64_t)u64 - (int64_t)RTLOGWIN_EPOCH_DIFF) * 100;
}

void rtlogNativeDebuggerWrite(const char *pch, size_t cch) {
    // The debugger takes terminated strings; the text comes in pieces that are not.
    char szChunk[512];
    while (cch > 0) {
        size_t const cbChunk = RT_MIN(cch, sizeof(szChunk) - 1);
        memcpy(szChunk, pch, cbChunk);
        szChunk[cbChunk] = '\0';
        OutputDebugStringA(szChunk);
        pch += cbChunk;
        cch -= cbChunk;
    }
}

// The basic process information as ntdll fills it (class 0).
typedef struct RTLOGWINPROCBASICINFO {
    LONG ExitStatus;
    PVOID PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
} RTLOGWINPROCBASICINFO;
typedef LONG(NTAPI *PFNNTQUERYINFORMATIONPROCESS)(HANDLE hProcess, ULONG uClass, PVOID pvInfo, ULONG cbInfo,
                                                  PULONG pcbReturned);

RTPROCESS rtlogNativeParentPid(void) {
    // Found by name, so that the runtime imports nothing from ntdll for it.
    HMODULE hNtDll = GetModuleHandleW(L"ntdll.dll");
    PFNNTQUERYINFORMATIONPROCESS pfnQuery =
        hNtDll ? (PFNNTQUERYINFORMATIONPROCESS)(void *)GetProcAddress(hNtDll, "NtQueryInformationProcess") : NULL;
    RTLOGWINPROCBASICINFO Info;
    ULONG cbReturned = 0;
    if (pfnQuery && pfnQuery(GetCurrentProcess(), 0, &Info, sizeof(Info), &cbReturned) >= 0)
        return (RTPROCESS)Info.InheritedFromUniqueProcessId;
    return ~(RTPROCESS)0;
}

void rtlogNativeWriteCommandLine(RTLOGGER *pLogger) {
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "Commandline: %ls\n", GetCommandLineW());
}
