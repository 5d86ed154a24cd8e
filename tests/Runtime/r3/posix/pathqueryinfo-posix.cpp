// Path queries over POSIX: a symbolic link described itself or followed.
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include "Runtime/r3/fs-test-util.h"

namespace {

struct LinkCase {
    int iLine;
    const char *pszLink;
    uint32_t fFlags;
    int rc;
    RTFMODE fType;
};

// clang-format off
const LinkCase g_aLinks[] = {
    {__LINE__, "to-file",  RTPATH_F_ON_LINK,     QINF_SUCCESS,        RTFS_TYPE_SYMLINK},
    {__LINE__, "to-file",  RTPATH_F_FOLLOW_LINK, QINF_SUCCESS,        RTFS_TYPE_FILE},
    {__LINE__, "to-dir",   RTPATH_F_ON_LINK,     QINF_SUCCESS,        RTFS_TYPE_SYMLINK},
    {__LINE__, "to-dir",   RTPATH_F_FOLLOW_LINK, QINF_SUCCESS,        RTFS_TYPE_DIRECTORY},
    {__LINE__, "dangling", RTPATH_F_ON_LINK,     QINF_SUCCESS,        RTFS_TYPE_SYMLINK},
    {__LINE__, "dangling", RTPATH_F_FOLLOW_LINK, QERR_FILE_NOT_FOUND, 0},
};
// clang-format on

TEST(PathQueryInfoPosix, LinksDescribedOrFollowed) {
    TstScratchDir Dir;
    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    ASSERT_TRUE(tstMakeDir(Dir / "dir"));
    ASSERT_EQ(0, symlink((Dir / "file").c_str(), (Dir / "to-file").c_str()));
    ASSERT_EQ(0, symlink((Dir / "dir").c_str(), (Dir / "to-dir").c_str()));
    ASSERT_EQ(0, symlink((Dir / "gone").c_str(), (Dir / "dangling").c_str()));
    for (const LinkCase &c : g_aLinks) {
        SCOPED_TRACE(c.iLine);
        FsObjInfo Info;
        EXPECT_EQ(c.rc, RTPathQueryInfoEx((Dir / c.pszLink).c_str(), &Info, RTFSOBJATTRADD_NOTHING, c.fFlags));
        if (RT_SUCCESS(c.rc)) {
            EXPECT_EQ(c.fType, Info.fMode & RTFS_TYPE_MASK);
        }
    }
}

} // namespace
