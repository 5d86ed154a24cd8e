// Finding the terminator of a string within a limit.
#include <qrt/string.h>

#include <string.h>

const char *RTStrEnd(const char *psz, size_t cchMax) {
    // Search in chunks: a limit with all bits set must not be added to the pointer, and each
    // chunk is only passed after all of its bytes were seen to be readable and non-zero.
    size_t const cbChunk = 0x10000;
    while (cchMax > cbChunk) {
        const char *pszEnd = (const char *)memchr(psz, '\0', cbChunk);
        if (pszEnd) return pszEnd;
        psz += cbChunk;
        cchMax -= cbChunk;
    }
    return (const char *)memchr(psz, '\0', cchMax);
}

size_t RTStrNLen(const char *psz, size_t cchMax) {
    if (cchMax == RTSTR_MAX) return strlen(psz);
    const char *pszEnd = RTStrEnd(psz, cchMax);
    return pszEnd ? (size_t)(pszEnd - psz) : cchMax;
}
