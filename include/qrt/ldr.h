// The native library loader: platform libraries loaded by full path into loader module records.
//
// The runtime loads libraries only through here. A system library is always loaded by its full
// path under the system directory, never by bare name through the platform's search order, so a
// library planted beside the program or in the current directory is never picked up. (Which
// libraries a loaded library pulls in itself is the platform's search order: process
// initialisation narrows that to the system directory.)
//
// A module record owns the platform's module handle. Records are owned by whoever loaded them
// and are closed with RTLdrClose; with RTLDRLOAD_FLAGS_NO_UNLOAD the library stays loaded after
// the close, so a caller may close the record as soon as it has resolved its symbols.
//
// Loading needs process initialisation (RTR3InitExe) to have configured the platform loader;
// loading before that is an assertion failure that stops the process at a breakpoint.
#pragma once

#include <qrt/types.h>

// A loader module record. Opaque to callers.
typedef struct RTLDRMODINTERNAL *RTLDRMOD;
typedef RTLDRMOD *PRTLDRMOD;
#define NIL_RTLDRMOD ((RTLDRMOD)0)

// Load flags.
// Refused on this platform (QERR_INVALID_FLAGS).
#define RTLDRLOAD_FLAGS_LOCAL 0x1U
// Closing the record never unloads the library.
#define RTLDRLOAD_FLAGS_NO_UNLOAD 0x2U
// Windows: resolve the library's own imports from the system directory, the application's
// directory and the library's directory (where the platform supports that search); elsewhere
// a plain load.
#define RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR 0x4U
// No default ".DLL" suffix for a name without one.
#define RTLDRLOAD_FLAGS_NO_SUFFIX 0x8U
#define RTLDRLOAD_FLAGS_VALID_MASK 0xFU
// Bits RTLdrLoadSystemEx refuses.
#define RTLDRLOAD_FLAGS_SYSTEM_INVALID_MASK 0xFF0U

// Optional error information a caller may pass to the loading operations: on failure the
// status and a short explanation are put into the caller's message buffer (cut to fit).
typedef struct RTERRINFO {
    uint32_t fFlags; // RTERRINFO_FLAGS_*
    int32_t rc;      // the status of the failure it holds
    size_t cbMsg;    // size of pszMsg
    char *pszMsg;    // the caller's buffer
} RTERRINFO;
typedef RTERRINFO *PRTERRINFO;
// The record's marker (upper half) and the "holds an error" bit; the formatting engine's
// "%RTeic"/"%RTeim" print a record whose flags carry both.
#define RTERRINFO_FLAGS_MAGIC 0xBABE0000U
#define RTERRINFO_FLAGS_MAGIC_MASK 0xFFFF0000U
#define RTERRINFO_FLAGS_SET 0x4U

// Prepares *pErrInfo over the caller's buffer (empty, holding no error) and returns pErrInfo.
PRTERRINFO RTErrInfoInit(PRTERRINFO pErrInfo, char *pszMsg, size_t cbMsg);
// True when the record holds an error.
bool RTErrInfoIsSet(const RTERRINFO *pErrInfo);

// RTLdrLoadSystemEx with RTLDRLOAD_FLAGS_NO_UNLOAD when fNoUnload is set, else no flags.
int RTLdrLoadSystem(const char *pszFilename, bool fNoUnload, PRTLDRMOD phLdrMod);
// Loads the library named pszFilename (a bare file name; ".DLL" is added when it has no
// suffix, unless RTLDRLOAD_FLAGS_NO_SUFFIX) from the system directory.
// Returns QINF_SUCCESS with the new record in *phLdrMod (the caller closes it); on failure
// *phLdrMod is NIL_RTLDRMOD and nothing is loaded:
//   QERR_INVALID_PARAMETER  a name with a slash, backslash or colon, an implausible pointer, or
//                           a name of 3075 characters or more;
//   QERR_INVALID_FLAGS      any of RTLDRLOAD_FLAGS_SYSTEM_INVALID_MASK;
//   QERR_FILENAME_TOO_LONG  a system directory of 260 characters or more;
//   QERR_MODULE_NOT_FOUND   no regular file of that name in the system directory (the
//                           platform load is then never tried);
//   otherwise the status of RTLdrLoadEx or of the system-directory query.
int RTLdrLoadSystemEx(const char *pszFilename, uint32_t fFlags, PRTLDRMOD phLdrMod);
// Loads the library at the full path pszFilename into a new record. ".DLL" is added to a path
// without suffix unless RTLDRLOAD_FLAGS_NO_SUFFIX is given (then the path is loaded exactly as
// named, without the platform adding a suffix of its own). pErrInfo may be null.
// Returns QINF_SUCCESS with the record in *phLdrMod; on failure *phLdrMod is NIL_RTLDRMOD and
// nothing is loaded: QERR_INVALID_POINTER (implausible arguments), QERR_INVALID_PARAMETER
// (flags beyond RTLDRLOAD_FLAGS_VALID_MASK), QERR_INVALID_FLAGS (RTLDRLOAD_FLAGS_LOCAL),
// QERR_INTERNAL_ERROR_2 (a path that does not start with a root), QERR_NO_MEMORY, a UTF-16
// conversion status, or the platform's load error converted.
int RTLdrLoadEx(const char *pszFilename, PRTLDRMOD phLdrMod, uint32_t fFlags, PRTERRINFO pErrInfo);
// Resolves the exported symbol pszSymbol into *ppvValue. QERR_INVALID_HANDLE for an invalid
// record, QERR_INVALID_PARAMETER for a null name or an implausible ppvValue; when the symbol
// is missing *ppvValue is null and the platform's error is returned converted
// (QERR_SYMBOL_NOT_FOUND on Windows and elsewhere).
int RTLdrGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue);
// Closes a record (unloading the library unless it was loaded with RTLDRLOAD_FLAGS_NO_UNLOAD)
// and frees it. NIL_RTLDRMOD succeeds; an invalid record is QERR_INVALID_HANDLE and stays
// untouched. The handle must not be used afterwards.
int RTLdrClose(RTLDRMOD hLdrMod);
// The platform module handle of a record; all ones for an invalid record or one that is not
// a platform library. The record keeps owning it.
uintptr_t RTLdrGetNativeHandle(RTLDRMOD hLdrMod);
// Loads the system library pszFilename with RTLDRLOAD_FLAGS_NO_UNLOAD, resolves pszSymbol and
// closes the record. The symbol's address, or null when the library or the symbol is missing.
void *RTLdrGetSystemSymbol(const char *pszFilename, const char *pszSymbol);
