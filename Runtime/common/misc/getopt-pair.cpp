// Pair values: one or two unsigned numbers ("1:2", "1/2", "1|2", "1 2", "0x10:0x20").
#include <qrt/assert.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

#include "common/misc/getopt-internal.h"

namespace {

bool rtGetOptIsBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

// Base of each number: hex with RTGETOPT_MOD_HEX or a "0x" prefix, else octal with
// RTGETOPT_MOD_OCT, else decimal.
unsigned rtGetOptPairBase(uint32_t fFlags, const char *psz) {
    if ((fFlags & RTGETOPT_MOD_HEX) || rtgetoptHasHexPrefix(psz)) return 16;
    return (fFlags & RTGETOPT_MOD_OCT) ? 8 : 10;
}

// One number of the pair, at the width of the type.
int rtGetOptPairNumber(bool f64, const char *psz, char **ppszNext, unsigned uBase, uint64_t *pu64) {
    if (f64) return RTStrToUInt64Ex(psz, ppszNext, uBase, pu64);
    uint32_t u32 = 0;
    int rc = RTStrToUInt32Ex(psz, ppszNext, uBase, &u32);
    *pu64 = u32;
    return rc;
}

} // namespace

int rtgetoptConvertPair(uint32_t fFlags, const char *pszValue, PRTGETOPTVALUE pValue) {
    uint32_t const uType = fFlags & RTGETOPT_VT_MASK;
    bool const f64 = uType == RTGETOPT_VT_UINT64_PAIR || uType == RTGETOPT_VT_UINT64_OPT_PAIR;
    bool const fOptional = uType == RTGETOPT_VT_UINT32_OPT_PAIR || uType == RTGETOPT_VT_UINT64_OPT_PAIR;

    // The first number may be followed by anything; what follows decides about the second.
    uint64_t uFirst = 0;
    char *pszNext = NULL;
    int rc = rtGetOptPairNumber(f64, pszValue, &pszNext, rtGetOptPairBase(fFlags, pszValue), &uFirst);
    if (rc != QINF_SUCCESS && rc != QWRN_TRAILING_CHARS && rc != QWRN_TRAILING_SPACES)
        return QERR_GETOPT_INVALID_ARGUMENT_FORMAT;

    uint64_t uSecond = f64 ? UINT64_MAX : UINT32_MAX;
    const char *psz = pszNext;
    while (rtGetOptIsBlank(*psz)) psz++;
    if (*psz == ':' || *psz == '/' || *psz == '|') {
        psz++;
        while (rtGetOptIsBlank(*psz)) psz++;
    }

    if (psz == pszNext) {
        // No separator at all: a lone number, with or without other text after it.
        if (!fOptional) {
            RTAssertMsg2("x\n");
            return QERR_GETOPT_INVALID_ARGUMENT_FORMAT;
        }
    } else {
        unsigned const uBase = rtGetOptPairBase(fFlags, psz);
        rc = rtGetOptPairNumber(f64, psz, &pszNext, uBase, &uSecond);
        if (rc != QINF_SUCCESS) {
            RTAssertMsg2("z rc=%Rrc: '%s' '%s' uBase=%d\n", rc, psz, pszNext, (int)uBase);
            return QERR_GETOPT_INVALID_ARGUMENT_FORMAT;
        }
    }

    if (f64) {
        pValue->pair64.uFirst = uFirst;
        pValue->pair64.uSecond = uSecond;
    } else {
        pValue->pair32.uFirst = (uint32_t)uFirst;
        pValue->pair32.uSecond = (uint32_t)uSecond;
    }
    return QINF_SUCCESS;
}
