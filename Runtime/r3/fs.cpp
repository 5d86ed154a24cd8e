// File modes, NT times, file-system names and the disk-full decision.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>

#include "r3/fs-internal.h"

#include <string.h>

static bool rtFsIsExecutableName(const char *pszName, size_t cchName) {
    static const char s_aszSuffixes[][4] = {"exe", "com", "bat", "cmd", "btm"};
    if (!pszName || cchName < 4 || pszName[cchName - 4] != '.') return false;
    const char *pszSuffix = &pszName[cchName - 3];
    for (const char *pszKnown : s_aszSuffixes) {
        size_t i = 0;
        while (i < 3 && (char)(pszSuffix[i] | 0x20) == pszKnown[i]) i++;
        if (i == 3) return true;
    }
    return false;
}

RTFMODE rtFsModeFromDos(RTFMODE fMode, const char *pszName, size_t cchName, uint32_t uReparseTag) {
    fMode &= RTFS_DOS_MASK;
    if (fMode & RTFS_DOS_DIRECTORY)
        fMode |= RTFS_TYPE_DIRECTORY | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_EXECUTE;
    else if (rtFsIsExecutableName(pszName, cchName))
        fMode |= RTFS_TYPE_FILE | RTFS_UNIX_ALL_READ | RTFS_UNIX_ALL_EXECUTE;
    else
        fMode |= RTFS_TYPE_FILE | RTFS_UNIX_ALL_READ;
    if ((fMode & RTFS_DOS_NT_REPARSE_POINT) && uReparseTag == RTFS_REPARSE_TAG_SYMLINK)
        fMode = (fMode & ~RTFS_TYPE_MASK) | RTFS_TYPE_SYMLINK;
    if (!(fMode & RTFS_DOS_READONLY) || (fMode & RTFS_DOS_DIRECTORY)) fMode |= RTFS_UNIX_ALL_WRITE;
    return fMode;
}

// A last component that starts with '.' and is not '.' or '..' names a hidden object.
static bool rtFsIsDotName(const char *pszPath) {
    if (!pszPath) return false;
    const char *pszName = RTPathFilename(pszPath);
    if (!pszName || pszName[0] != '.') return false;
    return pszName[1] != '\0' && !(pszName[1] == '.' && pszName[2] == '\0');
}

RTFMODE rtFsModeNormaliseDir(RTFMODE fMode, const char *pszPath) {
    if (!(fMode & 0xFFFFU))
        fMode = rtFsModeFromDos(fMode | RTFS_DOS_DIRECTORY, NULL, 0,
                                (fMode & RTFS_DOS_NT_REPARSE_POINT) ? RTFS_REPARSE_TAG_SYMLINK : 0);
    else if (!(fMode & 0x7FFF0000U)) {
        fMode &= 0xFFFFU;
        if (!(fMode & RTFS_TYPE_MASK)) fMode |= RTFS_TYPE_DIRECTORY;
        if (!(fMode & RTFS_UNIX_ALL_WRITE)) fMode |= RTFS_DOS_READONLY;
        if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY) fMode |= RTFS_DOS_DIRECTORY;
        if (!(fMode & RTFS_DOS_MASK)) fMode |= RTFS_DOS_NT_NORMAL;
        if (rtFsIsDotName(pszPath)) fMode |= RTFS_DOS_HIDDEN;
    } else if (!(fMode & RTFS_TYPE_MASK))
        fMode |= (fMode & RTFS_DOS_DIRECTORY) ? RTFS_TYPE_DIRECTORY : RTFS_TYPE_FILE;
    else if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;
    return fMode;
}

bool rtFsModeIsValidDir(RTFMODE fMode) {
    // A consistent mode of another type is still no directory: RTDirCreate refuses it too.
    return (fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY && (fMode & RTFS_DOS_DIRECTORY);
}

int64_t rtFsTimeFromNt(int64_t iNtTime) {
    return (int64_t)((uint64_t)iNtTime * 100U - UINT64_C(11644473600000000000));
}

FsType rtFsTypeFromName(const RTUTF16 *pwcName, size_t cbName) {
    static const struct {
        const char *pszName;
        FsType enmType;
    } s_aNames[] = {
        {"NTFS", RTFSTYPE_NTFS},   {"FAT", RTFSTYPE_FAT},   {"FAT32", RTFSTYPE_FAT},
        {"exFAT", RTFSTYPE_EXFAT}, {"UDF", RTFSTYPE_UDF},   {"CDFS", RTFSTYPE_CDFS},
        {"HPFS", RTFSTYPE_HPFS},   {"ReFS", RTFSTYPE_REFS}, {"QuilSharedFolderFS", RTFSTYPE_SHARED_FOLDER},
    };
    size_t const cwc = cbName / sizeof(RTUTF16);
    for (const auto &Entry : s_aNames) {
        if (strlen(Entry.pszName) != cwc) continue;
        size_t i = 0;
        while (i < cwc && pwcName[i] == (RTUTF16)(unsigned char)Entry.pszName[i]) i++;
        if (i == cwc) return Entry.enmType;
    }
    return RTFSTYPE_UNKNOWN;
}

int rtFsDiskFullStatus(uint64_t offEnd, FsType enmType) {
    if (offEnd < 0x7FFFFFFFU) return QERR_DISK_FULL;
    uint64_t cbLimit;
    switch (enmType) {
    case RTFSTYPE_FAT:
        cbLimit = UINT64_C(1) << 32;
        break;
    case RTFSTYPE_HPFS:
        cbLimit = UINT64_C(1) << 31;
        break;
    case RTFSTYPE_CDFS:
        cbLimit = UINT64_C(1) << 43;
        break;
    default:
        return QERR_DISK_FULL;
    }
    return offEnd >= cbLimit ? QERR_FILE_TOO_BIG : QERR_DISK_FULL;
}

void rtFsObjInfoSetAdditional(FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional) {
    pObjInfo->enmAdditional = enmAdditional;
    switch (enmAdditional) {
    case RTFSOBJATTRADD_UNIX_OWNER:
        pObjInfo->u.UnixOwner.uid = UINT32_MAX;
        pObjInfo->u.UnixOwner.szName[0] = '\0';
        break;
    case RTFSOBJATTRADD_UNIX_GROUP:
        pObjInfo->u.UnixGroup.gid = UINT32_MAX;
        pObjInfo->u.UnixGroup.szName[0] = '\0';
        break;
    case RTFSOBJATTRADD_EASIZE:
        pObjInfo->u.EASize.cb = 0;
        break;
    default:
        break;
    }
}

int rtPathQueryInfoCheckArgs(const char *pszPath, const FsObjInfo *pObjInfo, uint32_t enmAdditional, uint32_t fFlags) {
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pObjInfo)) return QERR_INVALID_POINTER;
    if (!*pszPath || !rtFsObjAttrAddIsValid(enmAdditional)) return QERR_INVALID_PARAMETER;
    uint32_t const fLink = fFlags & (RTPATH_F_ON_LINK | RTPATH_F_FOLLOW_LINK);
    if ((fFlags & ~(RTPATH_F_ON_LINK | RTPATH_F_FOLLOW_LINK | RTPATH_F_NO_SYMLINKS)) ||
        (fLink != RTPATH_F_ON_LINK && fLink != RTPATH_F_FOLLOW_LINK))
        return QERR_INVALID_PARAMETER;
    return QINF_SUCCESS;
}
