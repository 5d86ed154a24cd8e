// The message boxes on Windows: USER32's calls through its lazy binding table, so that a run
// that shows no box never binds them.
#include "QuilStubMessages-internal.h"
#include "QuilStubLazy.h"

namespace {

void *stubWinGetDesktopWindow(void) {
    return g_QuilStubLazyUser32.pfnGetDesktopWindow();
}

int stubWinMessageBoxW(void *hwndOwner, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fType) {
    return g_QuilStubLazyUser32.pfnMessageBoxW(static_cast<QUILHWND>(hwndOwner), pwszText, pwszCaption, fType);
}

int stubWinMessageBoxA(void *hwndOwner, const char *pszText, const char *pszCaption, uint32_t fType) {
    return g_QuilStubLazyUser32.pfnMessageBoxA(static_cast<QUILHWND>(hwndOwner), pszText, pszCaption, fType);
}

} // namespace

StubBoxCalls g_StubBoxCalls = {stubWinGetDesktopWindow, stubWinMessageBoxW, stubWinMessageBoxA};
