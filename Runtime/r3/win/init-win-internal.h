// What process initialisation records about the system libraries the process always has
// loaded (kernel32, ntdll), for the rest of the Windows runtime.
#pragma once

#include "r3/nt/fs-nt-internal.h"

typedef NTSTATUS(NTAPI *PFNRTLGETVERSION)(OSVERSIONINFOEXW *pInfo);
typedef ULONGLONG(NTAPI *PFNRTLGETINTERRUPTTIMEPRECISE)(PULONGLONG puQpc);
typedef NTSTATUS(NTAPI *PFNRTLDOSAPPLYFILEISOLATIONREDIRECTION_USTR)(ULONG fFlags, PCUNICODE_STRING pOriginalName,
                                                                     PCUNICODE_STRING pExtension,
                                                                     PUNICODE_STRING pStaticString,
                                                                     PUNICODE_STRING pDynamicString,
                                                                     PUNICODE_STRING *ppNewName, PULONG pfNewFlags,
                                                                     PSIZE_T pcbFilename, PSIZE_T pcbRequired);

// The ntdll entries the runtime calls, found by name in the loaded ntdll, so that the programs
// import nothing from it (their import table names only KERNEL32 and msvcrt). Filled on first
// use, before or after initialisation; an entry the system lacks is null. The runtime's own
// definitions of the NT calls (init-ntdll-win.cpp) go through it, so callers write NtClose()
// as usual.
typedef struct RTR3WINNTDLL {
    decltype(&::NtCreateFile) pfnNtCreateFile;
    decltype(&::NtClose) pfnNtClose;
    decltype(&::NtQueryInformationFile) pfnNtQueryInformationFile;
    decltype(&::NtQueryVolumeInformationFile) pfnNtQueryVolumeInformationFile;
    decltype(&::NtQueryDirectoryFile) pfnNtQueryDirectoryFile;
    decltype(&::NtOpenDirectoryObject) pfnNtOpenDirectoryObject;
    decltype(&::NtQueryDirectoryObject) pfnNtQueryDirectoryObject;
    decltype(&::RtlFreeUnicodeString) pfnRtlFreeUnicodeString;
    // Not on every Windows version.
    PFNRTLGETVERSION pfnRtlGetVersion;
    PFNRTLGETINTERRUPTTIMEPRECISE pfnRtlGetInterruptTimePrecise;
    PFNNTQUERYFULLATTRIBUTESFILE pfnNtQueryFullAttributesFile;
    PFNRTLDOSAPPLYFILEISOLATIONREDIRECTION_USTR pfnRtlDosApplyFileIsolationRedirection_Ustr;
} RTR3WINNTDLL;

// The table (filled first when it is not yet). Never null.
const RTR3WINNTDLL *rtR3WinNtDll(void);
// The ntdll module handle, looked up by name on first use; null only on a broken system.
HMODULE rtR3WinNtDllModule(void);
// The kernel32 module handle: the one initialisation recorded, else looked up by name.
HMODULE rtR3WinKernel32Module(void);
// An export of kernel32 that not every Windows version has, found by name; null when absent.
FARPROC rtR3WinKernel32Symbol(const char *pszSymbol);

// The Windows Sockets error accessors that initialisation binds (null until then, or when no
// sockets library could be had).
typedef int(WINAPI *PFNWSAGETLASTERROR)(void);
typedef void(WINAPI *PFNWSASETLASTERROR)(int);
extern PFNWSAGETLASTERROR volatile g_pfnrtR3WinWSAGetLastError;
extern PFNWSASETLASTERROR volatile g_pfnrtR3WinWSASetLastError;

//
// Hardening.
//

typedef BOOL(WINAPI *PFNSETDLLDIRECTORYW)(LPCWSTR pwszDir);
typedef BOOL(WINAPI *PFNSETDEFAULTDLLDIRECTORIES)(DWORD fFlags);
typedef VOID(WINAPI *PFNGETCURRENTTHREADSTACKLIMITS)(PULONG_PTR puLow, PULONG_PTR puHigh);

// The calls of the hardening step; the optional ones are null where kernel32 lacks them.
typedef struct RTR3WINHARDENCALLS {
    decltype(&::SetErrorMode) pfnSetErrorMode;
    PFNSETDLLDIRECTORYW pfnSetDllDirectoryW;
    PFNSETDEFAULTDLLDIRECTORIES pfnSetDefaultDllDirectories;
    PFNGETCURRENTTHREADSTACKLIMITS pfnGetCurrentThreadStackLimits;
    decltype(&::SetUnhandledExceptionFilter) pfnSetUnhandledExceptionFilter;
} RTR3WINHARDENCALLS;

// The flags for SetDefaultDllDirectories, or 0 when it is not to be called: the system
// directory alone with RTR3INIT_FLAGS_SYSTEM32_ONLY on any version; the system and application
// directories on versions after Vista (OS type above 108); otherwise not at all.
uint32_t rtR3WinDefaultDllDirectoriesFlags(uint32_t fInitFlags, uint32_t enmOsType);
// The hardening through pCalls: error mode, library search, stack-limits query, exception
// filter. Returns QERR_INTERNAL_ERROR_3 when SetDllDirectoryW failed, else
// QERR_INTERNAL_ERROR_4 when SetDefaultDllDirectories failed, else QINF_SUCCESS.
int rtR3WinHarden(uint32_t fInitFlags, uint32_t enmOsType, const RTR3WINHARDENCALLS *pCalls);

// The unhandled-exception filter initialisation installs, and what it found installed before.
LONG WINAPI rtR3WinUnhandledXcptFilter(PEXCEPTION_POINTERS pXcptPtrs);
extern LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pfnrtR3WinPrevXcptFilter;
// kernel32's GetCurrentThreadStackLimits when it has one (for the exception report).
extern PFNGETCURRENTTHREADSTACKLIMITS volatile g_pfnrtR3WinGetCurrentThreadStackLimits;
