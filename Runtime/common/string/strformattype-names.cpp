// "%Rbn" and "%Rfn": the file name of a source path and the bare function name of a signature,
// as diagnostics print source positions.
#include "common/string/strformattype-internal.h"

static bool rtStrFormatIsPathSep(char ch) {
    return ch == '/' || ch == '\\' || ch == ':';
}

size_t rtstrFormatTypeFileName(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(cchWidth);
    RT_NOREF(cchPrecision);
    RT_NOREF(fFlags);
    RT_NOREF(chArgSize);
    const char *pszType = *ppszFormat; // "bn"
    *ppszFormat = pszType + 2;

    const char *pszPath = va_arg(*pArgs, const char *);
    if (rtstrFormatIsNearNull(pszPath)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<null>"));

    // The name starts after the last separator that something other than a separator
    // follows, so trailing separators stay with the last component ("dir/sub/" -> "sub/").
    const char *pszName = pszPath;
    const char *psz = pszPath;
    for (; *psz != '\0'; psz++)
        if (rtStrFormatIsPathSep(*psz) && psz[1] != '\0' && !rtStrFormatIsPathSep(psz[1])) pszName = psz + 1;
    return pfnOutput(pvArgOutput, pszName, (size_t)(psz - pszName));
}

size_t rtstrFormatTypeFunctionName(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(cchWidth);
    RT_NOREF(cchPrecision);
    RT_NOREF(fFlags);
    RT_NOREF(chArgSize);
    const char *pszType = *ppszFormat; // "fn"
    *ppszFormat = pszType + 2;

    const char *pszSig = va_arg(*pArgs, const char *);
    if (rtstrFormatIsNearNull(pszSig)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<null>"));

    // Return type and calling convention come before the name, separated by blanks; blanks
    // inside template arguments ("foo<int, char>") do not start a new name.
    const char *pszName = pszSig;
    const char *psz = pszSig;
    unsigned cDepth = 0;
    while (*psz != '\0' && *psz != '(') {
        char const ch = *psz;
        if (ch == ' ' || ch == '\t') {
            do psz++;
            while (*psz == ' ' || *psz == '\t' || *psz == '(');
            if (cDepth == 0) pszName = psz;
            continue;
        }
        if (ch == '<')
            cDepth++;
        else if (ch == '>' && cDepth > 0)
            cDepth--;
        psz++;
    }
    return pfnOutput(pvArgOutput, pszName, (size_t)(psz - pszName));
}
