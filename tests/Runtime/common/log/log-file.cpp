// The log file: replacing and appending, a reader beside the logger, the retries while another
// handle is in the way, rotation into numbered history files, and the limits of 0 that mean
// none.
#include <qrt/log.h>
#include <qrt/err.h>
#include <qrt/ldr.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "common/log/log-internal.h"
#include "log-test-util.h"

namespace {

// The sleeps of the retry loops, recorded instead of slept; pfnOnSleep runs at each one.
std::vector<uint32_t> g_TstLogSleeps;
void (*g_pfnTstLogOnSleep)(unsigned iSleep);
int tstLogRecordSleep(uint32_t cMillies) {
    g_TstLogSleeps.push_back(cMillies);
    if (g_pfnTstLogOnSleep) g_pfnTstLogOnSleep((unsigned)g_TstLogSleeps.size());
    return QINF_SUCCESS;
}

class LogFile : public testing::Test {
protected:
    void SetUp() override {
        g_TstLogSleeps.clear();
        g_pfnTstLogOnSleep = nullptr;
        m_pfnSavedSleep = g_pfnrtlogFileSleep;
        g_pfnrtlogFileSleep = tstLogRecordSleep;
    }
    void TearDown() override {
        g_pfnrtlogFileSleep = m_pfnSavedSleep;
        for (PRTLOGGER pLogger : m_Loggers) rtlogFileClose(pLogger); // lets the directory go
    }
    // A logger on the file "x.log" in the scratch directory.
    PRTLOGGER create(uint32_t fFlags, uint32_t cHistory = 0, uint64_t cbMax = 0, uint32_t cSecsSlot = 0,
                     PFNRTLOGPHASE pfnPhase = nullptr, PRTERRINFO pErrInfo = nullptr, const char *pszEnv = nullptr) {
        PRTLOGGER pLogger = nullptr;
        EXPECT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, fFlags, nullptr, pszEnv, 0, nullptr, 0, 0, pfnPhase, cHistory,
                                              cbMax, cSecsSlot, pErrInfo, "%s", name().c_str()));
        tstLogKeep(pLogger);
        if (pLogger) m_Loggers.push_back(pLogger);
        return pLogger;
    }
    std::string name(const char *pszSuffix = "") const { return m_Dir / (std::string("x.log") + pszSuffix); }
    std::string read(const char *pszSuffix = "") const {
        std::string Content;
        if (!tstFileReadAll(name(pszSuffix), &Content)) return "<missing>";
        return Content;
    }
    void put(const char *pszSuffix, const std::string &Content) {
        ASSERT_TRUE(tstFileWriteAll(name(pszSuffix), Content));
    }

    TstScratchDir m_Dir;
    std::vector<PRTLOGGER> m_Loggers;
    int (*m_pfnSavedSleep)(uint32_t);
};

TEST_F(LogFile, ReplaceOrAppend) {
    const struct {
        int iLine;
        uint32_t fFlags;
        const char *pszBefore; // null: no file before
        const char *pszAfter;
    } aCases[] = {
        {__LINE__, 0, nullptr, "new\n"},
        {__LINE__, 0, "old\n", "new\n"},
        {__LINE__, RTLOGFLAGS_APPEND, nullptr, "new\n"},
        {__LINE__, RTLOGFLAGS_APPEND, "old\n", "old\nnew\n"},
        {__LINE__, RTLOGFLAGS_WRITE_THROUGH | RTLOGFLAGS_FLUSH, "old\n", "new\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        if (c.pszBefore) put("", c.pszBefore);
        PRTLOGGER pLogger = create(c.fFlags);
        ASSERT_NE(nullptr, pLogger);
        ASSERT_NE(NIL_RTFILE, pLogger->pInt->hFile);
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s\n", "new");
        EXPECT_EQ(c.pszAfter, read());
        rtlogFileClose(pLogger);
        RTFileDelete(name().c_str());
    }
}

TEST_F(LogFile, ReaderSeesEachMessageAtOnce) {
    PRTLOGGER pLogger = create(0);
    ASSERT_NE(nullptr, pLogger);
    std::string Expect;
    for (int i = 0; i < 5; i++) {
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "line %d\n", i);
        Expect += "line " + std::to_string(i) + "\n";
        EXPECT_EQ(Expect, read()); // a second opener, while the logger holds the file
    }
}

