// The two instance slots: the default logger, created once on first use from the "QUIL_LOG"
// variables with its header, and the release logger, which nothing fills in this system.
#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/init.h>
#include <qrt/once.h>
#include <qrt/system.h>
#include <qrt/thread.h>

#include "common/log/log-internal.h"

static RTONCE g_rtLogDefaultOnce = RTONCE_INITIALIZER;
static PRTLOGGER volatile g_pLogDefaultInstance;
// The thread creating the default logger: what it logs on the way finds no logger yet
// (waiting for the creation it is running itself would never end).
static RTNATIVETHREAD volatile g_hLogDefaultCreator = NIL_RTNATIVETHREAD;
static PRTLOGGER volatile g_pLogRelInstance;

static int rtLogDefaultCreate(void *pvUser) {
    RT_NOREF(pvUser);
    __atomic_store_n(&g_hLogDefaultCreator, RTThreadNativeSelf(), __ATOMIC_RELAXED);

    RTLOGTIME Now;
    rtlogTimeExplode(rtlogNativeUtcNanoTS(), &Now);
    const char *pszName = RTProcShortName();
    if (!pszName || !*pszName) pszName = "Quil";
    RTPROCESS const Pid = RTProcSelf();
    PRTLOGGER pLogger = NULL;
    int rc = RTLogCreateEx(&pLogger, 0, NULL, "QUIL_LOG", RTLOG_DEFAULT_GROUP_COUNT, rtlogDefaultGroupNames(), 0,
                           RTLOGDEST_FILE, NULL, 0, 0, 0, NULL, "./%04d-%02d-%02d-%02d-%02d-%02d.%03d-%s-%d.log",
                           (int)Now.i32Year, Now.u8Month, Now.u8Day, Now.u8Hour, Now.u8Minute, Now.u8Second,
                           (int)(Now.u32Nanosecond / 10000000), pszName, (int)Pid);
    if (RT_SUCCESS(rc)) {
        char szCreated[64];
        RTStrPrintf(szCreated, sizeof(szCreated), "%RI32-%02u-%02uT%02u:%02u:%02u.%09RU32Z", Now.i32Year, Now.u8Month,
                    Now.u8Day, Now.u8Hour, Now.u8Minute, Now.u8Second, Now.u32Nanosecond);
        RTPROCESS const ParentPid = rtlogNativeParentPid();
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP,
                      "Log created: %s\nProcess ID:  %d (%#x)\nParent PID:  %d (%#x)\nExecutable:  %s\n", szCreated,
                      (int)Pid, Pid, (int)ParentPid, ParentPid, RTProcExecutablePath());
        rtlogNativeWriteCommandLine(pLogger);
        __atomic_store_n(&g_pLogDefaultInstance, pLogger, __ATOMIC_RELEASE);
    }
    __atomic_store_n(&g_hLogDefaultCreator, NIL_RTNATIVETHREAD, __ATOMIC_RELAXED);
    return rc;
}

PRTLOGGER RTLogDefaultInstance(void) {
    PRTLOGGER pLogger = __atomic_load_n(&g_pLogDefaultInstance, __ATOMIC_ACQUIRE);
    if (pLogger) return pLogger;
    if (__atomic_load_n(&g_hLogDefaultCreator, __ATOMIC_RELAXED) == RTThreadNativeSelf()) return NULL;
    // Tried once: a failure is not repeated, and every later call gets none.
    RTOnce(&g_rtLogDefaultOnce, rtLogDefaultCreate, NULL, NULL);
    return __atomic_load_n(&g_pLogDefaultInstance, __ATOMIC_ACQUIRE);
}

PRTLOGGER rtlogDefaultInstanceIfExists(void) {
    return __atomic_load_n(&g_pLogDefaultInstance, __ATOMIC_ACQUIRE);
}

PRTLOGGER RTLogRelGetDefaultInstanceEx(uint32_t fFlagsAndGroup) {
    RTLOGGER *pLogger = rtlogValidate(__atomic_load_n(&g_pLogRelInstance, __ATOMIC_ACQUIRE));
    if (!pLogger || (pLogger->fFlags & RTLOGFLAGS_DISABLED)) return NULL;
    if (fFlagsAndGroup < UINT32_C(0xFFFF0000) && pLogger->cGroups > 0) {
        uint32_t iGroup = fFlagsAndGroup >> 16;
        if (iGroup >= pLogger->cGroups) iGroup = 0;
        uint32_t const fNeeded = (fFlagsAndGroup & 0xFFFF) | RTLOGGRPFLAGS_ENABLED;
        if ((pLogger->afGroups[iGroup] & fNeeded) != fNeeded) return NULL;
    }
    return pLogger;
}

void rtlogRelSetDefaultInstance(PRTLOGGER pLogger) {
    __atomic_store_n(&g_pLogRelInstance, pLogger, __ATOMIC_RELEASE);
}
