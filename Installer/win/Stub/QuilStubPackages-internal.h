// The platform calls behind the package container, in a table that tests may fill (and must
// put back). On Windows they are kernel32's resource calls on the executable itself and its
// IsWow64Process; elsewhere, a host without resources: a table of named byte blocks that a
// test can fill, and a 64-bit host.
#pragma once

#include <qrt/types.h>

// Answers for the current process into *pfWow64 (preset by the caller); false when the query
// failed.
typedef bool (*PFNSTUBISWOW64)(bool *pfWow64);

typedef struct StubPackageCalls {
    // The raw-data resource of that name in the executable, any language: its handle, or null.
    void *(*pfnFindResource)(const RTUTF16 *pwszName);
    // Its size in bytes; 0 for an empty or unusable one.
    uint32_t (*pfnSizeofResource)(void *hResInfo);
    // The loaded resource, or null.
    void *(*pfnLoadResource)(void *hResInfo);
    // Its bytes in the image, or null.
    const void *(*pfnLockResource)(void *hResData);
    // The host's 32-bit-on-64-bit query, looked up by name; null when the system lacks it.
    PFNSTUBISWOW64 (*pfnLookupIsWow64)(void);
} StubPackageCalls;

extern StubPackageCalls g_StubPackageCalls;

// Builds for hosts without resources only: the resources the executable would carry. Names are compared
// without regard to ASCII case, as on Windows. Empty (null, 0) until a test fills it.
typedef struct StubResourceEntry {
    const char *pszName;
    const void *pvData;
    uint32_t cbData;
} StubResourceEntry;

extern const StubResourceEntry *g_paStubResources;
extern size_t g_cStubResources;
