// Stream records: formatted writes, the sticky status, the console path (through a console
// stand-in), the mode check, the lock under nesting and concurrency.
#include <qrt/stream.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Runtime/r3/testplatform.h"
#include "r3/stream-internal.h"

namespace {

// A stream record over a fresh temporary file, opened in binary so that bytes compare exactly.
struct TempStream {
    std::string Name;
    FILE *pFile = nullptr;
    RTSTREAM Strm;

    TempStream() {
        Name = TestTempFileName("stream");
        pFile = fopen(Name.c_str(), "w+b");
        rtStrmInitFile(&Strm, pFile);
        // The record stays a text stream over the binary file (no line-end translation), so
        // what the tests read back is what the stream wrote.
        Strm.fRecheckMode = false;
    }
    ~TempStream() {
        rtStrmTerm(&Strm);
        if (pFile) fclose(pFile);
        remove(Name.c_str());
    }
    // Everything written so far, read through a separate handle (the record's stays as it is).
    std::string Contents() {
        FILE *pIn = fopen(Name.c_str(), "rb");
        std::string Str;
        if (pIn) {
            char ach[4096];
            size_t cb;
            while ((cb = fread(ach, 1, sizeof(ach), pIn)) > 0) Str.append(ach, cb);
            fclose(pIn);
        }
        return Str;
    }
    std::string Flushed() {
        fflush(pFile);
        return Contents();
    }
};

TEST(StrmPrintf, FormatsIntoTheStream) {
    TempStream T;
    ASSERT_NE(nullptr, T.pFile);
    EXPECT_EQ(7, RTStrmPrintf(&T.Strm, "%s=%d\n", "abc", 42));
    EXPECT_EQ(22, RTStrmPrintf(&T.Strm, "%Rrc", QERR_INVALID_PARAMETER));
    EXPECT_EQ(0, RTStrmPrintf(&T.Strm, "%s", ""));
    std::string Long(1000, 'x');
    EXPECT_EQ(1002, RTStrmPrintf(&T.Strm, "[%s]", Long.c_str()));
    EXPECT_EQ("abc=42\nQERR_INVALID_PARAMETER[" + Long + "]", T.Flushed());
    EXPECT_EQ(QINF_SUCCESS, RTStrmFlush(&T.Strm));
}

TEST(StrmPrintf, BadRecordsAreRefused) {
    RTSTREAM Zeroed;
    memset(&Zeroed, 0, sizeof(Zeroed));
    for (PRTSTREAM pStrm : {(PRTSTREAM)(uintptr_t)16, &Zeroed, (PRTSTREAM) nullptr}) {
        EXPECT_EQ(QERR_INVALID_PARAMETER, RTStrmPrintf(pStrm, "x"));
        size_t cb = 99;
        EXPECT_EQ(QERR_INVALID_PARAMETER, RTStrmWrite(pStrm, "x", 1, &cb, true));
        EXPECT_EQ(99u, cb);
        EXPECT_EQ(QERR_INVALID_PARAMETER, RTStrmFlush(pStrm));
    }
}

TEST(StrmWrite, FullDeviceFailureSticks) {
    for (bool fText : {false, true}) {
        SCOPED_TRACE(fText);
        FILE *pFile = fopen(TestFullDeviceName(), "wb");
        ASSERT_NE(nullptr, pFile);
        setvbuf(pFile, nullptr, _IONBF, 0); // unbuffered: the write itself fails
        RTSTREAM Strm;
        rtStrmInitFile(&Strm, pFile);
        size_t cbWritten = 99;
        EXPECT_EQ(QERR_WRITE_ERROR, RTStrmWrite(&Strm, "hello", 5, &cbWritten, fText));
        EXPECT_EQ(0u, cbWritten);
        // From now on nothing is written and every call reports it.
        EXPECT_EQ(-1, RTStrmPrintf(&Strm, "more %d", 1));
        EXPECT_EQ(-1, RTStrmPrintf(&Strm, "and more"));
        EXPECT_EQ(QERR_WRITE_ERROR, RTStrmWrite(&Strm, "x", 1, nullptr, fText));
        EXPECT_EQ(QERR_WRITE_ERROR, RTStrmFlush(&Strm));
        rtStrmTerm(&Strm);
        fclose(pFile);
    }
}

TEST(StrmPrintf, FailureDuringFormatCountsThenSticks) {
    FILE *pFile = fopen(TestFullDeviceName(), "wb");
    ASSERT_NE(nullptr, pFile);
    setvbuf(pFile, nullptr, _IONBF, 0);
    RTSTREAM Strm;
    rtStrmInitFile(&Strm, pFile);
    EXPECT_EQ(5, RTStrmPrintf(&Strm, "%s", "hello")); // the format's own count
    EXPECT_EQ(-1, RTStrmPrintf(&Strm, "%s", "hello"));
    EXPECT_EQ(-1, RTStrmPrintf(&Strm, "x"));
    rtStrmTerm(&Strm);
    fclose(pFile);
}

TEST(StrmFlush, BufferedFailureIsFoundByFlushAndSticks) {
    FILE *pFile = fopen(TestFullDeviceName(), "wb");
    ASSERT_NE(nullptr, pFile);
    RTSTREAM Strm;
    rtStrmInitFile(&Strm, pFile);
    EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&Strm, "abc", 3, nullptr, false)); // still in the buffer
    int const rc = RTStrmFlush(&Strm);
    EXPECT_TRUE(RT_FAILURE(rc)) << rc;
    EXPECT_EQ(rc, RTStrmFlush(&Strm));
    EXPECT_EQ(rc, RTStrmWrite(&Strm, "abc", 3, nullptr, false));
    EXPECT_EQ(-1, RTStrmPrintf(&Strm, "x"));
    rtStrmTerm(&Strm);
    fclose(pFile);
}

