// Directories, the contract every platform keeps: creating with a mode, removing, testing,
// holding one open, and closing records that are not open.
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "r3/dir-internal.h"

namespace {

struct CreateCase {
    int iLine;
    RTFMODE fMode;
    int rc;
};

// clang-format off
const CreateCase g_aCreate[] = {
    {__LINE__, 0700,       QINF_SUCCESS},
    {__LINE__, 0755,       QINF_SUCCESS},
    {__LINE__, 0,          QINF_SUCCESS},
    {__LINE__, 0x41C0,     QINF_SUCCESS},
    {__LINE__, 0x001041C0, QINF_SUCCESS},
    {__LINE__, 0x8000,     QERR_INVALID_FMODE}, // a regular file's type
    {__LINE__, 0x81C0,     QERR_INVALID_FMODE},
    {__LINE__, 0xA1FF,     QERR_INVALID_FMODE}, // a link's
    {__LINE__, 0x04000000, QERR_INVALID_FMODE}, // a reparse point reads as a link
    {__LINE__, 0x002001C0, QERR_INVALID_FMODE}, // both parts, no directory attribute
    {__LINE__, 0x001081C0, QERR_INVALID_FMODE},
};
// clang-format on

TEST(DirCreate, ModesAreCheckedBeforeTheDiskIsTouched) {
    for (const CreateCase &c : g_aCreate) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        std::string const Path = Dir / "d";
        EXPECT_EQ(c.rc, RTDirCreate(Path.c_str(), c.fMode, 0));
        EXPECT_EQ(RT_SUCCESS(c.rc), tstIsDirectory(Path));
        EXPECT_EQ(RT_SUCCESS(c.rc), tstPathExists(Path));
    }
}

TEST(DirCreate, ExistingMissingParentAndFlags) {
    TstScratchDir Dir;
    std::string const Path = Dir / "d";
    ASSERT_EQ(QINF_SUCCESS, RTDirCreate(Path.c_str(), 0700, 0));
    ASSERT_TRUE(tstFileWriteAll(Path + "/keep", "x"));
    EXPECT_EQ(QERR_ALREADY_EXISTS, RTDirCreate(Path.c_str(), 0700, 0));
    EXPECT_TRUE(tstPathExists(Path + "/keep")); // nothing changed
    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    EXPECT_EQ(QERR_ALREADY_EXISTS, RTDirCreate((Dir / "file").c_str(), 0700, 0));
    EXPECT_EQ(QERR_PATH_NOT_FOUND, RTDirCreate((Dir / "no/such").c_str(), 0700, 0));
    EXPECT_EQ(QINF_SUCCESS, RTDirCreate((Dir / "k").c_str(), 0700, RTDIRCREATE_FLAGS_KEEP_INDEXED));
    EXPECT_EQ(QINF_SUCCESS, RTDirCreate((Dir / "o").c_str(), 0700, RTDIRCREATE_FLAGS_INDEXING_OPTIONAL));
    EXPECT_EQ(QERR_INVALID_POINTER, RTDirCreate(NULL, 0700, 0));
}

TEST(DirRemove, EmptyDirectoriesOnly) {
    TstScratchDir Dir;
    std::string const Path = Dir / "d";
    ASSERT_TRUE(tstMakeDir(Path));
    ASSERT_TRUE(tstFileWriteAll(Path + "/f", "x"));
    EXPECT_EQ(QERR_DIR_NOT_EMPTY, RTDirRemove(Path.c_str()));
    EXPECT_TRUE(tstPathExists(Path + "/f"));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete((Path + "/f").c_str()));
    EXPECT_EQ(QINF_SUCCESS, RTDirRemove(Path.c_str()));
    EXPECT_FALSE(tstPathExists(Path));
    EXPECT_EQ(QERR_FILE_NOT_FOUND, RTDirRemove(Path.c_str()));
    int rc = RTDirRemove((Dir / "no/such").c_str());
    EXPECT_TRUE(rc == QERR_PATH_NOT_FOUND || rc == QERR_FILE_NOT_FOUND) << rc; // POSIX cannot tell

    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    rc = RTDirRemove((Dir / "file").c_str());
    // Windows names the file as no directory; POSIX names the path.
    EXPECT_TRUE(rc == QERR_NOT_A_DIRECTORY || rc == QERR_PATH_NOT_FOUND) << rc;
    EXPECT_TRUE(tstPathExists(Dir / "file"));
}

