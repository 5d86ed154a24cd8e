// Threads on POSIX hosts: the kernel's task id as the native id (fetched once per thread and
// kept in a thread-specific slot, so a lock's owner check needs no system call), the registry's
// slot, thread names, thread creation and the public thread-local storage over pthread keys.
#include <errno.h>
#include <limits.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <qrt/err.h>
#include <qrt/thread.h>

#include "common/misc/thread-internal.h"

static pthread_once_t g_rtThreadIdOnce = PTHREAD_ONCE_INIT;
static pthread_key_t g_rtThreadIdKey;
static bool g_frtThreadIdKey = false;

static pthread_key_t g_rtThreadSelfKey;
static bool volatile g_frtThreadSelfKey = false;

static void rtThreadIdKeyCreate(void) {
    g_frtThreadIdKey = pthread_key_create(&g_rtThreadIdKey, NULL) == 0;
}

RTNATIVETHREAD RTThreadNativeSelf(void) {
    pthread_once(&g_rtThreadIdOnce, rtThreadIdKeyCreate);
    if (g_frtThreadIdKey) {
        // The slot holds the id plus one, so an unset slot (null) is told apart from id 0.
        uintptr_t uCached = (uintptr_t)pthread_getspecific(g_rtThreadIdKey);
        if (uCached != 0) return (RTNATIVETHREAD)(uCached - 1);
    }
    RTNATIVETHREAD const Tid = (RTNATIVETHREAD)syscall(SYS_gettid);
    if (g_frtThreadIdKey) pthread_setspecific(g_rtThreadIdKey, (void *)((uintptr_t)Tid + 1));
    return Tid;
}

int rtThreadNativeInit(void) {
    if (pthread_key_create(&g_rtThreadSelfKey, NULL) != 0) return QERR_NO_TLS_FOR_SELF;
    __atomic_store_n(&g_frtThreadSelfKey, true, __ATOMIC_RELEASE);
    return QINF_SUCCESS;
}

void rtThreadNativeUninit(void) {
    if (!__atomic_exchange_n(&g_frtThreadSelfKey, false, __ATOMIC_ACQ_REL)) return;
    pthread_key_delete(g_rtThreadSelfKey);
}

bool rtThreadNativeSetSelf(RTTHREADINT *pThread) {
    return __atomic_load_n(&g_frtThreadSelfKey, __ATOMIC_ACQUIRE) &&
           pthread_setspecific(g_rtThreadSelfKey, pThread) == 0;
}

RTTHREADINT *rtThreadNativeGetSelf(void) {
    if (!__atomic_load_n(&g_frtThreadSelfKey, __ATOMIC_ACQUIRE)) return NULL;
    int const iSavedErrno = errno;
    RTTHREADINT *pThread = (RTTHREADINT *)pthread_getspecific(g_rtThreadSelfKey);
    errno = iSavedErrno;
    return pThread;
}

void rtThreadNativeInformDebugger(RTTHREADINT *pThread) {
    // Linux keeps 15 characters, the registry's length.
    pthread_setname_np(pthread_self(), pThread->szName);
}

static void *rtThreadPosixMain(void *pvThread) {
    RTTHREADINT *pThread = (RTTHREADINT *)pvThread;
    rtThreadMain(pThread, RTThreadNativeSelf());
    return NULL;
}

int rtThreadNativeCreate(RTTHREADINT *pThread) {
    pthread_attr_t Attr;
    int iErr = pthread_attr_init(&Attr);
    if (iErr == 0) {
        pthread_attr_setdetachstate(&Attr, PTHREAD_CREATE_DETACHED);
        if (pThread->cbStack) iErr = pthread_attr_setstacksize(&Attr, pThread->cbStack);
        pthread_t Thread;
        if (iErr == 0) iErr = pthread_create(&Thread, &Attr, rtThreadPosixMain, pThread);
        pthread_attr_destroy(&Attr);
    }
    if (iErr != 0) {
        int rc = RTErrConvertFromErrno(iErr);
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    // Detached: the termination event is what waiters wait on, so no handle is kept.
    pThread->hNative = 0;
    return QINF_SUCCESS;
}

void rtThreadNativeDestroy(RTTHREADINT *pThread) {
    pThread->hNative = 0;
}

RTTLS RTTlsAlloc(void) {
    pthread_key_t Key;
    if (pthread_key_create(&Key, NULL) != 0) return NIL_RTTLS;
    if ((uintmax_t)Key > (uintmax_t)INT32_MAX) {
        pthread_key_delete(Key);
        return NIL_RTTLS;
    }
    return (RTTLS)Key;
}

int RTTlsFree(RTTLS iTls) {
    if (iTls == NIL_RTTLS) return QINF_SUCCESS;
    if (iTls < 0 || pthread_key_delete((pthread_key_t)iTls) != 0) return QERR_INVALID_PARAMETER;
    return QINF_SUCCESS;
}

void *RTTlsGet(RTTLS iTls) {
    if (iTls < 0 || iTls >= PTHREAD_KEYS_MAX) return NULL;
    int const iSavedErrno = errno;
    void *pv = pthread_getspecific((pthread_key_t)iTls);
    errno = iSavedErrno;
    return pv;
}

int RTTlsSet(RTTLS iTls, void *pvValue) {
    if (iTls < 0 || iTls >= PTHREAD_KEYS_MAX) return QERR_INVALID_PARAMETER;
    int iErr = pthread_setspecific((pthread_key_t)iTls, pvValue);
    if (iErr == 0) return QINF_SUCCESS;
    return iErr == EINVAL ? QERR_INVALID_PARAMETER : QERR_NO_MEMORY;
}
