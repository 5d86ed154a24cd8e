// Files, the contract every platform keeps: the open-flags word and its Windows mapping, opening
// and creating, exact reads and writes (also with the platform's transfers shortened or refused
// through the test seam), positions, sizes, object information, deletion and renaming.
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "Runtime/r3/fs-test-util.h"
#include "r3/file-internal.h"

namespace {

struct ValidateCase {
    int iLine;
    uint64_t fOpen;
    int rc;
    uint64_t fNormalised; // when rc is success
};

// clang-format off
const ValidateCase g_aValidate[] = {
    {__LINE__, 0,                      QERR_INVALID_PARAMETER, 0},          // no access, no attribute right
    {__LINE__, 0x00000001,             QINF_SUCCESS,           0x00000781}, // open, deny none
    {__LINE__, 0x00010000,             QINF_SUCCESS,           0x00010780}, // attributes only
    {__LINE__, 0x00020000,             QINF_SUCCESS,           0x00020780},
    {__LINE__, 0x1C000222,             QINF_SUCCESS,           0x1C000222}, // the installer's words
    {__LINE__, 0x1C000322,             QINF_SUCCESS,           0x1C000322},
    {__LINE__, 0x1C000781,             QINF_SUCCESS,           0x1C000781},
    {__LINE__, 0x00000721,             QINF_SUCCESS,           0x00000721},
    {__LINE__, 0x00000186,             QINF_SUCCESS,           0x00000186},
    {__LINE__, 0x00000282,             QINF_SUCCESS,           0x00000282},
    {__LINE__, 0x00000009,             QERR_INVALID_PARAMETER, 0},          // reserved bit 3
    {__LINE__, 0x00004001,             QERR_INVALID_PARAMETER, 0},          // reserved bit 14
    {__LINE__, 0x20000001,             QERR_INVALID_PARAMETER, 0},          // bit 29: no field
    {__LINE__, 0x40000001,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x80000001,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x00001001,             QERR_INVALID_PARAMETER, 0},          // truncate without write
    {__LINE__, 0x00011000,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x00001002,             QINF_SUCCESS,           0x00001782},
    {__LINE__, 0x00001003,             QINF_SUCCESS,           0x00001783},
    {__LINE__, 0x00000801,             QERR_INVALID_PARAMETER, 0},          // not indexed with open (action 0)
    {__LINE__, 0x00000F01,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x00000A02,             QINF_SUCCESS,           0x00000A82},
    {__LINE__, 0x00000B02,             QINF_SUCCESS,           0x00000B82},
    {__LINE__, 0x00000401,             QERR_INVALID_PARAMETER, 0},          // actions 4 to 6
    {__LINE__, 0x00000501,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x00000601,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x00000041,             QINF_SUCCESS,           0x00000741}, // delete sharing alone
    {__LINE__, 0x00000071,             QINF_SUCCESS,           0x00000771},
    {__LINE__, 0x00000091,             QERR_INVALID_PARAMETER, 0},          // sharing above 0x80
    {__LINE__, 0x000000C1,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, 0x000000F1,             QERR_INVALID_PARAMETER, 0},
    {__LINE__, UINT64_C(0xFFFFFFFF00000001), QINF_SUCCESS,     0x00000781}, // upper half cleared
};
// clang-format on

TEST(FileOpenFlags, ValidationRefusesAndNormalises) {
    for (const ValidateCase &c : g_aValidate) {
        SCOPED_TRACE(c.iLine);
        uint64_t fOpen = c.fOpen;
        EXPECT_EQ(c.rc, rtFileValidateOpenFlags(&fOpen));
        EXPECT_EQ(RT_SUCCESS(c.rc) ? c.fNormalised : c.fOpen, fOpen);
    }
}

TEST(FileOpenFlags, RefusedWordsLeaveTheNilHandle) {
    for (const ValidateCase &c : g_aValidate) {
        if (RT_SUCCESS(c.rc)) continue;
        SCOPED_TRACE(c.iLine);
        RTFILE hFile = (RTFILE)(intptr_t)0x1234;
        EXPECT_EQ(c.rc, RTFileOpen(&hFile, "never-created", c.fOpen));
        EXPECT_EQ(NIL_RTFILE, hFile);
    }
}

struct WinMapCase {
    int iLine;
    uint64_t fOpen;
    uint32_t uDisposition;
    uint32_t fAccess;
    uint32_t fShare;
    uint32_t fFlagsAttrs;
    bool fInherit;
};

// clang-format off
const WinMapCase g_aWinMap[] = {
    // The installer's and the logger's words.
    {__LINE__, 0x1C000322, 2, 0x00120116, 1, 0x00000080, false}, // create-replace, write, deny write
    {__LINE__, 0x1C000781, 3, 0x00120089, 3, 0x00000080, false}, // open, read, deny none
    {__LINE__, 0x00000721, 3, 0x00120089, 1, 0x00000080, false}, // open, read, deny write
    {__LINE__, 0x1C000222, 1, 0x00120116, 1, 0x00000080, false}, // create new, write, deny write
    {__LINE__, 0x00000186, 4, 0x00120114, 3, 0x00000080, false}, // open-create, append
    {__LINE__, 0x00000282, 1, 0x00120116, 3, 0x00000080, false},
    {__LINE__, 0x00000146, 4, 0x00120114, 7, 0x00000080, false},
    // Each sharing value.
    {__LINE__, 0x00000711, 3, 0x00120089, 2, 0x00000080, false},
    {__LINE__, 0x00000731, 3, 0x00120089, 0, 0x00000080, false},
    {__LINE__, 0x00000751, 3, 0x00120089, 6, 0x00000080, false},
    {__LINE__, 0x00000761, 3, 0x00120089, 5, 0x00000080, false},
    {__LINE__, 0x00000771, 3, 0x00120089, 4, 0x00000080, false},
    // Access, attribute rights, truncation and the flags.
    {__LINE__, 0x00000783, 3, 0x0012019F, 3, 0x00000080, false},
    {__LINE__, 0x00000787, 3, 0x0012019D, 3, 0x00000080, false},
    {__LINE__, 0x00001783, 5, 0x4012019F, 3, 0x00000080, false}, // truncate-existing adds GENERIC_WRITE
    {__LINE__, 0x00001182, 4, 0x00120116, 3, 0x00000080, false}, // open-create keeps its disposition
    {__LINE__, 0x00010780, 3, 0x00100080, 3, 0x00000080, false}, // attributes only
    {__LINE__, 0x00020780, 3, 0x00100100, 3, 0x00000080, false},
    {__LINE__, 0x00030780, 3, 0x00100180, 3, 0x00000080, false},
    {__LINE__, 0x00010782, 3, 0x00120196, 3, 0x00000080, false}, // an explicit right replaces the default
    {__LINE__, 0x00080786, 3, 0x00120110, 3, 0x20000080, false}, // no cache drops the append right
    {__LINE__, 0x00008782, 3, 0x00120116, 3, 0x80000080, false},
    {__LINE__, 0x00040781, 3, 0x00120089, 3, 0x40000080, false},
    {__LINE__, 0x00002781, 3, 0x00120089, 3, 0x00000080, true},
};
// clang-format on

TEST(FileOpenFlags, WindowsMappingOfEachField) {
    for (const WinMapCase &c : g_aWinMap) {
        SCOPED_TRACE(c.iLine);
        uint64_t fOpen = c.fOpen;
        ASSERT_EQ(QINF_SUCCESS, rtFileValidateOpenFlags(&fOpen));
        RTFILEWINOPEN Params;
        ASSERT_EQ(QINF_SUCCESS, rtFileOpenFlagsToWin(fOpen, &Params));
        EXPECT_EQ(c.uDisposition, Params.uDisposition);
        EXPECT_EQ(c.fAccess, Params.fAccess);
        EXPECT_EQ(c.fShare, Params.fShare);
        EXPECT_EQ(c.fFlagsAttrs, Params.fFlagsAttrs);
        EXPECT_EQ(c.fInherit, Params.fInherit);
    }
}

TEST(FileOpenFlags, WindowsMappingRefusesUnvalidatedValues) {
    RTFILEWINOPEN Params;
    EXPECT_EQ(QERR_INVALID_FLAGS, rtFileOpenFlagsToWin(0x00000001, &Params)); // action 0
    EXPECT_EQ(QERR_INVALID_FLAGS, rtFileOpenFlagsToWin(0x00000401, &Params));
    EXPECT_EQ(QERR_INVALID_FLAGS, rtFileOpenFlagsToWin(0x00000701, &Params)); // sharing 0
    EXPECT_EQ(QERR_INVALID_FLAGS, rtFileOpenFlagsToWin(0x000007F1, &Params));
}

//
// Opening and creating real files.
//

std::string tstRead(const std::string &Path) {
    std::string Content;
    EXPECT_TRUE(tstFileReadAll(Path, &Content)) << Path;
    return Content;
}

TEST(FileOpen, CreateNewReplaceAndOpenExisting) {
    TstScratchDir Dir;
    std::string const Path = Dir / "f.bin";
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1C000222));
    EXPECT_TRUE(RTFileIsValid(hFile));
    EXPECT_EQ(QINF_SUCCESS, RTFileWrite(hFile, "hello", 5, NULL));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ("hello", tstRead(Path));

    // Create-new never opens what exists.
    hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(QERR_ALREADY_EXISTS, RTFileOpen(&hFile, Path.c_str(), 0x1C000222));
    EXPECT_EQ(NIL_RTFILE, hFile);
    EXPECT_EQ("hello", tstRead(Path));

    // The word 1 opens it for reading.
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 1));
    char ach[8] = {0};
    EXPECT_EQ(QINF_SUCCESS, RTFileRead(hFile, ach, 5, NULL));
    EXPECT_STREQ("hello", ach);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));

    // Create-replace starts it afresh.
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1C000322));
    EXPECT_EQ(QINF_SUCCESS, RTFileWrite(hFile, "ab", 2, NULL));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ("ab", tstRead(Path));

    // Open-create with truncation empties an existing file.
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1182));
    uint64_t cb = 99;
    EXPECT_EQ(QINF_SUCCESS, RTFileQuerySize(hFile, &cb));
    EXPECT_EQ(0u, cb);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

