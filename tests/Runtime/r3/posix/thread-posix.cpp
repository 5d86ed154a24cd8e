// Threads on POSIX hosts: reading the thread's record never changes errno, and the main thread
// carries its name for the system.
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <pthread.h>

#include "Runtime/r3/init-test-util.h"

namespace {

TEST(ThreadPosix, SelfKeepsErrno) {
    ASSERT_EQ(0, tstRuntimeInit());
    const int aiErrnos[] = {EACCES, ENOENT, 0};
    for (int iErrno : aiErrnos) {
        SCOPED_TRACE(iErrno);
        errno = iErrno;
        EXPECT_NE(NIL_RTTHREAD, RTThreadSelf());
        EXPECT_NE(nullptr, RTThreadSelfName());
        EXPECT_EQ(iErrno, errno);
    }
}

TEST(ThreadPosix, MainThreadIsNamedForTheSystem) {
    ASSERT_EQ(0, tstRuntimeInit());
    char szName[16] = "";
    ASSERT_EQ(0, pthread_getname_np(pthread_self(), szName, sizeof(szName)));
    EXPECT_STREQ("main", szName);
}

} // namespace
