// The calling thread's native id on POSIX systems: the kernel's task id, fetched once per
// thread and kept in a thread-specific slot, so a lock's owner check needs no system call.
#include <qrt/thread.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

static pthread_once_t g_rtThreadIdOnce = PTHREAD_ONCE_INIT;
static pthread_key_t g_rtThreadIdKey;
static bool g_frtThreadIdKey = false;

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
