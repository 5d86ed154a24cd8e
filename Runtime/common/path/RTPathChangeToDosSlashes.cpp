// Converting separators to backslashes in place.
#include <qrt/path.h>

char *RTPathChangeToDosSlashes(char *pszPath, bool fForce) {
    (void)fForce; // the host always uses backslashes
    for (char *psz = pszPath; *psz; psz++)
        if (*psz == '/') *psz = '\\';
    return pszPath;
}
