// Event semaphores (auto-reset and manual-reset), the read/write semaphore, and the spin and
// fast mutexes.
//
// Every object begins with a magic value that each call checks: a handle that is implausible
// (within 4 KiB of address zero) or whose magic does not match gives QERR_INVALID_HANDLE.
// Destruction replaces the magic before anything is freed, so late callers fail cleanly.
// All waits are alertable where the platform has alerts (Windows: an I/O completion routine or
// APC run during the wait); elsewhere a wait is never interrupted. Waits do the thread
// bookkeeping of qrt/thread.h.
#pragma once

#include <qrt/types.h>

// A timeout of all ones: wait without limit.
#define RT_INDEFINITE_WAIT UINT32_MAX

//
// Auto-reset events: a signal releases one waiter (or the next one to wait) and resets.
//
typedef struct RTSEMEVENTINTERNAL *RTSEMEVENT;
#define NIL_RTSEMEVENT ((RTSEMEVENT)0)

// Creation flags, bits. NO_LOCK_VAL has no effect here; BOOTSTRAP_HACK allocates the event
// without a source tag (for the locks the memory layer itself may need).
#define RTSEMEVENT_FLAGS_NO_LOCK_VAL 0x1U
#define RTSEMEVENT_FLAGS_BOOTSTRAP_HACK 0x4U

// Creates an unsignalled event in *phEventSem. Other flags: QERR_INVALID_PARAMETER; out of
// memory: QERR_NO_MEMORY; a platform failure is converted. On failure *phEventSem is nil.
int RTSemEventCreate(RTSEMEVENT *phEventSem, uint32_t fFlags);
// Destroys the event; NIL_RTSEMEVENT is success. Wrong magic, or another thread destroying it at
// the same time: QERR_INVALID_HANDLE.
int RTSemEventDestroy(RTSEMEVENT hEventSem);
// Signals the event.
int RTSemEventSignal(RTSEMEVENT hEventSem);
// One wait of at most cMillies (RT_INDEFINITE_WAIT: none). Success when signalled;
// QERR_TIMEOUT; QERR_INTERRUPTED when an alert ended it; QERR_SEM_OWNER_DIED; QERR_SEM_DESTROYED
// when the event was destroyed during the wait; else the converted platform error.
int RTSemEventWaitNoResume(RTSEMEVENT hEventSem, uint32_t cMillies);
// As RTSemEventWaitNoResume, but alerts do not end the wait: without a timeout it waits on; with
// one it waits for what is left of cMillies and gives QERR_TIMEOUT once that is used up.
int RTSemEventWait(RTSEMEVENT hEventSem, uint32_t cMillies);

//
// Manual-reset events: signalled until reset; a signal releases every waiter.
//
typedef struct RTSEMEVENTMULTIINTERNAL *RTSEMEVENTMULTI;
#define NIL_RTSEMEVENTMULTI ((RTSEMEVENTMULTI)0)

#define RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL 0x1U

// Wait flags of RTSemEventMultiWaitEx. A valid word has exactly one of ALERT_RETURNS and
// ALERT_RESUMES, and either INDEFINITE alone (none of RELATIVE, ABSOLUTE, NANOSECS,
// MILLISECS), or exactly one of RELATIVE and ABSOLUTE and exactly one of NANOSECS and
// MILLISECS. Bits from 0x80 up are invalid.
#define RTSEMWAIT_F_RELATIVE 0x01U      // the timeout counts from now
#define RTSEMWAIT_F_ABSOLUTE 0x02U      // the timeout is a point on the millisecond clock
#define RTSEMWAIT_F_NANOSECS 0x04U      // the timeout is in nanoseconds (rounded to milliseconds)
#define RTSEMWAIT_F_MILLISECS 0x08U     // the timeout is in milliseconds
#define RTSEMWAIT_F_INDEFINITE 0x10U    // no timeout
#define RTSEMWAIT_F_ALERT_RETURNS 0x20U // an alert ends the wait with QERR_INTERRUPTED
#define RTSEMWAIT_F_ALERT_RESUMES 0x40U // after an alert the wait goes on until the deadline
#define RTSEMWAIT_F_VALID_MASK 0x7FU

