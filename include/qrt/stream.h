// The standard streams: formatted and raw output through stream records of the runtime's own.
//
// A stream record serialises whole formatted writes with a lock of its own and keeps its first
// failure: once a write (or flush) has failed, the status sticks, formatted writes return -1
// and write nothing, and RTStrmWrite and RTStrmFlush return the stored status. This holds for
// conversion failures too: invalid UTF-8, or memory running out while converting, silences the
// stream for good, whether it is a console or a file.
//
// What reaches the other side: a console gets UTF-16 through the console API; a file or pipe
// gets bytes, text converted to the process's code page (characters the code page lacks follow
// the platform's substitution, "?" on Windows; where the code set is UTF-8 the text is copied
// after validation). Binary streams and writes not flagged as text get the bytes unchanged.
#pragma once

#include <qrt/types.h>

// A stream record. Opaque to callers.
typedef struct RTSTREAM RTSTREAM;
typedef RTSTREAM *PRTSTREAM;

// The process's standard input, output and error streams. They exist from program start to
// exit and are usable at any time, also from static constructors.
extern PRTSTREAM g_pStdIn;
extern PRTSTREAM g_pStdOut;
extern PRTSTREAM g_pStdErr;

// Formats straight into the stream under its lock. Returns the number of characters the
// format produced (also when writing them failed on the way; the failure sticks); -1, writing
// nothing, when the stream's status is already a failure; QERR_INVALID_PARAMETER when pStrm is
// implausible or not a stream record. A nested formatted write to the same stream from inside
// the formatting (a format callback) goes ahead without the lock.
int RTStrmPrintf(PRTSTREAM pStrm, const char *pszFormat, ...);
int RTStrmPrintfV(PRTSTREAM pStrm, const char *pszFormat, va_list args);
// RTStrmPrintfV on g_pStdOut.
int RTPrintf(const char *pszFormat, ...);

// Writes cbToWrite bytes. fSureIsText marks UTF-8 text (converted for a console or the code
// page); otherwise the bytes go out unchanged. pcbWritten (optional) receives the bytes
// consumed: all of them on success; what was written when a console took part of the text.
// Returns a status code: the stored failure when there is one; QERR_WRITE_ERROR when fewer
// bytes were written than given; QERR_INVALID_PARAMETER for a bad record. Failures stick.
int RTStrmWrite(PRTSTREAM pStrm, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten, bool fSureIsText);
// Flushes what the standard I/O layer buffered for the stream. Returns the stored failure when
// there is one, else the converted errno of a failed flush (which then sticks), else success.
int RTStrmFlush(PRTSTREAM pStrm);
