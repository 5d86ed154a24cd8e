// UTF-8 to UTF-16 conversion: a counting pass that validates, then a writing pass into a buffer
// of the exact size.
#include <qrt/string.h>
#include <qrt/utf16.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include "utf8-internal.h"

// Index of the first byte with its high bit set in a little-endian word known to have one.
static inline unsigned rtUtf8FirstHighByte(uint64_t uHigh) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return (unsigned)__builtin_ctzll(uHigh) >> 3;
#else
    const uint8_t *pb = (const uint8_t *)&uHigh;
    unsigned i = 0;
    while (!pb[i]) i++;
    return i;
#endif
}

// Widens eight ASCII bytes (the word u, as loaded from memory) into eight units at pwc.
static inline void rtUtf8Widen8(RTUTF16 *pwc, uint64_t u) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // Spread each half into four 16-bit lanes: byte i lands in lane i.
    uint64_t uLo = (uint32_t)u;
    uLo = (uLo | (uLo << 16)) & UINT64_C(0x0000ffff0000ffff);
    uLo = (uLo | (uLo << 8)) & UINT64_C(0x00ff00ff00ff00ff);
    uint64_t uHi = u >> 32;
    uHi = (uHi | (uHi << 16)) & UINT64_C(0x0000ffff0000ffff);
    uHi = (uHi | (uHi << 8)) & UINT64_C(0x00ff00ff00ff00ff);
    memcpy(pwc, &uLo, 8);
    memcpy(pwc + 4, &uHi, 8);
#else
    uint8_t ab[8];
    memcpy(ab, &u, 8);
    for (unsigned i = 0; i < 8; i++) pwc[i] = ab[i];
#endif
}

// Per lead byte: the sequence length for UTF-16 output (0: not a lead of a 1- to 4-byte form
// that can fit UTF-16) and the mask of its value bits.
struct RTUTF8LEAD {
    uint8_t cb;
    uint8_t fValueMask;
};

