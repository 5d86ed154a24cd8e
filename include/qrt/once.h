// Run-once: an initialisation function that runs exactly once per once record, however many
// threads ask at the same time, with its status handed to every caller; and the process-wide
// list of termination callbacks.
//
// The protocol is lock-free: the record's state word changes only by atomic compare-and-
// exchange. Waiters back off, or sleep on a manual-reset event that the first of them creates
// when there is contention. An uncontended first call costs two atomic operations, later calls
// one read. Nothing in this system runs the cleanup functions or termination callbacks: they
// are only collected.
#pragma once

#include <qrt/types.h>
#include <qrt/semaphore.h>

// The once function: receives the user argument, returns a status code.
typedef int FNRTONCE(void *pvUser);
typedef FNRTONCE *PFNRTONCE;
// A cleanup function entered with its record in the process-wide cleanup list.
typedef void FNRTONCECLEANUP(void *pvUser);
typedef FNRTONCECLEANUP *PFNRTONCECLEANUP;

// States of a once record.
#define RTONCESTATE_UNINITIALIZED 1U     // not yet run
#define RTONCESTATE_BUSY_NO_SEM 2U       // running, no waiter event
#define RTONCESTATE_BUSY_CREATING_SEM 3U // running, a waiter is creating the event
#define RTONCESTATE_BUSY_HAVE_SEM 4U     // running, the event is there
#define RTONCESTATE_BUSY_SPIN 5U         // running, the event could not be created
#define RTONCESTATE_DONE_CREATING_SEM 6U // done while a waiter was creating the event
#define RTONCESTATE_DONE_HAVE_SEM 7U     // done, the event is still referenced
#define RTONCESTATE_DONE 16U             // done

// A once record. Give it static storage and initialise it with RTONCE_INITIALIZER; the fields
// belong to RTOnce.
typedef struct RTONCE {
    RTSEMEVENTMULTI volatile hEventMulti; // where waiters sleep; nil until contention
    int32_t volatile cEventRefs;          // references on hEventMulti
    uint32_t volatile iState;             // RTONCESTATE_*
    int32_t volatile rc;                  // the once function's status
    PFNRTONCECLEANUP pfnCleanup;          // set once the record is in the cleanup list
    void *pvUserCleanup;
    struct RTONCE *pNext; // links of the cleanup list
    struct RTONCE *pPrev;
} RTONCE;
typedef RTONCE *PRTONCE;

#define RTONCE_INITIALIZER                                                                                             \
    { NIL_RTSEMEVENTMULTI, 0, RTONCESTATE_UNINITIALIZED, 0, NULL, NULL, NULL, NULL }

// Runs pfnOnce(pvUser) if no call on this record ran it yet, and returns its status to every
// caller, now and later (a failure is not retried). Concurrent callers wait for the runner.
// With pfnCleanup, a successful run enters the record with pfnCleanup and pvUser in the
// process-wide cleanup list. Returns the once function's status; QERR_INTERNAL_ERROR for a
// record whose state is none of RTONCESTATE_*; a failure to set up the cleanup list; or
// QERR_INTERNAL_ERROR_2 to _5 when the protocol finds a state it cannot be in.
int RTOnce(PRTONCE pOnce, PFNRTONCE pfnOnce, PFNRTONCECLEANUP pfnCleanup, void *pvUser);

// A termination callback.
typedef void FNRTTERMCALLBACK(void *pvUser);
typedef FNRTTERMCALLBACK *PFNRTTERMCALLBACK;
// Registers pfnCallback with pvUser in the process-wide termination list (newest first).
// QERR_INVALID_POINTER for an implausible function pointer; QERR_NO_MEMORY; a failure to
// create or take the list's lock. On failure nothing is registered. Entries are never removed.
int RTTermRegisterCallback(PFNRTTERMCALLBACK pfnCallback, void *pvUser);
