// The 64-bit integer conversions every narrower form is built on.
#include <qrt/strtonum.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>

namespace {

// Highest digit value the table can give; bases above 36 read no further digits than base 36.
const unsigned kcDigitValues = 36;

bool rtStrToNumIsSpaceOrTab(char ch) {
    return ch == ' ' || ch == '\t';
}

// Digit value of a character, as the table gives it.
inline unsigned rtStrToNumDigit(char ch) {
    return g_abRTStrDigitValues[(unsigned char)ch];
}

// The parse both core conversions share: signs, base prefix and digits. Returns 0 or
// QWRN_NUMBER_TOO_BIG; *ppszDigits is where the digits began, *ppszStop where they ended.
int rtStrToNumMagnitude(const char *pszValue, unsigned uBase, bool *pfNegative, uint64_t *pu64, const char **ppszDigits,
                        const char **ppszStop) {
    const char *psz = pszValue;

    bool fNegative = false;
    for (;; psz++) {
        if (*psz == '-')
            fNegative = !fNegative;
        else if (*psz == '+')
            fNegative = false;
        else
            break;
    }

    // The "0x" prefix counts only when a hex digit follows, so '0x' alone is the number 0.
    bool const fHexPrefix = psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X') && rtStrToNumDigit(psz[2]) < 16;
    if (uBase == 0) {
        if (fHexPrefix) {
            uBase = 16;
            psz += 2;
        } else if (psz[0] == '0' && rtStrToNumDigit(psz[1]) < 8) {
            uBase = 8;
            psz++;
        } else
            uBase = 10;
    } else if (uBase == 16 && fHexPrefix)
        psz += 2;

    // NUL, blanks and ":" have table values of 252 and up, so the limit must stay below them
    // whatever base the caller passed, or the scan would run past the terminator.
    unsigned const uDigitLimit = RT_MIN(uBase, kcDigitValues);
    const char *const pszDigits = psz;
    int rc = QINF_SUCCESS;
    uint64_t u64 = 0;
    unsigned uDigit;
    while ((uDigit = rtStrToNumDigit(*psz)) < uDigitLimit) {
        // A checked multiply and add instead of a division: exact for every base, and the value
        // kept is the wrapped one (modulo 2^64), which is what the caller gets on overflow.
        bool const fMulOverflow = __builtin_mul_overflow(u64, (uint64_t)uBase, &u64);
        bool const fAddOverflow = __builtin_add_overflow(u64, (uint64_t)uDigit, &u64);
        if (fMulOverflow || fAddOverflow) rc = QWRN_NUMBER_TOO_BIG;
        psz++;
    }

    *pfNegative = fNegative;
    *pu64 = u64;
    *ppszDigits = pszDigits;
    *ppszStop = psz;
    return rc;
}

// Shared ending of both core conversions: no-digit failure, stop position and the
// classification of what follows the number.
int rtStrToNumFinish(int rc, const char *pszDigits, const char *pszStop, char **ppszNext) {
    if (pszStop == pszDigits) rc = QERR_NO_DIGITS;
    if (ppszNext) *ppszNext = (char *)pszStop;

    // After an overflow or a minus sign the trailing text is deliberately left unclassified.
    if (rc == QINF_SUCCESS && *pszStop != '\0') {
        const char *psz = pszStop;
        while (rtStrToNumIsSpaceOrTab(*psz)) psz++;
        rc = *psz == '\0' ? QWRN_TRAILING_SPACES : QWRN_TRAILING_CHARS;
    }
    return rc;
}

// Turns what follows the number into a failure, for the full conversions.
int rtStrToNumFullStatus(int rc, const char *pszNext) {
    if (RT_FAILURE(rc) || *pszNext == '\0') return rc;
    if (rc == QWRN_TRAILING_CHARS) return QERR_TRAILING_CHARS;
    if (rc == QWRN_TRAILING_SPACES) return QERR_TRAILING_SPACES;
    // A warning hid the trailing text; classify it now.
    while (rtStrToNumIsSpaceOrTab(*pszNext)) pszNext++;
    return *pszNext == '\0' ? QERR_TRAILING_SPACES : QERR_TRAILING_CHARS;
}

} // namespace

int RTStrToUInt64Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint64_t *pu64) {
    // The text is required; a missing one is still answered with a status, not a crash.
    if (!RT_VALID_PTR(pszValue)) {
        if (pu64) *pu64 = 0;
        return QERR_INVALID_PARAMETER;
    }

    bool fNegative;
    uint64_t u64;
    const char *pszDigits;
    const char *pszStop;
    int rc = rtStrToNumMagnitude(pszValue, uBase, &fNegative, &u64, &pszDigits, &pszStop);
    if (fNegative) {
        if (rc == QINF_SUCCESS) rc = QWRN_NEGATIVE_UNSIGNED;
        u64 = ~u64 + 1;
    }
    if (pu64) *pu64 = u64;
    return rtStrToNumFinish(rc, pszDigits, pszStop, ppszNext);
}

int RTStrToInt64Ex(const char *pszValue, char **ppszNext, unsigned uBase, int64_t *pi64) {
    if (!RT_VALID_PTR(pszValue)) {
        if (pi64) *pi64 = 0;
        return QERR_INVALID_PARAMETER;
    }

    bool fNegative;
    uint64_t u64;
    const char *pszDigits;
    const char *pszStop;
    int rc = rtStrToNumMagnitude(pszValue, uBase, &fNegative, &u64, &pszDigits, &pszStop);
    uint64_t const u64SignBit = UINT64_C(1) << 63;
    if ((u64 & u64SignBit) && !(fNegative && u64 == u64SignBit)) rc = QWRN_NUMBER_TOO_BIG;
    if (fNegative) u64 = ~u64 + 1;
    if (pi64) *pi64 = (int64_t)u64;
    return rtStrToNumFinish(rc, pszDigits, pszStop, ppszNext);
}

int RTStrToUInt64Full(const char *pszValue, unsigned uBase, uint64_t *pu64) {
    char *pszNext = NULL;
    int rc = RTStrToUInt64Ex(pszValue, &pszNext, uBase, pu64);
    return pszNext ? rtStrToNumFullStatus(rc, pszNext) : rc;
}

int RTStrToInt64Full(const char *pszValue, unsigned uBase, int64_t *pi64) {
    char *pszNext = NULL;
    int rc = RTStrToInt64Ex(pszValue, &pszNext, uBase, pi64);
    return pszNext ? rtStrToNumFullStatus(rc, pszNext) : rc;
}
