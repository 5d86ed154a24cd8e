// The loader tests' platform part on POSIX hosts: the stand-in libraries' directory.
#include "Runtime/common/ldr/ldr-test-util.h"

#include <dlfcn.h>

#include "Runtime/r3/init-test-util.h"
#include "r3/posix/ldr-posix-internal.h"

bool tstLdrSetUp() {
    return tstRuntimeInit() == 0 && rtldrPosixSetSystemDir(QRT_TEST_LAZYDLL_DIR);
}

std::string tstLdrSystemDir() {
    return rtldrPosixGetSystemDir();
}

std::string tstLdrSystemPath(const char *pszName) {
    return tstLdrSystemDir() + "/" + pszName;
}

bool tstLdrIsLoaded(const std::string &Path) {
    void *pv = dlopen(Path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!pv) return false;
    dlclose(pv);
    return true;
}

const char *tstLdrUnloadableName() {
    return "QRTUNLOAD.DLL";
}

const char *tstLdrKeepableName() {
    return "QRTKEEP.DLL";
}
