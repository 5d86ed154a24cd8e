// "%RAx86[cr0]" and "%RAx86[cr4]": a control register value followed by the names of its set
// bits, as exception and state dumps show them.
#include "common/string/strformattype-internal.h"

struct RTSTRFMTREGBIT {
    uint8_t iBit;
    const char *pszName;
};

static const RTSTRFMTREGBIT g_aCr0Bits[] = {
    {0, "PE"},  {1, "MP"},  {2, "EM"},  {3, "TS"},  {4, "ET"},  {5, "NE"},
    {16, "WP"}, {18, "AM"}, {29, "NW"}, {30, "CD"}, {31, "PG"},
};

static const RTSTRFMTREGBIT g_aCr4Bits[] = {
    {0, "VME"},   {1, "PVI"},    {2, "TSD"},      {3, "DE"},     {4, "PSE"},          {5, "PAE"},
    {6, "MCE"},   {7, "PGE"},    {8, "PCE"},      {9, "OSFXSR"}, {10, "OSXMMEEXCPT"}, {13, "VMXE"},
    {14, "SMXE"}, {17, "PCIDE"}, {18, "OSXSAVE"}, {20, "SMEP"},  {21, "SMAP"},
};

static bool rtStrFormatIsIdentChar(char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_';
}

size_t rtstrFormatTypeX86Reg(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(cchWidth);
    RT_NOREF(cchPrecision);
    RT_NOREF(fFlags);
    RT_NOREF(chArgSize);

    // "A" arch "[" register "]": the names are bounded to identifier characters so that a
    // malformed conversion cannot swallow the rest of the format string.
    const char *psz = *ppszFormat + 1;
    const char *pszArch = psz;
    while (rtStrFormatIsIdentChar(*psz)) psz++;
    size_t const cchArch = (size_t)(psz - pszArch);
    if (*psz != '[') {
        *ppszFormat = psz;
        return 0;
    }
    const char *pszReg = ++psz;
    while (rtStrFormatIsIdentChar(*psz)) psz++;
    size_t const cchReg = (size_t)(psz - pszReg);
    if (*psz != ']') {
        *ppszFormat = psz;
        return 0;
    }
    *ppszFormat = psz + 1;

    // A complete "arch[reg]" conversion takes its value even when the names are unknown, so the
    // arguments after it stay in step.
    uint64_t const uValue = va_arg(*pArgs, uint64_t);
    if (cchArch != 3 || memcmp(pszArch, "x86", 3) != 0 || cchReg != 3) return 0;
    const RTSTRFMTREGBIT *paBits;
    size_t cBits;
    if (memcmp(pszReg, "cr0", 3) == 0) {
        paBits = g_aCr0Bits;
        cBits = RT_ELEMENTS(g_aCr0Bits);
    } else if (memcmp(pszReg, "cr4", 3) == 0) {
        paBits = g_aCr4Bits;
        cBits = RT_ELEMENTS(g_aCr4Bits);
    } else
        return 0;

    RTSTRFORMATBUF Run;
    rtstrFormatBufInit(&Run, pfnOutput, pvArgOutput);
    char achHex[16];
    rtstrFormatBufPut(&Run, achHex, rtstrFormatHex(achHex, uValue, 8));

    uint64_t uLeft = uValue;
    char chSep = '{';
    for (size_t i = 0; i < cBits; i++) {
        uint64_t const fBit = UINT64_C(1) << paBits[i].iBit;
        if (uValue & fBit) {
            rtstrFormatBufPutCh(&Run, chSep);
            rtstrFormatBufPut(&Run, paBits[i].pszName, strlen(paBits[i].pszName));
            uLeft &= ~fBit;
            chSep = ',';
        }
    }
    if (uLeft) {
        rtstrFormatBufPutCh(&Run, chSep);
        rtstrFormatBufPut(&Run, RT_STR_TUPLE("unkn="));
        rtstrFormatBufPut(&Run, achHex, rtstrFormatHex(achHex, uLeft, 1));
        chSep = ',';
    }
    if (chSep == ',') rtstrFormatBufPutCh(&Run, '}');
    return rtstrFormatBufDone(&Run);
}
