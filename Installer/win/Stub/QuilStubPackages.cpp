// The package container: finding resources by name, reading the manifest and the package
// headers without reading past them, vetting a header's file name, and matching a package's
// architecture against the host.
#define QUILSTUB_PACKAGES_TAG "Installer/win/Stub/QuilStubPackages"
#define RTMEM_TAG QUILSTUB_PACKAGES_TAG

#include "QuilStubPackages.h"
#include "QuilStubPackages-internal.h"

#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <string.h>

static_assert(offsetof(StubManifest, cPackages) == 16, "the count stays at offset 16");
static_assert(offsetof(StubPackage, szFileName) == 261, "header layout");

namespace {

// Device names that Windows resolves in any directory, with or without a suffix.
const char *const g_apszDeviceNames[] = {"CON", "PRN", "AUX", "NUL"};
const char *const g_apszNumberedDeviceNames[] = {"COM", "LPT"};

bool stubIsDeviceName(const char *pszName) {
    // The part before the first dot, without the blanks that Windows drops before a suffix.
    size_t cchBase = strcspn(pszName, ".");
    while (cchBase > 0 && pszName[cchBase - 1] == ' ') cchBase--;
    if (cchBase == 3) {
        for (const char *pszDevice : g_apszDeviceNames)
            if (!RTStrNICmp(pszName, pszDevice, 3)) return true;
    } else if (cchBase == 4 && pszName[3] >= '1' && pszName[3] <= '9') {
        for (const char *pszDevice : g_apszNumberedDeviceNames)
            if (!RTStrNICmp(pszName, pszDevice, 3)) return true;
    }
    return false;
}

} // namespace

int LocateEmbeddedResource(const char *pszName, const void **ppvData, uint32_t *pcbData) {
    if (!pszName) return QERR_INVALID_PARAMETER;
    RTUTF16 *pwszName = NULL;
    int rc = RTStrToUtf16(pszName, &pwszName);
    if (RT_FAILURE(rc)) return rc;
    void *hResInfo = g_StubPackageCalls.pfnFindResource(pwszName);
    RTUtf16Free(pwszName);
    if (!hResInfo) return QERR_IO_GEN_FAILURE;

    uint32_t const cbData = g_StubPackageCalls.pfnSizeofResource(hResInfo);
    if (!cbData) return QERR_NO_DATA;
    void *hResData = g_StubPackageCalls.pfnLoadResource(hResInfo);
    const void *pvData = hResData ? g_StubPackageCalls.pfnLockResource(hResData) : NULL;
    if (!pvData) return QERR_IO_GEN_FAILURE;
    if (pcbData) *pcbData = cbData;
    *ppvData = pvData;
    return QINF_SUCCESS;
}

int QueryPackageCount(unsigned *pcPackages) {
    const void *pvData;
    uint32_t cbData;
    int rc = LocateEmbeddedResource(QUILSTUB_MANIFEST_NAME, &pvData, &cbData);
    if (RT_FAILURE(rc)) return rc;
    if (cbData < QUILSTUB_MANIFEST_MIN_SIZE) return QERR_BAD_EXE_FORMAT;
    *pcPackages = static_cast<const StubManifest *>(pvData)->cPackages;
    return QINF_SUCCESS;
}

int LocatePackageHeader(unsigned iPackage, const StubPackage **ppHeader) {
    char szName[32];
    RTStrPrintf(szName, sizeof(szName), QUILSTUB_HEADER_NAME_FORMAT, iPackage);
    const void *pvData;
    uint32_t cbData;
    int rc = LocateEmbeddedResource(szName, &pvData, &cbData);
    if (RT_FAILURE(rc)) return rc;
    // Both names are used as strings: each must end inside its own field, or reading it would
    // run into the next field or past the resource.
    const StubPackage *pHeader = static_cast<const StubPackage *>(pvData);
    if (cbData < QUILSTUB_PACKAGE_SIZE || !RTStrEnd(pHeader->szResourceName, QUILSTUB_PACKAGE_NAME_SIZE) ||
        !RTStrEnd(pHeader->szFileName, QUILSTUB_PACKAGE_NAME_SIZE))
        return QERR_BAD_EXE_FORMAT;
    *ppHeader = pHeader;
    return QINF_SUCCESS;
}

int CheckPackageFileName(const char *pszFileName) {
    size_t const cch = strlen(pszFileName);
    if (!cch || pszFileName[cch - 1] == '.' || pszFileName[cch - 1] == ' ') return QERR_INVALID_NAME; // ".", ".." too
    for (const char *psz = pszFileName; *psz; psz++) {
        unsigned char const uch = (unsigned char)*psz;
        if (uch < 0x20 || uch == 0x7f || uch == '\\' || uch == '/' || uch == ':') return QERR_INVALID_NAME;
    }
    if (!RTStrIsValidEncoding(pszFileName) || stubIsDeviceName(pszFileName)) return QERR_INVALID_NAME;
    return QINF_SUCCESS;
}

bool HostIsWow64(void) {
    PFNSTUBISWOW64 pfnIsWow64 = g_StubPackageCalls.pfnLookupIsWow64();
    if (!pfnIsWow64) return true;
    bool fWow64 = true;
    if (!pfnIsWow64(&fWow64)) return false;
    return fWow64;
}

bool PackageFitsHost(const StubPackage *pHeader) {
    switch (static_cast<PackageArch>(pHeader->bArch)) {
    case PackageArch::All:
        return true;
    case PackageArch::Amd64:
        return HostIsWow64();
    case PackageArch::X86:
        return !HostIsWow64();
    }
    return false;
}
