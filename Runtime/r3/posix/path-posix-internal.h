// The POSIX path backend's native form and its current-directory test hook.
#pragma once

#include <qrt/types.h>

// The native form of a UTF-8 path: a new copy with every '\' turned into '/' (the host style
// inserts backslashes). Free with RTStrFree. QERR_NO_STR_MEMORY on allocation failure.
int rtPathPosixToNative(char **ppszNative, const char *pszPath);

// Test hook: while pszCwd is not null, RTPathGetCurrent reports it instead of the real current
// directory (so the DOS-form cases run on this host too), and RTPathGetCurrentOnDrive reports
// the entry set for a drive with rtPathPosixTestSetDriveCurrent, else pszCwd when it is on that
// drive, else 'X:\'. The strings are not copied: they must outlive their use. Null restores the
// real queries and clears the drive table.
void rtPathPosixTestSetCurrent(const char *pszCwd);
void rtPathPosixTestSetDriveCurrent(char chDrive, const char *pszCwd);
