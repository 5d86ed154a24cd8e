// "%Rhcb", "%Rhub", "%RhcB", "%RhuB", "%Rhci", "%Rhui": byte counts and other counts with
// binary ("KiB") or decimal ("kB") unit prefixes.
#include "common/string/strformattype-internal.h"

// Binary units, largest first; a unit applies from 2^shift (2^(shift+1) without fraction
// digits, so that "1KiB" never stands for up to 2047 bytes).
static const struct {
    char szName[3];
    uint8_t cShift;
} g_aBinaryUnits[] = {{"Ei", 60}, {"Pi", 50}, {"Ti", 40}, {"Gi", 30}, {"Mi", 20}, {"Ki", 10}};

// Decimal units, largest first; without fraction digits a unit applies from 1.01 times its
// divisor.
static const struct {
    char szName[2];
    uint64_t uDivisor;
    uint64_t uThreshold2;
} g_aDecimalUnits[] = {
    {"E", UINT64_C(1000000000000000000), UINT64_C(1010000000000000000)},
    {"P", UINT64_C(1000000000000000), UINT64_C(1010000000000000)},
    {"T", UINT64_C(1000000000000), UINT64_C(1010000000000)},
    {"G", UINT64_C(1000000000), UINT64_C(1010000000)},
    {"M", UINT64_C(1000000), UINT64_C(1010000)},
    {"k", UINT64_C(1000), UINT64_C(1010)},
};

// Integer part and fraction digits of a binary size. The fraction is truncated. It is worked
// out one digit at a time so that the remainder times ten never exceeds 64 bits, whatever
// the unit and precision.
static void rtStrFormatSizeBinary(uint64_t u, unsigned cShift, unsigned cFracDigits, uint64_t *puInt,
                                  uint64_t *puFrac) {
    uint64_t const fMask = (UINT64_C(1) << cShift) - 1;
    uint64_t uRem = u & fMask;
    uint64_t uFrac = 0;
    for (unsigned i = 0; i < cFracDigits; i++) {
        uRem *= 10;
        uFrac = uFrac * 10 + (uRem >> cShift);
        uRem &= fMask;
    }
    *puInt = u >> cShift;
    *puFrac = uFrac;
}

// Integer part and fraction digits of a decimal size, with the fraction rounded half up and a
// carry into the integer part. Long division keeps every product below 10^19.
static void rtStrFormatSizeDecimal(uint64_t u, uint64_t uDivisor, unsigned cFracDigits, uint64_t *puInt,
                                   uint64_t *puFrac) {
    uint64_t uInt = u / uDivisor;
    uint64_t uRem = u % uDivisor;
    uint64_t uFrac = 0;
    uint64_t uFracLimit = 1;
    for (unsigned i = 0; i < cFracDigits; i++) {
        uRem *= 10;
        uFrac = uFrac * 10 + uRem / uDivisor;
        uRem %= uDivisor;
        uFracLimit *= 10;
    }
    if (cFracDigits > 0 && uRem >= uDivisor - uRem) {
        // Divisors are even, so this is the same as adding half the divisor before dividing.
        if (++uFrac >= uFracLimit) {
            uFrac = 0;
            uInt++;
        }
    }
    *puInt = uInt;
    *puFrac = uFrac;
}

size_t rtstrFormatTypeSize(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(chArgSize);
    const char *pszType = *ppszFormat; // "hc?" or "hu?"
    bool const fTrailingB = pszType[1] == 'c';
    char const chUnits = pszType[2];
    if (chUnits != 'b' && chUnits != 'B' && chUnits != 'i') {
        rtstrFormatSkip(ppszFormat, 3);
        return 0;
    }
    *ppszFormat = pszType + 3;

    uint64_t const u = va_arg(*pArgs, uint64_t);
    unsigned const cFracDigits = cchPrecision < 0 ? 1 : cchPrecision > 3 ? 3 : (unsigned)cchPrecision;

    const char *pchUnit = NULL;
    size_t cchUnit = 0;
    uint64_t uInt = u;
    uint64_t uFrac = 0;
    if (chUnits == 'i') {
        for (size_t i = 0; i < RT_ELEMENTS(g_aDecimalUnits); i++)
            if (u >= (cFracDigits > 0 ? g_aDecimalUnits[i].uDivisor : g_aDecimalUnits[i].uThreshold2)) {
                rtStrFormatSizeDecimal(u, g_aDecimalUnits[i].uDivisor, cFracDigits, &uInt, &uFrac);
                pchUnit = g_aDecimalUnits[i].szName;
                cchUnit = 1;
                break;
            }
    } else {
        for (size_t i = 0; i < RT_ELEMENTS(g_aBinaryUnits); i++) {
            unsigned const cShift = g_aBinaryUnits[i].cShift;
            if (u >> (cFracDigits > 0 ? cShift : cShift + 1)) {
                rtStrFormatSizeBinary(u, cShift, cFracDigits, &uInt, &uFrac);
                pchUnit = g_aBinaryUnits[i].szName;
                cchUnit = chUnits == 'B' ? 1 : 2;
                break;
            }
        }
    }

    // Longest text: 20 digits, ".999", " ", "Ki", "B" = 28 characters; padding stops at the
    // engine's 63-character field limit.
    char achText[32];
    size_t cch = rtstrFormatDec(achText, uInt, false);
    if (pchUnit && cFracDigits > 0) {
        achText[cch++] = '.';
        char achFrac[32];
        size_t cchFrac = rtstrFormatDec(achFrac, uFrac, false);
        for (size_t i = cchFrac; i < cFracDigits; i++) achText[cch++] = '0';
        memcpy(&achText[cch], achFrac, cchFrac);
        cch += cchFrac;
    }
    if (fFlags & RTSTR_F_BLANK) achText[cch++] = ' ';
    if (pchUnit) {
        memcpy(&achText[cch], pchUnit, cchUnit);
        cch += cchUnit;
    }
    if (fTrailingB) achText[cch++] = 'B';

    char achField[64];
    size_t cchPad = 0;
    if (!(fFlags & RTSTR_F_LEFT) && cchWidth > 0 && (size_t)cchWidth > cch) {
        size_t const cchField = (size_t)cchWidth < sizeof(achField) - 1 ? (size_t)cchWidth : sizeof(achField) - 1;
        cchPad = cchField - cch;
        memset(achField, fFlags & RTSTR_F_ZEROPAD ? '0' : ' ', cchPad);
    }
    memcpy(&achField[cchPad], achText, cch);
    return pfnOutput(pvArgOutput, achField, cchPad + cch);
}
