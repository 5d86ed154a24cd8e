// Platform libraries on Windows: LoadLibraryExW by full path, the system directory (or the
// side-by-side redirection the process's activation context asks for), GetProcAddress and
// FreeLibrary.
#include <string.h>

#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "common/ldr/ldr-internal.h"
#include "r3/win/init-win-internal.h"
#include "r3/win/ldr-win-internal.h"

#define RTLDRNATIVEWIN_TAG "Runtime/r3/win/ldrNative-win"

RTLDRWINCALLS g_rtLdrWinCalls = {
    ::LoadLibraryExW,
    ::FreeLibrary,
    ::GetProcAddress,
    ::GetSystemDirectoryW,
};

RTLDRWINSEARCH volatile g_enmRtLdrWinSearch = RTLDRWINSEARCH_UNKNOWN;

// The system directory query's buffer, in UTF-16 units.
#define RTLDRWIN_SYSDIR_SIZE 260
// The redirection's static result buffer, in bytes.
#define RTLDRWIN_REDIRECT_STATIC_SIZE 518

static int rtldrWinLastError(void) {
    int rc = RTErrConvertFromWin32(GetLastError());
    return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
}

int rtldrNativeLoad(const char *pszFilename, uintptr_t *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo) {
    // LoadLibraryExW adds ".dll" to a name without suffix. Without the no-suffix flag we add our
    // own ".DLL"; with it a trailing "." asks for the name exactly as it is.
    bool const fNoSuffix = RTPathSuffix(pszFilename) == NULL;
    const RTUTF16 *pwszTail = NULL;
    if (fNoSuffix) pwszTail = (fFlags & RTLDRLOAD_FLAGS_NO_SUFFIX) ? (const RTUTF16 *)L"." : (const RTUTF16 *)L".DLL";

    size_t cwc = 0;
    int rc = RTStrCalcUtf16LenEx(pszFilename, RTSTR_MAX, &cwc);
    RTUTF16 *pwszPath = NULL;
    if (RT_SUCCESS(rc))
        rc = RTStrToUtf16ExTag(pszFilename, RTSTR_MAX, &pwszPath, cwc + 5 + 1, &cwc, RTLDRNATIVEWIN_TAG);
    if (RT_FAILURE(rc)) {
        rtldrErrInfoSet(pErrInfo, rc, "Error converting UTF-8 to UTF-16 string.");
        return rc;
    }
    for (size_t i = 0; i < cwc; i++)
        if (pwszPath[i] == '/') pwszPath[i] = '\\';
    if (pwszTail) {
        size_t const cwcTail = RTUtf16Len(pwszTail);
        memcpy(&pwszPath[cwc], pwszTail, (cwcTail + 1) * sizeof(RTUTF16));
    }

    HMODULE hMod = NULL;
    if ((fFlags & RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR) && g_enmRtLdrWinSearch != RTLDRWINSEARCH_UNSUPPORTED) {
        hMod = g_rtLdrWinCalls.pfnLoadLibraryExW((LPCWSTR)pwszPath, NULL, RTLDRWIN_SEARCH_FLAGS);
        if (g_enmRtLdrWinSearch == RTLDRWINSEARCH_UNKNOWN) {
            // Systems without the search flags refuse them as an invalid parameter; any other
            // answer shows they were understood.
            if (!hMod && GetLastError() == ERROR_INVALID_PARAMETER) {
                g_enmRtLdrWinSearch = RTLDRWINSEARCH_UNSUPPORTED;
                hMod = g_rtLdrWinCalls.pfnLoadLibraryExW((LPCWSTR)pwszPath, NULL, 0);
            } else
                g_enmRtLdrWinSearch = RTLDRWINSEARCH_SUPPORTED;
        }
    } else
        hMod = g_rtLdrWinCalls.pfnLoadLibraryExW((LPCWSTR)pwszPath, NULL, 0);

    if (hMod) {
        *phHandle = (uintptr_t)hMod;
        rc = QINF_SUCCESS;
    } else {
        DWORD const dwErr = GetLastError();
        rc = RTErrConvertFromWin32(dwErr);
        if (RT_SUCCESS(rc)) rc = QERR_INTERNAL_ERROR;
        rtldrErrInfoSet(pErrInfo, rc, "GetLastError=%u", (unsigned)dwErr);
    }
    RTUtf16Free(pwszPath);
    return rc;
}

