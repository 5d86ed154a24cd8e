// Process-wide records that process initialisation fills and other parts read.
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>

// Size of the executable path buffer: paths of at most 4067 bytes fit.
#define RTR3EXECPATH_SIZE 4068

// The executable path record: the executable's full UTF-8 path, its length, the length of its
// directory part and the offset of its file name. Empty (all zero) until filled.
typedef struct RTR3EXECPATH {
    char szPath[RTR3EXECPATH_SIZE];
    size_t cchPath;
    size_t cchDir;
    size_t offName;
} RTR3EXECPATH;

extern RTR3EXECPATH g_rtR3ExecPath RT_BSS;

// Fills the record from the platform on the first call and returns that call's status on every
// call; the record stays empty when it failed. Safe to call from several threads.
int rtR3ExecPathEnsure(void);

// Platform part: stores the executable's full path, terminated, in pszPath (cbPath bytes) and
// returns the offset of its file name in *poffName. QERR_BUFFER_OVERFLOW when the path does not
// fit; a platform failure is converted.
int rtR3ExecPathQuery(char *pszPath, size_t cbPath, size_t *poffName);

// Whether process initialisation has configured the platform loader: the kernel32 module
// handle on Windows, a marker elsewhere; null until then. The loader refuses to run before.
extern void *volatile g_hModKernel32;

// Converts the platform's UTF-16 executable path (cwc units as the platform returned them,
// in a buffer of cwcBuf units that need not be terminated) into pszPath (cbPath bytes) and
// stores the offset of its file name. A count that fills the whole buffer (the platform cut
// the name) and a UTF-8 path of cbPath bytes or more are QERR_BUFFER_OVERFLOW.
int rtR3ExecPathFromUtf16(const RTUTF16 *pwcPath, size_t cwc, size_t cwcBuf, char *pszPath, size_t cbPath,
                          size_t *poffName);

// The tag of the argument vector's allocations: they live until the process ends.
#define RTR3INIT_ARGV_TAG "will-leak:rtR3InitArgv"

// RTNanoTS at the end of the first successful initialisation; 0 before.
extern uint64_t volatile g_u64ProgramStartNanoTS;
// Set by the process-exit handler.
extern bool volatile g_frtR3Exiting;

// A new null-terminated vector of the cArgs UTF-16 arguments converted to UTF-8 (the vector
// and each string tagged RTR3INIT_ARGV_TAG). On failure nothing is left allocated and
// *ppapszArgs is null: QERR_NO_MEMORY or the conversion's status.
int rtR3InitArgvFromUtf16(const RTUTF16 *const *papwszArgs, int cArgs, char ***ppapszArgs);

//
// Platform halves of initialisation (init-win.cpp, init-posix.cpp).
//

// The platform's first steps: module handles, the version record, the hardening (unless
// RTR3INIT_FLAGS_UNOBTRUSIVE), optional entries and the sockets library. Returns the
// hardening's status after all of them ran, or QERR_INTERNAL_ERROR_2 at once when the system
// modules are missing.
int rtR3InitNativeFirst(uint32_t fFlags);
// Runs the hardening alone (a repeated initialisation that drops the unobtrusive flag).
int rtR3InitNativeHarden(uint32_t fFlags);
// When papszArgs is the C library's own startup vector and the platform has a command line of
// its own (Windows' wide one), splits that into a new UTF-8 vector (*ppapszArgs, its count in
// *pcArgs). Returns QINF_SUCCESS with *ppapszArgs null when it does not apply or the split
// failed (the caller then converts papszArgs), or a conversion failure to be returned.
int rtR3InitNativeSplitArgs(int cArgs, char **papszArgs, char ***ppapszArgs, int *pcArgs);
