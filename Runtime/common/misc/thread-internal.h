// The thread record behind an RTTHREAD handle. The registry that creates, adopts and looks up
// these records lives beside it; the wait bookkeeping only needs the magic, the state and the
// sleeping flag.
#pragma once

#include <qrt/thread.h>
#include <qrt/semaphore.h>

#define RTTHREADINT_MAGIC 0x18740529U
#define RTTHREADINT_MAGIC_DEAD 0x19360614U

// Internal flags (fIntFlags).
#define RTTHREADINT_FLAGS_ALIEN 0x1U   // adopted, not created by the runtime
#define RTTHREADINT_FLAGS_IN_TREE 0x4U // registered
#define RTTHREADINT_FLAGS_MAIN 0x8U    // the process's main thread

typedef struct RTTHREADINT {
    RTNATIVETHREAD NativeThread;   // the registry's key
    volatile uint32_t u32Magic;    // RTTHREADINT_MAGIC while alive
    volatile int32_t cRefs;        // atomic
    volatile uint32_t enmState;    // an RTTHREADSTATE, atomic
    volatile bool fReallySleeping; // set while blocked in a platform wait
    RTSEMEVENTMULTI EventUser;     // manual-reset events created with the record
    RTSEMEVENTMULTI EventTerminated;
    uint32_t enmType;            // index into the per-type counters
    uint32_t fFlags;             // creation flags
    volatile uint32_t fIntFlags; // RTTHREADINT_FLAGS_*, atomic
    int32_t rc;                  // exit status; QERR_PROCESS_RUNNING while it runs
    uintptr_t hNative;           // platform thread handle; 0 for adopted threads
    struct {                     // lock bookkeeping; empty in this system
        uint32_t cReadLocks;
        uint32_t cWriteLocks;
        void *pHeldLocks;
    } LockValidator;
    char szName[16]; // at most 15 characters and a terminator
} RTTHREADINT;
