// UTF-16 to UTF-8 conversion: a counting pass that validates, then a writing pass that checks
// the same rules again.
#include <qrt/utf16.h>
#include <qrt/string.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include <string.h>

// High nine bits of each of four units: all clear means four ASCII units.
#define RTUTF16_NONASCII4_MASK UINT64_C(0xff80ff80ff80ff80)

static inline uint64_t rtUtf16LoadU64(const RTUTF16 *pwc) {
    uint64_t u;
    memcpy(&u, pwc, sizeof(u));
    return u;
}

// Validates cwc units and counts the UTF-8 bytes they need.
static int rtUtf16CalcUtf8Len(const RTUTF16 *pwsz, size_t cwc, size_t *pcch) {
    const RTUTF16 *pwc = pwsz;
    const RTUTF16 *const pwcEnd = pwsz + cwc;
    size_t cch = 0;
    while (pwc < pwcEnd) {
        if ((size_t)(pwcEnd - pwc) >= 4 && !(rtUtf16LoadU64(pwc) & RTUTF16_NONASCII4_MASK)) {
            pwc += 4;
            cch += 4;
            continue;
        }
        RTUNICP wc = *pwc;
        if (wc < 0x80) {
            cch += 1;
            pwc++;
        } else if (wc < 0x800) {
            cch += 2;
            pwc++;
        } else if (wc < 0xd800 || (wc >= 0xe000 && wc < 0xfffe)) {
            cch += 3;
            pwc++;
        } else if (wc >= 0xfffe) {
            *pcch = RTSTR_MAX;
            return QERR_CODE_POINT_ENDIAN_INDICATOR;
        } else if (wc < 0xdc00 && pwcEnd - pwc >= 2 && (RTUNICP)pwc[1] - 0xdc00 < 0x400) {
            cch += 4;
            pwc += 2;
        } else {
            *pcch = RTSTR_MAX;
            return QERR_INVALID_UTF16_ENCODING;
        }
    }
    *pcch = cch;
    return QINF_SUCCESS;
}

// Writes the UTF-8 form of cwc units into psz (capacity cchCap bytes plus the terminator, which
// is always written).
static int rtUtf16RecodeAsUtf8(const RTUTF16 *pwsz, size_t cwc, char *psz, size_t cchCap) {
    const RTUTF16 *pwc = pwsz;
    const RTUTF16 *const pwcEnd = pwsz + cwc;
    uint8_t *pb = (uint8_t *)psz;
    uint8_t *const pbEnd = pb + cchCap;
    int rc = QINF_SUCCESS;
    while (pwc < pwcEnd) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Four ASCII units per step: gather the low byte of each lane.
        while ((size_t)(pwcEnd - pwc) >= 4 && (size_t)(pbEnd - pb) >= 4) {
            uint64_t u = rtUtf16LoadU64(pwc);
            if (u & RTUTF16_NONASCII4_MASK) break;
            u = (u | (u >> 8)) & UINT64_C(0x0000ffff0000ffff);
            u = (u | (u >> 16)) & UINT64_C(0x00000000ffffffff);
            uint32_t u32 = (uint32_t)u;
            memcpy(pb, &u32, 4);
            pwc += 4;
            pb += 4;
        }
        if (pwc >= pwcEnd) break;
#endif
        RTUNICP wc = *pwc;
        if (wc < 0x80) {
            if (pb >= pbEnd) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            *pb++ = (uint8_t)wc;
            pwc++;
        } else if (wc < 0x800) {
            if (pbEnd - pb < 2) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            pb[0] = (uint8_t)(0xc0 | (wc >> 6));
            pb[1] = (uint8_t)(0x80 | (wc & 0x3f));
            pb += 2;
            pwc++;
        } else if (wc < 0xd800 || (wc >= 0xe000 && wc < 0xfffe)) {
            if (pbEnd - pb < 3) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            pb[0] = (uint8_t)(0xe0 | (wc >> 12));
            pb[1] = (uint8_t)(0x80 | ((wc >> 6) & 0x3f));
            pb[2] = (uint8_t)(0x80 | (wc & 0x3f));
            pb += 3;
            pwc++;
        } else if (wc >= 0xfffe) {
            rc = QERR_CODE_POINT_ENDIAN_INDICATOR;
            break;
        } else if (wc < 0xdc00 && pwcEnd - pwc >= 2 && (RTUNICP)pwc[1] - 0xdc00 < 0x400) {
            if (pbEnd - pb < 4) {
                rc = QERR_BUFFER_OVERFLOW;
                break;
            }
            RTUNICP uc = 0x10000 + (((wc & 0x3ff) << 10) | (pwc[1] & 0x3ff));
            pb[0] = (uint8_t)(0xf0 | (uc >> 18));
            pb[1] = (uint8_t)(0x80 | ((uc >> 12) & 0x3f));
            pb[2] = (uint8_t)(0x80 | ((uc >> 6) & 0x3f));
            pb[3] = (uint8_t)(0x80 | (uc & 0x3f));
            pb += 4;
            pwc += 2;
        } else {
            rc = QERR_INVALID_UTF16_ENCODING;
            break;
        }
    }
    *pb = '\0';
    return rc;
}

