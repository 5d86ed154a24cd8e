// The executable's path on POSIX systems, from the process's /proc entry.
#include <errno.h>
#include <unistd.h>

#include <qrt/err.h>

#include "r3/init-internal.h"

int rtR3ExecPathQuery(char *pszPath, size_t cbPath, size_t *poffName) {
    *poffName = 0;
    ssize_t const cch = readlink("/proc/self/exe", pszPath, cbPath);
    if (cch < 0) {
        int rc = RTErrConvertFromErrno(errno);
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    if ((size_t)cch >= cbPath) return QERR_BUFFER_OVERFLOW;
    pszPath[cch] = '\0';
    size_t off = 0;
    for (size_t i = 0; i < (size_t)cch; i++)
        if (pszPath[i] == '/') off = i + 1;
    *poffName = off;
    return QINF_SUCCESS;
}
