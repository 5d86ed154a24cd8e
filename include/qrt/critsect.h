// Critical sections: recursive locks owned by a thread, for the runtime's shared state (the
// standard streams, the read/write semaphore's internals, the run-once list).
//
// The record lives in the caller's memory; initialise it with RTCritSectInit and delete it with
// RTCritSectDelete before the memory goes. Entering a free section is one atomic increment and
// a store; leaving without waiters one atomic decrement. Waiters sleep on an auto-reset event
// and each release of the last nesting level wakes at most one of them.
#pragma once

#include <qrt/types.h>
#include <qrt/thread.h>
#include <qrt/semaphore.h>

#define RTCRITSECT_MAGIC 0x19790326U
#define RTCRITSECT_MAGIC_DEAD 0xE686FCD9U

// Flags, bits.
#define RTCRITSECT_FLAGS_NO_NESTING 0x01U     // re-entry by the owner fails with QERR_SEM_NESTED
#define RTCRITSECT_FLAGS_NO_LOCK_VAL 0x02U    // kept; no effect
#define RTCRITSECT_FLAGS_BOOTSTRAP_HACK 0x04U // the event is allocated without a source tag
#define RTCRITSECT_FLAGS_NOP 0x08U            // enter and leave succeed without doing anything
#define RTCRITSECT_FLAGS_IGNORED 0x10U        // accepted and dropped
#define RTCRITSECT_FLAGS_VALID_MASK 0x1FU

typedef struct RTCRITSECT {
    volatile uint32_t u32Magic;                // RTCRITSECT_MAGIC while usable
    volatile int32_t cLockers;                 // -1 when free, else outstanding enters minus one
    volatile RTNATIVETHREAD NativeThreadOwner; // NIL_RTNATIVETHREAD when free
    volatile int32_t cNestings;                // the owner's nesting depth
    uint32_t fFlags;
    RTSEMEVENT EventSem; // where waiters sleep
    void *pValidatorRec; // lock bookkeeping; always null here
} RTCRITSECT;
typedef RTCRITSECT *PRTCRITSECT;

// Initialises *pCritSect. Flags outside RTCRITSECT_FLAGS_VALID_MASK: QERR_INVALID_PARAMETER,
// nothing written. When the event cannot be created, its status is returned and also left in
// the magic field, so every later call on the section fails. pszName is for diagnostics.
int RTCritSectInit(PRTCRITSECT pCritSect, uint32_t fFlags, const char *pszName);
// Enters, waiting as long as it takes. The owner nests (with NO_NESTING: QERR_SEM_NESTED and
// nothing changes). QERR_SEM_DESTROYED when the section is not initialised or was deleted,
// also while waiting.
int RTCritSectEnter(PRTCRITSECT pCritSect);
// Enters only when that needs no wait: QERR_SEM_BUSY when another thread owns it.
int RTCritSectTryEnter(PRTCRITSECT pCritSect);
// Leaves one nesting level; the last one releases the section and wakes one waiter. Any thread
// may leave (ownership is not checked), but leaving a section nobody holds changes nothing and
// gives QERR_NOT_OWNER.
int RTCritSectLeave(PRTCRITSECT pCritSect);
// Deletes the section: every waiter wakes with QERR_SEM_DESTROYED. Wrong magic:
// QERR_INVALID_HANDLE.
int RTCritSectDelete(PRTCRITSECT pCritSect);
