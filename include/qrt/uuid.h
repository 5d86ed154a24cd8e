// UUID type and its text conversion.
#pragma once

#include <qrt/types.h>

// 16 bytes: a 32-bit field and two 16-bit fields, stored as numbers in host byte order, then
// eight bytes in written order.
typedef union RTUUID {
    uint8_t au8[16];
    uint16_t au16[8];
    uint32_t au32[4];
    uint64_t au64[2];
    struct {
        uint32_t u32TimeLow;
        uint16_t u16TimeMid;
        uint16_t u16TimeHiAndVersion;
        uint8_t u8ClockSeqHiAndReserved;
        uint8_t u8ClockSeqLow;
        uint8_t au8Node[6];
    } Gen;
} RTUUID;
typedef RTUUID *PRTUUID;
typedef const RTUUID *PCRTUUID;

// "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally in braces, nothing else around it.
// QERR_INVALID_PARAMETER for absent arguments, QERR_INVALID_UUID_FORMAT for malformed text.
int RTUuidFromStr(PRTUUID pUuid, const char *pszString);
