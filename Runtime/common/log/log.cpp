// The logger's core: creating an instance, writing a message (group filter, per-group limits,
// line prefixes), the scratch buffer and its way out to the destinations, and flushing.
#include <string.h>

#include <qrt/log.h>
#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/env.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/ldr.h>
#include <qrt/mem.h>
#include <qrt/stream.h>
#include <qrt/strtonum.h>
#include <qrt/thread.h>
#include <qrt/time.h>

#include "common/ldr/ldr-internal.h"
#include "common/log/log-internal.h"
#include "common/misc/thread-internal.h"
#include "r3/init-internal.h"

// The scratch buffer's text never fills the last byte, so a terminator always fits after it.
#define RTLOG_SCRATCH_CAPACITY (RTLOG_SCRATCH_SIZE - 1U)

RTLOGGER *rtlogValidate(PRTLOGGER pLogger) {
    if (!RT_VALID_PTR(pLogger) || pLogger->u32Magic != RTLOGGER_MAGIC || !RT_VALID_PTR(pLogger->pInt)) return NULL;
    return pLogger;
}

RTLOGGER *rtlogResolve(PRTLOGGER pLogger) {
    return rtlogValidate(pLogger ? pLogger : RTLogDefaultInstance());
}

int rtlogLock(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    if (pInt->uRevision != RTLOGGERINTERNAL_REV || pInt->cbSelf != sizeof(*pInt)) return QERR_LOG_REVISION_MISMATCH;
    // No lock yet: the instance is still being created and only its creator can reach it.
    if (pInt->hSpinMtx == NIL_RTSEMSPINMUTEX) return QINF_SUCCESS;
    return RTSemSpinMutexRequest(pInt->hSpinMtx);
}

void rtlogUnlock(RTLOGGER *pLogger) {
    if (pLogger->pInt->hSpinMtx != NIL_RTSEMSPINMUTEX) RTSemSpinMutexRelease(pLogger->pInt->hSpinMtx);
}

uint64_t rtlogNanoSinceProgramStart(void) {
    uint64_t const u64Start = g_u64ProgramStartNanoTS;
    uint64_t const u64Now = RTTimeNanoTS();
    return u64Now >= u64Start ? u64Now - u64Start : 0;
}

void rtlogErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...) {
    if (!RT_VALID_PTR(pErrInfo)) return;
    char szMsg[RTLOG_FILENAME_SIZE + 64];
    va_list va;
    va_start(va, pszFormat);
    RTStrPrintfV(szMsg, sizeof(szMsg), pszFormat, va);
    va_end(va);
    rtldrErrInfoSet(pErrInfo, rc, "%s", szMsg);
}

//
// Destinations.
//

void rtlogWriteDestinations(RTLOGGER *pLogger, const char *pch, size_t cch) {
    uint32_t const fDest = pLogger->fDestFlags;
    if (fDest & RTLOGDEST_DEBUGGER) rtlogNativeDebuggerWrite(pch, cch);
    if (fDest & RTLOGDEST_FILE) rtlogFileWrite(pLogger, pch, cch);
    if (fDest & RTLOGDEST_STDOUT) {
        RTStrmWrite(g_pStdOut, pch, cch, NULL, true);
        RTStrmFlush(g_pStdOut);
    }
    if (fDest & RTLOGDEST_STDERR) {
        RTStrmWrite(g_pStdErr, pch, cch, NULL, true);
        RTStrmFlush(g_pStdErr);
    }
}

void rtlogFlushScratch(RTLOGGER *pLogger) {
    uint32_t const cch = pLogger->offScratch;
    if (cch == 0) return;
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    if (pInt->pszRingBuf && (pLogger->fDestFlags & RTLOGDEST_RINGBUF))
        rtlogRingBufWrite(pInt, pLogger->achScratch, cch);
    else {
        rtlogWriteDestinations(pLogger, pLogger->achScratch, cch);
        if (pInt->pfnFlush) pInt->pfnFlush(pLogger);
    }
    pLogger->offScratch = 0;
    rtlogFileRotateIfDue(pLogger);
}

//
// Formatting into the scratch buffer.
//

typedef struct RTLOGOUTPUTARGS {
    RTLOGGER *pLogger;
    uint32_t fFlags; // the message's group flags
    uint32_t iGroup;
} RTLOGOUTPUTARGS;

