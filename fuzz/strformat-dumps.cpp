// Fuzzes the hex dump, size, escape, name, UTF-16 and register conversions through
// RTStrPrintf2, RTStrPrintf and RTStrFormatV with fuzzed data, widths, precisions, flags and
// buffer sizes. Checks that every front end agrees on the text, that buffers stay terminated
// and that the reported lengths are right. Data buffers are exact-size heap copies so the
// sanitizer sees any read past what the conversion was given.
//
// Input: [0] conversion, [1] flag bits, [2..3] width, [4..5] precision, [6..7] buffer size,
// then the data the conversion reads.
#include <qrt/format.h>
#include <qrt/types.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

enum Kind { kDump, kDumpAddr, kSize, kText, kName, kUtf16Big, kTime, kReg };

struct Conv {
    const char *pszConv; // after the flags, width and precision
    Kind enmKind;
};

const Conv g_aConvs[] = {
    {"Rhxd", kDump},      {"RhxD", kDump},     {"Rhxs", kDump},       {"RhXd", kDumpAddr},  {"RhXD", kDumpAddr},
    {"RhXs", kDumpAddr},  {"Rhcb", kSize},     {"Rhub", kSize},       {"RhcB", kSize},      {"RhuB", kSize},
    {"Rhci", kSize},      {"Rhui", kSize},     {"RMas", kText},       {"RMes", kText},      {"RMjs", kText},
    {"RMpa", kText},      {"RMpf", kText},     {"RMpp", kText},       {"RMpq", kText},      {"Rbn", kName},
    {"Rfn", kName},       {"lRbs", kUtf16Big}, {"RDtimespec", kTime}, {"RAx86[cr0]", kReg}, {"RAx86[cr4]", kReg},
    {"RAx86[cr3]", kReg}, {"Rhxq", kText},
};

size_t collect(void *pvArg, const char *pach, size_t cch) {
    if (pach) static_cast<std::string *>(pvArg)->append(pach, cch);
    return cch;
}

[[noreturn]] void fail() {
    abort();
}

std::string formatAll(const char *pszFormat, ...) {
    std::string str;
    va_list va;
    va_start(va, pszFormat);
    size_t cch = RTStrFormatV(collect, &str, NULL, NULL, pszFormat, va);
    va_end(va);
    if (cch != str.size()) fail();
    return str;
}

// Runs one format through the three front ends with the given buffer size.
template <typename... Args>
void check(const char *pszFormat, size_t cbBuf, Args... args) {
    std::string const strFull = formatAll(pszFormat, args...);

    std::vector<char> achBuf(cbBuf + 1, 'Z'); // the extra byte must stay untouched
    ptrdiff_t cch2 = RTStrPrintf2(achBuf.data(), cbBuf, pszFormat, args...);
    if (achBuf[cbBuf] != 'Z') fail();
    if (cch2 >= 0) {
        if ((size_t)cch2 != strFull.size() || cbBuf <= strFull.size()) fail();
        if (strcmp(achBuf.data(), strFull.c_str()) != 0) fail();
    } else {
        if ((size_t)(-cch2) != strFull.size() + 1 || cbBuf > strFull.size()) fail();
        if (cbBuf > 0) {
            size_t cchStored = strnlen(achBuf.data(), cbBuf);
            if (cchStored >= cbBuf) fail(); // not terminated
            if (strFull.compare(0, cchStored, achBuf.data(), cchStored) != 0) fail();
        }
    }

    std::fill(achBuf.begin(), achBuf.end(), 'Z');
    size_t cch1 = RTStrPrintf(achBuf.data(), cbBuf, pszFormat, args...);
    if (achBuf[cbBuf] != 'Z') fail();
    if (cbBuf == 0) {
        if (cch1 != 0) fail();
    } else {
        size_t const cchExpect = strFull.size() < cbBuf ? strFull.size() : cbBuf - 1;
        if (cch1 != cchExpect || strlen(achBuf.data()) != cch1) fail();
        if (strFull.compare(0, cch1, achBuf.data(), cch1) != 0) fail();
    }
}

