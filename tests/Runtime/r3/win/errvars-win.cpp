// The error variables on Windows: the last error and the sockets error around reports.
#include <qrt/assert.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "Runtime/r3/init-test-util.h"
#include "Runtime/r3/testplatform.h"

#include <windows.h>

namespace {

TEST(ErrVarsWin, ReportKeepsLastErrorAndErrno) {
    TestCaptureBegin(stderr);
    errno = 2;
    SetLastError(5);
    RTAssertMsg1("x", 1, "f", "g");
    DWORD const dw1 = GetLastError();
    int const i1 = errno;
    RTAssertMsg2("%s %Rrc\n", "y", -2);
    DWORD const dw2 = GetLastError();
    int const i2 = errno;
    bool const fPanic = RTAssertShouldPanic();
    DWORD const dw3 = GetLastError();
    TestCaptureEnd();
    EXPECT_EQ(5u, dw1);
    EXPECT_EQ(2, i1);
    EXPECT_EQ(5u, dw2);
    EXPECT_EQ(2, i2);
    EXPECT_EQ(5u, dw3);
    RT_NOREF(fPanic);
}

typedef int(WINAPI *PFNWSAGETLASTERROR)(void);
typedef void(WINAPI *PFNWSASETLASTERROR)(int);

// Before initialisation bound the sockets library's accessors, the sockets error is "not
// initialised"; afterwards it is saved and restored.
static void socketsErrorBeforeInit() {
    RTERRVARS Vars;
    SetLastError(5);
    RTErrVarsSave(&Vars);
    bool const fOk = Vars.ai32Vars[2] == RTERRVARS_WSA_NOT_INITIALISED && Vars.ai32Vars[1] == 5 &&
                     GetLastError() == 5 && !GetModuleHandleW(L"ws2_32.dll");
    exit(fOk ? 0 : 1);
}

TEST(ErrVarsWin, SocketsErrorBoundByInitialisation) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(socketsErrorBeforeInit(), testing::ExitedWithCode(0), "");
    ASSERT_EQ(0, tstRuntimeInit());
    RTERRVARS Vars;
    if (!GetModuleHandleW(L"ws2_32.dll") && !GetModuleHandleW(L"wsock32.dll")) {
        SetLastError(5);
        RTErrVarsSave(&Vars);
        EXPECT_EQ(RTERRVARS_WSA_NOT_INITIALISED, Vars.ai32Vars[2]);
        EXPECT_EQ(5, Vars.ai32Vars[1]);
        EXPECT_EQ(5u, GetLastError());
        EXPECT_EQ(nullptr, GetModuleHandleW(L"ws2_32.dll")); // the save did not load it
    }
    HMODULE hmod = LoadLibraryW(L"ws2_32.dll");
    ASSERT_NE(nullptr, hmod);
    PFNWSASETLASTERROR pfnSet = (PFNWSASETLASTERROR)(void *)GetProcAddress(hmod, "WSASetLastError");
    PFNWSAGETLASTERROR pfnGet = (PFNWSAGETLASTERROR)(void *)GetProcAddress(hmod, "WSAGetLastError");
    ASSERT_NE(nullptr, pfnSet);
    ASSERT_NE(nullptr, pfnGet);
    pfnSet(10054);
    RTErrVarsSave(&Vars);
    EXPECT_EQ(10054, Vars.ai32Vars[2]);
    pfnSet(10060);
    SetLastError(3);
    RTErrVarsRestore(&Vars);
    EXPECT_EQ(10054, pfnGet());
    EXPECT_EQ((DWORD)Vars.ai32Vars[1], GetLastError());
}

} // namespace