// Copies text into the scratch buffer, flushing it whenever it fills up.
static void rtLogScratchPut(RTLOGGER *pLogger, const char *pch, size_t cch) {
    while (cch > 0) {
        size_t cbFree = RTLOG_SCRATCH_CAPACITY - pLogger->offScratch;
        if (cbFree == 0) {
            rtlogFlushScratch(pLogger);
            continue;
        }
        size_t const cbChunk = RT_MIN(cbFree, cch);
        memcpy(&pLogger->achScratch[pLogger->offScratch], pch, cbChunk);
        pLogger->offScratch += (uint32_t)cbChunk;
        pch += cbChunk;
        cch -= cbChunk;
    }
}

// Text as it is: no prefixes, line feeds unchanged.
static size_t rtLogOutputPlain(void *pvArg, const char *pachChars, size_t cbChars) {
    RTLOGOUTPUTARGS *pArgs = (RTLOGOUTPUTARGS *)pvArg;
    if (cbChars > 0) {
        rtLogScratchPut(pArgs->pLogger, pachChars, cbChars);
        pArgs->pLogger->pInt->fPendingPrefix = pachChars[cbChars - 1] == '\n';
    }
    return cbChars;
}

// Text with the prefixes at every line start and, with "usecrlf", CR LF line ends.
static size_t rtLogOutputPrefixed(void *pvArg, const char *pachChars, size_t cbChars) {
    RTLOGOUTPUTARGS *pArgs = (RTLOGOUTPUTARGS *)pvArg;
    RTLOGGER *pLogger = pArgs->pLogger;
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    bool const fCrLf = (pLogger->fFlags & RTLOGFLAGS_USECRLF) != 0;
    const char *pch = pachChars;
    size_t cchLeft = cbChars;
    while (cchLeft > 0) {
        if (pInt->fPendingPrefix) {
            if (RTLOG_SCRATCH_CAPACITY - pLogger->offScratch < RTLOG_PREFIX_ROOM) rtlogFlushScratch(pLogger);
            pLogger->offScratch += (uint32_t)rtlogFormatPrefixes(pLogger, &pLogger->achScratch[pLogger->offScratch],
                                                                 pArgs->fFlags, pArgs->iGroup);
            pInt->fPendingPrefix = false;
        }
        const char *pchNewLine = (const char *)memchr(pch, '\n', cchLeft);
        size_t const cchText = pchNewLine ? (size_t)(pchNewLine - pch) : cchLeft;
        rtLogScratchPut(pLogger, pch, cchText);
        pch += cchText;
        cchLeft -= cchText;
        if (pchNewLine) {
            if (fCrLf)
                rtLogScratchPut(pLogger, "\r\n", 2);
            else
                rtLogScratchPut(pLogger, "\n", 1);
            pInt->fPendingPrefix = true;
            pch++;
            cchLeft--;
        }
    }
    return cbChars;
}

// Formats one message into the scratch buffer. Lock held.
static void rtLogFormatLockedV(RTLOGGER *pLogger, uint32_t fFlags, uint32_t iGroup, const char *pszFormat, va_list va) {
    RTLOGOUTPUTARGS Args = {pLogger, fFlags, iGroup};
    bool const fPrefixed = (pLogger->fFlags & (RTLOGFLAGS_PREFIX_MASK | RTLOGFLAGS_USECRLF)) != 0;
    RTStrFormatV(fPrefixed ? rtLogOutputPrefixed : rtLogOutputPlain, &Args, NULL, NULL, pszFormat, va);
}

static void rtLogFormatLocked(RTLOGGER *pLogger, uint32_t fFlags, uint32_t iGroup, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtLogFormatLockedV(pLogger, fFlags, iGroup, pszFormat, va);
    va_end(va);
}

//
// Writing.
//

