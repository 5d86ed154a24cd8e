// The cleanup list and its purge: newest first, the passes and their waits through a fake
// sleep, what is reported and when, kept objects, and the final removal of the directory.
#include "QuilStubCleanup.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include "Installer/win/Stub/stub-file-faults.h"
#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/fs-test-util.h"

namespace {

using namespace stubtest;

class StubCleanup : public testing::Test {
protected:
    void SetUp() override { CleanupListInit(); }
    void TearDown() override { FreeCleanupRecords(); }
};

std::string sleeps(const std::vector<uint32_t> &Sleeps) {
    std::string Out;
    for (uint32_t c : Sleeps) Out += std::to_string(c) + " ";
    return Out;
}

TEST_F(StubCleanup, NewestFirstAndFind) {
    CleanupRecord *pDir = NewCleanupRecord(false, "d");
    CleanupRecord *pA = NewCleanupRecord(true, "d/a");
    CleanupRecord *pB = NewCleanupRecord(true, "d/b");
    ASSERT_TRUE(pDir && pA && pB);
    EXPECT_EQ(QUILSTUB_NO_PACKAGE, pA->packageIndex);
    EXPECT_EQ(NIL_RTFILE, pA->u.hFile);
    EXPECT_EQ(NIL_RTDIR, pDir->u.hDir);
    EXPECT_FALSE(pA->keepOnDisk);
    pA->packageIndex = 0;
    pB->packageIndex = 1;
    EXPECT_EQ(pB, CleanupRecordFirst());
    EXPECT_EQ(pA, CleanupRecordNext(pB));
    EXPECT_EQ(pDir, CleanupRecordNext(pA));
    EXPECT_EQ(nullptr, CleanupRecordNext(pDir));
    EXPECT_EQ(pA, FindPackageCleanupRecord(0));
    EXPECT_EQ(pB, FindPackageCleanupRecord(1));
    EXPECT_EQ(nullptr, FindPackageCleanupRecord(2));
    EXPECT_EQ(nullptr, FindPackageCleanupRecord(QUILSTUB_NO_PACKAGE)); // the directory is no file
    FreeCleanupRecords();
    EXPECT_EQ(nullptr, CleanupRecordFirst());
}

TEST_F(StubCleanup, OutOfMemory) {
    StubCapture Capture;
    silentMode = true;
    RTMemTestFailAfter(1);
    CleanupRecord *pRecord = NewCleanupRecord(true, "x");
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, pRecord);
    EXPECT_EQ(nullptr, CleanupRecordFirst());
    EXPECT_EQ(WithProgramName("P: error: Out of memory!\n"), Capture.Err());
}

TEST_F(StubCleanup, Passes) {
    // A directory with one held file in it; the delete or removal that keeps failing, and how.
    const struct {
        int iLine;
        StubFileEntry enmEntry; // kEntryCount: nothing fails
        int rc;
        bool fPassDir; // the extraction directory given for the final removal
        const char *pszSleeps;
        unsigned cDeletes, cRemoves;
        const char *pszErr; // %s: the file's or the directory's path
        bool fFileStays, fDirStays;
    } aCases[] = {
        {__LINE__, kEntryCount, 0, true, "", 1, 2, "", false, false},
        {__LINE__, kEntryCount, 0, false, "", 1, 1, "", false, false},
        {__LINE__, kDelete, QERR_SHARING_VIOLATION, true, "100 3000 3000 3000 ", 5, 6,
         "P: error: Failed to delete temporary file '%s': QERR_SHARING_VIOLATION\n", true, true},
        // Gone (as the call says) counts as done; the directory, not empty with nothing recorded
        // left in it, stays at once: no wait would empty it.
        {__LINE__, kDelete, QERR_FILE_NOT_FOUND, true, "", 1, 2, "", true, true},
        {__LINE__, kDirRemove, QERR_DIR_NOT_EMPTY, false, "", 1, 1, "", false, true},
        {__LINE__, kDirRemove, QERR_DIR_NOT_EMPTY, true, "", 1, 2, "", false, true},
        {__LINE__, kDirRemove, QERR_ACCESS_DENIED, false, "100 3000 3000 3000 ", 1, 5,
         "P: error: Failed to delete temporary directory '%s': QERR_ACCESS_DENIED\n", false, true},
        {__LINE__, kDirRemove, QERR_PATH_NOT_FOUND, true, "", 1, 2, "", false, true},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Scratch;
        std::string const Dir = Scratch / "x", File = Dir + (Scratch / "").substr(Scratch.path().size()) + "f.msi";
        ASSERT_TRUE(tstMakeDir(Dir));
        ASSERT_TRUE(tstFileWriteAll(File, "data"));
        CleanupRecord *pDir = NewCleanupRecord(false, Dir.c_str());
        ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&pDir->u.hDir, Dir.c_str()));
        CleanupRecord *pFile = NewCleanupRecord(true, File.c_str());
        pFile->packageIndex = 0;
        ASSERT_EQ(QINF_SUCCESS,
                  RTFileOpen(&pFile->u.hFile, File.c_str(), RTFOPEN_OPEN | RTFOPEN_READ | RTFOPEN_DENY_WRITE));
        StubCapture Capture;
        silentMode = true;
        StubFileFaults Faults;
        if (c.enmEntry != kEntryCount) Faults.Arm(c.enmEntry, 1, kFail, c.rc, true);
        PurgeCleanupRecords(c.fPassDir ? Dir.c_str() : NULL);
        EXPECT_EQ(c.pszSleeps, sleeps(Faults.Sleeps()));
        EXPECT_EQ(c.cDeletes, Faults.Calls(kDelete));
        EXPECT_EQ(c.cRemoves, Faults.Calls(kDirRemove));
        EXPECT_EQ(2U, Faults.Calls(kClose) + Faults.Calls(kDirClose)); // each handle closed once
        char szErr[8192];
        snprintf(szErr, sizeof(szErr), c.pszErr, c.enmEntry == kDelete ? File.c_str() : Dir.c_str());
        EXPECT_EQ(WithProgramName(szErr), Capture.Err());
        EXPECT_EQ(c.fFileStays, tstPathExists(File));
        EXPECT_EQ(c.fDirStays, tstPathExists(Dir));
        // What failed in the last pass stays listed, without a handle.
        bool const fListed = c.pszErr[0] != '\0';
        EXPECT_EQ(fListed, CleanupRecordFirst() != nullptr);
        if (CleanupRecord *p = CleanupRecordFirst()) {
            EXPECT_TRUE(p->isFile ? p->u.hFile == NIL_RTFILE : p->u.hDir == NIL_RTDIR);
        }
        FreeCleanupRecords();
    }
}