// Asks the activation context where pszFilename would be loaded from. Stores the answer in
// pszPath and returns true only when it lies under the system directory's drive and top-level
// directory.
static bool rtldrWinRedirect(const char *pszFilename, const RTUTF16 *pwszSystemDir, char *pszPath, size_t cbPath) {
    PFNRTLDOSAPPLYFILEISOLATIONREDIRECTION_USTR pfnRedirect =
        rtR3WinNtDll()->pfnRtlDosApplyFileIsolationRedirection_Ustr;
    if (!pfnRedirect) return false;

    RTUTF16 wszName[RTLDRWIN_SYSDIR_SIZE];
    RTUTF16 *pwszName = wszName;
    size_t cwcName = 0;
    if (RT_FAILURE(
            RTStrToUtf16ExTag(pszFilename, RTSTR_MAX, &pwszName, RT_ELEMENTS(wszName), &cwcName, RTLDRNATIVEWIN_TAG)))
        return false;

    UNICODE_STRING OriginalName;
    OriginalName.Buffer = (PWSTR)wszName;
    OriginalName.Length = (USHORT)(cwcName * sizeof(RTUTF16));
    OriginalName.MaximumLength = (USHORT)(OriginalName.Length + sizeof(RTUTF16));
    static WCHAR const s_wszExt[] = L".dll";
    UNICODE_STRING Extension;
    Extension.Buffer = (PWSTR)s_wszExt;
    Extension.Length = sizeof(s_wszExt) - sizeof(WCHAR);
    Extension.MaximumLength = sizeof(s_wszExt);
    WCHAR wszStatic[RTLDRWIN_REDIRECT_STATIC_SIZE / sizeof(WCHAR)];
    UNICODE_STRING StaticString;
    StaticString.Buffer = wszStatic;
    StaticString.Length = 0;
    StaticString.MaximumLength = sizeof(wszStatic);
    UNICODE_STRING DynamicString;
    DynamicString.Buffer = NULL;
    DynamicString.Length = 0;
    DynamicString.MaximumLength = 0;
    PUNICODE_STRING pNewName = NULL;

    bool fUse = false;
    NTSTATUS rcNt =
        pfnRedirect(1, &OriginalName, &Extension, &StaticString, &DynamicString, &pNewName, NULL, NULL, NULL);
    if (NT_SUCCESS(rcNt) && pNewName && pNewName->Buffer) {
        size_t const cwcAnswer = pNewName->Length / sizeof(WCHAR);
        if (rtldrRedirectMatchesSystemDir((const RTUTF16 *)pNewName->Buffer, cwcAnswer, pwszSystemDir))
            fUse = RT_SUCCESS(RTUtf16ToUtf8ExTag((const RTUTF16 *)pNewName->Buffer, cwcAnswer, &pszPath, cbPath, NULL,
                                                 RTLDRNATIVEWIN_TAG));
    }
    if (DynamicString.Buffer) RtlFreeUnicodeString(&DynamicString);
    return fUse;
}

int rtldrNativeLoadSystem(const char *pszFilename, const char *pszSuffix, uint32_t fFlags, PRTLDRMOD phLdrMod) {
    WCHAR wszSystemDir[RTLDRWIN_SYSDIR_SIZE];
    UINT const cwcSystemDir = g_rtLdrWinCalls.pfnGetSystemDirectoryW(wszSystemDir, RT_ELEMENTS(wszSystemDir));
    // No length at all is a failure of the query, never an empty directory to load from.
    if (cwcSystemDir == 0) return rtldrWinLastError();
    if (cwcSystemDir >= RT_ELEMENTS(wszSystemDir)) return QERR_FILENAME_TOO_LONG;

    char szPath[RTLDR_PATH_BUF_SIZE];
    // The redirected answer is a complete path; otherwise the name goes into the directory.
    if (rtldrWinRedirect(pszFilename, (const RTUTF16 *)wszSystemDir, szPath, sizeof(szPath)))
        return rtldrLoadSystemPath(szPath, sizeof(szPath), RTPATH_STYLE_HOST, NULL, NULL, fFlags, phLdrMod);
    char *pszPath = szPath;
    int rc = RTUtf16ToUtf8ExTag((const RTUTF16 *)wszSystemDir, cwcSystemDir, &pszPath, sizeof(szPath), NULL,
                                RTLDRNATIVEWIN_TAG);
    if (RT_FAILURE(rc)) return rc;
    return rtldrLoadSystemPath(szPath, sizeof(szPath), RTPATH_STYLE_HOST, pszFilename, pszSuffix, fFlags, phLdrMod);
}

int rtldrNativeClose(RTLDRMODINTERNAL *pMod) {
    int rc = QINF_SUCCESS;
    if (pMod->hNative != RTLDR_NIL_NATIVE_HANDLE && !(pMod->fFlags & RTLDRLOAD_FLAGS_NO_UNLOAD)) {
        if (!g_rtLdrWinCalls.pfnFreeLibrary((HMODULE)pMod->hNative)) rc = rtldrWinLastError();
    }
    pMod->hNative = RTLDR_NIL_NATIVE_HANDLE;
    return rc;
}

int rtldrNativeGetSymbol(RTLDRMODINTERNAL *pMod, const char *pszSymbol, void **ppvValue) {
    FARPROC pfn = g_rtLdrWinCalls.pfnGetProcAddress((HMODULE)pMod->hNative, pszSymbol);
    if (pfn) {
        *ppvValue = (void *)pfn;
        return QINF_SUCCESS;
    }
    *ppvValue = NULL;
    return rtldrWinLastError();
}
