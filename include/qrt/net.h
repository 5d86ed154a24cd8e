// Network address types and their text conversions.
#pragma once

#include <qrt/types.h>

// An IPv4 address: the four bytes in the order in which the address is written.
typedef union RTNETADDRIPV4 {
    uint8_t au8[4];
    uint16_t au16[2];
    // The four bytes read as one value in host byte order (not the address as a number).
    uint32_t u;
} RTNETADDRIPV4;
typedef RTNETADDRIPV4 *PRTNETADDRIPV4;
typedef const RTNETADDRIPV4 *PCRTNETADDRIPV4;

// An IPv6 address: the sixteen bytes in network order.
typedef union RTNETADDRIPV6 {
    uint8_t au8[16];
    uint16_t au16[8];
    uint32_t au32[4];
    uint64_t au64[2];
} RTNETADDRIPV6;
typedef RTNETADDRIPV6 *PRTNETADDRIPV6;
typedef const RTNETADDRIPV6 *PCRTNETADDRIPV6;

// An Ethernet MAC address: six bytes in written order.
typedef union RTMAC {
    uint8_t au8[6];
    uint16_t au16[3];
} RTMAC;
typedef RTMAC *PRTMAC;
typedef const RTMAC *PCRTMAC;

// Kinds of address a network address record holds.
typedef enum RTNETADDRTYPE {
    RTNETADDRTYPE_INVALID = 0,
    RTNETADDRTYPE_IPV4 = 1,
    RTNETADDRTYPE_IPV6 = 2,
    RTNETADDRTYPE_MAC = 4,
    RTNETADDRTYPE_32BIT_HACK = 0x7fffffff
} RTNETADDRTYPE;

// Port value meaning "no port".
#define RTNETADDR_PORT_NA UINT32_MAX

// A network address record: 16-byte address area, 32-bit type, 32-bit port.
typedef struct RTNETADDR {
    union {
        RTNETADDRIPV4 IPv4;
        RTNETADDRIPV6 IPv6;
        RTMAC Mac;
        uint8_t au8[16];
    } uAddr;
    RTNETADDRTYPE enmType;
    uint32_t uPort;
} RTNETADDR;
typedef RTNETADDR *PRTNETADDR;
typedef const RTNETADDR *PCRTNETADDR;

// Dotted IPv4 "a.b.c.d", each part decimal 0-255 (no octal). Returns 0, QWRN_TRAILING_CHARS or
// QWRN_TRAILING_SPACES (from the fourth number) and the stop position; QERR_INVALID_PARAMETER
// otherwise. Leading blanks are not skipped.
int RTNetStrToIPv4AddrEx(const char *pcszAddr, PRTNETADDRIPV4 pAddr, char **ppszNext);
// Whole-string form: leading blanks and trailing spaces/tabs allowed, nothing else.
int RTNetStrToIPv4Addr(const char *pcszAddr, PRTNETADDRIPV4 pAddr);
// "a[.b[.c[.d]]][/bits]": network as a number (first written byte most significant) and mask.
int RTNetStrToIPv4Cidr(const char *pcszAddr, uint32_t *pu32Network, uint32_t *pu32Mask);
// "001A2B3C4D5E" or "0:1a:2b::4d:5e" forms.
int RTNetStrToMacAddr(const char *pszAddr, PRTMAC pMacAddr);
