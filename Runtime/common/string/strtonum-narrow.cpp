// Integer conversions of 8, 16 and 32 bits, built on the 64-bit ones, and the lenient form.
#include <qrt/strtonum.h>
#include <qrt/err.h>

namespace {

// A non-negative status becomes QWRN_NUMBER_TOO_BIG when the value does not fit, replacing a
// minus-sign or trailing warning: the width is what the caller asked about.
inline int rtStrToNumNarrowStatus(int rc, bool fFits) {
    return RT_SUCCESS(rc) && !fFits ? QWRN_NUMBER_TOO_BIG : rc;
}

// Unsigned fit: no bit above the width is set.
inline bool rtStrToNumFitsUnsigned(uint64_t u64, unsigned cBits) {
    return (u64 >> cBits) == 0;
}

// Signed fit: the value is the sign extension of its low bits.
inline bool rtStrToNumFitsSigned(int64_t i64, unsigned cBits) {
    uint64_t const uLow = (uint64_t)i64 & ((UINT64_C(1) << cBits) - 1);
    uint64_t const uSign = UINT64_C(1) << (cBits - 1);
    return (int64_t)((uLow ^ uSign) - uSign) == i64;
}

// Stores the value cut to the caller's width and judges whether it fitted.
template <typename TNarrow>
inline int rtStrToNumNarrowUnsigned(int rc, uint64_t u64, TNarrow *pOut) {
    if (pOut) *pOut = (TNarrow)u64;
    return rtStrToNumNarrowStatus(rc, rtStrToNumFitsUnsigned(u64, sizeof(TNarrow) * 8));
}

template <typename TNarrow>
inline int rtStrToNumNarrowSigned(int rc, int64_t i64, TNarrow *pOut) {
    if (pOut) *pOut = (TNarrow)i64;
    return rtStrToNumNarrowStatus(rc, rtStrToNumFitsSigned(i64, sizeof(TNarrow) * 8));
}

} // namespace

int RTStrToUInt32Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint32_t *pu32) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Ex(pszValue, ppszNext, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu32);
}

int RTStrToUInt16Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint16_t *pu16) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Ex(pszValue, ppszNext, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu16);
}

int RTStrToUInt8Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint8_t *pu8) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Ex(pszValue, ppszNext, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu8);
}

int RTStrToInt32Ex(const char *pszValue, char **ppszNext, unsigned uBase, int32_t *pi32) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Ex(pszValue, ppszNext, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi32);
}

int RTStrToInt16Ex(const char *pszValue, char **ppszNext, unsigned uBase, int16_t *pi16) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Ex(pszValue, ppszNext, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi16);
}

int RTStrToInt8Ex(const char *pszValue, char **ppszNext, unsigned uBase, int8_t *pi8) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Ex(pszValue, ppszNext, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi8);
}

int RTStrToUInt32Full(const char *pszValue, unsigned uBase, uint32_t *pu32) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Full(pszValue, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu32);
}

int RTStrToUInt16Full(const char *pszValue, unsigned uBase, uint16_t *pu16) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Full(pszValue, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu16);
}

int RTStrToUInt8Full(const char *pszValue, unsigned uBase, uint8_t *pu8) {
    uint64_t u64 = 0;
    int rc = RTStrToUInt64Full(pszValue, uBase, &u64);
    return rtStrToNumNarrowUnsigned(rc, u64, pu8);
}

int RTStrToInt32Full(const char *pszValue, unsigned uBase, int32_t *pi32) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Full(pszValue, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi32);
}

int RTStrToInt16Full(const char *pszValue, unsigned uBase, int16_t *pi16) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Full(pszValue, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi16);
}

int RTStrToInt8Full(const char *pszValue, unsigned uBase, int8_t *pi8) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Full(pszValue, uBase, &i64);
    return rtStrToNumNarrowSigned(rc, i64, pi8);
}

int32_t RTStrToInt32(const char *pszValue) {
    int64_t i64 = 0;
    int rc = RTStrToInt64Ex(pszValue, NULL, 0, &i64);
    return RT_FAILURE(rc) ? 0 : (int32_t)i64;
}
