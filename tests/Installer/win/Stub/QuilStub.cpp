// The run sequence in-process: over fake resources, a fake Windows Installer in the MSI.DLL
// slots, the instance and console calls, and a temporary directory of the test's own. Each
// row is a command line and what the run shows, installs, leaves on disk and returns.
#include "QuilStub.h"
#include "QuilStubCleanup.h"
#include "QuilStubLazy.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubProcess-internal.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "Installer/win/Stub/stub-stage-fakes.h"
#include "Installer/win/Stub/stub-file-faults.h"
#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/tst-platform.h"

namespace {

using namespace stubtest;

// The fake Windows Installer: one result per installation, in order; what it was given.
std::vector<uint32_t> g_Results;
std::string g_Installs, g_Logs;
size_t g_iNextResult;

std::string narrow(const RTUTF16 *pwsz) {
    std::string Str;
    for (; pwsz && *pwsz; pwsz++) Str += *pwsz < 0x80 ? (char)*pwsz : '?';
    return Str;
}
uint32_t RTLAZY_WINAPI fakeInstall(const RTUTF16 *pwszPackage, const RTUTF16 *pwszCmdLine) {
    std::string const Package = narrow(pwszPackage);
    size_t const offName = Package.find_last_of("\\/");
    std::string Name = Package.substr(offName + 1);
    if (Name.size() == 28) Name = "<random>" + Name.substr(24); // 24 random characters and ".msi"
    g_Installs += Name + "|" + narrow(pwszCmdLine) + " ";
    return g_iNextResult < g_Results.size() ? g_Results[g_iNextResult++] : 0;
}
uint32_t RTLAZY_WINAPI fakeEnableLog(uint32_t, const RTUTF16 *pwszLog, uint32_t fAttr) {
    std::string const Log = narrow(pwszLog);
    g_Logs += Log.substr(Log.find_last_of("\\/") + 1) + "," + std::to_string(fAttr) + " ";
    return 0;
}
QUILINSTALLUILEVEL RTLAZY_WINAPI fakeSetUi(QUILINSTALLUILEVEL, QUILHWND *) {
    return 1;
}
QUILBOOL RTLAZY_WINAPI fakeInitCommonControls(const struct tagINITCOMMONCONTROLSEX *) {
    return 1;
}

// The platform's separator, for the log a fake installer writes.
char g_chSep;
uint32_t RTLAZY_WINAPI fakeEnableLogWriting(uint32_t, const RTUTF16 *pwszLog, uint32_t) {
    std::string Log = narrow(pwszLog);
    for (char &ch : Log)
        if (ch == '\\' || ch == '/') ch = g_chSep;
    return tstFileWriteAll(Log, "log") ? 0 : 1;
}

uint32_t g_uConsoleError;
unsigned g_cConsoles;
uint32_t fakeOpenConsole(void) {
    g_cConsoles++;
    return g_uConsoleError;
}
void fakeCloseConsole(void) {
    g_cConsoles--;
}

// The names in a directory, sorted, random names masked, directories with a trailing '/'.
std::string listing(const std::string &Dir) {
    std::vector<std::string> Names;
    for (const auto &Entry : std::filesystem::directory_iterator(Dir)) {
        std::string Name = Entry.path().filename().string();
        if (Name.size() >= 24 && Name.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz") >= 24)
            Name = "<random>" + Name.substr(24);
        Names.push_back(Name + (Entry.is_directory() ? "/" : ""));
    }
    std::sort(Names.begin(), Names.end());
    std::string Out;
    for (const auto &Name : Names) Out += Name + " ";
    return Out;
}

// The temporary directory's value for the runtime, which reads paths in the DOS style: a
// POSIX absolute path is given the form of a UNC path ("//tmp/x"), which the system reads as
// the same directory.
std::string tempValue(const std::string &Path) {
    return Path[0] == '/' ? "/" + Path : Path;
}

class StubRun : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tstEnvSet("QURT_TMPDIR", tempValue(m_Temp.path()).c_str()));
        m_SavedMsi = g_QuilStubLazyMsi;
        m_SavedComctl = g_QuilStubLazyComctl32;
        m_SavedProcess = g_StubProcessCalls;
        g_QuilStubLazyMsi.pfnMsiInstallProductW = fakeInstall;
        g_QuilStubLazyMsi.pfnMsiEnableLogW = fakeEnableLog;
        g_QuilStubLazyMsi.pfnMsiSetInternalUI = fakeSetUi;
        g_QuilStubLazyComctl32.pfnInitCommonControlsEx = fakeInitCommonControls;
        g_StubProcessCalls.pfnOpenConsole = fakeOpenConsole;
        g_StubProcessCalls.pfnCloseConsole = fakeCloseConsole;
        g_Results.clear();
        g_Installs.clear();
        g_Logs.clear();
        g_iNextResult = 0;
        g_uConsoleError = 0;
        g_cConsoles = 0;
        g_fStubMsiLogStarted = false;
        RTPathGetCurrent(m_szCwd, sizeof(m_szCwd));
    }
    void TearDown() override {
        RTPathSetCurrent(m_szCwd);
        g_QuilStubLazyMsi = m_SavedMsi;
        g_QuilStubLazyComctl32 = m_SavedComctl;
        g_StubProcessCalls = m_SavedProcess;
        g_fStubMsiLogStarted = false;
    }
    int run(std::vector<std::string> Args) {
        Args.insert(Args.begin(), "QuilStub.exe");
        std::vector<char *> Argv;
        for (auto &Arg : Args) Argv.push_back(&Arg[0]);
        Argv.push_back(nullptr);
        int iExit = QuilStubRun((int)Args.size(), Argv.data());
        RTPathSetCurrent(m_szCwd);
        return iExit;
    }
    TstEnvGuard m_TmpGuard{"QURT_TMPDIR"};
    TstScratchDir m_Temp;
    StubFakeCrypt32 m_Crypt32; // the certificate steps never touch the machine's stores
    StubFakeExecDir m_ExecDir; // no ".custom" beside the program
    QUILSTUBLAZYMSI m_SavedMsi;
    QUILSTUBLAZYCOMCTL32 m_SavedComctl;
    StubProcessCalls m_SavedProcess;
    char m_szCwd[4100];
};