TEST(FileOpen, FailuresAndArguments) {
    TstScratchDir Dir;
    RTFILE hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(QERR_FILE_NOT_FOUND, RTFileOpen(&hFile, (Dir / "missing").c_str(), RTFOPEN_READ | RTFOPEN_OPEN));
    EXPECT_EQ(NIL_RTFILE, hFile);
    EXPECT_EQ(QERR_PATH_NOT_FOUND, RTFileOpen(&hFile, (Dir / "no/such/f").c_str(), 0x1C000222));
    EXPECT_FALSE(tstPathExists(Dir / "no"));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileOpen(NULL, (Dir / "x").c_str(), 0x1C000222));
    hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileOpen(&hFile, NULL, 0x1C000222));
    EXPECT_EQ(NIL_RTFILE, hFile);
    EXPECT_FALSE(tstPathExists(Dir / "x"));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(NIL_RTFILE));
    EXPECT_FALSE(RTFileIsValid(NIL_RTFILE));
}

TEST(FileOpen, AppendWordsWriteAtTheEnd) {
    TstScratchDir Dir;
    std::string const Path = Dir / "log.txt";
    ASSERT_TRUE(tstFileWriteAll(Path, "abc"));
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x186));
    ASSERT_TRUE(tstFileSeek(hFile, 0));
    EXPECT_EQ(QINF_SUCCESS, RTFileWrite(hFile, "def", 3, NULL));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ("abcdef", tstRead(Path));
}

