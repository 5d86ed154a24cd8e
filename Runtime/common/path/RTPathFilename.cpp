// The file name of a path: what follows its last separator.
#include <qrt/path.h>

const char *RTPathFilenameEx(const char *pszPath, uint32_t fFlags) {
    if (!pszPath) return NULL;
    bool const fDos = (fFlags & RTPATH_STYLE_MASK) < RTPATH_STYLE_UNIX;
    const char *pszName = pszPath;
    for (const char *psz = pszPath; *psz; psz++)
        if (*psz == '/' || (fDos && (*psz == '\\' || *psz == ':'))) pszName = psz + 1;
    return *pszName ? pszName : NULL;
}

const char *RTPathFilename(const char *pszPath) {
    return RTPathFilenameEx(pszPath, RTPATH_STYLE_DOS);
}
