// Unhandled exceptions: what the process does when a crash happens with nobody to handle it.
//
// Process initialisation installs the runtime's last-chance filter (Windows), which writes a
// post-mortem report (exception records, registers, a raw stack dump, the thread, the loaded
// modules and the stack words that point into them) to the release logger, or to the default
// logger if it exists, and then hands the exception on to the filter it replaced. Without any
// logger nothing is written; the exception is handed on all the same.
#pragma once

#include <qrt/types.h>

// For unattended runs: a crash ends the process at once instead of waiting for someone to
// dismiss the platform's crash dialog (Windows: SEM_NOGPFAULTERRORBOX is added to the process
// error mode, keeping the bits already set). Nothing elsewhere. Cannot fail.
void RTXcptSuppressCrashDialog(void);
