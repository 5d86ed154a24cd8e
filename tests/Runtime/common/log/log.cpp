// Writing messages: the group filter, per-group limits, prefixes, CR LF, the scratch buffer's
// flushing, buffered mode, callbacks that write back, creation's checks, and two threads at
// once.
#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/assert.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "Runtime/r3/testplatform.h"
#include "common/log/log-internal.h"
#include "log-test-util.h"

namespace {

TEST(LogWrite, MessagesWithoutGroupAreAlwaysWritten) {
    // No group settings at all: every group's word is 0.
    PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 4, g_apszTstLogGroups);
    ASSERT_NE(nullptr, pLogger);
    RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, RTLOG_NO_GROUP, "no group %d\n", 1);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "no group, no flags\n");
    RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 0, "group 0\n");
    RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 77, "beyond the table: group 0\n");
    EXPECT_EQ("no group 1\nno group, no flags\n", tstLogTakeCapture(pLogger));
}

TEST(LogWrite, GroupFilter) {
    const struct {
        int iLine;
        const char *pszSettings;
        uint32_t fMsgFlags;
        unsigned iGroup;
        bool fWritten;
    } aCases[] = {
        {__LINE__, "", RTLOGGRPFLAGS_LEVEL_1, 3, false},
        {__LINE__, "net", RTLOGGRPFLAGS_LEVEL_1, 3, true},
        {__LINE__, "net", RTLOGGRPFLAGS_LEVEL_2, 3, false},
        {__LINE__, "net.l2", RTLOGGRPFLAGS_LEVEL_2, 3, false}, // level 2 but not enabled
        {__LINE__, "net.eo.l2", RTLOGGRPFLAGS_LEVEL_2, 3, true},
        {__LINE__, "net.e", RTLOGGRPFLAGS_LEVEL_1 | RTLOGGRPFLAGS_WARN, 3, true},
        {__LINE__, "net.e", RTLOGGRPFLAGS_LEVEL_1 | RTLOGGRPFLAGS_FLOW, 3, false}, // all flags needed
        {__LINE__, "net", 0, 3, true},
        {__LINE__, "dev*", RTLOGGRPFLAGS_LEVEL_1, 3, false},
        {__LINE__, "default", RTLOGGRPFLAGS_LEVEL_1, 4, true}, // past the table: group 0
        {__LINE__, "net", RTLOGGRPFLAGS_LEVEL_1, 4, false},
        {__LINE__, "", RTLOGGRPFLAGS_LEVEL_1, RTLOG_NO_GROUP, true},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 4, g_apszTstLogGroups);
        ASSERT_NE(nullptr, pLogger);
        RTLogGroupSettings(pLogger, c.pszSettings);
        RTLogLoggerEx(pLogger, c.fMsgFlags, c.iGroup, "text\n");
        EXPECT_EQ(c.fWritten ? "text\n" : "", tstLogTakeCapture(pLogger));
    }
}

TEST(LogWrite, NothingWhileDisabledWithoutDestinationsOrText) {
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_DISABLED);
    ASSERT_NE(nullptr, pLogger);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "disabled\n");
    EXPECT_EQ("", tstLogTakeCapture(pLogger));
    RTLogFlags(pLogger, "enabled");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, nullptr);
    EXPECT_EQ("", tstLogTakeCapture(pLogger));
    RTLogDestinations(pLogger, "nouser");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "no destinations\n");
    EXPECT_EQ("", tstLogTakeCapture(pLogger));
    RTLogDestinations(pLogger, "user");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s\n", "back");
    EXPECT_EQ("back\n", tstLogTakeCapture(pLogger));
}

TEST(LogWrite, PerGroupLimitMutesTheGroup) {
    static const char *const s_apszGroups[] = {"DEFAULT", nullptr, "NET"};
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_RESTRICT_GROUPS, 0, 3, s_apszGroups, 3);
    ASSERT_NE(nullptr, pLogger);
    pLogger->afGroups[0] = RTLOGGRPFLAGS_ENABLED | RTLOGGRPFLAGS_LEVEL_1; // not restricted
    pLogger->afGroups[1] = RTLOGGRPFLAGS_ENABLED | RTLOGGRPFLAGS_LEVEL_1 | RTLOGGRPFLAGS_RESTRICT;
    RTLogGroupSettings(pLogger, "net.e.restrict");
    for (int i = 1; i <= 5; i++) {
        RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 2, "net %d\n", i);
        RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 1, "nameless %d\n", i);
        RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 0, "default %d\n", i);
    }
    EXPECT_EQ("net 1\nnameless 1\ndefault 1\n"
              "net 2\nnameless 2\ndefault 2\n"
              "net 3\n3 messages from group NET (#2), muting it.\n"
              "nameless 3\n3 messages from group #1, muting it.\n"
              "default 3\ndefault 4\ndefault 5\n",
              tstLogTakeCapture(pLogger));
}

