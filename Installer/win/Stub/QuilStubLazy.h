// The system libraries the stub binds on first call, one table per library: the Windows
// Installer (MSI.DLL), CryptoAPI (CRYPT32.DLL), the user interface (USER32.DLL), the shell
// (SHELL32.DLL) and the common controls (COMCTL32.DLL). None of them is in the stub's import
// table; each is loaded by full path from the system directory when one of its functions is
// first called, and a run that never calls one never loads it.
//
// Call the functions through their slots, e.g.
//     g_QuilStubLazyUser32.pfnMessageBoxW(hwndOwner, pwszText, pwszTitle, fStyle);
// Each slot has the platform function's exact signature and calling convention. The types are
// spelled without the platform's headers, so portable code can include this header: handles
// are the very structure pointers the platform headers declare (HWND is struct HWND__ *, and so
// on), UINT, DWORD and BOOL are 32-bit integers, and wide strings are RTUTF16 (the platform's
// 16-bit WCHAR; pass L"..." literals as (const RTUTF16 *)).
//
// A library or function that cannot be bound ends the process with a report on standard error
// and a breakpoint trap; the slot never returns an error of its own.
#pragma once

#include <qrt/lazybind.h>

struct HWND__;
struct _CERT_CONTEXT;
struct _SHFILEOPSTRUCTW;
struct tagINITCOMMONCONTROLSEX;

typedef struct HWND__ *QUILHWND;
typedef const struct _CERT_CONTEXT *QUILPCCERT_CONTEXT;
typedef void *QUILHCERTSTORE;
typedef int32_t QUILINSTALLUILEVEL;
typedef int QUILBOOL;

// MSI.DLL, the Windows Installer.
typedef struct QUILSTUBLAZYMSI {
    RTLAZYLIB Lib;
    uint32_t(RTLAZY_WINAPI *pfnMsiInstallProductW)(const RTUTF16 *pwszPackagePath, const RTUTF16 *pwszCommandLine);
    uint32_t(RTLAZY_WINAPI *pfnMsiEnableLogW)(uint32_t fLogMode, const RTUTF16 *pwszLogFile, uint32_t fLogAttributes);
    QUILINSTALLUILEVEL(RTLAZY_WINAPI *pfnMsiSetInternalUI)(QUILINSTALLUILEVEL enmUILevel, QUILHWND *phWnd);
} QUILSTUBLAZYMSI;
extern QUILSTUBLAZYMSI g_QuilStubLazyMsi;

// CRYPT32.DLL, CryptoAPI's certificate stores.
typedef struct QUILSTUBLAZYCRYPT32 {
    RTLAZYLIB Lib;
    QUILPCCERT_CONTEXT(RTLAZY_WINAPI *pfnCertCreateCertificateContext)
    (uint32_t fCertEncodingType, const uint8_t *pbCertEncoded, uint32_t cbCertEncoded);
    QUILHCERTSTORE(RTLAZY_WINAPI *pfnCertOpenStore)
    (const char *pszStoreProvider, uint32_t fEncodingType, uintptr_t hCryptProv, uint32_t fFlags, const void *pvPara);
    QUILBOOL(RTLAZY_WINAPI *pfnCertFreeCertificateContext)(QUILPCCERT_CONTEXT pCertContext);
    QUILBOOL(RTLAZY_WINAPI *pfnCertAddCertificateContextToStore)
    (QUILHCERTSTORE hCertStore, QUILPCCERT_CONTEXT pCertContext, uint32_t fAddDisposition,
     QUILPCCERT_CONTEXT *ppStoreContext);
    QUILBOOL(RTLAZY_WINAPI *pfnCertCloseStore)(QUILHCERTSTORE hCertStore, uint32_t fFlags);
} QUILSTUBLAZYCRYPT32;
extern QUILSTUBLAZYCRYPT32 g_QuilStubLazyCrypt32;

// USER32.DLL, message boxes.
typedef struct QUILSTUBLAZYUSER32 {
    RTLAZYLIB Lib;
    int(RTLAZY_WINAPI *pfnMessageBoxW)(QUILHWND hWnd, const RTUTF16 *pwszText, const RTUTF16 *pwszCaption,
                                       uint32_t fType);
    int(RTLAZY_WINAPI *pfnMessageBoxA)(QUILHWND hWnd, const char *pszText, const char *pszCaption, uint32_t fType);
    QUILHWND(RTLAZY_WINAPI *pfnGetDesktopWindow)(void);
} QUILSTUBLAZYUSER32;
extern QUILSTUBLAZYUSER32 g_QuilStubLazyUser32;

// SHELL32.DLL: the command-line split and the directory copy.
typedef struct QUILSTUBLAZYSHELL32 {
    RTLAZYLIB Lib;
    RTUTF16 **(RTLAZY_WINAPI *pfnCommandLineToArgvW)(const RTUTF16 *pwszCmdLine, int *pcArgs);
    int(RTLAZY_WINAPI *pfnSHFileOperationW)(struct _SHFILEOPSTRUCTW *pFileOp);
} QUILSTUBLAZYSHELL32;
extern QUILSTUBLAZYSHELL32 g_QuilStubLazyShell32;

// COMCTL32.DLL: readies the version 6 controls the Windows Installer's dialogs use.
typedef struct QUILSTUBLAZYCOMCTL32 {
    RTLAZYLIB Lib;
    QUILBOOL(RTLAZY_WINAPI *pfnInitCommonControlsEx)(const struct tagINITCOMMONCONTROLSEX *pInitCtrls);
} QUILSTUBLAZYCOMCTL32;
extern QUILSTUBLAZYCOMCTL32 g_QuilStubLazyComctl32;
