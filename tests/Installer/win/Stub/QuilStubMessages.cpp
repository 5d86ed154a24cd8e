// The six message routines: their results, their channel per silentMode at the moment of the
// call, the box they show, and what they do when the text cannot be made.
#include "QuilStubMessages.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "Installer/win/Stub/stub-test-util.h"

namespace {

using stubtest::StubCapture;
using stubtest::WithProgramName;

enum Routine { kFailure, kSyntax, kNotice, kToStderr, kToStderrRc, kToStderrFail };

// Calls one routine with a format taking one string and one number; the routine's result, or
// 777 for ReportNotice and ErrorToStderr, which have none.
int callRoutine(Routine enmRoutine, const char *pszFormat, const char *pszArg, int iArg) {
    switch (enmRoutine) {
    case kFailure:
        return ReportFailure(pszFormat, pszArg, iArg);
    case kSyntax:
        return ReportSyntaxFailure(pszFormat, pszArg, iArg);
    case kNotice:
        ReportNotice(pszFormat, pszArg, iArg);
        return 777;
    case kToStderr:
        ErrorToStderr(pszFormat, pszArg, iArg);
        return 777;
    case kToStderrRc:
        return ErrorToStderrRc(-48, pszFormat, pszArg, iArg);
    case kToStderrFail:
        return ErrorToStderrFail(pszFormat, pszArg, iArg);
    }
    return 0;
}

struct MessageCase {
    int iLine;
    Routine enmRoutine;
    bool fSilent;
    const char *pszFormat;
    const char *pszArg;
    int iResult;
    const char *pszBoxes;
    const char *pszOut;
    const char *pszErr; // "P:" stands for the program name
};

// clang-format off
const MessageCase g_aMessageCases[] = {
    {__LINE__, kFailure,      false, "%s %d",     "a\nb",  1,   "boxW(10)[a\nb 7]", "", ""},
    {__LINE__, kFailure,      true,  "%s %d",     "a\nb",  1,   "", "", "P: error: a\nP: error: b 7\n"},
    {__LINE__, kFailure,      true,  "%s%d\n",    "x",     1,   "", "", "P: error: x7\n"},
    {__LINE__, kSyntax,       false, "%s=%d",     "n",     2,   "boxW(10)[n=7]", "", ""},
    {__LINE__, kSyntax,       true,  "%s=%d",     "n",     2,   "", "", "P: error: n=7\n"},
    {__LINE__, kNotice,       false, "%s %d",     "Note",  777, "boxW(40)[Note 7]", "", ""},
    {__LINE__, kNotice,       true,  "%s %d",     "Note",  777, "", "Note 7\n", ""},
    // The detail routines ignore silentMode and leave the program name out.
    {__LINE__, kToStderr,     false, "%s %d",     "d",     777, "", "", "error: d 7\n"},
    {__LINE__, kToStderr,     true,  "%s %d",     "d",     777, "", "", "error: d 7\n"},
    {__LINE__, kToStderrRc,   false, "#%s: %d",   "e",     -48, "", "", "error: #e: 7\n"},
    {__LINE__, kToStderrRc,   true,  "#%s: %d",   "e",     -48, "", "", "error: #e: 7\n"},
    {__LINE__, kToStderrFail, false, "%s%d",      "f",     1,   "", "", "error: f7\n"},
    // An empty text shows nothing; the result stays.
    {__LINE__, kFailure,      false, "%s",        "",      1,   "", "", ""},
    {__LINE__, kSyntax,       true,  "%s",        "",      2,   "", "", ""},
    {__LINE__, kNotice,       false, "%s",        "",      777, "", "", ""},
    {__LINE__, kNotice,       true,  "%s",        "",      777, "", "", ""},
    // Runtime conversions reach the text.
    {__LINE__, kFailure,      false, "%s %Rrc",   "rc:",   1,   "boxW(10)[rc: QERR_NO_MEMORY]", "", ""},
    // Non-ASCII text reaches the wide box intact; text that is not UTF-8 the narrow one.
    {__LINE__, kFailure,      false, "%s",        "\xc3\xa9\xe4\xb8\xad", 1, "boxW(10)[\xc3\xa9\xe4\xb8\xad]", "", ""},
    {__LINE__, kNotice,       false, "%s",        "a\xff" "b", 777, "boxA(40)[a\xff" "b]", "", ""},
};
// clang-format on

TEST(StubMessages, ResultsAndChannels) {
    for (const MessageCase &c : g_aMessageCases) {
        SCOPED_TRACE(c.iLine);
        StubCapture Capture;
        silentMode = c.fSilent;
        int iArg = strstr(c.pszFormat, "%Rrc") ? QERR_NO_MEMORY : 7;
        EXPECT_EQ(c.iResult, callRoutine(c.enmRoutine, c.pszFormat, c.pszArg, iArg));
        EXPECT_EQ(c.pszBoxes, Capture.Boxes());
        EXPECT_EQ(c.pszOut, Capture.Out());
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
    }
}

// silentMode is read by each message, so a change between two messages moves the second.
TEST(StubMessages, ChannelFollowsSilentModePerMessage) {
    StubCapture Capture;
    ReportFailure("first");
    silentMode = true;
    ReportFailure("second");
    ReportNotice("third");
    silentMode = false;
    ReportNotice("fourth");
    EXPECT_EQ("boxW(10)[first]boxW(40)[fourth]", Capture.Boxes());
    EXPECT_EQ("third\n", Capture.Out());
    EXPECT_EQ(WithProgramName("P: error: second\n"), Capture.Err());
}

// Memory running out for the text: nothing is shown in either mode, the result is unchanged.
TEST(StubMessages, OutOfMemoryShowsNothing) {
    for (bool fSilent : {false, true}) {
        for (Routine enmRoutine : {kFailure, kSyntax, kNotice}) {
            SCOPED_TRACE(testing::Message() << "silent=" << fSilent << " routine=" << enmRoutine);
            StubCapture Capture;
            silentMode = fSilent;
            RTMemTestFailAfter(1);
            int iResult = callRoutine(enmRoutine, "%s %d", "text", 1);
            RTMemTestFailAfter(0);
            EXPECT_EQ(enmRoutine == kFailure ? 1 : enmRoutine == kSyntax ? 2 : 777, iResult);
            EXPECT_EQ(0u, Capture.BoxCount());
            EXPECT_EQ("", Capture.Out());
            EXPECT_EQ("", Capture.Err());
        }
    }
}

// A caller that inspects errno after reporting sees its own value, although the box call
// changed it.
TEST(StubMessages, ErrnoSurvivesTheBox) {
    for (Routine enmRoutine : {kFailure, kSyntax, kNotice}) {
        for (const char *pszText : {"wide", "narrow \xff"}) {
            SCOPED_TRACE(testing::Message() << pszText << " routine=" << enmRoutine);
            StubCapture Capture;
            errno = EDOM;
            callRoutine(enmRoutine, "%s %d", pszText, 1);
            EXPECT_EQ(1u, Capture.BoxCount());
            EXPECT_EQ(EDOM, errno);
        }
    }
}

} // namespace