TEST(StrmWrite, InvalidTextSticksButBytesPass) {
    {
        TempStream T;
        EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrmWrite(&T.Strm, "a\xff", 2, nullptr, true));
        EXPECT_EQ(-1, RTStrmPrintf(&T.Strm, "ok"));
        EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrmFlush(&T.Strm));
        EXPECT_EQ("", T.Flushed());
    }
    {
        TempStream T;
        size_t cbWritten = 0;
        EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&T.Strm, "a\xff\0b", 4, &cbWritten, false));
        EXPECT_EQ(4u, cbWritten);
        EXPECT_EQ(std::string("a\xff\0b", 4), T.Flushed());
    }
    {
        // Text with its terminator inside the length: converted up to the terminator.
        TempStream T;
        size_t cbWritten = 0;
        EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&T.Strm, "abc", 4, &cbWritten, true));
        EXPECT_EQ(4u, cbWritten);
        EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&T.Strm, "", 0, &cbWritten, true));
        EXPECT_EQ(0u, cbWritten);
        EXPECT_EQ("abc", T.Flushed());
    }
}

//
// The console path, through a stand-in console that records what it is given.
//
struct FakeConsole {
    FILE *pFile = nullptr;           // the stream that counts as a console
    std::u16string Units;            // every unit written
    bool fFailWhole = false;         // writes of more than one unit fail
    size_t cUnitsAllowed = SIZE_MAX; // after this many units every write fails
    int rcFail = QERR_ACCESS_DENIED;
    unsigned cCalls = 0;
    void (*pfnDuring)() = nullptr; // runs inside the first write
};
FakeConsole *g_pFakeConsole = nullptr;

static void *fakeQueryConsole(FILE *pFile) {
    return g_pFakeConsole && pFile == g_pFakeConsole->pFile ? g_pFakeConsole : nullptr;
}

static int fakeWriteConsole(void *hConsole, const RTUTF16 *pwc, size_t cwc, size_t *pcwcWritten) {
    FakeConsole *pCon = (FakeConsole *)hConsole;
    *pcwcWritten = 0;
    if (pCon->cCalls++ == 0 && pCon->pfnDuring) pCon->pfnDuring();
    if (cwc > 1 && pCon->fFailWhole) return pCon->rcFail;
    size_t cwcTake = cwc < pCon->cUnitsAllowed ? cwc : pCon->cUnitsAllowed;
    if (cwcTake == 0 && cwc > 0) return pCon->rcFail;
    pCon->Units.append((const char16_t *)pwc, cwcTake);
    pCon->cUnitsAllowed -= cwcTake;
    *pcwcWritten = cwcTake;
    return QINF_SUCCESS;
}

static unsigned g_cModeChecks = 0;
static bool g_fModeBinary = false;
static bool fakeCheckMode(FILE *, bool) {
    g_cModeChecks++;
    return g_fModeBinary;
}

// Swaps the platform hooks for the stand-ins while alive.
struct FakePlatform {
    RTSTRMPLATFORM Saved = g_rtStrmPlatform;
    FakePlatform(FakeConsole *pCon) {
        g_pFakeConsole = pCon;
        g_rtStrmPlatform.pfnQueryConsole = fakeQueryConsole;
        g_rtStrmPlatform.pfnWriteConsole = fakeWriteConsole;
        g_rtStrmPlatform.pfnCheckMode = fakeCheckMode;
        g_cModeChecks = 0;
        g_fModeBinary = false;
    }
    ~FakePlatform() {
        g_rtStrmPlatform = Saved;
        g_pFakeConsole = nullptr;
    }
};

