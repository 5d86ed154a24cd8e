// The event object behind both kinds of event semaphore on POSIX systems: a flag guarded by a
// mutex, with a condition variable on the monotonic clock. There are no alerts here, so a wait
// is never interrupted.
#pragma once

#include <qrt/types.h>

#include <pthread.h>

// The record behind RTSEMEVENT and RTSEMEVENTMULTI; the magic tells the kinds apart.
typedef struct RTSEMPOSIXEVENT {
    volatile uint32_t u32Magic;
    uint32_t fFlags;
    bool fManualReset;
    bool fSignalled;
    uint32_t uGeneration; // bumped by every signal, so a manual-reset signal releases every
                          // waiter even when a reset follows at once
    uint32_t cWaiters;    // the last waiter out of a destroyed event frees it
    pthread_mutex_t Mtx;
    pthread_cond_t Cond;
} RTSEMPOSIXEVENT;

// The record behind a handle when it is plausible and carries u32Magic, else null.
RTSEMPOSIXEVENT *rtSemPosixEventValid(void *hEvent, uint32_t u32Magic);
// Creates an unsignalled event record (pszTag null: untagged allocation).
int rtSemPosixEventCreate(RTSEMPOSIXEVENT **ppThis, bool fManualReset, uint32_t u32Magic, uint32_t fFlags,
                          const char *pszTag);
// Marks the record dead (only one destroyer wins) and wakes every waiter; each returns
// QERR_SEM_DESTROYED and the last one frees the record.
int rtSemPosixEventDestroy(void *hEvent, uint32_t u32Magic, uint32_t u32MagicDead);
int rtSemPosixEventSignal(void *hEvent, uint32_t u32Magic);
int rtSemPosixEventReset(void *hEvent, uint32_t u32Magic);
// One wait: success (an auto-reset event is reset again), QERR_TIMEOUT or QERR_SEM_DESTROYED.
int rtSemPosixEventWait(void *hEvent, uint32_t u32Magic, uint32_t cMillies);
