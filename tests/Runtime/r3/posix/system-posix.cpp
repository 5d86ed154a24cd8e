// Without Windows the version record stays empty and the process id is the C library's.
#include <qrt/system.h>

#include "r3/system-internal.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(SystemPosix, NoVersionAndTheRealPid) {
    EXPECT_EQ(0u, rtSystemGetVersionRec()->cbFilled);
    EXPECT_EQ(0u, RTSystemGetNtVersion());
    EXPECT_EQ(0u, RTSystemGetNtProductType());
    EXPECT_EQ((RTPROCESS)getpid(), RTProcSelf());
}

} // namespace
