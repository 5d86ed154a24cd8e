// Directories on Windows: the indexing attribute of a new directory and what its failure leaves,
// the path a held directory records, and the retry of the open without traversal rights.
#include <qrt/dir.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"
#include "r3/dir-internal.h"

namespace {

struct IndexingCase {
    int iLine;
    uint32_t fCreate;
    int rc;
    bool fExists;
    unsigned cAttrCalls;
};

// clang-format off
const IndexingCase g_aIndexing[] = {
    {__LINE__, 0,                                   QERR_ACCESS_DENIED, false, 1}, // removed again
    {__LINE__, RTDIRCREATE_FLAGS_INDEXING_OPTIONAL, QINF_SUCCESS,       true,  1},
    {__LINE__, RTDIRCREATE_FLAGS_KEEP_INDEXED,      QINF_SUCCESS,       true,  0}, // not even tried
};
// clang-format on

TEST(DirWinCreate, AFailedIndexingAttributeLeavesNoDirectory) {
    for (const IndexingCase &c : g_aIndexing) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        std::string const Path = Dir / "new";
        TstFsCallFail<&RTFSCALLS::pfnSetFileAttributesW> Fail(1, FALSE, ERROR_ACCESS_DENIED);
        EXPECT_EQ(c.rc, RTDirCreate(Path.c_str(), 0700, c.fCreate));
        EXPECT_EQ(c.cAttrCalls, Fail.calls());
        EXPECT_EQ(c.fExists, tstIsDirectory(Path));
    }
}

TEST(DirWinCreate, TheNewDirectoryIsNotIndexed) {
    TstScratchDir Dir;
    std::string const Path = Dir / "new";
    ASSERT_EQ(QINF_SUCCESS, RTDirCreate(Path.c_str(), 0700, 0));
    DWORD const fAttr = GetFileAttributesA(Path.c_str());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, fAttr);
    EXPECT_NE(0u, fAttr & FILE_ATTRIBUTE_DIRECTORY);
    // Wine accepts the attribute without storing it; Windows keeps it.
}

TEST(DirWinOpen, BothSpellingsRecordThePathWithOneBackslash) {
    TstScratchDir Dir;
    std::string const Path = Dir / "held";
    ASSERT_TRUE(tstMakeDir(Path));
    for (const std::string &Given : {Path, Path + "\\", Path + "/"}) {
        SCOPED_TRACE(Given);
        RTDIR hDir = NIL_RTDIR;
        ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&hDir, Given.c_str()));
        EXPECT_EQ(Path + "\\", std::string(hDir->pszPath, hDir->cchPath));
        EXPECT_EQ(Given != Path, hDir->fDirSlash);
        EXPECT_EQ(QINF_SUCCESS, RTDirClose(hDir));
    }
}

TEST(DirWinOpen, AccessDeniedIsRetriedWithoutTraversal) {
    TstScratchDir Dir;
    RTDIR hDir = NIL_RTDIR;
    {
        TstFsCallFail<&RTFSCALLS::pfnNtCreateFile> Fail(1, (NTSTATUS)0xC0000022L, 0);
        ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&hDir, Dir.path().c_str()));
        EXPECT_EQ(2u, Fail.calls());
    }
    EXPECT_EQ(QINF_SUCCESS, RTDirClose(hDir));
    {
        TstFsCallFail<&RTFSCALLS::pfnNtCreateFile> Fail(1, (NTSTATUS)0xC0000022L, 0, true);
        EXPECT_EQ(QERR_ACCESS_DENIED, RTDirOpen(&hDir, Dir.path().c_str()));
        EXPECT_EQ(2u, Fail.calls());
    }
}

} // namespace
