// The standard streams on Windows: the code page and line ends of a redirected stream, the
// descriptor's mode, console detection, and the console itself when there is one.
#include <qrt/message.h>
#include <qrt/stream.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/testplatform.h"
#include "r3/stream-internal.h"

#include <windows.h>

namespace {

TEST(StrmWin, RedirectedStdoutGetsTheCodePageAndCrLf) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    TestCaptureBegin(stdout);
    int const cch = RTPrintf("caf\xc3\xa9 \xe2\x9c\x93\n");
    std::string const Out = TestCaptureEnd();
    EXPECT_EQ(10, cch);
    EXPECT_EQ("caf\xe9 ?\r\n", Out);
}

TEST(StrmWin, MessageLinesNeverGetCrCrLf) {
    TestCaptureBegin(stderr);
    RTMsgError("Installation failed! Error: %s", "Fatal error during installation.\r\n");
    std::string const Out = TestCaptureEnd();
    EXPECT_EQ(std::string(TestProgramName()) +
                  ": error: Installation failed! Error: Fatal error during installation.\r\n",
              Out);
}

TEST(StrmWin, RecordFollowsTheDescriptorsMode) {
    const struct {
        int iLine;
        const char *pszMode;
        bool fBinary;
        const char *pszExpect;
    } aCases[] = {
        {__LINE__, "wb", true, "caf\xc3\xa9\n"}, // bytes as given
        {__LINE__, "w", false, "caf\xe9\r\n"},   // code page, CR LF
    };
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page is " << GetACP();
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        std::string const Name = TestTempFileName("mode");
        FILE *pFile = fopen(Name.c_str(), c.pszMode);
        ASSERT_NE(nullptr, pFile);
        RTSTREAM Strm;
        rtStrmInitFile(&Strm, pFile);
        EXPECT_EQ(6, RTStrmPrintf(&Strm, "caf\xc3\xa9\n"));
        EXPECT_EQ(c.fBinary, Strm.fBinary);
        EXPECT_FALSE(Strm.fRecheckMode);
        rtStrmTerm(&Strm);
        fclose(pFile);
        FILE *pIn = fopen(Name.c_str(), "rb");
        ASSERT_NE(nullptr, pIn);
        char ach[64];
        size_t const cb = fread(ach, 1, sizeof(ach), pIn);
        fclose(pIn);
        DeleteFileA(Name.c_str());
        EXPECT_EQ(c.pszExpect, std::string(ach, cb));
    }
}

TEST(StrmWin, FilesAndTheNulDeviceAreNoConsoles) {
    // The NUL device passes the terminal test but not the console mode query.
    for (const char *pszName : {"NUL", "file"}) {
        SCOPED_TRACE(pszName);
        std::string const Name = !strcmp(pszName, "NUL") ? std::string("NUL") : TestTempFileName("con");
        FILE *pFile = fopen(Name.c_str(), "w");
        ASSERT_NE(nullptr, pFile);
        EXPECT_EQ(!strcmp(pszName, "NUL"), _isatty(_fileno(pFile)) != 0);
        EXPECT_EQ(nullptr, g_rtStrmPlatform.pfnQueryConsole(pFile));
        fclose(pFile);
        if (strcmp(pszName, "NUL")) DeleteFileA(Name.c_str());
    }
}

// Runs only where standard output is a real console (tools/stream-console.sh starts it under
// a pseudo terminal); elsewhere it skips.
TEST(StrmWinConsole, TextGoesThroughTheConsole) {
    if (!g_rtStrmPlatform.pfnQueryConsole(stdout)) GTEST_SKIP() << "standard output is not a console";
    EXPECT_EQ(11, RTPrintf("check: \xe2\x9c\x93\n"));
    EXPECT_EQ(QINF_SUCCESS, RTStrmFlush(g_pStdOut));
    // Invalid UTF-8 is refused as a whole and silences the stream (a record of its own here,
    // so the real standard output stays usable).
    RTSTREAM Strm;
    rtStrmInitFile(&Strm, stdout);
    EXPECT_EQ(QERR_INVALID_UTF8_ENCODING, RTStrmWrite(&Strm, "bad\xff\n", 5, nullptr, true));
    EXPECT_EQ(-1, RTStrmPrintf(&Strm, "never shown\n"));
    rtStrmTerm(&Strm);
    EXPECT_EQ(10, RTPrintf("after: ok\n"));
}

} // namespace
