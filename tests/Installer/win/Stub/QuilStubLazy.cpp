// The stub's binding tables in both builds: nothing is loaded before a first call, and a first
// call loads only its own library.
#include "QuilStubLazy.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "Runtime/common/ldr/ldr-test-util.h"

namespace {

static void firstCallLoadsItsLibraryOnly() {
    if (!tstLdrSetUp()) exit(10);
    const RTLAZYLIB *apLibs[] = {&g_QuilStubLazyMsi.Lib, &g_QuilStubLazyCrypt32.Lib, &g_QuilStubLazyUser32.Lib,
                                 &g_QuilStubLazyShell32.Lib, &g_QuilStubLazyComctl32.Lib};
    for (const RTLAZYLIB *pLib : apLibs)
        if (pLib->hLdrMod != NIL_RTLDRMOD) exit(11);
    if (!g_QuilStubLazyUser32.pfnGetDesktopWindow()) exit(12);
    for (const RTLAZYLIB *pLib : apLibs)
        if ((pLib->hLdrMod != NIL_RTLDRMOD) != (pLib == &g_QuilStubLazyUser32.Lib)) exit(13);
    exit(0);
}

TEST(QuilStubLazy, NothingLoadsBeforeItsFirstCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(firstCallLoadsItsLibraryOnly(), testing::ExitedWithCode(0), "");
}

TEST(QuilStubLazy, TablesNameTheirLibraries) {
    const struct {
        int iLine;
        const RTLAZYLIB *pLib;
        const char *pszName;
    } aCases[] = {
        {__LINE__, &g_QuilStubLazyMsi.Lib, "MSI.DLL"},           {__LINE__, &g_QuilStubLazyCrypt32.Lib, "CRYPT32.DLL"},
        {__LINE__, &g_QuilStubLazyUser32.Lib, "USER32.DLL"},     {__LINE__, &g_QuilStubLazyShell32.Lib, "SHELL32.DLL"},
        {__LINE__, &g_QuilStubLazyComctl32.Lib, "COMCTL32.DLL"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_STREQ(c.pszName, c.pLib->pszFilename);
    }
}

} // namespace
