// The logger: formatted diagnostic text, line by line with optional prefixes, to a file (with
// optional rotation), the debugger, the standard streams or an in-memory ring buffer.
//
// Output is filtered by log groups. Each instance has a table of named groups, each with a
// flags word of enabled levels; a message sent to a group is written only when the group has
// all of the message's flags and RTLOGGRPFLAGS_ENABLED. A message sent without a group
// (RTLOG_NO_GROUP) is always written.
//
// There are two instance slots. The default logger is created on first use (any call that
// names no instance, or RTLogDefaultInstance) from the environment variables "QUIL_LOG",
// "QUIL_LOG_DEST", "QUIL_LOG_FLAGS" and "QUIL_LOG_MAX_PER_GROUP"; unless they say otherwise it
// writes to a file named after the date and the process in the current directory. The
// release logger slot is never filled in this system, so release writes go nowhere.
//
// Writing never fails as far as the caller can see: output errors are ignored, and a file that
// cannot be opened leaves the file destination without effect. Writing keeps the calling
// thread's error variables (errno, the Windows last error) as they were. Instances are never
// destroyed; the default logger keeps its file open until the process ends.
#pragma once

#include <qrt/types.h>

typedef struct RTLOGGER RTLOGGER;
typedef RTLOGGER *PRTLOGGER;
// Optional error information (the record is declared with the loader's operations).
typedef struct RTERRINFO *PRTERRINFO;

// The group number of a message that belongs to no group.
#define RTLOG_NO_GROUP (~0U)

//
// Instance flags (RTLogFlags keywords in quotes).
//
#define RTLOGFLAGS_DISABLED 0x00000001U           // "disabled" / "enabled": nothing is written
#define RTLOGFLAGS_BUFFERED 0x00000002U           // "buffered" / "unbuffered": text waits for a flush
#define RTLOGFLAGS_USECRLF 0x00000010U            // "usecrlf" / "uself": line feeds become CR LF
#define RTLOGFLAGS_APPEND 0x00000020U             // "append" / "overwrite": the file is appended to
#define RTLOGFLAGS_REL_TS 0x00000040U             // "rel" / "abs": stamps relative to the previous one
#define RTLOGFLAGS_DECIMAL_TS 0x00000080U         // "dec" / "hex": stamps in decimal
#define RTLOGFLAGS_WRITE_THROUGH 0x00000100U      // "writethru", "writethrough"
#define RTLOGFLAGS_FLUSH 0x00000200U              // "flush": the file is flushed after every write
#define RTLOGFLAGS_RESTRICT_GROUPS 0x00000400U    // per-group message limits (only at creation)
#define RTLOGFLAGS_PREFIX_LOCK_COUNTS 0x00008000U // "lockcnts"
#define RTLOGFLAGS_PREFIX_CPUID 0x00010000U       // "cpuid"
#define RTLOGFLAGS_PREFIX_PID 0x00020000U         // "pid"
#define RTLOGFLAGS_PREFIX_FLAG_NO 0x00040000U     // "flagno"
#define RTLOGFLAGS_PREFIX_FLAG 0x00080000U        // "flag"
#define RTLOGFLAGS_PREFIX_GROUP_NO 0x00100000U    // "groupno"
#define RTLOGFLAGS_PREFIX_GROUP 0x00200000U       // "group"
#define RTLOGFLAGS_PREFIX_TID 0x00400000U         // "tid"
#define RTLOGFLAGS_PREFIX_THREAD 0x00800000U      // "thread"
#define RTLOGFLAGS_PREFIX_CUSTOM 0x01000000U      // "custom"
#define RTLOGFLAGS_PREFIX_TIME_PROG 0x04000000U   // "timeprog"
#define RTLOGFLAGS_PREFIX_TIME 0x08000000U        // "time"
#define RTLOGFLAGS_PREFIX_MS_PROG 0x10000000U     // "msprog"
#define RTLOGFLAGS_PREFIX_TSC 0x20000000U         // "tsc"
#define RTLOGFLAGS_PREFIX_TS 0x40000000U          // "ts"
#define RTLOGFLAGS_PREFIX_MASK 0x7DFF8000U

//
// Destinations (RTLogDestinations keywords in quotes).
//
#define RTLOGDEST_FILE 0x00000001U       // "file" (with a value: its name), "dir" (a value: its directory)
#define RTLOGDEST_STDOUT 0x00000002U     // "stdout", flushed after each write
#define RTLOGDEST_STDERR 0x00000004U     // "stderr"
#define RTLOGDEST_DEBUGGER 0x00000008U   // "debugger" (Windows: OutputDebugStringA)
#define RTLOGDEST_COM 0x00000010U        // "com": accepted, nothing is written for it
#define RTLOGDEST_RINGBUF 0x00000020U    // "ringbuf" (with a value: its size)
#define RTLOGDEST_F_NO_DENY 0x00010000U  // "nodeny": the file is opened allowing deletion
#define RTLOGDEST_FIXED_FILE 0x01000000U // creation only: the file name and append mode stay
#define RTLOGDEST_FIXED_DIR 0x02000000U  // creation only: the file's directory stays
#define RTLOGDEST_USER 0x40000000U       // "user": accepted, nothing is written for it

