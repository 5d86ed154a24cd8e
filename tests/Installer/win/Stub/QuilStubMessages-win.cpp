// The message boxes through the real user-interface calls. Run by message-box-relay.sh under
// Wine's relay trace, which checks each call's owner, text, title and style; the script sets
// QUILSTUB_TEST_LIVE_BOXES so that a run on a desktop never blocks on a box nobody closes.
#include "QuilStubLazy.h"
#include "QuilStubMessages.h"
#include "QuilStubSettings.h"

#include <gtest/gtest.h>

#include "Runtime/common/ldr/ldr-test-util.h"

#include <cstdlib>

namespace {

TEST(StubBoxLive, EachKindOfBox) {
    if (!getenv("QUILSTUB_TEST_LIVE_BOXES")) GTEST_SKIP() << "shows real boxes; run through message-box-relay.sh";
    ASSERT_TRUE(tstLdrSetUp());
    // Silent: no box, and USER32 is not bound for it (this suite runs alone in its process).
    silentMode = true;
    EXPECT_EQ(1, ReportFailure("Live silent"));
    EXPECT_EQ(NIL_RTLDRMOD, g_QuilStubLazyUser32.Lib.hLdrMod);

    silentMode = false;
    EXPECT_EQ(1, ReportFailure("Live failure %d", 1));
    EXPECT_NE(NIL_RTLDRMOD, g_QuilStubLazyUser32.Lib.hLdrMod);
    EXPECT_EQ(2, ReportSyntaxFailure("Live syntax %s", "two"));
    ReportNotice("Live notice %u", 3u);
    // Not UTF-8: the narrow call gets the bytes unchanged.
    EXPECT_EQ(1, ReportFailure("Live narrow %s", "\xff"));
}

} // namespace