TEST(FileRead, EndOfFileWithAndWithoutCount) {
    TstScratchDir Dir;
    std::string const Path = Dir / "short";
    ASSERT_TRUE(tstFileWriteAll(Path, "12345"));
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x721));
    char ach[16];
    EXPECT_EQ(QERR_EOF, RTFileRead(hFile, ach, 8, NULL));
    ASSERT_TRUE(tstFileSeek(hFile, 0));
    size_t cbRead = 99;
    EXPECT_EQ(QINF_SUCCESS, RTFileRead(hFile, ach, 8, &cbRead));
    EXPECT_EQ(5u, cbRead);
    EXPECT_EQ(QINF_SUCCESS, RTFileRead(hFile, ach, 8, &cbRead));
    EXPECT_EQ(0u, cbRead);
    cbRead = 99;
    EXPECT_EQ(QINF_SUCCESS, RTFileRead(hFile, ach, 0, &cbRead));
    EXPECT_EQ(0u, cbRead);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

//
// The read and write loops over shortened and refused transfers.
//

// What the hook does: each call's request is recorded; the calls listed fail with enmFail,
// every call transfers at most cbMax.
struct IoScript {
    std::vector<size_t> Requests;
    size_t cbMax = SIZE_MAX;
    TSTIOFAIL enmFail = TSTIO_OK;
    size_t cbFailAbove = 0;    // fail every request larger than this (0: see iFailFrom)
    unsigned iFailFrom = 0;    // fail from the iFailFrom-th call on (1-based; 0: never)
    unsigned cFailCalls = ~0u; // ... for this many calls
};

