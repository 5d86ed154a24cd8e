// The message boxes on Windows: USER32's own calls.
#include "QuilStubMessages-internal.h"

#include <windows.h>

namespace {

void *stubWinGetDesktopWindow(void) {
    return GetDesktopWindow();
}

int stubWinMessageBoxW(void *hwndOwner, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fType) {
    return MessageBoxW((HWND)hwndOwner, (LPCWSTR)pwszText, (LPCWSTR)pwszCaption, fType);
}

int stubWinMessageBoxA(void *hwndOwner, const char *pszText, const char *pszCaption, uint32_t fType) {
    return MessageBoxA((HWND)hwndOwner, pszText, pszCaption, fType);
}

} // namespace

StubBoxCalls g_StubBoxCalls = {stubWinGetDesktopWindow, stubWinMessageBoxW, stubWinMessageBoxA};
