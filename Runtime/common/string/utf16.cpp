// UTF-16 string lengths, comparison, allocation and duplicates.
#include <qrt/utf16.h>
#include <qrt/mem.h>
#include <qrt/err.h>

#include <string.h>

size_t RTUtf16Len(const RTUTF16 *pwsz) {
    if (!pwsz) return 0;
    const RTUTF16 *pwc = pwsz;
    while (*pwc) pwc++;
    return (size_t)(pwc - pwsz);
}

const RTUTF16 *RTUtf16End(const RTUTF16 *pwsz, size_t cwcMax) {
    // Counting down keeps a limit with all bits set from overflowing the pointer.
    while (cwcMax-- > 0) {
        if (!*pwsz) return pwsz;
        pwsz++;
    }
    return NULL;
}

size_t RTUtf16NLen(const RTUTF16 *pwsz, size_t cwcMax) {
    const RTUTF16 *pwszEnd = RTUtf16End(pwsz, cwcMax);
    return pwszEnd ? (size_t)(pwszEnd - pwsz) : cwcMax;
}

int RTUtf16Cmp(const RTUTF16 *pwsz1, const RTUTF16 *pwsz2) {
    if (pwsz1 == pwsz2) return 0;
    if (!pwsz1) return -1;
    if (!pwsz2) return 1;
    for (;;) {
        RTUTF16 const wc1 = *pwsz1++;
        RTUTF16 const wc2 = *pwsz2++;
        if (wc1 != wc2) return wc1 < wc2 ? -1 : 1;
        if (!wc1) return 0;
    }
}

void RTUtf16Free(RTUTF16 *pwsz) {
    RTMemFree(pwsz);
}

RTUTF16 *RTUtf16DupTag(const RTUTF16 *pwsz, const char *pszTag) {
    size_t const cb = (RTUtf16Len(pwsz) + 1) * sizeof(RTUTF16);
    RTUTF16 *pwszDup = (RTUTF16 *)RTMemAllocTag(cb, pszTag);
    if (pwszDup) memcpy(pwszDup, pwsz, cb);
    return pwszDup;
}

RTUTF16 *RTUtf16AllocTag(size_t cb, const char *pszTag) {
    if (cb < 3)
        cb = sizeof(RTUTF16);
    else if (cb & 1) {
        if (cb == RTSTR_MAX) return NULL;
        cb++;
    }
    RTUTF16 *pwsz = (RTUTF16 *)RTMemAllocTag(cb, pszTag);
    if (pwsz) *pwsz = 0;
    return pwsz;
}

int RTUtf16ReallocTag(RTUTF16 **ppwsz, size_t cbNew, const char *pszTag) {
    if (cbNew & 1) {
        if (cbNew == RTSTR_MAX) return *ppwsz ? QERR_NO_STR_MEMORY : QERR_NO_UTF16_MEMORY;
        cbNew++;
    }
    RTUTF16 *pwszOld = *ppwsz;
    if (cbNew == 0) {
        RTMemFree(pwszOld);
        *ppwsz = NULL;
        return QINF_SUCCESS;
    }
    RTUTF16 *pwszNew;
    if (pwszOld) {
        pwszNew = (RTUTF16 *)RTMemReallocTag(pwszOld, cbNew, pszTag);
        if (!pwszNew) return QERR_NO_STR_MEMORY;
    } else {
        pwszNew = (RTUTF16 *)RTMemAllocTag(cbNew, pszTag);
        if (!pwszNew) return QERR_NO_UTF16_MEMORY;
        pwszNew[0] = 0;
    }
    pwszNew[cbNew / sizeof(RTUTF16) - 1] = 0;
    *ppwsz = pwszNew;
    return QINF_SUCCESS;
}
