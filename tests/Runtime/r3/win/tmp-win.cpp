// Unique names on Windows: a step after the creation that fails leaves no directory or file of
// a name nobody knows.
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/file.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"

namespace {

bool tstIsEmptyDir(const std::string &Path) {
    std::error_code Ec;
    return std::filesystem::is_empty(Path, Ec) && !Ec;
}

TEST(PathTmpWin, AFailedIndexingAttributeLeavesNothing) {
    TstScratchDir Dir;
    std::string Template = Dir / "XXXXXXXXXXXXXXXXXXXXXXXX";
    {
        TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED);
        EXPECT_EQ(QERR_ACCESS_DENIED, RTDirCreateTemp(&Template[0], 0700));
        EXPECT_EQ(1u, Fail.calls()); // returned at once
    }
    EXPECT_EQ('\0', Template[0]);
    EXPECT_TRUE(tstIsEmptyDir(Dir.path()));

    Template = Dir / "XXXXXXXXXXXXXXXXXXXXXXXX.msi";
    RTFILE hFile = (RTFILE)(intptr_t)0x1234;
    {
        TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED);
        EXPECT_EQ(QERR_ACCESS_DENIED, RTFileOpenTemp(&hFile, &Template[0], 0x1C000A22)); // not indexed
        EXPECT_EQ(1u, Fail.calls());
    }
    EXPECT_EQ(NIL_RTFILE, hFile);
    EXPECT_EQ('\0', Template[0]);
    EXPECT_TRUE(tstIsEmptyDir(Dir.path()));
}

TEST(PathTmpWin, OtherCreationFailuresEndTheSearchAtOnce) {
    TstScratchDir Dir;
    std::string Template = Dir / "XXXXXX";
    TstFsCallFail<&RTFSCALLS::pfnCreateDirectoryW> Fail(1, FALSE, ERROR_ACCESS_DENIED, true);
    EXPECT_EQ(QERR_ACCESS_DENIED, RTDirCreateTemp(&Template[0], 0700));
    EXPECT_EQ(1u, Fail.calls());
    EXPECT_EQ('\0', Template[0]);
}

TEST(PathTmpWin, CollisionsAreRetried) {
    TstScratchDir Dir;
    std::string Template = Dir / "XXXXXX";
    TstFsCallFail<&RTFSCALLS::pfnCreateDirectoryW> Fail(1, FALSE, ERROR_ALREADY_EXISTS);
    EXPECT_EQ(QINF_SUCCESS, RTDirCreateTemp(&Template[0], 0700));
    EXPECT_EQ(2u, Fail.calls());
    EXPECT_TRUE(tstIsDirectory(Template));
}

} // namespace