TEST_F(StubRun, Sequences) {
    // Packages: a neutral cab, a 64-bit msi and a neutral msi, unless a row says otherwise.
    const struct {
        int iLine;
        std::vector<std::string> Args;
        bool fHost64;
        bool fManifest;
        std::vector<uint32_t> Results;
        int iExit;
        const char *pszInstalls;
        const char *pszErr; // silent runs' standard error; "P:" the program name
        const char *pszBoxes;
        const char *pszLeft; // what the temporary directory holds afterwards
        size_t cSleeps;
    } aCases[] = {
        {__LINE__, {"--silent"}, true, true, {}, 0, "<random>.msi| b.msi| ", "", "", "", 0},
        {__LINE__, {"--silent", "--msiparams", "A=1"}, true, true, {}, 0, "<random>.msi|A=1 b.msi|A=1 ", "", "", "", 0},
        {__LINE__, {"-s"}, true, true, {3010, 0}, 3010, "<random>.msi| b.msi| ", "", "", "", 0},
        {__LINE__, {"-s", "--ignore-reboot"}, true, true, {3010, 0}, 0, "<random>.msi| b.msi| ", "", "", "", 0},
        {__LINE__, {"-s"}, true, true, {0, 3010}, 3010, "<random>.msi| b.msi| ", "", "", "", 0},
        {__LINE__, {"-s"}, true, true, {1602}, 1, "<random>.msi| ", "", "", "", 0},
        {__LINE__,
         {"-s"},
         true,
         true,
         {1633},
         1,
         "<random>.msi| ",
         "P: error: This installation package is not supported on this platform.\n",
         "",
         "",
         0},
        // A 32-bit host: interactive refused, leaving nothing; silent not refused, the 64-bit
        // package skipped.
        {__LINE__,
         {},
         false,
         true,
         {},
         1,
         "",
         "",
         "boxW(10)[32-bit Windows hosts are not supported by this Quillarium release.]",
         "",
         0},
        {__LINE__, {"-s"}, false, true, {}, 0, "b.msi| ", "", "", "", 0},
        {__LINE__,
         {"-s"},
         true,
         false,
         {},
         1,
         "",
         "P: error: Internal package error: Manifest not found (QERR_IO_GEN_FAILURE)\n",
         "",
         "",
         0},
        {__LINE__,
         {},
         true,
         false,
         {},
         1,
         "",
         "",
         "boxW(10)[Internal package error: Manifest not found (QERR_IO_GEN_FAILURE)]",
         "",
         0},
        // Extraction only: every package under its own name in the temporary directory itself.
        {__LINE__, {"-s", "-x"}, true, true, {}, 0, "", "", "", "a.msi b.msi data.cab ", 0},
        // With the default log inside it, the directory stays, without waiting for it to empty.
        {__LINE__, {"-s", "--logging"}, true, true, {}, 0, "<random>.msi| b.msi| ", "", "", "<random>/ ", 0},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Temp;
        ASSERT_TRUE(tstEnvSet("QURT_TMPDIR", tempValue(Temp.path()).c_str()));
        StubFakeResources Res;
        Res.SetHost64(c.fHost64);
        if (c.fManifest) Res.AddManifest(3);
        Res.AddPackage(0, 0, "data.cab", "cab bytes");
        Res.AddPackage(1, 2, "a.msi", "msi 64");
        Res.AddPackage(2, 0, "b.msi", "msi all");
        g_Results = c.Results;
        g_iNextResult = 0;
        g_Installs.clear();
        g_Logs.clear();
        g_fStubMsiLogStarted = false;
        StubCapture Capture;
        StubFileFaults Faults; // no real waits
        // With logging, the installer writes its log where it is told.
        g_chSep = (Temp / "").back();
        g_QuilStubLazyMsi.pfnMsiEnableLogW = fakeEnableLogWriting;
        EXPECT_EQ(c.iExit, run(c.Args));
        g_QuilStubLazyMsi.pfnMsiEnableLogW = fakeEnableLog;
        EXPECT_EQ(c.pszInstalls, g_Installs);
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        EXPECT_EQ(c.pszBoxes, Capture.Boxes());
        EXPECT_EQ(c.pszLeft, listing(Temp.path()));
        EXPECT_EQ(c.cSleeps, Faults.Sleeps().size());
        EXPECT_EQ(0, Faults.OpenHandles());
        FreeCleanupRecords();
    }
}

