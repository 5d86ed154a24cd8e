// Where diagnostics reach the loggers. The assertion layer (and anything else that reports to a
// logger before the logger exists) goes through this one hook; the logger replaces its body,
// not its callers.
#pragma once

#include <qrt/types.h>

typedef enum RTLOGHOOKTARGET {
    RTLOGHOOK_RELEASE, // the release logger, when one is installed
    RTLOGHOOK_DEFAULT, // the default logger, created on first use
} RTLOGHOOKTARGET;

// Formats into the target logger (without group, so no group filter applies) and flushes it.
// Returns false, writing nothing, when that logger does not exist (or cannot be created).
// Never changes the thread's error variables.
bool rtLogHookPrintfV(RTLOGHOOKTARGET enmTarget, const char *pszFormat, va_list va);