TSTIOSTEP ioScriptHook(void *pvUser, bool fWrite, size_t cbRequested) {
    (void)fWrite;
    IoScript *pScript = (IoScript *)pvUser;
    pScript->Requests.push_back(cbRequested);
    unsigned const iCall = (unsigned)pScript->Requests.size();
    bool fFail = pScript->cbFailAbove ? cbRequested > pScript->cbFailAbove
                                      : pScript->iFailFrom && iCall >= pScript->iFailFrom &&
                                            iCall - pScript->iFailFrom < pScript->cFailCalls;
    if (fFail) return {0, pScript->enmFail};
    return {pScript->cbMax, TSTIO_OK};
}

class FileIo : public ::testing::Test {
protected:
    void SetUp() override {
        m_Path = m_Dir / "io.bin";
        m_Data.resize(100000);
        for (size_t i = 0; i < m_Data.size(); i++) m_Data[i] = (char)(i * 7 + i / 256);
        ASSERT_TRUE(tstFileWriteAll(m_Path, m_Data));
        ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&m_hFile, m_Path.c_str(), 0x783));
    }
    void TearDown() override { RTFileClose(m_hFile); }

    TstScratchDir m_Dir;
    std::string m_Path;
    std::string m_Data;
    RTFILE m_hFile = NIL_RTFILE;
};

TEST_F(FileIo, ShortReadsAreCompletedWithoutACount) {
    IoScript Script;
    Script.cbMax = 3;
    std::vector<char> Buf(10);
    {
        TstFileIoHook Hook(ioScriptHook, &Script);
        EXPECT_EQ(QINF_SUCCESS, RTFileRead(m_hFile, Buf.data(), 10, NULL));
    }
    EXPECT_EQ(std::vector<size_t>({10, 7, 4, 1}), Script.Requests);
    EXPECT_EQ(m_Data.substr(0, 10), std::string(Buf.data(), 10));
}

TEST_F(FileIo, ShortReadIsReportedThroughTheCount) {
    IoScript Script;
    Script.cbMax = 3;
    std::vector<char> Buf(10);
    size_t cbRead = 0;
    {
        TstFileIoHook Hook(ioScriptHook, &Script);
        EXPECT_EQ(QINF_SUCCESS, RTFileRead(m_hFile, Buf.data(), 10, &cbRead));
    }
    EXPECT_EQ(3u, cbRead);
    EXPECT_EQ(1u, Script.Requests.size());
}

