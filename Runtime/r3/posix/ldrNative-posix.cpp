// Platform libraries on POSIX hosts: dlopen by full path, dlsym and dlclose. The "system
// directory" is one a test can set, so that the lazily bound Windows libraries can be stood in
// for by test objects of the same names.
#include <dlfcn.h>
#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/ldr/ldr-internal.h"
#include "r3/posix/ldr-posix-internal.h"

#define RTLDRNATIVEPOSIX_TAG "Runtime/r3/posix/ldrNative-posix"

static char g_szRtLdrPosixSystemDir[4096] = "/usr/lib";

bool rtldrPosixSetSystemDir(const char *pszDir) {
    return RT_SUCCESS(
        RTStrCopy(g_szRtLdrPosixSystemDir, sizeof(g_szRtLdrPosixSystemDir), pszDir ? pszDir : "/usr/lib"));
}

const char *rtldrPosixGetSystemDir(void) {
    return g_szRtLdrPosixSystemDir;
}

int rtldrNativeLoad(const char *pszFilename, uintptr_t *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo) {
    char *pszPath = NULL;
    const char *pszLoad = pszFilename;
    // The Windows rule: a name without suffix gets ".DLL" unless the caller asked for none.
    if (!RTPathSuffix(pszFilename) && !(fFlags & RTLDRLOAD_FLAGS_NO_SUFFIX)) {
        size_t const cch = strlen(pszFilename);
        pszPath = (char *)RTMemAllocTag(cch + sizeof(".DLL"), RTLDRNATIVEPOSIX_TAG);
        if (!pszPath) {
            rtldrErrInfoSet(pErrInfo, QERR_NO_MEMORY, "Failed to allocate %zu bytes for the path", cch + 5);
            return QERR_NO_MEMORY;
        }
        memcpy(pszPath, pszFilename, cch);
        memcpy(&pszPath[cch], ".DLL", sizeof(".DLL"));
        pszLoad = pszPath;
    }

    int fDl = RTLD_NOW | RTLD_LOCAL;
    if (fFlags & RTLDRLOAD_FLAGS_NO_UNLOAD) fDl |= RTLD_NODELETE;
    int rc = QINF_SUCCESS;
    void *pvHandle = dlopen(pszLoad, fDl);
    if (pvHandle)
        *phHandle = (uintptr_t)pvHandle;
    else {
        // dlopen reports in text only: tell a missing file from one that is no library.
        struct stat St;
        rc = stat(pszLoad, &St) == 0 ? QERR_BAD_EXE_FORMAT : QERR_MODULE_NOT_FOUND;
        const char *pszErr = dlerror();
        rtldrErrInfoSet(pErrInfo, rc, "dlopen: %s", pszErr ? pszErr : "?");
    }
    RTMemFree(pszPath);
    return rc;
}

int rtldrNativeLoadSystem(const char *pszFilename, const char *pszSuffix, uint32_t fFlags, PRTLDRMOD phLdrMod) {
    char szPath[RTLDR_PATH_BUF_SIZE];
    int rc = RTStrCopy(szPath, sizeof(szPath), g_szRtLdrPosixSystemDir);
    if (RT_FAILURE(rc)) return rc;
    return rtldrLoadSystemPath(szPath, sizeof(szPath), RTPATH_STYLE_UNIX, pszFilename, pszSuffix, fFlags, phLdrMod);
}

int rtldrNativeClose(RTLDRMODINTERNAL *pMod) {
    int rc = QINF_SUCCESS;
    // RTLD_NODELETE keeps a no-unload library mapped; dlclose still drops our reference.
    if (pMod->hNative != RTLDR_NIL_NATIVE_HANDLE && dlclose((void *)pMod->hNative) != 0) rc = QERR_INVALID_HANDLE;
    pMod->hNative = RTLDR_NIL_NATIVE_HANDLE;
    return rc;
}

int rtldrNativeGetSymbol(RTLDRMODINTERNAL *pMod, const char *pszSymbol, void **ppvValue) {
    dlerror();
    void *pv = dlsym((void *)pMod->hNative, pszSymbol);
    if (pv) {
        *ppvValue = pv;
        return QINF_SUCCESS;
    }
    *ppvValue = NULL;
    return QERR_SYMBOL_NOT_FOUND;
}