// Expands the optional "*" width and ".*" precision into the argument list.
template <typename... Args>
void checkWP(const char *pszFormat, size_t cbBuf, bool fWidth, int cchWidth, bool fPrec, int cchPrec, Args... args) {
    if (fWidth && fPrec)
        check(pszFormat, cbBuf, cchWidth, cchPrec, args...);
    else if (fWidth)
        check(pszFormat, cbBuf, cchWidth, args...);
    else if (fPrec)
        check(pszFormat, cbBuf, cchPrec, args...);
    else
        check(pszFormat, cbBuf, args...);
}

uint64_t readU64(const uint8_t *pb, size_t cb) {
    uint64_t u = 0;
    memcpy(&u, pb, cb < 8 ? cb : 8);
    return u;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData) {
    if (cbData < 8) return 0;
    const Conv &conv = g_aConvs[pbData[0] % (sizeof(g_aConvs) / sizeof(g_aConvs[0]))];
    uint8_t const fBits = pbData[1];
    // Widths up to +-300 and precisions up to 600 keep single runs fast.
    int cchWidth = (int)((pbData[2] | (pbData[3] << 8)) % 601) - 300;
    int cchPrec = (int)((pbData[4] | (pbData[5] << 8)) % 602) - 1;
    size_t const cbBuf = (size_t)((pbData[6] | (pbData[7] << 8)) % 700);
    const uint8_t *pbPayload = pbData + 8;
    size_t const cbPayload = cbData - 8;
    bool const fWidth = (fBits & 0x40) != 0;
    bool fPrec = cchPrec >= 0;
    bool const fNull = (fBits & 0x80) != 0 && (pbData[2] & 1);
    // The precision is the caller's count of bytes or units and must not exceed the data; dumps
    // without one read 16 bytes.
    size_t const cItems = conv.enmKind == kUtf16Big ? cbPayload / 2 : cbPayload;
    if (fPrec && (size_t)cchPrec > cItems) cchPrec = (int)cItems;
    if ((conv.enmKind == kDump || conv.enmKind == kDumpAddr) && !fPrec && cbPayload < 16) {
        fPrec = true;
        cchPrec = (int)cbPayload;
    }

    std::string strFormat = "<%";
    static const char s_szFlags[] = "-0 +#'";
    for (unsigned i = 0; i < 6; i++)
        if (fBits & (1u << i)) strFormat += s_szFlags[i];
    if (fWidth) strFormat += '*';
    if (fPrec) strFormat += ".*";
    strFormat += conv.pszConv;
    strFormat += '>';
    const char *pszFormat = strFormat.c_str();

    switch (conv.enmKind) {
    case kDump:
    case kDumpAddr: {
        std::vector<uint8_t> ab(pbPayload, pbPayload + cbPayload);
        const void *pv = fNull || ab.empty() ? nullptr : ab.data();
        if (conv.enmKind == kDump)
            checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, pv);
        else
            checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, pv, readU64(pbData + 1, 7) * 0x1000193u);
        break;
    }
    case kSize:
    case kReg:
        checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, readU64(pbPayload, cbPayload));
        break;
    case kTime: {
        int64_t i64 = (int64_t)readU64(pbPayload, cbPayload);
        checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, fNull ? nullptr : &i64);
        break;
    }
    case kText:
    case kName: {
        // With a precision escaped text need not be terminated; names take no precision.
        std::vector<char> ach(pbPayload, pbPayload + cbPayload);
        if (!fPrec || ach.empty() || conv.enmKind == kName) ach.push_back('\0');
        checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, fNull ? nullptr : (const char *)ach.data());
        break;
    }
    case kUtf16Big: {
        // Exactly the units the precision allows (nothing is read without a precision).
        std::vector<RTUTF16> aw(cItems ? cItems : 1);
        memcpy(aw.data(), pbPayload, cItems * 2);
        checkWP(pszFormat, cbBuf, fWidth, cchWidth, fPrec, cchPrec, fNull ? nullptr : (const RTUTF16 *)aw.data());
        break;
    }
    }
    return 0;
}
