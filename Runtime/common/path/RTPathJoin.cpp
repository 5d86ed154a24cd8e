// Joining a base path and one component into a caller buffer.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

int RTPathJoin(char *pszDst, size_t cbDst, const char *pszBase, const char *pszAppend) {
    int rc = RTStrCopy(pszDst, cbDst, pszBase);
    if (RT_FAILURE(rc)) return rc;
    return RTPathAppend(pszDst, cbDst, pszAppend);
}
