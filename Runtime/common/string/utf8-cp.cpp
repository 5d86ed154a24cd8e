// UTF-8 code-point primitives: reading, writing and stepping back over one code point.
#include <qrt/string.h>
#include <qrt/err.h>

#include "utf8-internal.h"

int RTStrGetCpEx(const char **ppsz, RTUNICP *pCp) {
    const uint8_t *pb = (const uint8_t *)*ppsz;
    if (RT_LIKELY(*pb < 0x80)) {
        *pCp = *pb;
        *ppsz = (const char *)pb + 1;
        return QINF_SUCCESS;
    }
    int rc = rtUtf8DecodeMulti(pb, RTSTR_MAX, pCp);
    if (rc > 0) {
        *ppsz = (const char *)pb + rc;
        return QINF_SUCCESS;
    }
    *pCp = RTUNICP_INVALID;
    *ppsz = (const char *)pb + 1;
    return rc;
}

int RTStrGetCpNEx(const char **ppsz, size_t *pcch, RTUNICP *pCp) {
    size_t const cch = *pcch;
    if (cch == 0) {
        *pCp = RTUNICP_INVALID;
        return QERR_END_OF_STRING;
    }
    const uint8_t *pb = (const uint8_t *)*ppsz;
    if (RT_LIKELY(*pb < 0x80)) {
        *pCp = *pb;
        *ppsz = (const char *)pb + 1;
        *pcch = cch - 1;
        return QINF_SUCCESS;
    }
    int rc = rtUtf8DecodeMulti(pb, cch, pCp);
    if (rc > 0) {
        *ppsz = (const char *)pb + rc;
        *pcch = cch - (size_t)rc;
        return QINF_SUCCESS;
    }
    *pCp = RTUNICP_INVALID;
    *ppsz = (const char *)pb + 1;
    *pcch = cch - 1;
    return rc;
}

RTUNICP RTStrGetCp(const char *psz) {
    RTUNICP uc;
    RTStrGetCpEx(&psz, &uc);
    return uc;
}

size_t RTStrCpSize(RTUNICP uc) {
    if (uc < 0x80) return 1;
    if (uc < 0x800) return 2;
    if (uc < 0x10000) return RTUniCpIsSurrogate(uc) || RTUniCpIsEndianIndicator(uc) ? 1 : 3;
    if (uc < 0x200000) return 4;
    if (uc < 0x4000000) return 5;
    if (uc <= RTUNICP_MAX) return 6;
    return 1;
}

char *RTStrPutCp(char *psz, RTUNICP uc) {
    uint8_t *pb = (uint8_t *)psz;
    if (uc < 0x80) {
        pb[0] = (uint8_t)uc;
        return psz + 1;
    }
    if (uc < 0x800) {
        pb[0] = (uint8_t)(0xc0 | (uc >> 6));
        pb[1] = (uint8_t)(0x80 | (uc & 0x3f));
        return psz + 2;
    }
    if (uc < 0x10000) {
        if (RTUniCpIsSurrogate(uc) || RTUniCpIsEndianIndicator(uc)) {
            pb[0] = 0x7f;
            return psz + 1;
        }
        pb[0] = (uint8_t)(0xe0 | (uc >> 12));
        pb[1] = (uint8_t)(0x80 | ((uc >> 6) & 0x3f));
        pb[2] = (uint8_t)(0x80 | (uc & 0x3f));
        return psz + 3;
    }
    int cb;
    uint8_t bLead;
    if (uc < 0x200000) {
        cb = 4;
        bLead = 0xf0;
    } else if (uc < 0x4000000) {
        cb = 5;
        bLead = 0xf8;
    } else if (uc <= RTUNICP_MAX) {
        cb = 6;
        bLead = 0xfc;
    } else {
        pb[0] = 0x7f;
        return psz + 1;
    }
    for (int i = cb - 1; i > 0; i--) {
        pb[i] = (uint8_t)(0x80 | (uc & 0x3f));
        uc >>= 6;
    }
    pb[0] = (uint8_t)(bLead | uc);
    return psz + cb;
}

const char *RTStrPrevCp(const char *pszStart, const char *psz) {
    if (psz <= pszStart) return pszStart;
    const uint8_t *pb = (const uint8_t *)psz - 1;
    if (*pb < 0x80) return (const char *)pb;
    if (*pb >= 0xc0) // a lead byte with nothing after it
        return pszStart;

    // Walk back over continuation bytes; the lead must announce exactly as many.
    unsigned cContinuation = 0;
    const uint8_t *pbStart = (const uint8_t *)pszStart;
    while ((*pb & 0xc0) == 0x80) {
        cContinuation++;
        if (cContinuation > 5 || pb == pbStart) return pszStart;
        pb--;
    }
    static const uint8_t s_abMask[6] = {0, 0xe0, 0xf0, 0xf8, 0xfc, 0xfe};
    static const uint8_t s_abPattern[6] = {0, 0xc0, 0xe0, 0xf0, 0xf8, 0xfc};
    if ((*pb & s_abMask[cContinuation]) == s_abPattern[cContinuation]) return (const char *)pb;
    return pszStart;
}