void RTLogLoggerExV(PRTLOGGER pLoggerArg, unsigned fFlags, unsigned iGroup, const char *pszFormat, va_list va) {
    RTLOGGER *pLogger = rtlogResolve(pLoggerArg);
    if (!pLogger) return;
    // Only real group numbers are corrected and filtered: a message without a group is always
    // written (the header, assertion and crash reports depend on it).
    if (iGroup != RTLOG_NO_GROUP && iGroup >= pLogger->cGroups) iGroup = pLogger->cGroups > 0 ? 0 : RTLOG_NO_GROUP;
    if ((pLogger->fFlags & RTLOGFLAGS_DISABLED) || !pLogger->fDestFlags || !RT_VALID_PTR(pszFormat) || !*pszFormat)
        return;
    if (iGroup != RTLOG_NO_GROUP) {
        uint32_t const fNeeded = fFlags | RTLOGGRPFLAGS_ENABLED;
        if ((pLogger->afGroups[iGroup] & fNeeded) != fNeeded) return;
    }

    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);
    if (RT_SUCCESS(rtlogLock(pLogger))) {
        RTLOGGERINTERNAL *pInt = pLogger->pInt;
        bool fWrite = true;
        uint32_t cEntries = 0;
        if (iGroup != RTLOG_NO_GROUP && pInt->pacEntriesPerGroup && pInt->cMaxEntriesPerGroup != UINT32_MAX &&
            (pLogger->afGroups[iGroup] & RTLOGGRPFLAGS_RESTRICT)) {
            cEntries = pInt->pacEntriesPerGroup[iGroup];
            if (cEntries < UINT32_MAX) pInt->pacEntriesPerGroup[iGroup] = ++cEntries;
            fWrite = cEntries <= pInt->cMaxEntriesPerGroup;
        }
        if (fWrite) {
            rtLogFormatLockedV(pLogger, fFlags, iGroup, pszFormat, va);
            if (cEntries != 0 && cEntries == pInt->cMaxEntriesPerGroup) {
                const char *pszName = iGroup < pInt->cGroups ? pInt->papszGroups[iGroup] : NULL;
                if (RT_VALID_PTR(pszName))
                    rtLogFormatLocked(pLogger, fFlags, iGroup, "%u messages from group %s (#%u), muting it.\n",
                                      cEntries, pszName, iGroup);
                else
                    rtLogFormatLocked(pLogger, fFlags, iGroup, "%u messages from group #%u, muting it.\n", cEntries,
                                      iGroup);
            }
            if (!(pLogger->fFlags & RTLOGFLAGS_BUFFERED)) rtlogFlushScratch(pLogger);
        }
        rtlogUnlock(pLogger);
    }
    RTErrVarsRestore(&SavedErrVars);
}

void RTLogLoggerEx(PRTLOGGER pLogger, unsigned fFlags, unsigned iGroup, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    RTLogLoggerExV(pLogger, fFlags, iGroup, pszFormat, va);
    va_end(va);
}

void RTLogPrintfV(const char *pszFormat, va_list va) {
    RTLogLoggerExV(NULL, 0, RTLOG_NO_GROUP, pszFormat, va);
}

void RTLogPrintf(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    RTLogLoggerExV(NULL, 0, RTLOG_NO_GROUP, pszFormat, va);
    va_end(va);
}

void RTLogRelPrintfV(const char *pszFormat, va_list va) {
    PRTLOGGER pLogger = RTLogRelGetDefaultInstanceEx(UINT32_C(0xFFFF0000));
    if (pLogger) RTLogLoggerExV(pLogger, 0, RTLOG_NO_GROUP, pszFormat, va);
}

void RTLogRelPrintf(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    RTLogRelPrintfV(pszFormat, va);
    va_end(va);
}

void RTLogFlush(PRTLOGGER pLoggerArg) {
    RTLOGGER *pLogger = rtlogValidate(pLoggerArg ? pLoggerArg : rtlogDefaultInstanceIfExists());
    if (!pLogger) return;
    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);
    if (RT_SUCCESS(rtlogLock(pLogger))) {
        RTLOGGERINTERNAL *pInt = pLogger->pInt;
        if (pInt->pszRingBuf && (pLogger->fDestFlags & RTLOGDEST_RINGBUF)) {
            rtlogFlushScratch(pLogger);
            rtlogRingBufFlush(pLogger);
        } else {
            // A ring buffer no longer in use still holds the older text.
            if (pInt->pszRingBuf) rtlogRingBufFlush(pLogger);
            rtlogFlushScratch(pLogger);
        }
        rtlogUnlock(pLogger);
    }
    RTErrVarsRestore(&SavedErrVars);
}

int RTLogSetFlushCallback(PRTLOGGER pLoggerArg, PFNRTLOGFLUSH pfnFlush) {
    RTLOGGER *pLogger = rtlogValidate(pLoggerArg);
    if (!pLogger) return QERR_INVALID_PARAMETER;
    pLogger->pInt->pfnFlush = pfnFlush;
    return QINF_SUCCESS;
}

int RTLogSetCustomPrefixCallback(PRTLOGGER pLoggerArg, PFNRTLOGPREFIX pfnCallback, void *pvUser) {
    RTLOGGER *pLogger = rtlogValidate(pLoggerArg);
    if (!pLogger) return QERR_INVALID_PARAMETER;
    pLogger->pInt->pfnPrefix = pfnCallback;
    pLogger->pInt->pvPrefixUserArg = pvUser;
    return QINF_SUCCESS;
}

