// The generator record: a magic, the operations in a fixed order, and the state of the kind
// of generator behind it.
#pragma once

#include <qrt/cdefs.h>
#include <qrt/rand.h>

#define RTRANDINT_MAGIC 0x19531118U
#define RTRANDINT_MAGIC_DEAD 0xE6ACEEE7U

typedef struct RTRANDINT {
    uint32_t volatile u32Magic;
    void (*pfnGetBytes)(struct RTRANDINT *pThis, uint8_t *pb, size_t cb);
    uint32_t (*pfnGetU32)(struct RTRANDINT *pThis, uint32_t u32First, uint32_t u32Last);
    uint64_t (*pfnGetU64)(struct RTRANDINT *pThis, uint64_t u64First, uint64_t u64Last);
    int (*pfnSeed)(struct RTRANDINT *pThis, uint64_t u64Seed);
    int (*pfnSaveState)(struct RTRANDINT *pThis, char *pszState, size_t *pcbState);
    int (*pfnRestoreState)(struct RTRANDINT *pThis, const char *pszState);
    int (*pfnDestroy)(struct RTRANDINT *pThis);
    union {
        struct {
            uint32_t u32Ctx;  // the Park-Miller value
            uint32_t u32Bits; // spare random bits
            uint32_t cBits;   // how many of them are not handed out yet
        } ParkMiller;
    } u;
} RTRANDINT;

// A live generator: a plausible pointer with the live magic.
static inline bool rtRandIsValid(const RTRANDINT *pThis) {
    return RT_VALID_PTR(pThis) && pThis->u32Magic == RTRANDINT_MAGIC;
}

// The platform's own generator; QERR_NOT_SUPPORTED where there is none (every platform here).
int rtRandCreatePlatform(RTRAND *phRand);
// Makes sure the shared generator exists: QINF_SUCCESS, or why it could not be created.
int rtRandSharedEnsure(void);
// One Park-Miller step of the state (exposed for tests).
uint32_t rtRandParkMillerStep(uint32_t *pu32Ctx);
// The shared generator, created first when needed; nil when it cannot be created.
RTRAND rtRandSharedHandle(void);
