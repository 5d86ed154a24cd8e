// The user-interface calls behind the message routines, in a table that tests may fill (and
// must put back). On Windows the entries call USER32's MessageBoxW, MessageBoxA and
// GetDesktopWindow, which are bound on first call, so a run that shows no box never binds them.
// Elsewhere they are a headless host's: there is no display, a box is not shown and returns
// -1 at once, and the desktop window is a fixed non-null handle.
#pragma once

#include <qrt/types.h>

// Message box styles: the single OK button (0) with one of the two icons.
#define QUILSTUB_MB_ICONERROR 0x10U
#define QUILSTUB_MB_ICONINFORMATION 0x40U

typedef struct StubBoxCalls {
    void *(*pfnGetDesktopWindow)(void);
    // The box's result, which the message routines do not use.
    int (*pfnMessageBoxW)(void *hwndOwner, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption, uint32_t fType);
    int (*pfnMessageBoxA)(void *hwndOwner, const char *pszText, const char *pszCaption, uint32_t fType);
} StubBoxCalls;

extern StubBoxCalls g_StubBoxCalls;
