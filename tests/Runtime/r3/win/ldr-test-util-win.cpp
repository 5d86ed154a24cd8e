// The loader tests' platform part on Windows: the real system directory.
#include "Runtime/common/ldr/ldr-test-util.h"

#include <windows.h>

#include "Runtime/r3/init-test-util.h"

bool tstLdrSetUp() {
    return tstRuntimeInit() == 0;
}

std::string tstLdrSystemDir() {
    char szDir[MAX_PATH];
    UINT cch = GetSystemDirectoryA(szDir, sizeof(szDir));
    return std::string(szDir, cch);
}

std::string tstLdrSystemPath(const char *pszName) {
    return tstLdrSystemDir() + "\\" + pszName;
}

bool tstLdrIsLoaded(const std::string &Path) {
    return GetModuleHandleA(Path.c_str()) != nullptr;
}

const char *tstLdrUnloadableName() {
    return "msimg32.dll";
}

const char *tstLdrKeepableName() {
    return "mscms.dll";
}
