// The ring buffer: markers, wrapping, the terminator after each write, the overflow notice on
// flush, and resizing a live buffer.
#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Runtime/r3/testplatform.h"
#include "common/log/log-internal.h"
#include "log-test-util.h"

namespace {

// A ring-buffer logger that writes to standard error on flush.
PRTLOGGER tstRingLogger(const char *pszDest) {
    PRTLOGGER pLogger = nullptr;
    EXPECT_EQ(QINF_SUCCESS,
              RTLogCreateEx(&pLogger, 0, nullptr, nullptr, 0, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr));
    tstLogKeep(pLogger);
    if (pLogger) {
        EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, pszDest));
    }
    return pLogger;
}

std::string tstFlushToStderr(PRTLOGGER pLogger) {
    TestCaptureBegin(stderr);
    RTLogFlush(pLogger);
    std::string Out = TestCaptureEnd();
    for (size_t off; (off = Out.find("\r\n")) != std::string::npos;) Out.erase(off, 1);
    return Out;
}

// Numbered lines of 10 bytes: "L0000001\n" and so on up to cb bytes.
std::string tstLines(size_t cb, unsigned iFirst = 0) {
    std::string Text;
    for (unsigned i = iFirst; Text.size() < cb; i++) {
        char szLine[16];
        snprintf(szLine, sizeof(szLine), "L%08u\n", i);
        Text += szLine;
    }
    Text.resize(cb);
    return Text;
}

void tstWrite(PRTLOGGER pLogger, const std::string &Text) {
    // In pieces, as messages come.
    for (size_t off = 0; off < Text.size(); off += 10)
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%.*s", (int)RT_MIN((size_t)10, Text.size() - off), &Text[off]);
}

TEST(LogRingBuf, MarkersAndTerminator) {
    PRTLOGGER pLogger = tstRingLogger("ringbuf=4096");
    ASSERT_NE(nullptr, pLogger);
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    ASSERT_NE(nullptr, pInt->pszRingBuf);
    EXPECT_EQ(4096u, pInt->cbRingBuf);
    EXPECT_EQ(0, memcmp(pInt->pszRingBuf, "START RING BUF\0\0", 16));
    EXPECT_EQ(0, memcmp(&pInt->pszRingBuf[4096 - 16], "END RING BUF\0\0\0\0", 16));
    std::string const Text = tstLines(10000);
    for (size_t off = 0; off < Text.size(); off += 10) {
        RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%.10s", &Text[off]);
        ASSERT_EQ('\0', pInt->pszRingBuf[16 + pInt->offRingBuf]) << off;
        ASSERT_LT(pInt->offRingBuf, 4096u - 32);
    }
    EXPECT_EQ(0, memcmp(pInt->pszRingBuf, "START RING BUF\0\0", 16));
    EXPECT_EQ(0, memcmp(&pInt->pszRingBuf[4096 - 16], "END RING BUF\0\0\0\0", 16));
}

TEST(LogRingBuf, FlushWritesOldestFirst) {
    const struct {
        int iLine;
        size_t cbWritten;
        bool fOverflow;
    } aCases[] = {
        {__LINE__, 0, false},   {__LINE__, 10, false},  {__LINE__, 4063, false}, // what the area holds
        {__LINE__, 4064, true}, {__LINE__, 5000, true}, {__LINE__, 20000, true},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstRingLogger("ringbuf=4096 stderr");
        ASSERT_NE(nullptr, pLogger);
        std::string const Text = tstLines(c.cbWritten);
        tstWrite(pLogger, Text);
        std::string Expect = c.fOverflow ? "\n*FLUSH RING BUF*\n" + Text.substr(Text.size() - 4063) : Text;
        EXPECT_EQ(Expect, tstFlushToStderr(pLogger));
        // Flushed: nothing again, then only what came after.
        EXPECT_EQ("", tstFlushToStderr(pLogger));
        tstWrite(pLogger, "after\n");
        EXPECT_EQ("after\n", tstFlushToStderr(pLogger));
    }
}

TEST(LogRingBuf, OneWriteLargerThanTheArea) {
    PRTLOGGER pLogger = tstRingLogger("ringbuf=4096 stderr");
    ASSERT_NE(nullptr, pLogger);
    std::string const Text = tstLines(9000);
    RTLogLoggerEx(pLogger, 0, RTLOG_NO_GROUP, "%s", Text.c_str());
    EXPECT_EQ("\n*FLUSH RING BUF*\n" + Text.substr(Text.size() - 4063), tstFlushToStderr(pLogger));
}

