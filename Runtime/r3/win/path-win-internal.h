// Native (Win32 wide) path forms.
#pragma once

#include <qrt/types.h>

// Converts a UTF-8 path to the form the Win32 file calls take (a new string; free with
// RTUtf16Free). A path that fits Win32's classic limits goes unchanged (a drive-relative one
// expanded by GetFullPathNameW); a longer one becomes its '\\?\' form, built from the NT name,
// so both forms always name the same object. QERR_FILENAME_TOO_LONG when a long path has no
// such form (a pass-through NT name); conversion failures as rtNtPathFromUtf8. On failure
// *ppwszNative is null.
int rtPathWinToNative(RTUTF16 **ppwszNative, const char *pszPath);
// The short form of pszPath in *ppwszShort (a new string) when Win32 takes it as it stands;
// null when the path needs the long form. Conversion failures are returned.
int rtPathWinShortForm(RTUTF16 **ppwszShort, const char *pszPath);
