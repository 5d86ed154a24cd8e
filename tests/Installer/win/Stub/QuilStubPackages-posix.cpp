// The package container's default platform calls on a host without resources: the table a
// test fills, looked up without regard to case, and a 64-bit host.
#include "QuilStubPackages.h"
#include "QuilStubPackages-internal.h"

#include <qrt/cdefs.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

namespace {

TEST(StubPackagesPosix, ResourceTable) {
    static const char s_abData[] = "abc\0def";
    static const char s_abManifest[20] = {'q', 'u', 'i', 'l', '$', 't', 'u', 'b', 0, 0, 0, 0, 1, 0, 0, 0, 3};
    static const StubResourceEntry s_aTable[] = {
        {"MANIFEST", s_abManifest, sizeof(s_abManifest)},
        {"QSTUBTEST_DATA", s_abData, 7},
        {"QSTUBTEST_EMPTY", nullptr, 0},
    };
    g_paStubResources = s_aTable;
    g_cStubResources = RT_ELEMENTS(s_aTable);
    const struct {
        int iLine;
        const char *pszName;
        int rc;
        const void *pv;
        uint32_t cb;
    } aCases[] = {
        {__LINE__, "QSTUBTEST_DATA", QINF_SUCCESS, s_abData, 7},
        {__LINE__, "qstubtest_Data", QINF_SUCCESS, s_abData, 7},
        {__LINE__, "QSTUBTEST_DAT", QERR_IO_GEN_FAILURE, nullptr, 0},
        {__LINE__, "QSTUBTEST_DATAX", QERR_IO_GEN_FAILURE, nullptr, 0},
        {__LINE__, "QSTUBTEST_EMPTY", QERR_NO_DATA, nullptr, 0},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        const void *pv = nullptr;
        uint32_t cb = 0;
        EXPECT_EQ(c.rc, LocateEmbeddedResource(c.pszName, &pv, &cb));
        EXPECT_EQ(c.pv, pv);
        EXPECT_EQ(c.cb, cb);
    }
    unsigned cPackages = 0;
    EXPECT_EQ(QINF_SUCCESS, QueryPackageCount(&cPackages));
    EXPECT_EQ(3u, cPackages);

    g_paStubResources = nullptr;
    g_cStubResources = 0;
    EXPECT_EQ(QERR_IO_GEN_FAILURE, QueryPackageCount(&cPackages));
}

TEST(StubPackagesPosix, HostIsSixtyFourBit) {
    EXPECT_EQ(sizeof(void *) == 8, HostIsWow64());
}

} // namespace
