// The executable path record, filled once on first use.
#include <string.h>

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/utf16.h>

#include "common/path/path-internal.h"
#include "r3/init-internal.h"

#define RTEXECPATH_TAG "Runtime/r3/execpath"

RTR3EXECPATH g_rtR3ExecPath RT_BSS;

// 0 not filled, 1 being filled, 2 done; g_rcrtR3ExecPath holds the outcome once done.
static volatile uint32_t g_uRTR3ExecPathState = 0;
static volatile int32_t g_rcrtR3ExecPath = QINF_SUCCESS;

int rtR3ExecPathEnsure(void) {
    uint32_t uState = __atomic_load_n(&g_uRTR3ExecPathState, __ATOMIC_ACQUIRE);
    if (uState == 2) return g_rcrtR3ExecPath;
    uint32_t uExpected = 0;
    if (__atomic_compare_exchange_n(&g_uRTR3ExecPathState, &uExpected, 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
        // Readers look at the record only once the state says done.
        size_t offName = 0;
        int rc = rtR3ExecPathQuery(g_rtR3ExecPath.szPath, sizeof(g_rtR3ExecPath.szPath), &offName);
        if (RT_SUCCESS(rc)) {
            g_rtR3ExecPath.cchPath = strlen(g_rtR3ExecPath.szPath);
            g_rtR3ExecPath.offName = offName;
            // The directory part without the separator before the name (a root keeps its own).
            g_rtR3ExecPath.cchDir = offName > 1 ? offName - 1 : offName;
            // RTPathExecDir answers from the path module's own record (same size: cannot fail).
            rtPathSetExecPath(g_rtR3ExecPath.szPath);
        } else
            memset(&g_rtR3ExecPath, 0, sizeof(g_rtR3ExecPath));
        g_rcrtR3ExecPath = rc;
        __atomic_store_n(&g_uRTR3ExecPathState, 2, __ATOMIC_RELEASE);
        return rc;
    }
    // Another thread is filling it: that takes a platform call or two.
    while (__atomic_load_n(&g_uRTR3ExecPathState, __ATOMIC_ACQUIRE) != 2) {
    }
    return g_rcrtR3ExecPath;
}

int rtR3ExecPathFromUtf16(const RTUTF16 *pwcPath, size_t cwc, size_t cwcBuf, char *pszPath, size_t cbPath,
                          size_t *poffName) {
    *poffName = 0;
    // A count that fills the buffer means the name was cut, and the platform may have left the
    // buffer unterminated: only the returned count is ever read.
    if (cwc >= cwcBuf) return QERR_BUFFER_OVERFLOW;
    int rc = RTUtf16ToUtf8ExTag(pwcPath, cwc, &pszPath, cbPath, NULL, RTEXECPATH_TAG);
    if (RT_FAILURE(rc)) return rc;
    size_t off = 0;
    for (size_t i = 0; pszPath[i] != '\0'; i++)
        if (pszPath[i] == '\\' || pszPath[i] == '/' || pszPath[i] == ':') off = i + 1;
    *poffName = off;
    return QINF_SUCCESS;
}

const char *RTProcExecutablePath(void) {
    rtR3ExecPathEnsure();
    return g_rtR3ExecPath.szPath;
}

const char *RTProcShortName(void) {
    rtR3ExecPathEnsure();
    return &g_rtR3ExecPath.szPath[g_rtR3ExecPath.offName];
}