TEST(DirExists, DirectoriesOnly) {
    TstScratchDir Dir;
    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    EXPECT_TRUE(RTDirExists(Dir.path().c_str()));
    EXPECT_TRUE(RTDirExists((Dir.path() + "/").c_str()));
    EXPECT_FALSE(RTDirExists((Dir / "file").c_str()));
    EXPECT_FALSE(RTDirExists((Dir / "missing").c_str()));
    EXPECT_FALSE(RTDirExists(""));
    EXPECT_FALSE(RTDirExists(NULL));
}

TEST(DirOpen, RecordsTheAbsolutePathWithASeparator) {
    TstScratchDir Dir;
    std::string const Path = Dir / "held";
    ASSERT_TRUE(tstMakeDir(Path));
    for (const std::string &Given : {Path, Path + "/"}) {
        SCOPED_TRACE(Given);
        RTDIR hDir = NIL_RTDIR;
        ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&hDir, Given.c_str()));
        EXPECT_TRUE(RTDirIsValid(hDir));
        RTDIRINTERNAL *pDir = hDir;
        std::string const Stored(pDir->pszPath, pDir->cchPath);
        char chLast = Stored.empty() ? '\0' : Stored.back();
        EXPECT_TRUE(chLast == '\\' || chLast == '/') << Stored;
        EXPECT_EQ(Stored.size(), strlen(pDir->pszPath));
        EXPECT_EQ(Given.back() == '/', pDir->fDirSlash);
        EXPECT_NE(RTDIR_NATIVE_NONE, pDir->hNative);
        EXPECT_EQ(0u, pDir->fFlags);
        EXPECT_EQ(QINF_SUCCESS, RTDirClose(hDir));
    }
}

TEST(DirOpen, Failures) {
    TstScratchDir Dir;
    ASSERT_TRUE(tstFileWriteAll(Dir / "file", "x"));
    RTDIR hDir = NIL_RTDIR;
    EXPECT_EQ(QERR_NOT_A_DIRECTORY, RTDirOpen(&hDir, (Dir / "file").c_str()));
    EXPECT_EQ(NIL_RTDIR, hDir);
    EXPECT_EQ(QERR_FILE_NOT_FOUND, RTDirOpen(&hDir, (Dir / "missing").c_str()));
    EXPECT_EQ(NIL_RTDIR, hDir);
    EXPECT_EQ(QERR_INVALID_POINTER, RTDirOpen(NULL, Dir.path().c_str()));
    EXPECT_EQ(QERR_INVALID_POINTER, RTDirOpen(&hDir, NULL));
    EXPECT_EQ(QERR_INVALID_POINTER, RTDirOpen(&hDir, (const char *)(uintptr_t)0x10));
    EXPECT_EQ(QERR_NO_MEMORY, RTDirOpen(&hDir, ""));
}

TEST(DirClose, OnlyOpenRecordsAreClosed) {
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTDirClose(NIL_RTDIR));
    EXPECT_FALSE(RTDirIsValid(NIL_RTDIR));
    EXPECT_FALSE(RTDirIsValid((RTDIR)(uintptr_t)0x20));

    // A closed record keeps its dead magic: it is tested on a record that was never freed (a
    // freed one must not be read at all).
    RTDIRINTERNAL Dead;
    memset(&Dead, 0, sizeof(Dead));
    Dead.u32Magic = RTDIR_MAGIC_DEAD;
    Dead.hNative = RTDIR_NATIVE_NONE;
    EXPECT_FALSE(RTDirIsValid(&Dead));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTDirClose(&Dead));
    EXPECT_EQ(RTDIR_MAGIC_DEAD, Dead.u32Magic);
    RTDIRINTERNAL Zeroed;
    memset(&Zeroed, 0, sizeof(Zeroed));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTDirClose(&Zeroed));
    EXPECT_EQ(0u, Zeroed.u32Magic);
}

TEST(DirClose, AnOpenRecordClosesAndLetsTheDirectoryGo) {
    TstScratchDir Dir;
    RTDIR hDir = NIL_RTDIR;
    ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&hDir, Dir.path().c_str()));
    EXPECT_EQ(RTDIR_MAGIC, hDir->u32Magic);
    EXPECT_EQ(QINF_SUCCESS, RTDirClose(hDir));
    // The handle is gone now (and must not be used again); the directory is free to go.
    EXPECT_EQ(QINF_SUCCESS, RTDirRemove(Dir.path().c_str()));
    EXPECT_FALSE(tstPathExists(Dir.path()));
}

} // namespace