TEST(LogRingBuf, ResizeKeepsTheNewestUnflushedText) {
    const struct {
        int iLine;
        const char *pszFirst;
        size_t cbWritten;
        size_t cbFlushedBefore;
        const char *pszSecond;
        size_t cbKept;
    } aCases[] = {
        {__LINE__, "ringbuf=4096", 100, 0, "ringbuf=8192", 100},
        {__LINE__, "ringbuf=8192", 3000, 0, "ringbuf=4096", 3000},
        {__LINE__, "ringbuf=8192", 6000, 0, "ringbuf=4096", 4063},
        {__LINE__, "ringbuf=8192", 6000, 2000, "ringbuf=4096", 4000}, // only what was not flushed
        {__LINE__, "ringbuf=4096", 5000, 0, "ringbuf=8192", 4063},    // the old area had lost the rest
        {__LINE__, "ringbuf=4096", 100, 0, "ringbuf=4096", 100},      // same size: unchanged
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        PRTLOGGER pLogger = tstRingLogger(c.pszFirst);
        ASSERT_NE(nullptr, pLogger);
        RTLogDestinations(pLogger, "stderr");
        std::string const Text = tstLines(c.cbWritten);
        tstWrite(pLogger, Text.substr(0, c.cbFlushedBefore));
        if (c.cbFlushedBefore) tstFlushToStderr(pLogger);
        tstWrite(pLogger, Text.substr(c.cbFlushedBefore));
        EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, c.pszSecond));
        EXPECT_EQ(Text.substr(Text.size() - c.cbKept), tstFlushToStderr(pLogger));
        // The new buffer wraps as a buffer of its own size.
        std::string const More = tstLines(3 * pLogger->pInt->cbRingBuf, 5000);
        tstWrite(pLogger, More);
        EXPECT_EQ("\n*FLUSH RING BUF*\n" + More.substr(More.size() - (pLogger->pInt->cbRingBuf - 33)),
                  tstFlushToStderr(pLogger));
    }
}

TEST(LogRingBuf, FailedResizeKeepsTheOldBuffer) {
    PRTLOGGER pLogger = tstRingLogger("ringbuf=4096 stderr");
    ASSERT_NE(nullptr, pLogger);
    tstWrite(pLogger, "kept\n");
    char *pszOld = pLogger->pInt->pszRingBuf;
    RTMemTestFailAfter(1);
    int const rc = RTLogDestinations(pLogger, "ringbuf=65536");
    RTMemTestFailAfter(0);
    EXPECT_EQ(QERR_NO_MEMORY, rc);
    EXPECT_EQ(pszOld, pLogger->pInt->pszRingBuf);
    EXPECT_EQ(4096u, pLogger->pInt->cbRingBuf);
    EXPECT_EQ("kept\n", tstFlushToStderr(pLogger));
}

TEST(LogRingBuf, WithoutValueOnACreatedInstance) {
    PRTLOGGER pLogger = tstRingLogger("stderr");
    ASSERT_NE(nullptr, pLogger);
    EXPECT_EQ(nullptr, pLogger->pInt->pszRingBuf);
    EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, "ringbuf"));
    ASSERT_NE(nullptr, pLogger->pInt->pszRingBuf);
    EXPECT_EQ(524288u, pLogger->pInt->cbRingBuf);
    tstWrite(pLogger, "in the ring\n");
    // No longer collected in the ring: its older text comes first.
    EXPECT_EQ(QINF_SUCCESS, RTLogDestinations(pLogger, "noringbuf"));
    RTLogFlags(pLogger, "buffered");
    tstWrite(pLogger, "buffered\n");
    EXPECT_EQ("in the ring\nbuffered\n", tstFlushToStderr(pLogger));
}

TEST(LogRingBuf, SizeFromTheEnvironmentAtCreation) {
    TestSetEnv("QTST_RING_DEST", "ringbuf=5000");
    PRTLOGGER pLogger = nullptr;
    int const rc =
        RTLogCreateEx(&pLogger, 0, nullptr, "QTST_RING", 0, nullptr, 0, 0, nullptr, 0, 0, 0, nullptr, nullptr);
    tstLogKeep(pLogger);
    TestSetEnv("QTST_RING_DEST", nullptr);
    ASSERT_EQ(QINF_SUCCESS, rc);
    ASSERT_NE(nullptr, pLogger->pInt->pszRingBuf);
    EXPECT_EQ(5056u, pLogger->pInt->cbRingBuf);
    EXPECT_EQ(0, memcmp(&pLogger->pInt->pszRingBuf[5056 - 16], "END RING BUF", 12));
}

} // namespace
