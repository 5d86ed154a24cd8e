// The six routines through which the stub shows every failure and notice.
//
// Channel: ReportFailure, ReportSyntaxFailure and ReportNotice show a message box owned by the
// desktop window (title QUILSTUB_TITLE) unless silentMode is set at the moment of the call;
// in silent mode failures go to standard error through RTMsgError (each line prefixed with the
// program name and "error: ") and notices to standard output with one final line feed. The
// ErrorToStderr routines always write "error: <text>\n" to standard error, without the program
// name: detail for whoever investigates a failure, also in an interactive run.
//
// Formats are the runtime formatting engine's ("%Rrc", "%RTbool", "%N" ...). A text that
// cannot be formatted (memory ran out, or it is empty) is dropped; the routine still returns
// its fixed result, so the run's outcome never depends on a message. No routine changes the
// caller's saved platform error values (last error, errno). Boxes are modal: the call returns
// when the user has closed the box.
//
// Callers return these results directly: a stage fails with exit code 1 by returning what
// ReportFailure returned.
#pragma once

#include <qrt/types.h>

// A failure: box with the error icon, or RTMsgError. Returns 1 (QUILSTUB_EXIT_FAILURE).
int ReportFailure(const char *pszFormat, ...);
int ReportFailureV(const char *pszFormat, va_list va);
// A command-line error, shown as ReportFailure shows it. Returns 2 (QUILSTUB_EXIT_SYNTAX_ERROR).
int ReportSyntaxFailure(const char *pszFormat, ...);
// A notice: box with the information icon, or the text and "\n" on standard output.
void ReportNotice(const char *pszFormat, ...);
// "error: <text>\n" on standard error.
void ErrorToStderr(const char *pszFormat, ...);
// As ErrorToStderr; returns rc unchanged, so a routine can pass a status up in one statement.
int ErrorToStderrRc(int rc, const char *pszFormat, ...);
// As ErrorToStderr; returns 1 (QUILSTUB_EXIT_FAILURE).
int ErrorToStderrFail(const char *pszFormat, ...);
