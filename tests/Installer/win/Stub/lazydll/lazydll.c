/* Stand-ins for the Windows system libraries the stub binds lazily, for the native build: one
 * shared object per library, named like it ("MSI.DLL", ...) and exporting its functions with the
 * same parameters. Each counts its calls (QuilLazyDllCalls) so that tests can tell a call
 * reached it. Built only natively (tests/CMakeLists part of the top-level CMakeLists.txt). */
#include <stdint.h>
#include <stdlib.h>

static int g_cCalls;

int QuilLazyDllCalls(void) {
    return g_cCalls;
}

#if defined(QUIL_LAZYDLL_MSI)
static int32_t g_iUiLevel = 5; /* INSTALLUILEVEL_FULL */

/* The number of UTF-16 units of the command line: shows that both strings arrived. */
uint32_t MsiInstallProductW(const uint16_t *pwszPackagePath, const uint16_t *pwszCommandLine) {
    uint32_t cwc = 0;
    g_cCalls++;
    if (!pwszPackagePath || !pwszPackagePath[0]) return 1619; /* ERROR_INSTALL_PACKAGE_OPEN_FAILED */
    while (pwszCommandLine && pwszCommandLine[cwc]) cwc++;
    return cwc;
}
uint32_t MsiEnableLogW(uint32_t fLogMode, const uint16_t *pwszLogFile, uint32_t fLogAttributes) {
    g_cCalls++;
    return pwszLogFile ? fLogMode ^ fLogAttributes : 87; /* ERROR_INVALID_PARAMETER */
}
int32_t MsiSetInternalUI(int32_t iUiLevel, void **phWnd) {
    int32_t const iOld = g_iUiLevel;
    g_cCalls++;
    g_iUiLevel = iUiLevel;
    if (phWnd) *phWnd = NULL;
    return iOld;
}
#elif defined(QUIL_LAZYDLL_CRYPT32)
static char g_achStore;
static char g_achContext;
const void *CertCreateCertificateContext(uint32_t fEncoding, const uint8_t *pb, uint32_t cb) {
    g_cCalls++;
    return fEncoding == 1 && pb && cb >= 4 && pb[0] == 0x30 ? (const void *)&g_achContext : NULL;
}
void *CertOpenStore(const char *pszProvider, uint32_t fEncoding, uintptr_t hProv, uint32_t fFlags, const void *pv) {
    (void)pszProvider, (void)fEncoding, (void)hProv, (void)fFlags, (void)pv;
    g_cCalls++;
    return &g_achStore;
}
int CertFreeCertificateContext(const void *pCtx) {
    (void)pCtx;
    g_cCalls++;
    return 1;
}
int CertAddCertificateContextToStore(void *hStore, const void *pCtx, uint32_t fDisposition, const void **ppOut) {
    g_cCalls++;
    if (ppOut) *ppOut = NULL;
    return hStore == &g_achStore && pCtx == &g_achContext && fDisposition != 0;
}
int CertCloseStore(void *hStore, uint32_t fFlags) {
    (void)fFlags;
    g_cCalls++;
    return hStore == &g_achStore;
}
#elif defined(QUIL_LAZYDLL_USER32)
static char g_chDesktop;
int MessageBoxW(void *hWnd, const uint16_t *pwszText, const uint16_t *pwszCaption, uint32_t fType) {
    (void)hWnd, (void)pwszText, (void)pwszCaption;
    g_cCalls++;
    return (int)(fType & 0xf) + 1; /* IDOK for MB_OK */
}
int MessageBoxA(void *hWnd, const char *pszText, const char *pszCaption, uint32_t fType) {
    (void)hWnd, (void)pszText, (void)pszCaption;
    g_cCalls++;
    return (int)(fType & 0xf) + 1;
}
void *GetDesktopWindow(void) {
    g_cCalls++;
    return &g_chDesktop;
}
#elif defined(QUIL_LAZYDLL_SHELL32)
/* Splits at blanks only; the Windows rules are the platform's, not these stand-ins'. The caller
 * frees the vector with free(). */
uint16_t **CommandLineToArgvW(const uint16_t *pwszCmdLine, int *pcArgs) {
    size_t cwc = 0, i;
    int cArgs = 0;
    uint16_t **papwsz;
    uint16_t *pwszCopy;
    g_cCalls++;
    while (pwszCmdLine[cwc]) cwc++;
    papwsz = (uint16_t **)malloc((cwc + 2) * sizeof(uint16_t *) + (cwc + 1) * sizeof(uint16_t));
    if (!papwsz) return NULL;
    pwszCopy = (uint16_t *)&papwsz[cwc + 2];
    for (i = 0; i <= cwc; i++) pwszCopy[i] = pwszCmdLine[i];
    for (i = 0; i < cwc; i++) {
        if (pwszCopy[i] == ' ')
            pwszCopy[i] = 0;
        else if (i == 0 || pwszCopy[i - 1] == 0)
            papwsz[cArgs++] = &pwszCopy[i];
    }
    papwsz[cArgs] = NULL;
    *pcArgs = cArgs;
    return papwsz;
}
int SHFileOperationW(void *pFileOp) {
    g_cCalls++;
    return pFileOp ? 0 : 0x402;
}
#elif defined(QUIL_LAZYDLL_COMCTL32)
int InitCommonControlsEx(const uint32_t *pInit) {
    g_cCalls++;
    return pInit && pInit[0] == 8;
}
#endif
