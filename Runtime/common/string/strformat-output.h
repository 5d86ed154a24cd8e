// The one output path for formatted text inside the runtime: a small buffer that batches
// pieces into few calls of an output callback, and digit writers that need no allocation.
// The formatting engine, its %R handlers and the standard streams all write through these.
#pragma once

#include <stdint.h>
#include <string.h>

#include <qrt/format.h>
#include <qrt/string.h>

// Pointers within 4 KiB either side of zero stand for null wherever the engine prints one.
static inline bool rtstrFormatIsNearNull(const void *pv) {
    return (uintptr_t)pv + 0x1000U < 0x2000U;
}

// Moves the format position past up to cch characters, never past the terminator.
static inline void rtstrFormatSkip(const char **ppszFormat, size_t cch) {
    const char *psz = *ppszFormat;
    while (cch-- > 0 && *psz != '\0') psz++;
    *ppszFormat = psz;
}

// Collects small pieces and hands them to the output callback in runs. cchEmitted adds up
// what the callback returned for every run handed to it.
struct RTSTRFORMATBUF {
    PFNRTSTROUTPUT pfnOutput;
    void *pvArgOutput;
    size_t cchEmitted;
    size_t offBuf;
    char achBuf[128];
};

static inline void rtstrFormatBufInit(RTSTRFORMATBUF *pBuf, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput) {
    pBuf->pfnOutput = pfnOutput;
    pBuf->pvArgOutput = pvArgOutput;
    pBuf->cchEmitted = 0;
    pBuf->offBuf = 0;
    pBuf->achBuf[0] = '\0'; // keeps the compiler from taking the buffer as never written
}

static inline void rtstrFormatBufFlush(RTSTRFORMATBUF *pBuf) {
    if (pBuf->offBuf > 0) {
        pBuf->cchEmitted += pBuf->pfnOutput(pBuf->pvArgOutput, pBuf->achBuf, pBuf->offBuf);
        pBuf->offBuf = 0;
    }
}

static inline void rtstrFormatBufPutCh(RTSTRFORMATBUF *pBuf, char ch) {
    if (pBuf->offBuf >= sizeof(pBuf->achBuf)) rtstrFormatBufFlush(pBuf);
    pBuf->achBuf[pBuf->offBuf++] = ch;
}

// Small pieces are batched; a piece too large for the buffer goes straight out in one call.
static inline void rtstrFormatBufPut(RTSTRFORMATBUF *pBuf, const char *pch, size_t cch) {
    if (cch > sizeof(pBuf->achBuf) - pBuf->offBuf) {
        rtstrFormatBufFlush(pBuf);
        if (cch >= sizeof(pBuf->achBuf)) {
            pBuf->cchEmitted += pBuf->pfnOutput(pBuf->pvArgOutput, pch, cch);
            return;
        }
    }
    memcpy(&pBuf->achBuf[pBuf->offBuf], pch, cch);
    pBuf->offBuf += cch;
}

// Appends cRepeat copies of a short unit (padding spaces, "%20").
static inline void rtstrFormatBufRepeat(RTSTRFORMATBUF *pBuf, const char *pchUnit, size_t cchUnit, size_t cRepeat) {
    while (cRepeat-- > 0) {
        if (cchUnit > sizeof(pBuf->achBuf) - pBuf->offBuf) rtstrFormatBufFlush(pBuf);
        memcpy(&pBuf->achBuf[pBuf->offBuf], pchUnit, cchUnit);
        pBuf->offBuf += cchUnit;
    }
}

// Appends one code point in UTF-8; the buffer always keeps room for the longest encoding.
static inline void rtstrFormatBufPutCp(RTSTRFORMATBUF *pBuf, RTUNICP uc) {
    if (pBuf->offBuf > sizeof(pBuf->achBuf) - 6) rtstrFormatBufFlush(pBuf);
    pBuf->offBuf = (size_t)(RTStrPutCp(&pBuf->achBuf[pBuf->offBuf], uc) - pBuf->achBuf);
}

// Flushes what is left and returns the characters emitted through this buffer.
static inline size_t rtstrFormatBufDone(RTSTRFORMATBUF *pBuf) {
    rtstrFormatBufFlush(pBuf);
    return pBuf->cchEmitted;
}

// Writes u in lower-case hexadecimal with at least cchMin digits (at most 16 in all);
// returns the number of characters written. No terminator.
static inline size_t rtstrFormatHex(char *pch, uint64_t u, unsigned cchMin) {
    static const char s_szDigits[] = "0123456789abcdef";
    unsigned cch = 1;
    while (cch < 16 && (u >> (4 * cch)) != 0) cch++;
    if (cch < cchMin) cch = cchMin;
    for (unsigned i = cch; i-- > 0; u >>= 4) pch[i] = s_szDigits[u & 0xf];
    return cch;
}

// Writes u in decimal, with a space between groups of three digits when fGroup is set;
// returns the number of characters written (at most 26). No terminator.
static inline size_t rtstrFormatDec(char *pch, uint64_t u, bool fGroup) {
    char achTmp[32];
    size_t off = sizeof(achTmp);
    unsigned cDigits = 0;
    do {
        if (fGroup && cDigits > 0 && cDigits % 3 == 0) achTmp[--off] = ' ';
        achTmp[--off] = (char)('0' + u % 10);
        u /= 10;
        cDigits++;
    } while (u != 0);
    memcpy(pch, &achTmp[off], sizeof(achTmp) - off);
    return sizeof(achTmp) - off;
}
