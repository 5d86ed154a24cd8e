// The "%R" dispatch, the custom-type escape "%R[name]" and the status-code and Windows-error
// printers ("%Rr.", "%Rw.", "%Rhr.").
#include <string.h>

#include <qrt/format.h>
#include <qrt/err.h>

#include "common/string/strformat-internal.h"

// A custom type handler: gets the type name and the pointer-sized argument.
typedef size_t (*PFNRTSTRFORMATTYPE)(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *pszType,
                                     const void *pvValue, int cchWidth, int cchPrecision, unsigned fFlags,
                                     void *pvUser);

// One registered custom type. The handler and user pointers are read with acquire ordering so
// that an entry published by another thread is seen whole.
struct RTSTRFMTCUSTOMTYPE {
    uint8_t cchType;
    char szType[48]; // up to 47 bytes and a terminator
    PFNRTSTRFORMATTYPE pfnHandler;
    void *pvUser;
};

// Sorted by name (byte order), at most 64 entries. Nothing registers types in this runtime, so
// the table stays empty and every "%R[name]" prints the missing marker.
static RTSTRFMTCUSTOMTYPE g_aCustomTypes[64];
static uint32_t g_cCustomTypes = 0;

// Binary search: names compare on their common length, the shorter sorting first when equal.
static int rtStrFormatFindCustomType(const char *pchName, size_t cchName) {
    uint32_t const cTypes = __atomic_load_n(&g_cCustomTypes, __ATOMIC_ACQUIRE);
    size_t iLo = 0;
    size_t iHi = cTypes;
    while (iLo < iHi) {
        size_t const i = iLo + (iHi - iLo) / 2;
        RTSTRFMTCUSTOMTYPE const *pType = &g_aCustomTypes[i];
        size_t const cchCmp = cchName < pType->cchType ? cchName : pType->cchType;
        int iDiff = memcmp(pchName, pType->szType, cchCmp);
        if (iDiff == 0) iDiff = cchName < pType->cchType ? -1 : cchName > pType->cchType ? 1 : 0;
        if (iDiff == 0) return (int)i;
        if (iDiff < 0)
            iHi = i;
        else
            iLo = i + 1;
    }
    return -1;
}

// "%R[name]": entered at the 'R'.
static size_t rtStrFormatRtCustom(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                                  int cchWidth, int cchPrecision, unsigned fFlags) {
    const void *pvValue = va_arg(*pArgs, const void *);
    const char *pchName = *ppszFormat + 2;
    const char *pchEnd = pchName;
    while (*pchEnd != ']') {
        if (*pchEnd == '\0' || *pchEnd == '%' || *pchEnd == '[') {
            // No closing bracket: the name is left as ordinary format text.
            *ppszFormat = pchName;
            return 0;
        }
        pchEnd++;
    }
    *ppszFormat = pchEnd + 1;
    size_t const cchName = (size_t)(pchEnd - pchName);

    int const iType = rtStrFormatFindCustomType(pchName, cchName);
    if (iType >= 0) {
        RTSTRFMTCUSTOMTYPE *pType = &g_aCustomTypes[iType];
        PFNRTSTRFORMATTYPE pfnHandler = __atomic_load_n(&pType->pfnHandler, __ATOMIC_ACQUIRE);
        void *pvUser = __atomic_load_n(&pType->pvUser, __ATOMIC_ACQUIRE);
        return pfnHandler(pfnOutput, pvArgOutput, pType->szType, pvValue, cchWidth, cchPrecision, fFlags, pvUser);
    }
    size_t cch = pfnOutput(pvArgOutput, RT_STR_TUPLE("<missing:%R["));
    if (cchName) cch += pfnOutput(pvArgOutput, pchName, cchName);
    cch += pfnOutput(pvArgOutput, RT_STR_TUPLE("]>"));
    return cch;
}

static size_t rtStrFormatOutputStr(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char *psz) {
    size_t const cch = strlen(psz);
    return cch ? pfnOutput(pvArgOutput, psz, cch) : 0;
}

