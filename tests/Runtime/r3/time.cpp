// The monotonic clock and sleeping, in both builds. These are correctness checks with slack,
// not speed targets.
#include <qrt/err.h>
#include <qrt/time.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(TimeNanoTS, NeverGoesBackwards) {
    // Half a second of back-to-back reads; under Wine the value moves in ~16 ms steps, so equal
    // readings are expected and only a decrease is a fault.
    uint64_t const uStart = RTTimeNanoTS();
    uint64_t uPrev = uStart;
    uint64_t cReads = 0, cSteps = 0;
    while (uPrev - uStart < UINT64_C(500000000)) {
        uint64_t const uNow = RTTimeNanoTS();
        ASSERT_GE(uNow, uPrev) << "after " << cReads << " reads";
        cSteps += uNow != uPrev;
        uPrev = uNow;
        cReads++;
    }
    EXPECT_GE(cSteps, 10u); // it advanced many times, not once by half a second
}

TEST(TimeMilliTS, FollowsNanoTS) {
    uint64_t const uNs1 = RTTimeNanoTS();
    uint64_t const uMs = RTTimeMilliTS();
    uint64_t const uNs2 = RTTimeNanoTS();
    EXPECT_GE(uMs, uNs1 / 1000000);
    EXPECT_LE(uMs, uNs2 / 1000000);
}

TEST(ThreadSleep, ZeroReturnsAtOnce) {
    uint64_t const uStart = RTTimeMilliTS();
    for (int i = 0; i < 10; i++) EXPECT_EQ(QINF_SUCCESS, RTThreadSleep(0));
    EXPECT_LT(RTTimeMilliTS() - uStart, 1000u);
}

TEST(ThreadSleep, SleepsWithinSlack) {
    // None may be short: the clock's own steps (~16 ms under Wine) count into a 20 ms slack.
    // The upper bound only catches a wrong unit (a tenfold sleep); a busy machine (CI's two
    // cores running Wine) can stretch every one of three tries well beyond a tight bound.
    struct {
        int iLine;
        uint32_t cMs;
    } const s_aCases[] = {{__LINE__, 50}, {__LINE__, 120}};
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        uint64_t cMsBest = ~UINT64_C(0);
        for (int iTry = 0; iTry < 3; iTry++) {
            uint64_t const uStart = RTTimeNanoTS();
            EXPECT_EQ(QINF_SUCCESS, RTThreadSleep(c.cMs));
            uint64_t const cMsTook = (RTTimeNanoTS() - uStart) / 1000000;
            EXPECT_GE(cMsTook + 20, c.cMs);
            cMsBest = std::min(cMsBest, cMsTook);
        }
        EXPECT_LE(cMsBest, 2 * c.cMs + 100u);
    }
}

TEST(ThreadYield, ReturnsEitherWay) {
    // Whether a yield let another thread run depends on the machine, so its answer is not
    // checked; only that a long run of yields does not stall.
    uint64_t const uStart = RTTimeMilliTS();
    for (int i = 0; i < 1000; i++) (void)RTThreadYield();
    EXPECT_LT(RTTimeMilliTS() - uStart, 5000u);
}

} // namespace
