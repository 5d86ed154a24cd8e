// "%lRbs": big-endian UTF-16 text (as found in file formats and on the wire) printed as UTF-8.
#include "common/string/strformattype-internal.h"

#include <qrt/utf16.h>

size_t rtstrFormatTypeUtf16Big(RTSTRFMTTYPE_HANDLER_ARGS) {
    const char *pszType = *ppszFormat; // "bs"
    *ppszFormat = pszType + 2;
    // Only the UTF-16 size prefix is defined for this type; other sizes take no argument.
    if (chArgSize != 'l') return 0;

    const RTUTF16 *pwsz = va_arg(*pArgs, const RTUTF16 *);
    if (rtstrFormatIsNearNull(pwsz)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<null>"));
    // Such text is rarely terminated, so the precision is the only safe limit.
    if (cchPrecision <= 0) return 0;

    size_t cwc = 0;
    while (cwc < (size_t)cchPrecision && pwsz[cwc] != 0) cwc++;
    size_t const cPad = cchWidth > 0 && (size_t)cchWidth > cwc ? (size_t)cchWidth - cwc : 0;

    RTSTRFORMATBUF Run;
    rtstrFormatBufInit(&Run, pfnOutput, pvArgOutput);
    if (!(fFlags & RTSTR_F_LEFT)) rtstrFormatBufRepeat(&Run, " ", 1, cPad);
    const RTUTF16 *pwc = pwsz;
    size_t cwcLeft = cwc;
    while (cwcLeft > 0) {
        // The counted decoder never reads a pair's second unit beyond the limit.
        RTUNICP uc;
        size_t const cwcBefore = cwcLeft;
        RTUtf16BigGetCpNEx(&pwc, &cwcLeft, &uc);
        if (cwcLeft >= cwcBefore) break;
        char achCp[8];
        rtstrFormatBufPut(&Run, achCp, (size_t)(RTStrPutCp(achCp, uc) - achCp));
    }
    if (fFlags & RTSTR_F_LEFT) rtstrFormatBufRepeat(&Run, " ", 1, cPad);
    return rtstrFormatBufDone(&Run);
}
