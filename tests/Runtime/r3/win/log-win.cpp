// The logger on Windows: real sharing violations on open and on rotation, deletion of a file
// opened with "nodeny", the debugger destination and the last error, the crash dialog setting.
#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/xcpt.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Runtime/common/log/log-test-util.h"
#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"
#include "common/log/log-internal.h"

std::shared_ptr<void> tstLogBlockFileOpens(unsigned iNth, bool fFromThenOn) {
    return std::make_shared<TstFsCallFail<&RTFSCALLS::pfnCreateFileW>>(iNth, INVALID_HANDLE_VALUE,
                                                                       ERROR_SHARING_VIOLATION, fFromThenOn);
}

namespace {

std::wstring tstWide(const std::string &Str) {
    return std::wstring(Str.begin(), Str.end()); // the scratch paths are ASCII
}

// A handle another opener holds, closed at the first sleep of the logger's retry loop.
HANDLE g_hTstLogBlocker = INVALID_HANDLE_VALUE;
unsigned g_cTstLogSleeps;
int tstLogReleaseAtFirstSleep(uint32_t cMillies) {
    RT_NOREF(cMillies);
    if (++g_cTstLogSleeps == 1 && g_hTstLogBlocker != INVALID_HANDLE_VALUE) {
        CloseHandle(g_hTstLogBlocker);
        g_hTstLogBlocker = INVALID_HANDLE_VALUE;
    }
    return QINF_SUCCESS;
}

class LogFileWin : public testing::Test {
protected:
    void SetUp() override {
        g_cTstLogSleeps = 0;
        m_pfnSavedSleep = g_pfnrtlogFileSleep;
        g_pfnrtlogFileSleep = tstLogReleaseAtFirstSleep;
    }
    void TearDown() override {
        g_pfnrtlogFileSleep = m_pfnSavedSleep;
        if (g_hTstLogBlocker != INVALID_HANDLE_VALUE) CloseHandle(g_hTstLogBlocker);
        g_hTstLogBlocker = INVALID_HANDLE_VALUE;
        for (PRTLOGGER pLogger : m_Loggers) rtlogFileClose(pLogger);
    }
    PRTLOGGER create(uint32_t fFlags, uint32_t fDest, uint32_t cHistory = 0, uint64_t cbMax = 0) {
        PRTLOGGER pLogger = nullptr;
        EXPECT_EQ(QINF_SUCCESS, RTLogCreateEx(&pLogger, fFlags, nullptr, nullptr, 0, nullptr, 0, fDest, nullptr,
                                              cHistory, cbMax, 0, nullptr, "%s", name().c_str()));
        tstLogKeep(pLogger);
        if (pLogger) m_Loggers.push_back(pLogger);
        return pLogger;
    }
    std::string name(const char *pszSuffix = "") const { return m_Dir / (std::string("x.log") + pszSuffix); }
    HANDLE open(DWORD fShare) {
        return CreateFileW(tstWide(name()).c_str(), GENERIC_READ, fShare, NULL, OPEN_ALWAYS, 0, NULL);
    }

    TstScratchDir m_Dir;
    std::vector<PRTLOGGER> m_Loggers;
    int (*m_pfnSavedSleep)(uint32_t);
};

TEST_F(LogFileWin, OpenWaitsForAnExclusiveHolder) {
    const struct {
        int iLine;
        uint32_t fFlags;
    } aCases[] = {{__LINE__, 0}, {__LINE__, RTLOGFLAGS_APPEND}};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_cTstLogSleeps = 0;
        g_hTstLogBlocker = open(0); // nobody else may open, write or delete it
        ASSERT_NE(INVALID_HANDLE_VALUE, g_hTstLogBlocker);
        PRTLOGGER pLogger = create(c.fFlags, 0);
        ASSERT_NE(nullptr, pLogger);
        EXPECT_EQ(1u, g_cTstLogSleeps);
        EXPECT_NE(NIL_RTFILE, pLogger->pInt->hFile);
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "got it\n");
        std::string Content;
        EXPECT_TRUE(tstFileReadAll(name(), &Content));
        EXPECT_EQ("got it\n", Content);
        rtlogFileClose(pLogger);
        DeleteFileW(tstWide(name()).c_str()); // the appending case starts from no file too
    }
}

TEST_F(LogFileWin, RotationWaitsForAReaderThatDeniesDeletion) {
    PRTLOGGER pLogger = create(0, 0, 1, 10);
    ASSERT_NE(nullptr, pLogger);
    // A reader without delete sharing: the rename of the full file fails until it is gone.
    g_hTstLogBlocker = open(FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(INVALID_HANDLE_VALUE, g_hTstLogBlocker);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "more than ten bytes\n");
    EXPECT_EQ(1u, g_cTstLogSleeps);
    std::string Content;
    EXPECT_TRUE(tstFileReadAll(name(".1"), &Content));
    EXPECT_EQ("more than ten bytes\n", Content);
    EXPECT_TRUE(tstFileReadAll(name(), &Content));
    EXPECT_EQ("", Content);
}

TEST_F(LogFileWin, NoDenyLetsOthersDeleteTheLiveFile) {
    const struct {
        int iLine;
        uint32_t fDest;
        bool fDeletable;
    } aCases[] = {{__LINE__, 0, false}, {__LINE__, RTLOGDEST_F_NO_DENY, true}};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = create(0, c.fDest);
        ASSERT_NE(nullptr, pLogger);
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "live\n");
        BOOL const fDeleted = DeleteFileW(tstWide(name()).c_str());
        DWORD const dwErr = GetLastError();
        EXPECT_EQ(c.fDeletable, fDeleted != FALSE);
        if (!c.fDeletable) {
            EXPECT_EQ((DWORD)ERROR_SHARING_VIOLATION, dwErr);
        }
        rtlogFileClose(pLogger);
        DeleteFileW(tstWide(name()).c_str());
    }
}

TEST(LogWin, WritingKeepsTheLastError) {
    // The debugger destination's call sets the last error (no monitor listens).
    PRTLOGGER pLogger = tstLogCreateCapture(RTLOGFLAGS_PREFIX_THREAD, RTLOGDEST_DEBUGGER);
    ASSERT_NE(nullptr, pLogger);
    SetLastError(5);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "to the debugger\n");
    EXPECT_EQ(5u, GetLastError());
    SetLastError(6);
    RTLogFlush(pLogger);
    EXPECT_EQ(6u, GetLastError());
    EXPECT_EQ("to the debugger\n", tstLogTakeCapture(pLogger).substr(9));
}

TEST(LogWin, ParentProcess) {
    // Wine reports 0 for a process started from the Linux side, the launcher otherwise.
    RTPROCESS const Parent = rtlogNativeParentPid();
    EXPECT_NE(~(RTPROCESS)0, Parent);
    EXPECT_NE(GetCurrentProcessId(), Parent);
}

TEST(XcptWin, SuppressCrashDialogAddsTheBit) {
    UINT const fBefore = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(fBefore);
    RTXcptSuppressCrashDialog();
    UINT const fAfter = SetErrorMode(fBefore);
    SetErrorMode(fBefore);
    EXPECT_EQ((UINT)SEM_NOGPFAULTERRORBOX, fAfter & SEM_NOGPFAULTERRORBOX);
    EXPECT_EQ(fBefore, fAfter & fBefore); // what was set stays set
}

} // namespace
