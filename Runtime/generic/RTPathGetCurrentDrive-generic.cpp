// The drive of the current directory, cut from the current directory itself.
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

#define RTPATHGETCURRENTDRIVE_TAG "Runtime/generic/RTPathGetCurrentDrive-generic"

// The length of the drive or share at the start of pszCwd, or 0 when it has neither.
static size_t rtPathCurrentDriveLength(const char *pszCwd) {
    if (pszCwd[0] && pszCwd[1] == ':') return 2;
    if (!rtPathIsDosSep(pszCwd[0]) || !rtPathIsDosSep(pszCwd[1]) || !pszCwd[2] || rtPathIsDosSep(pszCwd[2])) return 0;
    size_t off = 2;
    while (pszCwd[off] && !rtPathIsDosSep(pszCwd[off])) off++;
    size_t const cchServer = off;
    if (!pszCwd[off]) return cchServer;
    off++;
    size_t const offShare = off;
    while (pszCwd[off] && !rtPathIsDosSep(pszCwd[off])) off++;
    return off > offShare ? off : cchServer;
}

int RTPathGetCurrentDrive(char *pszPath, size_t cbPath) {
    char *pszTmp = NULL;
    int rc = RTPathGetCurrent(pszPath, cbPath);
    if (rc == QERR_BUFFER_OVERFLOW) {
        size_t const cbTmp = 0x10000;
        pszTmp = (char *)RTMemTmpAllocTag(cbTmp, RTPATHGETCURRENTDRIVE_TAG);
        if (!pszTmp) return QERR_NO_TMP_MEMORY;
        rc = RTPathGetCurrent(pszTmp, cbTmp);
    }
    if (RT_SUCCESS(rc)) {
        char *pszCwd = pszTmp ? pszTmp : pszPath;
        size_t const cch = rtPathCurrentDriveLength(pszCwd);
        if (cch == 0)
            rc = QERR_INTERNAL_ERROR_4;
        else {
            pszCwd[cch] = '\0';
            if (pszTmp) rc = RTStrCopy(pszPath, cbPath, pszTmp);
        }
    }
    RTMemTmpFree(pszTmp);
    return rc;
}
