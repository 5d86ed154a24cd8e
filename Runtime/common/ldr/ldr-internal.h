// The loader's records and the platform halves behind them. The front end (ldr.cpp,
// ldrNative.cpp) checks arguments and owns the records; each platform file
// (r3/win/ldrNative-win.cpp, r3/posix/ldrNative-posix.cpp) loads, resolves and unloads.
#pragma once

#include <qrt/ldr.h>

#define RTLDRMOD_MAGIC 0x19531118U
// Record states.
#define RTLDRMODSTATE_INVALID 0U
#define RTLDRMODSTATE_OPEN 3U

// The longest system library name accepted (characters, terminator excluded).
#define RTLDR_SYSTEM_NAME_MAX 3074
// Path buffers of the system loads.
#define RTLDR_PATH_BUF_SIZE 4100

struct RTLDRMODINTERNAL;

// A kind of module: how its records are closed and how symbols are found in them. The fields
// before the first operation and the order of the operations are fixed.
typedef struct RTLDROPS {
    const char *pszName;
    // Releases what the record holds (not the record). Its result is not reported.
    int (*pfnClose)(struct RTLDRMODINTERNAL *pMod);
    // Resolves a symbol: the address in *ppvValue, or null and a failure status.
    int (*pfnGetSymbol)(struct RTLDRMODINTERNAL *pMod, const char *pszSymbol, void **ppvValue);
} RTLDROPS;

typedef struct RTLDRMODINTERNAL {
    uint32_t volatile u32Magic; // RTLDRMOD_MAGIC while open; one more once closed
    uint32_t eState;            // RTLDRMODSTATE_*
    const RTLDROPS *pOps;       // &g_rtldrNativeOps for platform libraries
    void *pReader;              // null for platform libraries
    uintptr_t hNative;          // the platform module handle; all ones until loaded
    uint32_t fFlags;            // the RTLDRLOAD_FLAGS_* it was loaded with
} RTLDRMODINTERNAL;

#define RTLDR_NIL_NATIVE_HANDLE (~(uintptr_t)0)

// The operations of platform libraries.
extern const RTLDROPS g_rtldrNativeOps;

// The record behind a handle when it is a plausible, open loader record; else null. A record
// with the loader's magic but another operations table (another kind of object that happens
// to share the magic value) is refused too.
RTLDRMODINTERNAL *rtldrValidate(RTLDRMOD hLdrMod);

// Fills *pErrInfo (when not null) with rc and the formatted message, cut to its buffer.
void rtldrErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...);
// Empties *pErrInfo (when not null).
void rtldrErrInfoClear(PRTERRINFO pErrInfo);

// Whether a redirected library path (cwcAnswer units, no terminator needed) lies under the
// system directory's drive and top-level directory: the two are compared from the start,
// ASCII case and slash or backslash alike, and at least two positions after the first where
// both hold a separator must come before the first difference or the end of either.
bool rtldrRedirectMatchesSystemDir(const RTUTF16 *pwcAnswer, size_t cwcAnswer, const RTUTF16 *pwszSystemDir);

// True when pszPath names an existing regular file (links followed) that is neither a device
// nor a reparse point: the only kind of object handed to the platform's load.
bool rtldrIsRegularFile(const char *pszPath);

// The end of every system load: appends pszFilename and pszSuffix (either may be null) to the
// directory in pszPath (cbPath bytes, path style fPathStyle) and loads the result with
// RTLdrLoadEx when it is a regular file; QERR_MODULE_NOT_FOUND when it is not, without asking
// the platform.
int rtldrLoadSystemPath(char *pszPath, size_t cbPath, uint32_t fPathStyle, const char *pszFilename,
                        const char *pszSuffix, uint32_t fFlags, PRTLDRMOD phLdrMod);

//
// Platform halves.
//

// Loads the library at pszFilename (a path starting with a root) and stores the platform
// handle in *phHandle. Failure: the status, *phHandle untouched, the error information filled.
int rtldrNativeLoad(const char *pszFilename, uintptr_t *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo);
// Builds the system path of pszFilename (suffix appended when not null) and loads it with
// RTLdrLoadEx into *phLdrMod. The front end has checked the arguments.
int rtldrNativeLoadSystem(const char *pszFilename, const char *pszSuffix, uint32_t fFlags, PRTLDRMOD phLdrMod);
// The native operations: unload (unless RTLDRLOAD_FLAGS_NO_UNLOAD) and resolve.
int rtldrNativeClose(RTLDRMODINTERNAL *pMod);
int rtldrNativeGetSymbol(RTLDRMODINTERNAL *pMod, const char *pszSymbol, void **ppvValue);
