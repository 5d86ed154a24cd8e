// The table of the file and directory layers' POSIX calls, pointing at the real functions.
#include "r3/posix/fscalls-posix-internal.h"

static int rtFsPosixOpen(const char *pszPath, int fFlags, mode_t fMode) {
    return open(pszPath, fFlags, fMode);
}

static int rtFsPosixFcntl(int fd, int iCmd) {
    return fcntl(fd, iCmd);
}

RTFSCALLS g_rtFsCalls = {
    rtFsPosixOpen, rtFsPosixFcntl, ::close,   ::read,   ::write, ::fsync,
    ::lseek,       ::statx,        ::fstatfs, ::unlink, ::mkdir, ::rmdir,
};