TEST_F(StubRun, AnotherInstance) {
    // Another stub holds the mutex: refused before anything is made; help still works.
    StubFakeResources Res;
    Res.AddManifest(0);
    bool fExisted = true;
    void *hOther = g_StubProcessCalls.pfnCreateInstanceMutex(&fExisted);
    ASSERT_NE(nullptr, hOther);
    EXPECT_FALSE(fExisted);
    {
        StubCapture Capture;
        EXPECT_EQ(1, run({"--silent"}));
        EXPECT_EQ(WithProgramName("P: error: Another installer is already running\n"), Capture.Err());
        EXPECT_EQ(0, run({"--silent", "--version"}));
    }
    EXPECT_EQ("", listing(m_Temp.path()));
    g_StubProcessCalls.pfnCloseInstanceMutex(hOther);
    // Released at the end of each run: one after the other is no second instance.
    StubCapture Capture;
    EXPECT_EQ(0, run({"--silent"}));
    EXPECT_EQ(0, run({"--silent"}));
}

TEST_F(StubRun, VerboseConsoleAndSummary) {
    StubFakeResources Res;
    Res.AddManifest(0);
    {
        StubCapture Capture;
        EXPECT_EQ(0, run({"-s", "--verbose", "--verbose", "--msi-prop", "A", "b c", "-x"}));
        EXPECT_EQ(0U, g_cConsoles); // opened once, closed again
        std::string const Out = Capture.Out();
        size_t const offSummary = Out.find("Extraction path          : ");
        EXPECT_EQ(0U, offSummary) << Out;
        EXPECT_EQ(std::string::npos, Out.find("Extraction path", offSummary + 1)) << Out; // one summary
        EXPECT_NE(std::string::npos, Out.find("Silent installation      : true \n"
                                              "Certificate installation : true \n"
                                              "Additional MSI parameters: A=\"b c\"\n"
                                              "Logging to file          : <None>\n"))
            << Out;
        EXPECT_NE(std::string::npos, Out.find("Files were extracted to: ")) << Out;
    }
    // A console that cannot be had: refused, and the directory made for the run is gone.
    g_uConsoleError = 5;
    StubCapture Capture;
    EXPECT_EQ(1, run({"-s", "-v"}));
    EXPECT_EQ(WithProgramName("P: error: Unable to allocate console: LastError=5\n"), Capture.Err());
    EXPECT_EQ("", listing(m_Temp.path()));
    EXPECT_EQ(1U, g_cConsoles); // never opened: never closed
}

TEST_F(StubRun, ExistingPathIsKept) {
    TstScratchDir Target;
    ASSERT_TRUE(tstFileWriteAll(Target / "mine.txt", "mine"));
    StubFakeResources Res;
    Res.AddManifest(1);
    Res.AddPackage(0, 0, "p.msi", "msi");
    StubCapture Capture;
    StubFileFaults Faults;
    EXPECT_EQ(0, run({"-s", "--path", tempValue(Target.path())}));
    EXPECT_EQ("p.msi| ", g_Installs);
    EXPECT_EQ("mine.txt ", listing(Target.path()));
    EXPECT_TRUE(Faults.Sleeps().empty());
    EXPECT_EQ(0, Faults.OpenHandles());
}

TEST_F(StubRun, NewPathIsRemoved) {
    TstScratchDir Parent;
    StubFakeResources Res;
    Res.AddManifest(1);
    Res.AddPackage(0, 0, "p.msi", "msi");
    StubCapture Capture;
    StubFileFaults Faults;
    g_Results = {1603};
    EXPECT_EQ(1, run({"-s", "--path", tempValue(Parent / "new")}));
    EXPECT_EQ("", listing(Parent.path()));
    EXPECT_EQ("", listing(m_Temp.path()));
    EXPECT_EQ(0, Faults.OpenHandles());
}

} // namespace
