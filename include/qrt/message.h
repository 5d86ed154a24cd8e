// Program messages: each line of a formatted text, prefixed with the program's name and the
// kind of message, on a standard stream.
//
// The program name is the file-name part of the executable's path (e.g. "QuilStub.exe"). A
// message is formatted once into memory and written line by line as "<name>: <kind><line>\n";
// an empty line is written as a bare "\n", a line ending in CR LF loses the CR, and a text
// ending in "\n" gets no extra empty line. A format that is empty or exactly "\n" writes only
// "\n". If memory for the text runs out, the prefix is written once and the text is formatted
// straight into the stream. Output failures are the stream's (they stick there) and are not
// reported here.
#pragma once

#include <qrt/types.h>

// "error: " messages on g_pStdErr. Returns 0.
int RTMsgError(const char *pszFormat, ...);
int RTMsgErrorV(const char *pszFormat, va_list va);
// "info: " messages on g_pStdOut. Returns 0.
int RTMsgInfo(const char *pszFormat, ...);
int RTMsgInfoV(const char *pszFormat, va_list va);
// Reports a failed runtime initialisation on g_pStdErr: "<name>: fatal error: RTR3Init: %Rrc\n"
// when the executable's name is known, else "fatal error: RTR3Init: %Rrc\n". Returns 3, the
// exit code for a program that failed to start.
int RTMsgInitFailure(int rcRTR3Init);
