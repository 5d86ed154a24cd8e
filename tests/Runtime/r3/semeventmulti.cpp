// Manual-reset events: the wait flags, the timeout arithmetic, reset and wake-all.
#include <qrt/semaphore.h>
#include <qrt/err.h>
#include <qrt/time.h>

#include <gtest/gtest.h>

#include "Runtime/r3/testplatform.h"
#include "r3/sem-internal.h"

namespace {

struct FlagsCase {
    int iLine;
    uint32_t fFlags;
    bool fValid;
};

// clang-format off
const FlagsCase g_aFlags[] = {
    {__LINE__, 0x50, true},  // indefinite, resumes
    {__LINE__, 0x30, true},  // indefinite, returns
    {__LINE__, 0x49, true},  // relative milliseconds, resumes
    {__LINE__, 0x29, true},  // relative milliseconds, returns
    {__LINE__, 0x25, true},  // relative nanoseconds
    {__LINE__, 0x2a, true},  // absolute milliseconds
    {__LINE__, 0x46, true},  // absolute nanoseconds, resumes
    {__LINE__, 0x10, false}, // no alert mode
    {__LINE__, 0x70, false}, // both alert modes
    {__LINE__, 0x31, false}, // indefinite with a timeout kind
    {__LINE__, 0x38, false}, // indefinite with a unit
    {__LINE__, 0x69, false}, // both alert modes and a timeout
    {__LINE__, 0x20, false}, // no timeout kind
    {__LINE__, 0x21, false}, // no unit
    {__LINE__, 0x28, false}, // no timeout kind, a unit
    {__LINE__, 0x2b, false}, // relative and absolute
    {__LINE__, 0x2d, false}, // nanoseconds and milliseconds
    {__LINE__, 0xb0, false}, // a bit from 0x80 up
    {__LINE__, 0x00, false},
};
// clang-format on

TEST(SemEventMultiWaitEx, FlagsWordIsValidated) {
    RTSEMEVENTMULTI hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&hEvent, 0));
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiSignal(hEvent)); // a valid wait returns at once
    for (const FlagsCase &c : g_aFlags) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fValid, rtSemWaitFlagsAreValid(c.fFlags));
        EXPECT_EQ(c.fValid ? QINF_SUCCESS : QERR_INVALID_PARAMETER, RTSemEventMultiWaitEx(hEvent, c.fFlags, 0));
    }
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(hEvent));
}

TEST(SemEventMultiWaitEx, NanosecondsRoundHalfUpWithoutOverflow) {
    const struct {
        int iLine;
        uint64_t cNanos;
        uint64_t cMillis;
    } aCases[] = {
        {__LINE__, 0, 0},
        {__LINE__, 499999, 0},
        {__LINE__, 500000, 1},
        {__LINE__, 1499999, 1},
        {__LINE__, 1500000, 2},
        {__LINE__, UINT64_C(0xFFFFFFFFFFF85EDE), UINT64_C(18446744073709)},
        {__LINE__, UINT64_C(0xFFFFFFFFFFF85EDF), UINT64_C(18446744073709)},
        {__LINE__, UINT64_MAX, UINT64_C(18446744073709)},
    };
    for (const auto &c : aCases) EXPECT_EQ(c.cMillis, rtSemWaitNanoToMilli(c.cNanos)) << c.iLine;
}

