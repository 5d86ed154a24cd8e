// Process initialisation: the user count, the body run by the first caller, the argument
// vector and the process-exit handler. The platform's steps are in init-win.cpp and
// init-posix.cpp.
#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/time.h>
#include <qrt/utf16.h>

#include "common/misc/thread-internal.h"
#include "r3/init-internal.h"
#include "r3/system-internal.h"

uint64_t volatile g_u64ProgramStartNanoTS;
bool volatile g_frtR3Exiting;

// Successful initialisations so far (atomic).
static int32_t volatile g_crtR3Users;
// The OR of every initialisation's flags.
static uint32_t volatile g_frtR3InitFlags;
static bool g_frtR3ExitHandlerRegistered;

// The argument vector record: the count (-1 until the first conversion), the vector the
// caller passed and the one handed back.
static int g_crtR3Args = -1;
static char **g_papszrtR3ArgsPassed;
static char **g_papszrtR3Args;

// The release-log report of a failed body step. No release logger exists in this system, so
// nothing is written; the caller's RTMsgInitFailure is what the user sees.
#define RTR3INIT_LOGREL_FAILURE(a_rc, a_pszMsg)                                                                        \
    do {                                                                                                               \
        RTAssertLogRelMsg1("RT_SUCCESS_NP(rc)", __LINE__, "Runtime/r3/init",                                           \
                           "int __cdecl rtR3InitBody(unsigned int,int,char ***,const char *)");                        \
        RTAssertLogRelMsg2(a_pszMsg, (a_rc));                                                                          \
    } while (0)

int rtR3InitArgvFromUtf16(const RTUTF16 *const *papwszArgs, int cArgs, char ***ppapszArgs) {
    *ppapszArgs = NULL;
    char **papszArgs = (char **)RTMemAllocZTag(((size_t)cArgs + 1) * sizeof(char *), RTR3INIT_ARGV_TAG);
    if (!papszArgs) return QERR_NO_MEMORY;
    for (int i = 0; i < cArgs; i++) {
        int rc = RTUtf16ToUtf8Tag(papwszArgs[i], &papszArgs[i], RTR3INIT_ARGV_TAG);
        if (RT_FAILURE(rc)) {
            while (i-- > 0) RTStrFree(papszArgs[i]);
            RTMemFree(papszArgs);
            return rc;
        }
    }
    *ppapszArgs = papszArgs;
    return QINF_SUCCESS;
}

// Each narrow argument converted from the ANSI code page.
static int rtR3InitArgvFromCodePage(char **papszArgs, int cArgs, char ***ppapszArgs) {
    *ppapszArgs = NULL;
    char **papszNew = (char **)RTMemAllocZTag(((size_t)cArgs + 1) * sizeof(char *), RTR3INIT_ARGV_TAG);
    if (!papszNew) return QERR_NO_MEMORY;
    for (int i = 0; i < cArgs; i++) {
        int rc = RTStrCurrentCPToUtf8Tag(&papszNew[i], papszArgs[i] ? papszArgs[i] : "", RTR3INIT_ARGV_TAG);
        if (RT_FAILURE(rc)) {
            while (i-- > 0) RTStrFree(papszNew[i]);
            RTMemFree(papszNew);
            return rc;
        }
    }
    *ppapszArgs = papszNew;
    return QINF_SUCCESS;
}

