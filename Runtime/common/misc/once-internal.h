// Run-once and termination-list internals that tests look into.
#pragma once

#include <qrt/once.h>

// Called by the runner of RTOnce each time it has read the state and is about to try to
// finish from it; null except in tests, which use it to move the state under the runner's
// feet the way a racing waiter would.
extern void (*g_pfnRtOnceFinishHook)(PRTONCE pOnce, uint32_t uStateSeen);

// The number of records in the cleanup list, and of registered termination callbacks.
uint32_t rtOnceCleanupCount(void);
uint32_t rtTermCallbackCount(void);
