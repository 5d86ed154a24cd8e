// Absolute paths in new allocations, grown until the result fits.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#define RTPATHABSEXDUP_TAG "Runtime/common/path/RTPathAbsExDup"

char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags) {
    size_t cb = 2050;
    for (unsigned iTry = 0; iTry < 16; iTry++) {
        char *psz = RTStrAllocTag(cb, RTPATHABSEXDUP_TAG);
        if (!psz) return NULL;
        size_t cbActual = cb;
        int rc = RTPathAbsEx(pszBase, pszPath, fFlags, psz, &cbActual);
        if (RT_SUCCESS(rc)) {
            // A failed shrink keeps the larger block, which is still the result.
            if (cbActual < cb / 2) RTStrReallocTag(&psz, cbActual + 1, RTPATHABSEXDUP_TAG);
            return psz;
        }
        RTStrFree(psz);
        if (rc != QERR_BUFFER_OVERFLOW) return NULL;
        size_t const cbHint = (cbActual + 79) & ~(size_t)63;
        cb = cb + 256 > cbHint ? cb + 256 : cbHint;
    }
    return NULL;
}
