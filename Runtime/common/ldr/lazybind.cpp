// Binding lazily bound functions: the library's record on first use, each symbol into its
// slot, and the end of the process when either cannot be had.
#include <qrt/assert.h>
#include <qrt/err.h>
#include <qrt/lazybind.h>

#include "common/ldr/lazybind-internal.h"

RTLAZYLDRCALLS g_rtLazyLdrCalls = {RTLdrLoadSystem, RTLdrGetSymbol};

RTLDRMOD RTLazyLibGetModule(RTLAZYLIB *pLib) {
    RTLDRMOD hLdrMod = __atomic_load_n(&pLib->hLdrMod, __ATOMIC_ACQUIRE);
    if (hLdrMod != NIL_RTLDRMOD) return hLdrMod;
    // No lock: two threads binding at once would both load the library (the second load only
    // counts up the platform's reference) and store equally good records.
    int rc = g_rtLazyLdrCalls.pfnLoadSystem(pLib->pszFilename, true /*fNoUnload*/, &hLdrMod);
    if (RT_FAILURE(rc)) RTAssertFatalMsg2("Lazy loader failed to load \"%s\": %Rrc\n", pLib->pszFilename, rc);
    __atomic_store_n(&pLib->hLdrMod, hLdrMod, __ATOMIC_RELEASE);
    return hLdrMod;
}

void RTLazyLibResolve(RTLAZYLIB *pLib, void *volatile *ppvSlot, const char *pszSymbol) {
    RTLDRMOD hLdrMod = RTLazyLibGetModule(pLib);
    void *pvValue = NULL;
    int rc = g_rtLazyLdrCalls.pfnGetSymbol(hLdrMod, pszSymbol, &pvValue);
    if (RT_FAILURE(rc))
        RTAssertFatalMsg2("Lazy loader failed to resolve symbol \"%s\" in \"%s\": %Rrc\n", pszSymbol, pLib->pszFilename,
                          rc);
    __atomic_store_n(ppvSlot, pvValue, __ATOMIC_RELEASE);
}