struct ChunkCase {
    int iLine;
    bool fWrite;
    size_t cbCount;
    size_t cbFailAbove; // requests above this size are refused for their size
    bool fWithCount;
    int rc;
    std::vector<size_t> Requests;
    size_t cbReported; // with a count
};

const std::vector<ChunkCase> &chunkCases() {
    static const std::vector<ChunkCase> s_aCases = {
        // Half the count raised to a multiple of 256, then what is left.
        {__LINE__, false, 10000, 9999, false, QINF_SUCCESS, {10000, 5120, 4880}, 0},
        {__LINE__, false, 10000, 9999, true, QINF_SUCCESS, {10000, 5120}, 5120},
        // Capped at 16 KiB for reads, 32 KiB for writes.
        {__LINE__, false, 40000, 39999, true, QINF_SUCCESS, {40000, 16384}, 16384},
        {__LINE__, true, 100000, 99999, true, QINF_SUCCESS, {100000, 32768}, 32768},
        {__LINE__, true, 100000, 99999, false, QINF_SUCCESS, {100000, 32768, 32768, 32768, 1696}, 0},
        // Halved while refused.
        {__LINE__,
         false,
         10000,
         1000,
         false,
         QINF_SUCCESS,
         {10000, 5120, 2560, 1280, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 640, 400},
         0},
        {__LINE__, true, 3000, 700, true, QINF_SUCCESS, {3000, 1536, 768, 384}, 384},
        // Half of 300 is raised to 256.
        {__LINE__, false, 300, 299, true, QINF_SUCCESS, {300, 256}, 256},
        // Down to 8 bytes, then the refusal is the answer.
        {__LINE__, false, 16, 1, false, QERR_NO_MEMORY, {16, 16, 16, 16, 16, 16, 8}, 0},
        {__LINE__, true, 16, 1, true, QERR_NO_MEMORY, {16, 16, 16, 16, 16, 16, 8}, 0},
    };
    return s_aCases;
}

TEST_F(FileIo, RefusedSizesAreRetriedInShrinkingChunks) {
    for (const ChunkCase &c : chunkCases()) {
        SCOPED_TRACE(c.iLine);
        ASSERT_TRUE(tstFileSeek(m_hFile, 0));
        IoScript Script;
        Script.enmFail = TSTIO_NO_MEMORY;
        Script.cbFailAbove = c.cbFailAbove;
        std::string Buf(c.cbCount, '\0');
        size_t cbDone = 0;
        int rc;
        {
            TstFileIoHook Hook(ioScriptHook, &Script);
            rc = c.fWrite ? RTFileWrite(m_hFile, m_Data.data(), c.cbCount, c.fWithCount ? &cbDone : NULL)
                          : RTFileRead(m_hFile, &Buf[0], c.cbCount, c.fWithCount ? &cbDone : NULL);
        }
        EXPECT_EQ(c.rc, rc);
        EXPECT_EQ(c.Requests, Script.Requests);
        if (c.fWithCount && RT_SUCCESS(rc)) {
            EXPECT_EQ(c.cbReported, cbDone);
        }
        if (!c.fWrite && !c.fWithCount && RT_SUCCESS(rc)) {
            EXPECT_EQ(m_Data.substr(0, c.cbCount), Buf);
        }
    }
}

TEST_F(FileIo, AWriteThatNeverProgressesIsAnError) {
    IoScript Script;
    Script.cbMax = 0;
    size_t cbWritten = 99;
    {
        TstFileIoHook Hook(ioScriptHook, &Script);
        EXPECT_EQ(QERR_WRITE_ERROR, RTFileWrite(m_hFile, "abc", 3, NULL));
        EXPECT_EQ(QINF_SUCCESS, RTFileWrite(m_hFile, "abc", 3, &cbWritten));
    }
    EXPECT_EQ(0u, cbWritten);
}

