// The POSIX loader's system directory: where RTLdrLoadSystem looks for "system libraries" on a
// host that has none of the Windows ones. Tests point it at a directory of their own test
// objects (named like the Windows libraries, e.g. "MSI.DLL").
#pragma once

// Sets the directory (an absolute path, copied; at most 4095 bytes); false when it does not fit.
// Null restores the default, "/usr/lib".
bool rtldrPosixSetSystemDir(const char *pszDir);
// The directory in use.
const char *rtldrPosixGetSystemDir(void);
