// The package container on a host without executable resources: the resources come from a
// table that a test fills, and the host counts as 64-bit when this program is.
#include "QuilStubPackages-internal.h"

#include <qrt/string.h>

const StubResourceEntry *g_paStubResources = NULL;
size_t g_cStubResources = 0;

namespace {

char stubAsciiUpper(unsigned uch) {
    return (char)(uch >= 'a' && uch <= 'z' ? uch - 'a' + 'A' : uch);
}

bool stubNameMatches(const RTUTF16 *pwszName, const char *pszEntry) {
    for (;; pwszName++, pszEntry++) {
        if (*pwszName > 0x7f || stubAsciiUpper(*pwszName) != stubAsciiUpper((unsigned char)*pszEntry)) return false;
        if (!*pwszName) return true;
    }
}

void *stubPosixFindResource(const RTUTF16 *pwszName) {
    for (size_t i = 0; i < g_cStubResources; i++)
        if (stubNameMatches(pwszName, g_paStubResources[i].pszName)) return (void *)&g_paStubResources[i];
    return NULL;
}

uint32_t stubPosixSizeofResource(void *hResInfo) {
    return static_cast<const StubResourceEntry *>(hResInfo)->cbData;
}

void *stubPosixLoadResource(void *hResInfo) {
    return hResInfo;
}

const void *stubPosixLockResource(void *hResData) {
    return static_cast<const StubResourceEntry *>(hResData)->pvData;
}

bool stubPosixIsWow64(bool *pfWow64) {
    *pfWow64 = sizeof(void *) == 8;
    return true;
}

PFNSTUBISWOW64 stubPosixLookupIsWow64(void) {
    return stubPosixIsWow64;
}

} // namespace

StubPackageCalls g_StubPackageCalls = {stubPosixFindResource, stubPosixSizeofResource, stubPosixLoadResource,
                                       stubPosixLockResource, stubPosixLookupIsWow64};
