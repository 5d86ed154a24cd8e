// Dotted IPv4 address text to the four address bytes.
#include <qrt/net.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

int RTNetStrToIPv4AddrEx(const char *pcszAddr, PRTNETADDRIPV4 pAddr, char **ppszNext) {
    if (!RT_VALID_PTR(pcszAddr) || !RT_VALID_PTR(pAddr)) return QERR_INVALID_PARAMETER;

    // Filled locally so that a malformed address leaves the caller's record untouched.
    RTNETADDRIPV4 Addr;
    const char *psz = pcszAddr;
    char *pszNext = NULL;
    for (unsigned i = 0; i < 3; i++) {
        // Base 10 on purpose: '010' is ten, not eight.
        int rc = RTStrToUInt8Ex(psz, &pszNext, 10, &Addr.au8[i]);
        if (rc != QINF_SUCCESS && rc != QWRN_TRAILING_CHARS) return QERR_INVALID_PARAMETER;
        if (*pszNext != '.') return QERR_INVALID_PARAMETER;
        psz = pszNext + 1;
    }

    int rc = RTStrToUInt8Ex(psz, &pszNext, 10, &Addr.au8[3]);
    if (rc != QINF_SUCCESS && rc != QWRN_TRAILING_CHARS && rc != QWRN_TRAILING_SPACES) return QERR_INVALID_PARAMETER;

    *pAddr = Addr;
    if (ppszNext) *ppszNext = pszNext;
    return rc;
}

int RTNetStrToIPv4Addr(const char *pcszAddr, PRTNETADDRIPV4 pAddr) {
    if (!RT_VALID_PTR(pcszAddr) || !RT_VALID_PTR(pAddr)) return QERR_INVALID_PARAMETER;

    while (*pcszAddr == ' ' || (*pcszAddr >= '\t' && *pcszAddr <= '\r')) pcszAddr++;

    // Parse into a copy: the record changes only when the whole text is accepted.
    RTNETADDRIPV4 Addr;
    int rc = RTNetStrToIPv4AddrEx(pcszAddr, &Addr, NULL);
    if (RT_FAILURE(rc) || rc == QWRN_TRAILING_CHARS) return QERR_INVALID_PARAMETER;
    *pAddr = Addr;
    return QINF_SUCCESS;
}
