// The logger instance behind a PRTLOGGER, and what the logger's files share: the writer, the
// settings parsers, the file and rotation code, the default instance and the platform halves
// (Runtime/r3/win/log-win.cpp, Runtime/r3/posix/log-posix.cpp).
#pragma once

#include <qrt/log.h>
#include <qrt/file.h>
#include <qrt/semaphore.h>
#include <qrt/system.h>

#define RTLOGGER_MAGIC 0x19281207U
// Revision of the internal part; an instance with another revision or size refuses every
// locked operation (QERR_LOG_REVISION_MISMATCH).
#define RTLOGGERINTERNAL_REV 11U

// The allocation tag of an instance: it lives until the process ends.
#define RTLOG_INSTANCE_TAG "may-leak:log-instance"

// Room left in the scratch buffer below which it is flushed before a line's prefixes are
// written (more than the longest set of prefixes).
#define RTLOG_PREFIX_ROOM 272U
// The longest "custom" prefix.
#define RTLOG_CUSTOM_PREFIX_MAX 31U
// The ring buffer's markers, each in a 16-byte field at one end.
#define RTLOG_RINGBUF_MARKER_SIZE 16U
// The most groups an instance can have (group numbers travel in 16 bits).
#define RTLOG_MAX_GROUPS 0xFFFFU

typedef struct RTLOGGERINTERNAL {
    uint32_t uRevision; // RTLOGGERINTERNAL_REV
    uint32_t cbSelf;    // sizeof(RTLOGGERINTERNAL)
    RTSEMSPINMUTEX hSpinMtx;
    PFNRTLOGFLUSH pfnFlush;
    PFNRTLOGPREFIX pfnPrefix;
    void *pvPrefixUserArg;
    bool fPendingPrefix; // the next character starts a line
    bool fCreated;       // creation has completed
    const char *const *papszGroups;
    uint32_t cGroups;
    uint32_t *pacEntriesPerGroup; // with RTLOGFLAGS_RESTRICT_GROUPS only
    uint32_t cMaxEntriesPerGroup; // UINT32_MAX: no limit
    // Ring buffer: markers at both ends, text circularly in between, NUL after each write.
    uint32_t cbRingBuf;          // the size asked for
    uint32_t cbRingBufUsedArea;  // the text area of the buffer allocated
    uint32_t offRingBuf;         // write position within the text area
    uint64_t cbRingBufUnflushed; // bytes written since the last flush
    char *pszRingBuf;
    PFNRTLOGPHASE pfnPhase;
    RTFILE hFile; // NIL_RTFILE while not open
    // History: rotation once the file reaches cbHistoryFileMax bytes (UINT64_MAX: no limit) or
    // a new slot of cSecsHistoryTimeSlot seconds begins (UINT32_MAX: none); cHistory files kept.
    uint64_t cbHistoryFileMax;
    uint64_t cbHistoryFileWritten;
    uint32_t cSecsHistoryTimeSlot;
    uint32_t uHistoryTimeSlotStart;
    uint32_t cHistory;
    // The lock-count change that taking the instance's own lock causes ("lockcnts").
    uint32_t cLockCntCalibration;
    char szFilename[RTLOG_FILENAME_SIZE];
} RTLOGGERINTERNAL;

struct RTLOGGER {
    char achScratch[RTLOG_SCRATCH_SIZE];
    uint32_t offScratch;
    uint32_t u32Magic; // RTLOGGER_MAGIC
    uint32_t fFlags;   // RTLOGFLAGS_*
    uint32_t fDestFlags;
    RTLOGGERINTERNAL *pInt;
    PFNRTLOGPRINTF pfnLogger; // writes to this instance without group
    uint32_t cGroups;
    uint32_t afGroups[1]; // cGroups entries
};

// The instance when pLogger is one (magic and internal part checked), else null.
RTLOGGER *rtlogValidate(PRTLOGGER pLogger);
// The instance the settings calls act on: pLogger, or the default one (created if needed).
RTLOGGER *rtlogResolve(PRTLOGGER pLogger);

// Takes the instance's lock: QERR_LOG_REVISION_MISMATCH for a foreign internal part, or the
// lock's failure (QERR_SEM_NESTED when this thread holds it already). Only a success must be
// followed by rtlogUnlock.
int rtlogLock(RTLOGGER *pLogger);
void rtlogUnlock(RTLOGGER *pLogger);

// Writes the scratch buffer out (into the ring buffer when there is one) and empties it.
// Lock held.
void rtlogFlushScratch(RTLOGGER *pLogger);
// Writes cch bytes to every destination but the ring buffer. Lock held.
void rtlogWriteDestinations(RTLOGGER *pLogger, const char *pch, size_t cch);