TEST_F(FileIo, ZeroBytesTouchNothing) {
    IoScript Script;
    size_t cbWritten = 99;
    {
        TstFileIoHook Hook(ioScriptHook, &Script);
        EXPECT_EQ(QINF_SUCCESS, RTFileWrite(m_hFile, "abc", 0, &cbWritten));
        EXPECT_EQ(QINF_SUCCESS, RTFileRead(m_hFile, &cbWritten, 0, NULL));
    }
    EXPECT_EQ(99u, cbWritten);
    EXPECT_TRUE(Script.Requests.empty());
}

struct PartialCase {
    int iLine;
    size_t cbMax;       // each transfer
    unsigned iFailFrom; // the failing call
    TSTIOFAIL enmFail;
    bool fWithCount;
    int rcExpected; // 1: tstIoErrorStatus()
    size_t cbInFile;
};

// clang-format off
const PartialCase g_aPartial[] = {
    // Without a count a short write is completed, or the call fails: never a success.
    {__LINE__, 400, 2, TSTIO_DISK_FULL, false, QERR_DISK_FULL, 400},
    {__LINE__, 400, 3, TSTIO_DISK_FULL, false, QERR_DISK_FULL, 800},
    {__LINE__, 400, 1, TSTIO_DISK_FULL, false, QERR_DISK_FULL, 0},
    {__LINE__, 400, 2, TSTIO_IO_ERROR,  false, 1,              400},
    {__LINE__, 400, 0, TSTIO_OK,        false, QINF_SUCCESS,   1000},
    // With a count, the first short write is the answer.
    {__LINE__, 400, 2, TSTIO_DISK_FULL, true,  QINF_SUCCESS,   400},
    {__LINE__, 400, 1, TSTIO_DISK_FULL, true,  QERR_DISK_FULL, 0},
};
// clang-format on

TEST_F(FileIo, PartialWritesAndFailures) {
    for (const PartialCase &c : g_aPartial) {
        SCOPED_TRACE(c.iLine);
        RTFILE hFile = NIL_RTFILE;
        std::string const Path = m_Dir / "partial";
        ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x322));
        IoScript Script;
        Script.cbMax = c.cbMax;
        Script.enmFail = c.enmFail;
        Script.iFailFrom = c.iFailFrom;
        size_t cbWritten = 0;
        int rc;
        {
            TstFileIoHook Hook(ioScriptHook, &Script);
            rc = RTFileWrite(hFile, m_Data.data(), 1000, c.fWithCount ? &cbWritten : NULL);
        }
        EXPECT_EQ(c.rcExpected == 1 ? tstIoErrorStatus() : c.rcExpected, rc);
        if (c.fWithCount && RT_SUCCESS(rc)) {
            EXPECT_EQ(c.cbInFile, cbWritten);
        }
        EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
        EXPECT_EQ(m_Data.substr(0, c.cbInFile), tstRead(Path));
    }
}

//
// Positions, sizes and object information.
//

TEST(FileTell, PositionsAndSizesAcrossFourGigabytes) {
    TstScratchDir Dir;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, (Dir / "sparse").c_str(), 0x1C000322));
    const uint64_t s_aOffsets[] = {
        0, 1, 0x7FFFFFFF, 0xFFFFFFFE, 0xFFFFFFFF, UINT64_C(0x100000000), UINT64_C(0x1FFFFFFFF)};
    for (uint64_t off : s_aOffsets) {
        SCOPED_TRACE(off);
        ASSERT_TRUE(tstFileSeek(hFile, off));
        EXPECT_EQ(off, RTFileTell(hFile));
    }
    // A file of 4 GiB - 1: its size's low part is all ones.
    ASSERT_TRUE(tstFileSetEndAt(hFile, 0xFFFFFFFF));
    uint64_t cb = 0;
    EXPECT_EQ(QINF_SUCCESS, RTFileQuerySize(hFile, &cb));
    EXPECT_EQ(UINT64_C(0xFFFFFFFF), cb);
    ASSERT_TRUE(tstFileSetEndAt(hFile, UINT64_C(0x100000005)));
    EXPECT_EQ(QINF_SUCCESS, RTFileQuerySize(hFile, &cb));
    EXPECT_EQ(UINT64_C(0x100000005), cb);
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
}