TEST_F(LogFile, NoHistoryNeverTouchesNumberedFiles) {
    // Without history files the file is only replaced or appended to, however large it gets.
    const struct {
        int iLine;
        uint32_t fFlags;
        const char *pszEnv;
    } aCases[] = {
        {__LINE__, 0, nullptr},
        {__LINE__, RTLOGFLAGS_APPEND, nullptr},
        {__LINE__, 0, "history=0 histsize=16"},
        {__LINE__, 0, "history=2 nohistory histsize=16 histtime=1"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        put("", "current\n");
        put(".1", "kept 1\n");
        put(".2", "kept 2\n");
        put(".3", "kept 3\n");
        TestSetEnv("QTST_LOGF_DEST", c.pszEnv);
        PRTLOGGER pLogger = create(c.fFlags, 0, 0, 0, nullptr, nullptr, "QTST_LOGF");
        TestSetEnv("QTST_LOGF_DEST", nullptr);
        ASSERT_NE(nullptr, pLogger);
        std::string Expect = (c.fFlags & RTLOGFLAGS_APPEND) ? "current\n" : "";
        for (int i = 0; i < 10; i++) {
            RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "message number %d\n", i);
            Expect += "message number " + std::to_string(i) + "\n";
        }
        EXPECT_EQ(Expect, read());
        EXPECT_EQ("kept 1\n", read(".1"));
        EXPECT_EQ("kept 2\n", read(".2"));
        EXPECT_EQ("kept 3\n", read(".3"));
        rtlogFileClose(pLogger);
    }
}

TEST_F(LogFile, RotationBySizeKeepsTheHistory) {
    put("", "previous run\n");
    put(".1", "older run\n");
    put(".3", "beyond the history\n");
    put(".4", "beyond the history\n");
    put(".6", "after a gap\n");
    // History 2 and 100 bytes; lines of 60 bytes: every second line fills the file.
    PRTLOGGER pLogger = create(0, 2, 100);
    ASSERT_NE(nullptr, pLogger);
    // At creation the earlier file went into the history, the one before it further down;
    // what lay beyond the history was deleted up to the first gap.
    EXPECT_EQ("previous run\n", read(".1"));
    EXPECT_EQ("older run\n", read(".2"));
    EXPECT_EQ("<missing>", read(".3"));
    EXPECT_EQ("<missing>", read(".4"));
    EXPECT_EQ("after a gap\n", read(".6"));
    EXPECT_EQ("", read());

    std::string const aLines[] = {std::string(59, 'a') + "\n", std::string(59, 'b') + "\n", std::string(59, 'c') + "\n",
                                  std::string(59, 'd') + "\n", std::string(59, 'e') + "\n"};
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", aLines[0].c_str());
    EXPECT_EQ(aLines[0], read());
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", aLines[1].c_str()); // 120 bytes: rotated
    EXPECT_EQ("", read());
    EXPECT_EQ(aLines[0] + aLines[1], read(".1"));
    EXPECT_EQ("previous run\n", read(".2"));
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", aLines[2].c_str());
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", aLines[3].c_str());
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", aLines[4].c_str());
    EXPECT_EQ(aLines[4], read());
    EXPECT_EQ(aLines[2] + aLines[3], read(".1"));
    EXPECT_EQ(aLines[0] + aLines[1], read(".2"));
    EXPECT_EQ("<missing>", read(".3"));
    EXPECT_EQ("after a gap\n", read(".6"));
    EXPECT_TRUE(g_TstLogSleeps.empty());
}

TEST_F(LogFile, RotationWhenAppending) {
    put("", std::string(150, 'o') + "\n");
    // Appending to a file already over the limit: it is rotated at once, then continued anew.
    PRTLOGGER pLogger = create(RTLOGFLAGS_APPEND, 1, 100);
    ASSERT_NE(nullptr, pLogger);
    EXPECT_EQ(std::string(150, 'o') + "\n", read(".1"));
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "fresh\n");
    EXPECT_EQ("fresh\n", read());
}

TEST_F(LogFile, ZeroLimitsMeanNone) {
    // histsize=0 and histtime=0 set after creation: no rotation on every flush, no division
    // by a slot length of 0.
    const struct {
        int iLine;
        const char *pszEnv;
    } aCases[] = {
        {__LINE__, "history=3 histsize=0"},
        {__LINE__, "history=3 histtime=0"},
        {__LINE__, "history=3 histsize=0 histtime=0"},
        {__LINE__, "history=3 nohistsize nohisttime"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TestSetEnv("QTST_LOGF_DEST", c.pszEnv);
        PRTLOGGER pLogger = create(0, 0, 0, 0, nullptr, nullptr, "QTST_LOGF");
        TestSetEnv("QTST_LOGF_DEST", nullptr);
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(UINT64_MAX, pLogger->pInt->cbHistoryFileMax);
        std::string Expect;
        for (int i = 0; i < 20; i++) {
            RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "m%d\n", i);
            Expect += "m" + std::to_string(i) + "\n";
        }
        EXPECT_EQ(Expect, read());
        EXPECT_EQ("<missing>", read(".1"));
        rtlogFileClose(pLogger);
        RTFileDelete(name().c_str());
    }
    // The same through RTLogDestinations on the live instance.
    PRTLOGGER pLogger = create(0, 3, 64, 60);
    ASSERT_NE(nullptr, pLogger);
    EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, "histsize=0 histtime=0"));
    for (int i = 0; i < 50; i++) RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%d\n", i);
    EXPECT_EQ("<missing>", read(".1"));
}

