// Process initialisation on POSIX hosts: nothing to harden and no sockets error to bind; the
// loader only needs to know that initialisation ran, and the arguments are the ones the
// process received.
#include <qrt/err.h>

#include "r3/init-internal.h"
#include "r3/system-internal.h"

void *volatile g_hModKernel32;

// What g_hModKernel32 points at once initialised: a marker, there being no kernel32 here.
static char g_chRtR3PosixLoaderMarker;

int rtR3InitNativeFirst(uint32_t fFlags) {
    __atomic_store_n(&g_hModKernel32, (void *)&g_chRtR3PosixLoaderMarker, __ATOMIC_RELEASE);
    rtSystemInitVersion();
    return rtR3InitNativeHarden(fFlags);
}

int rtR3InitNativeHarden(uint32_t fFlags) {
    (void)fFlags;
    return QINF_SUCCESS;
}

int rtR3InitNativeSplitArgs(int cArgs, char **papszArgs, char ***ppapszArgs, int *pcArgs) {
    (void)cArgs;
    (void)papszArgs;
    (void)pcArgs;
    *ppapszArgs = NULL;
    return QINF_SUCCESS;
}
