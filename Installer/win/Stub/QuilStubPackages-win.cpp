// The package container on Windows: the executable's own raw-data resources, and kernel32's
// IsWow64Process where the system has it.
#include "QuilStubPackages-internal.h"

#include <windows.h>

namespace {

typedef BOOL(WINAPI *PFNISWOW64PROCESS)(HANDLE hProcess, PBOOL pfWow64Process);
PFNISWOW64PROCESS g_pfnIsWow64Process;

void *stubWinFindResource(const RTUTF16 *pwszName) {
    // No module: the executable itself. Language neutral, so any language's copy is found.
    return FindResourceExW(NULL, RT_RCDATA, (LPCWSTR)pwszName, 0);
}

uint32_t stubWinSizeofResource(void *hResInfo) {
    return SizeofResource(NULL, (HRSRC)hResInfo);
}

void *stubWinLoadResource(void *hResInfo) {
    return LoadResource(NULL, (HRSRC)hResInfo);
}

const void *stubWinLockResource(void *hResData) {
    return LockResource((HGLOBAL)hResData);
}

bool stubWinIsWow64(bool *pfWow64) {
    BOOL fWow64 = *pfWow64 ? TRUE : FALSE;
    if (!g_pfnIsWow64Process(GetCurrentProcess(), &fWow64)) return false;
    *pfWow64 = fWow64 != FALSE;
    return true;
}

PFNSTUBISWOW64 stubWinLookupIsWow64(void) {
    HMODULE hKernel32 = GetModuleHandleA("kernel32");
    g_pfnIsWow64Process =
        hKernel32 ? (PFNISWOW64PROCESS)(void (*)(void))GetProcAddress(hKernel32, "IsWow64Process") : NULL;
    return g_pfnIsWow64Process ? stubWinIsWow64 : NULL;
}

} // namespace

StubPackageCalls g_StubPackageCalls = {stubWinFindResource, stubWinSizeofResource, stubWinLoadResource,
                                       stubWinLockResource, stubWinLookupIsWow64};
