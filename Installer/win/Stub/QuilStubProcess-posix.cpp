// The single-instance guard and the console where Windows is absent: the guard is a count in
// this process (enough for tests of one process), and the console call opens nothing.
#include "QuilStubProcess-internal.h"

namespace {

unsigned g_cInstanceHolders;

void *stubPosixCreateInstanceMutex(bool *pfExisted) {
    *pfExisted = g_cInstanceHolders++ > 0;
    return &g_cInstanceHolders;
}

void stubPosixCloseInstanceMutex(void *) {
    g_cInstanceHolders--;
}

uint32_t stubPosixOpenConsole(void) {
    return 0;
}

void stubPosixCloseConsole(void) {}

} // namespace

// Every stream of a process here has its descriptor from the start.
bool StubStreamHasDestination(FILE *) {
    return true;
}

StubProcessCalls g_StubProcessCalls = {stubPosixCreateInstanceMutex, stubPosixCloseInstanceMutex, stubPosixOpenConsole,
                                       stubPosixCloseConsole};
