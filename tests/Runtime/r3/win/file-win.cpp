// Files on Windows: sharing modes within the process and against another one, what a failed
// step after the open leaves, positions and sizes whose low part is all ones, devices, and the
// file system's size limit on a full disk.
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/file.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"
#include "Runtime/r3/win/fsprobe-test.h"

namespace {

// The installer's chain: written through a deny-write handle, verified through a read handle
// that forbids writers, held by it until the end.
TEST(FileWinSharing, TheInstallersChainInOneProcess) {
    TstScratchDir Dir;
    std::string const Path = Dir / "pkg.msi";
    std::string const Other = Dir / "other";
    ASSERT_TRUE(tstFileWriteAll(Other, "other"));

    RTFILE hWrite = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hWrite, Path.c_str(), 0x1C000222));
    ASSERT_EQ(QINF_SUCCESS, RTFileWrite(hWrite, "payload", 7, NULL));
    RTFILE hCheck = NIL_RTFILE;
    EXPECT_EQ(QINF_SUCCESS, RTFileOpen(&hCheck, Path.c_str(), 0x1C000781)); // read, deny none
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hCheck));
    RTFILE hLock = NIL_RTFILE;
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTFileOpen(&hLock, Path.c_str(), 0x721)); // a writer is open
    EXPECT_EQ(NIL_RTFILE, hLock);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hWrite));

    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hLock, Path.c_str(), 0x721));
    RTFILE hAgain = NIL_RTFILE;
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTFileOpen(&hAgain, Path.c_str(), 0x1C000322));
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTFileOpen(&hAgain, Path.c_str(), RTFOPEN_WRITE | RTFOPEN_OPEN));
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTFileDelete(Path.c_str()));
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTFileRename(Path.c_str(), (Dir / "moved").c_str(), 0));
    EXPECT_NE(QINF_SUCCESS, RTFileRename(Other.c_str(), Path.c_str(), RTFILEMOVE_FLAGS_REPLACE));
    EXPECT_EQ(QINF_SUCCESS, RTFileOpen(&hAgain, Path.c_str(), 0x1C000781)); // readers are welcome
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hAgain));

    std::string Content;
    EXPECT_TRUE(tstFileReadAll(Path, &Content));
    EXPECT_EQ("payload", Content);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hLock));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete(Path.c_str()));
}

struct ProbeCase {
    int iLine;
    const char *pszOp;
    bool fSecondIsOther; // the second path is another file (replace), else a new name
    int iExpected;
};

// clang-format off
const ProbeCase g_aHeldFile[] = {
    {__LINE__, "open-write", false, ERROR_SHARING_VIOLATION},
    {__LINE__, "delete",     false, ERROR_SHARING_VIOLATION},
    {__LINE__, "rename",     false, ERROR_SHARING_VIOLATION},
    {__LINE__, "open-read",  false, 0},
};
// clang-format on

TEST(FileWinSharing, AnotherProcessCannotChangeTheHeldFile) {
    TstScratchDir Dir;
    std::string const Path = Dir / "pkg.msi";
    ASSERT_TRUE(tstFileWriteAll(Path, "payload"));
    std::string const Other = Dir / "other";
    ASSERT_TRUE(tstFileWriteAll(Other, "other"));
    RTFILE hLock = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hLock, Path.c_str(), 0x721));
    for (const ProbeCase &c : g_aHeldFile) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.iExpected, tstFsProbe(c.pszOp, Path, Dir / "moved"));
    }
    // Replacing it with another file fails as well (the platform reports a sharing violation
    // or a denied access).
    int const iReplace = tstFsProbe("replace", Other, Path);
    EXPECT_TRUE(iReplace == ERROR_SHARING_VIOLATION || iReplace == ERROR_ACCESS_DENIED) << iReplace;
    std::string Content;
    EXPECT_TRUE(tstFileReadAll(Path, &Content));
    EXPECT_EQ("payload", Content);
    EXPECT_TRUE(tstPathExists(Other));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hLock));
    // Released: now the other process may delete it.
    EXPECT_EQ(0, tstFsProbe("delete", Path));
}

TEST(FileWinSharing, AHeldDirectoryCanBeNeitherRemovedNorRenamed) {
    TstScratchDir Dir;
    std::string const Path = Dir / "extract";
    ASSERT_TRUE(tstMakeDir(Path));
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&hDir, Path.c_str()));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, tstFsProbe("rmdir", Path));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, tstFsProbe("rename", Path, Dir / "moved"));
    EXPECT_EQ(QERR_SHARING_VIOLATION, RTDirRemove(Path.c_str()));
    // Files inside can still come and go.
    std::string const Inner = Path + "\\inner";
    EXPECT_TRUE(tstFileWriteAll(Inner, "x"));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete(Inner.c_str()));
    EXPECT_TRUE(tstIsDirectory(Path));
    EXPECT_EQ(QINF_SUCCESS, RTDirClose(hDir));
    EXPECT_EQ(QINF_SUCCESS, RTDirRemove(Path.c_str()));
}