TEST(SemEventMultiWaitEx, TimeoutsOnAnUnsignalledEvent) {
    RTSEMEVENTMULTI hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&hEvent, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL));
    const struct {
        int iLine;
        uint32_t fFlags;
        bool fAbsolute;   // uTimeout is added to the clock's current reading
        int64_t iTimeout; // negative: that far in the past
        uint32_t cMsMin;  // the wait takes at least about this long
    } aCases[] = {
        {__LINE__, 0x29, false, 0, 0},         {__LINE__, 0x49, false, 0, 0},
        {__LINE__, 0x25, false, 400000, 0}, // rounds to 0 ms
        {__LINE__, 0x2a, true, -1000, 0},   // already past
        {__LINE__, 0x4a, true, -1, 0},         {__LINE__, 0x29, false, 50, 50},
        {__LINE__, 0x45, false, 50000000, 50}, // 50 ms in nanoseconds
        {__LINE__, 0x2a, true, 50, 50},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        uint64_t uTimeout = (uint64_t)c.iTimeout;
        if (c.fAbsolute) uTimeout = RTTimeMilliTS() + c.iTimeout;
        uint64_t const msStart = TestMilliTS();
        EXPECT_EQ(QERR_TIMEOUT, RTSemEventMultiWaitEx(hEvent, c.fFlags, uTimeout));
        uint64_t const cMsTook = TestMilliTS() - msStart;
        EXPECT_GE(cMsTook + 20, c.cMsMin);
        EXPECT_LT(cMsTook, c.cMsMin + 1000u);
    }
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventMultiWait(hEvent, 0));
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventMultiWaitNoResume(hEvent, 1));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(hEvent));
}

TEST(SemEventMulti, StaysSignalledUntilReset) {
    RTSEMEVENTMULTI hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&hEvent, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiSignal(hEvent));
    for (int i = 0; i < 3; i++) EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiWait(hEvent, 0)) << i;
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiWait(hEvent, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiWaitNoResume(hEvent, RT_INDEFINITE_WAIT));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiReset(hEvent));
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventMultiWait(hEvent, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiReset(hEvent));
    EXPECT_EQ(QERR_TIMEOUT, RTSemEventMultiWaitNoResume(hEvent, 0));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(hEvent));
}

struct WaitArgs {
    RTSEMEVENTMULTI hEvent;
    int rc;
};

static void waitThread(void *pvUser) {
    WaitArgs *pArgs = (WaitArgs *)pvUser;
    pArgs->rc = RTSemEventMultiWait(pArgs->hEvent, RT_INDEFINITE_WAIT);
}

TEST(SemEventMulti, OneSignalWakesEveryWaiter) {
    RTSEMEVENTMULTI hEvent;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventMultiCreate(&hEvent, 0));
    WaitArgs aArgs[3];
    TESTTHREAD *apThreads[3];
    for (unsigned i = 0; i < 3; i++) {
        aArgs[i] = {hEvent, QERR_INTERNAL_ERROR};
        apThreads[i] = TestThreadStart(waitThread, &aArgs[i]);
        ASSERT_NE(nullptr, apThreads[i]);
    }
    TestSleepMs(30);
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiSignal(hEvent));
    for (unsigned i = 0; i < 3; i++) {
        TestThreadJoin(apThreads[i]);
        EXPECT_EQ(QINF_SUCCESS, aArgs[i].rc) << i;
    }
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(hEvent));
}

TEST(SemEventMulti, HandlesAndFlagsAreChecked) {
    RTSEMEVENTMULTI hEvent = (RTSEMEVENTMULTI)(uintptr_t)0x1234;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTSemEventMultiCreate(&hEvent, 2));
    EXPECT_EQ(NIL_RTSEMEVENTMULTI, hEvent);
    EXPECT_EQ(QINF_SUCCESS, RTSemEventMultiDestroy(NIL_RTSEMEVENTMULTI));
    RTSEMEVENTMULTI const hNear = (RTSEMEVENTMULTI)(uintptr_t)16;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiSignal(hNear));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiReset(hNear));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiWaitEx(hNear, 0x50, 0));
    // A wrong magic is found before the flags are looked at.
    RTSEMEVENT hAuto;
    ASSERT_EQ(QINF_SUCCESS, RTSemEventCreate(&hAuto, 0));
    RTSEMEVENTMULTI const hWrong = (RTSEMEVENTMULTI)(void *)hAuto;
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiWaitEx(hWrong, 0xff, 0));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiSignal(hWrong));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTSemEventMultiDestroy(hWrong));
    EXPECT_EQ(QINF_SUCCESS, RTSemEventDestroy(hAuto));
}

} // namespace
