// The logger hook of the diagnostics that report before they know of loggers (assertions):
// the release logger when one is installed, else the default logger, created on first use.
#include <qrt/assert.h>
#include <qrt/cdefs.h>
#include <qrt/log.h>

#include "common/misc/loghook-internal.h"

bool rtLogHookPrintfV(RTLOGHOOKTARGET enmTarget, const char *pszFormat, va_list va) {
    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);
    PRTLOGGER pLogger =
        enmTarget == RTLOGHOOK_RELEASE ? RTLogRelGetDefaultInstanceEx(UINT32_C(0xFFFF0000)) : RTLogDefaultInstance();
    if (pLogger) {
        RTLogLoggerExV(pLogger, 0, RTLOG_NO_GROUP, pszFormat, va);
        RTLogFlush(pLogger);
    }
    RTErrVarsRestore(&SavedErrVars);
    return pLogger != NULL;
}
