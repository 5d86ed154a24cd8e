// The number formatter behind every integer field of the formatting engine.
#include <string.h>

#include <qrt/format.h>
#include <qrt/err.h>

// Largest number of digits: a 64-bit value in octal.
#define RTSTRFMT_MAX_DIGITS 22

// "00" to "99": decimal digits are produced two at a time, halving the chain of divisions.
static const char g_achDecimalPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Number of digits of u in base uiBase (8, 10 or 16), at least one.
static inline unsigned rtStrFormatDigitCount(uint64_t u, unsigned uiBase) {
    if (uiBase == 10) {
        unsigned c = 1;
        if (u > UINT32_MAX) {
            // At least 10 digits; count the rest by powers of ten.
            uint64_t uPow = 10000000000ULL;
            c = 10;
            while (c < 20 && u >= uPow) {
                c++;
                uPow *= 10;
            }
            return c;
        }
        uint32_t const u32 = (uint32_t)u;
        c += u32 >= 10;
        c += u32 >= 100;
        c += u32 >= 1000;
        c += u32 >= 10000;
        c += u32 >= 100000;
        c += u32 >= 1000000;
        c += u32 >= 10000000;
        c += u32 >= 100000000;
        c += u32 >= 1000000000;
        return c;
    }
    unsigned cBits = 1;
    while (cBits < 64 && (u >> cBits) != 0) cBits++;
    return uiBase == 16 ? (cBits + 3) / 4 : (cBits + 2) / 3;
}

// Writes the digits of u in base uiBase (as many as rtStrFormatDigitCount says) ending just
// before pchEnd. Values that fit in 32 bits take the cheaper 32-bit division (it matters on x86).
static inline void rtStrFormatDigits(char *pchEnd, uint64_t u, unsigned uiBase, const char *pszDigits) {
    char *pch = pchEnd;
    if (uiBase == 16) {
        do {
            *--pch = pszDigits[u & 0xf];
            u >>= 4;
        } while (u);
    } else if (uiBase == 8) {
        do {
            *--pch = pszDigits[u & 7];
            u >>= 3;
        } while (u);
    } else {
        while (u > UINT32_MAX) {
            uint64_t const uQuot = u / 100;
            unsigned const uRem = (unsigned)(u - uQuot * 100);
            pch -= 2;
            pch[0] = g_achDecimalPairs[2 * uRem];
            pch[1] = g_achDecimalPairs[2 * uRem + 1];
            u = uQuot;
        }
        uint32_t u32 = (uint32_t)u;
        while (u32 >= 100) {
            uint32_t const uQuot = u32 / 100;
            unsigned const uRem = u32 - uQuot * 100;
            pch -= 2;
            pch[0] = g_achDecimalPairs[2 * uRem];
            pch[1] = g_achDecimalPairs[2 * uRem + 1];
            u32 = uQuot;
        }
        if (u32 >= 10) {
            pch -= 2;
            pch[0] = g_achDecimalPairs[2 * u32];
            pch[1] = g_achDecimalPairs[2 * u32 + 1];
        } else
            *--pch = (char)('0' + u32);
    }
}

static inline int64_t rtStrFormatMin(int64_t a, int64_t b) {
    return a < b ? a : b;
}

// Replaces a signed value by its magnitude and returns whether it was negative. A value with
// upper bits set is taken as 64-bit even without the 64-bit flag, so 32-bit arguments
// sign-extended by the caller print the same as zero-extended ones.
static inline bool rtStrFormatTakeSign(uint64_t *pu64Value, unsigned fFlags) {
    if (!(fFlags & RTSTR_F_VALSIGNED)) return false;
    if ((fFlags & RTSTR_F_64BIT) || (*pu64Value >> 32)) {
        if ((int64_t)*pu64Value >= 0) return false;
        *pu64Value = 0 - *pu64Value;
        return true;
    }
    int32_t const i32 = (int32_t)(uint32_t)*pu64Value;
    if (i32 >= 0) {
        *pu64Value = (uint32_t)i32;
        return false;
    }
    *pu64Value = 0 - (uint64_t)(int64_t)i32;
    return true;
}

