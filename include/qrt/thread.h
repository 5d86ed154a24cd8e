// Threads as the runtime sees them: the thread registry and its records, the calling thread's
// record and native id, thread creation and waiting, thread-local storage, and the bookkeeping
// every wait does so that a blocked thread can be told apart from a running one.
//
// The registry is created by process initialisation, which adopts the calling thread under the
// name "main". Until it exists (and on threads it never adopted) RTThreadSelf returns
// NIL_RTTHREAD, and the bookkeeping calls do nothing for a nil handle: the waits work the same
// with or without a record.
#pragma once

#include <qrt/types.h>

// A thread record known to the runtime. Opaque to callers.
typedef struct RTTHREADINT *RTTHREAD;
typedef RTTHREAD *PRTTHREAD;
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

// Kinds of threads; each kind has its own count in the registry.
typedef enum RTTHREADTYPE {
    RTTHREADTYPE_INVALID = 0,
    RTTHREADTYPE_POLLER = 1,  // wakes now and then to look at something
    RTTHREADTYPE_WORKER = 2,  // does work handed to it
    RTTHREADTYPE_IO = 3,      // waits for input and output
    RTTHREADTYPE_DEFAULT = 4, // anything else; the main thread is one
    RTTHREADTYPE_GUI = 5,     // runs a window's message loop
    RTTHREADTYPE_TIMER = 6,   // runs timed callbacks
    RTTHREADTYPE_END
} RTTHREADTYPE;

// Creation flags.
// The thread can be waited for with RTThreadWait (once); without it the handle is only good
// until the thread ends.
#define RTTHREADFLAGS_WAITABLE 0x1U
#define RTTHREADFLAGS_MASK 0x1U

// The longest thread name kept (longer names are cut).
#define RTTHREAD_NAME_LEN 15

// What a created thread runs; its result is what RTThreadWait reports.
typedef int (*PFNRTTHREAD)(RTTHREAD hSelf, void *pvUser);

// Starts a thread running pfnThread(handle, pvUser), registered under pszName (cut to 15
// characters) and named so for debuggers. cbStack 0 takes the platform's default.
// Returns QINF_SUCCESS with the handle in *phThread; with RTTHREADFLAGS_WAITABLE the handle stays
// valid until RTThreadWait has reported the thread's end. Failures: QERR_INVALID_PARAMETER
// (type, flags, null function or name), QERR_INVALID_POINTER, QERR_NO_MEMORY, or the
// platform's error converted; then no thread runs and *phThread is NIL_RTTHREAD.
int RTThreadCreate(PRTTHREAD phThread, PFNRTTHREAD pfnThread, void *pvUser, size_t cbStack, RTTHREADTYPE enmType,
                   uint32_t fFlags, const char *pszName);
// Waits up to cMillies (RT_INDEFINITE_WAIT: for ever) for a waitable thread to end and stores
// its result in *prc (optional). After a success the handle is gone. QERR_INVALID_HANDLE for
// an invalid handle or one that is not (or no longer) waitable, QERR_TIMEOUT when it still runs,
// QERR_DEADLOCK when a thread waits for itself.
int RTThreadWait(RTTHREAD hThread, uint32_t cMillies, int *prc);
// The thread's name ("main" for the main thread), or null for an invalid handle. Points into the
// record: valid while the caller holds the handle.
const char *RTThreadGetName(RTTHREAD hThread);
// The native id a record is registered under; NIL_RTNATIVETHREAD for an invalid handle.
RTNATIVETHREAD RTThreadGetNative(RTTHREAD hThread);
// The record registered for a native thread id, or NIL_RTTHREAD. No reference is taken.
RTTHREAD RTThreadFromNative(RTNATIVETHREAD hNativeThread);

// The calling thread's record, or NIL_RTTHREAD when it has none (always so before the registry
// exists). The caller does not own a reference. Never changes the thread's last error (some
// platforms' thread-local storage reads clear it). Cannot fail.
RTTHREAD RTThreadSelf(void);
// The calling thread's name, or null when it has no valid record. Valid while the thread runs.
const char *RTThreadSelfName(void);
// The calling thread's native id. Cannot fail; never NIL_RTNATIVETHREAD.
RTNATIVETHREAD RTThreadNativeSelf(void);

// Called before a wait: a running thread's state becomes enmState, and fReallySleeping tells
// whether it sleeps in a platform wait. A nil or dead handle is ignored.
void RTThreadBlocking(RTTHREAD hThread, RTTHREADSTATE enmState, bool fReallySleeping);
// Called after the wait: clears the sleeping flag and puts the state back to running if it is
// still enmState. A nil or dead handle is ignored.
void RTThreadUnblocked(RTTHREAD hThread, RTTHREADSTATE enmState);

//
// Thread-local storage: a slot per index, one value per thread, null until the thread sets it.
//

typedef int32_t RTTLS;
#define NIL_RTTLS ((RTTLS)-1)

// A new slot, or NIL_RTTLS when the platform has none left.
RTTLS RTTlsAlloc(void);
// Frees a slot (the values threads stored in it are forgotten, not freed). NIL_RTTLS
// succeeds; QERR_INVALID_PARAMETER for an index that is not allocated.
int RTTlsFree(RTTLS iTls);
// The calling thread's value in the slot; null when unset or for a bad index. Never changes the
// thread's last error.
void *RTTlsGet(RTTLS iTls);
// Sets the calling thread's value. QERR_INVALID_PARAMETER for a bad index, QERR_NO_MEMORY when
// the platform cannot store it.
int RTTlsSet(RTTLS iTls, void *pvValue);
