// Program messages: the line walk, the prefixes, the out-of-memory fallback and the
// initialisation-failure report.
#include <qrt/message.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Runtime/r3/testplatform.h"
#include "r3/init-internal.h"

namespace {

// Captured output with CR LF folded to LF (text-mode files add the CR on some platforms).
static std::string folded(std::string Str) {
    for (size_t off; (off = Str.find("\r\n")) != std::string::npos;) Str.erase(off, 1);
    return Str;
}

// The expectation with "P" standing for the program name at the start of each prefixed line.
static std::string withName(const char *pszExpect) {
    std::string Out;
    for (const char *psz = pszExpect; *psz; psz++) {
        bool const fLineStart = psz == pszExpect || psz[-1] == '\n';
        if (fLineStart && psz[0] == 'P' && psz[1] == ':')
            Out += TestProgramName();
        else
            Out += *psz;
    }
    return Out;
}

struct MsgCase {
    int iLine;
    bool fInfo;
    const char *pszFormat;
    const char *pszArg;
    const char *pszExpect;
};

// clang-format off
const MsgCase g_aMsgs[] = {
    {__LINE__, false, "%s", "a\n\nb",       "P: error: a\n\nP: error: b\n"},
    {__LINE__, false, "%s", "a\nb\n",       "P: error: a\nP: error: b\n"},
    {__LINE__, false, "%s", "one",          "P: error: one\n"},
    {__LINE__, false, "",   "",             "\n"},
    {__LINE__, false, "\n", "",             "\n"},
    {__LINE__, false, "%s", "",             ""},
    {__LINE__, false, "%s", "\n\n",         "\n\n"},
    {__LINE__, false, "%s", "\nx",          "\nP: error: x\n"},
    // Windows texts end in CR LF; the CR goes, so files never get CR CR LF.
    {__LINE__, false, "%s", "x\r\ny\r\n",   "P: error: x\nP: error: y\n"},
    {__LINE__, false, "%s", "\r\n",         "\n"},
    {__LINE__, false, "%s: %s", "--path",   "P: error: --path: (null)\n"},
    {__LINE__, true,  "%s", "a\nb",         "P: info: a\nP: info: b\n"},
    {__LINE__, true,  "\n", "",             "\n"},
};
// clang-format on

TEST(MsgError, EachLineGetsThePrefix) {
    for (const MsgCase &c : g_aMsgs) {
        SCOPED_TRACE(c.iLine);
        FILE *pStd = c.fInfo ? stdout : stderr;
        TestCaptureBegin(pStd);
        int rc;
        if (!strcmp(c.pszFormat, "%s: %s"))
            rc = c.fInfo ? RTMsgInfo(c.pszFormat, c.pszArg, "(null)") : RTMsgError(c.pszFormat, c.pszArg, "(null)");
        else
            rc = c.fInfo ? RTMsgInfo(c.pszFormat, c.pszArg) : RTMsgError(c.pszFormat, c.pszArg);
        std::string const Out = folded(TestCaptureEnd());
        EXPECT_EQ(0, rc);
        EXPECT_EQ(withName(c.pszExpect), Out);
    }
}

TEST(MsgError, OutOfMemoryFallsBackToUnbufferedOutput) {
    const struct {
        int iLine;
        const char *pszFormat;
        const char *pszExpect;
    } aCases[] = {
        {__LINE__, "%s and %d", "P: error: abc and 42\n"},
        {__LINE__, "%s and %d\n", "P: error: abc and 42\n"},
        // The fallback prefixes only the first line and adds no line end of its own here.
        {__LINE__, "%s\nand %d", "P: error: abc\nand 42"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TestCaptureBegin(stderr);
        RTMemTestFailAfter(1); // the formatted text's allocation
        int rc = RTMsgError(c.pszFormat, "abc", 42);
        RTMemTestFailAfter(0);
        std::string const Out = folded(TestCaptureEnd());
        EXPECT_EQ(0, rc);
        EXPECT_EQ(withName(c.pszExpect), Out);
    }
}

TEST(MsgInitFailure, BothFormsReturnThree) {
    TestCaptureBegin(stderr);
    EXPECT_EQ(3, RTMsgInitFailure(QERR_NO_MEMORY));
    std::string Out = folded(TestCaptureEnd());
    EXPECT_EQ(std::string(TestProgramName()) + ": fatal error: RTR3Init: QERR_NO_MEMORY\n", Out);

    // Without a usable executable path record the name is left out.
    static RTR3EXECPATH s_Saved;
    s_Saved = g_rtR3ExecPath;
    const struct {
        int iLine;
        size_t offName;
        bool fClear;
    } aCases[] = {
        {__LINE__, 0, true},                  // nothing recorded
        {__LINE__, 0, false},                 // offset 0
        {__LINE__, RTR3EXECPATH_SIZE, false}, // offset outside the buffer
        {__LINE__, s_Saved.cchPath, false},   // the name is empty
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        if (c.fClear) memset(&g_rtR3ExecPath, 0, sizeof(g_rtR3ExecPath));
        g_rtR3ExecPath.offName = c.offName;
        TestCaptureBegin(stderr);
        EXPECT_EQ(3, RTMsgInitFailure(QERR_INVALID_PARAMETER));
        Out = folded(TestCaptureEnd());
        g_rtR3ExecPath = s_Saved;
        EXPECT_EQ("fatal error: RTR3Init: QERR_INVALID_PARAMETER\n", Out);
    }
}

TEST(MsgExecPath, RecordHoldsThePathAndName) {
    ASSERT_EQ(QINF_SUCCESS, rtR3ExecPathEnsure());
    EXPECT_EQ(strlen(g_rtR3ExecPath.szPath), g_rtR3ExecPath.cchPath);
    EXPECT_LT(g_rtR3ExecPath.offName, g_rtR3ExecPath.cchPath);
    EXPECT_STREQ(TestProgramName(), &g_rtR3ExecPath.szPath[g_rtR3ExecPath.offName]);
    EXPECT_EQ(g_rtR3ExecPath.offName - 1, g_rtR3ExecPath.cchDir);
}

} // namespace
