// Whether a path begins with a root: a separator, or a drive letter and a colon.
#include <qrt/path.h>

bool RTPathStartsWithRoot(const char *pszPath) {
    if (!pszPath) return false;
    char const ch0 = pszPath[0];
    // A leading separator is a root on its own ('\x', '//server/share' and '/' alike), however
    // far the root then reaches.
    if (ch0 == '\\' || ch0 == '/') return true;
    // 'C:' with or without a separator after it.
    return ((ch0 >= 'A' && ch0 <= 'Z') || (ch0 >= 'a' && ch0 <= 'z')) && pszPath[1] == ':';
}