static int rtR3InitArgv(int *pcArgs, char ***ppapszArgs, uint32_t fFlags) {
    int const cArgs = pcArgs ? *pcArgs : 0;
    if (cArgs <= 0 || !ppapszArgs) return QINF_SUCCESS;
    if (g_crtR3Args != -1) {
        // Only the result of the first conversion may come back.
        if (cArgs == g_crtR3Args && *ppapszArgs == g_papszrtR3Args) return QINF_SUCCESS;
        return QERR_WRONG_ORDER;
    }
    char **papszPassed = *ppapszArgs;
    if (fFlags & RTR3INIT_FLAGS_UTF8_ARGV) {
        g_papszrtR3ArgsPassed = papszPassed;
        g_papszrtR3Args = papszPassed;
        g_crtR3Args = cArgs;
        return QINF_SUCCESS;
    }

    char **papszNew = NULL;
    int cNew = 0;
    int rc = rtR3InitNativeSplitArgs(cArgs, papszPassed, &papszNew, &cNew);
    if (RT_FAILURE(rc)) return rc;
    if (!papszNew) {
        rc = rtR3InitArgvFromCodePage(papszPassed, cArgs, &papszNew);
        if (RT_FAILURE(rc)) return rc;
        cNew = cArgs;
    }
    g_papszrtR3ArgsPassed = papszPassed;
    g_papszrtR3Args = papszNew;
    g_crtR3Args = cNew;
    *ppapszArgs = papszNew;
    *pcArgs = cNew;
    return QINF_SUCCESS;
}

static void rtR3ExitCallback(void) {
    g_frtR3Exiting = true;
    // The loggers are flushed here when the count is positive; the runtime has none yet.
}

static int rtR3InitBody(uint32_t fFlags, int *pcArgs, char ***ppapszArgs) {
    int rc = rtR3InitNativeFirst(fFlags);
    if (RT_FAILURE(rc)) return rc;

    setlocale(LC_CTYPE, "");
    rtProcInitSelf();
    __atomic_or_fetch(&g_frtR3InitFlags, fFlags, __ATOMIC_SEQ_CST);

    rc = rtThreadInit();
    if (RT_FAILURE(rc)) return rc;

    rc = rtR3ExecPathEnsure();
    if (RT_FAILURE(rc)) {
        RTR3INIT_LOGREL_FAILURE(rc, "Failed to get executable directory path, rc=%Rrc!\n");
        return rc;
    }
    rc = rtR3InitArgv(pcArgs, ppapszArgs, fFlags);
    if (RT_FAILURE(rc)) {
        RTR3INIT_LOGREL_FAILURE(rc, "Failed to convert the arguments, rc=%Rrc!\n");
        return rc;
    }

    g_u64ProgramStartNanoTS = RTTimeNanoTS();
    if (!g_frtR3ExitHandlerRegistered) {
        g_frtR3ExitHandlerRegistered = true;
        atexit(rtR3ExitCallback);
    }
    return QINF_SUCCESS;
}

int RTR3InitExe(int *pcArgs, char ***ppapszArgs, uint32_t fFlags) {
    int32_t const cUsers = __atomic_add_fetch(&g_crtR3Users, 1, __ATOMIC_SEQ_CST);
    if (cUsers > 1) {
        // Initialised before (or being initialised right now by another thread, which the
        // body does not wait for).
        __atomic_or_fetch(&g_frtR3InitFlags, fFlags & RTR3INIT_FLAGS_UTF8_ARGV, __ATOMIC_SEQ_CST);
        uint32_t const fAccumulated = __atomic_load_n(&g_frtR3InitFlags, __ATOMIC_SEQ_CST);
        if (!(fFlags & RTR3INIT_FLAGS_UNOBTRUSIVE) && (fAccumulated & RTR3INIT_FLAGS_UNOBTRUSIVE)) {
            __atomic_and_fetch(&g_frtR3InitFlags, ~RTR3INIT_FLAGS_UNOBTRUSIVE, __ATOMIC_SEQ_CST);
            uint32_t const fCombined =
                __atomic_or_fetch(&g_frtR3InitFlags, fFlags & RTR3INIT_FLAGS_SYSTEM32_ONLY, __ATOMIC_SEQ_CST);
            int rc = rtR3InitNativeHarden(fCombined);
            if (RT_FAILURE(rc)) return rc;
        }
        return rtR3InitArgv(pcArgs, ppapszArgs, fFlags);
    }

    int rc = rtR3InitBody(fFlags, pcArgs, ppapszArgs);
    if (RT_FAILURE(rc)) __atomic_sub_fetch(&g_crtR3Users, 1, __ATOMIC_SEQ_CST);
    return rc;
}
