// The platform calls of the ".custom" copy and its removal, in a table that tests may fill
// (and must put back), and the shell's copy request as the platform lays it out.
#pragma once

#include <qrt/types.h>

// What an entry of a directory is, seen without following links.
typedef enum StubTreeKind {
    kStubTreeFile,    // a file, or anything else that a file delete removes
    kStubTreeDir,     // a directory, entered and emptied
    kStubTreeDirLink, // a directory link or directory reparse point: removed itself, never entered
    kStubTreeFileLink // a file link (symbolic link): deleted itself
} StubTreeKind;

typedef struct StubCustomCalls {
    // The executable's directory (RTPathExecDir).
    int (*pfnExecDir)(char *pszPath, size_t cbPath);
    // Starts listing the directory pszDir: *phEnum on success, which the caller closes.
    int (*pfnEnumOpen)(const char *pszDir, void **phEnum);
    // The next entry other than "." and "..": its name is written at pszPath + offName (the
    // caller's path buffer of cbPath bytes, holding the directory and a separator before
    // offName), its kind in *penmKind. QERR_NO_MORE_FILES at the end; QERR_BUFFER_OVERFLOW
    // when the name does not fit (that entry is skipped, the listing goes on).
    int (*pfnEnumNext)(void *hEnum, char *pszPath, size_t cbPath, size_t offName, StubTreeKind *penmKind);
    void (*pfnEnumClose)(void *hEnum);
    // Deletes a file or a file link (read-only ones too).
    int (*pfnDeleteFile)(const char *pszPath);
    // Removes an empty directory, or a directory link itself.
    int (*pfnRemoveDir)(const char *pszPath);
} StubCustomCalls;

extern StubCustomCalls g_StubCustomCalls;

// The shell's file operation request (SHFILEOPSTRUCTW). The platform packs it to 1 byte on
// 32-bit x86 (fFlags is a 16-bit word followed directly by the next field).
#if defined(__i386__)
#pragma pack(push, 1)
#endif
typedef struct StubShFileOp {
    void *hwnd;
    uint32_t wFunc;
    const RTUTF16 *pFrom; // double NUL-terminated list
    const RTUTF16 *pTo;   // double NUL-terminated list
    uint16_t fFlags;
    int32_t fAnyOperationsAborted;
    void *hNameMappings;
    const RTUTF16 *lpszProgressTitle;
} StubShFileOp;
#if defined(__i386__)
#pragma pack(pop)
#endif

#define QUILSTUB_FO_COPY 2U
// FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI
#define QUILSTUB_CUSTOM_COPY_FLAGS 0x614U
