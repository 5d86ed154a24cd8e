// The fixed-buffer front ends: RTStrPrintf truncates silently, RTStrPrintf2 reports the size
// the text needs.
#include <string.h>

#include <qrt/format.h>

// Copies a piece; the short ones typical of messages without a library call.
static inline void rtStrPrintfCopy(char *pchDst, const char *pchSrc, size_t cch) {
    if (cch <= 16) {
        if (cch >= 8) {
            uint64_t u1, u2;
            memcpy(&u1, pchSrc, 8);
            memcpy(&u2, pchSrc + cch - 8, 8);
            memcpy(pchDst, &u1, 8);
            memcpy(pchDst + cch - 8, &u2, 8);
        } else if (cch >= 4) {
            uint32_t u1, u2;
            memcpy(&u1, pchSrc, 4);
            memcpy(&u2, pchSrc + cch - 4, 4);
            memcpy(pchDst, &u1, 4);
            memcpy(pchDst + cch - 4, &u2, 4);
        } else if (cch) {
            pchDst[0] = pchSrc[0];
            pchDst[cch / 2] = pchSrc[cch / 2];
            pchDst[cch - 1] = pchSrc[cch - 1];
        }
    } else
        memcpy(pchDst, pchSrc, cch);
}

// RTStrPrintf's buffer state: the write position and the characters that still fit before the
// terminator's byte.
struct RTSTRPRINTFBUF {
    char *pchCur;
    size_t cchLeft;
};

static size_t rtStrPrintfOutput(void *pvArg, const char *pachChars, size_t cchChars) {
    RTSTRPRINTFBUF *pBuf = (RTSTRPRINTFBUF *)pvArg;
    size_t const cchCopy = cchChars < pBuf->cchLeft ? cchChars : pBuf->cchLeft;
    if (cchCopy) {
        rtStrPrintfCopy(pBuf->pchCur, pachChars, cchCopy);
        pBuf->pchCur += cchCopy;
        pBuf->cchLeft -= cchCopy;
    }
    *pBuf->pchCur = '\0';
    return cchCopy;
}

size_t RTStrPrintfV(char *pszBuffer, size_t cchBuffer, const char *pszFormat, va_list args) {
    if (cchBuffer == 0) return 0;
    RTSTRPRINTFBUF Buf;
    Buf.pchCur = pszBuffer;
    Buf.cchLeft = cchBuffer - 1;
    return RTStrFormatV(rtStrPrintfOutput, &Buf, NULL, NULL, pszFormat, args);
}

size_t RTStrPrintf(char *pszBuffer, size_t cchBuffer, const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    size_t const cch = RTStrPrintfV(pszBuffer, cchBuffer, pszFormat, args);
    va_end(args);
    return cch;
}

// RTStrPrintf2's buffer state: the write position, the bytes left (terminator included) and
// whether anything was cut.
struct RTSTRPRINTF2BUF {
    char *pchCur;
    size_t cbLeft;
    bool fOverflowed;
};

static size_t rtStrPrintf2Output(void *pvArg, const char *pachChars, size_t cchChars) {
    RTSTRPRINTF2BUF *pBuf = (RTSTRPRINTF2BUF *)pvArg;
    if (cchChars < pBuf->cbLeft) {
        rtStrPrintfCopy(pBuf->pchCur, pachChars, cchChars);
        pBuf->pchCur += cchChars;
        pBuf->cbLeft -= cchChars;
        *pBuf->pchCur = '\0';
    } else {
        pBuf->fOverflowed = true;
        if (pBuf->cbLeft > 1) {
            size_t const cchCopy = pBuf->cbLeft - 1;
            rtStrPrintfCopy(pBuf->pchCur, pachChars, cchCopy);
            pBuf->pchCur += cchCopy;
            pBuf->cbLeft = 1;
            *pBuf->pchCur = '\0';
        }
    }
    // The full length, so that the engine's total is the length of the whole text.
    return cchChars;
}

ptrdiff_t RTStrPrintf2V(char *pszBuffer, size_t cchBuffer, const char *pszFormat, va_list args) {
    RTSTRPRINTF2BUF Buf;
    Buf.pchCur = pszBuffer;
    Buf.cbLeft = cchBuffer;
    Buf.fOverflowed = cchBuffer == 0; // no room even for the terminator
    size_t const cchText = RTStrFormatV(rtStrPrintf2Output, &Buf, NULL, NULL, pszFormat, args);
    return Buf.fOverflowed ? -(ptrdiff_t)cchText - 1 : (ptrdiff_t)cchText;
}

ptrdiff_t RTStrPrintf2(char *pszBuffer, size_t cchBuffer, const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    ptrdiff_t const cch = RTStrPrintf2V(pszBuffer, cchBuffer, pszFormat, args);
    va_end(args);
    return cch;
}
