// The stream record and the platform hooks of the standard streams.
#pragma once

#include <stdio.h>

#include <qrt/stream.h>
#include <qrt/critsect.h>

#define RTSTREAM_MAGIC 0xE44E44EEU

struct RTSTREAM {
    uint32_t u32Magic;              // RTSTREAM_MAGIC
    volatile int32_t i32Error;      // 0, or the first failure status
    FILE *volatile pFile;           // the underlying stream; null until first use for the standard ones
    bool fCurrentCodeSet;           // text to a non-console is converted to the process's code page
    bool fBinary;                   // no conversion at all
    bool fRecheckMode;              // the descriptor's mode is checked before the next write
    PRTCRITSECT volatile pCritSect; // created on first formatted write
    int8_t iStdHandle;              // 0, 1, 2: the standard stream pFile is resolved from; -1: none
};

// Sets up a record over pFile as the standard ones are (status 0, code-page conversion on,
// text mode, mode to be checked, no lock yet). For streams of the runtime's own and tests.
void rtStrmInitFile(RTSTREAM *pStrm, FILE *pFile);
// Deletes the record's lock, if it has one. The file is the caller's.
void rtStrmTerm(RTSTREAM *pStrm);

// What the streams need from the platform. Tests may swap entries (and must put them back).
typedef struct RTSTRMPLATFORM {
    // The console behind pFile when its descriptor is a terminal and the console mode query
    // succeeds for it, else null.
    void *(*pfnQueryConsole)(FILE *pFile);
    // Writes cwc UTF-16 units to the console; *pcwcWritten receives the units written. Returns
    // a status code (a platform failure converted).
    int (*pfnWriteConsole)(void *hConsole, const RTUTF16 *pwc, size_t cwc, size_t *pcwcWritten);
    // Puts the descriptor of pFile in binary mode when fBinary is set, else in text mode; when
    // it was in the other mode, puts that back. Returns whether the descriptor is in binary
    // mode afterwards (fBinary where the platform has no such modes).
    bool (*pfnCheckMode)(FILE *pFile, bool fBinary);
} RTSTRMPLATFORM;

extern RTSTRMPLATFORM g_rtStrmPlatform;
