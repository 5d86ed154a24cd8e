// Path queries, the contract every platform keeps: files, directories and missing names, and
// the identity of a file the same as its open handle reports.
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"

namespace {

TEST(PathQueryInfo, FilesDirectoriesAndMissingNames) {
    TstScratchDir Dir;
    std::string const File = Dir / "data.bin";
    ASSERT_TRUE(tstFileWriteAll(File, std::string(1234, 'd')));
    ASSERT_TRUE(tstMakeDir(Dir / "sub"));

    FsObjInfo Info;
    ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(File.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(1234u, Info.cbObject);
    EXPECT_EQ(RTFS_TYPE_FILE, Info.fMode & RTFS_TYPE_MASK);
    EXPECT_EQ(RTFSOBJATTRADD_NOTHING, Info.enmAdditional);
    EXPECT_GT(Info.ModificationTime, INT64_C(1500000000) * 1000000000);

    ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx((Dir / "sub").c_str(), &Info, RTFSOBJATTRADD_EASIZE, RTPATH_F_ON_LINK));
    EXPECT_EQ(RTFS_TYPE_DIRECTORY, Info.fMode & RTFS_TYPE_MASK);
    EXPECT_NE(0u, Info.fMode & RTFS_DOS_DIRECTORY);
    EXPECT_EQ(RTFSOBJATTRADD_EASIZE, Info.enmAdditional);
    EXPECT_EQ(0u, Info.u.EASize.cb);

    EXPECT_EQ(QERR_FILE_NOT_FOUND,
              RTPathQueryInfoEx((Dir / "missing").c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK));
    int const rc = RTPathQueryInfoEx((Dir / "no/such").c_str(), &Info, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK);
    EXPECT_TRUE(rc == QERR_PATH_NOT_FOUND || rc == QERR_FILE_NOT_FOUND) << rc; // POSIX cannot tell
}

TEST(PathQueryInfo, TheIdentityMatchesTheOpenFile) {
    TstScratchDir Dir;
    std::string const File = Dir / "pkg.cab";
    ASSERT_TRUE(tstFileWriteAll(File, "cabinet"));
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, File.c_str(), 0x721));
    FsObjInfo ByHandle, ByPath;
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hFile, &ByHandle, RTFSOBJATTRADD_UNIX));
    ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(File.c_str(), &ByPath, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));
    EXPECT_EQ(ByHandle.u.Unix.INodeId, ByPath.u.Unix.INodeId);
    EXPECT_EQ(ByHandle.u.Unix.INodeIdDevice, ByPath.u.Unix.INodeIdDevice);
    EXPECT_EQ(ByHandle.cbObject, ByPath.cbObject);
    EXPECT_EQ(ByHandle.ModificationTime, ByPath.ModificationTime);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

} // namespace