int RTUtf16CalcUtf8LenEx(const RTUTF16 *pwsz, size_t cwcSrc, size_t *pcch) {
    return rtUtf16CalcUtf8Len(pwsz, RTUtf16NLen(pwsz, cwcSrc), pcch);
}

size_t RTUtf16CalcUtf8Len(const RTUTF16 *pwsz) {
    size_t cch;
    int rc = rtUtf16CalcUtf8Len(pwsz, RTUtf16Len(pwsz), &cch);
    return RT_SUCCESS(rc) ? cch : 0;
}

int RTUtf16ValidateEncodingEx(const RTUTF16 *pwsz, size_t cwc) {
    size_t cch;
    return rtUtf16CalcUtf8Len(pwsz, RTUtf16NLen(pwsz, cwc), &cch);
}

int RTUtf16ToUtf8ExTag(const RTUTF16 *pwsz, size_t cwcSrc, char **ppsz, size_t cch, size_t *pcch, const char *pszTag) {
    size_t const cwc = RTUtf16NLen(pwsz, cwcSrc);
    size_t cchResult;
    int rc = rtUtf16CalcUtf8Len(pwsz, cwc, &cchResult);
    if (RT_FAILURE(rc)) return rc;
    if (pcch) *pcch = cchResult;

    char *pszDst;
    bool fAllocated;
    if (cch != 0 && *ppsz) {
        if (cchResult >= cch) return QERR_BUFFER_OVERFLOW;
        pszDst = *ppsz;
        fAllocated = false;
    } else {
        *ppsz = NULL;
        cch = RT_MAX(cchResult + 1, cch);
        pszDst = RTStrAllocTag(cch, pszTag);
        if (!pszDst) return QERR_NO_STR_MEMORY;
        fAllocated = true;
    }

    rc = rtUtf16RecodeAsUtf8(pwsz, cwc, pszDst, cch - 1);
    if (RT_SUCCESS(rc))
        *ppsz = pszDst;
    else if (fAllocated)
        RTStrFree(pszDst);
    return rc;
}

int RTUtf16ToUtf8Tag(const RTUTF16 *pwsz, char **ppsz, const char *pszTag) {
    *ppsz = NULL;
    size_t const cwc = RTUtf16Len(pwsz);
    size_t cch;
    int rc = rtUtf16CalcUtf8Len(pwsz, cwc, &cch);
    if (RT_FAILURE(rc)) return rc;
    char *psz = RTStrAllocTag(cch + 1, pszTag);
    if (!psz) return QERR_NO_STR_MEMORY;
    rc = rtUtf16RecodeAsUtf8(pwsz, cwc, psz, cch);
    if (RT_SUCCESS(rc))
        *ppsz = psz;
    else
        RTStrFree(psz);
    return rc;
}
