// Process initialisation's contract in both builds: the argument vector from UTF-16 arguments,
// the executable path's limits, and repeated initialisation.
#include <qrt/err.h>
#include <qrt/init.h>
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Runtime/r3/init-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "r3/init-internal.h"

namespace {

TEST(InitArgv, EveryUtf16ArgumentArrivesAsUtf8) {
    const struct {
        int iLine;
        std::vector<std::u16string> Wide;
        std::vector<std::string> Utf8;
    } aCases[] = {
        {__LINE__, {u"prog.exe"}, {"prog.exe"}},
        {__LINE__, {u"prog.exe", u"", u"x"}, {"prog.exe", "", "x"}},
        {__LINE__,
         {u"p", u"caf\u00e9", u"\u4e2d\u6587", u"\U0001F600"},
         {"p", "caf\xc3\xa9", "\xe4\xb8\xad\xe6\x96\x87", "\xf0\x9f\x98\x80"}},
        {__LINE__, {u"p", u"C:\\dir\\", u"a\"b"}, {"p", "C:\\dir\\", "a\"b"}},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        std::vector<const RTUTF16 *> apwsz;
        for (const auto &W : c.Wide) apwsz.push_back((const RTUTF16 *)W.c_str());
        char **papszArgs = (char **)&apwsz; // overwritten with null first
        ASSERT_EQ(QINF_SUCCESS, rtR3InitArgvFromUtf16(apwsz.data(), (int)apwsz.size(), &papszArgs));
        ASSERT_NE(nullptr, papszArgs);
        for (size_t i = 0; i < c.Utf8.size(); i++) {
            ASSERT_NE(nullptr, papszArgs[i]);
            EXPECT_EQ(c.Utf8[i], papszArgs[i]);
        }
        EXPECT_EQ(nullptr, papszArgs[c.Utf8.size()]);
        for (size_t i = 0; i < c.Utf8.size(); i++) RTStrFree(papszArgs[i]);
        RTMemFree(papszArgs);
    }
}

TEST(InitArgv, FailuresLeaveNothingAllocated) {
    std::u16string const A = u"abc", B = u"def";
    const RTUTF16 *apwsz[] = {(const RTUTF16 *)A.c_str(), (const RTUTF16 *)B.c_str()};
    for (uint32_t iFailAt = 1; iFailAt <= 3; iFailAt++) {
        SCOPED_TRACE(iFailAt);
        char **papszArgs = nullptr;
        RTMemTestFailAfter(iFailAt);
        int rc = rtR3InitArgvFromUtf16(apwsz, 2, &papszArgs);
        RTMemTestFailAfter(0);
        EXPECT_TRUE(RT_FAILURE(rc));
        EXPECT_EQ(nullptr, papszArgs); // and the sanitizers see no leak
    }
    // A lone surrogate cannot become UTF-8.
    RTUTF16 const awcBad[] = {'x', 0xD800, 0};
    const RTUTF16 *apwszBad[] = {(const RTUTF16 *)A.c_str(), awcBad};
    char **papszArgs = nullptr;
    EXPECT_TRUE(RT_FAILURE(rtR3InitArgvFromUtf16(apwszBad, 2, &papszArgs)));
    EXPECT_EQ(nullptr, papszArgs);
}

TEST(InitExecPath, ConvertsExactlyWhatThePlatformReturned) {
    const struct {
        int iLine;
        size_t cwcPath;
        size_t cwcBuf;
        int rc;
    } aCases[] = {
        {__LINE__, 4067, 4100, QINF_SUCCESS},
        {__LINE__, 4068, 4100, QERR_BUFFER_OVERFLOW},
        {__LINE__, 4099, 4100, QERR_BUFFER_OVERFLOW},
        // A count that fills the buffer: the platform cut the name (and left no terminator).
        {__LINE__, 64, 64, QERR_BUFFER_OVERFLOW},
        {__LINE__, 63, 64, QINF_SUCCESS},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        // 'C:\' then letters, exactly cwcBuf units and no terminator anywhere.
        std::vector<RTUTF16> Buf(c.cwcBuf, 'a');
        Buf[0] = 'C';
        Buf[1] = ':';
        Buf[2] = '\\';
        Buf[10] = '\\';
        static char s_szPath[RTR3EXECPATH_SIZE];
        size_t offName = 99;
        EXPECT_EQ(c.rc, rtR3ExecPathFromUtf16(Buf.data(), c.cwcPath, c.cwcBuf, s_szPath, sizeof(s_szPath), &offName));
        if (c.rc == QINF_SUCCESS) {
            EXPECT_EQ(c.cwcPath, strlen(s_szPath));
            EXPECT_EQ(11u, offName);
        } else
            EXPECT_EQ(0u, offName);
    }
}

// In a fresh process, where nothing initialised the runtime yet.
static void repeatedInitialisation() {
    // A vector that is not the C library's own: converted from the code page.
    static char s_szProg[] = "prog", s_szArg[] = "caf\xc3\xa9", s_szEmpty[] = "";
    static char *s_apszPassed[] = {s_szProg, s_szArg, s_szEmpty, nullptr};
    int cArgs = 3;
    char **papszArgs = s_apszPassed;
    if (RTR3InitExe(&cArgs, &papszArgs, 0) != QINF_SUCCESS) exit(10);
    if (cArgs != 3 || papszArgs == s_apszPassed || papszArgs[3] != nullptr) exit(11);
    if (strcmp(papszArgs[0], "prog") || strcmp(papszArgs[2], "")) exit(12);
    char **const papszConverted = papszArgs;

    // Again with the converted vector: success, nothing changes.
    if (RTR3InitExe(&cArgs, &papszArgs, 0) != QINF_SUCCESS || papszArgs != papszConverted || cArgs != 3) exit(13);
    // With the vector passed the first time, or another count: wrong order, untouched.
    char **papszOld = s_apszPassed;
    if (RTR3InitExe(&cArgs, &papszOld, 0) != QERR_WRONG_ORDER || papszOld != s_apszPassed) exit(14);
    int cOther = 2;
    if (RTR3InitExe(&cOther, &papszArgs, 0) != QERR_WRONG_ORDER) exit(15);
    // No arguments at all is always fine.
    int cNone = 0;
    if (RTR3InitExe(&cNone, &papszOld, 0) != QINF_SUCCESS || RTR3InitExe(nullptr, nullptr, 0) != QINF_SUCCESS) exit(16);
    // What initialisation filled.
    if (!RTThreadSelfName() || strcmp(RTThreadSelfName(), "main")) exit(17);
    if (strcmp(RTProcShortName(), TestProgramName()) || !strstr(RTProcExecutablePath(), TestProgramName())) exit(18);
    if (g_u64ProgramStartNanoTS == 0) exit(19);
    exit(0);
}

TEST(InitExe, RepeatedCallsTakeOnlyTheConvertedVector) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(repeatedInitialisation(), testing::ExitedWithCode(0), "");
}

// Arguments already in UTF-8 are used as they are.
static void utf8Arguments() {
    static char s_szProg[] = "prog", s_szArg[] = "\xe4\xb8\xad";
    static char *s_apszPassed[] = {s_szProg, s_szArg, nullptr};
    int cArgs = 2;
    char **papszArgs = s_apszPassed;
    if (RTR3InitExe(&cArgs, &papszArgs, RTR3INIT_FLAGS_UTF8_ARGV) != QINF_SUCCESS) exit(10);
    exit(papszArgs == s_apszPassed && cArgs == 2 ? 0 : 11);
}

TEST(InitExe, Utf8ArgumentsAreTakenAsTheyAre) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(utf8Arguments(), testing::ExitedWithCode(0), "");
}

} // namespace
