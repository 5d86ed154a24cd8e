// USER32.DLL, bound on first call: a silent run never loads it for the stub.
#include "QuilStubLazy.h"

RTLAZY_RESOLVER(g_QuilStubLazyUser32, int, MessageBoxW,
                (QUILHWND hWnd, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fType),
                (hWnd, pwszText, pwszCaption, fType))
RTLAZY_RESOLVER(g_QuilStubLazyUser32, int, MessageBoxA,
                (QUILHWND hWnd, const char *pszText, const char *pszCaption, uint32_t fType),
                (hWnd, pszText, pszCaption, fType))
RTLAZY_RESOLVER(g_QuilStubLazyUser32, QUILHWND, GetDesktopWindow, (void), ())

QUILSTUBLAZYUSER32 g_QuilStubLazyUser32 = {
    RTLAZYLIB_INITIALIZER("USER32.DLL"),
    RTLAZY_RESOLVER_NAME(MessageBoxW),
    RTLAZY_RESOLVER_NAME(MessageBoxA),
    RTLAZY_RESOLVER_NAME(GetDesktopWindow),
};
