// The standard streams' platform hooks on POSIX systems: there is no console API (a terminal
// takes bytes like any file) and no text/binary distinction.
#include <qrt/cdefs.h>
#include <qrt/err.h>

#include "r3/stream-internal.h"

static void *rtStrmPosixQueryConsole(FILE *pFile) {
    RT_NOREF(pFile);
    return NULL;
}

static int rtStrmPosixWriteConsole(void *hConsole, const RTUTF16 *pwc, size_t cwc, size_t *pcwcWritten) {
    RT_NOREF(hConsole);
    RT_NOREF(pwc);
    RT_NOREF(cwc);
    *pcwcWritten = 0;
    return QERR_NOT_SUPPORTED;
}

static bool rtStrmPosixCheckMode(FILE *pFile, bool fBinary) {
    RT_NOREF(pFile);
    return fBinary;
}

RTSTRMPLATFORM g_rtStrmPlatform = {rtStrmPosixQueryConsole, rtStrmPosixWriteConsole, rtStrmPosixCheckMode};
