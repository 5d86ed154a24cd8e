// Case-insensitive comparisons: by Unicode simple case mapping, and ASCII-only.
#include <qrt/string.h>
#include <qrt/uni.h>
#include <qrt/err.h>

static inline uint32_t rtStrAsciiLower(uint32_t b) {
    return b - 'A' < 26U ? b + 0x20 : b;
}

// Result of two code points that differ: 0 when they differ only in case (by either mapping),
// else the signed difference of their lower-case mappings.
static inline int rtStrCompareFolded(RTUNICP uc1, RTUNICP uc2) {
    RTUNICP const ucLower1 = RTUniCpToLower(uc1);
    RTUNICP const ucLower2 = RTUniCpToLower(uc2);
    if (ucLower1 == ucLower2 || RTUniCpToUpper(uc1) == RTUniCpToUpper(uc2)) return 0;
    return (int32_t)(ucLower1 - ucLower2);
}

int RTStrICmp(const char *psz1, const char *psz2) {
    if (psz1 == psz2) return 0;
    if (!psz1) return -1;
    if (!psz2) return 1;

    for (;;) {
        uint32_t const b1 = (uint8_t)*psz1;
        uint32_t const b2 = (uint8_t)*psz2;
        if ((b1 | b2) < 0x80) {
            // Both ASCII: upper and lower mappings differ together, so folding to lower is enough.
            if (b1 != b2) {
                int iDiff = (int)rtStrAsciiLower(b1) - (int)rtStrAsciiLower(b2);
                if (iDiff) return iDiff;
            }
            if (!b1) return 0;
            psz1++;
            psz2++;
            continue;
        }

        const char *const pszCp1 = psz1;
        RTUNICP uc1;
        int rc = RTStrGetCpEx(&psz1, &uc1);
        if (RT_FAILURE(rc)) return RTStrCmp(psz1 - 1, psz2);
        RTUNICP uc2;
        rc = RTStrGetCpEx(&psz2, &uc2);
        if (RT_FAILURE(rc)) // back to the offending byte, and to the start of the first's code point
            return RTStrCmp(pszCp1, psz2 - 1);

        if (uc1 != uc2) {
            int iDiff = rtStrCompareFolded(uc1, uc2);
            if (iDiff) return iDiff;
        }
        if (!uc1) return 0;
    }
}

int RTStrNICmp(const char *psz1, const char *psz2, size_t cchMax) {
    if (cchMax == 0) return 0;
    if (psz1 == psz2) return 0;
    if (!psz1) return -1;
    if (!psz2) return 1;

    size_t cch1 = cchMax;
    for (;;) {
        size_t const cchBefore = cch1;
        const char *const pszCp1 = psz1;
        const char *const pszCp2 = psz2;
        uint32_t const b1 = (uint8_t)*psz1;
        uint32_t const b2 = (uint8_t)*psz2;
        RTUNICP uc1;
        RTUNICP uc2;
        if ((b1 | b2) < 0x80) {
            uc1 = b1;
            uc2 = b2;
            psz1++;
            psz2++;
            cch1--;
        } else {
            int rc = RTStrGetCpNEx(&psz1, &cch1, &uc1);
            if (RT_FAILURE(rc)) return RTStrNCmp(pszCp1, pszCp2, cchBefore);
            // The second string may use what the first had left before this code point.
            size_t cch2 = cchBefore;
            rc = RTStrGetCpNEx(&psz2, &cch2, &uc2);
            if (RT_FAILURE(rc)) return RTStrNCmp(pszCp1, pszCp2, cchBefore);
        }

        if (uc1 != uc2) {
            int iDiff = (uc1 | uc2) < 0x80 ? (int)rtStrAsciiLower(uc1) - (int)rtStrAsciiLower(uc2)
                                           : rtStrCompareFolded(uc1, uc2);
            if (iDiff) return iDiff;
        }
        if (!uc1 || cch1 == 0) return 0;
    }
}

int RTStrAsciiICmp(const char *psz1, const char *pszAscii) {
    if (psz1 == pszAscii) return 0;
    if (!psz1) return -1;
    if (!pszAscii) return 1;

    for (;;) {
        RTUNICP uc1;
        int rc = RTStrGetCpEx(&psz1, &uc1);
        if (RT_FAILURE(rc)) return RTStrCmp(psz1 - 1, pszAscii);
        uint32_t const b2 = (uint8_t)*pszAscii++;
        if (uc1 != b2) {
            if (uc1 >= 0x80) return 1;
            int iDiff = (int)rtStrAsciiLower(uc1) - (int)rtStrAsciiLower(b2);
            if (iDiff) return iDiff;
        }
        if (!b2) return 0;
    }
}
