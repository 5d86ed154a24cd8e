// Helpers shared by the path operations.
#pragma once

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>

// DOS-style separators.
static inline bool rtPathIsDosSep(char ch) {
    return ch == '\\' || ch == '/';
}
// A separator of the given style (anything but 2 is DOS).
static inline bool rtPathIsSep(char ch, uint32_t fStyle) {
    return ch == '/' || (ch == '\\' && fStyle != RTPATH_STYLE_UNIX);
}
static inline bool rtPathIsAsciiLetter(char ch) {
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
// A drive letter and a colon at psz.
static inline bool rtPathIsDriveSpec(const char *psz) {
    return rtPathIsAsciiLetter(psz[0]) && psz[1] == ':';
}

// The DOS root length of pszPath that appending keeps as a floor: 3 or 2 for a drive (with or
// without separator), a UNC root through the share and one separator after it (1 for a bare
// '\\server'), 1 for another leading separator, 0 otherwise or for null.
size_t rtPathDosRootLength(const char *pszPath);

// RTPathRename's type check on a source that is (or is not) a directory.
static inline int rtPathRenameCheckType(bool fIsDirectory, uint32_t fType) {
    if (fType == RTPATH_RENAME_TYPE_DIRECTORY) return fIsDirectory ? QINF_SUCCESS : QERR_NOT_A_DIRECTORY;
    if (fType != RTPATH_RENAME_TYPE_ANY && fIsDirectory) return QERR_IS_A_DIRECTORY;
    return QINF_SUCCESS;
}

// Records the executable's full UTF-8 path for RTPathExecDir; process initialisation calls it
// once. QERR_FILENAME_TOO_LONG when it exceeds the record (4067 bytes); QERR_INVALID_PARAMETER
// for an empty path.
int rtPathSetExecPath(const char *pszPath);

// The record: filled once by process initialisation, read afterwards. External linkage only so
// that it can be a common symbol.
struct RTPATHEXECPATHREC {
    char szPath[4068];
    size_t cchPath; // 0 until recorded
    size_t cchDir;  // the directory part, without a trailing separator unless it is the root
    size_t offName;
};
extern RTPATHEXECPATHREC g_RtProcExecPath RT_BSS;
