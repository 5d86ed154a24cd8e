// The named value types of "%R": sized and signed integers ("%RU64", "%RX32", "%RI32"), hex
// values of handles and registers, booleans, far pointers, network addresses, UUIDs and
// error-information records.
#include <string.h>

#include <qrt/format.h>
#include <qrt/err.h>
#include <qrt/net.h>
#include <qrt/uuid.h>

#include "common/string/strformat-internal.h"

// How a type's argument is passed.
enum RTSTRFMTVALARG : uint8_t {
    kArgU8,    // 8 bits in a 32-bit slot
    kArgU16,   // 16 bits in a 32-bit slot
    kArgU32,   // 32 bits
    kArgU64,   // 64 bits
    kArgPtr,   // a pointer
    kArgFar32, // RTFAR32 by value
    kArgFar64  // RTFAR64 by value
};

// How a type prints.
enum RTSTRFMTVALKIND : uint8_t {
    kNumber,   // RTStrFormatNumber with the caller's width, precision and flags
    kHexValue, // zero-padded hexadecimal of the argument's full width unless a width is given
    kBool,
    kErrInfo,        // short message, separator, message
    kErrInfoMsgOnly, // separator, message
    kFar16,
    kFar32,
    kFar64,
    kIPv4,
    kIPv6,
    kMac,
    kNetAddr,
    kUuid
};

struct RTSTRFMTVALTYPE {
    char szName[11];
    uint8_t cchName;
    RTSTRFMTVALARG enmArg;
    uint8_t uBase;
    RTSTRFMTVALKIND enmKind;
    uint16_t fFlags; // ORed into the caller's flags
};

#define VT(name, arg, base, kind, flags)                                                                               \
    { name, sizeof(name) - 1, arg, base, kind, flags }

