// The diagnostic for an option result that the caller does not handle itself.
#include <qrt/getopt.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/message.h>

namespace {

// Command-line errors end the program with this exit code.
const int kiExitSyntax = 2;

bool rtGetOptIsPrintable(int iId) {
    return iId >= 33 && iId <= 126;
}

} // namespace

int RTGetOptPrintError(int iResult, PCRTGETOPTVALUE pValue) {
    if (iResult == QINF_GETOPT_NOT_OPTION)
        RTMsgError("Invalid parameter: %s", pValue->psz);
    else if (iResult > 0) {
        if (rtGetOptIsPrintable(iResult))
            RTMsgError("Unhandled option: -%c", iResult);
        else
            RTMsgError("Unhandled option: %i (%#x)", iResult, iResult);
    } else if (iResult == QERR_GETOPT_UNKNOWN_OPTION)
        RTMsgError("Unknown option: '%s'", pValue->psz);
    else if (!pValue->pDef)
        RTMsgError("%Rrs\n", iResult);
    else {
        // The option is named as the user could have typed it; a row without a long name is
        // reachable only through its letter.
        PCRTGETOPTDESC pDef = pValue->pDef;
        char szShort[16];
        const char *pszName = pDef->pszLong;
        if (!pszName) {
            if (rtGetOptIsPrintable(pDef->iId))
                RTStrPrintf(szShort, sizeof(szShort), "-%c", pDef->iId);
            else
                RTStrPrintf(szShort, sizeof(szShort), "%d", pDef->iId);
            pszName = szShort;
        }
        if (iResult == QERR_GETOPT_INVALID_ARGUMENT_FORMAT)
            RTMsgError("The value given '%s' has an invalid format.", pszName);
        else
            RTMsgError("%s: %Rrs\n", pszName, iResult);
    }
    return kiExitSyntax;
}
