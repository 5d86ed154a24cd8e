// Routes the %R types for dumps, sizes, escapes, names, times and register bits to their
// handlers by the characters after the 'R'.
#include "common/string/strformat-internal.h"
#include "common/string/strformattype-internal.h"

size_t rtstrFormatRtDumpsEscapesNames(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                                      va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize) {
    const char *pszType = *ppszFormat + 1; // past the 'R'
    *ppszFormat = pszType;

    size_t (*pfnHandler)(RTSTRFMTTYPE_HANDLER_ARGS) = NULL;
    switch (pszType[0]) {
    case 'h':
        if (pszType[1] == 'x' || pszType[1] == 'X')
            pfnHandler = rtstrFormatTypeHexDump;
        else if (pszType[1] == 'c' || pszType[1] == 'u')
            pfnHandler = rtstrFormatTypeSize;
        break;
    case 'M':
        pfnHandler = rtstrFormatTypeEscape;
        break;
    case 'b':
        if (pszType[1] == 'n')
            pfnHandler = rtstrFormatTypeFileName;
        else if (pszType[1] == 's')
            pfnHandler = rtstrFormatTypeUtf16Big;
        break;
    case 'f':
        if (pszType[1] == 'n') pfnHandler = rtstrFormatTypeFunctionName;
        break;
    case 'D':
        pfnHandler = rtstrFormatTypeTime;
        break;
    case 'A':
        pfnHandler = rtstrFormatTypeX86Reg;
        break;
    default:
        // Not a type of ours: only the type character goes.
        rtstrFormatSkip(ppszFormat, 1);
        return 0;
    }
    if (!pfnHandler) {
        // Known type character, unknown sub-character: both are consumed, nothing printed.
        rtstrFormatSkip(ppszFormat, 2);
        return 0;
    }
    return pfnHandler(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags, chArgSize);
}