//
// What a failed step after the open leaves behind.
//

struct AfterOpenCase {
    int iLine;
    uint64_t fOpen;
    bool fExistsBefore;
    bool fExistsAfter;
};

// clang-format off
const AfterOpenCase g_aAfterOpen[] = {
    {__LINE__, 0x1C000A22, false, false}, // created by this call: deleted again
    {__LINE__, 0x00000982, false, false}, // open-create that created
    {__LINE__, 0x00000B82, false, false}, // create-replace that created
    {__LINE__, 0x00000B82, true,  true},  // create-replace that replaced: the file stays
};
// clang-format on

TEST(FileWinOpen, FailedIndexingAttributeLeavesNoNewFile) {
    for (const AfterOpenCase &c : g_aAfterOpen) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        std::string const Path = Dir / "f";
        if (c.fExistsBefore) {
            ASSERT_TRUE(tstFileWriteAll(Path, "old"));
        }
        RTFILE hFile = (RTFILE)(intptr_t)0x1234;
        {
            TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED);
            EXPECT_EQ(QERR_ACCESS_DENIED, RTFileOpen(&hFile, Path.c_str(), c.fOpen));
            EXPECT_EQ(1u, Fail.failures());
        }
        EXPECT_EQ(NIL_RTFILE, hFile);
        EXPECT_EQ(c.fExistsAfter, tstPathExists(Path));
    }
}

TEST(FileWinOpen, OpenCreateTruncatesAnExistingFileOnly) {
    TstScratchDir Dir;
    std::string const Path = Dir / "f";
    ASSERT_TRUE(tstFileWriteAll(Path, "old"));
    RTFILE hFile = NIL_RTFILE;
    {
        TstFsCallFail<&RTFSCALLS::pfnSetEndOfFile> Fail(1, FALSE, ERROR_LOCK_VIOLATION);
        EXPECT_EQ(RTErrConvertFromWin32(ERROR_LOCK_VIOLATION), RTFileOpen(&hFile, Path.c_str(), 0x1182));
        EXPECT_EQ(NIL_RTFILE, hFile);
        EXPECT_TRUE(tstPathExists(Path)); // it existed: it stays
        // A new file needs no truncation: no call beyond the first one.
        EXPECT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "new").c_str(), 0x1182));
        EXPECT_EQ(1u, Fail.calls());
        EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    }
}

//
// A low part of all ones is a value unless the last error says otherwise.
//

TEST(FileWinTell, AllOnesLowPartWithoutErrorIsAPosition) {
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "f").c_str(), 0x1C000322));
    {
        TstFsCallFail<&RTFSCALLS::pfnSetFilePointer> Fail(1, INVALID_SET_FILE_POINTER, 0);
        EXPECT_EQ(UINT64_C(0xFFFFFFFF), RTFileTell(hFile));
    }
    {
        TstFsCallFail<&RTFSCALLS::pfnSetFilePointer> Fail(1, INVALID_SET_FILE_POINTER, ERROR_INVALID_HANDLE);
        EXPECT_EQ(UINT64_MAX, RTFileTell(hFile));
    }
    uint64_t cb = 0;
    {
        TstFsCallFail<&RTFSCALLS::pfnGetFileSize> Fail(1, INVALID_FILE_SIZE, 0);
        EXPECT_EQ(QINF_SUCCESS, RTFileQuerySize(hFile, &cb));
        EXPECT_EQ(UINT64_C(0xFFFFFFFF), cb);
    }
    {
        // A real failure falls back to the disk query, which a file does not answer.
        TstFsCallFail<&RTFSCALLS::pfnGetFileSize> Fail(1, INVALID_FILE_SIZE, ERROR_INVALID_HANDLE);
        cb = 42;
        EXPECT_EQ(QERR_INVALID_HANDLE, RTFileQuerySize(hFile, &cb));
        EXPECT_EQ(42u, cb);
    }
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

//
// Devices and dead handles.
//

TEST(FileWinQueryInfo, DevicesGetTheDeviceRecord) {
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, "NUL", RTFOPEN_WRITE | RTFOPEN_OPEN | RTFOPEN_DENY_NONE));
    FsObjInfo Info;
    memset(&Info, 0x55, sizeof(Info));
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX));
    EXPECT_EQ(0x4081B6u, Info.fMode);
    EXPECT_EQ(RTFSOBJATTRADD_UNIX, Info.enmAdditional);
    EXPECT_EQ(0u, Info.cbObject);
    EXPECT_EQ(0, Info.BirthTime);
    EXPECT_EQ(0u, Info.u.Unix.INodeId);
    EXPECT_TRUE(RTFileIsValid(hFile));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

