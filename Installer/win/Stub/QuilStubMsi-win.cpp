// The system's error texts on Windows: FormatMessageW, and netmsg.dll for network errors,
// loaded as data by its full path from the system directory, never by its bare name.
#include "QuilStubMsi-internal.h"

#include <windows.h>

namespace {

void *stubWinLoadNetMsg(void) {
    static const WCHAR s_wszName[] = L"\\netmsg.dll";
    WCHAR wszPath[MAX_PATH + 16];
    UINT const cwcDir = GetSystemDirectoryW(wszPath, MAX_PATH);
    if (!cwcDir || cwcDir >= MAX_PATH) return NULL;
    memcpy(&wszPath[cwcDir], s_wszName, sizeof(s_wszName));
    return LoadLibraryExW(wszPath, NULL, LOAD_LIBRARY_AS_DATAFILE);
}

void stubWinFreeModule(void *hModule) {
    FreeLibrary((HMODULE)hModule);
}

uint32_t stubWinFormatMessage(uint32_t fFlags, void *hModule, uint32_t uCode, RTUTF16 **ppwszText) {
    WCHAR *pwszText = NULL;
    DWORD const cwc =
        FormatMessageW(fFlags, hModule, uCode, 0x400 /* the user's default language */, (LPWSTR)&pwszText, 0, NULL);
    if (cwc) *ppwszText = (RTUTF16 *)pwszText;
    return cwc;
}

void stubWinFreeText(RTUTF16 *pwszText) {
    LocalFree(pwszText);
}

} // namespace

StubMsiCalls g_StubMsiCalls = {stubWinLoadNetMsg, stubWinFreeModule, stubWinFormatMessage, stubWinFreeText};
