// The Park-Miller "minimal standard" generator, with a cache of spare bits for the draws that
// need more than the 31 bits one step gives.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/mem.h>
#include <qrt/rand.h>
#include <qrt/strtonum.h>

#include "common/rand/rand-internal.h"

#include <string.h>

#define RTRANDPARKMILLER_TAG "Runtime/common/rand/randparkmiller"

// The state of a new generator, and the value that stands in for a zero state (the decimal
// spelling of the same digits).
#define RTRANDPM_INITIAL_STATE 0x20080806U
#define RTRANDPM_ZERO_STATE 20080806U

uint32_t rtRandParkMillerStep(uint32_t *pu32Ctx) {
    uint32_t u32 = *pu32Ctx;
    if (u32 == 0) u32 = RTRANDPM_ZERO_STATE;
    u32 = (uint32_t)(((uint64_t)u32 * 16807U) % 2147483647U);
    *pu32Ctx = u32;
    return u32;
}

// Refills the spare bits from one more step when fewer than cNeeded remain.
static void rtRandParkMillerRefill(RTRANDINT *pThis, uint32_t cNeeded) {
    if (pThis->u.ParkMiller.cBits < cNeeded) {
        pThis->u.ParkMiller.u32Bits = rtRandParkMillerStep(&pThis->u.ParkMiller.u32Ctx);
        pThis->u.ParkMiller.cBits = 30;
    }
}

static uint32_t rtRandParkMillerGetU32(RTRANDINT *pThis, uint32_t u32First, uint32_t u32Last) {
    uint32_t const uRange = u32Last - u32First;
    uint32_t u32;
    if (uRange == UINT32_MAX) {
        // 31 bits from the step and the top two from the cache.
        uint32_t const v = rtRandParkMillerStep(&pThis->u.ParkMiller.u32Ctx);
        rtRandParkMillerRefill(pThis, 2);
        u32 = ((pThis->u.ParkMiller.u32Bits & 3U) << 30) | (v >> 1);
        pThis->u.ParkMiller.u32Bits >>= 2;
        pThis->u.ParkMiller.cBits -= 2;
    } else if (uRange == 0x7FFFFFFEU)
        u32 = rtRandParkMillerStep(&pThis->u.ParkMiller.u32Ctx);
    else if (uRange < 0x07FFFFFFU)
        u32 = (rtRandParkMillerStep(&pThis->u.ParkMiller.u32Ctx) >> 1) % (uRange + 1);
    else {
        // 36 bits: 30 of the step and six spare ones, reduced to the range.
        uint32_t const v = rtRandParkMillerStep(&pThis->u.ParkMiller.u32Ctx);
        rtRandParkMillerRefill(pThis, 6);
        uint32_t const w = pThis->u.ParkMiller.u32Bits & 0x3FU;
        pThis->u.ParkMiller.u32Bits >>= 6;
        pThis->u.ParkMiller.cBits -= 6;
        uint64_t const u64 = (uint64_t)(v >> 1) | ((uint64_t)(w & 3U) << 30) | ((uint64_t)(w >> 2) << 32);
        u32 = (uint32_t)(u64 % ((uint64_t)uRange + 1));
    }
    return u32First + u32;
}

static uint64_t rtRandParkMillerGetU64(RTRANDINT *pThis, uint64_t u64First, uint64_t u64Last) {
    uint64_t const uRange = u64Last - u64First;
    if (uRange <= UINT32_MAX) return u64First + rtRandParkMillerGetU32(pThis, 0, (uint32_t)uRange);
    // Wider: two full-range draws make 64 bits, reduced to the range.
    uint64_t u64 = (uint64_t)rtRandParkMillerGetU32(pThis, 0, UINT32_MAX) << 32;
    u64 |= rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
    if (uRange != UINT64_MAX) u64 %= uRange + 1;
    return u64First + u64;
}

static void rtRandParkMillerGetBytes(RTRANDINT *pThis, uint8_t *pb, size_t cb) {
    while (cb > 0) {
        uint32_t u32 = rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
        size_t const cbThis = RT_MIN(cb, (size_t)4);
        for (size_t i = 0; i < cbThis; i++, u32 >>= 8) *pb++ = (uint8_t)u32;
        cb -= cbThis;
    }
}

