// The formatting engine under fuzzed values, widths, precisions, flags and buffer sizes:
// RTStrFormatNumber and RTStrFormatU64, the "%R" value types, and the front ends RTStrPrintf,
// RTStrPrintf2 and RTStrAPrintf. Format strings are assembled from fuzzed choices of safe
// pieces; the argument list has a fixed shape, so every conversion reads the type it gets.
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/net.h>
#include <qrt/string.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz-check.h"

namespace {

// Takes values from the front of the input; past its end everything reads as 0.
class Input {
public:
    Input(const uint8_t *pb, size_t cb) : m_pb(pb), m_cb(cb) {}
    bool empty() const { return m_cb == 0; }
    uint8_t u8() {
        if (!m_cb) return 0;
        m_cb--;
        return *m_pb++;
    }
    uint64_t bytes(unsigned c) {
        uint64_t u = 0;
        for (unsigned i = 0; i < c; i++) u |= (uint64_t)u8() << (8 * i);
        return u;
    }
    uint32_t u32() { return (uint32_t)bytes(4); }
    uint64_t u64() { return bytes(8); }
    unsigned pick(unsigned n) { return n ? u8() % n : 0; }
    // Mostly small numbers, sometimes anything.
    int smallInt() {
        uint8_t const b = u8();
        if (b < 0xf0) return b % 80;
        return (int)u32();
    }

private:
    const uint8_t *m_pb;
    size_t m_cb;
};

void checkNumber(Input &in) {
    uint64_t const uValue = in.u64();
    static const unsigned s_auBases[] = {8, 10, 16, 0, 2, 7};
    unsigned const uiBase = s_auBases[in.pick(6)];
    int const cchWidth = in.pick(2) ? -1 : in.smallInt();
    int const cchPrecision = in.pick(2) ? -1 : in.smallInt();
    unsigned const fFlags = (unsigned)in.bytes(2);

    char szBuf[RTSTR_NUM_BUF_SIZE + 16];
    memset(szBuf, 'Z', sizeof(szBuf));
    int const cch = RTStrFormatNumber(szBuf, uValue, uiBase, cchWidth, cchPrecision, fFlags);
    CHECK(cch >= 0 && cch <= 63);
    CHECK((size_t)cch == strlen(szBuf));
    for (size_t i = RTSTR_NUM_BUF_SIZE; i < sizeof(szBuf); i++) CHECK(szBuf[i] == 'Z');
    if (uiBase != 8 && uiBase != 10 && uiBase != 16) CHECK(cch == 0);

    // RTStrFormatU64 agrees with RTStrFormatNumber given the 64-bit flag, whatever the size.
    unsigned const fFlags64 = (fFlags & ~(unsigned)(RTSTR_F_8BIT | RTSTR_F_16BIT | RTSTR_F_32BIT)) | RTSTR_F_64BIT;
    char szRef[RTSTR_NUM_BUF_SIZE];
    int const cchRef = RTStrFormatNumber(szRef, uValue, uiBase, cchWidth, cchPrecision, fFlags64);
    size_t const cbBuf = in.pick(80);
    char szSmall[96];
    memset(szSmall, 'Z', sizeof(szSmall));
    ptrdiff_t const rc = RTStrFormatU64(szSmall, cbBuf, uValue, uiBase, cchWidth, cchPrecision, fFlags);
    if ((size_t)cchRef < cbBuf) {
        CHECK(rc == cchRef);
        CHECK(strcmp(szSmall, szRef) == 0);
    } else {
        CHECK(rc == QERR_BUFFER_OVERFLOW);
        if (cbBuf) {
            CHECK(strlen(szSmall) == cbBuf - 1);
            CHECK(memcmp(szSmall, szRef, cbBuf - 1) == 0);
        }
    }
    for (size_t i = cbBuf < RTSTR_NUM_BUF_SIZE ? cbBuf : RTSTR_NUM_BUF_SIZE; i < sizeof(szSmall); i++)
        CHECK(szSmall[i] == 'Z');
}

// The fixed argument shape: slot i holds an int, a 64-bit value or a text pointer by i % 3,
// and slot 3 * k + 2 also gets a pointer to fuzzed bytes when a type prints memory.
enum { kSlots = 9 };
enum SlotType { kInt, kU64, kPtr };

SlotType slotType(unsigned iSlot) {
    return (SlotType)(iSlot % 3);
}

void appendFlagsWidthPrecision(Input &in, std::string &str) {
    static const char s_achFlags[] = {' ', '#', '\'', '+', '-', '0'};
    for (unsigned i = 0, n = in.pick(4); i < n; i++) str += s_achFlags[in.pick(sizeof(s_achFlags))];
    if (in.pick(2)) str += std::to_string(1 + in.pick(90));
    if (in.pick(3) == 0) {
        str += '.';
        if (in.pick(4)) str += std::to_string(in.pick(90));
    }
}

// One conversion for the argument in slot iSlot. fPtrIsText says what the pointer slots hold:
// text (for "%s") or records (for the pointer-printing "%R" types). Returns true when the
// conversion reads an error-information record.
bool appendConversion(Input &in, std::string &str, unsigned iSlot, bool fPtrIsText) {
    static const char *const s_apszInt[] = {
        "d",        "i",       "u",     "x",       "X",       "o",     "c",     "hd",   "hhu",    "hx",  "lu",
        "I32d",     "RU32",    "RX32",  "RI32",    "RU8",     "RX8",   "RI16",  "RU16", "RX16",   "RI8", "Rrc",
        "Rrs",      "Rrf",     "Rra",   "Rwc",     "Rwf",     "Rwa",   "Rhrc",  "Rhra", "RTbool", "RKv", "RTfp16",
        "RTnaipv4", "RTnthrd", "RTsel", "RTutf16", "RTunicp", "RTint", "RTuid", "RCv",  "RHr",    "Rrq"};
    static const char *const s_apszU64[] = {"lld",  "llu",  "llx",    "I64d",  "qu",    "Lx",  "jd",  "RU64",
                                            "RX64", "RI64", "RTfoff", "RTptr", "RTino", "RGi", "RGp", "RCp"};
    static const char *const s_apszPtrText[] = {"s", "S", "R[name]", "R[]"};
    static const char *const s_apszPtrRecord[] = {"RTmac", "RTnaipv6", "RTnaddr", "RTuuid", "RTeic", "RTeim"};
    appendFlagsWidthPrecision(in, str);
    switch (slotType(iSlot)) {
    case kInt:
        str += s_apszInt[in.pick(sizeof(s_apszInt) / sizeof(s_apszInt[0]))];
        break;
    case kU64:
        str += s_apszU64[in.pick(sizeof(s_apszU64) / sizeof(s_apszU64[0]))];
        break;
    case kPtr:
        if (fPtrIsText)
            str += s_apszPtrText[in.pick(4)];
        else {
            unsigned const i = in.pick(6);
            str += s_apszPtrRecord[i];
            return i >= 4; // "RTeic", "RTeim"
        }
        break;
    }
    return false;
}

// Literal text without '%' and without the terminator.
void appendLiteral(Input &in, std::string &str) {
    for (unsigned i = 0, n = in.pick(12); i < n; i++) {
        char ch = (char)in.u8();
        if (ch == '%' || ch == '\0') ch = '_';
        str += ch;
    }
    if (in.pick(8) == 0) str += "%%";
}

struct Args {
    int ai[kSlots];
    uint64_t au64[kSlots];
    const void *apv[kSlots];
};

std::string formatBig(const char *pszFormat, const Args &a, ptrdiff_t *pcch) {
    static char s_szBig[65536];
    *pcch = RTStrPrintf2(s_szBig, sizeof(s_szBig), pszFormat, a.ai[0], a.au64[1], a.apv[2], a.ai[3], a.au64[4],
                         a.apv[5], a.ai[6], a.au64[7], a.apv[8]);
    CHECK(*pcch >= 0 && (size_t)*pcch < sizeof(s_szBig));
    CHECK(s_szBig[*pcch] == '\0'); // "%c" of 0 may put a NUL inside the text itself
    return std::string(s_szBig, (size_t)*pcch);
}

void checkFrontEnds(Input &in) {
    bool const fPtrIsText = in.pick(2) == 0;

    // Build the format first: what a pointer slot must point at depends on its conversion.
    std::string strFormat;
    bool afErrInfo[kSlots] = {false};
    unsigned iSlot = 0;
    while (!in.empty() && strFormat.size() < 512) {
        if (in.pick(3) == 0 || iSlot >= kSlots)
            appendLiteral(in, strFormat);
        else {
            // Sometimes skip a slot with a conversion that reads its argument and prints nothing.
            if (in.pick(4) == 0) {
                strFormat += slotType(iSlot) == kInt ? "%.0hhd" : slotType(iSlot) == kU64 ? "%.0lld" : "%.0s";
                iSlot++;
                continue;
            }
            strFormat += '%';
            afErrInfo[iSlot] = appendConversion(in, strFormat, iSlot, fPtrIsText);
            iSlot++;
        }
        if (iSlot >= kSlots && in.pick(2)) break;
    }

    // The arguments: fuzzed numbers; text, fuzzed address bytes or an error-information record
    // with a bounded message behind the pointers, or null.
    static char s_aszText[kSlots][64];
    static uint8_t s_aabBytes[kSlots][32];
    struct ErrInfo {
        uint32_t fFlags;
        int32_t rc;
        size_t cbMsg;
        const char *pszMsg;
    };
    static ErrInfo s_aErrInfos[kSlots];
    static char s_szMsg[16];
    memset(s_szMsg, 'm', sizeof(s_szMsg));

    Args a;
    for (unsigned i = 0; i < kSlots; i++) {
        a.ai[i] = (int)in.u32();
        a.au64[i] = in.u64();
        if (in.pick(8) == 0)
            a.apv[i] = NULL;
        else if (fPtrIsText) {
            unsigned const cch = in.pick(sizeof(s_aszText[i]));
            for (unsigned j = 0; j < cch; j++) s_aszText[i][j] = (char)(in.u8() | 1);
            s_aszText[i][cch] = '\0';
            a.apv[i] = s_aszText[i];
        } else if (afErrInfo[i]) {
            ErrInfo *pInfo = &s_aErrInfos[i];
            pInfo->fFlags = in.pick(2) ? 0xbabe0004 : in.u32();
            pInfo->rc = (int32_t)in.u32();
            pInfo->cbMsg = in.pick(sizeof(s_szMsg) + 1);
            pInfo->pszMsg = in.pick(4) ? s_szMsg : NULL;
            a.apv[i] = pInfo;
        } else {
            for (unsigned j = 0; j < sizeof(s_aabBytes[i]); j++) s_aabBytes[i][j] = in.u8();
            if (in.pick(2)) { // a plausible network address type
                s_aabBytes[i][16] = (uint8_t)(1 + in.pick(4));
                s_aabBytes[i][17] = s_aabBytes[i][18] = s_aabBytes[i][19] = 0;
            }
            a.apv[i] = s_aabBytes[i];
        }
    }

    ptrdiff_t cchFull;
    std::string const strFull = formatBig(strFormat.c_str(), a, &cchFull);
    bool const fEmbeddedNul = memchr(strFull.data(), '\0', strFull.size()) != NULL;

    // RTStrPrintf: what fits, terminated, never past the buffer.
    size_t const cbBuf = in.pick(4) == 0 ? 0 : in.pick(300);
    char *pszBuf = (char *)malloc(cbBuf ? cbBuf : 1);
    size_t const cch = RTStrPrintf(pszBuf, cbBuf, strFormat.c_str(), a.ai[0], a.au64[1], a.apv[2], a.ai[3], a.au64[4],
                                   a.apv[5], a.ai[6], a.au64[7], a.apv[8]);
    if (cbBuf == 0)
        CHECK(cch == 0);
    else {
        CHECK(pszBuf[cch] == '\0');
        if (!fEmbeddedNul) CHECK(cch == strlen(pszBuf));
        CHECK(cch < cbBuf);
        CHECK(cch == (strFull.size() < cbBuf ? strFull.size() : cbBuf - 1));
        CHECK(memcmp(pszBuf, strFull.data(), cch) == 0);
    }

    // RTStrPrintf2: negative exactly when the text does not fit, and then the size it needs.
    ptrdiff_t const rc = RTStrPrintf2(pszBuf, cbBuf, strFormat.c_str(), a.ai[0], a.au64[1], a.apv[2], a.ai[3],
                                      a.au64[4], a.apv[5], a.ai[6], a.au64[7], a.apv[8]);
    if (strFull.size() < cbBuf) {
        CHECK(rc == cchFull);
        CHECK(memcmp(pszBuf, strFull.c_str(), strFull.size() + 1) == 0);
    } else {
        CHECK(rc == -(cchFull + 1));
        if (cbBuf) {
            CHECK(pszBuf[cbBuf - 1] == '\0');
            CHECK(memcmp(pszBuf, strFull.data(), cbBuf - 1) == 0);
        }
    }
    free(pszBuf);

    // RTStrAPrintf: the whole text in a new string.
    char *pszNew = NULL;
    int const cchNew = RTStrAPrintf(&pszNew, strFormat.c_str(), a.ai[0], a.au64[1], a.apv[2], a.ai[3], a.au64[4],
                                    a.apv[5], a.ai[6], a.au64[7], a.apv[8]);
    CHECK(pszNew != NULL);
    CHECK(cchNew == cchFull);
    CHECK(memcmp(pszNew, strFull.c_str(), strFull.size() + 1) == 0);
    RTStrFree(pszNew);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData) {
    Input in(pbData, cbData);
    if (in.pick(2) == 0)
        checkNumber(in);
    else
        checkFrontEnds(in);
    return 0;
}