// Creates an unsignalled manual-reset event. Flags other than 0 and 1: QERR_INVALID_PARAMETER.
// On failure *phEventMultiSem is nil.
int RTSemEventMultiCreate(RTSEMEVENTMULTI *phEventMultiSem, uint32_t fFlags);
// As RTSemEventDestroy.
int RTSemEventMultiDestroy(RTSEMEVENTMULTI hEventMultiSem);
int RTSemEventMultiSignal(RTSEMEVENTMULTI hEventMultiSem);
int RTSemEventMultiReset(RTSEMEVENTMULTI hEventMultiSem);
// Waits as the flags say. Results as RTSemEventWaitNoResume; with ALERT_RESUMES an alert never
// ends a wait that has no timeout, and one that arrives after the deadline gives QERR_TIMEOUT.
// After an alert a resuming wait starts again with its whole wait time, so a wait with a
// timeout may last up to about twice that long. Invalid flags: QERR_INVALID_PARAMETER.
int RTSemEventMultiWaitEx(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout);
// Resuming wait of cMillies milliseconds, or without timeout for RT_INDEFINITE_WAIT.
int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies);
// The same where an alert ends the wait with QERR_INTERRUPTED.
int RTSemEventMultiWaitNoResume(RTSEMEVENTMULTI hEventMultiSem, uint32_t cMillies);

//
// Read/write semaphore; only the write side exists. The writer may request it recursively.
//
typedef struct RTSEMRWINTERNAL *RTSEMRW;
#define NIL_RTSEMRW ((RTSEMRW)0)

#define RTSEMRW_FLAGS_NO_LOCK_VAL 0x1U

// Flags other than 0 and 1: QERR_INVALID_PARAMETER. A failure undoes every step and leaves
// *phRWSem nil.
int RTSemRWCreate(RTSEMRW *phRWSem, uint32_t fFlags);
// NIL_RTSEMRW is success. Held, or its internal lock busy: QERR_SEM_BUSY and nothing changes.
int RTSemRWDestroy(RTSEMRW hRWSem);
// Takes the write side within cMillies (0: only if free now, QERR_TIMEOUT otherwise;
// RT_INDEFINITE_WAIT: no limit). QERR_SEM_DESTROYED when destroyed during the wait.
int RTSemRWRequestWrite(RTSEMRW hRWSem, uint32_t cMillies);
// Releases one level. Not the writer: QERR_NOT_OWNER. Releasing the last level while the writer
// still holds read locks: QERR_WRONG_ORDER, nothing changes.
int RTSemRWReleaseWrite(RTSEMRW hRWSem);

//
// Spin mutex: a critical section without nesting, for short regions (the logger's lock).
//
typedef struct RTSEMSPINMUTEXINTERNAL *RTSEMSPINMUTEX;
#define NIL_RTSEMSPINMUTEX ((RTSEMSPINMUTEX)0)

#define RTSEMSPINMUTEX_FLAGS_IRQ_SAFE 0x1U // accepted; no effect in user mode

// Flags other than 0 and 1: QERR_INVALID_PARAMETER; out of memory: QERR_NO_MEMORY.
int RTSemSpinMutexCreate(RTSEMSPINMUTEX *phSpinMtx, uint32_t fFlags);
// NIL_RTSEMSPINMUTEX is success.
int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx);
// Enter and leave; a nested request by the owner gives QERR_SEM_NESTED.
int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx);
int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx);

//
// Fast mutex: a critical section without nesting.
//
typedef struct RTSEMFASTMUTEXINTERNAL *RTSEMFASTMUTEX;
#define NIL_RTSEMFASTMUTEX ((RTSEMFASTMUTEX)0)

// Out of memory: QERR_NO_MEMORY, *phFastMtx nil.
int RTSemFastMutexCreate(RTSEMFASTMUTEX *phFastMtx);
// NIL_RTSEMFASTMUTEX is success.
int RTSemFastMutexDestroy(RTSEMFASTMUTEX hFastMtx);
// Enter and leave; a nested request by the owner gives QERR_SEM_NESTED.
int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx);
int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx);
