// Byte-wise string comparison.
#include <qrt/string.h>

#include <string.h>

int RTStrCmp(const char *psz1, const char *psz2) {
    if (psz1 == psz2) return 0;
    if (!psz1) return -1;
    if (!psz2) return 1;
    int iDiff = strcmp(psz1, psz2); // compares as unsigned char
    return iDiff < 0 ? -1 : iDiff > 0 ? 1 : 0;
}

int RTStrNCmp(const char *psz1, const char *psz2, size_t cchMax) {
    if (psz1 == psz2) return 0;
    if (!psz1) return -1;
    if (!psz2) return 1;
    int iDiff = strncmp(psz1, psz2, cchMax);
    return iDiff < 0 ? -1 : iDiff > 0 ? 1 : 0;
}