TEST_F(StubCleanup, CloseFailuresAreLinesOnly) {
    TstScratchDir Scratch;
    std::string const Dir = Scratch / "x", File = Dir + (Scratch / "").substr(Scratch.path().size()) + "f.msi";
    ASSERT_TRUE(tstMakeDir(Dir));
    ASSERT_TRUE(tstFileWriteAll(File, "data"));
    CleanupRecord *pDir = NewCleanupRecord(false, Dir.c_str());
    ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&pDir->u.hDir, Dir.c_str()));
    CleanupRecord *pFile = NewCleanupRecord(true, File.c_str());
    pFile->packageIndex = 3;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&pFile->u.hFile, File.c_str(), RTFOPEN_OPEN | RTFOPEN_READ));
    RTDIR const hDir = pDir->u.hDir;
    StubCapture Capture;
    silentMode = true;
    StubFileFaults Faults;
    Faults.Arm(kClose, 1, kFail, QERR_INVALID_HANDLE);
    Faults.Arm(kDirClose, 1, kFail, QERR_INVALID_HANDLE); // the later arming replaces the first
    PurgeCleanupRecords(NULL);
    char szErr[8192];
    snprintf(szErr, sizeof(szErr), "error: Cleanup dir '%s' for #%u: RTDirClose(%08jx) failed: QERR_INVALID_HANDLE\n",
             Dir.c_str(), QUILSTUB_NO_PACKAGE, (uintmax_t)(uintptr_t)hDir);
    EXPECT_EQ(szErr, Capture.Err());
    EXPECT_FALSE(tstPathExists(Dir)); // removal still attempted
    EXPECT_EQ(nullptr, CleanupRecordFirst());
}

TEST_F(StubCleanup, KeptObjectsAreClosedNotDeleted) {
    TstScratchDir Scratch;
    std::string const File = Scratch / "keep.txt";
    ASSERT_TRUE(tstFileWriteAll(File, "mine"));
    CleanupRecord *pDir = NewCleanupRecord(false, Scratch.path().c_str());
    pDir->keepOnDisk = true;
    ASSERT_EQ(QINF_SUCCESS, RTDirOpen(&pDir->u.hDir, Scratch.path().c_str()));
    CleanupRecord *pFile = NewCleanupRecord(true, File.c_str());
    pFile->keepOnDisk = true;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&pFile->u.hFile, File.c_str(), RTFOPEN_OPEN | RTFOPEN_READ));
    StubFileFaults Faults;
    PurgeCleanupRecords(NULL);
    EXPECT_EQ(1U, Faults.Calls(kClose));
    EXPECT_EQ(1U, Faults.Calls(kDirClose));
    EXPECT_EQ(0U, Faults.Calls(kDelete) + Faults.Calls(kDirRemove));
    EXPECT_TRUE(tstPathExists(File));
    EXPECT_TRUE(Faults.Sleeps().empty());
    EXPECT_EQ(nullptr, CleanupRecordFirst());
}

TEST_F(StubCleanup, TeardownClosesButKeeps) {
    TstScratchDir Scratch;
    std::string const File = Scratch / "p.msi";
    ASSERT_TRUE(tstFileWriteAll(File, "data"));
    StubFileFaults Faults;
    CleanupRecord *pDir = NewCleanupRecord(false, Scratch.path().c_str());
    ASSERT_EQ(QINF_SUCCESS, g_StubFileCalls.pfnDirOpen(&pDir->u.hDir, Scratch.path().c_str()));
    CleanupRecord *pFile = NewCleanupRecord(true, File.c_str());
    ASSERT_EQ(QINF_SUCCESS, g_StubFileCalls.pfnFileOpen(&pFile->u.hFile, File.c_str(), RTFOPEN_OPEN | RTFOPEN_READ));
    NewCleanupRecord(true, "never-opened");
    FreeCleanupRecords();
    EXPECT_EQ(nullptr, CleanupRecordFirst());
    EXPECT_EQ(0, Faults.OpenHandles());
    EXPECT_EQ(0U, Faults.Calls(kDelete) + Faults.Calls(kDirRemove));
    EXPECT_TRUE(tstPathExists(File));
}

} // namespace
