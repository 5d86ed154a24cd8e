// The certificate steps through a fake CryptoAPI in the CRYPT32.DLL slots: what each call is
// given, the messages of each failure, that every context and store is freed and closed once,
// the Windows version rule of the timestamp CA step, and, through whole runs, which options
// and hosts add which certificates and that a failure installs nothing.
#include "QuilStubCertData.h"
#include "QuilStubCertUtil.h"
#include "QuilStub.h"
#include "QuilStubCleanup.h"
#include "QuilStubLazy.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubSettings.h"

#include <qrt/path.h>
#include <qrt/system.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "Installer/win/Stub/stub-stage-fakes.h"
#include "Installer/win/Stub/stub-file-faults.h"
#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/tst-platform.h"

namespace {

using namespace stubtest;

unsigned countOf(const std::string &Str, const char *pszNeedle) {
    unsigned c = 0;
    for (size_t off = 0; (off = Str.find(pszNeedle, off)) != std::string::npos; off++) c++;
    return c;
}

const uint8_t g_abDer[] = {0x30, 0x03, 0x02, 0x01, 0x00};

TEST(StubCerts, AddDerCertificate) {
    // Which call fails (0: none) with which last error; what happens and what is said.
    const struct {
        int iLine;
        int iFail; // 1 create, 2 open, 3 add
        uint32_t uLastError;
        bool fOk;
        const char *pszCalls;
        const char *pszErr;
    } aCases[] = {
        {__LINE__, 0, 0, true, "create(0x10001,5) open(10,0x10001,0,0x20000,My Store) add(3) close(2) free ", ""},
        // Junk bytes: the error CryptoAPI gives for them, as a signed number.
        {__LINE__, 1, 0x8009310B, false, "create(0x10001,5) ",
         "P: error: Unable to get certificate context: -2146881269\n"},
        {__LINE__, 2, 5, false, "create(0x10001,5) open(10,0x10001,0,0x20000,My Store) free ",
         "P: error: Unable to open certificates store: 5\n"},
        {__LINE__, 3, 0x80070005, false, "create(0x10001,5) open(10,0x10001,0,0x20000,My Store) add(3) close(2) free ",
         "P: error: Unable to install certificate: -2147024891\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        StubFakeCrypt32 Crypt;
        if (c.iFail == 1) Crypt.FailCreate(1, c.uLastError);
        if (c.iFail == 2) Crypt.FailOpen(1, c.uLastError);
        if (c.iFail == 3) Crypt.FailAdd(1, c.uLastError);
        StubCapture Capture;
        silentMode = false; // the detail goes to standard error in either mode
        // The open-existing flag is cleared whatever the caller passes.
        EXPECT_EQ(c.fOk, AddDerCertificate(QUILSTUB_CERT_SYSTEM_STORE_LOCAL_MACHINE | 0x4000, "My Store", g_abDer,
                                           sizeof(g_abDer)));
        EXPECT_EQ(c.pszCalls, Crypt.Calls());
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        EXPECT_EQ("", Capture.Boxes());
        EXPECT_EQ(0, Crypt.OpenContexts());
        EXPECT_EQ(0, Crypt.OpenStores());
    }
}

TEST(StubCerts, PublisherCertificates) {
    std::string const One = "TrustedPublisher(" + std::to_string(g_cbStubPublisherCert1) + ") ";
    std::string const Two = "TrustedPublisher(" + std::to_string(g_cbStubPublisherCert2) + ") ";
    const struct {
        int iLine;
        unsigned iFailAdd; // the nth add fails; 0 none
        int iResult;
        std::string Added;
        unsigned cCreates;
        const char *pszErr;
    } aCases[] = {
        {__LINE__, 0, 0, One + Two, 2, ""},
        // The first fails: the second is never tried.
        {__LINE__, 1, 1, "", 1,
         "P: error: Unable to install certificate: 5\n"
         "P: error: Failed to add our certificate(s) to trusted publisher store.\n"},
        {__LINE__, 2, 1, One, 2,
         "P: error: Unable to install certificate: 5\n"
         "P: error: Failed to add our certificate(s) to trusted publisher store.\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        StubFakeCrypt32 Crypt;
        Crypt.FailAdd(c.iFailAdd, 5);
        StubCapture Capture;
        silentMode = true;
        EXPECT_EQ(c.iResult, AddPublisherCertificates());
        EXPECT_EQ(c.Added, Crypt.Added());
        EXPECT_EQ(c.cCreates, countOf(Crypt.Calls(), "create("));
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        EXPECT_EQ(0, Crypt.OpenContexts() + Crypt.OpenStores());
    }
}

TEST(StubCerts, TimestampCaByHost) {
    std::string const Root = "Root(" + std::to_string(g_cbStubTimestampCaCert) + ") ";
    const struct {
        int iLine;
        uint32_t uMajor, uMinor, uBuild;
        uint8_t bProductType;
        bool fForced;
        bool fAdded;
    } aCases[] = {
        {__LINE__, 6, 1, 7601, 1, false, true},    // Windows 7
        {__LINE__, 6, 1, 7601, 3, false, true},    // Server 2008 R2
        {__LINE__, 6, 3, 9600, 1, false, true},    // Windows 8.1
        {__LINE__, 6, 3, 9600, 2, false, true},    // Server 2012 R2 domain controller
        {__LINE__, 10, 0, 19045, 1, false, false}, // Windows 10 workstation
        {__LINE__, 10, 0, 22631, 1, false, false}, // Windows 11 workstation
        {__LINE__, 11, 0, 0, 1, false, false},     // a later major version
        {__LINE__, 10, 0, 17763, 3, false, true},  // Server 2019
        {__LINE__, 10, 0, 17763, 2, false, true},  // a domain controller
        {__LINE__, 10, 0, 19045, 1, true, true},   // forced on a workstation
        {__LINE__, 6, 1, 7601, 1, true, true},
        {__LINE__, 0, 0, 0, 0, false, true}, // nothing known: added, as before Windows 10
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        StubFakeCrypt32 Crypt;
        Crypt.SetHost(c.uMajor, c.uMinor, c.uBuild, c.bProductType);
        StubCapture Capture;
        silentMode = true;
        EXPECT_EQ(0, AddLegacyTimestampCa(c.fForced));
        EXPECT_EQ(c.fAdded ? Root : "", Crypt.Added());
        // Not needed: no store opened at all.
        EXPECT_EQ(c.fAdded, Crypt.Calls().find("open(") != std::string::npos);
        EXPECT_EQ(c.fAdded,
                  TimestampCaNeeded(c.fForced, RTSYSTEM_MAKE_NT_VERSION(c.uMajor, c.uMinor, c.uBuild), c.bProductType));
        EXPECT_EQ("", Capture.Err());
    }
}

TEST(StubCerts, TimestampCaFailure) {
    StubFakeCrypt32 Crypt;
    Crypt.FailOpen(1, 5);
    StubCapture Capture;
    silentMode = false;
    EXPECT_EQ(1, AddLegacyTimestampCa(false));
    EXPECT_EQ(WithProgramName("P: error: Unable to open certificates store: 5\n"), Capture.Err());
    EXPECT_EQ("boxW(10)[Failed add the legacy Windows timestamp CA to the root certificate store.]", Capture.Boxes());
}

// Whole runs over one fake ".msi" package, a fake installer and the fake CryptoAPI.
class StubCertRun : public testing::Test {
protected:
    void TearDown() override {
        silentMode = false;
        verbosity = 0;
    }
    // Makes a temporary directory and one ".msi" package for a run.
    void prepare() {
        m_pTemp.reset(new TstScratchDir);
        ASSERT_TRUE(tstEnvSet("QURT_TMPDIR", StubTempValue(m_pTemp->path()).c_str()));
        m_pRes.reset(); // the old one puts the platform calls back first
        m_pRes.reset(new StubFakeResources);
        m_pRes->AddManifest(1);
        m_pRes->AddPackage(0, 0, "p.msi", "msi");
    }
    TstEnvGuard m_TmpGuard{"QURT_TMPDIR"};
    StubFakeExecDir m_ExecDir;
    StubFakeInstaller m_Installer;
    std::unique_ptr<TstScratchDir> m_pTemp;
    std::unique_ptr<StubFakeResources> m_pRes;
};

TEST_F(StubCertRun, OptionsAndHosts) {
    std::string const R = "Root(" + std::to_string(g_cbStubTimestampCaCert) + ") ";
    std::string const P = "TrustedPublisher(" + std::to_string(g_cbStubPublisherCert1) + ") TrustedPublisher(" +
                          std::to_string(g_cbStubPublisherCert2) + ") ";
    const struct {
        int iLine;
        std::vector<std::string> Args;
        uint32_t uMajor;
        uint8_t bProductType;
        std::string Added;
    } aCases[] = {
        {__LINE__, {"--silent"}, 6, 1, R + P},
        {__LINE__, {"--silent"}, 10, 1, P},
        {__LINE__, {"--silent"}, 10, 3, R + P},
        {__LINE__, {"--silent"}, 10, 2, R + P},
        // Interactive: never the publisher's, with or without "--no-silent-cert".
        {__LINE__, {}, 6, 1, R},
        {__LINE__, {}, 10, 1, ""},
        {__LINE__, {"--silent", "--no-silent-cert"}, 6, 1, R},
        {__LINE__, {"--silent", "-no-silent-cert"}, 10, 1, ""},
        {__LINE__, {"--silent", "--force-install-timestamp-ca"}, 10, 1, R + P},
        {__LINE__, {"--silent", "--no-install-timestamp-ca"}, 6, 1, P},
        // The later of the two options wins.
        {__LINE__, {"--silent", "--force-install-timestamp-ca", "--no-install-timestamp-ca"}, 10, 1, P},
        {__LINE__, {"--silent", "--no-install-timestamp-ca", "--force-install-timestamp-ca"}, 10, 1, R + P},
        {__LINE__, {"--silent", "--no-install-timestamp-ca", "--force-install-timestamp-ca"}, 6, 1, R + P},
        // Extraction only: no certificate at all.
        {__LINE__, {"--silent", "--extract"}, 6, 1, ""},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        prepare();
        StubFakeCrypt32 Crypt;
        Crypt.SetHost(c.uMajor, 0, 100, c.bProductType);
        StubCapture Capture;
        StubFileFaults Faults;
        unsigned const cInstalls = m_Installer.Installs();
        EXPECT_EQ(0, StubRunWithArgs(c.Args));
        EXPECT_EQ(c.Added, Crypt.Added());
        bool const fExtractOnly = std::find(c.Args.begin(), c.Args.end(), "--extract") != c.Args.end();
        EXPECT_EQ(fExtractOnly ? 0U : 1U, m_Installer.Installs() - cInstalls);
        EXPECT_EQ(0, Crypt.OpenContexts() + Crypt.OpenStores());
        FreeCleanupRecords();
    }
}

TEST_F(StubCertRun, FailureInstallsNothing) {
    // A certificate that cannot be added ends the stages: no package, the cleanup still runs.
    const struct {
        int iLine;
        unsigned iFailAdd;
        const char *pszErr;
    } aCases[] = {
        {__LINE__, 1,
         "P: error: Unable to install certificate: 5\n"
         "P: error: Failed add the legacy Windows timestamp CA to the root certificate store.\n"},
        {__LINE__, 2,
         "P: error: Unable to install certificate: 5\n"
         "P: error: Failed to add our certificate(s) to trusted publisher store.\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        prepare();
        StubFakeCrypt32 Crypt;
        Crypt.FailAdd(c.iFailAdd, 5);
        StubCapture Capture;
        StubFileFaults Faults;
        unsigned const cInstalls = m_Installer.Installs();
        EXPECT_EQ(1, StubRunWithArgs({"--silent"}));
        EXPECT_EQ(cInstalls, m_Installer.Installs());
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        // Nothing after the failing add: Root first on this host, then the first publisher's.
        EXPECT_EQ(c.iFailAdd == 2 ? "Root(" + std::to_string(g_cbStubTimestampCaCert) + ") " : "", Crypt.Added());
        EXPECT_EQ(c.iFailAdd, countOf(Crypt.Calls(), "add("));
        EXPECT_TRUE(std::filesystem::is_empty(m_pTemp->path()));
        EXPECT_EQ(0, Faults.OpenHandles());
        FreeCleanupRecords();
    }
}

} // namespace
