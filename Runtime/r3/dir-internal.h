// The directory record and what each platform's directory part provides.
#pragma once

#include <qrt/dir.h>

#define RTDIR_MAGIC 0x19291112U
#define RTDIR_MAGIC_DEAD 0xE6D6EEEDU
// The native handle of a record that holds none.
#define RTDIR_NATIVE_NONE ((intptr_t)-1)

// An open directory (RTDirOpen). One allocation: the record, then its path.
typedef struct RTDIRINTERNAL {
    uint32_t volatile u32Magic; // RTDIR_MAGIC while open, RTDIR_MAGIC_DEAD once closed
    char *pszPath;              // absolute, ending with a separator; points behind the record
    uint32_t cchPath;
    uint32_t fFlags;  // the open's flags (0 for RTDirOpen)
    bool fDirSlash;   // the caller's path ended with '\' or '/'
    intptr_t hNative; // the open directory (Windows: an NT handle), RTDIR_NATIVE_NONE when none
} RTDIRINTERNAL;

// Platform parts.
// Creates the directory with a normalised, valid mode; on failure nothing of it remains.
int rtDirNativeCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate);
// The absolute form of pszPath with a separator at its end, as a new string (RTStrFree), or null.
char *rtDirNativeAbsPath(const char *pszPath);
// Opens pDir->pszPath and stores the handle in pDir->hNative; the converted failure otherwise.
int rtDirNativeOpen(RTDIRINTERNAL *pDir);
// Closes pDir->hNative (if any); the result is not reported.
void rtDirNativeClose(RTDIRINTERNAL *pDir);
