// NT path names: the counted UTF-16 form the NT calls take, and opening by it.
#pragma once

#include <qrt/types.h>

#include "r3/nt/nt-internal.h"

// Converts a UTF-8 path to its NT name in *pNtName (a new buffer, terminated after the counted
// length; free with rtNtPathFree). '\\?\' names (written with backslashes) and pass-through
// names ('\\:qurtnt:\...', any separators) are taken as they stand. Every other path is made
// absolute the way Windows itself resolves it: a path short enough to reach Win32 as it is
// goes through GetFullPathNameW (so trailing dots and spaces, device names and forward-slash
// prefixes come out as Win32 opens them), a longer one through RTPathAbsEx, whose result the
// long native form then passes verbatim. The prefix is chosen from that absolute path.
// Returns QINF_SUCCESS; QERR_FILENAME_TOO_LONG above 32766 units; QERR_INVALID_NAME when Win32
// cannot resolve the path; QERR_NO_TMP_MEMORY; a conversion or resolution failure. On
// failure *pNtName is empty (nothing to free).
int rtNtPathFromUtf8(UNICODE_STRING *pNtName, const char *pszPath);
// Frees an NT name from rtNtPathFromUtf8 and empties it; an empty one is ignored.
void rtNtPathFree(UNICODE_STRING *pNtName);

// Opens pszPath (converted to its NT name) with NtCreateFile: disposition FILE_OPEN,
// FILE_ATTRIBUTE_NORMAL, no extended attributes. A name that Windows rejects with
// STATUS_INVALID_PARAMETER is retried once with a trailing '\'. When pfObjDir is given and the
// path is a pass-through name, an object-manager directory is opened instead of a file
// (NtOpenDirectoryObject) and *pfObjDir says so. On failure *phHandle is INVALID_HANDLE_VALUE
// and the NT status is returned converted. The caller closes the handle with NtClose.
int rtNtPathOpen(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                 ULONG fObjAttribs, HANDLE *phHandle, bool *pfObjDir);
// As rtNtPathOpen for a name relative to the directory handle hRootDir (no object directories).
int rtNtPathOpenRelative(HANDLE hRootDir, UNICODE_STRING *pName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                         ULONG fCreateOptions, ULONG fObjAttribs, HANDLE *phHandle);

// Modes the object-namespace lookup reports (type, permissions and Windows attributes).
#define RTNT_OBJNS_MODE_DIRECTORY 0x001041FFU // directory attribute, directory type, 0777
#define RTNT_OBJNS_MODE_SYMLINK 0x0400A1FFU   // reparse-point attribute, symbolic-link type, 0777
#define RTNT_OBJNS_MODE_DEVICE 0x004021B6U    // device attribute, character-device type, 0666
#define RTNT_OBJNS_MODE_OTHER 0x008081B6U     // normal attribute, regular-file type, 0666

// Looks up an NT name (not a file: a device, symbolic link or directory of the object manager)
// by listing its parent object directory; '\' alone is the namespace root. The last component
// must match an entry's name byte for byte. *pfMode receives the entry's mode. Returns
// QINF_SUCCESS; QERR_FILE_NOT_FOUND when the listing ends without a match; the parent's open
// or listing failure converted. Every handle it opens is closed before it returns.
int rtNtPathObjNamespaceLookup(const UNICODE_STRING *pNtName, uint32_t *pfMode);
