// The package container over a resource table of the test's own (through the platform-call
// table, in both builds): lookups and their failures, the manifest's and headers' size and
// terminator checks, the file-name check, and the architecture match against each kind of host.
#include "QuilStubPackages.h"
#include "QuilStubPackages-internal.h"

#include <qrt/cdefs.h>
#include <qrt/err.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The test's resources, and what the fake platform calls saw and should do.
struct FakeResource {
    std::string Name;
    std::vector<uint8_t> Data;
};
std::vector<FakeResource> g_FakeResources;
std::string g_LastName;
bool g_fFailLoad, g_fFailLock;

void *fakeFind(const RTUTF16 *pwszName) {
    g_LastName.clear();
    for (; *pwszName; pwszName++) g_LastName += *pwszName < 0x80 ? (char)*pwszName : '?';
    for (FakeResource &Res : g_FakeResources)
        if (Res.Name == g_LastName) return &Res;
    return nullptr;
}
uint32_t fakeSizeof(void *hResInfo) {
    return (uint32_t) static_cast<FakeResource *>(hResInfo)->Data.size();
}
void *fakeLoad(void *hResInfo) {
    return g_fFailLoad ? nullptr : hResInfo;
}
const void *fakeLock(void *hResData) {
    return g_fFailLock ? nullptr : static_cast<FakeResource *>(hResData)->Data.data();
}

// The host: the query's existence, its success and its answer.
enum Host { kHost32, kHost64, kHostNoQuery, kHostQueryFails, kHostQuerySilent };
Host g_enmHost;
bool fakeIsWow64(bool *pfWow64) {
    switch (g_enmHost) {
    case kHost32:
        *pfWow64 = false;
        return true;
    case kHost64:
        *pfWow64 = true;
        return true;
    case kHostQueryFails:
        *pfWow64 = true; // what a failing query left behind must not count
        return false;
    default:
        return true; // succeeds without answering: the preset stands
    }
}
PFNSTUBISWOW64 fakeLookupIsWow64(void) {
    return g_enmHost == kHostNoQuery ? nullptr : fakeIsWow64;
}

class StubPackages : public testing::Test {
protected:
    void SetUp() override {
        m_Saved = g_StubPackageCalls;
        g_StubPackageCalls = StubPackageCalls{fakeFind, fakeSizeof, fakeLoad, fakeLock, fakeLookupIsWow64};
        g_FakeResources.clear();
        g_fFailLoad = g_fFailLock = false;
    }
    void TearDown() override { g_StubPackageCalls = m_Saved; }
    StubPackageCalls m_Saved;
};

std::vector<uint8_t> bytes(const char *psz, size_t cb) {
    return std::vector<uint8_t>(psz, psz + cb);
}

// A header: architecture, then both names each in its 260-byte field; cb trims or extends it.
std::vector<uint8_t> header(uint8_t bArch, const std::string &ResName, const std::string &FileName, size_t cb = 521) {
    std::vector<uint8_t> Data(521, 0);
    Data[0] = bArch;
    memcpy(&Data[1], ResName.data(), RT_MIN(ResName.size(), (size_t)260));
    memcpy(&Data[261], FileName.data(), RT_MIN(FileName.size(), (size_t)260));
    Data.resize(cb, 0);
    return Data;
}

TEST_F(StubPackages, LocateEmbeddedResource) {
    g_FakeResources = {{"BIN_00", bytes("\xd0\xcf\x11\xe0", 4)}, {"EMPTY", {}}};
    const struct {
        int iLine;
        const char *pszName;
        bool fFailLoad, fFailLock;
        int rc;
        uint32_t cb;
    } aCases[] = {
        {__LINE__, "BIN_00", false, false, QINF_SUCCESS, 4},
        {__LINE__, nullptr, false, false, QERR_INVALID_PARAMETER, 0},
        {__LINE__, "BIN_01", false, false, QERR_IO_GEN_FAILURE, 0},
        {__LINE__, "", false, false, QERR_IO_GEN_FAILURE, 0},
        {__LINE__, "EMPTY", false, false, QERR_NO_DATA, 0},
        {__LINE__, "BIN_00", true, false, QERR_IO_GEN_FAILURE, 0},
        {__LINE__, "BIN_00", false, true, QERR_IO_GEN_FAILURE, 0},
        {__LINE__, "BIN\xff", false, false, QERR_INVALID_UTF8_ENCODING, 0},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_fFailLoad = c.fFailLoad;
        g_fFailLock = c.fFailLock;
        const void *pv = &aCases;
        uint32_t cb = 12345;
        EXPECT_EQ(c.rc, LocateEmbeddedResource(c.pszName, &pv, &cb));
        if (c.rc == QINF_SUCCESS) {
            EXPECT_EQ(g_FakeResources[0].Data.data(), pv);
            EXPECT_EQ(c.cb, cb);
            // The size is optional.
            pv = nullptr;
            EXPECT_EQ(QINF_SUCCESS, LocateEmbeddedResource(c.pszName, &pv, nullptr));
            EXPECT_EQ(g_FakeResources[0].Data.data(), pv);
        } else {
            EXPECT_EQ(&aCases, pv);
            EXPECT_EQ(12345u, cb);
        }
    }
}

