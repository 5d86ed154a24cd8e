// What the stages between extraction and installation need in the stub's tests: the CryptoAPI
// of the certificate steps and the executable's directory of the ".custom" copy.
//
// While a StubFakeCrypt32 lives, the CRYPT32.DLL slots reach a
// recorder that keeps stores in memory and fails where a test arms it, and the certificate
// steps see the Windows version, product type and last error the test sets. Restores the
// slots and the platform calls when it ends.
#pragma once

#include <qrt/types.h>

#include <functional>
#include <string>
#include <vector>

#include "QuilStubCertCalls-internal.h"
#include "QuilStubCustom-internal.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubLazy.h"

#include "Runtime/r3/fs-test-util.h"

namespace stubtest {

class StubFakeCrypt32 {
public:
    StubFakeCrypt32();
    ~StubFakeCrypt32();
    // The calls in order, e.g. "create(0x10001,933) open(10,0x10001,0,0x20000,Root) add(3) close(2) free ".
    const std::string &Calls() const { return s_Calls; }
    // What was added, in order, as store(length): "Root(1449) TrustedPublisher(933) ".
    const std::string &Added() const { return s_Added; }
    // The iNth call (1: the next) of create, open or add fails with uLastError as the last error.
    void FailCreate(unsigned iNth, uint32_t uLastError) { s_Create = {iNth, uLastError}; }
    void FailOpen(unsigned iNth, uint32_t uLastError) { s_Open = {iNth, uLastError}; }
    void FailAdd(unsigned iNth, uint32_t uLastError) { s_Add = {iNth, uLastError}; }
    void SetHost(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild, uint8_t bProductType);
    // Contexts created minus freed, stores opened minus closed.
    int OpenContexts() const { return s_cContexts; }
    int OpenStores() const { return s_cStores; }

private:
    struct Fault {
        unsigned iNth;
        uint32_t uLastError;
    };
    static bool due(Fault &F);
    static QUILPCCERT_CONTEXT RTLAZY_WINAPI create(uint32_t fEncoding, const uint8_t *pb, uint32_t cb);
    static QUILHCERTSTORE RTLAZY_WINAPI open(const char *pszProvider, uint32_t fEncoding, uintptr_t hProv,
                                             uint32_t fFlags, const void *pvPara);
    static QUILBOOL RTLAZY_WINAPI freeCtx(QUILPCCERT_CONTEXT pCtx);
    static QUILBOOL RTLAZY_WINAPI add(QUILHCERTSTORE hStore, QUILPCCERT_CONTEXT pCtx, uint32_t fDisposition,
                                      QUILPCCERT_CONTEXT *ppOut);
    static QUILBOOL RTLAZY_WINAPI close(QUILHCERTSTORE hStore, uint32_t fFlags);
    static uint32_t lastError(void) { return s_uLastError; }
    static uint64_t version(void) { return s_uVersion; }
    static uint8_t productType(void) { return s_bProductType; }

    QUILSTUBLAZYCRYPT32 m_SavedSlots;
    StubCertCalls m_SavedCalls;
    static inline std::string s_Calls, s_Added;
    static inline Fault s_Create, s_Open, s_Add;
    static inline uint32_t s_uLastError;
    static inline uint64_t s_uVersion;
    static inline uint8_t s_bProductType;
    static inline int s_cContexts, s_cStores;
};

// While it lives, the ".custom" copy takes Dir for the executable's directory (by default a
// fresh empty directory of its own, so no ".custom" is found). Restores the call when it ends.
class StubFakeExecDir {
public:
    explicit StubFakeExecDir(const std::string &Dir = "");
    ~StubFakeExecDir();
    const std::string &Dir() const { return s_Dir; }

private:
    static int execDir(char *pszPath, size_t cbPath);
    StubCustomCalls m_Saved;
    TstScratchDir m_Own; // the directory used when none is given
    static inline std::string s_Dir;
};

// While it lives, the Windows Installer and common controls slots reach a fake for whole runs
// of the stub: every installation succeeds and is counted, OnInstall (when set) sees the
// package's path first, and the run's log state starts afresh. Restores the slots when it ends.
class StubFakeInstaller {
public:
    StubFakeInstaller();
    ~StubFakeInstaller();
    unsigned Installs() const { return s_cInstalls; }
    static inline std::function<void(const std::string &Package)> OnInstall;

private:
    static uint32_t RTLAZY_WINAPI install(const RTUTF16 *pwszPackage, const RTUTF16 *pwszCmdLine);
    static uint32_t RTLAZY_WINAPI enableLog(uint32_t, const RTUTF16 *, uint32_t) { return 0; }
    static QUILINSTALLUILEVEL RTLAZY_WINAPI setUi(QUILINSTALLUILEVEL, QUILHWND *) { return 1; }
    static QUILBOOL RTLAZY_WINAPI initControls(const struct tagINITCOMMONCONTROLSEX *) { return 1; }
    QUILSTUBLAZYMSI m_SavedMsi;
    QUILSTUBLAZYCOMCTL32 m_SavedComctl;
    static inline unsigned s_cInstalls;
};

// A UTF-16 text as ASCII, '?' for anything else; "" for null.
std::string StubNarrow(const RTUTF16 *pwsz);

// QuilStubRun with "QuilStub.exe" and Args as its command line; the current directory is put
// back afterwards (the run leaves it in the temporary directory).
int StubRunWithArgs(std::vector<std::string> Args);

// The temporary directory's value for the runtime, which reads paths in the DOS style: a
// POSIX absolute path gets the form of a UNC path ("//tmp/x"), which the system reads as the
// same directory.
std::string StubTempValue(const std::string &Path);

} // namespace stubtest
