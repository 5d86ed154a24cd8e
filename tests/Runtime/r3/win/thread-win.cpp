// Threads on Windows: reading the thread's record never changes its last error, and the main
// thread carries its name for debuggers.
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include "Runtime/r3/init-test-util.h"

#include <windows.h>

namespace {

TEST(ThreadWin, SelfKeepsTheLastError) {
    ASSERT_EQ(0, tstRuntimeInit());
    RTTLS iTls = RTTlsAlloc();
    ASSERT_NE(NIL_RTTLS, iTls);
    const DWORD adwErrors[] = {ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, 0, 0xDEADBEEF};
    for (DWORD dwError : adwErrors) {
        SCOPED_TRACE(dwError);
        SetLastError(dwError);
        EXPECT_NE(NIL_RTTHREAD, RTThreadSelf());
        EXPECT_EQ(dwError, GetLastError());
        SetLastError(dwError);
        EXPECT_NE(nullptr, RTThreadSelfName());
        EXPECT_EQ(dwError, GetLastError());
        SetLastError(dwError);
        EXPECT_EQ(nullptr, RTTlsGet(iTls));
        EXPECT_EQ(dwError, GetLastError());
    }
    RTTlsFree(iTls);
}

typedef HRESULT(WINAPI *PFNGETTHREADDESCRIPTION)(HANDLE hThread, PWSTR *ppwszDescription);

TEST(ThreadWin, MainThreadIsNamedForTheSystem) {
    ASSERT_EQ(0, tstRuntimeInit());
    PFNGETTHREADDESCRIPTION pfnGet =
        (PFNGETTHREADDESCRIPTION)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription");
    if (!pfnGet) GTEST_SKIP() << "no GetThreadDescription on this system";
    PWSTR pwszName = nullptr;
    ASSERT_TRUE(SUCCEEDED(pfnGet(GetCurrentThread(), &pwszName)));
    EXPECT_STREQ(L"main", pwszName);
    LocalFree(pwszName);
}

} // namespace
