// The standard streams' platform hooks on Windows: console detection, the wide console write
// and the text/binary mode of a descriptor.
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <qrt/err.h>

#include "r3/stream-internal.h"

#include <windows.h>

static void *rtStrmWinQueryConsole(FILE *pFile) {
    int const fd = _fileno(pFile);
    // _isatty is also true for the NUL device; only the console mode query tells a console.
    if (fd < 0 || !_isatty(fd)) return NULL;
    HANDLE const hCon = (HANDLE)_get_osfhandle(fd);
    if (hCon == INVALID_HANDLE_VALUE || hCon == NULL) return NULL;
    DWORD fMode;
    return GetConsoleMode(hCon, &fMode) ? (void *)hCon : NULL;
}

static int rtStrmWinWriteConsole(void *hConsole, const RTUTF16 *pwc, size_t cwc, size_t *pcwcWritten) {
    *pcwcWritten = 0;
    size_t cwcDone = 0;
    while (cwcDone < cwc) {
        // One call takes at most a DWORD's worth; console writes are far smaller in practice.
        DWORD const cwcThis = cwc - cwcDone > 0x10000 ? 0x10000 : (DWORD)(cwc - cwcDone);
        DWORD cwcWritten = 0;
        if (!WriteConsoleW((HANDLE)hConsole, (const wchar_t *)&pwc[cwcDone], cwcThis, &cwcWritten, NULL)) {
            int rc = RTErrConvertFromWin32(GetLastError());
            *pcwcWritten = cwcDone;
            return RT_FAILURE(rc) ? rc : QERR_WRITE_ERROR;
        }
        cwcDone += cwcWritten;
        if (cwcWritten == 0) break;
    }
    *pcwcWritten = cwcDone;
    return QINF_SUCCESS;
}

static bool rtStrmWinCheckMode(FILE *pFile, bool fBinary) {
    int const fd = _fileno(pFile);
    if (fd < 0) return fBinary;
    int const fOld = _setmode(fd, fBinary ? _O_BINARY : _O_TEXT);
    if (fOld == -1) return fBinary;
    bool const fWasBinary = (fOld & _O_BINARY) != 0;
    if (fWasBinary != fBinary) _setmode(fd, fOld);
    return fWasBinary;
}

RTSTRMPLATFORM g_rtStrmPlatform = {rtStrmWinQueryConsole, rtStrmWinWriteConsole, rtStrmWinCheckMode};
