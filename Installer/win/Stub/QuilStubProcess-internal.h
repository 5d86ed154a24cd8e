// The process-level platform calls of the run sequence: the single-instance mutex and the
// console of a verbose run. In a table that tests may fill (and must put back). Elsewhere than
// on Windows the mutex is a flag of the process and there is no console.
#pragma once

#include <qrt/types.h>

#include <stdio.h>

// The single-instance mutex's name (no namespace prefix).
#define QUILSTUB_MUTEX_NAME "QuilStubInstaller"

typedef struct StubProcessCalls {
    // Creates or opens the named mutex, not owned: its handle, or null (the run then goes on
    // unguarded). *pfExisted tells whether another holder had created it first.
    void *(*pfnCreateInstanceMutex)(bool *pfExisted);
    void (*pfnCloseInstanceMutex)(void *hMutex);
    // Opens a console for the process: 0, or the platform's last error. Then points standard
    // output (unbuffered) and standard error at it, each only when the caller gave it no
    // destination of its own: a redirected stream stays where it is.
    uint32_t (*pfnOpenConsole)(void);
    void (*pfnCloseConsole)(void);
} StubProcessCalls;

extern StubProcessCalls g_StubProcessCalls;

// Whether the C library's stream pFile already has somewhere to go (a file, pipe or device the
// caller handed over); such a stream is not pointed at a new console.
bool StubStreamHasDestination(FILE *pFile);
