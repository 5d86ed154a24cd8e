// Making a path end with a separator.
#include <qrt/path.h>
#include <qrt/string.h>

size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath) {
    // Bounded by the stated size: a buffer without a terminator there has no room.
    size_t const cch = RTStrNLen(pszPath, cbPath);
    if (cch >= cbPath) return 0;
    if (cch == 0) {
        if (cbPath < 3) return 0;
        pszPath[0] = '.';
        pszPath[1] = '\\';
        pszPath[2] = '\0';
        return 2;
    }
    char const chLast = pszPath[cch - 1];
    if (chLast == '\\' || chLast == '/' || chLast == ':') return cch;
    if (cbPath < cch + 2) return 0;
    pszPath[cch] = '\\';
    pszPath[cch + 1] = '\0';
    return cch + 1;
}
