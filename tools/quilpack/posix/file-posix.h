// The POSIX calls the file layer makes, through one table so that a test can make any of them
// fail (disk full half-way through, a failing rename) without staging the fault.
#pragma once

#include <cstddef>
#include <sys/types.h>

namespace quilpack {

struct FileOpsPosix {
    ssize_t (*pfnWrite)(int fd, const void *pv, size_t cb);
    ssize_t (*pfnPwrite)(int fd, const void *pv, size_t cb, off_t off);
    ssize_t (*pfnPread)(int fd, void *pv, size_t cb, off_t off);
    int (*pfnClose)(int fd);
    int (*pfnRename)(const char *pszFrom, const char *pszTo);
};

// The table in use; it starts out pointing at the real calls.
extern FileOpsPosix g_fileOpsPosix;

} // namespace quilpack
