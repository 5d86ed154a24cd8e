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
