// The stub tests' in-memory CryptoAPI and executable directory.
#include "Installer/win/Stub/stub-stage-fakes.h"

#include "QuilStub.h"

#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/system.h>

#include <cstdio>

namespace stubtest {

namespace {

// A store or a context: what was named or given.
struct FakeObject {
    std::string Name;
};

std::string hex(uint32_t u) {
    char sz[16];
    snprintf(sz, sizeof(sz), "%#x", (unsigned)u);
    return sz;
}

} // namespace

std::string StubNarrow(const RTUTF16 *pwsz) {
    std::string Str;
    for (; pwsz && *pwsz; pwsz++) Str += *pwsz < 0x80 ? (char)*pwsz : '?';
    return Str;
}

StubFakeCrypt32::StubFakeCrypt32() : m_SavedSlots(g_QuilStubLazyCrypt32), m_SavedCalls(g_StubCertCalls) {
    s_Calls.clear();
    s_Added.clear();
    s_Create = s_Open = s_Add = Fault{0, 0};
    s_uLastError = 0;
    s_cContexts = s_cStores = 0;
    SetHost(6, 1, 7601, 1); // the test prefixes' default: a Windows 7 workstation
    g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext = create;
    g_QuilStubLazyCrypt32.pfnCertOpenStore = open;
    g_QuilStubLazyCrypt32.pfnCertFreeCertificateContext = freeCtx;
    g_QuilStubLazyCrypt32.pfnCertAddCertificateContextToStore = add;
    g_QuilStubLazyCrypt32.pfnCertCloseStore = close;
    g_StubCertCalls = StubCertCalls{lastError, version, productType};
}

StubFakeCrypt32::~StubFakeCrypt32() {
    g_QuilStubLazyCrypt32 = m_SavedSlots;
    g_StubCertCalls = m_SavedCalls;
}

void StubFakeCrypt32::SetHost(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild, uint8_t bProductType) {
    s_uVersion = RTSYSTEM_MAKE_NT_VERSION(uMajor, uMinor, uBuild);
    s_bProductType = bProductType;
}

bool StubFakeCrypt32::due(Fault &F) {
    if (!F.iNth || --F.iNth) return false;
    s_uLastError = F.uLastError;
    return true;
}

QUILPCCERT_CONTEXT RTLAZY_WINAPI StubFakeCrypt32::create(uint32_t fEncoding, const uint8_t *pb, uint32_t cb) {
    s_Calls += "create(" + hex(fEncoding) + "," + std::to_string(cb) + (pb ? "" : ",null") + ") ";
    if (due(s_Create)) return nullptr;
    s_cContexts++;
    return reinterpret_cast<QUILPCCERT_CONTEXT>(new FakeObject{std::to_string(cb)});
}

QUILHCERTSTORE RTLAZY_WINAPI StubFakeCrypt32::open(const char *pszProvider, uint32_t fEncoding, uintptr_t hProv,
                                                   uint32_t fFlags, const void *pvPara) {
    std::string const Name = StubNarrow(static_cast<const RTUTF16 *>(pvPara));
    s_Calls += "open(" + std::to_string((uintptr_t)pszProvider) + "," + hex(fEncoding) + "," + std::to_string(hProv) +
               "," + hex(fFlags) + "," + Name + ") ";
    if (due(s_Open)) return nullptr;
    s_cStores++;
    return new FakeObject{Name};
}

QUILBOOL RTLAZY_WINAPI StubFakeCrypt32::freeCtx(QUILPCCERT_CONTEXT pCtx) {
    s_Calls += "free ";
    s_cContexts--;
    delete reinterpret_cast<const FakeObject *>(pCtx);
    return 1;
}

QUILBOOL RTLAZY_WINAPI StubFakeCrypt32::add(QUILHCERTSTORE hStore, QUILPCCERT_CONTEXT pCtx, uint32_t fDisposition,
                                            QUILPCCERT_CONTEXT *ppOut) {
    s_Calls += "add(" + std::to_string(fDisposition) + (ppOut ? ",out" : "") + ") ";
    if (due(s_Add)) return 0;
    s_Added += static_cast<FakeObject *>(hStore)->Name + "(" + reinterpret_cast<const FakeObject *>(pCtx)->Name + ") ";
    return 1;
}

QUILBOOL RTLAZY_WINAPI StubFakeCrypt32::close(QUILHCERTSTORE hStore, uint32_t fFlags) {
    s_Calls += "close(" + std::to_string(fFlags) + ") ";
    s_cStores--;
    delete static_cast<FakeObject *>(hStore);
    return 1;
}

StubFakeExecDir::StubFakeExecDir(const std::string &Dir) : m_Saved(g_StubCustomCalls) {
    s_Dir = Dir.empty() ? m_Own.path() : Dir;
    g_StubCustomCalls.pfnExecDir = execDir;
}

StubFakeExecDir::~StubFakeExecDir() {
    g_StubCustomCalls = m_Saved;
}

int StubFakeExecDir::execDir(char *pszPath, size_t cbPath) {
    return RTStrCopy(pszPath, cbPath, s_Dir.c_str());
}

StubFakeInstaller::StubFakeInstaller() : m_SavedMsi(g_QuilStubLazyMsi), m_SavedComctl(g_QuilStubLazyComctl32) {
    s_cInstalls = 0;
    OnInstall = nullptr;
    g_fStubMsiLogStarted = false;
    g_QuilStubLazyMsi.pfnMsiInstallProductW = install;
    g_QuilStubLazyMsi.pfnMsiEnableLogW = enableLog;
    g_QuilStubLazyMsi.pfnMsiSetInternalUI = setUi;
    g_QuilStubLazyComctl32.pfnInitCommonControlsEx = initControls;
}

StubFakeInstaller::~StubFakeInstaller() {
    g_QuilStubLazyMsi = m_SavedMsi;
    g_QuilStubLazyComctl32 = m_SavedComctl;
    g_fStubMsiLogStarted = false;
    OnInstall = nullptr;
}

uint32_t RTLAZY_WINAPI StubFakeInstaller::install(const RTUTF16 *pwszPackage, const RTUTF16 *) {
    s_cInstalls++;
    if (OnInstall) OnInstall(StubNarrow(pwszPackage));
    return 0;
}

int StubRunWithArgs(std::vector<std::string> Args) {
    Args.insert(Args.begin(), "QuilStub.exe");
    std::vector<char *> Argv;
    for (auto &Arg : Args) Argv.push_back(&Arg[0]);
    Argv.push_back(nullptr);
    char szCwd[4100];
    RTPathGetCurrent(szCwd, sizeof(szCwd));
    int const iExit = QuilStubRun((int)Args.size(), Argv.data());
    RTPathSetCurrent(szCwd);
    return iExit;
}

std::string StubTempValue(const std::string &Path) {
    return Path[0] == '/' ? "/" + Path : Path;
}

} // namespace stubtest