// The general case: padding, prefixes, precision, grouping and the field bound.
static RT_NOINLINE int rtStrFormatNumberFull(char *pszBuf, uint64_t u64Value, unsigned uiBase, int cchWidth,
                                             int cchPrecision, unsigned fFlags) {
    if (uiBase != 8 && uiBase != 10 && uiBase != 16) {
        pszBuf[0] = '\0';
        return 0;
    }
    const char *pszDigits = (fFlags & RTSTR_F_CAPITAL) ? "0123456789ABCDEF" : "0123456789abcdef";

    bool const fNegative = rtStrFormatTakeSign(&u64Value, fFlags);
    unsigned const cDigits = rtStrFormatDigitCount(u64Value, uiBase);

    if (fFlags & RTSTR_F_LEFT) fFlags &= ~RTSTR_F_ZEROPAD;
    if (uiBase != 10 || (fFlags & RTSTR_F_ZEROPAD)) fFlags &= ~RTSTR_F_THOUSAND_SEP;
    unsigned cchDigitPositions = cDigits;
    if (fFlags & RTSTR_F_THOUSAND_SEP) {
        if (cDigits > 3)
            cchDigitPositions += (cDigits - 1) / 3;
        else
            fFlags &= ~RTSTR_F_THOUSAND_SEP;
    }

    char achPrefix[3];
    unsigned cchPrefix = 0;
    if (fFlags & RTSTR_F_VALSIGNED) {
        if (fNegative)
            achPrefix[cchPrefix++] = '-';
        else if (fFlags & RTSTR_F_PLUS)
            achPrefix[cchPrefix++] = '+';
        else if (fFlags & RTSTR_F_BLANK)
            achPrefix[cchPrefix++] = ' ';
    }
    if ((fFlags & RTSTR_F_SPECIAL) && (uiBase == 8 || uiBase == 16)) {
        achPrefix[cchPrefix++] = '0';
        if (uiBase == 16) achPrefix[cchPrefix++] = (fFlags & RTSTR_F_CAPITAL) ? 'X' : 'x';
    }

    // Plan the field in 64-bit arithmetic (width and precision may be anything a caller
    // passes), then clip it to the work buffer: zeros up to 63 characters in all, leading
    // spaces up to 62 and trailing spaces up to 63.
    int64_t const cchRest = (int64_t)cchWidth - cchDigitPositions - cchPrefix;
    int64_t cchPrecLeft = cchPrecision;
    int64_t cZeros = 0;
    int64_t cSpacesBefore = 0;
    int64_t cSpacesAfter = 0;
    if (fFlags & RTSTR_F_ZEROPAD) {
        if (cchRest > 0) {
            cZeros = cchRest;
            cchPrecLeft -= cchRest; // padding zeros count as precision digits too
        }
    } else if (!(fFlags & RTSTR_F_LEFT) && cchRest > 0)
        cSpacesBefore = cchRest;
    if (cchPrecLeft > (int64_t)cDigits) cZeros += cchPrecLeft - cDigits;
    if ((fFlags & RTSTR_F_LEFT) && cchRest > 0) cSpacesAfter = cchRest;

    int64_t const cchFixed = cchPrefix + cchDigitPositions;
    cZeros = rtStrFormatMin(cZeros, 63 - cchFixed);
    cSpacesBefore = rtStrFormatMin(cSpacesBefore, 62 - cchFixed - cZeros);
    cSpacesAfter = rtStrFormatMin(cSpacesAfter, 63 - cchFixed - cZeros);

    char *pch = pszBuf;
    if (cSpacesBefore > 0) {
        memset(pch, ' ', (size_t)cSpacesBefore);
        pch += cSpacesBefore;
    }
    for (unsigned i = 0; i < cchPrefix; i++) *pch++ = achPrefix[i];
    if (cZeros > 0) {
        memset(pch, '0', (size_t)cZeros);
        pch += cZeros;
    }
    if (!(fFlags & RTSTR_F_THOUSAND_SEP)) {
        pch += cDigits;
        rtStrFormatDigits(pch, u64Value, uiBase, pszDigits);
    } else {
        // A space before every group of three counted from the right.
        char achDigits[RTSTRFMT_MAX_DIGITS];
        rtStrFormatDigits(&achDigits[cDigits], u64Value, uiBase, pszDigits);
        unsigned const cLead = cDigits % 3 ? cDigits % 3 : 3;
        for (unsigned i = 0; i < cLead; i++) *pch++ = achDigits[i];
        for (unsigned i = cLead; i < cDigits; i += 3) {
            pch[0] = ' ';
            pch[1] = achDigits[i];
            pch[2] = achDigits[i + 1];
            pch[3] = achDigits[i + 2];
            pch += 4;
        }
    }
    if (cSpacesAfter > 0) {
        memset(pch, ' ', (size_t)cSpacesAfter);
        pch += cSpacesAfter;
    }
    *pch = '\0';
    return (int)(pch - pszBuf);
}

