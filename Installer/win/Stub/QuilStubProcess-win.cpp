// The single-instance mutex and the verbose run's console on Windows.
#include "QuilStubProcess-internal.h"

#include <io.h>
#include <stdio.h>

#include <windows.h>

namespace {

void *stubWinCreateInstanceMutex(bool *pfExisted) {
    SetLastError(0);
    HANDLE hMutex = CreateMutexA(NULL, FALSE, QUILSTUB_MUTEX_NAME);
    *pfExisted = hMutex && GetLastError() == ERROR_ALREADY_EXISTS;
    return hMutex;
}

void stubWinCloseInstanceMutex(void *hMutex) {
    CloseHandle((HANDLE)hMutex);
}

uint32_t stubWinOpenConsole(void) {
    // Decided before the console exists: it may become the process's standard handles.
    bool const fKeepOut = StubStreamHasDestination(stdout);
    bool const fKeepErr = StubStreamHasDestination(stderr);
    if (!AllocConsole()) return GetLastError();
    // Read access too: the console mode query needs it, and without the mode the streams would
    // write through the code page instead of the console's UTF-16.
    if (!fKeepOut && freopen("CONOUT$", "w+", stdout)) setvbuf(stdout, NULL, _IONBF, 0);
    if (!fKeepErr) freopen("CONOUT$", "w+", stderr);
    return 0;
}

void stubWinCloseConsole(void) {
    FreeConsole();
}

} // namespace

// A GUI program started without redirection has no handle behind its streams.
bool StubStreamHasDestination(FILE *pFile) {
    int const fd = _fileno(pFile);
    if (fd < 0) return false;
    HANDLE const hNative = (HANDLE)_get_osfhandle(fd);
    if (hNative == INVALID_HANDLE_VALUE || !hNative) return false;
    return GetFileType(hNative) != FILE_TYPE_UNKNOWN;
}

StubProcessCalls g_StubProcessCalls = {stubWinCreateInstanceMutex, stubWinCloseInstanceMutex, stubWinOpenConsole,
                                       stubWinCloseConsole};