TEST(LogWrite, LimitsNeedTheCreationFlag) {
    PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 4, g_apszTstLogGroups, 1);
    ASSERT_NE(nullptr, pLogger);
    RTLogGroupSettings(pLogger, "net.restrict.l1.eo");
    RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 3, "a\n");
    RTLogLoggerEx(pLogger, RTLOGGRPFLAGS_LEVEL_1, 3, "b\n");
    EXPECT_EQ("a\nb\n", tstLogTakeCapture(pLogger));
}

TEST(LogWrite, UseCrLf) {
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_USECRLF);
    ASSERT_NE(nullptr, pLogger);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "a\nb\n\nc");
    EXPECT_EQ("a\r\nb\r\n\r\nc", tstLogTakeCapture(pLogger));
    // A whole scratch buffer of line feeds doubles without overrunning it.
    std::string const Feeds(RTLOG_SCRATCH_SIZE, '\n');
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", Feeds.c_str());
    std::string const Out = tstLogTakeCapture(pLogger);
    ASSERT_EQ(2 * Feeds.size(), Out.size());
    for (size_t off = 0; off < Out.size(); off += 2) ASSERT_EQ(0, Out.compare(off, 2, "\r\n"));
}

TEST(LogWrite, LongTextPassesThroughTheScratchBuffer) {
    const struct {
        int iLine;
        uint32_t fFlags;
        const char *pszPrefix;
    } aCases[] = {{__LINE__, 0, ""}, {__LINE__, RTLOGFLAGS_PREFIX_GROUP_NO, "-1   "}};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(c.fFlags);
        ASSERT_NE(nullptr, pLogger);
        std::string Text, Expect;
        for (int i = 0; Text.size() < 3 * RTLOG_SCRATCH_SIZE; i++) {
            std::string const Line = std::string(i % 97, (char)('a' + i % 26)) + "\n";
            Text += Line;
            Expect += c.pszPrefix + Line;
        }
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", Text.c_str());
        EXPECT_EQ(Expect, tstLogTakeCapture(pLogger));
    }
}

// Each flush of the scratch buffer as its own piece.
std::vector<std::string> g_TstLogPieces;
void tstLogPieceFlush(PRTLOGGER pLogger) {
    g_TstLogPieces.emplace_back(pLogger->achScratch, pLogger->offScratch);
}

TEST(LogWrite, PrefixRoomIsKeptBeforeEachLine) {
    // Lines shorter than the room kept for prefixes: the buffer is flushed before a line's
    // prefixes when less than that is left, so no line is ever split between two flushes.
    PRTLOGGER pLogger = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, RTLOGFLAGS_PREFIX_GROUP_NO | RTLOGFLAGS_BUFFERED, nullptr, nullptr,
                                          0, nullptr, 0, RTLOGDEST_USER, nullptr, 0, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    RTLogSetFlushCallback(pLogger, tstLogPieceFlush);
    g_TstLogPieces.clear();
    std::string const Line(200, 'x');
    for (int i = 0; i < 2000; i++) RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s\n", Line.c_str());
    RTLogFlush(pLogger);
    size_t cbAll = 0;
    ASSERT_LT(3u, g_TstLogPieces.size());
    for (const std::string &Piece : g_TstLogPieces) {
        cbAll += Piece.size();
        EXPECT_EQ(0u, Piece.size() % 206);
        if (&Piece != &g_TstLogPieces.back()) {
            EXPECT_LT(RTLOG_SCRATCH_SIZE - 1 - RTLOG_PREFIX_ROOM, Piece.size());
        }
        EXPECT_EQ(0, Piece.compare(0, 6, "-1   x"));
    }
    EXPECT_EQ(2000u * 206, cbAll);
}

TEST(LogWrite, BufferedWaitsForTheFlush) {
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_BUFFERED);
    ASSERT_NE(nullptr, pLogger);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "one\n");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "two\n");
    EXPECT_EQ("", tstLogPeekCapture(pLogger));
    RTLogFlush(pLogger);
    EXPECT_EQ("one\ntwo\n", tstLogTakeCapture(pLogger));
    RTLogFlush(pLogger); // nothing left: no empty flush reaches the callback
    EXPECT_EQ("", tstLogTakeCapture(pLogger));
    RTLogFlags(pLogger, "unbuffered");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "three\n");
    EXPECT_EQ("three\n", tstLogTakeCapture(pLogger));
}