struct ConsoleCase {
    int iLine;
    const char *pszText;
    bool fFailWhole;
    size_t cUnitsAllowed;
    bool fWantCount;
    int rc;
    size_t cbWritten; // with fWantCount
    const char16_t *pwszUnits;
};

// clang-format off
const ConsoleCase g_aConsole[] = {
    {__LINE__, "a\xe2\x9c\x93",       false, SIZE_MAX, true,  QINF_SUCCESS,                4, u"a\u2713"},
    {__LINE__, "a\xe2\x9c\x93",       false, SIZE_MAX, false, QINF_SUCCESS,                0, u"a\u2713"},
    {__LINE__, "caf\xc3\xa9",         true,  SIZE_MAX, true,  QINF_SUCCESS,                5, u"caf\u00e9"},
    // Unit by unit after the whole write failed: what went out counts in UTF-8 bytes.
    {__LINE__, "a\xe2\x9c\x93z",      true,  2,        true,  QINF_SUCCESS,                4, u"a\u2713"},
    {__LINE__, "a\xe2\x9c\x93z",      true,  2,        false, QERR_WRITE_ERROR,            0, u"a\u2713"},
    {__LINE__, "abc",                 true,  0,        true,  QERR_ACCESS_DENIED,          0, u""},
    {__LINE__, "abc",                 true,  0,        false, QERR_ACCESS_DENIED,          0, u""},
    // A console that takes part of a single write.
    {__LINE__, "abcd",                false, 3,        true,  QINF_SUCCESS,                3, u"abc"},
    // Text that is not UTF-8 is not written at all.
    {__LINE__, "ok\xff",              false, SIZE_MAX, true,  QERR_INVALID_UTF8_ENCODING,  0, u""},
    {__LINE__, "\xc3",                false, SIZE_MAX, false, QERR_INVALID_UTF8_ENCODING,  0, u""},
};
// clang-format on

TEST(StrmWriteConsole, UnitsCountsAndFailures) {
    for (const ConsoleCase &c : g_aConsole) {
        SCOPED_TRACE(c.iLine);
        TempStream T;
        FakeConsole Con;
        Con.pFile = T.pFile;
        Con.fFailWhole = c.fFailWhole;
        Con.cUnitsAllowed = c.cUnitsAllowed;
        FakePlatform Fake(&Con);
        size_t cbWritten = 99;
        EXPECT_EQ(c.rc, RTStrmWrite(&T.Strm, c.pszText, strlen(c.pszText), c.fWantCount ? &cbWritten : nullptr, true));
        if (c.fWantCount) {
            EXPECT_EQ(c.cbWritten, cbWritten);
        }
        EXPECT_TRUE(Con.Units == c.pwszUnits);
        // A failure sticks; success leaves the stream usable.
        Con.cUnitsAllowed = SIZE_MAX;
        Con.fFailWhole = false;
        int const rcNext = RTStrmPrintf(&T.Strm, "x");
        EXPECT_EQ(RT_SUCCESS(c.rc) ? 1 : -1, rcNext);
        EXPECT_EQ("", T.Flushed()); // nothing reached the file itself
    }
}

TEST(StrmWriteConsole, BufferedBytesGoFirst) {
    TempStream T;
    FakeConsole Con;
    Con.pFile = T.pFile;
    fwrite("raw", 1, 3, T.pFile); // still buffered
    EXPECT_EQ("", T.Contents());
    {
        FakePlatform Fake(&Con);
        EXPECT_EQ(2, RTStrmPrintf(&T.Strm, "%s", "ok"));
        EXPECT_EQ("raw", T.Contents());
    }
    EXPECT_TRUE(Con.Units == u"ok");
}

TEST(StrmWrite, ModeIsCheckedOnceAndTheRecordFollowsIt) {
    TempStream T;
    FakeConsole Con; // not a console: pFile stays null
    FakePlatform Fake(&Con);
    T.Strm.fRecheckMode = true;
    g_fModeBinary = true;
    // A binary descriptor gets the bytes as they are, even when flagged as text.
    EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&T.Strm, "a\xff", 2, nullptr, true));
    EXPECT_EQ(QINF_SUCCESS, RTStrmWrite(&T.Strm, "b\xfe", 2, nullptr, true));
    EXPECT_EQ(1u, g_cModeChecks);
    EXPECT_TRUE(T.Strm.fBinary);
    EXPECT_EQ("a\xff"
              "b\xfe",
              T.Flushed());
}

