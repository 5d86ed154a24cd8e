// UTF-16 code-point primitives, for units in machine order and in big-endian order.
#include <qrt/utf16.h>
#include <qrt/err.h>

static inline RTUTF16 rtUtf16Swap(RTUTF16 wc) {
    return (RTUTF16)((wc << 8) | (wc >> 8));
}

static inline RTUTF16 rtUtf16FromBig(RTUTF16 wc) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return wc;
#else
    return rtUtf16Swap(wc);
#endif
}

// Decodes at *ppwsz with at most cwcLeft units (>= 1). fBig selects big-endian units.
static inline int rtUtf16GetCpWorker(const RTUTF16 **ppwsz, size_t cwcLeft, RTUNICP *pCp, bool fBig, size_t *pcwc) {
    const RTUTF16 *pwc = *ppwsz;
    RTUNICP wc = fBig ? rtUtf16FromBig(pwc[0]) : pwc[0];
    int rc;
    if (wc < 0xd800 || (wc >= 0xe000 && wc < 0xfffe)) {
        *pCp = wc;
        *ppwsz = pwc + 1;
        *pcwc = 1;
        return QINF_SUCCESS;
    }
    if (wc >= 0xfffe)
        rc = QERR_CODE_POINT_ENDIAN_INDICATOR;
    else if (wc < 0xdc00 && cwcLeft >= 2) {
        RTUNICP wc2 = fBig ? rtUtf16FromBig(pwc[1]) : pwc[1];
        if (wc2 - 0xdc00 < 0x400) {
            *pCp = 0x10000 + (((wc & 0x3ff) << 10) | (wc2 & 0x3ff));
            *ppwsz = pwc + 2;
            *pcwc = 2;
            return QINF_SUCCESS;
        }
        rc = QERR_INVALID_UTF16_ENCODING;
    } else
        rc = QERR_INVALID_UTF16_ENCODING;
    *pCp = RTUNICP_INVALID;
    *ppwsz = pwc + 1;
    *pcwc = 1;
    return rc;
}

int RTUtf16GetCpEx(const RTUTF16 **ppwsz, RTUNICP *pCp) {
    size_t cwc;
    return rtUtf16GetCpWorker(ppwsz, RTSTR_MAX, pCp, false, &cwc);
}

int RTUtf16BigGetCpEx(const RTUTF16 **ppwsz, RTUNICP *pCp) {
    size_t cwc;
    return rtUtf16GetCpWorker(ppwsz, RTSTR_MAX, pCp, true, &cwc);
}

int RTUtf16GetCpNEx(const RTUTF16 **ppwsz, size_t *pcwc, RTUNICP *pCp) {
    if (*pcwc == 0) {
        *pCp = RTUNICP_INVALID;
        return QERR_END_OF_STRING;
    }
    size_t cwcUsed;
    int rc = rtUtf16GetCpWorker(ppwsz, *pcwc, pCp, false, &cwcUsed);
    *pcwc -= cwcUsed;
    return rc;
}

int RTUtf16BigGetCpNEx(const RTUTF16 **ppwsz, size_t *pcwc, RTUNICP *pCp) {
    if (*pcwc == 0) {
        *pCp = RTUNICP_INVALID;
        return QERR_END_OF_STRING;
    }
    size_t cwcUsed;
    int rc = rtUtf16GetCpWorker(ppwsz, *pcwc, pCp, true, &cwcUsed);
    *pcwc -= cwcUsed;
    return rc;
}

RTUTF16 *RTUtf16PutCp(RTUTF16 *pwsz, RTUNICP uc) {
    if (uc < 0x10000) {
        *pwsz = RTUniCpIsSurrogate(uc) || RTUniCpIsEndianIndicator(uc) ? 0x7f : (RTUTF16)uc;
        return pwsz + 1;
    }
    if (uc > RTUNICP_MAX_UNICODE) {
        *pwsz = 0x7f;
        return pwsz + 1;
    }
    uc -= 0x10000;
    pwsz[0] = (RTUTF16)(0xd800 | (uc >> 10));
    pwsz[1] = (RTUTF16)(0xdc00 | (uc & 0x3ff));
    return pwsz + 2;
}