// A flush callback that writes to its own logger: the lock is held, so the nested write is
// dropped, and the outer message stays whole.
PRTLOGGER g_pTstNestedLogger;
std::string g_TstNestedText;
unsigned g_cTstNestedCalls;
void tstLogNestedFlush(PRTLOGGER pLogger) {
    g_cTstNestedCalls++;
    g_TstNestedText.append(pLogger->achScratch, pLogger->offScratch);
    RTLogLoggerEx(g_pTstNestedLogger, 0, RTLOG_NO_GROUP, "nested\n");
    RTLogFlush(g_pTstNestedLogger);
}

TEST(LogWrite, NestedWriteFromTheFlushCallbackIsDropped) {
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&g_pTstNestedLogger, 0, nullptr, nullptr, 0, nullptr, 0, RTLOGDEST_USER,
                                          nullptr, 0, 0, 0, nullptr, nullptr));
    tstLogKeep(g_pTstNestedLogger);
    RTLogSetFlushCallback(g_pTstNestedLogger, tstLogNestedFlush);
    RTLogLoggerEx(g_pTstNestedLogger, 0, RTLOG_NO_GROUP, "outer %s\n", "message");
    RTLogLoggerEx(g_pTstNestedLogger, 0, RTLOG_NO_GROUP, "second\n");
    EXPECT_EQ("outer message\nsecond\n", g_TstNestedText);
    EXPECT_EQ(2u, g_cTstNestedCalls);
}

TEST(LogWrite, KeepsTheErrorVariables) {
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_PREFIX_THREAD | RTLOGFLAGS_PREFIX_TIME, RTLOGDEST_DEBUGGER);
    ASSERT_NE(nullptr, pLogger);
    errno = 2;
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "x%d\n", 1);
    RTLogFlush(pLogger);
    EXPECT_EQ(2, errno);
    EXPECT_NE("", tstLogTakeCapture(pLogger));
}

size_t tstLogCustomPrefix(PRTLOGGER, char *pchBuf, size_t cchBuf, void *pvUser) {
    const char *pszText = (const char *)pvUser;
    size_t const cch = strlen(pszText);
    memcpy(pchBuf, pszText, RT_MIN(cch, cchBuf));
    return cch; // may claim more than the room: the logger cuts it
}

TEST(LogPrefix, FormsAndWidths) {
    static const char *const s_apszGroups[] = {"DEFAULT", "A_VERY_LONG_GROUP_NAME", "NET"};
    const struct {
        int iLine;
        const char *pszFlags;
        const char *pszCustom;
        uint32_t fMsgFlags;
        unsigned iGroup;
        const char *pszShape; // of the first line (see tstShape)
    } aCases[] = {
        {__LINE__, "ts", "", 0, RTLOG_NO_GROUP, "%{16} text"},
        {__LINE__, "ts dec", "", 0, RTLOG_NO_GROUP, "~{15}# text"},
        {__LINE__, "tsc", "", 0, RTLOG_NO_GROUP, "%{16} text"},
        {__LINE__, "msprog", "", 0, RTLOG_NO_GROUP, "#{9}* text"},
        {__LINE__, "time", "", 0, RTLOG_NO_GROUP, "##:##:##.#{6} text"},
        {__LINE__, "timeprog", "", 0, RTLOG_NO_GROUP, "##*:##:##.#{6} text"},
        {__LINE__, "pid", "", 0, RTLOG_NO_GROUP, "%{8} text"},
        {__LINE__, "tid", "", 0, RTLOG_NO_GROUP, "%{8} text"},
        {__LINE__, "cpuid", "", 0, RTLOG_NO_GROUP, "%% text"},
        {__LINE__, "custom", "abc", 0, RTLOG_NO_GROUP, "abc text"},
        {__LINE__, "custom", "0123456789012345678901234567890123456789", 0, RTLOG_NO_GROUP,
         "0123456789012345678901234567890 text"},
        {__LINE__, "custom", "", 0, RTLOG_NO_GROUP, " text"},
        {__LINE__, "flagno", "", 0x8012, 2, "00008012 text"},
        {__LINE__, "flag", "", 0x10, 2, "NET      text"},
        {__LINE__, "flag", "", 0x10, 1, "A_VERY_LONG_GROU text"},
        {__LINE__, "flag", "", 0x10, RTLOG_NO_GROUP, "         text"},
        {__LINE__, "groupno", "", 0x10, 2, "002 text"},
        {__LINE__, "groupno", "", 0x10, RTLOG_NO_GROUP, "-1   text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_LEVEL_1, 2, "level 1  text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_LEVEL_12, 2, "level 12 text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_LEVEL_12 | RTLOGGRPFLAGS_ENABLED, 2, "\\?{8} text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_FLOW, RTLOG_NO_GROUP, "flow     text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_WARN, RTLOG_NO_GROUP, "warn     text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_ENABLED, RTLOG_NO_GROUP, "enabled  text"},
        {__LINE__, "group", "", 0, RTLOG_NO_GROUP, "-------- text"},
        {__LINE__, "group", "", RTLOGGRPFLAGS_FLOW | RTLOGGRPFLAGS_WARN, RTLOG_NO_GROUP, "\\?{8} text"},
        // Each in its place when several are on.
        {__LINE__, "groupno pid ts", "", 0, 0, "%{16} %{8} 000 text"},
        {__LINE__, "group flag flagno lockcnts custom thread tid", "C", RTLOGGRPFLAGS_LEVEL_1, 0,
         "%{8} ?{8}* C */* 00000010 DEFAULT  level 1  text"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 3, s_apszGroups);
        ASSERT_NE(nullptr, pLogger);
        RTLogGroupSettings(pLogger, "all=0x8013"); // enabled, flow, level 1 and level 12
        RTLogFlags(pLogger, c.pszFlags);
        RTLogSetCustomPrefixCallback(pLogger, tstLogCustomPrefix, (void *)c.pszCustom);
        RTLogLoggerEx(pLogger, c.fMsgFlags, c.iGroup, "text\nsecond line\n");
        std::string const Out = tstLogTakeCapture(pLogger);
        size_t const offNl = Out.find('\n');
        ASSERT_NE(std::string::npos, offNl);
        EXPECT_TRUE(tstShape(Out.substr(0, offNl), c.pszShape)) << Out;
        // Every line gets the prefixes, the second as the first ("second line" is 7 longer).
        EXPECT_EQ(Out.size(), 2 * offNl + 9) << Out;
    }
}