TEST(FileQueryInfo, WriteAndReadHandlesDescribeTheSameFile) {
    TstScratchDir Dir;
    std::string const Path = Dir / "pkg.msi";
    RTFILE hWrite = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hWrite, Path.c_str(), 0x1C000322));
    std::string const Data(70000, 'q');
    ASSERT_EQ(QINF_SUCCESS, RTFileWrite(hWrite, Data.data(), Data.size(), NULL));
    RTFILE hRead = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hRead, Path.c_str(), 0x1C000781));

    FsObjInfo InfoW, InfoR;
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hWrite, &InfoW, RTFSOBJATTRADD_UNIX));
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hRead, &InfoR, RTFSOBJATTRADD_UNIX));
    EXPECT_EQ(Data.size(), InfoW.cbObject);
    EXPECT_EQ(Data.size(), InfoR.cbObject);
    EXPECT_EQ(InfoW.u.Unix.INodeId, InfoR.u.Unix.INodeId);
    EXPECT_NE(0u, InfoR.u.Unix.INodeId);
    EXPECT_EQ(InfoW.u.Unix.INodeIdDevice, InfoR.u.Unix.INodeIdDevice);
    EXPECT_GE(InfoR.u.Unix.cHardlinks, 1u);
    EXPECT_EQ(RTFSOBJATTRADD_UNIX, InfoR.enmAdditional);
    EXPECT_EQ(RTFS_TYPE_FILE, InfoR.fMode & RTFS_TYPE_MASK);
    EXPECT_EQ(0u, InfoR.fMode & RTFS_DOS_DIRECTORY);
    EXPECT_NE(0u, InfoR.fMode & RTFS_UNIX_ALL_WRITE);
    EXPECT_GT(InfoR.ModificationTime, INT64_C(1500000000) * 1000000000); // after 2017

    // Another file has another identity while both exist.
    RTFILE hOther = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hOther, (Dir / "other").c_str(), 0x1C000222));
    FsObjInfo InfoO;
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hOther, &InfoO, RTFSOBJATTRADD_UNIX));
    EXPECT_NE(InfoR.u.Unix.INodeId, InfoO.u.Unix.INodeId);

    // Other kinds.
    ASSERT_EQ(QINF_SUCCESS, RTFileQueryInfo(hRead, &InfoR, RTFSOBJATTRADD_UNIX_OWNER));
    EXPECT_EQ(Data.size(), InfoR.cbObject);
    EXPECT_EQ(RTFSOBJATTRADD_UNIX_OWNER, InfoR.enmAdditional);
    EXPECT_EQ(QINF_SUCCESS, RTFileQueryInfo(hRead, &InfoR, RTFSOBJATTRADD_EASIZE));
    EXPECT_EQ(0u, InfoR.u.EASize.cb);
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileQueryInfo(hRead, &InfoR, (FsObjAttrAdd)0));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileQueryInfo(hRead, &InfoR, (FsObjAttrAdd)6));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileQueryInfo(hRead, NULL, RTFSOBJATTRADD_NOTHING));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileQueryInfo(NIL_RTFILE, &InfoR, RTFSOBJATTRADD_NOTHING));

    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hOther));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hRead));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hWrite));
}

//
// Deleting and renaming.
//

