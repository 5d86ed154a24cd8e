// What the shared event-semaphore waits need from each platform's manual-reset event.
#pragma once

#include <qrt/semaphore.h>

// True when the handle is plausible and carries the live magic.
bool rtSemEventMultiIsValid(RTSEMEVENTMULTI hEventMultiSem);
// One platform wait of at most cMillies (RT_INDEFINITE_WAIT: none), alertable where the
// platform has alerts. Success, QERR_TIMEOUT, QERR_INTERRUPTED, QERR_SEM_OWNER_DIED,
// QERR_SEM_DESTROYED, QERR_INVALID_HANDLE or a converted platform error. No thread bookkeeping.
int rtSemEventMultiWaitOne(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies);

// A nanosecond timeout in milliseconds, rounded half up; values so large that rounding would
// overflow give the largest millisecond count (18446744073709).
uint64_t rtSemWaitNanoToMilli(uint64_t cNanos);
// Whether a wait flags word is one RTSemEventMultiWaitEx accepts.
bool rtSemWaitFlagsAreValid(uint32_t fFlags);