TEST(LogPrefix, RelativeStampsAreDifferences) {
    PRTLOGGER pLogger = tstLogCreateCapture(0);
    ASSERT_NE(nullptr, pLogger);
    RTLogFlags(pLogger, "ts rel dec");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "a\n");
    TestSleepMs(30);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "b\n");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "c\n");
    std::string const Out = tstLogTakeCapture(pLogger);
    ASSERT_TRUE(tstShape(Out, "~{15}# a\n~{15}# b\n~{15}# c\n")) << Out;
    unsigned long long const nsB = std::stoull(Out.substr(19, 16));
    unsigned long long const nsC = std::stoull(Out.substr(38, 16));
    EXPECT_GE(nsB, 10000000ULL); // the sleep shows (with the coarsest clock's steps)
    EXPECT_LT(nsC, nsB);
}

TEST(LogCreate, ArgumentChecks) {
    PRTLOGGER pLogger = (PRTLOGGER)(uintptr_t)0x1234;
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTLogCreateEx(nullptr, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(QERR_INVALID_PARAMETER,
              RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 3, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    EXPECT_EQ(nullptr, pLogger);
    pLogger = (PRTLOGGER)(uintptr_t)0x1234;
    EXPECT_EQ(QERR_OUT_OF_RANGE, RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr,
                                               RTLOG_MAX_HISTORY + 1, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    EXPECT_EQ(nullptr, pLogger);
    RTMemTestFailAfter(1);
    EXPECT_EQ(QERR_NO_MEMORY,
              RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    RTMemTestFailAfter(0);
    EXPECT_EQ(nullptr, pLogger);
    // The lock's creation failing frees everything (the sanitizers would see a leak).
    RTMemTestFailAfter(2);
    int const rc = RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr);
    tstLogKeep(pLogger);
    RTMemTestFailAfter(0);
    EXPECT_EQ(QERR_NO_MEMORY, rc);
    EXPECT_EQ(nullptr, pLogger);
}

TEST(LogCreate, SettingsTextsHistoryAndName) {
    PRTLOGGER pLogger = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, RTLOGFLAGS_BUFFERED, "net.e", nullptr, 4, g_apszTstLogGroups, 0,
                                          RTLOGDEST_USER, nullptr, 2, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    EXPECT_EQ("NET=0x15;", tstLogGroupSummary(pLogger));
    EXPECT_EQ("flags=0x2 dest=0x40000000 file='' history=2 size=0xffffffffffffffff slot=0xffffffff ring=524288",
              tstLogSummary(pLogger));
    // A group count of 0 with a table is accepted; every message is then without group.
    PRTLOGGER pNoGroups = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&pNoGroups, 0, "all", nullptr, 0, g_apszTstLogGroups, 0, RTLOGDEST_USER,
                                          nullptr, 0, 4096, 60, nullptr, nullptr));
    tstLogKeep(pNoGroups);
    EXPECT_EQ("flags=0 dest=0x40000000 file='' history=0 size=0x1000 slot=0x3c ring=524288", tstLogSummary(pNoGroups));
    RTLogSetFlushCallback(pNoGroups, nullptr);
    RTLogLoggerEx(pNoGroups, RTLOGGRPFLAGS_LEVEL_3, 5, "x\n");
}

// Two threads writing at once: whole lines, none lost.
struct TSTLOGTHREAD {
    PRTLOGGER pLogger;
    char chTag;
};

void tstLogWriterThread(void *pvUser) {
    TSTLOGTHREAD *pArgs = (TSTLOGTHREAD *)pvUser;
    for (int i = 0; i < 10000; i++) RTLogLoggerEx(pArgs->pLogger, 0, RTLOG_NO_GROUP, "%c%05d line\n", pArgs->chTag, i);
}

TEST(LogConcurrency, TwoThreadsWriteWholeLines) {
    PRTLOGGER pLogger = tstLogCreateCapture(0);
    ASSERT_NE(nullptr, pLogger);
    TSTLOGTHREAD aArgs[2] = {{pLogger, 'a'}, {pLogger, 'b'}};
    TESTTHREAD *pThread1 = TestThreadStart(tstLogWriterThread, &aArgs[0]);
    TESTTHREAD *pThread2 = TestThreadStart(tstLogWriterThread, &aArgs[1]);
    ASSERT_NE(nullptr, pThread1);
    ASSERT_NE(nullptr, pThread2);
    TestThreadJoin(pThread1);
    TestThreadJoin(pThread2);
    std::string const Out = tstLogTakeCapture(pLogger);
    ASSERT_EQ(20000u * 12, Out.size());
    int aiNext[2] = {0, 0};
    for (size_t off = 0; off < Out.size(); off += 12) {
        std::string const Line = Out.substr(off, 12);
        ASSERT_TRUE(Line[0] == 'a' || Line[0] == 'b') << off;
        int &iNext = aiNext[Line[0] - 'a'];
        char szExpect[16];
        snprintf(szExpect, sizeof(szExpect), "%c%05d line\n", Line[0], iNext);
        ASSERT_EQ(szExpect, Line) << off;
        iNext++;
    }
    EXPECT_EQ(10000, aiNext[0]);
    EXPECT_EQ(10000, aiNext[1]);
}

TEST(LogRelease, NoReleaseLoggerByDefault) {
    EXPECT_EQ(nullptr, RTLogRelGetDefaultInstanceEx(0));
    EXPECT_EQ(nullptr, RTLogRelGetDefaultInstanceEx(UINT32_C(0xFFFF0000)));
    RTLogRelPrintf("nowhere %d\n", 1); // must not crash or create anything
}

TEST(LogRelease, GroupAndFlagsQuery) {
    PRTLOGGER pLogger = tstLogCreateCapture(0, 0, 4, g_apszTstLogGroups);
    ASSERT_NE(nullptr, pLogger);
    RTLogGroupSettings(pLogger, "net.e dev_disk.eo");
    rtlogRelSetDefaultInstance(pLogger);
    const struct {
        int iLine;
        uint32_t fFlagsAndGroup;
        bool fFound;
    } aCases[] = {
        {__LINE__, UINT32_C(0xFFFF0000), true},
        {__LINE__, UINT32_C(0xFFFFFFFF), true},
        {__LINE__, (3U << 16) | RTLOGGRPFLAGS_LEVEL_1, true},
        {__LINE__, (3U << 16) | RTLOGGRPFLAGS_LEVEL_2, false},
        {__LINE__, (1U << 16), true},
        {__LINE__, (1U << 16) | RTLOGGRPFLAGS_LEVEL_1, false},
        {__LINE__, (0U << 16), false},     // DEFAULT is not enabled
        {__LINE__, (9U << 16) | 0, false}, // out of range: group 0
        {__LINE__, (2U << 16) | 0, false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fFound ? pLogger : nullptr, RTLogRelGetDefaultInstanceEx(c.fFlagsAndGroup));
    }
    RTLogRelPrintf("release %d\n", 2);
    EXPECT_EQ("release 2\n", tstLogTakeCapture(pLogger));
    RTLogFlags(pLogger, "disabled");
    EXPECT_EQ(nullptr, RTLogRelGetDefaultInstanceEx(UINT32_C(0xFFFF0000)));
    rtlogRelSetDefaultInstance(nullptr);
}

} // namespace
