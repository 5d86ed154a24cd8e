// What the certificate steps need from the platform besides CryptoAPI's lazily bound slots:
// the thread's last error, read right after a failing CryptoAPI call, and the Windows version
// and product type that decide the timestamp CA step. In a table that tests may fill (and must
// put back). Elsewhere than on Windows there is no last error (0).
#pragma once

#include <qrt/types.h>

typedef struct StubCertCalls {
    uint32_t (*pfnGetLastError)(void);
    uint64_t (*pfnGetNtVersion)(void);    // RTSystemGetNtVersion
    uint8_t (*pfnGetNtProductType)(void); // RTSystemGetNtProductType
} StubCertCalls;

extern StubCertCalls g_StubCertCalls;
