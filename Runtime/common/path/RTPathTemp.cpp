// The temporary directory, from the environment.
#include <qrt/env.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

#include <string.h>

#define RTPATHTEMP_TAG "Runtime/common/path/RTPathTemp"

// Whether a DOS path names its location without the current directory: a drive with a root
// separator, or a UNC path.
static bool rtPathTempIsFullyQualified(const char *psz) {
    if (rtPathIsDriveSpec(psz)) return rtPathIsDosSep(psz[2]);
    return rtPathIsDosSep(psz[0]) && rtPathIsDosSep(psz[1]);
}

int RTPathTemp(char *pszPath, size_t cbPath) {
    static const char *const s_apszVars[] = {"QURT_TMPDIR", "TMP", "TEMP", "USERPROFILE"};
    // No result fits no buffer (and a size of 0 would make the lookup report a length only).
    if (cbPath == 0) return QERR_BUFFER_OVERFLOW;
    for (size_t i = 0; i < sizeof(s_apszVars) / sizeof(s_apszVars[0]); i++) {
        size_t cch = 0;
        int rc = RTEnvGetEx(RTENV_DEFAULT, s_apszVars[i], pszPath, cbPath, &cch);
        if (rc == QERR_ENV_VAR_NOT_FOUND) continue;
        if (RT_FAILURE(rc)) return rc;
        // An empty value is no directory: it would make every path built on it relative.
        if (cch == 0) continue;
        if (rtPathTempIsFullyQualified(pszPath)) return QINF_SUCCESS;

        // A relative value is resolved once, now: the installer changes its current directory
        // after choosing the temporary one, and must not resolve it again elsewhere.
        char *pszRel = RTStrDupTag(pszPath, RTPATHTEMP_TAG);
        if (!pszRel) return QERR_NO_TMP_MEMORY;
        rc = RTPathAbs(pszRel, pszPath, cbPath);
        RTStrFree(pszRel);
        return rc;
    }
    if (cbPath < 5) return QERR_BUFFER_OVERFLOW;
    memcpy(pszPath, "/tmp", 5);
    return QINF_SUCCESS;
}
