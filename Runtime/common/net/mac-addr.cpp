// Ethernet MAC address text to six bytes.
#include <qrt/net.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

namespace {

bool rtNetIsBlank(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

inline unsigned rtNetHexDigit(char ch) {
    return g_abRTStrDigitValues[(unsigned char)ch];
}

// Twelve hex digits in a row, followed only by blanks. False when the text is not of this form.
bool rtNetParseCompactMac(const char *psz, RTMAC *pMac) {
    for (unsigned i = 0; i < 12; i++)
        if (rtNetHexDigit(psz[i]) >= 16) // NUL and ":" included, so no read beyond the end
            return false;
    for (const char *pszRest = psz + 12; *pszRest != '\0'; pszRest++)
        if (!rtNetIsBlank(*pszRest)) return false;
    for (unsigned i = 0; i < 6; i++)
        pMac->au8[i] = (uint8_t)((rtNetHexDigit(psz[i * 2]) << 4) | rtNetHexDigit(psz[i * 2 + 1]));
    return true;
}

} // namespace

int RTNetStrToMacAddr(const char *pszAddr, PRTMAC pMacAddr) {
    if (!RT_VALID_PTR(pszAddr) || !RT_VALID_PTR(pMacAddr)) return QERR_INVALID_PARAMETER;

    RTMAC Mac;
    if (rtNetParseCompactMac(pszAddr, &Mac)) {
        *pMacAddr = Mac;
        return QINF_SUCCESS;
    }

    const char *psz = pszAddr;
    while (rtNetIsBlank(*psz)) psz++;

    for (unsigned i = 0; i < 6; i++) {
        // Groups two to five may be empty ('1::::5:6'); the first and last may not.
        if (i >= 1 && i <= 4 && *psz == ':') {
            Mac.au8[i] = 0;
            psz++;
            continue;
        }
        char *pszNext = NULL;
        int rc = RTStrToUInt8Ex(psz, &pszNext, 16, &Mac.au8[i]);
        if (RT_FAILURE(rc)) return rc;
        if (i < 5) {
            if ((rc != QINF_SUCCESS && rc != QWRN_TRAILING_CHARS) || *pszNext != ':') return QERR_INVALID_PARAMETER;
            psz = pszNext + 1;
        } else {
            if (rc != QINF_SUCCESS && rc != QWRN_TRAILING_SPACES) return QERR_INVALID_PARAMETER;
            for (psz = pszNext; *psz != '\0'; psz++)
                if (!rtNetIsBlank(*psz)) return QERR_INVALID_PARAMETER;
        }
    }

    *pMacAddr = Mac;
    return QINF_SUCCESS;
}
