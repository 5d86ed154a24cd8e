// Files over POSIX: what the open-flags word becomes for open(), and the file system's size
// limit on a full disk.
#include <qrt/err.h>
#include <qrt/file.h>

#include <gtest/gtest.h>

#include <linux/magic.h>
#include <string.h>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/posix/fscalls-posix-test.h"

namespace {

int g_fTstOpenFlags;
mode_t g_fTstOpenMode;

int tstCaptureOpen(const char *pszPath, int fFlags, mode_t fMode) {
    g_fTstOpenFlags = fFlags;
    g_fTstOpenMode = fMode;
    return TstFsCallOverride<&RTFSCALLS::pfnOpen>::real()(pszPath, fFlags, fMode);
}

struct PosixOpenCase {
    int iLine;
    uint64_t fOpen;
    int fFlags;
    mode_t fMode;
};

// clang-format off
const PosixOpenCase g_aPosixOpen[] = {
    {__LINE__, 0x1C000222, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0700},
    {__LINE__, 0x1C000322, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0700},
    {__LINE__, 0x00000186, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666}, // no mode given
    {__LINE__, 0x18001183, O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC,  0600},
    {__LINE__, 0x00002282, O_WRONLY | O_CREAT | O_EXCL,             0666},  // inherited
    {__LINE__, 0x00008282, O_WRONLY | O_CREAT | O_EXCL | O_SYNC | O_CLOEXEC, 0666},
};
// clang-format on

TEST(FilePosixOpen, FlagsAndModeReachOpen) {
    TstScratchDir Dir;
    for (const PosixOpenCase &c : g_aPosixOpen) {
        SCOPED_TRACE(c.iLine);
        std::string const Path = Dir / "f";
        unlink(Path.c_str());
        TstFsCallOverride<&RTFSCALLS::pfnOpen> Capture(tstCaptureOpen);
        RTFILE hFile = NIL_RTFILE;
        ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), c.fOpen));
        EXPECT_EQ(c.fFlags, g_fTstOpenFlags);
        EXPECT_EQ(c.fMode, g_fTstOpenMode);
        EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    }
}

TEST(FilePosixOpen, CreationModeIsApplied) {
    TstScratchDir Dir;
    std::string const Path = Dir / "private";
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1C000222));
    FsObjInfo Info;
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX));
    EXPECT_EQ(0700u, Info.fMode & RTFS_UNIX_ALL_PERMS);
    EXPECT_EQ((uint32_t)getuid(), Info.u.Unix.uid);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

long g_lTstFsMagic;

int tstStatfsAs(int fd, struct statfs *pStFs) noexcept {
    int rc = TstFsCallOverride<&RTFSCALLS::pfnFstatfs>::real()(fd, pStFs);
    pStFs->f_type = g_lTstFsMagic;
    return rc;
}

struct PosixFullCase {
    int iLine;
    long lMagic;
    uint64_t off;
    int rc;
};

// clang-format off
const PosixFullCase g_aPosixFull[] = {
    {__LINE__, MSDOS_SUPER_MAGIC, UINT64_C(0x140000000), QERR_FILE_TOO_BIG},
    {__LINE__, MSDOS_SUPER_MAGIC, UINT64_C(0x0FFFFE000), QERR_DISK_FULL},
    {__LINE__, ISOFS_SUPER_MAGIC, UINT64_C(0x140000000), QERR_DISK_FULL},
    {__LINE__, 0xF995E849,        UINT64_C(0x080000000), QERR_FILE_TOO_BIG}, // HPFS
    {__LINE__, EXT4_SUPER_MAGIC,  UINT64_C(0x140000000), QERR_DISK_FULL},
};
// clang-format on

TEST(FilePosixDiskFull, TheFileSystemsLimitDecides) {
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "big").c_str(), 0x1C000322));
    TstFsCallOverride<&RTFSCALLS::pfnFstatfs> Statfs(tstStatfsAs);
    for (const PosixFullCase &c : g_aPosixFull) {
        SCOPED_TRACE(c.iLine);
        g_lTstFsMagic = c.lMagic;
        ASSERT_TRUE(tstFileSeek(hFile, c.off));
        TstFsCallFail<&RTFSCALLS::pfnWrite> Fail(1, -1, ENOSPC);
        static const char s_abData[4096] = {0};
        EXPECT_EQ(c.rc, RTFileWrite(hFile, s_abData, sizeof(s_abData), NULL));
    }
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

} // namespace
