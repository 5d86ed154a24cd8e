// Process initialisation: the first call of every program built on the runtime.
//
// RTR3InitExe prepares the runtime for the process and turns the command line into UTF-8
// arguments for the option parser. On Windows it also hardens the process against library
// planting: the default library search is narrowed to the system directory before any system
// library loads, so that not even the imports of the libraries the program binds later can be
// picked up from the program's own directory or the current one.
//
// Nothing of the runtime but RTMsgInitFailure may be relied on before it succeeded. A program
// whose initialisation fails prints RTMsgInitFailure(rc) and exits with its result (3).
#pragma once

#include <qrt/types.h>

// Unobtrusive: skip the hardening (error mode, library search, exception filter).
#define RTR3INIT_FLAGS_UNOBTRUSIVE 0x4U
// The caller's arguments are already UTF-8: the vector is used as it is.
#define RTR3INIT_FLAGS_UTF8_ARGV 0x8U
// Search the system directory alone for libraries (and their imports), on every Windows
// version that offers the setting. The installer stub passes this.
#define RTR3INIT_FLAGS_SYSTEM32_ONLY 0x10U

// Initialises the runtime for the process. *pcArgs and *ppapszArgs are the program's argument
// count and vector as main() received them (pcArgs may be null, or point at 0, for no
// arguments). On success they are replaced by a null-terminated vector of UTF-8 strings and its
// exact count, both living until the process ends: on Windows, when the vector is the C
// library's own, both come from the platform's split of the wide command line, so no argument
// is lost to the ANSI code page or to the two splitters disagreeing; otherwise each argument is
// converted from the ANSI code page. No entry below the count is ever null.
// A repeated call succeeds at once when it passes the converted count and vector of the first
// (QERR_WRONG_ORDER for any other vector), and runs the hardening a first unobtrusive call
// skipped.
// Failures: QERR_INTERNAL_ERROR_2 (kernel32 or ntdll not found), QERR_INTERNAL_ERROR_3 or _4
// (the library search could not be restricted), the thread registry's status, the executable
// path's status (QERR_BUFFER_OVERFLOW for a path of 4068 bytes or more), QERR_NO_MEMORY or a
// conversion status for the arguments. After a failure the arguments are untouched and the call
// may be retried.
int RTR3InitExe(int *pcArgs, char ***ppapszArgs, uint32_t fFlags);

// The executable's full UTF-8 path, from the record initialisation fills (filled on first use
// when initialisation has not run). Empty when it could not be learnt. Never null.
const char *RTProcExecutablePath(void);
// The file-name part of that path (e.g. "QuilStub.exe"). Never null.
const char *RTProcShortName(void);
