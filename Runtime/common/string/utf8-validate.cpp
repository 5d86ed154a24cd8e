// UTF-8 validation, code-point counting and conversion to code-point arrays.
#include <qrt/string.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include "utf8-internal.h"

// Validates cb bytes and counts their code points.
static int rtUtf8CountCps(const char *psz, size_t cb, size_t *pcCps) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    size_t cCps = 0;
    while (pb < pbEnd) {
        // Whole words of ASCII first: the common case in this system's text.
        while ((size_t)(pbEnd - pb) >= 8 && !(rtStrLoadU64(pb) & RTSTR_HI8_MASK)) {
            pb += 8;
            cCps += 8;
        }
        while (pb < pbEnd && *pb < 0x80) {
            pb++;
            cCps++;
        }
        if (pb >= pbEnd) break;
        RTUNICP uc;
        int rc = rtUtf8DecodeMulti(pb, (size_t)(pbEnd - pb), &uc);
        if (rc < 0) {
            *pcCps = 0;
            return rc;
        }
        pb += rc;
        cCps++;
    }
    *pcCps = cCps;
    return QINF_SUCCESS;
}

int RTStrValidateEncodingEx(const char *psz, size_t cch, size_t *pcuc) {
    size_t cCps;
    int rc = rtUtf8CountCps(psz, RTStrNLen(psz, cch), &cCps);
    if (pcuc) *pcuc = cCps;
    return rc;
}

int RTStrValidateEncoding(const char *psz) {
    return RTStrValidateEncodingEx(psz, RTSTR_MAX, NULL);
}

bool RTStrIsValidEncoding(const char *psz) {
    return RT_SUCCESS(RTStrValidateEncoding(psz));
}

size_t RTStrUniLen(const char *psz) {
    size_t cCps;
    int rc = rtUtf8CountCps(psz, strlen(psz), &cCps);
    return RT_SUCCESS(rc) ? cCps : 0;
}

// Decodes cb validated bytes into paCps (capacity cCap plus the terminator).
static int rtUtf8DecodeToUni(const char *psz, size_t cb, RTUNICP *paCps, size_t cCap) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    RTUNICP *puc = paCps;
    RTUNICP *const pucEnd = paCps + cCap;
    int rc = QINF_SUCCESS;
    while (pb < pbEnd) {
        if (puc >= pucEnd) {
            rc = QERR_BUFFER_OVERFLOW;
            break;
        }
        if (*pb < 0x80) {
            *puc++ = *pb++;
            continue;
        }
        int cbSeq = rtUtf8DecodeMulti(pb, (size_t)(pbEnd - pb), puc);
        if (cbSeq < 0) {
            rc = cbSeq;
            break;
        }
        pb += cbSeq;
        puc++;
    }
    *puc = 0;
    return rc;
}

int RTStrToUni(const char *pszSrc, size_t cchSrc, RTUNICP **ppaCps, size_t cCps, size_t *pcCps) {
    size_t const cb = RTStrNLen(pszSrc, cchSrc);
    size_t cCpsNeeded;
    int rc = rtUtf8CountCps(pszSrc, cb, &cCpsNeeded);
    if (RT_FAILURE(rc)) return rc;
    if (pcCps) *pcCps = cCpsNeeded;

    RTUNICP *paCps;
    bool fAllocated;
    if (cCps != 0 && *ppaCps) {
        if (cCpsNeeded >= cCps) return QERR_BUFFER_OVERFLOW;
        paCps = *ppaCps;
        fAllocated = false;
    } else {
        *ppaCps = NULL;
        cCps = RT_MAX(cCpsNeeded + 1, cCps);
        if (cCps > RTSTR_MAX / sizeof(RTUNICP)) return QERR_NO_CODE_POINT_MEMORY;
        paCps = (RTUNICP *)RTMemAllocTag(cCps * sizeof(RTUNICP), "Runtime/common/string/utf-8");
        if (!paCps) return QERR_NO_CODE_POINT_MEMORY;
        fAllocated = true;
    }

    rc = rtUtf8DecodeToUni(pszSrc, cb, paCps, cCps - 1);
    if (RT_SUCCESS(rc))
        *ppaCps = paCps;
    else if (fAllocated)
        RTMemFree(paCps);
    return rc;
}
