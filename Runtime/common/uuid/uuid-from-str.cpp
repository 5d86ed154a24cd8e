// UUID text ("xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally braced) to the 16-byte record.
#include <qrt/uuid.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/strtonum.h>

namespace {

const unsigned kcchUuid = 36;

inline unsigned rtUuidHexDigit(char ch) {
    return g_abRTStrDigitValues[(unsigned char)ch];
}

// Value of cDigits hex digits that are already known to be valid.
uint64_t rtUuidHexValue(const char *psz, unsigned cDigits) {
    uint64_t u64 = 0;
    for (unsigned i = 0; i < cDigits; i++) u64 = (u64 << 4) | rtUuidHexDigit(psz[i]);
    return u64;
}

} // namespace

int RTUuidFromStr(PRTUUID pUuid, const char *pszString) {
    if (!RT_VALID_PTR(pUuid) || !RT_VALID_PTR(pszString)) return QERR_INVALID_PARAMETER;

    const char *psz = pszString;
    bool const fBraced = *psz == '{';
    if (fBraced) psz++;

    // Checked in order, so the scan stops at the terminator of a short text.
    for (unsigned off = 0; off < kcchUuid; off++) {
        bool const fDash = off == 8 || off == 13 || off == 18 || off == 23;
        if (fDash ? psz[off] != '-' : rtUuidHexDigit(psz[off]) >= 16) return QERR_INVALID_UUID_FORMAT;
    }
    const char *pszEnd = psz + kcchUuid;
    if (fBraced && *pszEnd++ != '}') return QERR_INVALID_UUID_FORMAT;
    if (*pszEnd != '\0') return QERR_INVALID_UUID_FORMAT;

    RTUUID Uuid;
    Uuid.Gen.u32TimeLow = (uint32_t)rtUuidHexValue(psz, 8);
    Uuid.Gen.u16TimeMid = (uint16_t)rtUuidHexValue(psz + 9, 4);
    Uuid.Gen.u16TimeHiAndVersion = (uint16_t)rtUuidHexValue(psz + 14, 4);
    Uuid.Gen.u8ClockSeqHiAndReserved = (uint8_t)rtUuidHexValue(psz + 19, 2);
    Uuid.Gen.u8ClockSeqLow = (uint8_t)rtUuidHexValue(psz + 21, 2);
    for (unsigned i = 0; i < 6; i++) Uuid.Gen.au8Node[i] = (uint8_t)rtUuidHexValue(psz + 24 + i * 2, 2);
    *pUuid = Uuid;
    return QINF_SUCCESS;
}
