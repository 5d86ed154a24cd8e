// Lazy binding: a slot binds on its first call through the loader and never consults it again;
// a library or symbol that cannot be had ends the process with a report and a breakpoint.
#include <qrt/err.h>
#include <qrt/lazybind.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "Runtime/common/ldr/ldr-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "common/ldr/lazybind-internal.h"

namespace {

// Tables of the tests' own, so that no other test has bound them before.
struct TSTLAZYUSER32 {
    RTLAZYLIB Lib;
    void *(RTLAZY_WINAPI *pfnGetDesktopWindow)(void);
    void *(RTLAZY_WINAPI *pfnQrtNoSuchExport)(void);
};
extern TSTLAZYUSER32 g_TstLazyUser32;
RTLAZY_RESOLVER(g_TstLazyUser32, void *, GetDesktopWindow, (void), ())
RTLAZY_RESOLVER(g_TstLazyUser32, void *, QrtNoSuchExport, (void), ())
TSTLAZYUSER32 g_TstLazyUser32 = {
    RTLAZYLIB_INITIALIZER("USER32.DLL"),
    RTLAZY_RESOLVER_NAME(GetDesktopWindow),
    RTLAZY_RESOLVER_NAME(QrtNoSuchExport),
};

struct TSTLAZYMISSING {
    RTLAZYLIB Lib;
    int(RTLAZY_WINAPI *pfnQrtAnything)(int iArg);
};
extern TSTLAZYMISSING g_TstLazyMissing;
RTLAZY_RESOLVER(g_TstLazyMissing, int, QrtAnything, (int iArg), (iArg))
TSTLAZYMISSING g_TstLazyMissing = {
    RTLAZYLIB_INITIALIZER("QRTNOSUCH.DLL"),
    RTLAZY_RESOLVER_NAME(QrtAnything),
};

unsigned g_cLoads;
unsigned g_cSymbols;

int countingLoadSystem(const char *pszFilename, bool fNoUnload, PRTLDRMOD phLdrMod) {
    g_cLoads++;
    return RTLdrLoadSystem(pszFilename, fNoUnload, phLdrMod);
}

int countingGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue) {
    g_cSymbols++;
    return RTLdrGetSymbol(hLdrMod, pszSymbol, ppvValue);
}

class LazyBind : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tstLdrSetUp());
        m_Saved = g_rtLazyLdrCalls;
        g_rtLazyLdrCalls.pfnLoadSystem = countingLoadSystem;
        g_rtLazyLdrCalls.pfnGetSymbol = countingGetSymbol;
        g_cLoads = g_cSymbols = 0;
    }
    void TearDown() override { g_rtLazyLdrCalls = m_Saved; }
    RTLAZYLDRCALLS m_Saved;
};

TEST_F(LazyBind, FirstCallBindsThroughTheLoaderLaterOnesDoNot) {
    void *pvResolver = (void *)g_TstLazyUser32.pfnGetDesktopWindow;
    void *pvExpected = RTLdrGetSystemSymbol("USER32.DLL", "GetDesktopWindow");
    ASSERT_NE(nullptr, pvExpected);
    EXPECT_EQ(NIL_RTLDRMOD, g_TstLazyUser32.Lib.hLdrMod);

    void *pvDesktop = g_TstLazyUser32.pfnGetDesktopWindow();
    EXPECT_NE(nullptr, pvDesktop);
    EXPECT_EQ(1u, g_cLoads);
    EXPECT_EQ(1u, g_cSymbols);
    EXPECT_NE(NIL_RTLDRMOD, g_TstLazyUser32.Lib.hLdrMod);
    EXPECT_NE(pvResolver, (void *)g_TstLazyUser32.pfnGetDesktopWindow);
    EXPECT_EQ(pvExpected, (void *)g_TstLazyUser32.pfnGetDesktopWindow);

    // Straight to the function now; the result is the same.
    EXPECT_EQ(pvDesktop, g_TstLazyUser32.pfnGetDesktopWindow());
    EXPECT_EQ(pvDesktop, g_TstLazyUser32.pfnGetDesktopWindow());
    EXPECT_EQ(1u, g_cLoads);
    EXPECT_EQ(1u, g_cSymbols);

    // The library's record serves the table's other slots without loading again.
    EXPECT_EQ(g_TstLazyUser32.Lib.hLdrMod, RTLazyLibGetModule(&g_TstLazyUser32.Lib));
    EXPECT_EQ(1u, g_cLoads);
}

TEST_F(LazyBind, ArgumentsAndResultPassThroughTheResolver) {
    // A table over a library with a function taking arguments: the stand-ins in both builds
    // have one that reports what it got.
    struct TSTLAZYMSI {
        RTLAZYLIB Lib;
        int32_t(RTLAZY_WINAPI *pfnMsiSetInternalUI)(int32_t iLevel, void **phWnd);
    };
    static TSTLAZYMSI s_Msi;
    struct Resolver {
        static int32_t RTLAZY_WINAPI MsiSetInternalUI(int32_t iLevel, void **phWnd) {
            RTLazyLibResolve(&s_Msi.Lib, (void *volatile *)(void *)&s_Msi.pfnMsiSetInternalUI, "MsiSetInternalUI");
            return s_Msi.pfnMsiSetInternalUI(iLevel, phWnd);
        }
    };
    s_Msi.Lib.pszFilename = "MSI.DLL";
    s_Msi.Lib.hLdrMod = NIL_RTLDRMOD;
    s_Msi.pfnMsiSetInternalUI = Resolver::MsiSetInternalUI;
    // The first call goes through the resolver and must set the level like the direct one.
    int32_t const iFirst = s_Msi.pfnMsiSetInternalUI(3 /*basic*/, nullptr);
    EXPECT_NE(3, iFirst);
    EXPECT_EQ(3, s_Msi.pfnMsiSetInternalUI(2 /*none*/, nullptr));
    EXPECT_EQ(2, s_Msi.pfnMsiSetInternalUI(iFirst, nullptr));
    EXPECT_EQ(1u, g_cLoads);
}

static void callMissingSymbol() {
    g_TstLazyUser32.pfnQrtNoSuchExport();
    exit(0);
}

static void callMissingLibrary() {
    g_TstLazyMissing.pfnQrtAnything(1);
    exit(0);
}

TEST_F(LazyBind, WhatCannotBeBoundEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(callMissingSymbol(), TestExitedThroughBreakpoint,
                "Lazy loader failed to resolve symbol \"QrtNoSuchExport\" in \"USER32.DLL\": QERR_SYMBOL_NOT_FOUND");
    EXPECT_EXIT(callMissingLibrary(), TestExitedThroughBreakpoint,
                "Lazy loader failed to load \"QRTNOSUCH.DLL\": QERR_MODULE_NOT_FOUND");
}

} // namespace
