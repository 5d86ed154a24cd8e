// File modes from Windows attributes, directory-mode normalisation, NT times, file-system names,
// the disk-full decision and the path query's argument checks.
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <string.h>

#include "r3/fs-internal.h"

namespace {

struct ModeFromDosCase {
    int iLine;
    uint32_t fAttrs; // unshifted Windows attributes
    const char *pszName;
    uint32_t uReparseTag;
    RTFMODE fExpected;
};

// clang-format off
const ModeFromDosCase g_aModeFromDos[] = {
    {__LINE__, 0x10,    NULL,     0,          0x001041FF}, // directory: 0555 plus the write bits
    {__LINE__, 0x11,    NULL,     0,          0x001141FF}, // a read-only directory keeps its write bits
    {__LINE__, 0x20,    "a.txt",  0,          0x002081B6}, // file: 0444 plus the write bits
    {__LINE__, 0x21,    "a.txt",  0,          0x00218124}, // read-only file: no write bits
    {__LINE__, 0x20,    "A.EXE",  0,          0x002081FF}, // executable suffix in any case
    {__LINE__, 0x20,    "x.Cmd",  0,          0x002081FF},
    {__LINE__, 0x20,    "y.btm",  0,          0x002081FF},
    {__LINE__, 0x20,    ".bat",   0,          0x002081FF}, // four characters are enough
    {__LINE__, 0x20,    "EXE",    0,          0x002081B6}, // three are not
    {__LINE__, 0x20,    "a.exe2", 0,          0x002081B6},
    {__LINE__, 0x20,    "aexe",   0,          0x002081B6}, // the dot is needed
    {__LINE__, 0x400,   NULL,     0xA000000C, 0x0400A1B6}, // symbolic link
    {__LINE__, 0x410,   NULL,     0xA000000C, 0x0410A1FF}, // link to a directory
    {__LINE__, 0x410,   NULL,     0xA0000003, 0x041041FF}, // junction: stays a directory
    {__LINE__, 0x20,    NULL,     0xA000000C, 0x002081B6}, // a tag without the attribute is no link
    {__LINE__, 0x40,    "",       0,          0x004081B6}, // device
    {__LINE__, 0x80,    NULL,     0,          0x008081B6},
    {__LINE__, 0x2000,  NULL,     0,          0x200081B6},
};
// clang-format on

TEST(FsModeFromDos, TypesPermissionsAndAttributes) {
    for (const ModeFromDosCase &c : g_aModeFromDos) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fExpected, rtFsModeFromDos(c.fAttrs << RTFS_DOS_SHIFT, c.pszName, c.pszName ? strlen(c.pszName) : 0,
                                               c.uReparseTag));
    }
}

TEST(FsModeFromDos, LowBitsOfTheInputAreDropped) {
    EXPECT_EQ(0x001041FFU, rtFsModeFromDos(RTFS_DOS_DIRECTORY | 0x8FFF, NULL, 0, 0));
}

struct NormaliseCase {
    int iLine;
    RTFMODE fMode;
    const char *pszPath;
    RTFMODE fExpected;
    bool fValid;
};

// clang-format off
const NormaliseCase g_aNormalise[] = {
    {__LINE__, 0700,       "C:\\d\\x",   0x001041C0, true},  // the installer's mode
    {__LINE__, 0,          "x",          0x001041FF, true},  // nothing given: a plain directory
    {__LINE__, 0x40000000, "x",          0x401041FF, true},  // attributes only
    {__LINE__, 0x00010000, "x",          0x001141FF, true},
    {__LINE__, 0x04000000, "x",          0x0410A1FF, false}, // a reparse point reads as a link: refused
    {__LINE__, 0x8000,     "x",          0x00018000, false}, // regular-file type: refused
    {__LINE__, 0xA1FF,     "x",          0x0080A1FF, false}, // link type
    {__LINE__, 0x41ED,     "x",          0x001041ED, true},
    {__LINE__, 0x4000,     "x",          0x00114000, true},  // no write bit: read-only too
    {__LINE__, 0555,       "x",          0x0011416D, true},
    {__LINE__, 0700,       "C:\\d\\.hidden", 0x001241C0, true},
    {__LINE__, 0700,       "/d/.custom", 0x001241C0, true},
    {__LINE__, 0700,       "..",         0x001041C0, true},
    {__LINE__, 0700,       "d/.",        0x001041C0, true},
    {__LINE__, 0700,       NULL,         0x001041C0, true},
    {__LINE__, 0x001001C0, "x",          0x001041C0, true},  // both parts, no type: directory
    {__LINE__, 0x002001C0, "x",          0x002081C0, false}, // ... or a file
    {__LINE__, 0x002041C0, "x",          0x003041C0, true},  // directory type adds the attribute
    {__LINE__, 0x001081C0, "x",          0x001081C0, false}, // file type with the attribute
};
// clang-format on