TEST_F(LogFile, NewTimeSlotRotates) {
    PRTLOGGER pLogger = create(0, 1, 0, 3600);
    ASSERT_NE(nullptr, pLogger);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "first slot\n");
    EXPECT_EQ("<missing>", read(".1"));
    pLogger->pInt->uHistoryTimeSlotStart--; // as if an hour had passed since
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "end of it\n");
    EXPECT_EQ("first slot\nend of it\n", read(".1"));
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "next slot\n");
    EXPECT_EQ("next slot\n", read());
}

// The phases seen, and text written with the phase callback's printer.
std::string g_TstLogPhases;
void tstLogPhase(PRTLOGGER pLogger, RTLOGPHASE enmPhase, PFNRTLOGPRINTF pfnLog) {
    g_TstLogPhases += std::to_string((int)enmPhase);
    pfnLog(pLogger, "phase %d\n", (int)enmPhase);
}

TEST_F(LogFile, PhaseCallbackAroundRotation) {
    g_TstLogPhases.clear();
    PRTLOGGER pLogger = create(0, 1, 20, 0, tstLogPhase);
    ASSERT_NE(nullptr, pLogger);
    // The opening at creation is a rotation without its "before" phase.
    EXPECT_EQ("30", g_TstLogPhases);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "fills the file up\n");
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "and over\n");
    EXPECT_EQ("3023", g_TstLogPhases);
    EXPECT_EQ("phase 3\nphase 0\nfills the file up\nphase 2\n", read(".1"));
    EXPECT_EQ("phase 3\nand over\n", read());
}

TEST_F(LogFile, OpenIsRetriedWhileAnotherHandleIsInTheWay) {
    std::shared_ptr<void> Block = tstLogBlockFileOpens(1, false); // the first open only
    PRTLOGGER pLogger = create(0);
    Block.reset();
    ASSERT_NE(nullptr, pLogger);
    EXPECT_EQ(std::vector<uint32_t>{10}, g_TstLogSleeps);
    ASSERT_NE(NIL_RTFILE, pLogger->pInt->hFile);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "after the retry\n");
    EXPECT_EQ("after the retry\n", read());
}

TEST_F(LogFile, OpenGivesUpAfterTheRetries) {
    const struct {
        int iLine;
        uint32_t fFlags;
        const char *pszEnv;
        const char *pszOpenFlags;
    } aCases[] = {
        {__LINE__, 0, nullptr, "0x282"},
        {__LINE__, RTLOGFLAGS_APPEND, nullptr, "0x186"},
        {__LINE__, RTLOGFLAGS_WRITE_THROUGH, nullptr, "0x8282"},
        {__LINE__, 0, "nodeny", "0x242"},
        {__LINE__, RTLOGFLAGS_APPEND, "nodeny", "0x146"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_TstLogSleeps.clear();
        char szMsg[RTLOG_FILENAME_SIZE + 100];
        RTERRINFO ErrInfo;
        RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
        TestSetEnv("QTST_LOGF_DEST", c.pszEnv);
        PRTLOGGER pLogger;
        {
            std::shared_ptr<void> Block = tstLogBlockFileOpens(1, true);
            pLogger = create(c.fFlags, 0, 0, 0, nullptr, &ErrInfo, "QTST_LOGF");
        }
        TestSetEnv("QTST_LOGF_DEST", nullptr);
        // Created all the same, with a file destination that has no effect.
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(NIL_RTFILE, pLogger->pInt->hFile);
        EXPECT_EQ((std::vector<uint32_t>{10,  10,  10,  20,   50,   100,  200,  200,  200,  200, 500,
                                         500, 500, 500, 1000, 1000, 1000, 1000, 1000, 1000, 1000}),
                  g_TstLogSleeps);
        EXPECT_TRUE(RTErrInfoIsSet(&ErrInfo));
        EXPECT_EQ(QERR_SHARING_VIOLATION, ErrInfo.rc);
        EXPECT_EQ("could not open file '" + name() + "' (fOpen=" + c.pszOpenFlags + ")", std::string(szMsg));
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "goes nowhere\n");
    }
}

TEST_F(LogFile, OtherOpenFailuresAreNotRetried) {
    char szMsg[200];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    PRTLOGGER pLogger = nullptr;
    std::string const Missing = m_Dir / "no-such-dir/x.log";
    ASSERT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr, 0, 0, 0, &ErrInfo,
                                          "%s", Missing.c_str()));
    tstLogKeep(pLogger);
    EXPECT_TRUE(g_TstLogSleeps.empty());
    EXPECT_EQ(QERR_PATH_NOT_FOUND, ErrInfo.rc);
    EXPECT_EQ(RTLOGDEST_FILE, pLogger->fDestFlags);
}

} // namespace
