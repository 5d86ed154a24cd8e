// Extraction: each package written and verified in blocks, every failure of a step with its
// exact line, what each failure leaves (nothing after the purge), named and random
// destinations, and a user's file never replaced in a directory that was there before.
#include "QuilStubExtract.h"
#include "QuilStubCleanup.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include "Installer/win/Stub/stub-file-faults.h"
#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/fs-test-util.h"

namespace {

using namespace stubtest;

// Got with each run of 24 characters of [0-9a-z] before ".msi" replaced by "<random>".
std::string maskRandomNames(std::string Got) {
    for (size_t off = 0; (off = Got.find(".msi", off)) != std::string::npos; off += 4) {
        if (off < 24) continue;
        size_t const offName = off - 24;
        bool fRandom = offName == 0 || Got[offName - 1] == ':';
        for (size_t i = offName; fRandom && i < off; i++)
            fRandom = (Got[i] >= '0' && Got[i] <= '9') || (Got[i] >= 'a' && Got[i] <= 'z');
        if (fRandom) {
            Got.replace(offName, 24, "<random>");
            off = offName + 8;
        }
    }
    return Got;
}

std::string payload(size_t cb) {
    std::string Data(cb, '\0');
    for (size_t i = 0; i < cb; i++) Data[i] = (char)(i * 7 + i / 65536);
    return Data;
}

class StubExtract : public testing::Test {
protected:
    void SetUp() override {
        CleanupListInit();
        RTPathGetCurrent(m_szCwd, sizeof(m_szCwd));
    }
    void TearDown() override {
        RTPathSetCurrent(m_szCwd);
        PurgeCleanupRecords(NULL);
        FreeCleanupRecords();
    }
    // The cleanup list as "<index>:<file name>[:open]" from the newest, one per record.
    static std::string records() {
        std::string Out;
        for (CleanupRecord *p = CleanupRecordFirst(); p; p = CleanupRecordNext(p)) {
            Out += p->packageIndex == QUILSTUB_NO_PACKAGE ? std::string("-") : std::to_string(p->packageIndex);
            Out += std::string(":") + RTPathFilename(p->szPath);
            if (p->isFile ? p->u.hFile != NIL_RTFILE : p->u.hDir != NIL_RTDIR) Out += ":open";
            Out += " ";
        }
        return Out;
    }
    char m_szCwd[4100];
};

TEST_F(StubExtract, SizesAndBlocks) {
    const struct {
        int iLine;
        size_t cb;
        unsigned cReads;
    } aCases[] = {
        {__LINE__, 1, 1}, {__LINE__, 65535, 1}, {__LINE__, 65536, 1}, {__LINE__, 65537, 2}, {__LINE__, 131073, 3},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        StubFakeResources Res;
        Res.Add("BIN_00", payload(c.cb));
        StubCapture Capture;
        StubFileFaults Faults;
        std::string const Dst = Dir / "p.msi";
        EXPECT_EQ(QINF_SUCCESS, WriteAndVerifyPackage("BIN_00", Dst.c_str(), NIL_RTFILE, 4, false));
        EXPECT_EQ(c.cReads, Faults.Calls(kRead));
        EXPECT_EQ("", Capture.Err());
        EXPECT_EQ("4:p.msi:open ", records());
        EXPECT_EQ(1, Faults.OpenHandles()); // the final handle alone
        std::string Content;
        ASSERT_TRUE(tstFileReadAll(Dst, &Content));
        EXPECT_TRUE(Content == payload(c.cb));
        PurgeCleanupRecords(NULL);
        EXPECT_FALSE(tstPathExists(Dst));
        EXPECT_EQ(0, Faults.OpenHandles());
        EXPECT_TRUE(Faults.Sleeps().empty());
    }
}

TEST_F(StubExtract, EmptyPayloadIsRefusedByTheLookup) {
    TstScratchDir Dir;
    StubFakeResources Res;
    Res.Add("BIN_00", "");
    StubCapture Capture;
    std::string const Dst = Dir / "e.cab";
    EXPECT_EQ(QERR_NO_DATA, WriteAndVerifyPackage("BIN_00", Dst.c_str(), NIL_RTFILE, 0, false));
    EXPECT_EQ("error: #0: Failed to locate resource 'BIN_00': QERR_NO_DATA\n", Capture.Err());
}

TEST_F(StubExtract, EveryStepFails) {
    // Steps in order: create, write, query after writing, first reopening, closing the write
    // handle, second reopening, closing the first reopened handle (only a line), query of the
    // final handle, size, identity, a read, a byte in each block.
    const struct {
        int iLine;
        StubFileEntry enmEntry;
        unsigned iNth;
        StubFileFault enmFault;
        int rcInject;
        int rcExpect;
        const char *pszErr; // %s is the destination
        const char *pszRecords;
        int cOpenAfter;
    } aCases[] = {
        {__LINE__, kOpen, 1, kFail, QERR_ACCESS_DENIED, QERR_ACCESS_DENIED,
         "#2: Failed to create/replace '%s' for writing: QERR_ACCESS_DENIED", "", 0},
        {__LINE__, kWrite, 1, kFail, QERR_DISK_FULL, QERR_DISK_FULL,
         "#2: RTFileWrite('%s',, 0x20001,) failed: QERR_DISK_FULL", "2:p.msi:open ", 1},
        {__LINE__, kQueryInfo, 1, kFail, QERR_ACCESS_DENIED, QERR_ACCESS_DENIED,
         "#2: RTFileQueryInfo failed on '%s': QERR_ACCESS_DENIED", "2:p.msi:open ", 1},
        {__LINE__, kOpen, 2, kFail, QERR_SHARING_VIOLATION, QERR_SHARING_VIOLATION,
         "#2: First re-opening of '%s' failed: QERR_SHARING_VIOLATION", "2:p.msi:open ", 1},
        {__LINE__, kClose, 1, kFail, QERR_INVALID_HANDLE, QERR_INVALID_HANDLE,
         "#2: RTFileClose('%s') failed: QERR_INVALID_HANDLE", "2:p.msi ", 0},
        {__LINE__, kOpen, 3, kFail, QERR_SHARING_VIOLATION, QERR_SHARING_VIOLATION,
         "#2: Second re-opening of '%s' failed: QERR_SHARING_VIOLATION", "2:p.msi:open ", 1},
        {__LINE__, kClose, 2, kFail, QERR_INVALID_HANDLE, QINF_SUCCESS,
         "#2: Failed to close 2nd handle to '%s': QERR_INVALID_HANDLE", "2:p.msi:open ", 1},
        {__LINE__, kQueryInfo, 2, kFail, QERR_ACCESS_DENIED, QERR_ACCESS_DENIED,
         "#2: RTFileQueryInfo failed on '%s': QERR_ACCESS_DENIED", "2:p.msi:open ", 1},
        {__LINE__, kQueryInfo, 2, kSizeGrows, 0, QERR_STATE_CHANGED,
         "#2: File size of '%s' changed: 131 074, expected 131 073", "2:p.msi:open ", 1},
        {__LINE__, kQueryInfo, 2, kIdChanges, 0, QERR_STATE_CHANGED, nullptr, "2:p.msi:open ", 1},
        {__LINE__, kRead, 2, kFail, QERR_READ_ERROR, QERR_READ_ERROR,
         "#2: RTFileRead failed on '%s' at offset 0x10000: QERR_READ_ERROR", "2:p.msi:open ", 1},
        {__LINE__, kRead, 1, kByteChanges, 0, QERR_STATE_CHANGED,
         "#2: File '%s' has change (mismatch in 0x10000 byte block at 0x0)", "2:p.msi:open ", 1},
        {__LINE__, kRead, 2, kByteChanges, 0, QERR_STATE_CHANGED,
         "#2: File '%s' has change (mismatch in 0x10000 byte block at 0x10000)", "2:p.msi:open ", 1},
        {__LINE__, kRead, 3, kByteChanges, 0, QERR_STATE_CHANGED,
         "#2: File '%s' has change (mismatch in 0x1 byte block at 0x20000)", "2:p.msi:open ", 1},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        StubFakeResources Res;
        Res.Add("BIN_02", payload(131073));
        StubCapture Capture;
        StubFileFaults Faults;
        Faults.Arm(c.enmEntry, c.iNth, c.enmFault, c.rcInject);
        std::string const Dst = Dir / "p.msi";
        EXPECT_EQ(c.rcExpect, WriteAndVerifyPackage("BIN_02", Dst.c_str(), NIL_RTFILE, 2, false));
        if (c.pszErr) {
            char szLine[8192];
            snprintf(szLine, sizeof(szLine), c.pszErr, Dst.c_str());
            EXPECT_EQ("error: " + std::string(szLine) + "\n", Capture.Err());
        } else {
            std::string const Prefix = "error: #2: File ID of '" + Dst + "' changed: 0x";
            EXPECT_EQ(Prefix, Capture.Err().substr(0, Prefix.size()));
            EXPECT_NE(std::string::npos, Capture.Err().find(", expected 0x"));
        }
        EXPECT_EQ(c.pszRecords, records());
        EXPECT_EQ(c.cOpenAfter, Faults.OpenHandles());
        // Whatever failed, the purge leaves nothing.
        PurgeCleanupRecords(NULL);
        EXPECT_FALSE(tstPathExists(Dst));
        EXPECT_EQ(0, Faults.OpenHandles());
    }
}

TEST_F(StubExtract, NoRecordUndoesTheFile) {
    TstScratchDir Dir;
    StubFakeResources Res;
    Res.Add("BIN_00", "abc");
    StubCapture Capture;
    StubFileFaults Faults;
    std::string const Dst = Dir / "p.msi";
    // Created by the caller, as a file of random name is: the record is the next allocation.
    RTFILE hFile;
    ASSERT_EQ(QINF_SUCCESS, g_StubFileCalls.pfnFileOpen(&hFile, Dst.c_str(), RTFOPEN_CREATE | RTFOPEN_WRITE));
    RTMemTestFailAfter(1);
    int rc = WriteAndVerifyPackage("BIN_00", Dst.c_str(), hFile, 0, false);
    RTMemTestFailAfter(0);
    EXPECT_EQ(QERR_NO_MEMORY, rc);
    EXPECT_EQ("", records());
    EXPECT_FALSE(tstPathExists(Dst));
    EXPECT_EQ(0, Faults.OpenHandles());
}

TEST_F(StubExtract, AllPackagesNamesAndKinds) {
    // Package 0 neutral (own name), 1 for 64-bit hosts (random name with its suffix), 2 for
    // 32-bit hosts (skipped unless extracting), 3 an unknown architecture (the same).
    const struct {
        int iLine;
        bool fExtractOnly;
        const char *pszFiles; // the records, newest first, random names masked
    } aCases[] = {
        {__LINE__, false, "1:<random>.msi:open 0:data.cab:open -:new:open "},
        {__LINE__, true, "3:odd.msi:open 2:x86.msi:open 1:amd64.msi:open 0:data.cab:open -:new:open "},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        StubFakeResources Res;
        Res.AddPackage(0, 0, "data.cab", "cab");
        Res.AddPackage(1, 2, "amd64.msi", "msi64");
        Res.AddPackage(2, 1, "x86.msi", "msi32");
        Res.AddPackage(3, 7, "odd.msi", "odd");
        StubCapture Capture;
        CleanupRecord *pDirRecord = NULL;
        std::string const Path = Dir / "new";
        ASSERT_EQ(0, ExtractAllPackages(Path.c_str(), 4, c.fExtractOnly, &pDirRecord));
        EXPECT_EQ(c.pszFiles, maskRandomNames(records()));
        ASSERT_NE(nullptr, pDirRecord);
        EXPECT_FALSE(pDirRecord->keepOnDisk);
        char szCwd[4100];
        RTPathGetCurrent(szCwd, sizeof(szCwd));
        EXPECT_STREQ("new", RTPathFilename(szCwd));
        RTPathSetCurrent(m_szCwd);
        EXPECT_EQ("", Capture.Err());
        EXPECT_EQ("", Capture.Boxes());
        PurgeCleanupRecords(Path.c_str());
        EXPECT_FALSE(tstPathExists(Path));
    }
}

TEST_F(StubExtract, RefusedNamesNeverReachThePath) {
    const char *const apszNames[] = {"..\\..\\evil.msi", "../x.cab", "C:x.msi", "nul.msi", "", "a."};
    for (const char *pszName : apszNames) {
        SCOPED_TRACE(pszName);
        for (bool fExtractOnly : {false, true}) {
            TstScratchDir Dir;
            StubFakeResources Res;
            Res.AddPackage(0, 0, pszName, "x");
            StubCapture Capture;
            silentMode = true;
            CleanupRecord *pDirRecord = NULL;
            EXPECT_EQ(1, ExtractAllPackages(Dir.path().c_str(), 1, fExtractOnly, &pDirRecord));
            EXPECT_EQ(WithProgramName("P: error: Internal error: Build extraction file name failed: "
                                      "QERR_INVALID_NAME\n"),
                      Capture.Err());
            EXPECT_EQ("-:" + std::string(RTPathFilename(Dir.path().c_str())) + ":open ", records());
            RTPathSetCurrent(m_szCwd);
            PurgeCleanupRecords(NULL);
            EXPECT_TRUE(tstIsDirectory(Dir.path())); // existed before: kept
        }
    }
}

TEST_F(StubExtract, ExistingDirectoryKeepsTheUsersFiles) {
    // Installing into a directory that was there: a file of a package's name is the user's and
    // is neither replaced nor deleted. "--extract" overwrites it, as asked.
    for (bool fExtractOnly : {false, true}) {
        SCOPED_TRACE(fExtractOnly);
        TstScratchDir Dir;
        ASSERT_TRUE(tstFileWriteAll(Dir / "data.cab", "mine"));
        StubFakeResources Res;
        Res.AddPackage(0, 0, "data.cab", "payload");
        StubCapture Capture;
        silentMode = true;
        CleanupRecord *pDirRecord = NULL;
        char szDst[4100];
        ASSERT_EQ(QINF_SUCCESS, RTPathJoin(szDst, sizeof(szDst), Dir.path().c_str(), "data.cab"));
        std::string const Dst = szDst;
        int iExit = ExtractAllPackages(Dir.path().c_str(), 1, fExtractOnly, &pDirRecord);
        RTPathSetCurrent(m_szCwd);
        ASSERT_NE(nullptr, pDirRecord);
        EXPECT_TRUE(pDirRecord->keepOnDisk);
        std::string Content;
        if (fExtractOnly) {
            EXPECT_EQ(0, iExit);
            FreeCleanupRecords();
            ASSERT_TRUE(tstFileReadAll(Dir / "data.cab", &Content));
            EXPECT_EQ("payload", Content);
            continue;
        }
        EXPECT_EQ(1, iExit);
        EXPECT_EQ(WithProgramName("error: #0: Failed to create/replace '" + Dst +
                                  "' for writing: QERR_ALREADY_EXISTS\n"
                                  "P: error: Error extracting package #0 (data.cab): QERR_ALREADY_EXISTS\n"),
                  Capture.Err());
        PurgeCleanupRecords(NULL);
        ASSERT_TRUE(tstFileReadAll(Dir / "data.cab", &Content));
        EXPECT_EQ("mine", Content);
    }
}

TEST_F(StubExtract, DirectoryFailures) {
    const struct {
        int iLine;
        StubFileEntry enmEntry;
        const char *pszErr; // %s: the path
    } aCases[] = {
        {__LINE__, kDirCreate, "P: error: Failed to create extraction path '%s': QERR_ACCESS_DENIED\n"},
        {__LINE__, kDirOpen, "P: error: Failed to open extraction path '%s': QERR_ACCESS_DENIED\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        StubFakeResources Res;
        StubCapture Capture;
        silentMode = true;
        StubFileFaults Faults;
        Faults.Arm(c.enmEntry, 1, kFail, QERR_ACCESS_DENIED);
        std::string const Path = Dir / "new";
        CleanupRecord *pDirRecord = NULL;
        EXPECT_EQ(1, ExtractAllPackages(Path.c_str(), 0, false, &pDirRecord));
        char szErr[8192];
        snprintf(szErr, sizeof(szErr), c.pszErr, Path.c_str());
        EXPECT_EQ(WithProgramName(szErr), Capture.Err());
        PurgeCleanupRecords(pDirRecord ? Path.c_str() : NULL);
        EXPECT_FALSE(tstPathExists(Path));
    }
}

} // namespace