int RTStrFormatNumber(char *pszBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                      unsigned fFlags) {
    // The common fields, decimal (perhaps grouped) or hexadecimal without width, precision or
    // flags that add characters, are written here; everything else goes the general way.
    if ((fFlags & (RTSTR_F_ZEROPAD | RTSTR_F_SPECIAL | RTSTR_F_PLUS | RTSTR_F_BLANK)) == 0 && cchWidth <= 1 &&
        cchPrecision <= 1 && (uiBase == 10 || uiBase == 16)) {
        char *pch = pszBuf;
        if (rtStrFormatTakeSign(&u64Value, fFlags)) *pch++ = '-';
        unsigned const cDigits = rtStrFormatDigitCount(u64Value, uiBase);
        const char *pszDigits = (fFlags & RTSTR_F_CAPITAL) ? "0123456789ABCDEF" : "0123456789abcdef";
        if (!(fFlags & RTSTR_F_THOUSAND_SEP) || uiBase != 10 || cDigits <= 3) {
            pch += cDigits;
            *pch = '\0';
            rtStrFormatDigits(pch, u64Value, uiBase, pszDigits);
            return (int)(pch - pszBuf);
        }
        // Grouped: three digits and a space at a time from the right, then the leading group.
        pch += cDigits + (cDigits - 1) / 3;
        *pch = '\0';
        int const cch = (int)(pch - pszBuf);
        while (u64Value >= 1000) {
            uint64_t const uQuot = u64Value / 1000;
            unsigned const uGroup = (unsigned)(u64Value - uQuot * 1000);
            unsigned const uPair = uGroup % 100;
            pch -= 4;
            pch[0] = ' ';
            pch[1] = (char)('0' + uGroup / 100);
            pch[2] = g_achDecimalPairs[2 * uPair];
            pch[3] = g_achDecimalPairs[2 * uPair + 1];
            u64Value = uQuot;
        }
        rtStrFormatDigits(pch, u64Value, 10, pszDigits);
        return cch;
    }
    return rtStrFormatNumberFull(pszBuf, u64Value, uiBase, cchWidth, cchPrecision, fFlags);
}

ptrdiff_t RTStrFormatU64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                         unsigned fFlags) {
    fFlags &= ~(unsigned)(RTSTR_F_8BIT | RTSTR_F_16BIT | RTSTR_F_32BIT);
    fFlags |= RTSTR_F_64BIT;
    if (cbBuf >= RTSTR_NUM_BUF_SIZE) return RTStrFormatNumber(pszBuf, u64Value, uiBase, cchWidth, cchPrecision, fFlags);

    char szTmp[RTSTR_NUM_BUF_SIZE];
    size_t const cch = (size_t)RTStrFormatNumber(szTmp, u64Value, uiBase, cchWidth, cchPrecision, fFlags);
    if (cch < cbBuf) {
        memcpy(pszBuf, szTmp, cch + 1);
        return (ptrdiff_t)cch;
    }
    if (cbBuf > 0) {
        memcpy(pszBuf, szTmp, cbBuf - 1);
        pszBuf[cbBuf - 1] = '\0';
    }
    return QERR_BUFFER_OVERFLOW;
}
