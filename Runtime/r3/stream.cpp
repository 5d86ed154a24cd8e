// The standard stream records: the lazily created lock, the formatted-write path and the write
// primitive with its console, byte and code-page paths.
#include <errno.h>
#include <string.h>

#include <qrt/stream.h>
#include <qrt/critsect.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "common/string/strformat-output.h"
#include "r3/stream-internal.h"

#define RTSTREAM_TAG "Runtime/r3/stream"

// The FILE pointers of the standard streams are not constants everywhere (a function call
// under MinGW), so the records are constant-initialised and resolve them on first use.
#define RTSTREAM_STD_INIT(iStd)                                                                                        \
    { RTSTREAM_MAGIC, 0, NULL, true, false, true, NULL, (iStd) }
static RTSTREAM g_rtStrmStdIn = RTSTREAM_STD_INIT(0);
static RTSTREAM g_rtStrmStdOut = RTSTREAM_STD_INIT(1);
static RTSTREAM g_rtStrmStdErr = RTSTREAM_STD_INIT(2);
PRTSTREAM g_pStdIn = &g_rtStrmStdIn;
PRTSTREAM g_pStdOut = &g_rtStrmStdOut;
PRTSTREAM g_pStdErr = &g_rtStrmStdErr;

void rtStrmInitFile(RTSTREAM *pStrm, FILE *pFile) {
    pStrm->u32Magic = RTSTREAM_MAGIC;
    pStrm->i32Error = 0;
    pStrm->pFile = pFile;
    pStrm->fCurrentCodeSet = true;
    pStrm->fBinary = false;
    pStrm->fRecheckMode = true;
    pStrm->pCritSect = NULL;
    pStrm->iStdHandle = -1;
}

void rtStrmTerm(RTSTREAM *pStrm) {
    PRTCRITSECT pCritSect = __atomic_exchange_n(&pStrm->pCritSect, (PRTCRITSECT)NULL, __ATOMIC_ACQ_REL);
    if (pCritSect) {
        RTCritSectDelete(pCritSect);
        RTMemFree(pCritSect);
    }
}

static bool rtStrmIsValid(PRTSTREAM pStrm) {
    return RT_VALID_PTR(pStrm) && pStrm->u32Magic == RTSTREAM_MAGIC;
}

static FILE *rtStrmFile(PRTSTREAM pStrm) {
    FILE *pFile = __atomic_load_n(&pStrm->pFile, __ATOMIC_RELAXED);
    if (!pFile) {
        pFile = pStrm->iStdHandle == 0 ? stdin : pStrm->iStdHandle == 1 ? stdout : stderr;
        __atomic_store_n(&pStrm->pFile, pFile, __ATOMIC_RELAXED);
    }
    return pFile;
}

// Keeps the first failure; returns rc.
static int rtStrmSetError(PRTSTREAM pStrm, int rc) {
    int32_t iExpected = 0;
    __atomic_compare_exchange_n(&pStrm->i32Error, &iExpected, rc, false, __ATOMIC_SEQ_CST, __ATOMIC_RELAXED);
    return rc;
}

