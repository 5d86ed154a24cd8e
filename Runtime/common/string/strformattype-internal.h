// Shared pieces of the %R handlers for dumps, sizes, escapes, names, times and register bits:
// the per-concept handler entry points, a small run buffer that batches output into few
// callback calls, and digit writers that need no allocation.
#pragma once

#include <string.h>

#include <qrt/format.h>

// Each handler is entered with *ppszFormat at its type character (the one after the 'R'),
// moves it past what it recognises and returns the characters emitted.
#define RTSTRFMTTYPE_HANDLER_ARGS                                                                                      \
    PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,                \
        int cchPrecision, unsigned fFlags, char chArgSize

// "%Rhx..." and "%RhX...": hex dumps, folded dumps and byte lists.
size_t rtstrFormatTypeHexDump(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rhc..." and "%Rhu...": binary and decimal sizes.
size_t rtstrFormatTypeSize(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RM...": XML, JSON and URL escapes.
size_t rtstrFormatTypeEscape(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rbn": the file-name part of a path.
size_t rtstrFormatTypeFileName(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rfn": the function name of a signature.
size_t rtstrFormatTypeFunctionName(RTSTRFMTTYPE_HANDLER_ARGS);
// "%lRbs": big-endian UTF-16 text.
size_t rtstrFormatTypeUtf16Big(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RDtimespec": a nanosecond count.
size_t rtstrFormatTypeTime(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RAx86[...]": control register bits.
size_t rtstrFormatTypeX86Reg(RTSTRFMTTYPE_HANDLER_ARGS);

// Pointers within 4 KiB either side of zero are treated as null by these handlers.
static inline bool rtstrFmtIsNearNull(const void *pv) {
    return (uintptr_t)pv + 0x1000U < 0x2000U;
}

// Moves the format position past up to cch characters, never past the terminator.
static inline void rtstrFmtSkip(const char **ppszFormat, size_t cch) {
    const char *psz = *ppszFormat;
    while (cch-- > 0 && *psz != '\0') psz++;
    *ppszFormat = psz;
}

// Collects small pieces and hands them to the output callback in runs.
struct RTSTRFMTRUN {
    PFNRTSTROUTPUT pfnOutput;
    void *pvArgOutput;
    size_t cchEmitted;
    size_t offBuf;
    char achBuf[128];
};

static inline void rtstrFmtRunInit(RTSTRFMTRUN *pRun, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput) {
    pRun->pfnOutput = pfnOutput;
    pRun->pvArgOutput = pvArgOutput;
    pRun->cchEmitted = 0;
    pRun->offBuf = 0;
    pRun->achBuf[0] = '\0'; // keeps the compiler from taking the buffer as never written
}

static inline void rtstrFmtRunFlush(RTSTRFMTRUN *pRun) {
    if (pRun->offBuf > 0) {
        pRun->cchEmitted += pRun->pfnOutput(pRun->pvArgOutput, pRun->achBuf, pRun->offBuf);
        pRun->offBuf = 0;
    }
}

static inline void rtstrFmtRunPutCh(RTSTRFMTRUN *pRun, char ch) {
    if (pRun->offBuf >= sizeof(pRun->achBuf)) rtstrFmtRunFlush(pRun);
    pRun->achBuf[pRun->offBuf++] = ch;
}

// Small pieces are batched; a piece too large for the buffer goes straight out in one call.
static inline void rtstrFmtRunPut(RTSTRFMTRUN *pRun, const char *pch, size_t cch) {
    if (cch > sizeof(pRun->achBuf) - pRun->offBuf) {
        rtstrFmtRunFlush(pRun);
        if (cch >= sizeof(pRun->achBuf)) {
            pRun->cchEmitted += pRun->pfnOutput(pRun->pvArgOutput, pch, cch);
            return;
        }
    }
    memcpy(&pRun->achBuf[pRun->offBuf], pch, cch);
    pRun->offBuf += cch;
}

// Appends cRepeat copies of a short unit (padding spaces, "%20").
static inline void rtstrFmtRunRepeat(RTSTRFMTRUN *pRun, const char *pchUnit, size_t cchUnit, size_t cRepeat) {
    while (cRepeat-- > 0) {
        if (cchUnit > sizeof(pRun->achBuf) - pRun->offBuf) rtstrFmtRunFlush(pRun);
        memcpy(&pRun->achBuf[pRun->offBuf], pchUnit, cchUnit);
        pRun->offBuf += cchUnit;
    }
}

static inline size_t rtstrFmtRunDone(RTSTRFMTRUN *pRun) {
    rtstrFmtRunFlush(pRun);
    return pRun->cchEmitted;
}

// Writes u in lower-case hexadecimal with at least cchMin digits;
// returns the number of characters written. No terminator.
static inline size_t rtstrFmtHex(char *pch, uint64_t u, unsigned cchMin) {
    static const char s_szDigits[] = "0123456789abcdef";
    unsigned cch = 1;
    while (cch < 16 && (u >> (4 * cch)) != 0) cch++;
    if (cch < cchMin) cch = cchMin;
    for (unsigned i = cch; i-- > 0; u >>= 4) pch[i] = s_szDigits[u & 0xf];
    return cch;
}

// Writes u in decimal, with a space between groups of three digits when fGroup is set;
// returns the number of characters written (at most 26). No terminator.
static inline size_t rtstrFmtDec(char *pch, uint64_t u, bool fGroup) {
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
