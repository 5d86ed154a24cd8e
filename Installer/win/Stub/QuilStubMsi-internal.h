// What the installation needs from the platform besides the Windows Installer's and the common
// controls' lazily bound slots: the system's texts for error codes. In a table that tests may
// fill (and must put back). On Windows the calls are FormatMessageW, LocalFree and netmsg.dll
// loaded as a data file from the system directory; elsewhere there are no texts.
#pragma once

#include <qrt/types.h>

// FormatMessageW flags: allocate, ignore inserts, from the system; with or without the module.
#define QUILSTUB_FORMAT_FROM_SYSTEM 0x1300U
#define QUILSTUB_FORMAT_FROM_MODULE 0x1B00U

typedef struct StubMsiCalls {
    // The network error texts' module, loaded as data by its full path; null when it is missing.
    void *(*pfnLoadNetMsg)(void);
    void (*pfnFreeModule)(void *hModule);
    // The text of uCode in the user's language, allocated into *ppwszText; returns its length
    // in UTF-16 units, 0 when there is none (*ppwszText then untouched).
    uint32_t (*pfnFormatMessage)(uint32_t fFlags, void *hModule, uint32_t uCode, RTUTF16 **ppwszText);
    void (*pfnFreeText)(RTUTF16 *pwszText);
} StubMsiCalls;

extern StubMsiCalls g_StubMsiCalls;

// Whether this run has started the Windows Installer log already, so that later packages
// append to it. Tests reset it.
extern bool g_fStubMsiLogStarted;
