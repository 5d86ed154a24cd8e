// The standard streams on POSIX systems: no console API and a UTF-8 code set, so redirected
// text arrives as the bytes written.
#include <qrt/err.h>
#include <qrt/stream.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/testplatform.h"
#include "r3/stream-internal.h"

namespace {

TEST(StrmPosix, RedirectedStdoutGetsTheBytes) {
    TestCaptureBegin(stdout);
    int const cch = RTPrintf("caf\xc3\xa9 \xe2\x9c\x93\n");
    std::string const Out = TestCaptureEnd();
    EXPECT_EQ(10, cch);
    EXPECT_EQ("caf\xc3\xa9 \xe2\x9c\x93\n", Out);
}

TEST(StrmPosix, NoStreamIsAConsole) {
    for (FILE *pFile : {stdin, stdout, stderr}) EXPECT_EQ(nullptr, g_rtStrmPlatform.pfnQueryConsole(pFile));
    size_t cwc = 99;
    EXPECT_TRUE(RT_FAILURE(g_rtStrmPlatform.pfnWriteConsole(nullptr, nullptr, 0, &cwc)));
    EXPECT_EQ(0u, cwc);
    EXPECT_TRUE(g_rtStrmPlatform.pfnCheckMode(stdout, true));
    EXPECT_FALSE(g_rtStrmPlatform.pfnCheckMode(stdout, false));
}

} // namespace