//
// Creation.
//

// The instance's output entry.
static void rtLogOutputEntry(PRTLOGGER pLogger, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    RTLogLoggerExV(pLogger, 0, RTLOG_NO_GROUP, pszFormat, va);
    va_end(va);
}

static size_t rtLogOutputDirect(void *pvArg, const char *pachChars, size_t cbChars) {
    if (cbChars > 0) rtlogWriteDestinations((RTLOGGER *)pvArg, pachChars, cbChars);
    return cbChars;
}

// What the phase callback writes with: straight to the destinations, since the callback runs
// under the lock (rotation) or before the instance is in use (creation).
static void rtLogPhaseOutput(PRTLOGGER pLoggerArg, const char *pszFormat, ...) {
    RTLOGGER *pLogger = rtlogValidate(pLoggerArg);
    if (!pLogger) return;
    va_list va;
    va_start(va, pszFormat);
    RTStrFormatV(rtLogOutputDirect, pLogger, NULL, NULL, pszFormat, va);
    va_end(va);
}

void rtlogCallPhase(RTLOGGER *pLogger, RTLOGPHASE enmPhase) {
    if (pLogger->pInt->pfnPhase) pLogger->pInt->pfnPhase(pLogger, enmPhase, rtLogPhaseOutput);
}

// Reads the variables P_DEST, P_FLAGS, P and P_MAX_PER_GROUP and applies them.
static void rtLogApplyEnvironment(RTLOGGER *pLogger, const char *pszBase) {
    char szVar[128];
    size_t const cchBase = strlen(pszBase);
    if (cchBase + sizeof("_MAX_PER_GROUP") > sizeof(szVar)) return;
    memcpy(szVar, pszBase, cchBase);

    memcpy(&szVar[cchBase], "_DEST", sizeof("_DEST"));
    const char *pszValue = RTEnvGet(szVar);
    if (pszValue) RTLogDestinations(pLogger, pszValue); // what it applied before a failure stays

    memcpy(&szVar[cchBase], "_FLAGS", sizeof("_FLAGS"));
    pszValue = RTEnvGet(szVar);
    if (pszValue) RTLogFlags(pLogger, pszValue);

    szVar[cchBase] = '\0';
    pszValue = RTEnvGet(szVar);
    if (pszValue) RTLogGroupSettings(pLogger, pszValue);

    memcpy(&szVar[cchBase], "_MAX_PER_GROUP", sizeof("_MAX_PER_GROUP"));
    pszValue = RTEnvGet(szVar);
    if (pszValue) {
        uint32_t cMax = 0;
        int rc = RTStrToUInt32Full(pszValue, 0, &cMax);
        if (rc == QINF_SUCCESS)
            pLogger->pInt->cMaxEntriesPerGroup = cMax ? cMax : UINT32_MAX;
        else if (rc == QWRN_NUMBER_TOO_BIG)
            pLogger->pInt->cMaxEntriesPerGroup = UINT32_MAX;
    }
}

