// The thread record behind an RTTHREAD handle, the registry that keeps the records by native
// thread id, and the platform halves (thread-win.cpp, thread-posix.cpp).
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
    RTNATIVETHREAD NativeThread; // the registry's key
    // The registry's tree links (an AVL tree ordered by NativeThread).
    struct RTTHREADINT *pAvlLeft;
    struct RTTHREADINT *pAvlRight;
    uint8_t cAvlHeight;
    volatile uint32_t u32Magic;    // RTTHREADINT_MAGIC while alive
    volatile int32_t cRefs;        // atomic
    volatile uint32_t enmState;    // an RTTHREADSTATE, atomic
    volatile bool fReallySleeping; // set while blocked in a platform wait
    RTSEMEVENTMULTI EventUser;     // manual-reset events created with the record
    RTSEMEVENTMULTI EventTerminated;
    uint32_t enmType;            // index into the per-type counters
    volatile uint32_t fFlags;    // creation flags (RTTHREADFLAGS_WAITABLE cleared once waited for)
    volatile uint32_t fIntFlags; // RTTHREADINT_FLAGS_*, atomic
    int32_t rc;                  // exit status; QERR_PROCESS_RUNNING while it runs
    uintptr_t hNative;           // platform thread handle; 0 for adopted threads
    struct {                     // lock bookkeeping; empty in this system
        uint32_t cReadLocks;
        uint32_t cWriteLocks;
        void *pHeldLocks;
    } LockValidator;
    // What a created thread runs.
    PFNRTTHREAD pfnThread;
    void *pvUser;
    size_t cbStack;
    char szName[RTTHREAD_NAME_LEN + 1]; // at most 15 characters and a terminator
} RTTHREADINT;

//
// The registry (Runtime/common/misc/thread.cpp).
//

// Creates the registry and adopts the calling thread as "main". QINF_ALREADY_INITIALIZED when
// it exists; a failure leaves no registry (and no slot) behind, so a later call can try again.
int rtThreadInit(void);
// Registers the calling native thread under a new record (reference count left at 1, owned
// by the thread's slot).
int rtThreadAdopt(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName);
// Registry updates, under the registry lock.
void rtThreadInsert(RTTHREADINT *pThread, RTNATIVETHREAD NativeThread);
void rtThreadRemove(RTTHREADINT *pThread);
// The registry lock, for writing (created with the registry on first use).
void rtThreadLockRW(void);
void rtThreadUnLockRW(void);
// Drops a reference; destroys the record when it was the last. Returns the new count.
uint32_t rtThreadRelease(RTTHREADINT *pThread);
void rtThreadDestroy(RTTHREADINT *pThread);
// The record of a plausible live handle, else null.
RTTHREADINT *rtThreadValidate(RTTHREAD hThread);
// The number of registered threads, in all and of one type.
uint32_t rtThreadRegisteredCount(void);
uint32_t rtThreadRegisteredCountOfType(RTTHREADTYPE enmType);
// The body of a created thread, called by the platform on the new thread once it runs.
// Returns the thread's result.
int rtThreadMain(RTTHREADINT *pThread, RTNATIVETHREAD NativeThread);

//
// Platform halves.
//

// Allocates the registry's slot and finds the platform's naming facilities. QERR_NO_TLS_FOR_SELF
// when no slot is left.
int rtThreadNativeInit(void);
// Frees what rtThreadNativeInit allocated (a failed registry initialisation).
void rtThreadNativeUninit(void);
// Stores the calling thread's record in the registry's slot (null clears it). False when the
// platform refuses.
bool rtThreadNativeSetSelf(RTTHREADINT *pThread);
// The calling thread's record from the slot, or null (also before rtThreadNativeInit). Keeps
// the thread's last error.
RTTHREADINT *rtThreadNativeGetSelf(void);
// Names the calling thread for debuggers and the platform.
void rtThreadNativeInformDebugger(RTTHREADINT *pThread);
// Starts a platform thread that calls rtThreadMain(pThread, its native id), storing the
// platform handle in pThread->hNative when the platform has one to keep.
int rtThreadNativeCreate(RTTHREADINT *pThread);
// Releases the platform side of a destroyed record (its handle).
void rtThreadNativeDestroy(RTTHREADINT *pThread);
