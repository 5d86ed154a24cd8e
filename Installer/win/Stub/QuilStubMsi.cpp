// Installation of the extracted packages through the Windows Installer, and the mapping of its
// result.
#define QUILSTUB_MSI_TAG "Installer/win/Stub/QuilStubMsi"
#define RTMEM_TAG QUILSTUB_MSI_TAG

#include "QuilStubMsi.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubCleanup.h"
#include "QuilStubExitCodes.h"
#include "QuilStubLazy.h"
#include "QuilStubMessages.h"
#include "QuilStubPackages.h"
#include "QuilStubSettings.h"
#include "QuilStubTexts.h"

#include <qrt/err.h>
#include <qrt/message.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

bool g_fStubMsiLogStarted = false;

namespace {

// Windows Installer values.
int32_t const g_iUiLevelNone = 2;
int32_t const g_iUiLevelFull = 5;
uint32_t const g_fLogModeVerbose = 0x1000;
uint32_t const g_fLogFlushEachLine = 2;
uint32_t const g_fLogAppend = 1;
uint32_t const g_uErrUserExit = 1602;
uint32_t const g_uErrPackageVersion = 1613;
uint32_t const g_uErrPlatformUnsupported = 1633;
uint32_t const g_uErrRebootRequired = 3010;

// The common controls' initialisation record: the classes the Windows Installer's dialogs use.
struct StubInitCommonControls {
    uint32_t cbSize;
    uint32_t fClasses;
};
StubInitCommonControls const g_InitCommonControls = {8, 0xD2FF};

// "Installation failed! Error: " with the system's text for uCode, or its number.
int stubReportInstallError(uint32_t uCode) {
    void *hNetMsg = NULL;
    uint32_t fFlags = QUILSTUB_FORMAT_FROM_SYSTEM;
    if (uCode >= 2100 && uCode <= 2999) {
        hNetMsg = g_StubMsiCalls.pfnLoadNetMsg();
        if (hNetMsg) fFlags = QUILSTUB_FORMAT_FROM_MODULE;
    }
    RTUTF16 *pwszText = NULL;
    if (g_StubMsiCalls.pfnFormatMessage(fFlags, hNetMsg, uCode, &pwszText) && pwszText) {
        ReportFailure(QUILSTUB_MSG_INSTALL_FAILED_TEXT, pwszText);
        g_StubMsiCalls.pfnFreeText(pwszText);
    } else
        ReportFailure(QUILSTUB_MSG_INSTALL_FAILED_CODE, uCode);
    if (hNetMsg) g_StubMsiCalls.pfnFreeModule(hNetMsg);
    return QUILSTUB_EXIT_FAILURE;
}

} // namespace

int RunMsiInstall(const char *pszPackagePath, const char *pszMsiParams, const char *pszMsiLogPath) {
    if (!g_QuilStubLazyMsi.pfnMsiSetInternalUI(silentMode ? g_iUiLevelNone : g_iUiLevelFull, NULL))
        return ReportFailure(QUILSTUB_MSG_SET_UI_FAILED);

    if (pszMsiLogPath) {
        RTUTF16 *pwszLogPath = NULL;
        int rc = RTStrToUtf16(pszMsiLogPath, &pwszLogPath);
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_TO_UTF16_FAILED, pszMsiLogPath, rc);
        // The first package's log replaces an old one; later packages add theirs, so that the
        // log of a multi-package failure holds every package.
        uint32_t const fAttributes = g_fLogFlushEachLine | (g_fStubMsiLogStarted ? g_fLogAppend : 0);
        uint32_t const uErr = g_QuilStubLazyMsi.pfnMsiEnableLogW(g_fLogModeVerbose, pwszLogPath, fAttributes);
        RTUtf16Free(pwszLogPath);
        if (uErr) return ReportFailure(QUILSTUB_MSG_ENABLE_LOG_FAILED);
        g_fStubMsiLogStarted = true;
    }

    g_QuilStubLazyComctl32.pfnInitCommonControlsEx(
        reinterpret_cast<const struct tagINITCOMMONCONTROLSEX *>(&g_InitCommonControls));

    RTUTF16 *pwszPackagePath = NULL;
    int rc = RTStrToUtf16(pszPackagePath, &pwszPackagePath);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_TO_UTF16_FAILED, pszPackagePath, rc);
    RTUTF16 *pwszParams = NULL;
    rc = RTStrToUtf16(pszMsiParams, &pwszParams);
    if (RT_FAILURE(rc)) {
        RTUtf16Free(pwszPackagePath);
        return ReportFailure(QUILSTUB_MSG_TO_UTF16_FAILED, pszMsiParams, rc);
    }
    uint32_t const uErr = g_QuilStubLazyMsi.pfnMsiInstallProductW(pwszPackagePath, pwszParams);
    RTUtf16Free(pwszPackagePath);
    RTUtf16Free(pwszParams);

    switch (uErr) {
    case 0:
        return QUILSTUB_EXIT_SUCCESS;
    case g_uErrRebootRequired:
        if (silentMode) RTMsgInfo(QUILSTUB_MSG_REBOOT_REQUIRED, pszPackagePath);
        return QUILSTUB_EXIT_REBOOT_REQUIRED;
    case g_uErrUserExit:
        return QUILSTUB_EXIT_FAILURE; // the user cancelled and knows it
    case g_uErrPackageVersion:
        return ReportFailure(QUILSTUB_MSG_MSI_TOO_OLD);
    case g_uErrPlatformUnsupported:
        return ReportFailure(QUILSTUB_MSG_PLATFORM_UNSUPPORTED);
    }
    return stubReportInstallError(uErr);
}

int InstallPackageByIndex(unsigned iPackage, const char *pszMsiParams, const char *pszMsiLogPath) {
    const StubPackage *pHeader;
    int rc = LocatePackageHeader(iPackage, &pHeader);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_HEADER_NOT_FOUND, iPackage, rc);
    if (!PackageFitsHost(pHeader)) return QUILSTUB_EXIT_SUCCESS; // neither extracted nor installed

    CleanupRecord *pRecord = FindPackageCleanupRecord(iPackage);
    if (!pRecord) return ErrorToStderrFail(QUILSTUB_MSG_PACKAGE_NOT_RECORDED, iPackage);
    RTPathChangeToDosSlashes(pRecord->szPath, true);
    const char *pszSuffix = RTPathSuffix(pRecord->szPath);
    if (pszSuffix && !RTStrAsciiICmp(pszSuffix, ".msi"))
        return RunMsiInstall(pRecord->szPath, pszMsiParams, pszMsiLogPath);
    if (pszSuffix && !RTStrAsciiICmp(pszSuffix, ".cab")) return QUILSTUB_EXIT_SUCCESS;
    return ReportFailure(QUILSTUB_MSG_UNKNOWN_PACKAGE_KIND, pHeader->szFileName, pRecord->szPath);
}