TEST(FileDelete, RemovesFilesOnly) {
    TstScratchDir Dir;
    std::string const Path = Dir / "gone";
    ASSERT_TRUE(tstFileWriteAll(Path, "x"));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete(Path.c_str()));
    EXPECT_FALSE(tstPathExists(Path));
    EXPECT_EQ(QERR_FILE_NOT_FOUND, RTFileDelete(Path.c_str()));
    EXPECT_EQ(QERR_INVALID_POINTER, RTFileDelete(NULL));
}

struct RenameCase {
    int iLine;
    bool fDstExists;
    bool fSrcIsDir;
    unsigned fRename;
    int rc;
};

// clang-format off
const RenameCase g_aRename[] = {
    {__LINE__, false, false, 0, QINF_SUCCESS},
    {__LINE__, true,  false, 0, QERR_ALREADY_EXISTS},
    {__LINE__, true,  false, RTFILEMOVE_FLAGS_REPLACE, QINF_SUCCESS},
    {__LINE__, false, true,  0, QERR_IS_A_DIRECTORY},
    {__LINE__, false, false, 2, QERR_INVALID_PARAMETER},
    {__LINE__, false, false, 3, QERR_INVALID_PARAMETER},
};
// clang-format on

TEST(FileRename, RegularFilesWithOrWithoutReplacing) {
    for (const RenameCase &c : g_aRename) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        std::string const Src = Dir / "src";
        std::string const Dst = Dir / "dst";
        if (c.fSrcIsDir) {
            ASSERT_TRUE(tstMakeDir(Src));
        } else {
            ASSERT_TRUE(tstFileWriteAll(Src, "source"));
        }
        if (c.fDstExists) {
            ASSERT_TRUE(tstFileWriteAll(Dst, "destination"));
        }
        EXPECT_EQ(c.rc, RTFileRename(Src.c_str(), Dst.c_str(), c.fRename));
        std::string Content;
        if (RT_SUCCESS(c.rc)) {
            EXPECT_FALSE(tstPathExists(Src));
            EXPECT_EQ("source", tstRead(Dst));
        } else {
            EXPECT_TRUE(tstPathExists(Src));
            EXPECT_EQ(c.fDstExists, tstPathExists(Dst));
            if (c.fDstExists) {
                EXPECT_EQ("destination", tstRead(Dst));
            }
        }
    }
    EXPECT_EQ(QERR_INVALID_POINTER, RTFileRename(NULL, "x", 0));
    EXPECT_EQ(QERR_INVALID_POINTER, RTFileRename("x", NULL, 0));
}

//
// A really full disk: a small file system prepared by tests/Runtime/r3/file-diskfull.sh, which
// runs this suite with QRT_TEST_FULL_DIR naming a directory on it.
//

TEST(FileDiskFull, WriteFailsAndTheDeletedFileLeavesNothing) {
    const char *pszDir = getenv("QRT_TEST_FULL_DIR");
    if (!pszDir || !*pszDir) GTEST_SKIP() << "QRT_TEST_FULL_DIR is not set (file-diskfull.sh sets it)";
    std::string const Path = std::string(pszDir) + "/full.bin";
    std::string const Data(3u << 20, 'z'); // three times the file system's size

    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1C000322));
    EXPECT_EQ(QERR_DISK_FULL, RTFileWrite(hFile, Data.data(), Data.size(), NULL));
    size_t cbWritten = 99;
    EXPECT_EQ(QERR_DISK_FULL, RTFileWrite(hFile, Data.data(), Data.size(), &cbWritten));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete(Path.c_str()));
    EXPECT_FALSE(tstPathExists(Path));

    // The space came back: a small file fits again.
    ASSERT_EQ(QINF_SUCCESS, RTFileOpen(&hFile, Path.c_str(), 0x1C000322));
    EXPECT_EQ(QINF_SUCCESS, RTFileWrite(hFile, Data.data(), 4096, NULL));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ(QINF_SUCCESS, RTFileDelete(Path.c_str()));
}

} // namespace
