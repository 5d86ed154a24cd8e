// RTStrAPrintfV: formats into a stack buffer first and moves to the heap only when the text
// outgrows it, so short messages cost one allocation of their exact size.
#include <string.h>

#include <qrt/format.h>
#include <qrt/mem.h>

#define RTSTRAPRINTF_STACK_SIZE 2048
#define RTSTRAPRINTF_MAX_STEP (1024 * 1024)
#define RTSTRAPRINTF_MAX_GROWTH (1024 * 1024 * 1024)

struct RTSTRAPRINTFBUF {
    char *pch;    // achStack or the heap block
    size_t cch;   // characters stored, a terminator follows them
    size_t cb;    // size of the buffer at pch
    bool fHeap;   // pch is a heap block
    bool fFailed; // a growth failed: everything after it is dropped
    const char *pszTag;
    char achStack[RTSTRAPRINTF_STACK_SIZE];
};

// Grows the buffer for a piece of cchPiece characters that does not fit: by the buffer's own
// size up to 1 MiB at a time, or by the piece rounded up to 4 KiB when the piece is larger.
static bool rtStrAPrintfGrow(RTSTRAPRINTFBUF *pBuf, size_t cchPiece) {
    size_t cbAdd = pBuf->cb < RTSTRAPRINTF_MAX_STEP ? pBuf->cb : RTSTRAPRINTF_MAX_STEP;
    if (cchPiece >= cbAdd) {
        if (cchPiece > RTSTRAPRINTF_MAX_GROWTH) return false;
        cbAdd = RT_ALIGN_Z(cchPiece, 4096);
    }
    if (cbAdd > RTSTRAPRINTF_MAX_GROWTH || pBuf->cb > SIZE_MAX - cbAdd) return false;
    size_t const cbNew = pBuf->cb + cbAdd;
    char *pchNew;
    if (!pBuf->fHeap) {
        pchNew = (char *)RTMemAllocTag(cbNew, pBuf->pszTag);
        if (!pchNew) return false;
        memcpy(pchNew, pBuf->pch, pBuf->cch + 1);
        pBuf->fHeap = true;
    } else {
        pchNew = (char *)RTMemReallocTag(pBuf->pch, cbNew, pBuf->pszTag);
        if (!pchNew) return false;
    }
    pBuf->pch = pchNew;
    pBuf->cb = cbNew;
    return true;
}

static size_t rtStrAPrintfOutput(void *pvArg, const char *pachChars, size_t cchChars) {
    RTSTRAPRINTFBUF *pBuf = (RTSTRAPRINTFBUF *)pvArg;
    if (pBuf->fFailed || cchChars == 0) return 0;
    if (cchChars >= pBuf->cb - pBuf->cch && !rtStrAPrintfGrow(pBuf, cchChars)) {
        pBuf->fFailed = true;
        return 0;
    }
    memcpy(&pBuf->pch[pBuf->cch], pachChars, cchChars);
    pBuf->cch += cchChars;
    pBuf->pch[pBuf->cch] = '\0';
    return cchChars;
}

int RTStrAPrintfV(char **ppszBuffer, const char *pszFormat, va_list args, const char *pszTag) {
    RTSTRAPRINTFBUF Buf;
    Buf.pch = Buf.achStack;
    Buf.cch = 0;
    Buf.cb = sizeof(Buf.achStack);
    Buf.fHeap = false;
    Buf.fFailed = false;
    Buf.pszTag = pszTag;
    Buf.achStack[0] = '\0';
    RTStrFormatV(rtStrAPrintfOutput, &Buf, NULL, NULL, pszFormat, args);

    if (Buf.fFailed) {
        if (Buf.fHeap) RTMemFree(Buf.pch);
        *ppszBuffer = NULL;
        return -1;
    }
    // The length is returned as an int: text longer than that cannot be reported.
    if (Buf.cch > (size_t)INT32_MAX) {
        if (Buf.fHeap) RTMemFree(Buf.pch);
        *ppszBuffer = NULL;
        return -1;
    }
    if (Buf.fHeap) {
        char *pszShrunk = (char *)RTMemReallocTag(Buf.pch, Buf.cch + 1, pszTag);
        *ppszBuffer = pszShrunk ? pszShrunk : Buf.pch;
    } else {
        char *psz = (char *)RTMemAllocTag(Buf.cch + 1, pszTag);
        if (!psz) {
            *ppszBuffer = NULL;
            return -1;
        }
        memcpy(psz, Buf.achStack, Buf.cch + 1);
        *ppszBuffer = psz;
    }
    return (int)Buf.cch;
}

int RTStrAPrintf(char **ppszBuffer, const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    int const cch = RTStrAPrintfV(ppszBuffer, pszFormat, args, "Runtime/common/string/straprintf");
    va_end(args);
    return cch;
}
