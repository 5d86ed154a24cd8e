// MSI.DLL, bound on first call.
#include "QuilStubLazy.h"

RTLAZY_RESOLVER(g_QuilStubLazyMsi, uint32_t, MsiInstallProductW,
                (const RTUTF16 *pwszPackagePath, const RTUTF16 *pwszCommandLine), (pwszPackagePath, pwszCommandLine))
RTLAZY_RESOLVER(g_QuilStubLazyMsi, uint32_t, MsiEnableLogW,
                (uint32_t fLogMode, const RTUTF16 *pwszLogFile, uint32_t fLogAttributes),
                (fLogMode, pwszLogFile, fLogAttributes))
RTLAZY_RESOLVER(g_QuilStubLazyMsi, QUILINSTALLUILEVEL, MsiSetInternalUI,
                (QUILINSTALLUILEVEL enmUILevel, QUILHWND *phWnd), (enmUILevel, phWnd))

QUILSTUBLAZYMSI g_QuilStubLazyMsi = {
    RTLAZYLIB_INITIALIZER("MSI.DLL"),
    RTLAZY_RESOLVER_NAME(MsiInstallProductW),
    RTLAZY_RESOLVER_NAME(MsiEnableLogW),
    RTLAZY_RESOLVER_NAME(MsiSetInternalUI),
};
