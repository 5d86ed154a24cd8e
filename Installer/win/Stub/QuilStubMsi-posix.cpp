// The system's error texts where Windows is absent: there are none, so every failure is shown
// with its number.
#include "QuilStubMsi-internal.h"

namespace {

void *stubPosixLoadNetMsg(void) {
    return nullptr;
}

void stubPosixFreeModule(void *) {}

uint32_t stubPosixFormatMessage(uint32_t, void *, uint32_t, RTUTF16 **) {
    return 0;
}

void stubPosixFreeText(RTUTF16 *) {}

} // namespace

StubMsiCalls g_StubMsiCalls = {stubPosixLoadNetMsg, stubPosixFreeModule, stubPosixFormatMessage, stubPosixFreeText};
