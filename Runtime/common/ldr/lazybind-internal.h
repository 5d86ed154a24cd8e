// The loader calls of the lazy binding, through a table that tests replace to count them (a
// bound function must not consult the loader again) and put back.
#pragma once

#include <qrt/ldr.h>

typedef struct RTLAZYLDRCALLS {
    int (*pfnLoadSystem)(const char *pszFilename, bool fNoUnload, PRTLDRMOD phLdrMod);
    int (*pfnGetSymbol)(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue);
} RTLAZYLDRCALLS;

extern RTLAZYLDRCALLS g_rtLazyLdrCalls;