// A formatted write to the same stream from inside one (as a report from deep inside the
// output path would be): it goes ahead without the lock and leaves the outer holder's lock.
struct NestedProbe {
    PRTSTREAM pStrm;
    int rcNested;
    int32_t cNestingsAfter;
    RTNATIVETHREAD OwnerAfter;
};
NestedProbe g_Nested;

static void nestedPrintf() {
    g_Nested.rcNested = RTStrmPrintf(g_Nested.pStrm, "<%s>", "inner");
    PRTCRITSECT pCritSect = g_Nested.pStrm->pCritSect;
    g_Nested.cNestingsAfter = pCritSect ? pCritSect->cNestings : -100;
    g_Nested.OwnerAfter = pCritSect ? pCritSect->NativeThreadOwner : NIL_RTNATIVETHREAD;
}

TEST(StrmPrintf, NestedUseNeitherWaitsNorReleasesTheOuterLock) {
    TempStream T;
    FakeConsole Con;
    Con.pFile = T.pFile;
    Con.pfnDuring = nestedPrintf;
    g_Nested = {&T.Strm, 0, 0, NIL_RTNATIVETHREAD};
    {
        FakePlatform Fake(&Con);
        EXPECT_EQ(5, RTStrmPrintf(&T.Strm, "%s", "outer"));
    }
    EXPECT_EQ(7, g_Nested.rcNested);
    EXPECT_EQ(1, g_Nested.cNestingsAfter);
    EXPECT_EQ(RTThreadNativeSelf(), g_Nested.OwnerAfter);
    ASSERT_NE(nullptr, T.Strm.pCritSect);
    EXPECT_EQ(-1, T.Strm.pCritSect->cLockers);
    EXPECT_EQ(NIL_RTNATIVETHREAD, T.Strm.pCritSect->NativeThreadOwner);
    EXPECT_TRUE(Con.Units == u"<inner>outer");
}

TEST(StrmPrintf, LockMemoryFailureStillWrites) {
    TempStream T;
    RTMemTestFailAfter(1); // the lock
    EXPECT_EQ(3, RTStrmPrintf(&T.Strm, "%s", "abc"));
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, T.Strm.pCritSect);
    EXPECT_EQ(3, RTStrmPrintf(&T.Strm, "%s", "def"));
    EXPECT_NE(nullptr, T.Strm.pCritSect);
    EXPECT_EQ("abcdef", T.Flushed());
}

// Threads write long lines built from many pieces; the lock keeps each line whole.
struct LineArgs {
    PRTSTREAM pStrm;
    char chMark;
};

static const unsigned g_cLinesPerThread = 100;
static const unsigned g_cPiecesPerLine = 30;

static void lineThread(void *pvUser) {
    LineArgs *pArgs = (LineArgs *)pvUser;
    char szPiece[11];
    memset(szPiece, pArgs->chMark, 10);
    szPiece[10] = '\0';
    for (unsigned iLine = 0; iLine < g_cLinesPerThread; iLine++) {
        // 30 pieces of 10 characters plus a line end, in one formatted write.
        RTStrmPrintf(pArgs->pStrm, "%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s%s\n", szPiece, szPiece,
                     szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece,
                     szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece, szPiece,
                     szPiece, szPiece, szPiece, szPiece, szPiece, szPiece);
    }
}

TEST(StrmPrintf, ConcurrentWritersKeepLinesWhole) {
    TempStream T;
    LineArgs aArgs[4];
    TESTTHREAD *apThreads[4];
    for (unsigned i = 0; i < 4; i++) {
        aArgs[i] = {&T.Strm, (char)('A' + i)};
        apThreads[i] = TestThreadStart(lineThread, &aArgs[i]);
        ASSERT_NE(nullptr, apThreads[i]);
    }
    for (TESTTHREAD *pThread : apThreads) TestThreadJoin(pThread);
    std::string const All = T.Flushed();
    unsigned acLines[4] = {0, 0, 0, 0};
    size_t off = 0;
    unsigned cBroken = 0;
    while (off < All.size()) {
        size_t offEol = All.find('\n', off);
        ASSERT_NE(std::string::npos, offEol);
        std::string const Line = All.substr(off, offEol - off);
        off = offEol + 1;
        char const ch = Line.empty() ? '?' : Line[0];
        if (Line.size() != 10 * g_cPiecesPerLine || ch < 'A' || ch > 'D' ||
            Line.find_first_not_of(ch) != std::string::npos) {
            cBroken++;
            continue;
        }
        acLines[ch - 'A']++;
    }
    EXPECT_EQ(0u, cBroken);
    for (unsigned i = 0; i < 4; i++) EXPECT_EQ(g_cLinesPerThread, acLines[i]) << i;
}

} // namespace