//
// Group flags (RTLogGroupSettings suffix keywords in quotes, any case).
//
#define RTLOGGRPFLAGS_ENABLED 0x00000001U // "eo", "enabledonly"; "e", "enabled" give 0x15
#define RTLOGGRPFLAGS_FLOW 0x00000002U    // "f", "flow"
#define RTLOGGRPFLAGS_WARN 0x00000004U    // "w", "warn", "warning"
#define RTLOGGRPFLAGS_LEVEL_1 0x00000010U // "l1", "level1"
#define RTLOGGRPFLAGS_LEVEL_2 0x00000020U // "l", "l2", "level2"
#define RTLOGGRPFLAGS_LEVEL_3 0x00000040U // "l3" to "l12", "level3" to "level12": one bit up each
#define RTLOGGRPFLAGS_LEVEL_12 0x00008000U
#define RTLOGGRPFLAGS_RESTRICT 0x40000000U // "restrict": the group obeys the per-group limit

// Sizes: the formatted text not yet written, and the longest file name (terminator included).
#define RTLOG_SCRATCH_SIZE 0xC000U
#define RTLOG_FILENAME_SIZE 4100U
// Ring buffer sizes: the default, the smallest and the largest.
#define RTLOG_RINGBUF_DEFAULT_SIZE 0x80000U
#define RTLOG_RINGBUF_MIN_SIZE 0x1000U
#define RTLOG_RINGBUF_MAX_SIZE 0x40000000U
// The most history files kept.
#define RTLOG_MAX_HISTORY 1048575U

// A printf-like function that writes to pLogger as RTLogLoggerEx without group does.
typedef void FNRTLOGPRINTF(PRTLOGGER pLogger, const char *pszFormat, ...);
typedef FNRTLOGPRINTF *PFNRTLOGPRINTF;

// Phases of an instance's life reported to its phase callback.
typedef enum RTLOGPHASE {
    RTLOGPHASE_BEGIN = 0,      // creation has completed
    RTLOGPHASE_END = 1,        // not reported in this system
    RTLOGPHASE_PREROTATE = 2,  // the file is about to be rotated
    RTLOGPHASE_POSTROTATE = 3, // a new file has been opened
} RTLOGPHASE;
// pfnLog writes straight into the log file (the instance is locked or not yet in use when the
// callback runs, so the normal writing entries would not reach it).
typedef void FNRTLOGPHASE(PRTLOGGER pLogger, RTLOGPHASE enmPhase, PFNRTLOGPRINTF pfnLog);
typedef FNRTLOGPHASE *PFNRTLOGPHASE;
// Called under the instance's lock each time buffered text has been written out.
typedef void FNRTLOGFLUSH(PRTLOGGER pLogger);
typedef FNRTLOGFLUSH *PFNRTLOGFLUSH;
// Writes the "custom" prefix into pchBuf (cchBuf bytes, no terminator needed) and returns the
// number of characters written (at most cchBuf).
typedef size_t FNRTLOGPREFIX(PRTLOGGER pLogger, char *pchBuf, size_t cchBuf, void *pvUser);
typedef FNRTLOGPREFIX *PFNRTLOGPREFIX;

// Creates an instance in *ppLogger.
//   fFlags: RTLOGFLAGS_*. pszGroupSettings: applied with RTLogGroupSettings (optional).
//   pszEnvVarBase: optional prefix P of environment variables: P_DEST, P_FLAGS and P are
//     applied as destinations, flags and group settings, P_MAX_PER_GROUP as the per-group limit.
//     A failing destinations text keeps what it applied before the failure; creation goes on.
//   cGroups, papszGroups: the group-name table (kept by reference: it must outlive the
//     instance). cMaxEntriesPerGroup: limit for "restrict" groups with
//     RTLOGFLAGS_RESTRICT_GROUPS, 0 for none.
//   fDestFlags: RTLOGDEST_*. pfnPhase: optional.
//   cHistory, cbHistoryFileMax, cSecsHistoryTimeSlot: rotated files kept (0: the file is simply
//     replaced or appended to), the size and the interval in seconds after which the file is
//     rotated (0: no limit).
//   pErrInfo: optional; gets a message when the file cannot be opened or the lock not made.
//   pszFilenameFmt: format of the file name (optional); a non-empty name adds RTLOGDEST_FILE.
// Returns QINF_SUCCESS with the caller owning the instance (it is never destroyed here). On
// failure *ppLogger is null and nothing is left allocated: QERR_INVALID_PARAMETER (no output,
// or groups without a table), QERR_OUT_OF_RANGE (more than RTLOG_MAX_HISTORY history files),
// QERR_NO_MEMORY, or the lock's creation status. A file that cannot be opened is no failure.
int RTLogCreateEx(PRTLOGGER *ppLogger, uint32_t fFlags, const char *pszGroupSettings, const char *pszEnvVarBase,
                  unsigned cGroups, const char *const *papszGroups, uint32_t cMaxEntriesPerGroup, uint32_t fDestFlags,
                  PFNRTLOGPHASE pfnPhase, uint32_t cHistory, uint64_t cbHistoryFileMax, uint32_t cSecsHistoryTimeSlot,
                  PRTERRINFO pErrInfo, const char *pszFilenameFmt, ...);
