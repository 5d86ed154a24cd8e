// The monotonic clock, sleeping and yielding.
#pragma once

#include <qrt/types.h>

// Monotonic nanoseconds since an arbitrary start; never decreases within the process. Its
// resolution is the platform's (about 16 ms on some Windows hosts, where successive readings
// are often equal). Cannot fail.
uint64_t RTTimeNanoTS(void);
// RTTimeNanoTS() / 1000000.
uint64_t RTTimeMilliTS(void);

// Sleeps for at least about cMillies milliseconds (0: gives up the time slice). Always returns
// QINF_SUCCESS.
int RTThreadSleep(uint32_t cMillies);
// Gives up the rest of the time slice; true when another thread really ran meanwhile (as far as
// the platform lets us tell), false otherwise. Cannot fail.
bool RTThreadYield(void);
