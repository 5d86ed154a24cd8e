// The POSIX calls of the file and directory layers, made through one table so that a test can
// replace an entry (to make its Nth call fail with a chosen errno, or to shorten a transfer) and
// put it back. Filled at compile time; only tests change it
// (tests/Runtime/r3/posix/fscalls-posix-test.h), on one thread, between calls.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/types.h>
#include <unistd.h>

typedef struct RTFSCALLS {
    // open() and fcntl() are variadic; the table holds fixed forms of them.
    int (*pfnOpen)(const char *pszPath, int fFlags, mode_t fMode);
    int (*pfnFcntl)(int fd, int iCmd);
    decltype(&::close) pfnClose;
    decltype(&::read) pfnRead;
    decltype(&::write) pfnWrite;
    decltype(&::fsync) pfnFsync;
    decltype(&::lseek) pfnLseek;
    decltype(&::statx) pfnStatx;
    decltype(&::fstatfs) pfnFstatfs;
    decltype(&::unlink) pfnUnlink;
    decltype(&::mkdir) pfnMkdir;
    decltype(&::rmdir) pfnRmdir;
} RTFSCALLS;

extern RTFSCALLS g_rtFsCalls;