TEST(FsModeNormaliseDir, EachPartIsCompletedAndCheckedAsADirectory) {
    for (const NormaliseCase &c : g_aNormalise) {
        SCOPED_TRACE(c.iLine);
        RTFMODE const fMode = rtFsModeNormaliseDir(c.fMode, c.pszPath);
        EXPECT_EQ(c.fExpected, fMode);
        EXPECT_EQ(c.fValid, rtFsModeIsValidDir(fMode));
    }
}

struct NtTimeCase {
    int iLine;
    int64_t iNt;
    int64_t iExpected;
};

// clang-format off
const NtTimeCase g_aNtTimes[] = {
    {__LINE__, 0,                   INT64_C(6802270473709551616)},   // 1601 lies beyond the range: wraps
    {__LINE__, 116444736000000000,  0},                              // 1970-01-01
    {__LINE__, 116444736000000001,  100},
    {__LINE__, 132223104000000000,  INT64_C(1577836800000000000)},  // 2020-01-01
    {__LINE__, -1,                  INT64_C(6802270473709551516)},
};
// clang-format on

TEST(FsTimeFromNt, HundredsOfNanosecondsSince1601ModuloTwoToThe64) {
    for (const NtTimeCase &c : g_aNtTimes) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.iExpected, rtFsTimeFromNt(c.iNt));
    }
}

struct FsNameCase {
    int iLine;
    const char *pszName;
    FsType enmType;
};

// clang-format off
const FsNameCase g_aFsNames[] = {
    {__LINE__, "NTFS",               RTFSTYPE_NTFS},
    {__LINE__, "FAT",                RTFSTYPE_FAT},
    {__LINE__, "FAT32",              RTFSTYPE_FAT},
    {__LINE__, "exFAT",              RTFSTYPE_EXFAT},
    {__LINE__, "UDF",                RTFSTYPE_UDF},
    {__LINE__, "CDFS",               RTFSTYPE_CDFS},
    {__LINE__, "HPFS",               RTFSTYPE_HPFS},
    {__LINE__, "ReFS",               RTFSTYPE_REFS},
    {__LINE__, "QuilSharedFolderFS", RTFSTYPE_SHARED_FOLDER},
    {__LINE__, "ntfs",               RTFSTYPE_UNKNOWN}, // exact comparison
    {__LINE__, "FAT3",               RTFSTYPE_UNKNOWN},
    {__LINE__, "FAT322",             RTFSTYPE_UNKNOWN},
    {__LINE__, "EXFAT",              RTFSTYPE_UNKNOWN},
    {__LINE__, "",                   RTFSTYPE_UNKNOWN},
    {__LINE__, "ext4",               RTFSTYPE_UNKNOWN},
};
// clang-format on

TEST(FsTypeFromName, KnownNamesOfTheSameLengthOnly) {
    for (const FsNameCase &c : g_aFsNames) {
        SCOPED_TRACE(c.iLine);
        RTUTF16 awc[32];
        size_t const cch = strlen(c.pszName);
        for (size_t i = 0; i < cch; i++) awc[i] = (RTUTF16)c.pszName[i];
        awc[cch] = 'X'; // no terminator: the length decides
        EXPECT_EQ(c.enmType, rtFsTypeFromName(awc, cch * sizeof(RTUTF16)));
    }
}

struct DiskFullCase {
    int iLine;
    uint64_t offEnd;
    FsType enmType;
    int rc;
};

