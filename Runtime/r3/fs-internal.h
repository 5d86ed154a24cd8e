// What the file, directory and path-query layers share: the file mode conversions, NT times,
// file-system types and the disk-full decision. Pure functions, built on every platform.
#pragma once

#include <qrt/file.h>

// Reparse tag of a symbolic link.
#define RTFS_REPARSE_TAG_SYMLINK 0xA000000CU

// File-system types recognised by name.
enum FsType : uint32_t {
    RTFSTYPE_UNKNOWN = 0,
    RTFSTYPE_UDF = 1,
    RTFSTYPE_CDFS = 2,
    RTFSTYPE_SHARED_FOLDER = 4, // the file system that names itself "QuilSharedFolderFS"
    RTFSTYPE_NTFS = 17,
    RTFSTYPE_FAT = 18, // FAT and FAT32
    RTFSTYPE_EXFAT = 19,
    RTFSTYPE_REFS = 20,
    RTFSTYPE_HPFS = 28,
};

// The mode of an object from its Windows attributes (already shifted left by 16; other bits
// are dropped), its name (for the executable suffixes; may be null) and its reparse tag: a
// directory gets 0555, another object 0444 or, named '*.exe', '.com', '.bat', '.cmd' or '.btm'
// (any case, at least four characters), 0555; a reparse point with the symbolic-link tag
// becomes a link; the write bits 0222 unless it is a read-only non-directory.
RTFMODE rtFsModeFromDos(RTFMODE fMode, const char *pszName, size_t cchName, uint32_t uReparseTag);

// Normalises a mode given for a new directory: a Windows-only mode is completed as a directory
// (rtFsModeFromDos with the directory attribute on), a Unix-only one gets the directory type
// when it has none, the read-only attribute without write bits, the directory attribute for the
// directory type, the normal attribute when no attribute resulted, and the hidden attribute
// when pszPath's last component starts with '.' (not '.' or '..'); a mode with both parts gets
// the type its directory attribute implies. pszPath may be null.
RTFMODE rtFsModeNormaliseDir(RTFMODE fMode, const char *pszPath);
// True when a normalised mode is a consistent directory mode: directory type and directory
// attribute, both.
bool rtFsModeIsValidDir(RTFMODE fMode);

// An NT time (100 ns units since 1601-01-01) as FsObjInfo's nanoseconds since 1970, computed
// modulo 2^64.
int64_t rtFsTimeFromNt(int64_t iNtTime);

// The type of a file system from its UTF-16 name (cbName bytes, no terminator needed);
// RTFSTYPE_UNKNOWN for a name that is none of the known ones (compared exactly).
FsType rtFsTypeFromName(const RTUTF16 *pwcName, size_t cbName);
// The status of a write that failed for want of space, from the offset the write would have
// reached and the file system's type: QERR_FILE_TOO_BIG at or beyond the type's size limit
// (FAT 4 GiB, HPFS 2 GiB, CDFS 8 TiB; the check starts at 2 GiB - 1), else QERR_DISK_FULL.
int rtFsDiskFullStatus(uint64_t offEnd, FsType enmType);

// The additional attributes that every platform fills the same way: none, the Unix owner and
// group (ids all ones, names empty) and the extended-attribute size (0). The Unix kind is
// left to the caller. Sets enmAdditional.
void rtFsObjInfoSetAdditional(FsObjInfo *pObjInfo, FsObjAttrAdd enmAdditional);
// True for a kind from RTFSOBJATTRADD_NOTHING to RTFSOBJATTRADD_EASIZE.
static inline bool rtFsObjAttrAddIsValid(uint32_t enmAdditional) {
    return enmAdditional >= RTFSOBJATTRADD_NOTHING && enmAdditional <= RTFSOBJATTRADD_EASIZE;
}

// RTPathQueryInfoEx's argument checks, shared by the platforms: QERR_INVALID_POINTER,
// QERR_INVALID_PARAMETER or QINF_SUCCESS.
int rtPathQueryInfoCheckArgs(const char *pszPath, const FsObjInfo *pObjInfo, uint32_t enmAdditional, uint32_t fFlags);
