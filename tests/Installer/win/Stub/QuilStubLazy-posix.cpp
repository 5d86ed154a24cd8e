// The stub's binding tables natively: every slot reaches its stand-in library's function with
// the caller's arguments and brings its result back.
#include "QuilStubLazy.h"

#include <gtest/gtest.h>

#include "Runtime/common/ldr/ldr-test-util.h"

namespace {

// How often the stand-in library was called so far.
static int lazyDllCalls(const char *pszLib) {
    typedef int (*PFNCALLS)(void);
    PFNCALLS pfn = (PFNCALLS)RTLdrGetSystemSymbol(pszLib, "QuilLazyDllCalls");
    return pfn ? pfn() : -1;
}

class QuilStubLazyPosix : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tstLdrSetUp()); }
};

TEST_F(QuilStubLazyPosix, EverySlotReachesItsLibrary) {
    static const RTUTF16 s_wszPkg[] = {'p', '.', 'm', 's', 'i', 0};
    static const RTUTF16 s_wszCmd[] = {'A', '=', '1', 0};
    static const uint8_t s_abDer[] = {0x30, 0x82, 0x01, 0x00};
    static const uint32_t s_auInit[] = {8, 0xff};
    RTUTF16 wszCmdLine[] = {'a', ' ', 'b', 'c', 0};

    int const cMsi = lazyDllCalls("MSI.DLL");
    EXPECT_EQ(3u, g_QuilStubLazyMsi.pfnMsiInstallProductW(s_wszPkg, s_wszCmd));
    EXPECT_EQ(0x1000u ^ 2u, g_QuilStubLazyMsi.pfnMsiEnableLogW(0x1000, s_wszPkg, 2));
    int32_t const iOld = g_QuilStubLazyMsi.pfnMsiSetInternalUI(2, nullptr);
    EXPECT_EQ(2, g_QuilStubLazyMsi.pfnMsiSetInternalUI(iOld, nullptr));
    EXPECT_EQ(cMsi + 4, lazyDllCalls("MSI.DLL"));

    QUILHCERTSTORE hStore = g_QuilStubLazyCrypt32.pfnCertOpenStore((const char *)(uintptr_t)2, 0, 0, 0, nullptr);
    ASSERT_NE(nullptr, hStore);
    QUILPCCERT_CONTEXT pCtx = g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext(1, s_abDer, sizeof(s_abDer));
    ASSERT_NE(nullptr, pCtx);
    EXPECT_EQ(nullptr, g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext(1, s_abDer, 3));
    EXPECT_TRUE(g_QuilStubLazyCrypt32.pfnCertAddCertificateContextToStore(hStore, pCtx, 3, nullptr));
    EXPECT_TRUE(g_QuilStubLazyCrypt32.pfnCertFreeCertificateContext(pCtx));
    EXPECT_TRUE(g_QuilStubLazyCrypt32.pfnCertCloseStore(hStore, 0));

    EXPECT_NE(nullptr, g_QuilStubLazyUser32.pfnGetDesktopWindow());
    EXPECT_EQ(1, g_QuilStubLazyUser32.pfnMessageBoxW(nullptr, s_wszCmd, s_wszPkg, 0));
    EXPECT_EQ(2, g_QuilStubLazyUser32.pfnMessageBoxA(nullptr, "text", "title", 1));

    int cArgs = 0;
    RTUTF16 **papwszArgs = g_QuilStubLazyShell32.pfnCommandLineToArgvW(wszCmdLine, &cArgs);
    ASSERT_NE(nullptr, papwszArgs);
    EXPECT_EQ(2, cArgs);
    EXPECT_EQ('b', papwszArgs[1][0]);
    free(papwszArgs);
    EXPECT_EQ(0x402, g_QuilStubLazyShell32.pfnSHFileOperationW(nullptr));

    EXPECT_TRUE(g_QuilStubLazyComctl32.pfnInitCommonControlsEx((const struct tagINITCOMMONCONTROLSEX *)s_auInit));
}

} // namespace
