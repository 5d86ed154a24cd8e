// IPv4 network text ("a[.b[.c[.d]]][/bits]") to network number and mask.
#include <qrt/net.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

int RTNetStrToIPv4Cidr(const char *pcszAddr, uint32_t *pu32Network, uint32_t *pu32Mask) {
    if (!RT_VALID_PTR(pcszAddr) || !RT_VALID_PTR(pu32Network) || !RT_VALID_PTR(pu32Mask)) return QERR_INVALID_PARAMETER;

    // Prefix length: everything after the first "/" must be exactly a number up to 32.
    uint8_t cPrefixBits = 32;
    const char *pszSlash = pcszAddr;
    while (*pszSlash != '\0' && *pszSlash != '/') pszSlash++;
    if (*pszSlash == '/') {
        int rc = RTStrToUInt8Ex(pszSlash + 1, NULL, 10, &cPrefixBits);
        if (rc != QINF_SUCCESS || cPrefixBits > 32) return QERR_INVALID_PARAMETER;
    }

    uint32_t const u32Mask = cPrefixBits == 0 ? 0 : UINT32_MAX << (32 - cPrefixBits);
    // Bytes the mask covers must be written; the ones it leaves out may be omitted as zero.
    unsigned const cMinDots = cPrefixBits <= 8 ? 0 : cPrefixBits <= 16 ? 1 : cPrefixBits <= 24 ? 2 : 3;

    uint8_t abAddr[4] = {0, 0, 0, 0};
    unsigned cDots = 0;
    const char *psz = pcszAddr;
    for (;;) {
        char *pszNext = NULL;
        int rc = RTStrToUInt8Ex(psz, &pszNext, 10, &abAddr[cDots]);
        if (RT_FAILURE(rc) || rc == QWRN_NUMBER_TOO_BIG) return QERR_INVALID_PARAMETER;
        if (*pszNext == '\0' || *pszNext == '/') break;
        if (*pszNext != '.' || cDots == 3) return QERR_INVALID_PARAMETER;
        cDots++;
        psz = pszNext + 1;
    }
    if (cDots < cMinDots) return QERR_INVALID_PARAMETER;

    uint32_t const u32Network =
        ((uint32_t)abAddr[0] << 24) | ((uint32_t)abAddr[1] << 16) | ((uint32_t)abAddr[2] << 8) | abAddr[3];
    // Network 0 stands only for "any" ('0.0.0.0/0'); a single host 0.0.0.0 is not a network.
    if (abAddr[0] == 0 && (u32Network != 0 || u32Mask == UINT32_MAX)) return QERR_INVALID_PARAMETER;
    if (u32Network & ~u32Mask) return QERR_INVALID_PARAMETER;

    *pu32Network = u32Network;
    *pu32Mask = u32Mask;
    return QINF_SUCCESS;
}