TEST_F(StubPackages, QueryPackageCount) {
    const struct {
        int iLine;
        std::vector<uint8_t> Manifest;
        int rc;
        unsigned cPackages;
    } aCases[] = {
        {__LINE__, bytes("quil$tub\0\0\0\0\1\0\0\0\3\0\0\0", 20), QINF_SUCCESS, 3},
        // Magic and version are not compared; only the count is read.
        {__LINE__, bytes("nottheoneXYZ\7\0\0\0\xff\0\0\0", 20), QINF_SUCCESS, 255},
        {__LINE__, bytes("quil$tub\0\0\0\0\1\0\0\0\0", 17), QINF_SUCCESS, 0},
        {__LINE__, bytes("quil$tub\0\0\0\0\1\0\0\0", 16), QERR_BAD_EXE_FORMAT, 99},
        {__LINE__, bytes("q", 1), QERR_BAD_EXE_FORMAT, 99},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_FakeResources = {{"MANIFEST", c.Manifest}};
        unsigned cPackages = 99;
        EXPECT_EQ(c.rc, QueryPackageCount(&cPackages));
        EXPECT_EQ(c.cPackages, cPackages);
    }
    g_FakeResources.clear();
    unsigned cPackages = 99;
    EXPECT_EQ(QERR_IO_GEN_FAILURE, QueryPackageCount(&cPackages));
    EXPECT_EQ(99u, cPackages);
}

TEST_F(StubPackages, LocatePackageHeader) {
    std::string const Long259(259, 'N');
    std::string const Long260(260, 'N');
    const struct {
        int iLine;
        unsigned iPackage;
        std::vector<uint8_t> Header;
        const char *pszLookedUp;
        int rc;
    } aCases[] = {
        {__LINE__, 0, header(2, "BIN_00", "setup.msi"), "HDR_00", QINF_SUCCESS},
        {__LINE__, 7, header(0, "BIN_07", "data.cab"), "HDR_07", QINF_SUCCESS},
        {__LINE__, 123, header(1, "BIN_123", "x.msi"), "HDR_123", QINF_SUCCESS},
        {__LINE__, 0, header(2, Long259, Long259), "HDR_00", QINF_SUCCESS},
        {__LINE__, 0, header(2, "BIN_00", "a.msi", 600), "HDR_00", QINF_SUCCESS},
        // Too short, or a name running into the next field or past the resource.
        {__LINE__, 0, header(2, "BIN_00", "a.msi", 520), "HDR_00", QERR_BAD_EXE_FORMAT},
        {__LINE__, 0, header(2, "BIN_00", "a.msi", 1), "HDR_00", QERR_BAD_EXE_FORMAT},
        {__LINE__, 0, header(2, Long260, "a.msi"), "HDR_00", QERR_BAD_EXE_FORMAT},
        {__LINE__, 0, header(2, "BIN_00", Long260), "HDR_00", QERR_BAD_EXE_FORMAT},
        {__LINE__, 0, {}, "HDR_00", QERR_NO_DATA},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_FakeResources = {{c.pszLookedUp, c.Header}};
        const StubPackage *pHeader = nullptr;
        EXPECT_EQ(c.rc, LocatePackageHeader(c.iPackage, &pHeader));
        EXPECT_EQ(c.pszLookedUp, g_LastName);
        if (c.rc == QINF_SUCCESS) {
            ASSERT_EQ((const void *)g_FakeResources[0].Data.data(), (const void *)pHeader);
            EXPECT_EQ(c.Header[0], pHeader->bArch);
            EXPECT_EQ(std::string((const char *)&c.Header[1]), pHeader->szResourceName);
            EXPECT_EQ(std::string((const char *)&c.Header[261]), pHeader->szFileName);
        } else
            EXPECT_EQ(nullptr, pHeader);
    }
    g_FakeResources.clear();
    const StubPackage *pHeader = nullptr;
    EXPECT_EQ(QERR_IO_GEN_FAILURE, LocatePackageHeader(3, &pHeader));
    EXPECT_EQ("HDR_03", g_LastName);
}

