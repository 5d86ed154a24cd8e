// The formatting engine's main loop: literal runs, conversion parsing, integers, characters,
// strings, "%p", "%N" and "%M"; "%R" goes to the runtime-type dispatch.
#include <limits.h>
#include <string.h>

#include <qrt/format.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "common/string/strformat-internal.h"

// What each character means while scanning: the flag it sets, or that it ends a literal run.
struct RTSTRFMTCHARTAB {
    uint16_t afFlag[256];
    bool afStopsRun[256];
};

static constexpr RTSTRFMTCHARTAB rtStrFormatBuildCharTab() {
    RTSTRFMTCHARTAB Tab = {};
    Tab.afFlag[(uint8_t)' '] = RTSTR_F_BLANK;
    Tab.afFlag[(uint8_t)'#'] = RTSTR_F_SPECIAL;
    Tab.afFlag[(uint8_t)'\''] = RTSTR_F_THOUSAND_SEP;
    Tab.afFlag[(uint8_t)'+'] = RTSTR_F_PLUS;
    Tab.afFlag[(uint8_t)'-'] = RTSTR_F_LEFT;
    Tab.afFlag[(uint8_t)'0'] = RTSTR_F_ZEROPAD;
    Tab.afStopsRun[(uint8_t)'%'] = true;
    Tab.afStopsRun[0] = true;
    return Tab;
}

static constexpr RTSTRFMTCHARTAB g_CharTab = rtStrFormatBuildCharTab();

// The end of the literal run at psz: the next '%' or the terminator. The first few characters
// are looked at here, since most runs are short; longer ones go to the library's search.
static inline const char *rtStrFormatRunEnd(const char *psz) {
    for (unsigned i = 0; i < 4; i++, psz++)
        if (g_CharTab.afStopsRun[(uint8_t)*psz]) return psz;
#if defined(__GLIBC__)
    return strchrnul(psz, '%');
#else
    for (unsigned i = 0; i < 12; i++, psz++)
        if (g_CharTab.afStopsRun[(uint8_t)*psz]) return psz;
    const char *pszPct = strchr(psz, '%');
    return pszPct ? pszPct : psz + strlen(psz);
#endif
}

// Padding goes out in runs cut from this.
static const char g_szSpaces[] = "                                                                ";

static size_t rtStrFormatSpaces(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, size_t cSpaces) {
    size_t cch = 0;
    while (cSpaces > 0) {
        size_t const cchRun = cSpaces < sizeof(g_szSpaces) - 1 ? cSpaces : sizeof(g_szSpaces) - 1;
        cch += pfnOutput(pvArgOutput, g_szSpaces, cchRun);
        cSpaces -= cchRun;
    }
    return cch;
}

// A field of cchText characters in a width: how many spaces go before and after it.
static inline void rtStrFormatPad(int cchWidth, unsigned fFlags, size_t cchText, size_t *pcBefore, size_t *pcAfter) {
    size_t const cPad = cchWidth > 0 && (size_t)cchWidth > cchText ? (size_t)cchWidth - cchText : 0;
    *pcBefore = fFlags & RTSTR_F_LEFT ? 0 : cPad;
    *pcAfter = fFlags & RTSTR_F_LEFT ? cPad : 0;
}

// "%s" of UTF-8 text: width and precision count bytes.
static size_t rtStrFormatUtf8(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *psz, int cchWidth,
                              int cchPrecision, unsigned fFlags) {
    size_t cchText;
    if (cchPrecision < 0)
        cchText = strlen(psz);
    else {
        const char *pchEnd = (const char *)memchr(psz, '\0', (size_t)cchPrecision);
        cchText = pchEnd ? (size_t)(pchEnd - psz) : (size_t)cchPrecision;
    }
    size_t cBefore, cAfter;
    rtStrFormatPad(cchWidth, fFlags, cchText, &cBefore, &cAfter);
    size_t cch = 0;
    if (cBefore) cch += rtStrFormatSpaces(pfnOutput, pvArgOutput, cBefore);
    if (cchText) cch += pfnOutput(pvArgOutput, psz, cchText);
    if (cAfter) cch += rtStrFormatSpaces(pfnOutput, pvArgOutput, cAfter);
    return cch;
}

