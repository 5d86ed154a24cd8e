// The ntdll entries of the runtime, resolved by name from the ntdll every process has loaded,
// and the runtime's own definitions of the NT calls it makes. With these the programs link no
// ntdll import library: the NT calls are made through the table, and a Windows version that
// lacks one of the optional entries still starts the program.
#include <qrt/cdefs.h>

#include "r3/init-internal.h"
#include "r3/win/init-win-internal.h"

// STATUS_PROCEDURE_NOT_FOUND: what a call reports when ntdll lacks its entry.
#define RTNT_STATUS_PROCEDURE_NOT_FOUND ((NTSTATUS)0xC000007AL)

static RTR3WINNTDLL g_rtR3WinNtDll;
// 0 not filled, 2 filled. Racing first users fill the table with the same values.
static uint32_t volatile g_uRtR3WinNtDllState;
static HMODULE volatile g_hModRtR3WinNtDll;

HMODULE rtR3WinNtDllModule(void) {
    HMODULE hMod = __atomic_load_n(&g_hModRtR3WinNtDll, __ATOMIC_ACQUIRE);
    if (!hMod) {
        hMod = GetModuleHandleW(L"ntdll.dll");
        __atomic_store_n(&g_hModRtR3WinNtDll, hMod, __ATOMIC_RELEASE);
    }
    return hMod;
}

HMODULE rtR3WinKernel32Module(void) {
    HMODULE hMod = (HMODULE)__atomic_load_n(&g_hModKernel32, __ATOMIC_ACQUIRE);
    return hMod ? hMod : GetModuleHandleW(L"kernel32.dll");
}

FARPROC rtR3WinKernel32Symbol(const char *pszSymbol) {
    HMODULE hMod = rtR3WinKernel32Module();
    return hMod ? GetProcAddress(hMod, pszSymbol) : NULL;
}

template <typename T>
static void rtR3WinNtDllResolve(HMODULE hMod, T *ppfn, const char *pszName) {
    *ppfn = hMod ? (T)(void *)GetProcAddress(hMod, pszName) : NULL;
}

const RTR3WINNTDLL *rtR3WinNtDll(void) {
    if (RT_LIKELY(__atomic_load_n(&g_uRtR3WinNtDllState, __ATOMIC_ACQUIRE) == 2)) return &g_rtR3WinNtDll;
    // A look-up must not disturb the caller's error state: the NT calls report by status.
    DWORD const dwSavedError = GetLastError();
    HMODULE hMod = rtR3WinNtDllModule();
    RTR3WINNTDLL Tab;
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtCreateFile, "NtCreateFile");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtClose, "NtClose");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtQueryInformationFile, "NtQueryInformationFile");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtQueryVolumeInformationFile, "NtQueryVolumeInformationFile");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtQueryDirectoryFile, "NtQueryDirectoryFile");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtOpenDirectoryObject, "NtOpenDirectoryObject");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtQueryDirectoryObject, "NtQueryDirectoryObject");
    rtR3WinNtDllResolve(hMod, &Tab.pfnRtlFreeUnicodeString, "RtlFreeUnicodeString");
    rtR3WinNtDllResolve(hMod, &Tab.pfnRtlGetVersion, "RtlGetVersion");
    rtR3WinNtDllResolve(hMod, &Tab.pfnRtlGetInterruptTimePrecise, "RtlGetInterruptTimePrecise");
    rtR3WinNtDllResolve(hMod, &Tab.pfnNtQueryFullAttributesFile, "NtQueryFullAttributesFile");
    rtR3WinNtDllResolve(hMod, &Tab.pfnRtlDosApplyFileIsolationRedirection_Ustr,
                        "RtlDosApplyFileIsolationRedirection_Ustr");
    g_rtR3WinNtDll = Tab;
    __atomic_store_n(&g_uRtR3WinNtDllState, 2, __ATOMIC_RELEASE);
    SetLastError(dwSavedError);
    return &g_rtR3WinNtDll;
}

