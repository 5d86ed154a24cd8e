// Joining a base path and one component into a new string.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <string.h>

#define RTPATHJOINA_TAG "Runtime/common/path/RTPathJoinA"

char *RTPathJoinA(const char *pszBase, const char *pszAppend) {
    if (!RT_VALID_PTR(pszBase) || (pszAppend && !RT_VALID_PTR(pszAppend))) return NULL;
    // The join is never longer than both strings and one separator.
    size_t const cb = strlen(pszBase) + (pszAppend ? strlen(pszAppend) : 0) + 4;
    char *psz = RTStrAllocTag(cb, RTPATHJOINA_TAG);
    if (!psz) return NULL;
    if (RT_FAILURE(RTPathJoin(psz, cb, pszBase, pszAppend))) {
        RTStrFree(psz);
        return NULL;
    }
    return psz;
}
