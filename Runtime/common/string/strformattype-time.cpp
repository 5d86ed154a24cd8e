// "%RDtimespec": a signed 64-bit nanosecond count, digits grouped by spaces ("1 234 567 890 ns").
#include "common/string/strformattype-internal.h"

size_t rtstrFormatTypeTime(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(cchWidth);
    RT_NOREF(cchPrecision);
    RT_NOREF(fFlags);
    RT_NOREF(chArgSize);
    static const char s_szName[] = "Dtimespec";
    const char *pszType = *ppszFormat;
    if (strncmp(pszType, s_szName, sizeof(s_szName) - 1) != 0) {
        // Unknown time type: only the 'D' is consumed, the rest is ordinary format text.
        *ppszFormat = pszType + 1;
        return 0;
    }
    *ppszFormat = pszType + sizeof(s_szName) - 1;

    const int64_t *pi64 = va_arg(*pArgs, const int64_t *);
    if (rtstrFormatIsNearNull(pi64)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<null>"));

    int64_t const i64 = *pi64;
    char achText[40];
    size_t cch = 0;
    if (i64 < 0) achText[cch++] = '-';
    // Negate in unsigned arithmetic so the most negative value has a magnitude too.
    uint64_t const uMagnitude = i64 < 0 ? (uint64_t)0 - (uint64_t)i64 : (uint64_t)i64;
    cch += rtstrFormatDec(&achText[cch], uMagnitude, true);
    memcpy(&achText[cch], " ns", 3);
    cch += 3;
    return pfnOutput(pvArgOutput, achText, cch);
}