// clang-format off
const DiskFullCase g_aDiskFull[] = {
    {__LINE__, 3u << 20,                       RTFSTYPE_FAT,     QERR_DISK_FULL},
    {__LINE__, 0x7FFFFFFE,                     RTFSTYPE_HPFS,    QERR_DISK_FULL},
    {__LINE__, 0x7FFFFFFF,                     RTFSTYPE_HPFS,    QERR_DISK_FULL},
    {__LINE__, UINT64_C(1) << 31,              RTFSTYPE_HPFS,    QERR_FILE_TOO_BIG},
    {__LINE__, (UINT64_C(1) << 32) - 1,        RTFSTYPE_FAT,     QERR_DISK_FULL},
    {__LINE__, UINT64_C(1) << 32,              RTFSTYPE_FAT,     QERR_FILE_TOO_BIG},
    {__LINE__, UINT64_C(1) << 32,              RTFSTYPE_NTFS,    QERR_DISK_FULL},
    {__LINE__, UINT64_C(1) << 40,              RTFSTYPE_UNKNOWN, QERR_DISK_FULL},
    {__LINE__, (UINT64_C(1) << 43) - 1,        RTFSTYPE_CDFS,    QERR_DISK_FULL},
    {__LINE__, UINT64_C(1) << 43,              RTFSTYPE_CDFS,    QERR_FILE_TOO_BIG},
    {__LINE__, UINT64_C(1) << 33,              RTFSTYPE_EXFAT,   QERR_DISK_FULL},
};
// clang-format on

TEST(FsDiskFullStatus, FileTooBigOnlyAtTheFileSystemsLimit) {
    for (const DiskFullCase &c : g_aDiskFull) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.rc, rtFsDiskFullStatus(c.offEnd, c.enmType));
    }
}

TEST(FsObjInfoSetAdditional, OwnerAndGroupAreUnknownEaSizeZero) {
    FsObjInfo Info;
    memset(&Info, 0x55, sizeof(Info));
    rtFsObjInfoSetAdditional(&Info, RTFSOBJATTRADD_UNIX_OWNER);
    EXPECT_EQ(RTFSOBJATTRADD_UNIX_OWNER, Info.enmAdditional);
    EXPECT_EQ(UINT32_MAX, Info.u.UnixOwner.uid);
    EXPECT_STREQ("", Info.u.UnixOwner.szName);
    rtFsObjInfoSetAdditional(&Info, RTFSOBJATTRADD_UNIX_GROUP);
    EXPECT_EQ(UINT32_MAX, Info.u.UnixGroup.gid);
    EXPECT_STREQ("", Info.u.UnixGroup.szName);
    rtFsObjInfoSetAdditional(&Info, RTFSOBJATTRADD_EASIZE);
    EXPECT_EQ(0u, Info.u.EASize.cb);
}

struct QueryArgsCase {
    int iLine;
    const char *pszPath;
    bool fInfo;
    uint32_t enmAdd;
    uint32_t fFlags;
    int rc;
};

// clang-format off
const QueryArgsCase g_aQueryArgs[] = {
    {__LINE__, "x",  true,  1, RTPATH_F_ON_LINK,                         QINF_SUCCESS},
    {__LINE__, "x",  true,  5, RTPATH_F_FOLLOW_LINK | RTPATH_F_NO_SYMLINKS, QINF_SUCCESS},
    {__LINE__, NULL, true,  1, RTPATH_F_ON_LINK,                         QERR_INVALID_POINTER},
    {__LINE__, "x",  false, 1, RTPATH_F_ON_LINK,                         QERR_INVALID_POINTER},
    {__LINE__, "",   true,  1, RTPATH_F_ON_LINK,                         QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  0, RTPATH_F_ON_LINK,                         QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  6, RTPATH_F_ON_LINK,                         QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  1, 0,                                        QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  1, RTPATH_F_ON_LINK | RTPATH_F_FOLLOW_LINK,  QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  1, RTPATH_F_NO_SYMLINKS,                     QERR_INVALID_PARAMETER},
    {__LINE__, "x",  true,  1, RTPATH_F_ON_LINK | 8,                     QERR_INVALID_PARAMETER},
};
// clang-format on

TEST(PathQueryInfoArgs, PointersKindAndExactlyOneLinkFlag) {
    for (const QueryArgsCase &c : g_aQueryArgs) {
        SCOPED_TRACE(c.iLine);
        FsObjInfo Info;
        EXPECT_EQ(c.rc, rtPathQueryInfoCheckArgs(c.pszPath, c.fInfo ? &Info : NULL, c.enmAdd, c.fFlags));
        // The public call refuses the same arguments before touching the disk.
        if (RT_FAILURE(c.rc)) {
            EXPECT_EQ(c.rc, RTPathQueryInfoEx(c.pszPath, c.fInfo ? &Info : NULL, (FsObjAttrAdd)c.enmAdd, c.fFlags));
        }
    }
}

} // namespace
