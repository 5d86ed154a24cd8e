// "%RMas", "%RMes", "%RMjs" and "%RMpa", "%RMpf", "%RMpp", "%RMpq": text escaped for XML
// attributes and elements, JSON string literals and URL percent-encoding.
#include "strformattype-internal.h"

enum RTSTRFMTESCAPE {
    kRtStrFmtEscXmlAttr,
    kRtStrFmtEscXmlElem,
    kRtStrFmtEscJson,
    kRtStrFmtEscUrlAll,   // "pa": only the unreserved characters survive
    kRtStrFmtEscUrlForm,  // "pf": form encoding, space as '+'
    kRtStrFmtEscUrlPath,  // "pp": '/' kept
    kRtStrFmtEscUrlQuery, // "pq": '+' kept
};

// The replacement for one byte, or 0 when it is copied as it is. The replacement text goes to
// pach (at least 7 bytes).
static size_t rtstrFmtEscapeByte(RTSTRFMTESCAPE enmKind, unsigned char uch, char *pach) {
    static const char s_szUpperHex[] = "0123456789ABCDEF";
    const char *psz = NULL;
    switch (enmKind) {
    case kRtStrFmtEscXmlAttr:
    case kRtStrFmtEscXmlElem:
        switch (uch) {
        case '<':
            psz = "&lt;";
            break;
        case '>':
            psz = "&gt;";
            break;
        case '&':
            psz = "&amp;";
            break;
        case '"':
            psz = "&quot;";
            break;
        case '\'':
            psz = enmKind == kRtStrFmtEscXmlElem ? "&apos;" : NULL;
            break;
        case '\n':
            psz = enmKind == kRtStrFmtEscXmlAttr ? "&#xA;" : NULL;
            break;
        case '\r':
            psz = enmKind == kRtStrFmtEscXmlAttr ? "&#xD;" : NULL;
            break;
        default:
            break;
        }
        break;

    case kRtStrFmtEscJson:
        switch (uch) {
        case '"':
            psz = "\\\"";
            break;
        case '\\':
            psz = "\\\\";
            break;
        case '\b':
            psz = "\\b";
            break;
        case '\t':
            psz = "\\t";
            break;
        case '\n':
            psz = "\\n";
            break;
        case '\f':
            psz = "\\f";
            break;
        default:
            if (uch < 32) {
                memcpy(pach, "\\u00", 4);
                rtstrFmtHex(&pach[4], uch, 2);
                return 6;
            }
            break;
        }
        break;

    default: {
        if ((uch >= 'A' && uch <= 'Z') || (uch >= 'a' && uch <= 'z') || (uch >= '0' && uch <= '9') || uch == '-' ||
            uch == '.' || uch == '_' || uch == '~')
            return 0;
        if ((uch == '/' && enmKind == kRtStrFmtEscUrlPath) || (uch == '+' && enmKind == kRtStrFmtEscUrlQuery)) return 0;
        if (uch == ' ' && enmKind == kRtStrFmtEscUrlForm) {
            pach[0] = '+';
            return 1;
        }
        pach[0] = '%';
        pach[1] = s_szUpperHex[uch >> 4];
        pach[2] = s_szUpperHex[uch & 0xf];
        return 3;
    }
    }
    if (!psz) return 0;
    size_t const cch = strlen(psz);
    memcpy(pach, psz, cch);
    return cch;
}

size_t rtstrFormatTypeEscape(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(chArgSize);
    const char *pszType = *ppszFormat; // "M??"
    RTSTRFMTESCAPE enmKind;
    switch (pszType[1]) {
    case 'a':
        enmKind = kRtStrFmtEscXmlAttr;
        break;
    case 'e':
        enmKind = kRtStrFmtEscXmlElem;
        break;
    case 'j':
        enmKind = kRtStrFmtEscJson;
        break;
    case 'p':
        switch (pszType[2]) {
        case 'a':
            enmKind = kRtStrFmtEscUrlAll;
            break;
        case 'f':
            enmKind = kRtStrFmtEscUrlForm;
            break;
        case 'p':
            enmKind = kRtStrFmtEscUrlPath;
            break;
        case 'q':
            enmKind = kRtStrFmtEscUrlQuery;
            break;
        default:
            rtstrFmtSkip(ppszFormat, 3);
            return 0;
        }
        break;
    default:
        rtstrFmtSkip(ppszFormat, 2);
        return 0;
    }
    if (pszType[1] != 'p' && pszType[2] != 's') {
        rtstrFmtSkip(ppszFormat, 3);
        return 0;
    }
    *ppszFormat = pszType + 3;
    bool const fQuoted = enmKind == kRtStrFmtEscXmlAttr || enmKind == kRtStrFmtEscJson;

    const char *pszText = va_arg(*pArgs, const char *);
    if (rtstrFmtIsNearNull(pszText)) pszText = "<NULL>";
    size_t cchText;
    if (cchPrecision >= 0) {
        // Never look at a byte past the precision: the text need not be terminated.
        cchText = 0;
        while (cchText < (size_t)cchPrecision && pszText[cchText] != '\0') cchText++;
    } else
        cchText = strlen(pszText);

    // Padding follows the raw length: a field width lines up the source text, whatever its
    // escaped form turns out to be.
    size_t const cPad = cchWidth > 0 && (size_t)cchWidth > cchText ? (size_t)cchWidth - cchText : 0;
    bool const fUrl = pszType[1] == 'p';
    const char *pchPad = fUrl ? "%20" : " ";
    size_t const cchPadUnit = fUrl ? 3 : 1;

    RTSTRFMTRUN Run;
    rtstrFmtRunInit(&Run, pfnOutput, pvArgOutput);
    if (fQuoted) rtstrFmtRunPutCh(&Run, '"');
    if (!(fFlags & RTSTR_F_LEFT)) rtstrFmtRunRepeat(&Run, pchPad, cchPadUnit, cPad);

    size_t offRun = 0;
    for (size_t off = 0; off < cchText; off++) {
        char achEsc[8];
        size_t const cchEsc = rtstrFmtEscapeByte(enmKind, (unsigned char)pszText[off], achEsc);
        if (cchEsc) {
            rtstrFmtRunPut(&Run, &pszText[offRun], off - offRun);
            rtstrFmtRunPut(&Run, achEsc, cchEsc);
            offRun = off + 1;
        }
    }
    rtstrFmtRunPut(&Run, &pszText[offRun], cchText - offRun);

    if (fFlags & RTSTR_F_LEFT) rtstrFmtRunRepeat(&Run, pchPad, cchPadUnit, cPad);
    if (fQuoted) rtstrFmtRunPutCh(&Run, '"');
    return rtstrFmtRunDone(&Run);
}