#define RTUTF8LEAD_ROW16(cb, fMask)                                                                                    \
    {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask},            \
        {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {cb, fMask}, {                   \
        cb, fMask                                                                                                      \
    }

static const RTUTF8LEAD g_aRTUtf8Lead[256] = {
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(1, 0x7f),
    RTUTF8LEAD_ROW16(0, 0),
    RTUTF8LEAD_ROW16(0, 0),
    RTUTF8LEAD_ROW16(0, 0),
    RTUTF8LEAD_ROW16(0, 0),
    // C0 and C1 only start overlong forms; F5 and above cannot stay within U+10FFFF.
    {0, 0},
    {0, 0},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    {2, 0x1f},
    RTUTF8LEAD_ROW16(2, 0x1f),
    RTUTF8LEAD_ROW16(3, 0x0f),
    {4, 0x07},
    {4, 0x07},
    {4, 0x07},
    {4, 0x07},
    {4, 0x07},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
    {0, 0},
};

// Per sequence length: the continuation-byte test on the little-endian 32-bit load, the
// smallest value that is not overlong, and the shift that drops the bytes beyond the sequence.
// Length 0 can never pass the test (mask 0 against expected 1).
static const uint32_t g_afRTUtf8ContMask[5] = {0, 0, 0xc000, 0xc0c000, 0xc0c0c000};
static const uint32_t g_afRTUtf8ContExpect[5] = {1, 0, 0x8000, 0x808000, 0x80808000};
static const uint32_t g_auRTUtf8Min[5] = {0, 0, 0x80, 0x800, 0x10000};
static const uint8_t g_acRTUtf8Shift[5] = {0, 18, 12, 6, 0};

// Decodes the code point at pb, with at least four bytes readable, for UTF-16 output, testing
// every rule without branching on the sequence length: lead byte, continuation bytes, overlong
// forms, surrogates, 0xFFFE/0xFFFF and the U+10FFFF limit. Returns the length (1 to 4) and the
// value, or 0 when any rule fails (the caller then asks rtUtf8DecodeMulti for the exact status).
static inline unsigned rtUtf8DecodeBranchless(const uint8_t *pb, RTUNICP *puc) {
    uint32_t u;
    memcpy(&u, pb, sizeof(u));
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    u = __builtin_bswap32(u);
#endif
    RTUTF8LEAD const Lead = g_aRTUtf8Lead[u & 0xff];
    unsigned const cb = Lead.cb;
    RTUNICP uc = ((u & Lead.fValueMask) << 18) | ((u & 0x3f00) << 4) | ((u >> 10) & 0xfc0) | ((u >> 24) & 0x3f);
    uc >>= g_acRTUtf8Shift[cb];
    bool const fOk = ((u & g_afRTUtf8ContMask[cb]) == g_afRTUtf8ContExpect[cb]) & (uc >= g_auRTUtf8Min[cb]) &
                     (uc <= RTUNICP_MAX_UNICODE) & !RTUniCpIsSurrogate(uc) & ((uc - 0xfffeU) > 1U);
    *puc = uc;
    return fOk ? cb : 0;
}

// The exact status of the sequence at pb that the fast decoder turned down, or its length
// when it is valid after all (only ever for the last few bytes of the input).
static inline int rtUtf8DecodeSlowForUtf16(const uint8_t *pb, size_t cbLeft, RTUNICP *puc) {
    if (*pb < 0x80) {
        *puc = *pb;
        return 1;
    }
    int rc = rtUtf8DecodeMulti(pb, cbLeft, puc);
    if (rc > 0 && *puc > RTUNICP_MAX_UNICODE) return QERR_CANT_RECODE_AS_UTF16;
    return rc;
}

int rtUtf8CalcUtf16LenScalar(const char *psz, size_t cb, size_t *pcwc) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    size_t cwc = 0;
    // Main loop while a whole word is readable: ASCII words are skipped at once, otherwise the
    // word's ASCII prefix is counted and one code point decoded without length branches.
    while ((size_t)(pbEnd - pb) >= 8) {
        uint64_t const uHigh = rtStrLoadU64(pb) & RTSTR_HI8_MASK;
        if (!uHigh) {
            pb += 8;
            cwc += 8;
            continue;
        }
        unsigned const cAscii = rtUtf8FirstHighByte(uHigh);
        pb += cAscii;
        cwc += cAscii;
        if ((size_t)(pbEnd - pb) < 4) break;
        RTUNICP uc;
        unsigned const cbSeq = rtUtf8DecodeBranchless(pb, &uc);
        if (RT_UNLIKELY(!cbSeq)) break; // the tail loop reports the exact status
        pb += cbSeq;
        cwc += 1 + (cbSeq >> 2);
    }
    while (pb < pbEnd) {
        RTUNICP uc;
        int const cbSeq = rtUtf8DecodeSlowForUtf16(pb, (size_t)(pbEnd - pb), &uc);
        if (cbSeq < 0) {
            *pcwc = RTSTR_MAX;
            return cbSeq;
        }
        pb += cbSeq;
        cwc += uc >= 0x10000 ? 2 : 1;
    }
    *pcwc = cwc;
    return QINF_SUCCESS;
}

int rtUtf8RecodeAsUtf16Scalar(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    RTUTF16 *pwc = pwsz;
    RTUTF16 *const pwcEnd = pwsz + cwcCap;
    // Main loop while a whole word is readable and eight units fit: the word is widened in one
    // go and only its ASCII prefix kept (the units after it are rewritten by what follows, all
    // within the capacity); then one code point is decoded without length branches.
    while ((size_t)(pbEnd - pb) >= 8 && (size_t)(pwcEnd - pwc) >= 8) {
        uint64_t const u = rtStrLoadU64(pb);
        rtUtf8Widen8(pwc, u);
        uint64_t const uHigh = u & RTSTR_HI8_MASK;
        if (!uHigh) {
            pb += 8;
            pwc += 8;
            continue;
        }
        unsigned const cAscii = rtUtf8FirstHighByte(uHigh);
        pb += cAscii;
        pwc += cAscii;
        if ((size_t)(pbEnd - pb) < 4 || (size_t)(pwcEnd - pwc) < 2) break;
        RTUNICP uc;
        unsigned const cbSeq = rtUtf8DecodeBranchless(pb, &uc);
        if (RT_UNLIKELY(!cbSeq)) break;
        // Both units are stored; the second only counts for a supplementary code point.
        unsigned const fPair = cbSeq >> 2;
        RTUNICP const ucSup = uc - 0x10000;
        pwc[0] = (RTUTF16)(fPair ? 0xd800 | (ucSup >> 10) : uc);
        pwc[1] = (RTUTF16)(0xdc00 | (ucSup & 0x3ff));
        pwc += 1 + fPair;
        pb += cbSeq;
    }
    // The tail, and any sequence the fast path turned down, one code point at a time with
    // exact capacity checks.
    int rc = QINF_SUCCESS;
    while (pb < pbEnd) {
        RTUNICP uc;
        int const cbSeq = rtUtf8DecodeSlowForUtf16(pb, (size_t)(pbEnd - pb), &uc);
        if (cbSeq < 0) {
            rc = cbSeq;
            break;
        }
        if (uc < 0x10000) {
            if (pwc >= pwcEnd) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            *pwc++ = (RTUTF16)uc;
        } else {
            if (pwcEnd - pwc < 2) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            uc -= 0x10000;
            pwc[0] = (RTUTF16)(0xd800 | (uc >> 10));
            pwc[1] = (RTUTF16)(0xdc00 | (uc & 0x3ff));
            pwc += 2;
        }
        pb += cbSeq;
    }
    *pwc = 0;
    return rc;
}

