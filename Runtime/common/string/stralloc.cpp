// Allocation, duplication and freeing of UTF-8 strings.
#include <qrt/string.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include <string.h>

void RTStrFree(char *psz) {
    RTMemFree(psz);
}

char *RTStrDupTag(const char *psz, const char *pszTag) {
    size_t const cb = strlen(psz) + 1;
    char *pszDup = (char *)RTMemAllocTag(cb, pszTag);
    if (pszDup) memcpy(pszDup, psz, cb);
    return pszDup;
}

char *RTStrDupNTag(const char *psz, size_t cchMax, const char *pszTag) {
    size_t const cch = RTStrNLen(psz, cchMax);
    char *pszDup = (char *)RTMemAllocTag(cch + 1, pszTag);
    if (pszDup) {
        memcpy(pszDup, psz, cch);
        pszDup[cch] = '\0';
    }
    return pszDup;
}

char *RTStrAllocTag(size_t cb, const char *pszTag) {
    char *psz = (char *)RTMemAllocTag(cb ? cb : 1, pszTag);
    if (psz) *psz = '\0';
    return psz;
}

int RTStrReallocTag(char **ppsz, size_t cbNew, const char *pszTag) {
    char *pszOld = *ppsz;
    if (cbNew == 0) {
        RTMemFree(pszOld);
        *ppsz = NULL;
        return QINF_SUCCESS;
    }
    char *pszNew;
    if (pszOld) {
        pszNew = (char *)RTMemReallocTag(pszOld, cbNew, pszTag);
        if (!pszNew) return QERR_NO_STR_MEMORY;
    } else {
        pszNew = (char *)RTMemAllocTag(cbNew, pszTag);
        if (!pszNew) return QERR_NO_STR_MEMORY;
        pszNew[0] = '\0';
    }
    pszNew[cbNew - 1] = '\0';
    *ppsz = pszNew;
    return QINF_SUCCESS;
}