static int rtRandParkMillerSeed(RTRANDINT *pThis, uint64_t u64Seed) {
    pThis->u.ParkMiller.u32Ctx = (uint32_t)u64Seed;
    pThis->u.ParkMiller.u32Bits = 0;
    pThis->u.ParkMiller.cBits = 0;
    return QINF_SUCCESS;
}

// "PM:" 8 hex digits "," 8 hex digits "," 2 hex digits ";" and the terminator.
#define RTRANDPM_STATE_SIZE 25

static int rtRandParkMillerSaveState(RTRANDINT *pThis, char *pszState, size_t *pcbState) {
    if (*pcbState < RTRANDPM_STATE_SIZE) {
        *pcbState = RTRANDPM_STATE_SIZE;
        return QERR_BUFFER_OVERFLOW;
    }
    RTStrPrintf(pszState, *pcbState, "PM:%08RX32,%08RX32,%02x;", pThis->u.ParkMiller.u32Ctx,
                pThis->u.ParkMiller.u32Bits, pThis->u.ParkMiller.cBits);
    return QINF_SUCCESS;
}

// One field of a saved state: cchDigits hex digits that end exactly at chEnd.
static bool rtRandParkMillerParseField(const char **ppsz, size_t cchDigits, char chEnd, uint32_t *pu32) {
    char *pszNext = NULL;
    int rc = RTStrToUInt32Ex(*ppsz, &pszNext, 16, pu32);
    if (rc != QWRN_TRAILING_CHARS || pszNext != *ppsz + cchDigits || *pszNext != chEnd) return false;
    *ppsz = pszNext + 1;
    return true;
}

static int rtRandParkMillerRestoreState(RTRANDINT *pThis, const char *pszState) {
    if (strncmp(pszState, "PM:", 3) != 0) return QERR_PARSE_ERROR;
    const char *psz = pszState + 3;
    uint32_t u32Ctx, u32Bits, cBits;
    if (!rtRandParkMillerParseField(&psz, 8, ',', &u32Ctx) || !rtRandParkMillerParseField(&psz, 8, ',', &u32Bits) ||
        !rtRandParkMillerParseField(&psz, 2, ';', &cBits) || *psz != '\0')
        return QERR_PARSE_ERROR;
    pThis->u.ParkMiller.u32Ctx = u32Ctx;
    pThis->u.ParkMiller.u32Bits = u32Bits;
    pThis->u.ParkMiller.cBits = cBits;
    return QINF_SUCCESS;
}

static int rtRandParkMillerDestroy(RTRANDINT *pThis) {
    pThis->u32Magic = RTRANDINT_MAGIC_DEAD;
    RTMemFree(pThis);
    return QINF_SUCCESS;
}

int RTRandCreateParkMiller(RTRAND *phRand) {
    *phRand = NIL_RTRAND;
    RTRANDINT *pThis = (RTRANDINT *)RTMemAllocTag(sizeof(*pThis), RTRANDPARKMILLER_TAG);
    if (!pThis) return QERR_NO_MEMORY;
    pThis->u32Magic = RTRANDINT_MAGIC;
    pThis->pfnGetBytes = rtRandParkMillerGetBytes;
    pThis->pfnGetU32 = rtRandParkMillerGetU32;
    pThis->pfnGetU64 = rtRandParkMillerGetU64;
    pThis->pfnSeed = rtRandParkMillerSeed;
    pThis->pfnSaveState = rtRandParkMillerSaveState;
    pThis->pfnRestoreState = rtRandParkMillerRestoreState;
    pThis->pfnDestroy = rtRandParkMillerDestroy;
    pThis->u.ParkMiller.u32Ctx = RTRANDPM_INITIAL_STATE;
    pThis->u.ParkMiller.u32Bits = 0;
    pThis->u.ParkMiller.cBits = 0;
    *phRand = pThis;
    return QINF_SUCCESS;
}
