// POSIX bodies of the file-test helpers.
#include <qrt/err.h>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/posix/fscalls-posix-test.h"

#include <memory>

bool tstFileSeek(RTFILE hFile, uint64_t off) {
    return lseek((int)RTFileToNative(hFile), (off_t)off, SEEK_SET) == (off_t)off;
}

bool tstFileSetEndAt(RTFILE hFile, uint64_t off) {
    return tstFileSeek(hFile, off) && ftruncate((int)RTFileToNative(hFile), (off_t)off) == 0;
}

static PFNTSTIOHOOK g_pfnTstIoHook;
static void *g_pvTstIoHookUser;

static bool tstIoFail(TSTIOFAIL enmFail) {
    switch (enmFail) {
    case TSTIO_NO_MEMORY:
        errno = ENOMEM;
        return true;
    case TSTIO_DISK_FULL:
        errno = ENOSPC;
        return true;
    case TSTIO_IO_ERROR:
        errno = EIO;
        return true;
    default:
        return false;
    }
}

static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnRead>> g_pTstReadOverride;
static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnWrite>> g_pTstWriteOverride;

static ssize_t tstHookedRead(int fd, void *pv, size_t cb) noexcept {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, false, cb);
    if (tstIoFail(Step.enmFail)) return -1;
    if (Step.cbMax < cb) cb = Step.cbMax;
    return TstFsCallOverride<&RTFSCALLS::pfnRead>::real()(fd, pv, cb);
}

static ssize_t tstHookedWrite(int fd, const void *pv, size_t cb) noexcept {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, true, cb);
    if (tstIoFail(Step.enmFail)) return -1;
    if (Step.cbMax < cb) cb = Step.cbMax;
    if (cb == 0) return 0;
    return TstFsCallOverride<&RTFSCALLS::pfnWrite>::real()(fd, pv, cb);
}

TstFileIoHook::TstFileIoHook(PFNTSTIOHOOK pfnHook, void *pvUser) {
    g_pfnTstIoHook = pfnHook;
    g_pvTstIoHookUser = pvUser;
    g_pTstReadOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnRead>(tstHookedRead));
    g_pTstWriteOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnWrite>(tstHookedWrite));
}

TstFileIoHook::~TstFileIoHook() {
    g_pTstWriteOverride.reset();
    g_pTstReadOverride.reset();
}

int tstIoErrorStatus() {
    return RTErrConvertFromErrno(EIO);
}
