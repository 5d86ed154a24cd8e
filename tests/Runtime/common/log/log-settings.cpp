// The logger's settings texts: flags, destinations and group settings, each row compared as a
// one-line summary of the instance afterwards.
#include <qrt/log.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <string>

#include "common/log/log-internal.h"
#include "log-test-util.h"

namespace {

TEST(LogFlags, KeywordsPrefixesAndTableOrder) {
    const struct {
        int iLine;
        uint32_t fBefore;
        const char *pszText;
        uint32_t fAfter;
    } aCases[] = {
        {__LINE__, 0, "", 0},
        {__LINE__, 0, "time tid", RTLOGFLAGS_PREFIX_TIME | RTLOGFLAGS_PREFIX_TID},
        {__LINE__, 0, "time;tid", RTLOGFLAGS_PREFIX_TIME | RTLOGFLAGS_PREFIX_TID},
        {__LINE__, RTLOGFLAGS_PREFIX_TIME, "notime", 0},
        {__LINE__, RTLOGFLAGS_PREFIX_TIME, "-time", 0},
        {__LINE__, RTLOGFLAGS_PREFIX_TIME, "!time", 0},
        {__LINE__, RTLOGFLAGS_PREFIX_TIME, "~time", 0},
        {__LINE__, 0, "+time", RTLOGFLAGS_PREFIX_TIME},
        {__LINE__, 0, "no+time", RTLOGFLAGS_PREFIX_TIME}, // "+" makes it positive again
        {__LINE__, 0, "-!time", RTLOGFLAGS_PREFIX_TIME},  // two inversions
        {__LINE__, 0, "timeprog", RTLOGFLAGS_PREFIX_TIME_PROG},
        {__LINE__, 0, "tsc ts", RTLOGFLAGS_PREFIX_TSC | RTLOGFLAGS_PREFIX_TS},
        {__LINE__, 0, "flagno", RTLOGFLAGS_PREFIX_FLAG_NO},
        {__LINE__, 0, "flag", RTLOGFLAGS_PREFIX_FLAG},
        {__LINE__, 0, "groupno", RTLOGFLAGS_PREFIX_GROUP_NO},
        {__LINE__, 0, "group", RTLOGFLAGS_PREFIX_GROUP},
        {__LINE__, 0, "thread msprog pid cpuid custom lockcnts",
         RTLOGFLAGS_PREFIX_THREAD | RTLOGFLAGS_PREFIX_MS_PROG | RTLOGFLAGS_PREFIX_PID | RTLOGFLAGS_PREFIX_CPUID |
             RTLOGFLAGS_PREFIX_CUSTOM | RTLOGFLAGS_PREFIX_LOCK_COUNTS},
        // Pairs: the second keyword clears what the first sets, and inverted the other way.
        {__LINE__, 0, "disabled", RTLOGFLAGS_DISABLED},
        {__LINE__, RTLOGFLAGS_DISABLED, "enabled", 0},
        {__LINE__, 0, "noenabled", RTLOGFLAGS_DISABLED},
        {__LINE__, RTLOGFLAGS_DISABLED, "nodisabled", 0},
        {__LINE__, RTLOGFLAGS_BUFFERED, "unbuffered", 0},
        {__LINE__, 0, "-unbuffered", RTLOGFLAGS_BUFFERED},
        {__LINE__, RTLOGFLAGS_USECRLF, "uself", 0},
        {__LINE__, RTLOGFLAGS_APPEND, "overwrite", 0},
        {__LINE__, RTLOGFLAGS_REL_TS, "abs", 0},
        {__LINE__, 0, "rel dec", RTLOGFLAGS_REL_TS | RTLOGFLAGS_DECIMAL_TS},
        {__LINE__, RTLOGFLAGS_DECIMAL_TS, "hex", 0},
        {__LINE__, 0, "writethru", RTLOGFLAGS_WRITE_THROUGH},
        {__LINE__, 0, "writethrough", RTLOGFLAGS_WRITE_THROUGH},
        {__LINE__, 0, "flush append", RTLOGFLAGS_FLUSH | RTLOGFLAGS_APPEND},
        {__LINE__, RTLOGFLAGS_BUFFERED, "-buffered;+usecrlf", RTLOGFLAGS_USECRLF},
        // What is not understood is skipped a character at a time.
        {__LINE__, 0, "xyz time", RTLOGFLAGS_PREFIX_TIME},
        {__LINE__, 0, "timestamp", RTLOGFLAGS_PREFIX_TIME},
        {__LINE__, 0, "no", 0},
        {__LINE__, 0, "- ; +", 0},
        {__LINE__, RTLOGFLAGS_PREFIX_TID, "Time TID", RTLOGFLAGS_PREFIX_TID}, // keywords are lower case
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(c.fBefore);
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(QINF_SUCCESS, RTLogFlags(pLogger, c.pszText));
        EXPECT_EQ(c.fAfter, pLogger->fFlags);
    }
}

TEST(LogFlags, AppendStaysWhileTheFileIsFixed) {
    PRTLOGGER pLogger = tstLogCreateCapture(0, RTLOGDEST_FIXED_FILE);
    ASSERT_NE(nullptr, pLogger);
    RTLogFlags(pLogger, "append time");
    EXPECT_EQ(RTLOGFLAGS_PREFIX_TIME, pLogger->fFlags);
    pLogger->fFlags |= RTLOGFLAGS_APPEND;
    RTLogFlags(pLogger, "overwrite");
    EXPECT_EQ(RTLOGFLAGS_PREFIX_TIME | RTLOGFLAGS_APPEND, pLogger->fFlags);
}

// The summary of a fresh capture instance before any destinations text.
#define TST_FRESH "flags=0 dest=0x40000000 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"

TEST(LogDestinations, KeywordsAndValues) {
    const struct {
        int iLine;
        const char *pszText;
        int rc;
        const char *pszSummary;
    } aCases[] = {
        {__LINE__, "", QINF_SUCCESS, TST_FRESH},
        {__LINE__, "nofile stderr", QINF_SUCCESS,
         "flags=0 dest=0x40000004 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "file=x.log", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='x.log' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        // Blanks inside a value are kept; a blank followed by another keyword ends it.
        {__LINE__, "file=C:\\Program Files\\x.log stderr", QINF_SUCCESS,
         "flags=0 dest=0x40000005 file='C:\\Program Files\\x.log' history=0 size=0xffffffffffffffff "
         "slot=0xffffffff ring=524288"},
        {__LINE__, "file = x.log ; stdout", QINF_SUCCESS,
         "flags=0 dest=0x40000003 file='x.log' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "file=a b  nostdout", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='a b' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        // Only a whole keyword ends a value: "dir/" and "files" are parts of the path.
        {__LINE__, "file:/tmp/my dir/x.log", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='/tmp/my dir/x.log' history=0 size=0xffffffffffffffff slot=0xffffffff "
         "ring=524288"},
        {__LINE__, "file=/tmp/old files", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='/tmp/old files' history=0 size=0xffffffffffffffff slot=0xffffffff "
         "ring=524288"},
        {__LINE__, "file=x;", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='x' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "nofile=x", QERR_INVALID_PARAMETER, TST_FRESH},
        {__LINE__, "file=x.log dir=/var/log", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='/var/log/x.log' history=0 size=0xffffffffffffffff slot=0xffffffff "
         "ring=524288"},
        {__LINE__, "file=/a/b/x.log dir=c", QINF_SUCCESS,
         "flags=0 dest=0x40000001 file='c/x.log' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "file=x nodir=/y", QERR_INVALID_PARAMETER,
         "flags=0 dest=0x40000001 file='x' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "history=3", QINF_SUCCESS,
         "flags=0 dest=0x40000000 file='' history=3 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "history=0x10", QINF_SUCCESS,
         "flags=0 dest=0x40000000 file='' history=16 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "history=1048575", QINF_SUCCESS,
         "flags=0 dest=0x40000000 file='' history=1048575 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "history=1048576", QERR_OUT_OF_RANGE, TST_FRESH},
        {__LINE__, "history=99999999999999999999", QERR_OUT_OF_RANGE, TST_FRESH},
        {__LINE__, "history=-1", QERR_OUT_OF_RANGE, TST_FRESH},
        {__LINE__, "history=abc", QERR_NO_DIGITS, TST_FRESH},
        {__LINE__, "history=5x", QERR_TRAILING_CHARS, TST_FRESH},
        {__LINE__, "history=", QERR_NO_DIGITS, TST_FRESH},
        {__LINE__, "history=5 nohistory", QINF_SUCCESS, TST_FRESH},
        {__LINE__, "history", QINF_SUCCESS, TST_FRESH},
        // 0 means no limit and no slots: never a limit of 0 bytes or a slot of 0 seconds.
        {__LINE__, "histsize=4096 histtime=60", QINF_SUCCESS,
         "flags=0 dest=0x40000000 file='' history=0 size=0x1000 slot=0x3c ring=524288"},
        {__LINE__, "histsize=4096 histsize=0", QINF_SUCCESS, TST_FRESH},
        {__LINE__, "histtime=60 histtime=0", QINF_SUCCESS, TST_FRESH},
        {__LINE__, "histsize=4096 nohistsize histtime=60 nohisttime", QINF_SUCCESS, TST_FRESH},
        {__LINE__, "histsize=0x10000000000", QINF_SUCCESS,
         "flags=0 dest=0x40000000 file='' history=0 size=0x10000000000 slot=0xffffffff ring=524288"},
        {__LINE__, "histtime=0x100000000", QERR_OUT_OF_RANGE, TST_FRESH},
        {__LINE__, "ringbuf=100", QINF_SUCCESS,
         "flags=0 dest=0x40000020 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=4096"},
        {__LINE__, "ringbuf=5000", QINF_SUCCESS,
         "flags=0 dest=0x40000020 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=5056"},
        {__LINE__, "noringbuf=5000", QERR_INVALID_PARAMETER, TST_FRESH},
        {__LINE__, "debugger com user nodeny", QINF_SUCCESS,
         "flags=0 dest=0x40010018 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "nodeny nonodeny nouser", QINF_SUCCESS,
         "flags=0 dest=0 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        // The first invalid keyword or value stops the text; what came before stays.
        {__LINE__, "bogus", QERR_INVALID_PARAMETER, TST_FRESH},
        {__LINE__, "stderr bogus stdout", QERR_INVALID_PARAMETER,
         "flags=0 dest=0x40000004 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "stdout=1", QERR_INVALID_PARAMETER, TST_FRESH},
        {__LINE__, "stderrx", QERR_INVALID_PARAMETER,
         "flags=0 dest=0x40000004 file='' history=0 size=0xffffffffffffffff slot=0xffffffff ring=524288"},
        {__LINE__, "STDERR", QERR_INVALID_PARAMETER, TST_FRESH},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(0);
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(c.rc, RTLogDestinations(pLogger, c.pszText));
        EXPECT_EQ(c.pszSummary, tstLogSummary(pLogger));
    }
}

TEST(LogDestinations, FileNameLengthLimit) {
    const struct {
        int iLine;
        size_t cchName;
        int rc;
    } aCases[] = {
        {__LINE__, RTLOG_FILENAME_SIZE - 1, QINF_SUCCESS},
        {__LINE__, RTLOG_FILENAME_SIZE, QERR_OUT_OF_RANGE},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(0);
        ASSERT_NE(nullptr, pLogger);
        std::string const Name(c.cchName, 'n');
        EXPECT_EQ(c.rc, RTLogDestinations(pLogger, ("file=" + Name).c_str()));
        EXPECT_EQ(RT_SUCCESS(c.rc) ? Name : std::string(), pLogger->pInt->szFilename);
        // The directory is put in front of the name's file-name part, within the same limit.
        EXPECT_EQ(c.rc, RTLogDestinations(pLogger, ("file=x dir=" + Name.substr(0, c.cchName - 2)).c_str()));
    }
}

TEST(LogDestinations, FixedNameAndDirectoryStay) {
    PRTLOGGER pLogger = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0,
                                          RTLOGDEST_USER | RTLOGDEST_FIXED_FILE | RTLOGDEST_FIXED_DIR, nullptr, 0, 0, 0,
                                          nullptr, nullptr));
    tstLogKeep(pLogger);
    strcpy(pLogger->pInt->szFilename, "/a/x.log");
    EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, "file=/b/y.log dir=/c"));
    EXPECT_STREQ("/a/x.log", pLogger->pInt->szFilename);
    // Still checked: an over-long value fails even where it would be ignored.
    EXPECT_EQ(QERR_OUT_OF_RANGE, RTLogDestinations(pLogger, ("file=" + std::string(5000, 'n')).c_str()));
}

TEST(LogDestinations, RingBufferSizes) {
    const struct {
        int iLine;
        uint64_t cbValue;
        uint32_t cbRingBuf;
    } aCases[] = {
        {__LINE__, 0, 524288},
        {__LINE__, 1, 4096},
        {__LINE__, 100, 4096},
        {__LINE__, 4095, 4096},
        {__LINE__, 4096, 4096},
        {__LINE__, 4097, 4160},
        {__LINE__, 5000, 5056},
        {__LINE__, 1073741824, 1073741824},
        {__LINE__, 1073741825, 1073741824},
        {__LINE__, UINT64_MAX, 1073741824},
        {__LINE__, 1073741760, 1073741760},
        {__LINE__, 1073741761, 1073741824},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.cbRingBuf, rtlogRingBufSizeFromValue(c.cbValue));
    }
}

TEST(LogGroupSettings, InstructionsPatternsAndFlags) {
    const struct {
        int iLine;
        const char *pszText;
        const char *pszGroups;
    } aCases[] = {
        {__LINE__, "", ""},
        {__LINE__, "all", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;NET=0x11;"},
        {__LINE__, "ALL", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;NET=0x11;"},
        {__LINE__, "all -all", ""},
        {__LINE__, "all.l2", "DEFAULT=0x20;DEV_DISK=0x20;DEV_NET=0x20;NET=0x20;"},
        {__LINE__, "all=0x15", "DEFAULT=0x15;DEV_DISK=0x15;DEV_NET=0x15;NET=0x15;"},
        {__LINE__, "all=~0", "DEFAULT=0xffffffff;DEV_DISK=0xffffffff;DEV_NET=0xffffffff;NET=0xffffffff;"},
        {__LINE__, "dev*.e", "DEV_DISK=0x15;DEV_NET=0x15;"},
        {__LINE__, "DEV_disk", "DEV_DISK=0x11;"},
        {__LINE__, "dev*=0x15 dev_net=0x2", "DEV_DISK=0x15;DEV_NET=0x2;"},
        {__LINE__, "all -dev*=0x10", "DEFAULT=0x11;DEV_DISK=0x1;DEV_NET=0x1;NET=0x11;"},
        {__LINE__, "all -all+dev*.flow.l2", "DEV_DISK=0x22;DEV_NET=0x22;"},
        {__LINE__, "all;-net", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;"},
        {__LINE__, "-net;net", "NET=0x11;"},
        {__LINE__, "+", ""},
        {__LINE__, ";;", ""},
        {__LINE__, "-", ""},
        {__LINE__, " \t\n", ""},
        // Patterns match whole names, any case, "*" any run.
        {__LINE__, "*", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;NET=0x11;"},
        {__LINE__, "*net", "DEV_NET=0x11;NET=0x11;"},
        {__LINE__, "d*k", "DEV_DISK=0x11;"},
        {__LINE__, "n*t", "NET=0x11;"},
        {__LINE__, "*e*", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;NET=0x11;"},
        {__LINE__, "**dev**disk**", "DEV_DISK=0x11;"},
        {__LINE__, "dev", ""},
        {__LINE__, "allnet", ""},
        {__LINE__, "all*", ""},
        // Flag keywords: a whole keyword, any case; unknown ones add nothing.
        {__LINE__, "net.e.restrict", "NET=0x40000015;"},
        {__LINE__, "net.EO", "NET=0x1;"},
        {__LINE__, "net.enabled", "NET=0x15;"},
        {__LINE__, "net.enabledonly", "NET=0x1;"},
        {__LINE__, "net.l", "NET=0x20;"},
        {__LINE__, "net.l1.level2", "NET=0x30;"},
        {__LINE__, "net.l3", "NET=0x40;"},
        {__LINE__, "net.level3", "NET=0x40;"},
        {__LINE__, "net.l12", "NET=0x8000;"},
        {__LINE__, "net.level12", "NET=0x8000;"},
        {__LINE__, "net.l13", ""},
        {__LINE__, "net.level0", ""},
        {__LINE__, "net.f.w", "NET=0x6;"},
        {__LINE__, "net.flow.warn.warning", "NET=0x6;"},
        {__LINE__, "net.e1", ""},
        {__LINE__, "net..f", "NET=0x2;"},
        {__LINE__, "net.", ""},
        {__LINE__, "dev*.bogus", ""},
        {__LINE__, "all\tnet.f", "DEFAULT=0x11;DEV_DISK=0x11;DEV_NET=0x11;NET=0x13;"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 4, g_apszTstLogGroups);
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(QINF_SUCCESS, RTLogGroupSettings(pLogger, c.pszText));
        EXPECT_EQ(c.pszGroups, tstLogGroupSummary(pLogger));
    }
}

TEST(LogGroupSettings, GroupsWithoutNameOnlyTakeAll) {
    static const char *const s_apszGroups[] = {"DEFAULT", nullptr, "NET"};
    PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 3, s_apszGroups);
    ASSERT_NE(nullptr, pLogger);
    RTLogGroupSettings(pLogger, "*.f");
    EXPECT_EQ(0x2u, pLogger->afGroups[0]);
    EXPECT_EQ(0u, pLogger->afGroups[1]);
    RTLogGroupSettings(pLogger, "all.w");
    EXPECT_EQ(0x4u, pLogger->afGroups[1]);
}

TEST(LogGroupPattern, MatchesWholeNamesWithStars) {
    const struct {
        int iLine;
        const char *pszPattern;
        std::string Name;
        bool fMatch;
    } aCases[] = {
        {__LINE__, "", "", true},
        {__LINE__, "", "A", false},
        {__LINE__, "*", "", true},
        {__LINE__, "a", "A", true},
        {__LINE__, "a", "AB", false},
        {__LINE__, "ab", "A", false},
        {__LINE__, "a*", "ABC", true},
        {__LINE__, "*c", "ABC", true},
        {__LINE__, "*b*", "ABC", true},
        {__LINE__, "a*b*c", "AXXBYYC", true},
        {__LINE__, "a*b*c", "AXXBYY", false},
        {__LINE__, "*ab", "AAAB", true},     // the star gives back what it took too greedily
        {__LINE__, "*aab", "AABAAAB", true}, // a false start inside the name
        {__LINE__, "a*a", "A", false},
        {__LINE__, "***", "X", true},
        {__LINE__, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(60, 'a'), false},
        {__LINE__, "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b", std::string(60, 'a') + "b", true},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fMatch, rtlogMatchGroupPattern(c.pszPattern, strlen(c.pszPattern), c.Name.c_str()));
    }
    EXPECT_FALSE(rtlogMatchGroupPattern("*", 1, nullptr));
}

TEST(LogGroupPattern, BacktrackingPatternOverTheDefaultTable) {
    // Against all 374 names and a long run of one letter: an exponential matcher would not
    // come back from this.
    static const char s_szPattern[] = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*z";
    const char *const *papszNames = rtlogDefaultGroupNames();
    unsigned cMatches = 0;
    for (unsigned i = 0; i < RTLOG_DEFAULT_GROUP_COUNT; i++)
        cMatches += rtlogMatchGroupPattern(s_szPattern, sizeof(s_szPattern) - 1, papszNames[i]);
    EXPECT_EQ(0u, cMatches);
    std::string const Long(2000, 'a');
    EXPECT_FALSE(rtlogMatchGroupPattern(s_szPattern, sizeof(s_szPattern) - 1, Long.c_str()));
    EXPECT_TRUE(rtlogMatchGroupPattern(s_szPattern, sizeof(s_szPattern) - 1, (Long + "z").c_str()));
}

TEST(LogGroupTable, DefaultTableShape) {
    const char *const *papszNames = rtlogDefaultGroupNames();
    EXPECT_STREQ("DEFAULT", papszNames[0]);
    unsigned cDev = 0;
    for (unsigned i = 0; i < RTLOG_DEFAULT_GROUP_COUNT; i++) {
        SCOPED_TRACE(i);
        ASSERT_NE(nullptr, papszNames[i]);
        ASSERT_NE('\0', papszNames[i][0]);
        for (const char *pch = papszNames[i]; *pch; pch++)
            EXPECT_TRUE((*pch >= 'A' && *pch <= 'Z') || (*pch >= '0' && *pch <= '9') || *pch == '_');
        for (unsigned j = 0; j < i; j++) EXPECT_STRNE(papszNames[j], papszNames[i]);
        cDev += strncmp(papszNames[i], "DEV", 3) == 0;
    }
    EXPECT_LT(0u, cDev);
    // The blob ends with the last name: nothing is left over after entry 373.
    const char *pszLast = papszNames[RTLOG_DEFAULT_GROUP_COUNT - 1];
    EXPECT_STREQ("INST_VERSION", pszLast);
}

} // namespace
