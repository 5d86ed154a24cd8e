// Threads as the runtime sees them: the calling thread's record and native id, and the
// bookkeeping every wait does so that a blocked thread can be told apart from a running one.
//
// The thread registry that gives threads their records is created by process initialisation.
// Until it exists (and on threads it never adopted) RTThreadSelf returns NIL_RTTHREAD, and the
// bookkeeping calls do nothing for a nil handle. That is the runtime's real behaviour before
// initialisation, not a stand-in: the waits work the same with or without a record.
#pragma once

#include <qrt/types.h>

// A thread record known to the runtime. Opaque to callers.
typedef struct RTTHREADINT *RTTHREAD;
#define NIL_RTTHREAD ((RTTHREAD)0)

// The platform's id of a thread (Windows: the thread id; elsewhere the kernel's task id).
typedef uint32_t RTNATIVETHREAD;
// No thread; never the id of a live thread.
#define NIL_RTNATIVETHREAD (~(RTNATIVETHREAD)0)

// What a thread is doing; the blocked states say on what kind of object it waits.
typedef enum RTTHREADSTATE {
    RTTHREADSTATE_INVALID = 0,
    RTTHREADSTATE_INITIALIZING = 1,
    RTTHREADSTATE_TERMINATED = 2,
    RTTHREADSTATE_RUNNING = 3,
    RTTHREADSTATE_CRITSECT = 4,
    RTTHREADSTATE_EVENT = 5,
    RTTHREADSTATE_EVENT_MULTI = 6,
    RTTHREADSTATE_RW_WRITE = 10,
} RTTHREADSTATE;

// The calling thread's record, or NIL_RTTHREAD when it has none (always so before the registry
// exists). The caller does not own a reference. Cannot fail.
RTTHREAD RTThreadSelf(void);
// The calling thread's native id. Cannot fail; never NIL_RTNATIVETHREAD.
RTNATIVETHREAD RTThreadNativeSelf(void);

// Called before a wait: a running thread's state becomes enmState, and fReallySleeping tells
// whether it sleeps in a platform wait. A nil or dead handle is ignored.
void RTThreadBlocking(RTTHREAD hThread, RTTHREADSTATE enmState, bool fReallySleeping);
// Called after the wait: clears the sleeping flag and puts the state back to running if it is
// still enmState. A nil or dead handle is ignored.
void RTThreadUnblocked(RTTHREAD hThread, RTTHREADSTATE enmState);
