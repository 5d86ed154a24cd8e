// Assertion reports: both parts on standard error and in storage, absent texts, truncation,
// appends near the end of the buffer, error variables, the panic answer, and what strict,
// release-log and fatal sites do.
#include <qrt/assert.h>
#include <qrt/critsect.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Runtime/r3/testplatform.h"
#include "common/misc/assert-internal.h"

namespace {

static std::string folded(std::string Str) {
    for (size_t off; (off = Str.find("\r\n")) != std::string::npos;) Str.erase(off, 1);
    return Str;
}

TEST(AssertMsg1, AbsentTextsOnStderrAndInStorage) {
    TestCaptureBegin(stderr);
    RTAssertMsg1(nullptr, 0, nullptr, nullptr);
    std::string const Err = folded(TestCaptureEnd());
    EXPECT_EQ("\n!!Assertion Failed!!\nExpression: <none>\nLocation  : <none>(0) \n", Err);
    EXPECT_STREQ("\n!!Assertion Failed!!\nExpression: <NULL>\nLocation  : <NULL>(0) <NULL>\n", g_szRTAssertMsg1);
    EXPECT_EQ(nullptr, g_pszRTAssertExpr);
    EXPECT_EQ(nullptr, g_pszRTAssertFile);
    EXPECT_EQ(nullptr, g_pszRTAssertFunction);
    EXPECT_EQ(0u, g_u32RTAssertLine);
}

TEST(AssertMsg1, TextsAndTruncation) {
    static const char s_szExpr[] = "cb <= cbMax";
    static const char s_szFile[] = "Runtime/common/misc/x.cpp";
    static const char s_szFunction[] = "int rtFoo(int)";
    TestCaptureBegin(stderr);
    RTAssertMsg1(s_szExpr, 42, s_szFile, s_szFunction);
    std::string Err = folded(TestCaptureEnd());
    const char *pszExpect =
        "\n!!Assertion Failed!!\nExpression: cb <= cbMax\nLocation  : Runtime/common/misc/x.cpp(42) int rtFoo(int)\n";
    EXPECT_EQ(pszExpect, Err);
    EXPECT_STREQ(pszExpect, g_szRTAssertMsg1);
    EXPECT_EQ(s_szExpr, g_pszRTAssertExpr);
    EXPECT_EQ(s_szFile, g_pszRTAssertFile);
    EXPECT_EQ(s_szFunction, g_pszRTAssertFunction);
    EXPECT_EQ(42u, g_u32RTAssertLine);

    // The stored first part is cut at 1024 bytes; standard error gets it whole.
    std::string const Long(2000, 'e');
    TestCaptureBegin(stderr);
    RTAssertMsg1(Long.c_str(), 1, "f", "g");
    Err = folded(TestCaptureEnd());
    EXPECT_EQ(1023u, strlen(g_szRTAssertMsg1));
    EXPECT_EQ("\n!!Assertion Failed!!\nExpression: " + Long.substr(0, 1023 - 34), std::string(g_szRTAssertMsg1));
    EXPECT_NE(std::string::npos, Err.find(Long + "\nLocation  : f(1) g\n"));
}

TEST(AssertMsg2, FormatsEveryCopyFromItsArguments) {
    TestCaptureBegin(stderr);
    RTAssertMsg2("%s rc=%Rrc %d%%\n", "open", QERR_NO_MEMORY, 7);
    std::string const Err = folded(TestCaptureEnd());
    EXPECT_EQ("open rc=QERR_NO_MEMORY 7%\n", Err);
    EXPECT_STREQ("open rc=QERR_NO_MEMORY 7%\n", g_szRTAssertMsg2);
    EXPECT_EQ(strlen(g_szRTAssertMsg2), g_cchRTAssertMsg2);
}

TEST(AssertMsg2, LongTextIsCutTo4095) {
    std::string const Long(5000, 'l');
    TestCaptureBegin(stderr);
    RTAssertMsg2("%s", Long.c_str());
    std::string const Err = TestCaptureEnd();
    EXPECT_EQ(std::string(4095, 'l'), Err);
    EXPECT_EQ(4095u, g_cchRTAssertMsg2);
    EXPECT_EQ(4095u, strlen(g_szRTAssertMsg2));
}

TEST(AssertMsg2Add, AppendsWhileThereIsRoom) {
    const struct {
        int iLine;
        size_t cchFirst;
        const char *pszAdd;
        size_t cchAfter;
    } aCases[] = {
        {__LINE__, 10, "xyz", 13},     {__LINE__, 4090, "abcdefgh", 4095}, // cut at the buffer's end
        {__LINE__, 4091, "xyz", 4094}, {__LINE__, 4092, "xyz", 4092},      // no room left: unchanged
        {__LINE__, 4095, "xyz", 4095},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        std::string const First(c.cchFirst, 'f');
        TestCaptureBegin(stderr);
        RTAssertMsg2("%s", First.c_str());
        std::string Err = TestCaptureEnd();
        ASSERT_EQ(c.cchFirst, g_cchRTAssertMsg2);
        TestCaptureBegin(stderr);
        RTAssertMsg2Add("%s", c.pszAdd);
        Err = TestCaptureEnd();
        EXPECT_EQ(c.pszAdd, Err); // standard error hears of it in any case
        EXPECT_EQ(c.cchAfter, g_cchRTAssertMsg2);
        std::string const Stored(g_szRTAssertMsg2);
        EXPECT_EQ(c.cchAfter, Stored.size());
        EXPECT_EQ(First.substr(0, 4095), Stored.substr(0, c.cchFirst));
        EXPECT_EQ(std::string(c.pszAdd).substr(0, c.cchAfter - c.cchFirst), Stored.substr(c.cchFirst));
    }
}

TEST(AssertReport, ErrnoIsPreserved) {
    TestCaptureBegin(stderr);
    errno = 2;
    RTAssertMsg1("x", 1, "f", "g");
    int const iAfter1 = errno;
    RTAssertMsg2("%s\n", "y");
    int const iAfter2 = errno;
    RTAssertMsg2Add("%s\n", "z");
    int const iAfter3 = errno;
    bool fPanic = RTAssertShouldPanic();
    int const iAfter4 = errno;
    TestCaptureEnd();
    EXPECT_EQ(2, iAfter1);
    EXPECT_EQ(2, iAfter2);
    EXPECT_EQ(2, iAfter3);
    EXPECT_EQ(2, iAfter4);
    RT_NOREF(fPanic);
}

TEST(ErrVars, SaveAndRestoreErrno) {
    RTERRVARS Vars;
    errno = 2;
    EXPECT_EQ(&Vars, RTErrVarsSave(&Vars));
    EXPECT_EQ(RTERRVARS_MAGIC, Vars.ai32Vars[0]);
    EXPECT_EQ(2, Vars.ai32Vars[3]);
    errno = 7;
    RTErrVarsRestore(&Vars);
    EXPECT_EQ(2, errno);
    // A record that was never filled changes nothing.
    RTERRVARS Empty;
    memset(&Empty, 0, sizeof(Empty));
    errno = 9;
    RTErrVarsRestore(&Empty);
    EXPECT_EQ(9, errno);
}

TEST(AssertShouldPanic, FollowsTheEnvironment) {
    const struct {
        int iLine;
        const char *pszValue;
        bool fPanic;
    } aCases[] = {
        {__LINE__, nullptr, true},     {__LINE__, "breakpoint", true}, {__LINE__, "panic", true},
        {__LINE__, "disabled", false}, {__LINE__, "Panic", false},     {__LINE__, "panic ", false},
        {__LINE__, "anything", false},
    };
    for (const auto &c : aCases) {
        TestSetEnv("QUIL_ASSERT", c.pszValue);
        EXPECT_EQ(c.fPanic, RTAssertShouldPanic()) << c.iLine;
    }
    TestSetEnv("QUIL_ASSERT", nullptr);
}

//
// Sites.
//
static int strictSite(bool fOk) {
    AssertMsgReturn(fOk, ("strict site %d\n", 42), QERR_INTERNAL_ERROR_2);
    return QINF_SUCCESS;
}

static int releaseLogSite(bool fOk) {
    AssertLogRelMsgReturn(fOk, ("release site %d\n", 7), QERR_INTERNAL_ERROR_3);
    return QINF_SUCCESS;
}

TEST(AssertDeathTest, StrictSiteTraps) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // (Each expectation matches within one line: not every platform's matcher crosses lines.)
    EXPECT_EXIT(strictSite(false), TestExitedThroughBreakpoint, "Expression: fOk");
    EXPECT_EXIT(strictSite(false), TestExitedThroughBreakpoint,
                "Location  : tests/Runtime/common/misc/assert\\.cpp\\(.*strictSite");
    // The panic answer does not spare the trap.
    TestSetEnv("QUIL_ASSERT", "disabled");
    EXPECT_EXIT(strictSite(false), TestExitedThroughBreakpoint, "strict site 42");
    TestSetEnv("QUIL_ASSERT", nullptr);
}