int RTLogCreateExV(PRTLOGGER *ppLogger, uint32_t fFlags, const char *pszGroupSettings, const char *pszEnvVarBase,
                   unsigned cGroups, const char *const *papszGroups, uint32_t cMaxEntriesPerGroup, uint32_t fDestFlags,
                   PFNRTLOGPHASE pfnPhase, uint32_t cHistory, uint64_t cbHistoryFileMax, uint32_t cSecsHistoryTimeSlot,
                   PRTERRINFO pErrInfo, const char *pszFilenameFmt, va_list va);

// The default logger, created on the first call. Concurrent first callers wait for the one
// that creates it and all get the same instance. Null when creation failed (it is not tried
// again), and for a call made on the creating thread while creation is still running.
PRTLOGGER RTLogDefaultInstance(void);
// The release logger when one is installed, it is not disabled and, unless fFlagsAndGroup is
// 0xFFFF0000 or more, the group in the upper 16 bits (0 when out of range) has all of the
// flags in the lower 16 bits and RTLOGGRPFLAGS_ENABLED; else null. No release logger is ever
// installed in this system.
PRTLOGGER RTLogRelGetDefaultInstanceEx(uint32_t fFlagsAndGroup);

// Writes one message. pLogger null: the default logger (created if needed). fFlags: the
// message's group flags; iGroup: its group, or RTLOG_NO_GROUP (a number beyond the table
// counts as group 0). Nothing is written while the instance is disabled, has no
// destinations, or the group does not have the message's flags.
void RTLogLoggerExV(PRTLOGGER pLogger, unsigned fFlags, unsigned iGroup, const char *pszFormat, va_list va);
void RTLogLoggerEx(PRTLOGGER pLogger, unsigned fFlags, unsigned iGroup, const char *pszFormat, ...);
// RTLogLoggerExV without group on the default logger.
void RTLogPrintfV(const char *pszFormat, va_list va);
void RTLogPrintf(const char *pszFormat, ...);
// The same on the release logger: nothing when none is installed.
void RTLogRelPrintfV(const char *pszFormat, va_list va);
void RTLogRelPrintf(const char *pszFormat, ...);
// Writes out what is buffered (with a ring buffer: its unwritten text, to the other
// destinations). pLogger null: the default logger if it exists; it is not created for this.
void RTLogFlush(PRTLOGGER pLogger);

// Settings texts; pLogger null means the default logger, created if needed. The first two
// skip what they do not understand and always return QINF_SUCCESS (also without a logger).
//   Group settings: instructions such as "all", "-all", "dev*.e.l2", "+net=0x15", "-fs=~0".
//   Flags: keywords such as "time tid", "notime", "-buffered;+usecrlf".
int RTLogGroupSettings(PRTLOGGER pLogger, const char *pszValue);
int RTLogFlags(PRTLOGGER pLogger, const char *pszValue);
// Destinations: keywords such as "nofile stderr", "file=C:\Logs\x.log", "history=3
// histsize=0x100000", "ringbuf=65536". Stops at the first invalid keyword or value and
// returns its failure, keeping what it applied before: QERR_INVALID_PARAMETER (an unknown
// keyword, a value where none is taken, "nofile"/"nodir" with a value), QERR_OUT_OF_RANGE (a
// name too long, a number out of range), a number's conversion failure, or QERR_NO_MEMORY for
// a ring buffer (the old one then stays). QINF_SUCCESS without a logger.
int RTLogDestinations(PRTLOGGER pLogger, const char *pszValue);

// Callbacks of an instance (null removes one): the flush callback, and the producer of the
// "custom" prefix with its argument. Return QERR_INVALID_PARAMETER for an invalid instance.
int RTLogSetFlushCallback(PRTLOGGER pLogger, PFNRTLOGFLUSH pfnFlush);
int RTLogSetCustomPrefixCallback(PRTLOGGER pLogger, PFNRTLOGPREFIX pfnCallback, void *pvUser);
