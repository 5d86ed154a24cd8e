// The log file: opening it with retries, writing, and rotating it into numbered history files
// ("name.1" the newest) when it grows too large or a new time slot begins.
#include <string.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/format.h>
#include <qrt/mem.h>
#include <qrt/time.h>

#include "common/log/log-internal.h"

#define RTLOGFILE_TAG "Runtime/common/log/log-file"

int (*g_pfnrtlogFileSleep)(uint32_t cMillies) = RTThreadSleep;

// Waits before each retry of an open or a rename that another process's handle blocks: about
// ten seconds in all.
static const uint16_t g_acMsLogFileRetryWaits[] = {10,  10,  10,  20,   50,   100,  200,  200,  200,  200, 500,
                                                   500, 500, 500, 1000, 1000, 1000, 1000, 1000, 1000, 1000};

void rtlogFileInitHistory(RTLOGGER *pLogger, uint32_t cHistory, uint64_t cbMax, uint32_t cSecsSlot) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    pInt->hFile = NIL_RTFILE;
    pInt->cHistory = cHistory;
    pInt->cbHistoryFileMax = cbMax ? cbMax : UINT64_MAX;
    pInt->cSecsHistoryTimeSlot = cSecsSlot ? cSecsSlot : UINT32_MAX;
}

void rtlogFileClose(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    if (pInt->hFile != NIL_RTFILE) {
        RTFileClose(pInt->hFile);
        pInt->hFile = NIL_RTFILE;
    }
}

static uint64_t rtLogFileOpenFlags(RTLOGGER *pLogger) {
    uint64_t fOpen = (pLogger->fFlags & RTLOGFLAGS_APPEND) ? RTFOPEN_OPEN_CREATE | RTFOPEN_WRITE | RTFOPEN_APPEND
                                                           : RTFOPEN_CREATE | RTFOPEN_WRITE;
    fOpen |= (pLogger->fDestFlags & RTLOGDEST_F_NO_DENY) ? RTFOPEN_SHARE_DELETE : RTFOPEN_DENY_NONE;
    if (pLogger->fFlags & RTLOGFLAGS_WRITE_THROUGH) fOpen |= RTFOPEN_WRITE_THROUGH;
    return fOpen;
}

// Opens the file (replacing it unless appending), retrying while another handle is in the
// way. The written size starts at the file's size.
static int rtLogFileOpen(RTLOGGER *pLogger, PRTERRINFO pErrInfo) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    uint64_t const fOpen = rtLogFileOpenFlags(pLogger);
    bool const fAppend = (pLogger->fFlags & RTLOGFLAGS_APPEND) != 0;
    if (!fAppend) RTFileDelete(pInt->szFilename);
    RTFILE hFile = NIL_RTFILE;
    int rc = RTFileOpen(&hFile, pInt->szFilename, fOpen);
    for (size_t i = 0; RT_FAILURE(rc) && i < RT_ELEMENTS(g_acMsLogFileRetryWaits); i++) {
        if (rc != QERR_SHARING_VIOLATION && (fAppend || rc != QERR_ALREADY_EXISTS)) break;
        g_pfnrtlogFileSleep(g_acMsLogFileRetryWaits[i]);
        if (!fAppend) RTFileDelete(pInt->szFilename);
        rc = RTFileOpen(&hFile, pInt->szFilename, fOpen);
    }
    if (RT_FAILURE(rc)) {
        pInt->hFile = NIL_RTFILE;
        rtlogErrInfoSet(pErrInfo, rc, "could not open file '%s' (fOpen=%#x)", pInt->szFilename, (unsigned)fOpen);
        return rc;
    }
    pInt->hFile = hFile;
    uint64_t cbFile = 0;
    if (RT_FAILURE(RTFileQuerySize(hFile, &cbFile))) cbFile = 0;
    pInt->cbHistoryFileWritten = cbFile;
    return QINF_SUCCESS;
}

void rtlogFileWrite(RTLOGGER *pLogger, const char *pch, size_t cch) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    if (pInt->hFile == NIL_RTFILE) return;
    RTFileWrite(pInt->hFile, pch, cch, NULL);
    if (pLogger->fFlags & RTLOGFLAGS_FLUSH) RTFileFlush(pInt->hFile);
    if (pInt->cbHistoryFileWritten <= UINT64_MAX - cch) pInt->cbHistoryFileWritten += cch;
}

uint32_t rtlogFileTimeSlot(RTLOGGERINTERNAL *pInt) {
    if (pInt->cSecsHistoryTimeSlot == UINT32_MAX || pInt->cSecsHistoryTimeSlot == 0) return 0;
    return (uint32_t)(rtlogNanoSinceProgramStart() / UINT64_C(1000000000) / pInt->cSecsHistoryTimeSlot);
}