// Ring buffer (lock held for everything but creation): allocates or resizes the buffer to
// pInt->cbRingBuf, keeping as much of the unflushed text as fits; writes text into it; writes
// its unflushed text to the other destinations.
int rtlogRingBufAlloc(RTLOGGER *pLogger);
void rtlogRingBufWrite(RTLOGGERINTERNAL *pInt, const char *pch, size_t cch);
void rtlogRingBufFlush(RTLOGGER *pLogger);
// The ring buffer size a "ringbuf" value asks for.
uint32_t rtlogRingBufSizeFromValue(uint64_t cbValue);

// Writes the prefixes of a line into pch (at least RTLOG_PREFIX_ROOM bytes) for a message with
// the group flags fFlags to group iGroup (RTLOG_NO_GROUP: none). Returns the length.
size_t rtlogFormatPrefixes(RTLOGGER *pLogger, char *pch, uint32_t fFlags, uint32_t iGroup);

// Case-insensitive match of a group name against a pattern in which '*' stands for any run of
// characters. The pattern is cchPattern characters long. Linear in the name for each star.
bool rtlogMatchGroupPattern(const char *pchPattern, size_t cchPattern, const char *pszName);

// The default logger's group table: 374 names, "DEFAULT" first.
#define RTLOG_DEFAULT_GROUP_COUNT 374U
const char *const *rtlogDefaultGroupNames(void);

// The default logger when it exists; never creates it (for flushing and the crash report).
PRTLOGGER rtlogDefaultInstanceIfExists(void);
// The release logger slot (empty in this system; tests fill it).
void rtlogRelSetDefaultInstance(PRTLOGGER pLogger);

// Nanoseconds since the program started (since boot before initialisation recorded a start).
uint64_t rtlogNanoSinceProgramStart(void);
// Calls the instance's phase callback, if any.
void rtlogCallPhase(RTLOGGER *pLogger, RTLOGPHASE enmPhase);
// Puts rc and the message into the caller's error information, if there is one.
void rtlogErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...);

//
// The log file and its history (Runtime/common/log/log-file.cpp).
//

// Stores the history settings given at creation (0 size or slot: no limit).
void rtlogFileInitHistory(RTLOGGER *pLogger, uint32_t cHistory, uint64_t cbMax, uint32_t cSecsSlot);
// Opens the file at creation: appended to, or (without "append") rotated away when history
// files are kept, else replaced. A failure is recorded in pErrInfo and leaves it closed.
void rtlogFileOpenAtCreation(RTLOGGER *pLogger, PRTERRINFO pErrInfo);
// Writes to the open file (flushing it with "flush") and counts the bytes. Lock held.
void rtlogFileWrite(RTLOGGER *pLogger, const char *pch, size_t cch);
// Rotates the file when history files are kept and the size or the time slot says so. Lock
// held (or creation).
void rtlogFileRotateIfDue(RTLOGGER *pLogger);
// The time slot now: seconds since program start divided by the slot length (always 0
// without slots).
uint32_t rtlogFileTimeSlot(RTLOGGERINTERNAL *pInt);
// Closes the file if it is open.
void rtlogFileClose(RTLOGGER *pLogger);
// Sleeps between open and rename retries; tests swap it to count attempts without waiting.
extern int (*g_pfnrtlogFileSleep)(uint32_t cMillies);

//
// UTC wall clock.
//

// A point in time broken down into its UTC calendar fields.
typedef struct RTLOGTIME {
    int32_t i32Year;
    uint8_t u8Month;  // 1-12
    uint8_t u8Day;    // 1-31
    uint8_t u8Hour;   // 0-23
    uint8_t u8Minute; // 0-59
    uint8_t u8Second; // 0-59
    uint32_t u32Nanosecond;
} RTLOGTIME;

// Breaks nanoseconds since 1970-01-01 00:00 UTC (negative: before) into calendar fields
// (proleptic Gregorian).
void rtlogTimeExplode(int64_t i64NanoUtc, RTLOGTIME *pTime);

//
// Platform halves.
//

// Nanoseconds since 1970-01-01 00:00 UTC.
int64_t rtlogNativeUtcNanoTS(void);
// Sends cch bytes to the debugger (nothing where there is none to send to).
void rtlogNativeDebuggerWrite(const char *pch, size_t cch);
// The parent process's identifier, or all ones when it cannot be learnt.
RTPROCESS rtlogNativeParentPid(void);
// Writes "Commandline: ...\n" with the process's command line to pLogger without group.
void rtlogNativeWriteCommandLine(RTLOGGER *pLogger);