int rtUtf8CalcUtf16Len(const char *psz, size_t cb, size_t *pcwc) {
#ifdef RTUTF8_HAVE_SSSE3
    if (cb >= 16 && rtUtf8CanUseSsse3()) return rtUtf8CalcUtf16LenSsse3(psz, cb, pcwc);
#endif
    return rtUtf8CalcUtf16LenScalar(psz, cb, pcwc);
}

int rtUtf8RecodeAsUtf16(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap) {
#ifdef RTUTF8_HAVE_SSSE3
    if (cb >= 19 && rtUtf8CanUseSsse3()) return rtUtf8RecodeAsUtf16Ssse3(psz, cb, pwsz, cwcCap);
#endif
    return rtUtf8RecodeAsUtf16Scalar(psz, cb, pwsz, cwcCap);
}

int RTStrCalcUtf16LenEx(const char *psz, size_t cchSrc, size_t *pcwc) {
    return rtUtf8CalcUtf16Len(psz, RTStrNLen(psz, cchSrc), pcwc);
}

size_t RTStrCalcUtf16Len(const char *psz) {
    size_t cwc;
    int rc = rtUtf8CalcUtf16Len(psz, strlen(psz), &cwc);
    return RT_SUCCESS(rc) ? cwc : 0;
}

int RTStrToUtf16ExTag(const char *pszSrc, size_t cchSrc, RTUTF16 **ppwsz, size_t cwc, size_t *pcwc,
                      const char *pszTag) {
    size_t const cb = RTStrNLen(pszSrc, cchSrc);
    size_t cwcResult;
    int rc = rtUtf8CalcUtf16Len(pszSrc, cb, &cwcResult);
    if (RT_FAILURE(rc)) return rc;
    if (pcwc) *pcwc = cwcResult;

    RTUTF16 *pwszDst;
    bool fAllocated;
    if (cwc != 0 && *ppwsz) {
        if (cwcResult >= cwc) return QERR_BUFFER_OVERFLOW;
        pwszDst = *ppwsz;
        fAllocated = false;
    } else {
        *ppwsz = NULL;
        cwc = RT_MAX(cwcResult + 1, cwc);
        if (cwc > RTSTR_MAX / sizeof(RTUTF16)) return QERR_NO_UTF16_MEMORY;
        pwszDst = (RTUTF16 *)RTMemAllocTag(cwc * sizeof(RTUTF16), pszTag);
        if (!pwszDst) return QERR_NO_UTF16_MEMORY;
        fAllocated = true;
    }

    rc = rtUtf8RecodeAsUtf16(pszSrc, cb, pwszDst, cwc - 1);
    if (RT_SUCCESS(rc))
        *ppwsz = pwszDst;
    else if (fAllocated)
        RTMemFree(pwszDst);
    return rc;
}

int RTStrToUtf16Tag(const char *psz, RTUTF16 **ppwsz, const char *pszTag) {
    *ppwsz = NULL;
    size_t const cb = strlen(psz);
    size_t cwc;
    int rc = rtUtf8CalcUtf16Len(psz, cb, &cwc);
    if (RT_FAILURE(rc)) return rc;
    RTUTF16 *pwsz = (RTUTF16 *)RTMemAllocTag((cwc + 1) * sizeof(RTUTF16), pszTag);
    if (!pwsz) return QERR_NO_UTF16_MEMORY;
    rc = rtUtf8RecodeAsUtf16(psz, cb, pwsz, cwc);
    if (RT_SUCCESS(rc))
        *ppwsz = pwsz;
    else
        RTMemFree(pwsz);
    return rc;
}
