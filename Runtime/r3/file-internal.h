// What the file layer's platform parts share: the open-flags validation, the Windows mapping of
// the word (pure, so it is tested on every build), and the platform's single transfers under the
// common read and write loops.
#pragma once

#include <qrt/file.h>

#include "r3/fs-internal.h"

// Checks the open-flags word and normalises it: action 0 becomes RTFOPEN_OPEN, sharing 0
// RTFOPEN_DENY_NONE, the upper 32 bits are cleared. QERR_INVALID_PARAMETER for a word that is
// not valid (*pfOpen then unchanged).
int rtFileValidateOpenFlags(uint64_t *pfOpen);

// The CreateFileW arguments for a validated word.
typedef struct RTFILEWINOPEN {
    uint32_t uDisposition; // CREATE_NEW 1, CREATE_ALWAYS 2, OPEN_EXISTING 3, OPEN_ALWAYS 4, TRUNCATE_EXISTING 5
    uint32_t fAccess;      // desired access
    uint32_t fShare;       // share mode
    uint32_t fFlagsAttrs;  // flags and attributes
    bool fInherit;         // security attributes with handle inheritance
} RTFILEWINOPEN;
// Maps a validated word (rtFileValidateOpenFlags) to CreateFileW's arguments.
// QERR_INVALID_FLAGS for a value outside the tables.
int rtFileOpenFlagsToWin(uint64_t fOpen, RTFILEWINOPEN *pParams);

// One platform transfer of at most cb bytes (a single read or write call). On success
// *pcbDone holds the bytes moved (0 at the end of a file). On failure the converted error is
// returned and *pfShrink tells whether the platform refused the size of the request for now
// (Windows ERROR_NOT_ENOUGH_MEMORY), in which case smaller requests are tried.
int rtFileNativeRead(RTFILE hFile, void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink);
int rtFileNativeWrite(RTFILE hFile, const void *pvBuf, size_t cb, size_t *pcbDone, bool *pfShrink);
// The type of the file system holding the open file (RTFSTYPE_UNKNOWN when it cannot be told).
FsType rtFileQueryFsType(RTFILE hFile);

// The first chunk of a read or write that the platform refused for its size: half the count
// raised to the next multiple of 256, at most cbMax.
static inline size_t rtFileFirstChunk(size_t cb, size_t cbMax) {
    size_t cbChunk = ((cb / 2 + (cb & 1)) + 255) & ~(size_t)255;
    return cbChunk < cbMax ? cbChunk : cbMax;
}
#define RTFILE_READ_CHUNK_MAX 16384
#define RTFILE_WRITE_CHUNK_MAX 32768