TEST(AssertDeathTest, FatalFormTraps) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RTAssertFatalMsg2("Lazy loader failed to load \"%s\": %Rrc\n", "msi.dll", QERR_FILE_NOT_FOUND),
                TestExitedThroughBreakpoint, "Lazy loader failed to load \"msi\\.dll\": QERR_FILE_NOT_FOUND");
}

// A critical section whose event has gone bad: the leave that must wake a waiter cannot.
static void leaveWithBrokenEvent() {
    RTCRITSECT CritSect;
    RTCritSectInit(&CritSect, 0, "test");
    RTCritSectEnter(&CritSect);
    RTSEMEVENT const hEvent = CritSect.EventSem;
    CritSect.EventSem = (RTSEMEVENT)(uintptr_t)16;
    __atomic_add_fetch(&CritSect.cLockers, 1, __ATOMIC_SEQ_CST); // as if a waiter queued
    RTCritSectLeave(&CritSect);
    CritSect.EventSem = hEvent;
    CritSect.cLockers = -1;
    RTCritSectDelete(&CritSect);
}

TEST(AssertDeathTest, RuntimeSiteNamesItsSourceRelativeToTheRepository) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(leaveWithBrokenEvent(), TestExitedThroughBreakpoint,
                "Location  : Runtime/generic/critsect-generic\\.cpp\\(.*RTCritSectLeave");
    EXPECT_EXIT(leaveWithBrokenEvent(), TestExitedThroughBreakpoint, "RTSemEventSignal -> QERR_INVALID_HANDLE");
}

