// Installation through a fake Windows Installer in the MSI.DLL slots: the user-interface
// level, the log and its replace-then-append rule, the command line, each result's stub result
// and message, and which packages are installed by their kind.
#include "QuilStubMsi.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubCleanup.h"
#include "QuilStubLazy.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>

#include <gtest/gtest.h>

#include "Installer/win/Stub/stub-test-util.h"

namespace {

using namespace stubtest;

std::string narrow(const RTUTF16 *pwsz) {
    std::string Str;
    for (; pwsz && *pwsz; pwsz++) Str += *pwsz < 0x80 ? (char)*pwsz : '?';
    return Str;
}

// What the fake Windows Installer saw, one call per entry, and what it answers.
std::string g_Calls;
uint32_t g_uInstallResult, g_uEnableLogResult;
int32_t g_iSetUiResult;
unsigned g_cCommonControls;
uint32_t g_uFormatCode, g_fFormatFlags;
bool g_fHaveNetMsg, g_fHaveText;
int g_cNetMsgLoaded, g_cTextsOut;

uint32_t RTLAZY_WINAPI fakeInstall(const RTUTF16 *pwszPackage, const RTUTF16 *pwszCmdLine) {
    g_Calls += "install(" + narrow(pwszPackage) + "|" + narrow(pwszCmdLine) + ") ";
    return g_uInstallResult;
}
uint32_t RTLAZY_WINAPI fakeEnableLog(uint32_t fMode, const RTUTF16 *pwszLog, uint32_t fAttr) {
    char sz[64];
    snprintf(sz, sizeof(sz), "log(%#x,", fMode);
    g_Calls += sz + narrow(pwszLog);
    snprintf(sz, sizeof(sz), ",%u) ", fAttr);
    g_Calls += sz;
    return g_uEnableLogResult;
}
QUILINSTALLUILEVEL RTLAZY_WINAPI fakeSetUi(QUILINSTALLUILEVEL enmLevel, QUILHWND *phWnd) {
    g_Calls += "ui(" + std::to_string(enmLevel) + (phWnd ? ",hwnd" : "") + ") ";
    return g_iSetUiResult;
}
QUILBOOL RTLAZY_WINAPI fakeInitCommonControls(const struct tagINITCOMMONCONTROLSEX *pInit) {
    const uint32_t *pau = reinterpret_cast<const uint32_t *>(pInit);
    if (pau[0] == 8 && pau[1] == 0xD2FF) g_cCommonControls++;
    return 1;
}

// The system's texts: netmsg.dll present or not, a text for the code or not.
char g_chNetMsg;
const RTUTF16 g_wszText[] = {'N', 'o', ' ', 'w', 'a', 'y', '.', '\r', '\n', 0};
void *fakeLoadNetMsg(void) {
    if (!g_fHaveNetMsg) return nullptr;
    g_cNetMsgLoaded++;
    return &g_chNetMsg;
}
void fakeFreeModule(void *hModule) {
    if (hModule == &g_chNetMsg) g_cNetMsgLoaded--;
}
uint32_t fakeFormat(uint32_t fFlags, void *hModule, uint32_t uCode, RTUTF16 **ppwsz) {
    g_fFormatFlags = fFlags | (hModule == &g_chNetMsg ? 0x80000000U : 0);
    g_uFormatCode = uCode;
    if (!g_fHaveText) return 0;
    *ppwsz = const_cast<RTUTF16 *>(g_wszText);
    g_cTextsOut++;
    return 9;
}
void fakeFreeText(RTUTF16 *pwsz) {
    if (pwsz == g_wszText) g_cTextsOut--;
}

class StubMsi : public testing::Test {
protected:
    void SetUp() override {
        m_SavedMsi = g_QuilStubLazyMsi;
        m_SavedComctl = g_QuilStubLazyComctl32;
        m_SavedCalls = g_StubMsiCalls;
        CleanupListInit();
        Reset();
    }
    // Fakes in place and every counter back to its start; a table row calls it, not SetUp,
    // which would save the fakes as the slots to put back.
    void Reset() {
        FreeCleanupRecords();
        g_QuilStubLazyMsi.pfnMsiInstallProductW = fakeInstall;
        g_QuilStubLazyMsi.pfnMsiEnableLogW = fakeEnableLog;
        g_QuilStubLazyMsi.pfnMsiSetInternalUI = fakeSetUi;
        g_QuilStubLazyComctl32.pfnInitCommonControlsEx = fakeInitCommonControls;
        g_StubMsiCalls = StubMsiCalls{fakeLoadNetMsg, fakeFreeModule, fakeFormat, fakeFreeText};
        g_Calls.clear();
        g_uInstallResult = g_uEnableLogResult = 0;
        g_iSetUiResult = 1;
        g_cCommonControls = 0;
        g_uFormatCode = g_fFormatFlags = 0;
        g_fHaveNetMsg = g_fHaveText = false;
        g_cNetMsgLoaded = g_cTextsOut = 0;
        g_fStubMsiLogStarted = false;
    }
    void TearDown() override {
        g_QuilStubLazyMsi = m_SavedMsi;
        g_QuilStubLazyComctl32 = m_SavedComctl;
        g_StubMsiCalls = m_SavedCalls;
        g_fStubMsiLogStarted = false;
        FreeCleanupRecords();
    }
    QUILSTUBLAZYMSI m_SavedMsi;
    QUILSTUBLAZYCOMCTL32 m_SavedComctl;
    StubMsiCalls m_SavedCalls;
};

TEST_F(StubMsi, Results) {
    const struct {
        int iLine;
        bool fSilent;
        uint32_t uResult;
        bool fNetMsg, fText;
        int iExit;
        const char *pszOut, *pszErr, *pszBoxes;
        uint32_t fFormatFlags; // 0: no text asked for; bit 31: with the netmsg module
    } aCases[] = {
        {__LINE__, true, 0, false, false, 0, "", "", "", 0},
        {__LINE__, false, 0, false, false, 0, "", "", "", 0},
        {__LINE__, true, 3010, false, false, 3010, "P: info: Reboot required (by C:\\p.msi)\n", "", "", 0},
        {__LINE__, false, 3010, false, false, 3010, "", "", "", 0},
        {__LINE__, true, 1602, false, false, 1, "", "", "", 0},
        {__LINE__, false, 1602, false, false, 1, "", "", "", 0},
        {__LINE__, true, 1613, false, true, 1, "",
         "P: error: This installation package cannot be installed by the Windows Installer service.\n"
         "P: error: You must install a Windows service pack that contains a newer version of the Windows "
         "Installer service.\n",
         "", 0},
        {__LINE__, false, 1633, false, true, 1, "", "",
         "boxW(10)[This installation package is not supported on this platform.]", 0},
        {__LINE__, true, 1603, false, true, 1, "", "P: error: Installation failed! Error: No way.\n", "", 0x1300},
        {__LINE__, true, 1603, true, true, 1, "", "P: error: Installation failed! Error: No way.\n", "", 0x1300},
        {__LINE__, false, 1603, false, false, 1, "", "", "boxW(10)[Installation failed! Error: 1603]", 0x1300},
        {__LINE__, true, 2100, true, true, 1, "", "P: error: Installation failed! Error: No way.\n", "", 0x80001B00},
        {__LINE__, true, 2999, true, false, 1, "", "P: error: Installation failed! Error: 2999\n", "", 0x80001B00},
        {__LINE__, true, 2250, false, true, 1, "", "P: error: Installation failed! Error: No way.\n", "", 0x1300},
        {__LINE__, true, 2099, true, false, 1, "", "P: error: Installation failed! Error: 2099\n", "", 0x1300},
        {__LINE__, true, 3000, true, false, 1, "", "P: error: Installation failed! Error: 3000\n", "", 0x1300},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        Reset();
        StubCapture Capture;
        silentMode = c.fSilent;
        g_uInstallResult = c.uResult;
        g_fHaveNetMsg = c.fNetMsg;
        g_fHaveText = c.fText;
        EXPECT_EQ(c.iExit, RunMsiInstall("C:\\p.msi", "A=1 B=\"x y\"", NULL));
        EXPECT_EQ(std::string("ui(") + (c.fSilent ? "2" : "5") + ") install(C:\\p.msi|A=1 B=\"x y\") ", g_Calls);
        EXPECT_EQ(1U, g_cCommonControls);
        EXPECT_EQ(WithProgramName(c.pszOut), Capture.Out());
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        EXPECT_EQ(c.pszBoxes, Capture.Boxes());
        EXPECT_EQ(c.fFormatFlags, g_fFormatFlags);
        if (c.fFormatFlags) {
            EXPECT_EQ(c.uResult, g_uFormatCode);
        }
        EXPECT_EQ(0, g_cNetMsgLoaded); // freed again
        EXPECT_EQ(0, g_cTextsOut);
    }
}

TEST_F(StubMsi, SetUpFailures) {
    StubCapture Capture;
    silentMode = true;
    g_iSetUiResult = 0;
    EXPECT_EQ(1, RunMsiInstall("p.msi", "", "log.txt"));
    EXPECT_EQ("ui(2) ", g_Calls);
    g_iSetUiResult = 1;
    g_uEnableLogResult = 87;
    EXPECT_EQ(1, RunMsiInstall("p.msi", "", "log.txt"));
    EXPECT_EQ("ui(2) ui(2) log(0x1000,log.txt,2) ", g_Calls);
    EXPECT_EQ(WithProgramName("P: error: Internal error: MsiSetInternalUI failed.\nP: error: MsiEnableLogW failed\n"),
              Capture.Err());
    EXPECT_FALSE(g_fStubMsiLogStarted); // a log that did not start is replaced by the next try
    g_Calls.clear();
    const char szBad[] = {'p', (char)0xff, '.', 'm', 's', 'i', 0};
    g_uEnableLogResult = 0;
    EXPECT_EQ(1, RunMsiInstall(szBad, "", NULL));
    EXPECT_EQ(1, RunMsiInstall("p.msi", szBad, NULL));
    EXPECT_EQ("ui(2) ui(2) ", g_Calls); // never installed
}

TEST_F(StubMsi, LogReplacedByTheFirstPackageOnly) {
    // Two packages of one run log into one file: the first replaces an old log, the second
    // appends, so the log of a failing second package still holds the first.
    StubCapture Capture;
    silentMode = true;
    EXPECT_EQ(0, RunMsiInstall("a.msi", "", "C:\\l.txt"));
    EXPECT_EQ(0, RunMsiInstall("b.msi", "", "C:\\l.txt"));
    EXPECT_EQ("ui(2) log(0x1000,C:\\l.txt,2) install(a.msi|) ui(2) log(0x1000,C:\\l.txt,3) install(b.msi|) ", g_Calls);
}

TEST_F(StubMsi, PackagesByKind) {
    const struct {
        int iLine;
        uint8_t bArch;
        const char *pszFileName;
        const char *pszRecordPath; // null: no record
        int iExit;
        const char *pszCalls;
        const char *pszErr;
    } aCases[] = {
        {__LINE__, 0, "p.msi", "C:/x/p.msi", 0, "ui(2) install(C:\\x\\p.msi|P=1) ", ""},
        {__LINE__, 2, "P.MSI", "C:/x/abc.MSI", 0, "ui(2) install(C:\\x\\abc.MSI|P=1) ", ""},
        {__LINE__, 0, "d.cab", "C:/x/d.CaB", 0, "", ""},
        {__LINE__, 1, "p.msi", "C:/x/p.msi", 0, "", ""}, // does not fit the 64-bit host
        {__LINE__, 0, "p.exe", "C:/x/p.exe", 1, "",
         "P: error: Internal error: Do not know how to handle file 'p.exe' (C:\\x\\p.exe).\n"},
        {__LINE__, 0, "p", "C:/x/p", 1, "",
         "P: error: Internal error: Do not know how to handle file 'p' (C:\\x\\p).\n"},
        {__LINE__, 0, "p.msi", nullptr, 1, "", "error: Package #0 not found in cleanup records\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        Reset();
        StubFakeResources Res;
        Res.AddPackage(0, c.bArch, c.pszFileName, "x");
        if (c.pszRecordPath) {
            CleanupRecord *pOther = NewCleanupRecord(true, "C:/x/other.msi");
            pOther->packageIndex = 1;
            NewCleanupRecord(true, c.pszRecordPath)->packageIndex = 0;
        }
        StubCapture Capture;
        silentMode = true;
        EXPECT_EQ(c.iExit, InstallPackageByIndex(0, "P=1", NULL));
        EXPECT_EQ(c.pszCalls, g_Calls);
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        FreeCleanupRecords();
    }
    StubFakeResources Res;
    StubCapture Capture;
    silentMode = true;
    EXPECT_EQ(1, InstallPackageByIndex(7, "", NULL));
    EXPECT_EQ(WithProgramName("P: error: Internal error: Could not find package header #7: QERR_IO_GEN_FAILURE\n"),
              Capture.Err());
}

} // namespace
