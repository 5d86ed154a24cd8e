// The thread's error variables on Windows: the last error, the Windows Sockets error and errno.
#include <errno.h>

#include <qrt/assert.h>

#include <windows.h>

typedef int(WINAPI *PFNWSAGETLASTERROR)(void);
typedef void(WINAPI *PFNWSASETLASTERROR)(int);

// An entry of the sockets library when the process already has it loaded; it is never loaded
// for this (loading a library is far too much for an error report).
static FARPROC rtErrVarsWsaEntry(const char *pszName) {
    HMODULE hmod = GetModuleHandleW(L"ws2_32.dll");
    if (!hmod) hmod = GetModuleHandleW(L"wsock32.dll");
    return hmod ? GetProcAddress(hmod, pszName) : NULL;
}

PRTERRVARS RTErrVarsSave(PRTERRVARS pVars) {
    int const iErrno = errno;
    DWORD const dwLastError = GetLastError();
    PFNWSAGETLASTERROR pfnGet = (PFNWSAGETLASTERROR)(void *)rtErrVarsWsaEntry("WSAGetLastError");
    // The lookup may have changed the last error, which the sockets error can be an alias of.
    SetLastError(dwLastError);
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
        PFNWSASETLASTERROR pfnSet = (PFNWSASETLASTERROR)(void *)rtErrVarsWsaEntry("WSASetLastError");
        if (pfnSet) pfnSet(pVars->ai32Vars[2]);
    }
    SetLastError((DWORD)pVars->ai32Vars[1]);
}