// "%Rr" followed by c, s, f or a: pchWhat points at that character.
static size_t rtStrFormatRtStatus(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                                  va_list *pArgs) {
    int32_t const rc = va_arg(*pArgs, int32_t);
    const char *pchWhat = *ppszFormat + 2;
    char const chWhat = *pchWhat;
    *ppszFormat = chWhat ? pchWhat + 1 : pchWhat;
    if (chWhat != 'c' && chWhat != 's' && chWhat != 'f' && chWhat != 'a') return 0;

    PCRTSTATUSENTRY pEntry = RTErrLookup(rc);
    switch (chWhat) {
    case 'c':
        return rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszDefine);
    case 's':
        return rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszShort);
    case 'f':
        return rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszFull);
    default: {
        // "%s (%d) - %s"
        char szNum[RTSTR_NUM_BUF_SIZE];
        int const cchNum =
            RTStrFormatNumber(szNum, (uint64_t)(int64_t)rc, 10, -1, -1, RTSTR_F_VALSIGNED | RTSTR_F_32BIT);
        size_t cch = rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszDefine);
        cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(" ("));
        cch += pfnOutput(pvArgOutput, szNum, (size_t)cchNum);
        cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(") - "));
        cch += rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszFull);
        return cch;
    }
    }
}

// "%Rw" or "%Rhr" followed by c, f or a: pchWhat points at that character.
static size_t rtStrFormatRtWinErr(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                                  const char *pchWhat, va_list *pArgs) {
    uint32_t const uValue = va_arg(*pArgs, uint32_t);
    char const chWhat = *pchWhat;
    *ppszFormat = chWhat ? pchWhat + 1 : pchWhat;
    if (chWhat != 'c' && chWhat != 'f' && chWhat != 'a') return 0;

    PCRTWINERRENTRY pEntry = RTErrWinLookup(uValue);
    switch (chWhat) {
    case 'c':
        return rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszDefine);
    case 'f':
        return rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszFull);
    default: {
        // "%s (0x%08X) - %s"
        char szNum[RTSTR_NUM_BUF_SIZE];
        int const cchNum = RTStrFormatNumber(szNum, uValue, 16, 8, -1, RTSTR_F_ZEROPAD | RTSTR_F_CAPITAL);
        size_t cch = rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszDefine);
        cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(" (0x"));
        cch += pfnOutput(pvArgOutput, szNum, (size_t)cchNum);
        cch += pfnOutput(pvArgOutput, RT_STR_TUPLE(") - "));
        cch += rtStrFormatOutputStr(pfnOutput, pvArgOutput, pEntry->pszFull);
        return cch;
    }
    }
}

size_t rtstrFormatRt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,
                     int cchPrecision, unsigned fFlags, char chArgSize) {
    const char *psz = *ppszFormat; // at the 'R'
    switch (psz[1]) {
    case '[':
        return rtStrFormatRtCustom(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags);

    case 'C':
    case 'G':
    case 'H':
    case 'I':
    case 'K':
    case 'R':
    case 'T':
    case 'U':
    case 'X':
        return rtstrFormatRtValue(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags);

    case 'r':
        return rtStrFormatRtStatus(pfnOutput, pvArgOutput, ppszFormat, pArgs);
    case 'w':
        return rtStrFormatRtWinErr(pfnOutput, pvArgOutput, ppszFormat, psz + 2, pArgs);

    case 'h':
        if (psz[2] == 'r') return rtStrFormatRtWinErr(pfnOutput, pvArgOutput, ppszFormat, psz + 3, pArgs);
        return rtstrFormatRtDumpsEscapesNames(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags,
                                              chArgSize);

    case 'A':
    case 'D':
    case 'M':
    case 'b':
    case 'f':
        return rtstrFormatRtDumpsEscapesNames(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags,
                                              chArgSize);

    case '\0': // "%R" at the very end: nothing more to consume
        *ppszFormat = psz + 1;
        return 0;

    default:
        *ppszFormat = psz + 2;
        return 0;
    }
}
