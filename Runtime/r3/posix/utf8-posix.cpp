// Code-page conversions where the locale's code set is UTF-8: validated plain copies.
#include <qrt/string.h>
#include <qrt/mem.h>
#include <qrt/err.h>

// Copies at most cch bytes of valid UTF-8 into a new allocation.
static int rtStrCpCopy(char **ppszString, const char *pszString, size_t cch, const char *pszTag) {
    *ppszString = NULL;
    size_t const cb = RTStrNLen(pszString, cch);
    if (cb != 0) {
        int rc = RTStrValidateEncodingEx(pszString, cb, NULL);
        if (RT_FAILURE(rc)) return rc;
    }
    char *psz = RTStrDupNTag(pszString, cb, pszTag);
    if (!psz) return QERR_NO_TMP_MEMORY;
    *ppszString = psz;
    return QINF_SUCCESS;
}

int RTStrUtf8ToCurrentCPExTag(char **ppszString, const char *pszString, size_t cchString, const char *pszTag) {
    return rtStrCpCopy(ppszString, pszString, cchString, pszTag);
}

int RTStrCurrentCPToUtf8Tag(char **ppszString, const char *pszString, const char *pszTag) {
    return rtStrCpCopy(ppszString, pszString, RTSTR_MAX, pszTag);
}