// Emits a field of cCps code points padded to the width; fnNextCp() yields them in order.
template <typename FnNextCp>
static size_t rtStrFormatCpField(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, size_t cCps, int cchWidth,
                                 unsigned fFlags, FnNextCp fnNextCp) {
    size_t cBefore, cAfter;
    rtStrFormatPad(cchWidth, fFlags, cCps, &cBefore, &cAfter);
    size_t cch = cBefore ? rtStrFormatSpaces(pfnOutput, pvArgOutput, cBefore) : 0;
    RTSTRFORMATBUF Buf;
    rtstrFormatBufInit(&Buf, pfnOutput, pvArgOutput);
    for (size_t i = 0; i < cCps; i++) rtstrFormatBufPutCp(&Buf, fnNextCp());
    cch += rtstrFormatBufDone(&Buf);
    if (cAfter) cch += rtStrFormatSpaces(pfnOutput, pvArgOutput, cAfter);
    return cch;
}

// "%ls" of UTF-16 text: width and precision count code points; output stops at the first
// invalid sequence.
static size_t rtStrFormatUtf16(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const RTUTF16 *pwsz, int cchWidth,
                               int cchPrecision, unsigned fFlags) {
    size_t const cMax = cchPrecision < 0 ? SIZE_MAX : (size_t)cchPrecision;
    size_t cCps = 0;
    for (const RTUTF16 *pwc = pwsz; cCps < cMax && *pwc != 0; cCps++) {
        RTUNICP uc;
        if (RTUtf16GetCpEx(&pwc, &uc) < 0) break;
    }
    const RTUTF16 *pwc = pwsz;
    return rtStrFormatCpField(pfnOutput, pvArgOutput, cCps, cchWidth, fFlags, [&pwc]() {
        RTUNICP uc;
        RTUtf16GetCpEx(&pwc, &uc);
        return uc;
    });
}

// "%Ls" of a code-point array: entries are encoded without further checks.
static size_t rtStrFormatUni(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const RTUNICP *puc, int cchWidth,
                             int cchPrecision, unsigned fFlags) {
    size_t const cMax = cchPrecision < 0 ? SIZE_MAX : (size_t)cchPrecision;
    size_t cCps = 0;
    while (cCps < cMax && puc[cCps] != 0) cCps++;
    return rtStrFormatCpField(pfnOutput, pvArgOutput, cCps, cchWidth, fFlags, [&puc]() { return *puc++; });
}

// Reads the integer argument of "d", "i", "u", "o", "x", "X" by size character and adds the
// size flag. size_t and ptrdiff_t are read at their own width, which is 32 bits in the
// 32-bit build and 64 bits natively.
static inline uint64_t rtStrFormatReadInt(va_list *pArgs, char chArgSize, unsigned *pfFlags) {
    unsigned const fPtrSized = sizeof(size_t) == 8 ? RTSTR_F_64BIT : RTSTR_F_32BIT;
    bool const fSigned = (*pfFlags & RTSTR_F_VALSIGNED) != 0;
    switch (chArgSize) {
    case 'L':
    case 'j':
        *pfFlags |= RTSTR_F_64BIT;
        return va_arg(*pArgs, uint64_t);
    case 'z':
        *pfFlags |= fPtrSized;
        return va_arg(*pArgs, size_t);
    case 't': {
        *pfFlags |= fPtrSized;
        ptrdiff_t const off = va_arg(*pArgs, ptrdiff_t);
        return fSigned ? (uint64_t)(int64_t)off : (uint64_t)(size_t)off;
    }
    case 'h': {
        // Signed values are not narrowed; unsigned ones are, as the C library does.
        *pfFlags |= RTSTR_F_16BIT;
        int const i = va_arg(*pArgs, int);
        return fSigned ? (uint64_t)(int64_t)i : (uint64_t)(uint16_t)i;
    }
    case 'H': {
        *pfFlags |= RTSTR_F_8BIT;
        int const i = va_arg(*pArgs, int);
        return fSigned ? (uint64_t)(int64_t)i : (uint64_t)(uint8_t)i;
    }
    default: { // none and "l": 32 bits
        *pfFlags |= RTSTR_F_32BIT;
        int const i = va_arg(*pArgs, int);
        return fSigned ? (uint64_t)(int64_t)i : (uint64_t)(uint32_t)i;
    }
    }
}

