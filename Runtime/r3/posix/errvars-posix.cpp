// The thread's error variables on POSIX systems: only errno exists; the Windows ones are saved
// as 0 and "sockets not initialised".
#include <errno.h>

#include <qrt/assert.h>

PRTERRVARS RTErrVarsSave(PRTERRVARS pVars) {
    pVars->ai32Vars[0] = RTERRVARS_MAGIC;
    pVars->ai32Vars[1] = 0;
    pVars->ai32Vars[2] = RTERRVARS_WSA_NOT_INITIALISED;
    pVars->ai32Vars[3] = errno;
    return pVars;
}

void RTErrVarsRestore(PCRTERRVARS pVars) {
    if (pVars->ai32Vars[0] == RTERRVARS_MAGIC) errno = pVars->ai32Vars[3];
}
