// Windows bodies of the file-test helpers.
#include <qrt/err.h>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"

#include <memory>

bool tstFileSeek(RTFILE hFile, uint64_t off) {
    LARGE_INTEGER Off;
    Off.QuadPart = (LONGLONG)off;
    return SetFilePointerEx((HANDLE)RTFileToNative(hFile), Off, NULL, FILE_BEGIN) != FALSE;
}

bool tstFileSetEndAt(RTFILE hFile, uint64_t off) {
    return tstFileSeek(hFile, off) && SetEndOfFile((HANDLE)RTFileToNative(hFile));
}

static PFNTSTIOHOOK g_pfnTstIoHook;
static void *g_pvTstIoHookUser;

static bool tstIoFail(TSTIOFAIL enmFail) {
    switch (enmFail) {
    case TSTIO_NO_MEMORY:
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return true;
    case TSTIO_DISK_FULL:
        SetLastError(ERROR_DISK_FULL);
        return true;
    case TSTIO_IO_ERROR:
        SetLastError(ERROR_CRC);
        return true;
    default:
        return false;
    }
}

static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnReadFile>> g_pTstReadOverride;
static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnWriteFile>> g_pTstWriteOverride;

static BOOL WINAPI tstHookedReadFile(HANDLE hFile, LPVOID pv, DWORD cb, LPDWORD pcb, LPOVERLAPPED pOverlapped) {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, false, cb);
    if (tstIoFail(Step.enmFail)) return FALSE;
    if (Step.cbMax < cb) cb = (DWORD)Step.cbMax;
    return TstFsCallOverride<&RTFSCALLS::pfnReadFile>::real()(hFile, pv, cb, pcb, pOverlapped);
}

static BOOL WINAPI tstHookedWriteFile(HANDLE hFile, LPCVOID pv, DWORD cb, LPDWORD pcb, LPOVERLAPPED pOverlapped) {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, true, cb);
    if (tstIoFail(Step.enmFail)) return FALSE;
    if (Step.cbMax < cb) cb = (DWORD)Step.cbMax;
    if (cb == 0) {
        *pcb = 0;
        return TRUE;
    }
    return TstFsCallOverride<&RTFSCALLS::pfnWriteFile>::real()(hFile, pv, cb, pcb, pOverlapped);
}

TstFileIoHook::TstFileIoHook(PFNTSTIOHOOK pfnHook, void *pvUser) {
    g_pfnTstIoHook = pfnHook;
    g_pvTstIoHookUser = pvUser;
    g_pTstReadOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnReadFile>(tstHookedReadFile));
    g_pTstWriteOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnWriteFile>(tstHookedWriteFile));
}

TstFileIoHook::~TstFileIoHook() {
    g_pTstWriteOverride.reset();
    g_pTstReadOverride.reset();
}

int tstIoErrorStatus() {
    return RTErrConvertFromWin32(ERROR_CRC);
}
