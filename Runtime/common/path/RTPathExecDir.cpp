// The executable path record and the executable's directory.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "common/path/path-internal.h"

#include <string.h>

// Common symbol: 4 KiB of zeros in .bss instead of the file.
RTPATHEXECPATHREC g_RtProcExecPath RT_BSS;

int rtPathSetExecPath(const char *pszPath) {
    size_t const cch = strlen(pszPath);
    if (cch == 0) return QERR_INVALID_PARAMETER;
    if (cch >= sizeof(g_RtProcExecPath.szPath)) return QERR_FILENAME_TOO_LONG;
    size_t cchDir = 0;
    ptrdiff_t offName = -1;
    RTPathParseOffsets(pszPath, &cchDir, &offName, NULL);
    memcpy(g_RtProcExecPath.szPath, pszPath, cch + 1);
    g_RtProcExecPath.cchDir = cchDir;
    g_RtProcExecPath.offName = offName >= 0 ? (size_t)offName : cch;
    g_RtProcExecPath.cchPath = cch;
    return QINF_SUCCESS;
}

int RTPathExecDir(char *pszPath, size_t cbPath) {
    if (g_RtProcExecPath.cchPath == 0) return QERR_WRONG_ORDER;
    size_t const cchDir = g_RtProcExecPath.cchDir;
    if (cchDir >= cbPath) return QERR_BUFFER_OVERFLOW;
    memcpy(pszPath, g_RtProcExecPath.szPath, cchDir);
    pszPath[cchDir] = '\0';
    return QINF_SUCCESS;
}
