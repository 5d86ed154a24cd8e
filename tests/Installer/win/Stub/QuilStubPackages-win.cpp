// The package container's default platform calls on Windows: the test program's own raw-data
// resources (QuilStubPackages-win.rc, stored under US English) and the host query compared
// with a direct IsWow64Process.
#include "QuilStubPackages.h"

#include <qrt/err.h>

#include <gtest/gtest.h>

#include <cstring>

#include <windows.h>

namespace {

TEST(StubPackagesWin, ResourcesOfTheProgram) {
    const struct {
        int iLine;
        const char *pszName;
        int rc;
        const char *pachData;
        uint32_t cb;
    } aCases[] = {
        {__LINE__, "QSTUBTEST_DATA", QINF_SUCCESS, "abc\0def", 7},
        // The lookup ignores case.
        {__LINE__, "qstubtest_data", QINF_SUCCESS, "abc\0def", 7},
        {__LINE__, "MANIFEST", QINF_SUCCESS, "quil$tub\0\0\0\0\1\0\0\0\3\0\0\0", 20},
        {__LINE__, "QSTUBTEST_EMPTY", QERR_NO_DATA, nullptr, 0},
        {__LINE__, "QSTUBTEST_NONE", QERR_IO_GEN_FAILURE, nullptr, 0},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        const void *pv = nullptr;
        uint32_t cb = 0;
        EXPECT_EQ(c.rc, LocateEmbeddedResource(c.pszName, &pv, &cb));
        EXPECT_EQ(c.cb, cb);
        if (c.pachData) {
            ASSERT_NE(nullptr, pv);
            EXPECT_EQ(0, memcmp(c.pachData, pv, c.cb));
        } else
            EXPECT_EQ(nullptr, pv);
    }
    unsigned cPackages = 0;
    EXPECT_EQ(QINF_SUCCESS, QueryPackageCount(&cPackages));
    EXPECT_EQ(3u, cPackages);
}

TEST(StubPackagesWin, HostQueryAgreesWithTheSystem) {
    BOOL fWow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &fWow64));
    EXPECT_EQ(fWow64 != FALSE, HostIsWow64());
}

} // namespace
