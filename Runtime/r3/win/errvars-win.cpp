// The thread's error variables on Windows: the last error, the Windows Sockets error and errno.
#include <errno.h>

#include <qrt/assert.h>

#include "r3/win/init-win-internal.h"

#include <windows.h>

PRTERRVARS RTErrVarsSave(PRTERRVARS pVars) {
    int const iErrno = errno;
    DWORD const dwLastError = GetLastError();
    // The accessors process initialisation bound; before it (or without a sockets library) the
    // sockets error counts as "not initialised".
    PFNWSAGETLASTERROR pfnGet = g_pfnrtR3WinWSAGetLastError;
    pVars->ai32Vars[0] = RTERRVARS_MAGIC;
    pVars->ai32Vars[1] = (int32_t)dwLastError;
    pVars->ai32Vars[2] = pfnGet ? pfnGet() : RTERRVARS_WSA_NOT_INITIALISED;
    pVars->ai32Vars[3] = iErrno;
    SetLastError(dwLastError);
    errno = iErrno;
    return pVars;
}

void RTErrVarsRestore(PCRTERRVARS pVars) {
    if (pVars->ai32Vars[0] != RTERRVARS_MAGIC) return;
    errno = pVars->ai32Vars[3];
    if (pVars->ai32Vars[2] != RTERRVARS_WSA_NOT_INITIALISED) {
        PFNWSASETLASTERROR pfnSet = g_pfnrtR3WinWSASetLastError;
        if (pfnSet) pfnSet(pVars->ai32Vars[2]);
    }
    SetLastError((DWORD)pVars->ai32Vars[1]);
}