static int rtLogFileRenameWithRetry(const char *pszSrc, const char *pszDst) {
    int rc = RTFileRename(pszSrc, pszDst, RTFILEMOVE_FLAGS_REPLACE);
    for (size_t i = 0; rc == QERR_SHARING_VIOLATION && i < RT_ELEMENTS(g_acMsLogFileRetryWaits); i++) {
        g_pfnrtlogFileSleep(g_acMsLogFileRetryWaits[i]);
        rc = RTFileRename(pszSrc, pszDst, RTFILEMOVE_FLAGS_REPLACE);
    }
    return rc;
}

// Rotates when history files are kept and the file is full or its time slot is over. fFirst:
// the opening at creation (no phase callback before it; pErrInfo gets an open failure).
static void rtLogFileRotate(RTLOGGER *pLogger, uint32_t uTimeSlot, bool fFirst, PRTERRINFO pErrInfo) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    // Without history files nothing is renamed or deleted: "name.1" and the rest are not ours.
    if (pInt->cHistory == 0) return;
    if (pInt->cbHistoryFileWritten < pInt->cbHistoryFileMax) {
        if (uTimeSlot == pInt->uHistoryTimeSlotStart) return;
        if (pInt->cbHistoryFileWritten == 0) {
            pInt->uHistoryTimeSlotStart = uTimeSlot; // nothing in it yet: it takes the new slot
            return;
        }
    }
    // Room for two names with a number after them, off the stack (this may run in a crash).
    size_t const cbName = sizeof(pInt->szFilename) + 16;
    char *pszSrc = (char *)RTMemTmpAllocTag(2 * cbName, RTLOGFILE_TAG);
    if (!pszSrc) {
        // No rotation this time; the file goes on growing (or, at creation, is replaced).
        if (pInt->hFile == NIL_RTFILE) rtLogFileOpen(pLogger, pErrInfo);
        return;
    }
    char *pszDst = pszSrc + cbName;

    uint32_t const fDisabledBefore = pLogger->fFlags & RTLOGFLAGS_DISABLED;
    pLogger->fFlags |= RTLOGFLAGS_DISABLED;
    if (!fFirst) rtlogCallPhase(pLogger, RTLOGPHASE_PREROTATE);
    rtlogFileClose(pLogger);

    for (uint32_t i = pInt->cHistory; i > 0; i--) {
        if (i > 1)
            RTStrPrintf(pszSrc, cbName, "%s.%u", pInt->szFilename, i - 1);
        else
            RTStrPrintf(pszSrc, cbName, "%s", pInt->szFilename);
        RTStrPrintf(pszDst, cbName, "%s.%u", pInt->szFilename, i);
        // A gap in the history stays a gap: the older file at the target goes.
        if (rtLogFileRenameWithRetry(pszSrc, pszDst) == QERR_FILE_NOT_FOUND) RTFileDelete(pszDst);
    }
    // Files beyond the history count, left by a run that kept more.
    for (uint32_t i = pInt->cHistory + 1; i != 0; i++) {
        RTStrPrintf(pszDst, cbName, "%s.%u", pInt->szFilename, i);
        if (RT_FAILURE(RTFileDelete(pszDst))) break;
    }
    RTMemTmpFree(pszSrc);

    pInt->cbHistoryFileWritten = 0;
    pInt->uHistoryTimeSlotStart = uTimeSlot;
    rtLogFileOpen(pLogger, pErrInfo);
    rtlogCallPhase(pLogger, RTLOGPHASE_POSTROTATE);
    pLogger->fFlags = (pLogger->fFlags & ~RTLOGFLAGS_DISABLED) | fDisabledBefore;
}

void rtlogFileRotateIfDue(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    if ((pLogger->fDestFlags & RTLOGDEST_FILE) && pInt->cHistory > 0)
        rtLogFileRotate(pLogger, rtlogFileTimeSlot(pInt), false, NULL);
}

void rtlogFileOpenAtCreation(RTLOGGER *pLogger, PRTERRINFO pErrInfo) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    pInt->uHistoryTimeSlotStart = rtlogFileTimeSlot(pInt);
    if ((pLogger->fFlags & RTLOGFLAGS_APPEND) || pInt->cHistory == 0) {
        if (RT_SUCCESS(rtLogFileOpen(pLogger, pErrInfo)))
            rtLogFileRotate(pLogger, pInt->uHistoryTimeSlotStart, true, pErrInfo);
    } else {
        // The file of an earlier run goes into the history before a new one replaces it.
        pInt->cbHistoryFileWritten = UINT64_MAX;
        rtLogFileRotate(pLogger, pInt->uHistoryTimeSlotStart, true, pErrInfo);
    }
}
