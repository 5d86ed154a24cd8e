// The version record from the platform: RtlGetVersion (true numbers, looked up by name since
// it is not in every ntdll import library), then GetVersionExW in its extended and short forms.
#include "r3/system-internal.h"
#include "r3/win/init-win-internal.h"

#include <windows.h>
#include <string.h>

static void rtSystemCopyVersion(RTSYSVERSIONREC *pRec, const OSVERSIONINFOEXW *pInfo) {
    pRec->cbFilled = pInfo->dwOSVersionInfoSize;
    pRec->uMajor = pInfo->dwMajorVersion;
    pRec->uMinor = pInfo->dwMinorVersion;
    pRec->uBuild = pInfo->dwBuildNumber;
    pRec->uPlatformId = pInfo->dwPlatformId;
    // The short form has no product type.
    pRec->bProductType = pInfo->dwOSVersionInfoSize >= sizeof(OSVERSIONINFOEXW) ? pInfo->wProductType : 0;
}

void rtSystemQueryVersion(RTSYSVERSIONREC *pRec) {
    memset(pRec, 0, sizeof(*pRec));
    OSVERSIONINFOEXW Info;

    PFNRTLGETVERSION pfnRtlGetVersion = rtR3WinNtDll()->pfnRtlGetVersion;
    if (pfnRtlGetVersion) {
        memset(&Info, 0, sizeof(Info));
        Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (pfnRtlGetVersion(&Info) >= 0) {
            rtSystemCopyVersion(pRec, &Info);
            return;
        }
    }

    memset(&Info, 0, sizeof(Info));
    Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (GetVersionExW((OSVERSIONINFOW *)&Info)) {
        rtSystemCopyVersion(pRec, &Info);
        return;
    }

    memset(&Info, 0, sizeof(Info));
    Info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW((OSVERSIONINFOW *)&Info)) rtSystemCopyVersion(pRec, &Info);
}
