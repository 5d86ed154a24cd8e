// The version record against a direct RtlGetVersion call in the same prefix (the prefix's
// version is whatever it is configured to be), and the process id.
#include <qrt/system.h>

#include "r3/system-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

typedef LONG(WINAPI *PFNRTLGETVERSION)(OSVERSIONINFOEXW *);

TEST(SystemWin, RecordMatchesRtlGetVersion) {
    PFNRTLGETVERSION pfn = (PFNRTLGETVERSION)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    ASSERT_NE(nullptr, pfn);
    OSVERSIONINFOEXW Info = {};
    Info.dwOSVersionInfoSize = sizeof(Info);
    ASSERT_EQ(0, pfn(&Info));

    const RTSYSVERSIONREC *pRec = rtSystemGetVersionRec();
    EXPECT_EQ(284u, pRec->cbFilled);
    EXPECT_EQ(Info.dwMajorVersion, pRec->uMajor);
    EXPECT_EQ(Info.dwMinorVersion, pRec->uMinor);
    EXPECT_EQ(Info.dwBuildNumber, pRec->uBuild);
    EXPECT_EQ(2u, pRec->uPlatformId);
    EXPECT_EQ(RTSYSTEM_MAKE_NT_VERSION(Info.dwMajorVersion, Info.dwMinorVersion, Info.dwBuildNumber),
              RTSystemGetNtVersion());
    EXPECT_EQ(Info.wProductType, RTSystemGetNtProductType());
    EXPECT_NE(0u, RTSystemGetNtProductType());
    // Whatever the prefix runs, it is an NT system the table knows.
    EXPECT_GT((uint32_t)rtSystemGetOsType(), 100u);
    EXPECT_NE(RTSYSOSTYPE_NT_UNKNOWN, rtSystemGetOsType());
}

TEST(SystemWin, PidIsTheProcessId) {
    EXPECT_EQ(GetCurrentProcessId(), RTProcSelf());
}

} // namespace
