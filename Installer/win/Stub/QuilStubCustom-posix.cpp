// Listing and deleting inside the ".custom" copy where Windows is absent: symbolic links are
// seen as links (never followed) and unlinked. Paths take the runtime's native form first.
#include "QuilStubCustom-internal.h"

#include "r3/posix/path-posix-internal.h"

#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// pfnCall on the native form of pszPath: its status, or the conversion's failure.
template <typename T_Call>
int stubPosixOnNative(const char *pszPath, T_Call Call) {
    char *pszNative = NULL;
    int rc = rtPathPosixToNative(&pszNative, pszPath);
    if (RT_FAILURE(rc)) return rc;
    rc = Call(pszNative);
    RTStrFree(pszNative);
    return rc;
}

int stubPosixEnumOpen(const char *pszDir, void **phEnum) {
    return stubPosixOnNative(pszDir, [phEnum](const char *pszNative) {
        DIR *pDir = opendir(pszNative);
        if (!pDir) return RTErrConvertFromErrno(errno);
        *phEnum = pDir;
        return (int)QINF_SUCCESS;
    });
}

int stubPosixEnumNext(void *hEnum, char *pszPath, size_t cbPath, size_t offName, StubTreeKind *penmKind) {
    DIR *pDir = (DIR *)hEnum;
    for (;;) {
        errno = 0;
        struct dirent *pEntry = readdir(pDir);
        if (!pEntry) return errno ? RTErrConvertFromErrno(errno) : QERR_NO_MORE_FILES;
        const char *pszName = pEntry->d_name;
        if (pszName[0] == '.' && (!pszName[1] || (pszName[1] == '.' && !pszName[2]))) continue;
        int rc = RTStrCopy(pszPath + offName, cbPath - offName, pszName);
        if (RT_FAILURE(rc)) return rc;
        struct stat St;
        if (fstatat(dirfd(pDir), pszName, &St, AT_SYMLINK_NOFOLLOW) != 0) return RTErrConvertFromErrno(errno);
        *penmKind = S_ISLNK(St.st_mode) ? kStubTreeFileLink : S_ISDIR(St.st_mode) ? kStubTreeDir : kStubTreeFile;
        return QINF_SUCCESS;
    }
}

void stubPosixEnumClose(void *hEnum) {
    closedir((DIR *)hEnum);
}

int stubPosixDeleteFile(const char *pszPath) {
    return stubPosixOnNative(pszPath, [](const char *pszNative) {
        return unlink(pszNative) == 0 ? (int)QINF_SUCCESS : RTErrConvertFromErrno(errno);
    });
}

// A directory link is a symbolic link here: unlinked; a directory is removed when empty.
int stubPosixRemoveDir(const char *pszPath) {
    return stubPosixOnNative(pszPath, [](const char *pszNative) {
        struct stat St;
        bool const fLink = lstat(pszNative, &St) == 0 && S_ISLNK(St.st_mode);
        return (fLink ? unlink(pszNative) : rmdir(pszNative)) == 0 ? (int)QINF_SUCCESS : RTErrConvertFromErrno(errno);
    });
}

} // namespace

StubCustomCalls g_StubCustomCalls = {RTPathExecDir,      stubPosixEnumOpen,   stubPosixEnumNext,
                                     stubPosixEnumClose, stubPosixDeleteFile, stubPosixRemoveDir};