TEST(StubPackageFileName, OnlyPlainNamesPass) {
    const struct {
        int iLine;
        const char *pszName;
        int rc;
    } aCases[] = {
        {__LINE__, "Quillarium-1.0.msi", QINF_SUCCESS},
        {__LINE__, "data1.cab", QINF_SUCCESS},
        {__LINE__, ".custom", QINF_SUCCESS},
        {__LINE__, "a..b", QINF_SUCCESS},
        {__LINE__, " lead.msi", QINF_SUCCESS},
        {__LINE__, "caf\xc3\xa9.msi", QINF_SUCCESS},
        {__LINE__, "console.msi", QINF_SUCCESS},
        {__LINE__, "CONX", QINF_SUCCESS},
        {__LINE__, "COM0.msi", QINF_SUCCESS},
        {__LINE__, "COM10", QINF_SUCCESS},
        {__LINE__, "LPT", QINF_SUCCESS},
        {__LINE__, "xNUL", QINF_SUCCESS},
        {__LINE__, "", QERR_INVALID_NAME},
        {__LINE__, ".", QERR_INVALID_NAME},
        {__LINE__, "..", QERR_INVALID_NAME},
        {__LINE__, "..\\..\\evil.msi", QERR_INVALID_NAME},
        {__LINE__, "../evil.msi", QERR_INVALID_NAME},
        {__LINE__, "sub\\a.msi", QERR_INVALID_NAME},
        {__LINE__, "sub/a.msi", QERR_INVALID_NAME},
        {__LINE__, "C:a.msi", QERR_INVALID_NAME},
        {__LINE__, "a.msi:stream", QERR_INVALID_NAME},
        {__LINE__, "a\tb.msi", QERR_INVALID_NAME},
        {__LINE__, "a\nb.msi", QERR_INVALID_NAME},
        {__LINE__, "a\x1f.msi", QERR_INVALID_NAME},
        {__LINE__, "a\x7f.msi", QERR_INVALID_NAME},
        {__LINE__, "a.msi.", QERR_INVALID_NAME},
        {__LINE__, "a.msi ", QERR_INVALID_NAME},
        {__LINE__, "a\xff.msi", QERR_INVALID_NAME},
        {__LINE__, "CON", QERR_INVALID_NAME},
        {__LINE__, "con", QERR_INVALID_NAME},
        {__LINE__, "Prn.msi", QERR_INVALID_NAME},
        {__LINE__, "AUX.tar.gz", QERR_INVALID_NAME},
        {__LINE__, "nul.msi", QERR_INVALID_NAME},
        {__LINE__, "NUL .msi", QERR_INVALID_NAME},
        {__LINE__, "COM1", QERR_INVALID_NAME},
        {__LINE__, "com9.cab", QERR_INVALID_NAME},
        {__LINE__, "LPT1.msi", QERR_INVALID_NAME},
        {__LINE__, "lpt9", QERR_INVALID_NAME},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.rc, CheckPackageFileName(c.pszName));
    }
}

TEST_F(StubPackages, FitsHost) {
    // Per host: HostIsWow64, then whether architectures 0, 1, 2, 3 and 255 fit.
    const struct {
        int iLine;
        Host enmHost;
        bool fWow64;
        bool afFits[5];
    } aCases[] = {
        {__LINE__, kHost32, false, {true, true, false, false, false}},
        {__LINE__, kHost64, true, {true, false, true, false, false}},
        {__LINE__, kHostNoQuery, true, {true, false, true, false, false}},
        {__LINE__, kHostQueryFails, false, {true, true, false, false, false}},
        {__LINE__, kHostQuerySilent, true, {true, false, true, false, false}},
    };
    const uint8_t abArch[] = {0, 1, 2, 3, 255};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        g_enmHost = c.enmHost;
        EXPECT_EQ(c.fWow64, HostIsWow64());
        for (size_t i = 0; i < RT_ELEMENTS(abArch); i++) {
            SCOPED_TRACE(testing::Message() << "arch " << (unsigned)abArch[i]);
            std::vector<uint8_t> Data = header(abArch[i], "BIN_00", "a.msi");
            EXPECT_EQ(c.afFits[i], PackageFitsHost(reinterpret_cast<const StubPackage *>(Data.data())));
        }
    }
}

} // namespace
