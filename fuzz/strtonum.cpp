// Fuzz target for the integer conversions and the address and UUID parsers.
//
// Input: the first byte picks the base (an index into s_auBases below, modulo its size), the
// remaining bytes are the text, copied into a heap buffer of exactly its length plus the
// terminator so that AddressSanitizer catches any read past the end.
//
// What is checked:
// 1. Differential against the C library, where the two contracts coincide: bases 2, 8, 10, 16
//    and 36, text beginning with a digit of the base (so no blanks, signs or base prefixes,
//    which the two treat differently; base 16 also excludes "0x" and base 2 "0b").
//    - strtoull without ERANGE: RTStrToUInt64Ex gives the same value and stop position and no
//      QWRN_NUMBER_TOO_BIG.
//    - strtoull with ERANGE: QWRN_NUMBER_TOO_BIG in every base, and the same stop position.
//    - The same with a leading "-" against strtoll and RTStrToInt64Ex, whose limits are then
//      identical.
// 2. Invariants for every base and any text, all widths:
//    - the stop position lies within the text; signed and unsigned cores stop at the same place
//      and store the same bits;
//    - a success or trailing warning from the core means the text after the stop position is
//      empty / only spaces and tabs / anything else, exactly as the status says;
//    - every narrow form stores the low bits of its 64-bit form and its status follows the
//      narrowing rule; every full form's status follows from the extended form's;
//    - RTStrToInt32 is the low half of RTStrToInt64Ex in base 0, or 0 on failure.
// 3. Address and UUID parsers: no crash, statuses from the documented set, and a parsed value
//    printed back in canonical form parses to the same value.
#include <qrt/err.h>
#include <qrt/net.h>
#include <qrt/strtonum.h>
#include <qrt/uuid.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define FUZZ_CHECK(expr)                                                                                               \
    do {                                                                                                               \
        if (!(expr)) {                                                                                                 \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #expr);                              \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

namespace {

const unsigned s_auBases[] = {0, 10, 16, 8, 2, 36, 3, 7, 35, 1, 37, 255, 256, 1000, 0x7fffffffu, 0xffffffffu};

unsigned digitValue(char ch) {
    return g_abRTStrDigitValues[(unsigned char)ch];
}

// What must follow the number, judged independently of the conversion.
int expectedTrailing(const char *pszStop) {
    if (*pszStop == '\0') return QINF_SUCCESS;
    while (*pszStop == ' ' || *pszStop == '\t') pszStop++;
    return *pszStop == '\0' ? QWRN_TRAILING_SPACES : QWRN_TRAILING_CHARS;
}

int expectedFull(int rcEx, const char *pszStop) {
    if (rcEx < 0 || *pszStop == '\0') return rcEx;
    int rcTrail = expectedTrailing(pszStop);
    return rcTrail == QWRN_TRAILING_SPACES ? QERR_TRAILING_SPACES : QERR_TRAILING_CHARS;
}

int expectedNarrow(int rc64, bool fFits) {
    return rc64 >= 0 && !fFits ? QWRN_NUMBER_TOO_BIG : rc64;
}

bool fitsSigned(int64_t i64, unsigned cBits) {
    int64_t const iMin = -(INT64_C(1) << (cBits - 1));
    int64_t const iMax = (INT64_C(1) << (cBits - 1)) - 1;
    return i64 >= iMin && i64 <= iMax;
}

// The digits taken modulo 2^64, which is what an overflowing conversion stores.
uint64_t wrappedValue(const char *psz, const char *pszEnd, unsigned uBase) {
    uint64_t u64 = 0;
    for (; psz < pszEnd; psz++) u64 = u64 * uBase + digitValue(*psz);
    return u64;
}

void checkDifferential(const char *psz, unsigned uBase) {
    if (uBase != 2 && uBase != 8 && uBase != 10 && uBase != 16 && uBase != 36) return;
    if (digitValue(psz[0]) >= uBase) return;
    if (psz[0] == '0' &&
        ((uBase == 16 && (psz[1] == 'x' || psz[1] == 'X')) || (uBase == 2 && (psz[1] == 'b' || psz[1] == 'B'))))
        return;

    char *pszEndC = NULL;
    errno = 0;
    unsigned long long const ullC = std::strtoull(psz, &pszEndC, (int)uBase);
    bool fRangeC = errno == ERANGE;

    uint64_t u64 = 0;
    char *pszNext = NULL;
    int rc = RTStrToUInt64Ex(psz, &pszNext, uBase, &u64);
    if (!fRangeC) {
        FUZZ_CHECK(u64 == ullC);
        FUZZ_CHECK(pszNext == pszEndC);
        FUZZ_CHECK(rc == expectedTrailing(pszNext));
    } else {
        FUZZ_CHECK(rc == QWRN_NUMBER_TOO_BIG);
        FUZZ_CHECK(pszNext == pszEndC);
        FUZZ_CHECK(u64 == wrappedValue(psz, pszEndC, uBase));
    }

    // The same digits negated, against strtoll.
    size_t const cch = std::strlen(psz);
    std::vector<char> neg(cch + 2);
    neg[0] = '-';
    std::memcpy(&neg[1], psz, cch + 1);
    errno = 0;
    long long const llC = std::strtoll(neg.data(), &pszEndC, (int)uBase);
    fRangeC = errno == ERANGE;
    int64_t i64 = 0;
    rc = RTStrToInt64Ex(neg.data(), &pszNext, uBase, &i64);
    if (!fRangeC) {
        FUZZ_CHECK(i64 == llC);
        FUZZ_CHECK(pszNext == pszEndC);
        FUZZ_CHECK(rc == expectedTrailing(pszNext));
    } else {
        FUZZ_CHECK(rc == QWRN_NUMBER_TOO_BIG);
        FUZZ_CHECK(pszNext == pszEndC);
    }
}

void checkIntegers(const char *psz, size_t cch, unsigned uBase) {
    uint64_t u64 = 0;
    int64_t i64 = 0;
    char *pszNextU = NULL;
    char *pszNextS = NULL;
    int const rcU = RTStrToUInt64Ex(psz, &pszNextU, uBase, &u64);
    int const rcS = RTStrToInt64Ex(psz, &pszNextS, uBase, &i64);
    FUZZ_CHECK(pszNextU >= psz && pszNextU <= psz + cch);
    FUZZ_CHECK(pszNextU == pszNextS);
    FUZZ_CHECK((uint64_t)i64 == u64);
    FUZZ_CHECK(rcU == QINF_SUCCESS || rcU == QERR_NO_DIGITS || rcU == QWRN_NUMBER_TOO_BIG ||
               rcU == QWRN_NEGATIVE_UNSIGNED || rcU == QWRN_TRAILING_CHARS || rcU == QWRN_TRAILING_SPACES);
    FUZZ_CHECK(rcS != QWRN_NEGATIVE_UNSIGNED);
    if (rcU == QERR_NO_DIGITS) FUZZ_CHECK(u64 == 0 && rcS == QERR_NO_DIGITS);
    if (rcU == QINF_SUCCESS || rcU == QWRN_TRAILING_CHARS || rcU == QWRN_TRAILING_SPACES)
        FUZZ_CHECK(rcU == expectedTrailing(pszNextU));
    if (rcS == QINF_SUCCESS || rcS == QWRN_TRAILING_CHARS || rcS == QWRN_TRAILING_SPACES)
        FUZZ_CHECK(rcS == expectedTrailing(pszNextS));

    // Full forms follow from the extended ones.
    uint64_t u64Full = 1;
    int64_t i64Full = 1;
    int const rcUFull = RTStrToUInt64Full(psz, uBase, &u64Full);
    int const rcSFull = RTStrToInt64Full(psz, uBase, &i64Full);
    FUZZ_CHECK(u64Full == u64 && i64Full == i64);
    FUZZ_CHECK(rcUFull == expectedFull(rcU, pszNextU));
    FUZZ_CHECK(rcSFull == expectedFull(rcS, pszNextS));

    // Narrow extended forms.
    char *pszNext = NULL;
    uint32_t u32 = 0;
    FUZZ_CHECK(RTStrToUInt32Ex(psz, &pszNext, uBase, &u32) == expectedNarrow(rcU, u64 <= UINT32_MAX));
    FUZZ_CHECK(u32 == (uint32_t)u64 && pszNext == pszNextU);
    uint16_t u16 = 0;
    FUZZ_CHECK(RTStrToUInt16Ex(psz, &pszNext, uBase, &u16) == expectedNarrow(rcU, u64 <= UINT16_MAX));
    FUZZ_CHECK(u16 == (uint16_t)u64);
    uint8_t u8 = 0;
    FUZZ_CHECK(RTStrToUInt8Ex(psz, &pszNext, uBase, &u8) == expectedNarrow(rcU, u64 <= UINT8_MAX));
    FUZZ_CHECK(u8 == (uint8_t)u64);
    int32_t i32 = 0;
    FUZZ_CHECK(RTStrToInt32Ex(psz, &pszNext, uBase, &i32) == expectedNarrow(rcS, fitsSigned(i64, 32)));
    FUZZ_CHECK(i32 == (int32_t)i64);
    int16_t i16 = 0;
    FUZZ_CHECK(RTStrToInt16Ex(psz, &pszNext, uBase, &i16) == expectedNarrow(rcS, fitsSigned(i64, 16)));
    FUZZ_CHECK(i16 == (int16_t)i64);
    int8_t i8 = 0;
    FUZZ_CHECK(RTStrToInt8Ex(psz, &pszNext, uBase, &i8) == expectedNarrow(rcS, fitsSigned(i64, 8)));
    FUZZ_CHECK(i8 == (int8_t)i64);

    // Narrow full forms.
    FUZZ_CHECK(RTStrToUInt32Full(psz, uBase, &u32) == expectedNarrow(rcUFull, u64 <= UINT32_MAX));
    FUZZ_CHECK(u32 == (uint32_t)u64);
    FUZZ_CHECK(RTStrToUInt16Full(psz, uBase, &u16) == expectedNarrow(rcUFull, u64 <= UINT16_MAX));
    FUZZ_CHECK(u16 == (uint16_t)u64);
    FUZZ_CHECK(RTStrToUInt8Full(psz, uBase, &u8) == expectedNarrow(rcUFull, u64 <= UINT8_MAX));
    FUZZ_CHECK(u8 == (uint8_t)u64);
    FUZZ_CHECK(RTStrToInt32Full(psz, uBase, &i32) == expectedNarrow(rcSFull, fitsSigned(i64, 32)));
    FUZZ_CHECK(i32 == (int32_t)i64);
    FUZZ_CHECK(RTStrToInt16Full(psz, uBase, &i16) == expectedNarrow(rcSFull, fitsSigned(i64, 16)));
    FUZZ_CHECK(i16 == (int16_t)i64);
    FUZZ_CHECK(RTStrToInt8Full(psz, uBase, &i8) == expectedNarrow(rcSFull, fitsSigned(i64, 8)));
    FUZZ_CHECK(i8 == (int8_t)i64);

    // Lenient form.
    int64_t i64Auto = 0;
    int const rcAuto = RTStrToInt64Ex(psz, NULL, 0, &i64Auto);
    FUZZ_CHECK(RTStrToInt32(psz) == (rcAuto < 0 ? 0 : (int32_t)i64Auto));
}

void checkAddresses(const char *psz, size_t cch) {
    char szBuf[64];

    RTNETADDRIPV4 Addr;
    char *pszNext = NULL;
    int rc = RTNetStrToIPv4AddrEx(psz, &Addr, &pszNext);
    FUZZ_CHECK(rc == QINF_SUCCESS || rc == QWRN_TRAILING_CHARS || rc == QWRN_TRAILING_SPACES ||
               rc == QERR_INVALID_PARAMETER);
    if (rc >= 0) FUZZ_CHECK(pszNext >= psz && pszNext <= psz + cch);
    rc = RTNetStrToIPv4Addr(psz, &Addr);
    FUZZ_CHECK(rc == QINF_SUCCESS || rc == QERR_INVALID_PARAMETER);
    if (rc == QINF_SUCCESS) {
        std::snprintf(szBuf, sizeof(szBuf), "%u.%u.%u.%u", Addr.au8[0], Addr.au8[1], Addr.au8[2], Addr.au8[3]);
        RTNETADDRIPV4 Addr2;
        FUZZ_CHECK(RTNetStrToIPv4Addr(szBuf, &Addr2) == QINF_SUCCESS && Addr2.u == Addr.u);
    }

    uint32_t uNetwork = 0, uMask = 0;
    rc = RTNetStrToIPv4Cidr(psz, &uNetwork, &uMask);
    FUZZ_CHECK(rc == QINF_SUCCESS || rc == QERR_INVALID_PARAMETER);
    if (rc == QINF_SUCCESS) {
        FUZZ_CHECK((uNetwork & ~uMask) == 0);
        FUZZ_CHECK((~uMask & (~uMask + 1)) == 0); // the clear bits are one low run
        unsigned cBits = 0;
        while (cBits < 32 && (uMask & (UINT32_C(0x80000000) >> cBits))) cBits++;
        std::snprintf(szBuf, sizeof(szBuf), "%u.%u.%u.%u/%u", uNetwork >> 24, (uNetwork >> 16) & 0xff,
                      (uNetwork >> 8) & 0xff, uNetwork & 0xff, cBits);
        uint32_t uNetwork2 = 0, uMask2 = 0;
        FUZZ_CHECK(RTNetStrToIPv4Cidr(szBuf, &uNetwork2, &uMask2) == QINF_SUCCESS);
        FUZZ_CHECK(uNetwork2 == uNetwork && uMask2 == uMask);
    }

    RTMAC Mac;
    rc = RTNetStrToMacAddr(psz, &Mac);
    FUZZ_CHECK(rc == QINF_SUCCESS || rc == QERR_INVALID_PARAMETER || rc == QERR_NO_DIGITS);
    if (rc == QINF_SUCCESS) {
        const uint8_t *pb = Mac.au8;
        RTMAC Mac2;
        std::snprintf(szBuf, sizeof(szBuf), "%02x:%02x:%02x:%02x:%02x:%02x", pb[0], pb[1], pb[2], pb[3], pb[4], pb[5]);
        FUZZ_CHECK(RTNetStrToMacAddr(szBuf, &Mac2) == QINF_SUCCESS && std::memcmp(&Mac, &Mac2, sizeof(Mac)) == 0);
        std::snprintf(szBuf, sizeof(szBuf), "%02X%02X%02X%02X%02X%02X", pb[0], pb[1], pb[2], pb[3], pb[4], pb[5]);
        FUZZ_CHECK(RTNetStrToMacAddr(szBuf, &Mac2) == QINF_SUCCESS && std::memcmp(&Mac, &Mac2, sizeof(Mac)) == 0);
    }

    RTUUID Uuid;
    rc = RTUuidFromStr(&Uuid, psz);
    FUZZ_CHECK(rc == QINF_SUCCESS || rc == QERR_INVALID_UUID_FORMAT);
    if (rc == QINF_SUCCESS) {
        const uint8_t *pb = Uuid.au8;
        std::snprintf(szBuf, sizeof(szBuf), "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                      (unsigned)Uuid.Gen.u32TimeLow, Uuid.Gen.u16TimeMid, Uuid.Gen.u16TimeHiAndVersion, pb[8], pb[9],
                      pb[10], pb[11], pb[12], pb[13], pb[14], pb[15]);
        // The canonical form is the input without braces, in lower case.
        const char *pszInner = psz[0] == '{' ? psz + 1 : psz;
        for (unsigned i = 0; i < 36; i++)
            FUZZ_CHECK(szBuf[i] == ((pszInner[i] >= 'A' && pszInner[i] <= 'F') ? pszInner[i] + 32 : pszInner[i]));
        RTUUID Uuid2;
        FUZZ_CHECK(RTUuidFromStr(&Uuid2, szBuf) == QINF_SUCCESS && std::memcmp(&Uuid, &Uuid2, sizeof(Uuid)) == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    unsigned const uBase = s_auBases[data[0] % (sizeof(s_auBases) / sizeof(s_auBases[0]))];
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');
    const char *psz = text.data();
    size_t const cch = std::strlen(psz);

    checkIntegers(psz, cch, uBase);
    checkDifferential(psz, uBase);
    checkAddresses(psz, cch);
    return 0;
}