// The NT calls, defined here in place of ntdll's import library.
extern "C" {

NTSTATUS NTAPI NtCreateFile(PHANDLE phFile, ACCESS_MASK fDesiredAccess, POBJECT_ATTRIBUTES pObjAttr,
                            PIO_STATUS_BLOCK pIos, PLARGE_INTEGER pcbAllocation, ULONG fFileAttribs, ULONG fShareAccess,
                            ULONG uDisposition, ULONG fCreateOptions, PVOID pvEaBuffer, ULONG cbEa) {
    decltype(&::NtCreateFile) pfn = rtR3WinNtDll()->pfnNtCreateFile;
    if (!pfn) return RTNT_STATUS_PROCEDURE_NOT_FOUND;
    return pfn(phFile, fDesiredAccess, pObjAttr, pIos, pcbAllocation, fFileAttribs, fShareAccess, uDisposition,
               fCreateOptions, pvEaBuffer, cbEa);
}

NTSTATUS NTAPI NtClose(HANDLE hHandle) {
    decltype(&::NtClose) pfn = rtR3WinNtDll()->pfnNtClose;
    return pfn ? pfn(hHandle) : RTNT_STATUS_PROCEDURE_NOT_FOUND;
}

NTSTATUS NTAPI NtQueryInformationFile(HANDLE hFile, PIO_STATUS_BLOCK pIos, PVOID pvBuf, ULONG cbBuf,
                                      FILE_INFORMATION_CLASS enmClass) {
    decltype(&::NtQueryInformationFile) pfn = rtR3WinNtDll()->pfnNtQueryInformationFile;
    return pfn ? pfn(hFile, pIos, pvBuf, cbBuf, enmClass) : RTNT_STATUS_PROCEDURE_NOT_FOUND;
}

NTSTATUS NTAPI NtQueryVolumeInformationFile(HANDLE hFile, PIO_STATUS_BLOCK pIos, PVOID pvBuf, ULONG cbBuf,
                                            FS_INFORMATION_CLASS enmClass) {
    decltype(&::NtQueryVolumeInformationFile) pfn = rtR3WinNtDll()->pfnNtQueryVolumeInformationFile;
    return pfn ? pfn(hFile, pIos, pvBuf, cbBuf, enmClass) : RTNT_STATUS_PROCEDURE_NOT_FOUND;
}

NTSTATUS NTAPI NtQueryDirectoryFile(HANDLE hFile, HANDLE hEvent, PIO_APC_ROUTINE pfnApc, PVOID pvApcContext,
                                    PIO_STATUS_BLOCK pIos, PVOID pvBuffer, ULONG cbBuffer,
                                    FILE_INFORMATION_CLASS enmClass, BOOLEAN fReturnSingleEntry,
                                    PUNICODE_STRING pFileName, BOOLEAN fRestartScan) {
    decltype(&::NtQueryDirectoryFile) pfn = rtR3WinNtDll()->pfnNtQueryDirectoryFile;
    if (!pfn) return RTNT_STATUS_PROCEDURE_NOT_FOUND;
    return pfn(hFile, hEvent, pfnApc, pvApcContext, pIos, pvBuffer, cbBuffer, enmClass, fReturnSingleEntry, pFileName,
               fRestartScan);
}

NTSTATUS NTAPI NtOpenDirectoryObject(PHANDLE phDirectory, ACCESS_MASK fDesiredAccess, POBJECT_ATTRIBUTES pObjAttr) {
    decltype(&::NtOpenDirectoryObject) pfn = rtR3WinNtDll()->pfnNtOpenDirectoryObject;
    return pfn ? pfn(phDirectory, fDesiredAccess, pObjAttr) : RTNT_STATUS_PROCEDURE_NOT_FOUND;
}

NTSTATUS NTAPI NtQueryDirectoryObject(HANDLE hDirectory, PVOID pvBuffer, ULONG cbBuffer, BOOLEAN fReturnSingleEntry,
                                      BOOLEAN fRestartScan, PULONG puContext, PULONG pcbReturned) {
    decltype(&::NtQueryDirectoryObject) pfn = rtR3WinNtDll()->pfnNtQueryDirectoryObject;
    if (!pfn) return RTNT_STATUS_PROCEDURE_NOT_FOUND;
    return pfn(hDirectory, pvBuffer, cbBuffer, fReturnSingleEntry, fRestartScan, puContext, pcbReturned);
}

VOID NTAPI RtlFreeUnicodeString(PUNICODE_STRING pString) {
    decltype(&::RtlFreeUnicodeString) pfn = rtR3WinNtDll()->pfnRtlFreeUnicodeString;
    if (pfn) pfn(pString);
}

} // extern "C"