// Console path: the text as UTF-16 through the console API.
static int rtStrmWriteConsole(FILE *pFile, void *hConsole, const char *pch, size_t cch, size_t *pcbWritten) {
    // Whatever the standard I/O layer still holds must come out first.
    if (fflush(pFile) != 0) {
        int rc = RTErrConvertFromErrno(errno);
        return RT_FAILURE(rc) ? rc : QERR_WRITE_ERROR;
    }
    RTUTF16 *pwsz = NULL;
    size_t cwc = 0;
    int rc = RTStrToUtf16ExTag(pch, cch, &pwsz, 0, &cwc, RTSTREAM_TAG);
    if (RT_FAILURE(rc)) return rc;

    size_t cwcWritten = 0;
    rc = g_rtStrmPlatform.pfnWriteConsole(hConsole, pwsz, cwc, &cwcWritten);
    if (RT_FAILURE(rc) || cwcWritten < cwc) {
        // Unit by unit, up to the first one the console refuses: from the start after a failed
        // call, after what it took when it took only part.
        if (RT_FAILURE(rc)) cwcWritten = 0;
        while (cwcWritten < cwc) {
            size_t cwcOne = 0;
            rc = g_rtStrmPlatform.pfnWriteConsole(hConsole, &pwsz[cwcWritten], 1, &cwcOne);
            if (RT_FAILURE(rc)) break;
            if (cwcOne == 0) {
                rc = QERR_WRITE_ERROR;
                break;
            }
            cwcWritten++;
        }
    }
    if (cwcWritten == cwc) {
        rc = QINF_SUCCESS;
        if (pcbWritten) *pcbWritten = cch;
    } else if (cwcWritten > 0) {
        // Part of the text reached the console: a caller counting bytes learns how much.
        if (pcbWritten) {
            size_t cchDone = 0;
            RTUtf16CalcUtf8LenEx(pwsz, cwcWritten, &cchDone);
            *pcbWritten = cchDone;
            rc = QINF_SUCCESS;
        } else
            rc = QERR_WRITE_ERROR;
    }
    RTUtf16Free(pwsz);
    return rc;
}

// Code-page path: text converted to the process's code page, written in one block.
static int rtStrmWriteCodePage(FILE *pFile, const char *pch, size_t cch, size_t *pcbWritten) {
    char *pszCopy = NULL;
    const char *pszSrc = pch;
    if (pch[cch - 1] != '\0') {
        pszCopy = RTStrDupNTag(pch, cch, RTSTREAM_TAG);
        if (!pszCopy) return QERR_NO_STR_MEMORY;
        pszSrc = pszCopy;
    }
    char *pszCp = NULL;
    int rc = RTStrUtf8ToCurrentCPTag(&pszCp, pszSrc, RTSTREAM_TAG);
    if (RT_SUCCESS(rc)) {
        size_t const cbCp = strlen(pszCp);
        // A short write loses text: a failure whatever the error indicator says.
        if (fwrite(pszCp, 1, cbCp, pFile) == cbCp) {
            if (pcbWritten) *pcbWritten = cch;
        } else
            rc = QERR_WRITE_ERROR;
        RTStrFree(pszCp);
    }
    RTStrFree(pszCopy);
    return rc;
}

int RTStrmWrite(PRTSTREAM pStrm, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten, bool fSureIsText) {
    if (!rtStrmIsValid(pStrm)) return QERR_INVALID_PARAMETER;
    int rc = __atomic_load_n(&pStrm->i32Error, __ATOMIC_RELAXED);
    if (RT_FAILURE(rc)) return rc;
    if (pcbWritten) *pcbWritten = 0;
    FILE *pFile = rtStrmFile(pStrm);

    if (pStrm->fRecheckMode) {
        // The record follows the mode the descriptor is really in.
        pStrm->fBinary = g_rtStrmPlatform.pfnCheckMode(pFile, pStrm->fBinary);
        pStrm->fRecheckMode = false;
    }
    if (cbToWrite == 0) return QINF_SUCCESS;

    const char *pch = (const char *)pvBuf;
    void *hConsole = g_rtStrmPlatform.pfnQueryConsole(pFile);
    if (hConsole)
        rc = rtStrmWriteConsole(pFile, hConsole, pch, cbToWrite, pcbWritten);
    else if (!pStrm->fCurrentCodeSet || pStrm->fBinary || !fSureIsText) {
        size_t const cbWritten = fwrite(pch, 1, cbToWrite, pFile);
        if (pcbWritten) *pcbWritten = cbWritten;
        // A short write loses bytes: a failure whatever the error indicator says.
        rc = cbWritten == cbToWrite ? QINF_SUCCESS : QERR_WRITE_ERROR;
    } else
        rc = rtStrmWriteCodePage(pFile, pch, cbToWrite, pcbWritten);

    if (RT_FAILURE(rc)) rtStrmSetError(pStrm, rc);
    return rc;
}