// Decimal digits of a width or precision; saturates instead of overflowing.
static inline int rtStrFormatParseDecimal(const char **ppsz) {
    const char *psz = *ppsz;
    int i = 0;
    while (*psz >= '0' && *psz <= '9') {
        int const iDigit = *psz++ - '0';
        i = i > (INT_MAX - iDigit) / 10 ? INT_MAX : i * 10 + iDigit;
    }
    *ppsz = psz;
    return i;
}

static size_t rtStrFormatLoop(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNSTRFORMAT pfnFormat, void *pvArgFormat,
                              const char *pszFormat, va_list *pArgs) {
    size_t cch = 0;
    const char *pszRun = pszFormat; // start of the pending literal run
    const char *psz = pszFormat;    // scan position
    for (;;) {
        const char *pszPct = rtStrFormatRunEnd(psz);
        if (*pszPct == '\0') {
            if (pszPct != pszRun) cch += pfnOutput(pvArgOutput, pszRun, (size_t)(pszPct - pszRun));
            break;
        }
        if (pszPct != pszRun) cch += pfnOutput(pvArgOutput, pszRun, (size_t)(pszPct - pszRun));
        psz = pszPct + 1;
        if (*psz == '%') { // "%%": the second '%' starts the next literal run
            pszRun = psz++;
            continue;
        }

        // Flags.
        unsigned fFlags = 0;
        for (unsigned fFlag; (fFlag = g_CharTab.afFlag[(uint8_t)*psz]) != 0; psz++) fFlags |= fFlag;

        // Width.
        int cchWidth = -1;
        if (*psz >= '0' && *psz <= '9') {
            cchWidth = rtStrFormatParseDecimal(&psz);
            fFlags |= RTSTR_F_WIDTH;
        } else if (*psz == '*') {
            psz++;
            cchWidth = va_arg(*pArgs, int);
            if (cchWidth < 0) {
                cchWidth = cchWidth == INT_MIN ? INT_MAX : -cchWidth;
                fFlags |= RTSTR_F_LEFT;
            }
            fFlags |= RTSTR_F_WIDTH;
        }

        // Precision.
        int cchPrecision = -1;
        if (*psz == '.') {
            psz++;
            if (*psz >= '0' && *psz <= '9')
                cchPrecision = rtStrFormatParseDecimal(&psz);
            else if (*psz == '*') {
                psz++;
                cchPrecision = va_arg(*pArgs, int);
            } else
                cchPrecision = 0;
            if (cchPrecision < 0) cchPrecision = 0;
            fFlags |= RTSTR_F_PRECISION;
        }

        // Size prefix, normalised to one character.
        char chArgSize = 0;
        switch (*psz) {
        case 'I':
            if (psz[1] == '6' && psz[2] == '4') {
                chArgSize = 'L';
                psz += 3;
            } else if (psz[1] == '3' && psz[2] == '2')
                psz += 3;
            else {
                chArgSize = 'j';
                psz++;
            }
            break;
        case 'L':
        case 'j':
        case 't':
        case 'z':
            chArgSize = *psz++;
            break;
        case 'h':
            if (psz[1] == 'h') {
                chArgSize = 'H';
                psz += 2;
            } else {
                chArgSize = 'h';
                psz++;
            }
            break;
        case 'l':
            if (psz[1] == 'l') {
                chArgSize = 'L';
                psz += 2;
            } else {
                chArgSize = 'l';
                psz++;
            }
            break;
        case 'q':
            chArgSize = 'L';
            psz++;
            break;
        default:
            break;
        }

        // The conversion. A format that ends inside a conversion drops what was parsed.
        char const chConv = *psz;
        if (chConv == '\0') {
            pszRun = psz;
            continue;
        }
        psz++;
        switch (chConv) {
        case 'c': {
            char const ch = (char)va_arg(*pArgs, int);
            size_t cBefore, cAfter;
            rtStrFormatPad(cchWidth, fFlags, 1, &cBefore, &cAfter);
            if (cBefore) cch += rtStrFormatSpaces(pfnOutput, pvArgOutput, cBefore);
            cch += pfnOutput(pvArgOutput, &ch, 1);
            if (cAfter) cch += rtStrFormatSpaces(pfnOutput, pvArgOutput, cAfter);
            break;
        }

        case 's':
        case 'S': {
            const void *pv = va_arg(*pArgs, const void *);
            if (rtstrFormatIsNearNull(pv))
                cch += rtStrFormatUtf8(pfnOutput, pvArgOutput, "<NULL>", cchWidth, cchPrecision, fFlags);
            else if (chArgSize == 'l')
                cch += rtStrFormatUtf16(pfnOutput, pvArgOutput, (const RTUTF16 *)pv, cchWidth, cchPrecision, fFlags);
            else if (chArgSize == 'L')
                cch += rtStrFormatUni(pfnOutput, pvArgOutput, (const RTUNICP *)pv, cchWidth, cchPrecision, fFlags);
            else
                cch += rtStrFormatUtf8(pfnOutput, pvArgOutput, (const char *)pv, cchWidth, cchPrecision, fFlags);
            break;
        }

        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X': {
            unsigned uiBase = 10;
            if (chConv == 'd' || chConv == 'i')
                fFlags |= RTSTR_F_VALSIGNED;
            else if (chConv == 'o')
                uiBase = 8;
            else if (chConv != 'u') {
                uiBase = 16;
                if (chConv == 'X') fFlags |= RTSTR_F_CAPITAL;
            }
            uint64_t const u64 = rtStrFormatReadInt(pArgs, chArgSize, &fFlags);
            char szNum[RTSTR_NUM_BUF_SIZE];
            int const cchNum = RTStrFormatNumber(szNum, u64, uiBase, cchWidth, cchPrecision, fFlags);
            cch += pfnOutput(pvArgOutput, szNum, (size_t)cchNum);
            break;
        }

        case 'p': {
            uintptr_t const uPtr = va_arg(*pArgs, uintptr_t);
            char szNum[RTSTR_NUM_BUF_SIZE];
            int const cchNum =
                RTStrFormatNumber(szNum, uPtr, 16, cchWidth < 0 ? 8 : cchWidth, cchPrecision, fFlags | RTSTR_F_ZEROPAD);
            cch += pfnOutput(pvArgOutput, szNum, (size_t)cchNum);
            break;
        }

        case 'M': {
            // Abandon the rest of this format and go on with the new one; an unusable pointer
            // ends the output.
            const char *pszNew = va_arg(*pArgs, const char *);
            psz = rtstrFormatIsNearNull(pszNew) ? "" : pszNew;
            break;
        }

        case 'N': {
            const char *pszNested = va_arg(*pArgs, const char *);
            va_list *pNestedArgs = va_arg(*pArgs, va_list *);
            if (!rtstrFormatIsNearNull(pszNested) && !rtstrFormatIsNearNull(pNestedArgs)) {
                va_list NestedArgs;
                va_copy(NestedArgs, *pNestedArgs);
                cch += RTStrFormatV(pfnOutput, pvArgOutput, pfnFormat, pvArgFormat, pszNested, NestedArgs);
                va_end(NestedArgs);
            }
            break;
        }

        case 'R': {
            const char *pszType = psz - 1;
            cch += rtstrFormatRt(pfnOutput, pvArgOutput, &pszType, pArgs, cchWidth, cchPrecision, fFlags, chArgSize);
            psz = pszType;
            break;
        }

        default:
            if (pfnFormat) {
                const char *pszConv = psz - 1;
                cch += pfnFormat(pvArgFormat, pfnOutput, pvArgOutput, &pszConv, pArgs, cchWidth, cchPrecision, fFlags,
                                 chArgSize);
                psz = pszConv;
            }
            break;
        }
        pszRun = psz;
    }
    pfnOutput(pvArgOutput, NULL, 0);
    return cch;
}

size_t RTStrFormatV(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNSTRFORMAT pfnFormat, void *pvArgFormat,
                    const char *pszFormat, va_list args) {
    // A va_list parameter may be an array that decayed to a pointer, so the handlers get the
    // address of a real va_list object.
    va_list ArgsCopy;
    va_copy(ArgsCopy, args);
    size_t const cch = rtStrFormatLoop(pfnOutput, pvArgOutput, pfnFormat, pvArgFormat, pszFormat, &ArgsCopy);
    va_end(ArgsCopy);
    return cch;
}

size_t RTStrFormat(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNSTRFORMAT pfnFormat, void *pvArgFormat,
                   const char *pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    size_t const cch = RTStrFormatV(pfnOutput, pvArgOutput, pfnFormat, pvArgFormat, pszFormat, args);
    va_end(args);
    return cch;
}