TEST(AssertSite, ResumedStrictSiteTakesItsFailurePath) {
    TestCaptureBegin(stderr);
    TestResumeBreakpointsBegin();
    int const rcFailed = strictSite(false);
    int const rcOk = strictSite(true);
    unsigned const cTraps = TestResumeBreakpointsEnd();
    std::string const Err = folded(TestCaptureEnd());
    EXPECT_EQ(QERR_INTERNAL_ERROR_2, rcFailed);
    EXPECT_EQ(QINF_SUCCESS, rcOk);
    EXPECT_EQ(1u, cTraps);
    EXPECT_NE(std::string::npos, Err.find("Expression: fOk\n"));
    EXPECT_NE(std::string::npos, Err.find("strict site 42\n"));
}

TEST(AssertSite, ReleaseLogSiteReturnsItsStatusQuietly) {
    strcpy(g_szRTAssertMsg1, "marker");
    TestCaptureBegin(stderr);
    int const rcFailed = releaseLogSite(false);
    int const rcOk = releaseLogSite(true);
    std::string const Err = TestCaptureEnd();
    EXPECT_EQ(QERR_INTERNAL_ERROR_3, rcFailed);
    EXPECT_EQ(QINF_SUCCESS, rcOk);
    EXPECT_EQ("", Err);
    EXPECT_STREQ("marker", g_szRTAssertMsg1);
}

} // namespace