int RTStrmFlush(PRTSTREAM pStrm) {
    if (!rtStrmIsValid(pStrm)) return QERR_INVALID_PARAMETER;
    int rc = __atomic_load_n(&pStrm->i32Error, __ATOMIC_RELAXED);
    if (RT_FAILURE(rc)) return rc;
    if (fflush(rtStrmFile(pStrm)) == 0) return QINF_SUCCESS;
    rc = RTErrConvertFromErrno(errno);
    return rtStrmSetError(pStrm, RT_FAILURE(rc) ? rc : QERR_WRITE_ERROR);
}

// Enters the stream's lock, creating it on first use; null when formatting has to go ahead
// without it (no memory for it, or the caller already holds it: a nested use from inside the
// formatting, which must neither wait for itself nor leave the outer caller's lock).
static PRTCRITSECT rtStrmLockEnter(PRTSTREAM pStrm) {
    PRTCRITSECT pCritSect = __atomic_load_n(&pStrm->pCritSect, __ATOMIC_ACQUIRE);
    if (!pCritSect) {
        PRTCRITSECT pNew = (PRTCRITSECT)RTMemAllocTag(sizeof(*pNew), RTSTREAM_TAG);
        if (pNew && RT_SUCCESS(RTCritSectInit(pNew, RTCRITSECT_FLAGS_NO_NESTING, "RTSemSpinMutex"))) {
            RTCritSectEnter(pNew);
            PRTCRITSECT pExpected = NULL;
            if (__atomic_compare_exchange_n(&pStrm->pCritSect, &pExpected, pNew, false, __ATOMIC_ACQ_REL,
                                            __ATOMIC_ACQUIRE))
                return pNew;
            // Another thread published its lock first: use that one.
            RTCritSectLeave(pNew);
            RTCritSectDelete(pNew);
        }
        RTMemFree(pNew);
        pCritSect = __atomic_load_n(&pStrm->pCritSect, __ATOMIC_ACQUIRE);
        if (!pCritSect) return NULL;
    }
    return RT_SUCCESS(RTCritSectEnter(pCritSect)) ? pCritSect : NULL;
}

// Runs of formatted output reach the stream as text; a failed write sticks in the record and
// the count stays the format's own.
static size_t rtStrmWriteRun(void *pvArg, const char *pachChars, size_t cchChars) {
    RTStrmWrite((PRTSTREAM)pvArg, pachChars, cchChars, NULL, true);
    return cchChars;
}

static size_t rtStrmFormatOutput(void *pvArg, const char *pachChars, size_t cchChars) {
    if (cchChars) rtstrFormatBufPut((RTSTRFORMATBUF *)pvArg, pachChars, cchChars);
    return cchChars;
}

int RTStrmPrintfV(PRTSTREAM pStrm, const char *pszFormat, va_list args) {
    if (!rtStrmIsValid(pStrm)) return QERR_INVALID_PARAMETER;
    if (RT_FAILURE(__atomic_load_n(&pStrm->i32Error, __ATOMIC_RELAXED))) return -1;

    PRTCRITSECT pCritSect = rtStrmLockEnter(pStrm);
    RTSTRFORMATBUF Buf;
    rtstrFormatBufInit(&Buf, rtStrmWriteRun, pStrm);
    size_t const cch = RTStrFormatV(rtStrmFormatOutput, &Buf, NULL, NULL, pszFormat, args);
    rtstrFormatBufDone(&Buf);
    if (pCritSect) RTCritSectLeave(pCritSect);
    return (int)cch;
}

int RTStrmPrintf(PRTSTREAM pStrm, const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    int const rc = RTStrmPrintfV(pStrm, pszFormat, args);
    va_end(args);
    return rc;
}

int RTPrintf(const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    int const rc = RTStrmPrintfV(g_pStdOut, pszFormat, args);
    va_end(args);
    return rc;
}
