// Bounded copy and concatenation of strings.
#include <qrt/string.h>
#include <qrt/err.h>

#include <string.h>

int RTStrCopy(char *pszDst, size_t cbDst, const char *pszSrc) {
    return RTStrCopyEx(pszDst, cbDst, pszSrc, RTSTR_MAX);
}

int RTStrCopyEx(char *pszDst, size_t cbDst, const char *pszSrc, size_t cchSrcMax) {
    // Never look further into the source than the destination could take.
    size_t const cchSrc = RTStrNLen(pszSrc, RT_MIN(cchSrcMax, cbDst));
    if (cchSrc < cbDst) {
        memmove(pszDst, pszSrc, cchSrc);
        pszDst[cchSrc] = '\0';
        return QINF_SUCCESS;
    }
    if (cbDst != 0) {
        memmove(pszDst, pszSrc, cbDst - 1);
        pszDst[cbDst - 1] = '\0';
    }
    return QERR_BUFFER_OVERFLOW;
}

int RTStrCat(char *pszDst, size_t cbDst, const char *pszSrc) {
    return RTStrCatEx(pszDst, cbDst, pszSrc, RTSTR_MAX);
}

int RTStrCatEx(char *pszDst, size_t cbDst, const char *pszSrc, size_t cchSrcMax) {
    char *pszDstEnd = RTStrEnd(pszDst, cbDst);
    if (!pszDstEnd) return QERR_INVALID_PARAMETER;
    return RTStrCopyEx(pszDstEnd, cbDst - (size_t)(pszDstEnd - pszDst), pszSrc, cchSrcMax);
}