// Sorted by name in byte order for the binary search.
static constexpr RTSTRFMTVALTYPE g_aValueTypes[] = {
    VT("Ci", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Cp", kArgU64, 16, kHexValue, 0),
    VT("Cr", kArgU32, 16, kHexValue, 0),
    VT("Cu", kArgU32, 10, kNumber, 0),
    VT("Cv", kArgU32, 16, kHexValue, 0),
    VT("Cx", kArgU32, 16, kNumber, 0),
    VT("Gi", kArgU64, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Gp", kArgU64, 16, kHexValue, 0),
    VT("Gr", kArgU64, 16, kHexValue, 0),
    VT("Gu", kArgU64, 10, kNumber, 0),
    VT("Gv", kArgU64, 16, kHexValue, 0),
    VT("Gx", kArgU64, 16, kNumber, 0),
    VT("Hi", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Hp", kArgU64, 16, kHexValue, 0),
    VT("Hr", kArgU32, 16, kHexValue, 0),
    VT("Hu", kArgU32, 10, kNumber, 0),
    VT("Hv", kArgU32, 16, kHexValue, 0),
    VT("Hx", kArgU32, 16, kNumber, 0),
    VT("I16", kArgU16, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("I32", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("I64", kArgU64, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("I8", kArgU8, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Kv", kArgU32, 16, kNumber, RTSTR_F_OBFUSCATE_PTR),
    VT("Rv", kArgU32, 16, kHexValue, 0),
    VT("Tbool", kArgU8, 10, kBool, 0),
    VT("Teic", kArgPtr, 16, kErrInfo, 0),
    VT("Teim", kArgPtr, 16, kErrInfoMsgOnly, 0),
    VT("Tfile", kArgU32, 10, kNumber, 0),
    VT("Tfmode", kArgU32, 16, kHexValue, 0),
    VT("Tfoff", kArgU64, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Tfp16", kArgU32, 16, kFar16, RTSTR_F_ZEROPAD),
    VT("Tfp32", kArgFar32, 16, kFar32, RTSTR_F_ZEROPAD),
    VT("Tfp64", kArgFar64, 16, kFar64, RTSTR_F_ZEROPAD),
    VT("Tgid", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Tino", kArgU64, 16, kHexValue, 0),
    VT("Tint", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Tiop", kArgU16, 16, kHexValue, 0),
    VT("Tldrm", kArgU32, 16, kHexValue, 0),
    VT("Tmac", kArgPtr, 16, kMac, 0),
    VT("Tnaddr", kArgPtr, 10, kNetAddr, 0),
    VT("Tnaipv4", kArgU32, 10, kIPv4, 0),
    VT("Tnaipv6", kArgPtr, 16, kIPv6, 0),
    VT("Tnthrd", kArgU32, 16, kHexValue, 0),
    VT("Tproc", kArgU32, 16, kHexValue, 0),
    VT("Tptr", kArgU64, 16, kHexValue, 0),
    VT("Treg", kArgU32, 16, kHexValue, 0),
    VT("Tsel", kArgU16, 16, kHexValue, 0),
    VT("Tsem", kArgU32, 16, kHexValue, 0),
    VT("Tsock", kArgU32, 10, kNumber, 0),
    VT("Tthrd", kArgU32, 16, kHexValue, 0),
    VT("Tuid", kArgU32, 10, kNumber, RTSTR_F_VALSIGNED),
    VT("Tuint", kArgU32, 10, kNumber, 0),
    VT("Tunicp", kArgU32, 16, kHexValue, RTSTR_F_ZEROPAD),
    VT("Tutf16", kArgU16, 16, kHexValue, RTSTR_F_ZEROPAD),
    VT("Tuuid", kArgPtr, 16, kUuid, 0),
    VT("Txint", kArgU32, 16, kNumber, 0),
    VT("U16", kArgU16, 10, kNumber, 0),
    VT("U32", kArgU32, 10, kNumber, 0),
    VT("U64", kArgU64, 10, kNumber, 0),
    VT("U8", kArgU8, 10, kNumber, 0),
    VT("X16", kArgU16, 16, kNumber, 0),
    VT("X32", kArgU32, 16, kNumber, 0),
    VT("X64", kArgU64, 16, kNumber, 0),
    VT("X8", kArgU8, 16, kNumber, 0),
};
#undef VT
static_assert(RT_ELEMENTS(g_aValueTypes) == 64, "the value type table has 64 entries");

// Layout of the error-information record as "%RTeic" reads it.
struct RTSTRFMTERRINFO {
    uint32_t fFlags;
    int32_t rc;
    size_t cbMsg;
    const char *pszMsg;
};
#define RTSTRFMT_ERRINFO_FILLED_MASK 0xffff0004U
#define RTSTRFMT_ERRINFO_FILLED 0xbabe0004U

// Where each first letter's names lie in the table ([iFirst, iEnd)), built at compile time, so
// a lookup only searches the few names that share the first letter.
struct RTSTRFMTVALRANGE {
    uint8_t iFirst;
    uint8_t iEnd;
};
struct RTSTRFMTVALINDEX {
    RTSTRFMTVALRANGE aRanges[26];
};

static constexpr RTSTRFMTVALINDEX rtStrFormatBuildValueIndex() {
    RTSTRFMTVALINDEX Index = {};
    for (unsigned i = 0; i < RT_ELEMENTS(g_aValueTypes); i++) {
        RTSTRFMTVALRANGE &Range = Index.aRanges[g_aValueTypes[i].szName[0] - 'A'];
        if (Range.iEnd == 0) Range.iFirst = (uint8_t)i;
        Range.iEnd = (uint8_t)(i + 1);
    }
    return Index;
}

static constexpr RTSTRFMTVALINDEX g_ValueTypeIndex = rtStrFormatBuildValueIndex();

// Compares the format text with a name from its second character on, over the name's length;
// stops at the first difference, so the text is never read past its terminator.
static inline int rtStrFormatCompareName(const char *pchText, const RTSTRFMTVALTYPE *pType) {
    for (unsigned i = 1; i < pType->cchName; i++) {
        int const iDiff = (int)(uint8_t)pchText[i] - (int)(uint8_t)pType->szName[i];
        if (iDiff) return iDiff;
    }
    return 0;
}

// The entry whose name the format text at pch begins with, or null.
static const RTSTRFMTVALTYPE *rtStrFormatFindValueType(const char *pch) {
    unsigned const iLetter = (unsigned)(uint8_t)pch[0] - 'A';
    if (iLetter >= 26) return NULL;
    size_t iLo = g_ValueTypeIndex.aRanges[iLetter].iFirst;
    size_t iHi = g_ValueTypeIndex.aRanges[iLetter].iEnd;
    while (iLo < iHi) {
        size_t const i = iLo + (iHi - iLo) / 2;
        const RTSTRFMTVALTYPE *pType = &g_aValueTypes[i];
        int const iDiff = rtStrFormatCompareName(pch, pType);
        if (iDiff == 0) return pType;
        if (iDiff < 0)
            iHi = i;
        else
            iLo = i + 1;
    }
    return NULL;
}

//
// Small writers into a local buffer; each returns the position after what it wrote.
//

static char *rtStrFormatPutStr(char *pch, const char *psz) {
    while (*psz) *pch++ = *psz++;
    return pch;
}

// The shared digit writers, in the position-returning form these builders use.
static inline char *rtStrFormatPutDec(char *pch, uint32_t u) {
    return pch + rtstrFormatDec(pch, u, false);
}

static inline char *rtStrFormatPutHex(char *pch, uint64_t u, unsigned cchMin) {
    return pch + rtstrFormatHex(pch, u, cchMin);
}

static char *rtStrFormatPutIPv4(char *pch, const uint8_t *pab) {
    for (unsigned i = 0; i < 4; i++) {
        if (i) *pch++ = '.';
        pch = rtStrFormatPutDec(pch, pab[i]);
    }
    return pch;
}

// IPv6 text form: the longest run of two or more zero groups becomes "::" (the first run wins
// a tie), and IPv4-compatible, -mapped and -translated addresses end in dotted decimal.
static char *rtStrFormatPutIPv6(char *pch, const uint8_t *pab) {
    uint16_t auGroups[8];
    for (unsigned i = 0; i < 8; i++) auGroups[i] = (uint16_t)((pab[2 * i] << 8) | pab[2 * i + 1]);

    static const uint8_t s_abZero[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    bool fEmbeddedIPv4 = false;
    if (memcmp(pab, s_abZero, 8) == 0) {
        bool const fHigh4Zero = memcmp(&pab[8], s_abZero, 4) == 0;
        bool const fLow4Zero = memcmp(&pab[12], s_abZero, 4) == 0;
        bool const fLoopback = fHigh4Zero && pab[12] == 0 && pab[13] == 0 && pab[14] == 0 && pab[15] == 1;
        if (fHigh4Zero)
            fEmbeddedIPv4 = !fLow4Zero && !fLoopback;
        else
            fEmbeddedIPv4 = (pab[8] == 0 && pab[9] == 0 && pab[10] == 0xff && pab[11] == 0xff) ||
                            (pab[8] == 0xff && pab[9] == 0xff && pab[10] == 0 && pab[11] == 0);
    }
    unsigned const cGroups = fEmbeddedIPv4 ? 6 : 8;

    unsigned iRunStart = 0, cRun = 0;
    for (unsigned i = 0; i < cGroups;) {
        if (auGroups[i] != 0) {
            i++;
            continue;
        }
        unsigned j = i;
        while (j < cGroups && auGroups[j] == 0) j++;
        if (j - i >= 2 && j - i > cRun) {
            iRunStart = i;
            cRun = j - i;
        }
        i = j;
    }

    // The dotted IPv4 part counts as one more element after the groups.
    unsigned const cElements = fEmbeddedIPv4 ? cGroups + 1 : cGroups;
    for (unsigned i = 0; i < cElements;) {
        if (cRun && i == iRunStart) {
            *pch++ = ':';
            *pch++ = ':';
            i += cRun;
            continue;
        }
        if (i != 0 && !(cRun && i == iRunStart + cRun)) *pch++ = ':';
        if (i < cGroups)
            pch = rtStrFormatPutHex(pch, auGroups[i], 1);
        else
            pch = rtStrFormatPutIPv4(pch, &pab[12]);
        i++;
    }
    return pch;
}

static char *rtStrFormatPutMac(char *pch, const uint8_t *pab) {
    for (unsigned i = 0; i < 6; i++) {
        if (i) *pch++ = ':';
        pch = rtStrFormatPutHex(pch, pab[i], 2);
    }
    return pch;
}

static char *rtStrFormatPutUuid(char *pch, const uint8_t *pab) {
    // The first three fields are little-endian numbers, the rest bytes in order.
    uint32_t const uTimeLow =
        (uint32_t)pab[0] | (uint32_t)pab[1] << 8 | (uint32_t)pab[2] << 16 | (uint32_t)pab[3] << 24;
    pch = rtStrFormatPutHex(pch, uTimeLow, 8);
    *pch++ = '-';
    pch = rtStrFormatPutHex(pch, (uint32_t)pab[4] | (uint32_t)pab[5] << 8, 4);
    *pch++ = '-';
    pch = rtStrFormatPutHex(pch, (uint32_t)pab[6] | (uint32_t)pab[7] << 8, 4);
    *pch++ = '-';
    pch = rtStrFormatPutHex(pch, pab[8], 2);
    pch = rtStrFormatPutHex(pch, pab[9], 2);
    *pch++ = '-';
    for (unsigned i = 10; i < 16; i++) pch = rtStrFormatPutHex(pch, pab[i], 2);
    return pch;
}

static char *rtStrFormatPutNetAddr(char *pch, PCRTNETADDR pAddr) {
    // Read as a plain number: the record may hold any value, not only the enum's.
    uint32_t uType;
    memcpy(&uType, &pAddr->enmType, sizeof(uType));
    bool const fPort = pAddr->uPort != RTNETADDR_PORT_NA;
    switch (uType) {
    case RTNETADDRTYPE_IPV4:
        pch = rtStrFormatPutIPv4(pch, pAddr->uAddr.au8);
        if (fPort) {
            *pch++ = ':';
            pch = rtStrFormatPutDec(pch, pAddr->uPort);
        }
        break;
    case RTNETADDRTYPE_IPV6:
        if (fPort) *pch++ = '[';
        pch = rtStrFormatPutIPv6(pch, pAddr->uAddr.au8);
        if (fPort) {
            *pch++ = ']';
            *pch++ = ':';
            pch = rtStrFormatPutDec(pch, pAddr->uPort);
        }
        break;
    case RTNETADDRTYPE_MAC:
        pch = rtStrFormatPutMac(pch, pAddr->uAddr.au8);
        break;
    default:
        pch = rtStrFormatPutStr(pch, "unsupported-netaddr-type=");
        pch = rtStrFormatPutDec(pch, uType);
        break;
    }
    return pch;
}

static size_t rtStrFormatErrInfo(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const void *pv, bool fShort,
                                 unsigned fFlags) {
    if (rtstrFormatIsNearNull(pv)) return 0;
    const RTSTRFMTERRINFO *pErrInfo = (const RTSTRFMTERRINFO *)pv;
    if ((pErrInfo->fFlags & RTSTRFMT_ERRINFO_FILLED_MASK) != RTSTRFMT_ERRINFO_FILLED) return 0;
    size_t cch = 0;
    if (fShort) {
        const char *pszShort = RTErrLookup(pErrInfo->rc)->pszShort;
        size_t const cchShort = strlen(pszShort);
        if (cchShort) cch += pfnOutput(pvArgOutput, pszShort, cchShort);
    }
    if (pErrInfo->cbMsg != 0) {
        if (fFlags & RTSTR_F_SPECIAL)
            cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(" - "));
        else
            cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(": "));
        // A record claiming a message without a usable buffer prints none.
        if (!rtstrFormatIsNearNull(pErrInfo->pszMsg)) {
            const char *pchEnd = (const char *)memchr(pErrInfo->pszMsg, '\0', pErrInfo->cbMsg);
            size_t const cchMsg = pchEnd ? (size_t)(pchEnd - pErrInfo->pszMsg) : pErrInfo->cbMsg;
            if (cchMsg) cch += pfnOutput(pvArgOutput, pErrInfo->pszMsg, cchMsg);
        }
    }
    return cch;
}

// Selector and offset as two zero-padded hexadecimal fields joined by ':'.
static size_t rtStrFormatFar(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, uint16_t uSel, uint64_t uOff,
                             int cchOffDigits, unsigned fFlags) {
    unsigned const fPassOn =
        fFlags & (RTSTR_F_CAPITAL | RTSTR_F_LEFT | RTSTR_F_ZEROPAD | RTSTR_F_SPECIAL | RTSTR_F_PLUS | RTSTR_F_BLANK);
    char szBuf[2 * RTSTR_NUM_BUF_SIZE];
    int cch = RTStrFormatNumber(szBuf, uSel, 16, 4, -1, fPassOn);
    szBuf[cch++] = ':';
    cch += RTStrFormatNumber(&szBuf[cch], uOff, 16, cchOffDigits, -1, fPassOn | RTSTR_F_64BIT);
    return pfnOutput(pvArgOutput, szBuf, (size_t)cch);
}

size_t rtstrFormatRtValue(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                          int cchWidth, int cchPrecision, unsigned fFlags) {
    const char *pszName = *ppszFormat + 1;
    const RTSTRFMTVALTYPE *pType = rtStrFormatFindValueType(pszName);
    if (!pType) {
        // Known first character, unknown name: only "R" and that character are consumed.
        *ppszFormat = pszName + 1;
        return 0;
    }
    *ppszFormat = pszName + pType->cchName;
    fFlags |= pType->fFlags;

    uint64_t u64 = 0;
    const void *pv = NULL;
    RTFAR32 Far32 = {0, 0};
    RTFAR64 Far64 = {0, 0};
    unsigned cbArg = 4;
    switch (pType->enmArg) {
    case kArgU8:
    case kArgU16:
    case kArgU32: {
        uint32_t const u32 = va_arg(*pArgs, uint32_t);
        if (pType->fFlags & RTSTR_F_VALSIGNED)
            u64 = (uint64_t)(int64_t)(int32_t)u32; // signed types are not narrowed
        else if (pType->enmArg == kArgU8)
            u64 = (uint8_t)u32;
        else if (pType->enmArg == kArgU16)
            u64 = (uint16_t)u32;
        else
            u64 = u32;
        cbArg = pType->enmArg == kArgU8 ? 1 : pType->enmArg == kArgU16 ? 2 : 4;
        fFlags |= pType->enmArg == kArgU8 ? RTSTR_F_8BIT : pType->enmArg == kArgU16 ? RTSTR_F_16BIT : RTSTR_F_32BIT;
        break;
    }
    case kArgU64:
        u64 = va_arg(*pArgs, uint64_t);
        cbArg = 8;
        fFlags |= RTSTR_F_64BIT;
        break;
    case kArgPtr:
        pv = va_arg(*pArgs, const void *);
        break;
    case kArgFar32:
        Far32 = va_arg(*pArgs, RTFAR32);
        break;
    case kArgFar64:
        Far64 = va_arg(*pArgs, RTFAR64);
        break;
    }

    char szBuf[96];
    char *pch = szBuf;
    switch (pType->enmKind) {
    case kNumber:
    case kHexValue: {
        if (fFlags & RTSTR_F_OBFUSCATE_PTR) {
            // The value stays secret; width and precision do not apply.
            if (fFlags & RTSTR_F_SPECIAL) return pfnOutput(pvArgOutput, RT_STR_TUPLE("0xXXXXXXXX"));
            return pfnOutput(pvArgOutput, RT_STR_TUPLE("XXXXXXXX"));
        }
        if (pType->enmKind == kHexValue && !(fFlags & RTSTR_F_WIDTH)) {
            cchWidth = (int)(2 * cbArg) + (fFlags & RTSTR_F_SPECIAL ? 2 : 0);
            fFlags |= RTSTR_F_ZEROPAD;
        }
        int const cch = RTStrFormatNumber(szBuf, u64, pType->uBase, cchWidth, cchPrecision, fFlags);
        return pfnOutput(pvArgOutput, szBuf, (size_t)cch);
    }

    case kBool: {
        uint8_t const bValue = (uint8_t)u64;
        if (bValue == 1) return pfnOutput(pvArgOutput, RT_STR_TUPLE("true "));
        if (bValue == 0) return pfnOutput(pvArgOutput, RT_STR_TUPLE("false"));
        *pch++ = '!';
        pch = rtStrFormatPutDec(pch, bValue);
        *pch++ = '!';
        break;
    }

    case kErrInfo:
    case kErrInfoMsgOnly:
        return rtStrFormatErrInfo(pfnOutput, pvArgOutput, pv, pType->enmKind == kErrInfo, fFlags);

    case kFar16:
        return rtStrFormatFar(pfnOutput, pvArgOutput, (uint16_t)(u64 >> 16), u64 & 0xffff, 4, fFlags);
    case kFar32:
        return rtStrFormatFar(pfnOutput, pvArgOutput, Far32.sel, Far32.off, 8, fFlags);
    case kFar64:
        return rtStrFormatFar(pfnOutput, pvArgOutput, Far64.sel, Far64.off, 16, fFlags);

    case kIPv4: {
        // The bytes of the value in memory order, as the address is written.
        uint32_t const u32 = (uint32_t)u64;
        uint8_t ab[4];
        memcpy(ab, &u32, sizeof(ab));
        pch = rtStrFormatPutIPv4(pch, ab);
        break;
    }

    case kIPv6:
    case kMac:
    case kNetAddr:
    case kUuid:
        if (rtstrFormatIsNearNull(pv)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<NULL>"));
        if (pType->enmKind == kIPv6)
            pch = rtStrFormatPutIPv6(pch, (const uint8_t *)pv);
        else if (pType->enmKind == kMac)
            pch = rtStrFormatPutMac(pch, (const uint8_t *)pv);
        else if (pType->enmKind == kNetAddr)
            pch = rtStrFormatPutNetAddr(pch, (PCRTNETADDR)pv);
        else
            pch = rtStrFormatPutUuid(pch, (const uint8_t *)pv);
        break;
    }
    return pfnOutput(pvArgOutput, szBuf, (size_t)(pch - szBuf));
}
