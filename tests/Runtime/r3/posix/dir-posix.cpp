// Directories over POSIX: links to directories count as directories, and the mode is applied.
#include <qrt/dir.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "Runtime/r3/fs-test-util.h"

namespace {

TEST(DirPosixExists, LinksAreFollowed) {
    TstScratchDir Dir;
    ASSERT_TRUE(tstMakeDir(Dir / "target"));
    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    ASSERT_EQ(0, symlink((Dir / "target").c_str(), (Dir / "to-dir").c_str()));
    ASSERT_EQ(0, symlink((Dir / "file").c_str(), (Dir / "to-file").c_str()));
    ASSERT_EQ(0, symlink((Dir / "gone").c_str(), (Dir / "dangling").c_str()));
    EXPECT_TRUE(RTDirExists((Dir / "to-dir").c_str()));
    EXPECT_FALSE(RTDirExists((Dir / "to-file").c_str()));
    EXPECT_FALSE(RTDirExists((Dir / "dangling").c_str()));
}

TEST(DirPosixCreate, TheModeIsApplied) {
    TstScratchDir Dir;
    mode_t const fOld = umask(022);
    EXPECT_EQ(QINF_SUCCESS, RTDirCreate((Dir / "private").c_str(), 0700, 0));
    EXPECT_EQ(QINF_SUCCESS, RTDirCreate((Dir / "open").c_str(), 0755, 0));
    umask(fOld);
    struct stat St;
    ASSERT_EQ(0, stat((Dir / "private").c_str(), &St));
    EXPECT_EQ(0700u, St.st_mode & 07777);
    ASSERT_EQ(0, stat((Dir / "open").c_str(), &St));
    EXPECT_EQ(0755u, St.st_mode & 07777);
}

} // namespace
