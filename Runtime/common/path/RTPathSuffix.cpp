// The suffix of a path: its last dot after the last separator.
#include <qrt/path.h>

const char *RTPathSuffix(const char *pszPath) {
    if (!pszPath) return NULL;
    const char *pszDot = NULL;
    const char *psz = pszPath;
    for (; *psz; psz++) {
        if (*psz == '.')
            pszDot = psz;
        else if (*psz == '\\' || *psz == '/' || *psz == ':')
            pszDot = NULL;
    }
    // A dot that starts the whole string (".custom") or ends it ("file.") is no suffix; one
    // right after a separator ('dir\.custom') is.
    if (!pszDot || pszDot == pszPath || pszDot + 1 == psz) return NULL;
    return pszDot;
}
