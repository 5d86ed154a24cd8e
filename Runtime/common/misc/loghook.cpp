// The logger hook while the runtime carries no logger: no release logger is installed and no
// default logger can be created, so every report goes only to standard error.
#include <qrt/cdefs.h>

#include "common/misc/loghook-internal.h"

bool rtLogHookPrintfV(RTLOGHOOKTARGET enmTarget, const char *pszFormat, va_list va) {
    RT_NOREF(enmTarget);
    RT_NOREF(pszFormat);
    RT_NOREF(va);
    return false;
}