int RTLogCreateExV(PRTLOGGER *ppLogger, uint32_t fFlags, const char *pszGroupSettings, const char *pszEnvVarBase,
                   unsigned cGroups, const char *const *papszGroups, uint32_t cMaxEntriesPerGroup, uint32_t fDestFlags,
                   PFNRTLOGPHASE pfnPhase, uint32_t cHistory, uint64_t cbHistoryFileMax, uint32_t cSecsHistoryTimeSlot,
                   PRTERRINFO pErrInfo, const char *pszFilenameFmt, va_list va) {
    if (!RT_VALID_PTR(ppLogger)) return QERR_INVALID_PARAMETER;
    *ppLogger = NULL;
    if (cGroups > RTLOG_MAX_GROUPS || (cGroups > 0 && !RT_VALID_PTR(papszGroups))) return QERR_INVALID_PARAMETER;
    if (cHistory > RTLOG_MAX_HISTORY) return QERR_OUT_OF_RANGE;

    // One allocation: the instance with its group flags, the internal part, the counters.
    size_t const offInt = RT_ALIGN_Z(offsetof(RTLOGGER, afGroups) + RT_MAX(cGroups, 1U) * sizeof(uint32_t), 16);
    size_t const offCounters = offInt + sizeof(RTLOGGERINTERNAL);
    size_t const cbAll = offCounters + ((fFlags & RTLOGFLAGS_RESTRICT_GROUPS) ? cGroups * sizeof(uint32_t) : 0);
    RTLOGGER *pLogger = (RTLOGGER *)RTMemAllocZTag(cbAll, RTLOG_INSTANCE_TAG);
    if (!pLogger) return QERR_NO_MEMORY;
    RTLOGGERINTERNAL *pInt = (RTLOGGERINTERNAL *)((uint8_t *)pLogger + offInt);
    pLogger->u32Magic = RTLOGGER_MAGIC;
    pLogger->fFlags = fFlags;
    pLogger->fDestFlags = fDestFlags;
    pLogger->pInt = pInt;
    pLogger->cGroups = cGroups;
    pInt->uRevision = RTLOGGERINTERNAL_REV;
    pInt->cbSelf = sizeof(*pInt);
    pInt->fPendingPrefix = true;
    pInt->papszGroups = papszGroups;
    pInt->cGroups = cGroups;
    if (fFlags & RTLOGFLAGS_RESTRICT_GROUPS) pInt->pacEntriesPerGroup = (uint32_t *)((uint8_t *)pLogger + offCounters);
    pInt->cMaxEntriesPerGroup = cMaxEntriesPerGroup ? cMaxEntriesPerGroup : UINT32_MAX;
    pInt->cbRingBuf = RTLOG_RINGBUF_DEFAULT_SIZE;
    pInt->pfnPhase = pfnPhase;
    rtlogFileInitHistory(pLogger, cHistory, cbHistoryFileMax, cSecsHistoryTimeSlot);

    if (pszGroupSettings) RTLogGroupSettings(pLogger, pszGroupSettings);
    pLogger->pfnLogger = rtLogOutputEntry;
    if (pszFilenameFmt) {
        RTStrPrintfV(pInt->szFilename, sizeof(pInt->szFilename), pszFilenameFmt, va);
        if (pInt->szFilename[0]) pLogger->fDestFlags |= RTLOGDEST_FILE;
    }
    if (pszEnvVarBase) rtLogApplyEnvironment(pLogger, pszEnvVarBase);

    int rc = QINF_SUCCESS;
    if (pLogger->fDestFlags & RTLOGDEST_FILE) rtlogFileOpenAtCreation(pLogger, pErrInfo);
    if (pLogger->fDestFlags & RTLOGDEST_RINGBUF) rc = rtlogRingBufAlloc(pLogger);
    if (RT_SUCCESS(rc)) {
        rc = RTSemSpinMutexCreate(&pInt->hSpinMtx, 0);
        if (RT_FAILURE(rc)) rtlogErrInfoSet(pErrInfo, rc, "failed to create semaphore");
    }
    if (RT_FAILURE(rc)) {
        rtlogFileClose(pLogger);
        RTMemFree(pInt->pszRingBuf);
        pLogger->u32Magic = ~RTLOGGER_MAGIC;
        RTMemFree(pLogger);
        return rc;
    }

    // Calibrate the "lockcnts" prefix: what holding our own lock adds to the thread's counts.
    RTTHREADINT *pThread = (RTTHREADINT *)RTThreadSelf();
    if (pThread) {
        uint32_t const cBefore = pThread->LockValidator.cWriteLocks;
        if (RT_SUCCESS(RTSemSpinMutexRequest(pInt->hSpinMtx))) {
            pInt->cLockCntCalibration = pThread->LockValidator.cWriteLocks - cBefore;
            RTSemSpinMutexRelease(pInt->hSpinMtx);
        }
    }

    rtlogCallPhase(pLogger, RTLOGPHASE_BEGIN);
    pInt->fCreated = true;
    *ppLogger = pLogger;
    return QINF_SUCCESS;
}

int RTLogCreateEx(PRTLOGGER *ppLogger, uint32_t fFlags, const char *pszGroupSettings, const char *pszEnvVarBase,
                  unsigned cGroups, const char *const *papszGroups, uint32_t cMaxEntriesPerGroup, uint32_t fDestFlags,
                  PFNRTLOGPHASE pfnPhase, uint32_t cHistory, uint64_t cbHistoryFileMax, uint32_t cSecsHistoryTimeSlot,
                  PRTERRINFO pErrInfo, const char *pszFilenameFmt, ...) {
    va_list va;
    va_start(va, pszFilenameFmt);
    int rc = RTLogCreateExV(ppLogger, fFlags, pszGroupSettings, pszEnvVarBase, cGroups, papszGroups,
                            cMaxEntriesPerGroup, fDestFlags, pfnPhase, cHistory, cbHistoryFileMax, cSecsHistoryTimeSlot,
                            pErrInfo, pszFilenameFmt, va);
    va_end(va);
    return rc;
}
