// COMCTL32.DLL, bound on first call.
#include "QuilStubLazy.h"

RTLAZY_RESOLVER(g_QuilStubLazyComctl32, QUILBOOL, InitCommonControlsEx,
                (const struct tagINITCOMMONCONTROLSEX *pInitCtrls), (pInitCtrls))

QUILSTUBLAZYCOMCTL32 g_QuilStubLazyComctl32 = {
    RTLAZYLIB_INITIALIZER("COMCTL32.DLL"),
    RTLAZY_RESOLVER_NAME(InitCommonControlsEx),
};
