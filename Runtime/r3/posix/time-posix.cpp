// The monotonic clock, sleeping and yielding over POSIX.
#include <qrt/err.h>
#include <qrt/time.h>

#include <errno.h>
#include <sched.h>
#include <time.h>

uint64_t RTTimeNanoTS(void) {
    struct timespec Ts;
    clock_gettime(CLOCK_MONOTONIC, &Ts);
    return (uint64_t)Ts.tv_sec * UINT64_C(1000000000) + (uint64_t)Ts.tv_nsec;
}

int RTThreadSleep(uint32_t cMillies) {
    if (cMillies == 0) {
        sched_yield();
        return QINF_SUCCESS;
    }
    struct timespec Ts = {(time_t)(cMillies / 1000), (long)(cMillies % 1000) * 1000000L};
    // A signal cuts the sleep short; sleep out the remainder it reports.
    while (nanosleep(&Ts, &Ts) != 0 && errno == EINTR) {
    }
    return QINF_SUCCESS;
}

bool RTThreadYield(void) {
    // There is no way to ask whether another thread ran; a yield that took more than a couple
    // of microseconds almost certainly let one run.
    uint64_t const uStart = RTTimeNanoTS();
    sched_yield();
    return RTTimeNanoTS() - uStart > 2000;
}
