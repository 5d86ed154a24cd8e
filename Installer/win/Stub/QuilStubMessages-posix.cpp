// The message boxes of a host without a display: nothing is shown and every box returns at
// once with -1, as under a headless Wine. Tests record the calls by filling the table.
#include "QuilStubMessages-internal.h"

namespace {

// Any non-null value: callers only pass it on as the owner.
char g_chDesktopWindow;

void *stubPosixGetDesktopWindow(void) {
    return &g_chDesktopWindow;
}

int stubPosixMessageBoxW(void *, const RTUTF16 *, const RTUTF16 *, uint32_t) {
    return -1;
}

int stubPosixMessageBoxA(void *, const char *, const char *, uint32_t) {
    return -1;
}

} // namespace

StubBoxCalls g_StubBoxCalls = {stubPosixGetDesktopWindow, stubPosixMessageBoxW, stubPosixMessageBoxA};