struct NtFailCase {
    int iLine;
    NTSTATUS rcNt;
    int rc;       // of RTFileQueryInfo
    bool fDevice; // the device record
};

// clang-format off
const NtFailCase g_aNtFail[] = {
    {__LINE__, (NTSTATUS)0xC0000010L, QINF_SUCCESS,         true},  // invalid device request (a console under Wine)
    {__LINE__, (NTSTATUS)0xC0000003L, QINF_SUCCESS,         true},  // invalid info class (NUL)
    {__LINE__, (NTSTATUS)0xC0000008L, QERR_INVALID_HANDLE,  false}, // a file handle is no console
    {__LINE__, (NTSTATUS)0xC0000022L, QERR_INVALID_HANDLE,  false},
    {__LINE__, (NTSTATUS)0xC0000034L, QERR_FILE_NOT_FOUND,  false}, // other failures are returned
};
// clang-format on

TEST(FileWinQueryInfo, QueryFailuresTellDevicesFromDeadHandles) {
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "f").c_str(), 0x1C000322));
    for (const NtFailCase &c : g_aNtFail) {
        SCOPED_TRACE(c.iLine);
        FsObjInfo Info;
        memset(&Info, 0x55, sizeof(Info));
        TstFsCallFail<&RTFSCALLS::pfnNtQueryInformationFile> Fail(1, c.rcNt, 0);
        EXPECT_EQ(c.rc, RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_NOTHING));
        if (c.fDevice) {
            EXPECT_EQ(0x4081B6u, Info.fMode);
        }
    }
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

TEST(FileWinIsValid, DeadAndBogusHandles) {
    EXPECT_FALSE(RTFileIsValid((RTFILE)(intptr_t)0x4444));
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "f").c_str(), 0x1C000322));
    EXPECT_TRUE(RTFileIsValid(hFile));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_FALSE(RTFileIsValid(hFile));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTFileClose(hFile));
}

//
// A full disk: the file system's size limit decides between "full" and "too big".
//

// Reports the file-system name the test chose.
const wchar_t *g_pwszTstFsName = L"NTFS";

NTSTATUS NTAPI tstQueryVolumeAs(HANDLE hFile, PIO_STATUS_BLOCK pIos, PVOID pvBuf, ULONG cbBuf,
                                FS_INFORMATION_CLASS enmClass) {
    if (enmClass != FileFsAttributeInformation)
        return TstFsCallOverride<&RTFSCALLS::pfnNtQueryVolumeInformationFile>::real()(hFile, pIos, pvBuf, cbBuf,
                                                                                      enmClass);
    FILE_FS_ATTRIBUTE_INFORMATION *pInfo = (FILE_FS_ATTRIBUTE_INFORMATION *)pvBuf;
    pInfo->FileSystemAttributes = 0;
    pInfo->MaximumComponentNameLength = 255;
    pInfo->FileSystemNameLength = (ULONG)(wcslen(g_pwszTstFsName) * sizeof(WCHAR));
    memcpy(pInfo->FileSystemName, g_pwszTstFsName, pInfo->FileSystemNameLength);
    return 0;
}

struct FullCase {
    int iLine;
    const wchar_t *pwszFs;
    uint64_t off;
    int rc;
};

// clang-format off
const FullCase g_aFull[] = {
    {__LINE__, L"FAT32", UINT64_C(0x140000000), QERR_FILE_TOO_BIG}, // past 4 GiB on FAT
    {__LINE__, L"FAT32", UINT64_C(0x0FFFFE000), QERR_DISK_FULL},    // the write ends below it
    {__LINE__, L"FAT32", UINT64_C(0x0FFFFF000), QERR_FILE_TOO_BIG}, // ... or right at it
    {__LINE__, L"NTFS",  UINT64_C(0x140000000), QERR_DISK_FULL},
    {__LINE__, L"HPFS",  UINT64_C(0x080000000), QERR_FILE_TOO_BIG},
    {__LINE__, L"FAT",   UINT64_C(0x000100000), QERR_DISK_FULL},    // below 2 GiB: never asks
};
// clang-format on

TEST(FileWinDiskFull, TheFileSystemsLimitDecides) {
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "big").c_str(), 0x1C000322));
    TstFsCallOverride<&RTFSCALLS::pfnNtQueryVolumeInformationFile> Volume(tstQueryVolumeAs);
    for (const FullCase &c : g_aFull) {
        SCOPED_TRACE(c.iLine);
        g_pwszTstFsName = c.pwszFs;
        ASSERT_TRUE(tstFileSeek(hFile, c.off));
        TstFsCallFail<&RTFSCALLS::pfnWriteFile> Fail(1, FALSE, ERROR_DISK_FULL);
        static const char s_abData[4096] = {0};
        EXPECT_EQ(c.rc, RTFileWrite(hFile, s_abData, sizeof(s_abData), NULL));
    }
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

} // namespace
