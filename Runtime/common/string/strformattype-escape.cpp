// "%RMas", "%RMes", "%RMjs" and "%RMpa", "%RMpf", "%RMpp", "%RMpq": text escaped for XML
// attributes and elements, JSON string literals and URL percent-encoding.
#include "common/string/strformattype-internal.h"

enum RTSTRFMTESCAPE {
    kRtStrFormatEscXmlAttr,
    kRtStrFormatEscXmlElem,
    kRtStrFormatEscJson,
    kRtStrFormatEscUrlAll,   // "pa": only the unreserved characters survive
    kRtStrFormatEscUrlForm,  // "pf": form encoding, space as '+'
    kRtStrFormatEscUrlPath,  // "pp": '/' kept
    kRtStrFormatEscUrlQuery, // "pq": '+' kept
};

// The replacement for one byte, or 0 when it is copied as it is. The replacement text goes to
// pach (at least 7 bytes).
static size_t rtStrFormatEscapeByte(RTSTRFMTESCAPE enmKind, unsigned char uch, char *pach) {
    static const char s_szUpperHex[] = "0123456789ABCDEF";
    const char *psz = NULL;
    switch (enmKind) {
    case kRtStrFormatEscXmlAttr:
    case kRtStrFormatEscXmlElem:
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
            psz = enmKind == kRtStrFormatEscXmlElem ? "&apos;" : NULL;
            break;
        case '\n':
            psz = enmKind == kRtStrFormatEscXmlAttr ? "&#xA;" : NULL;
            break;
        case '\r':
            psz = enmKind == kRtStrFormatEscXmlAttr ? "&#xD;" : NULL;
            break;
        default:
            break;
        }
        break;

    case kRtStrFormatEscJson:
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
                rtstrFormatHex(&pach[4], uch, 2);
                return 6;
            }
            break;
        }
        break;

    default: {
        if ((uch >= 'A' && uch <= 'Z') || (uch >= 'a' && uch <= 'z') || (uch >= '0' && uch <= '9') || uch == '-' ||
            uch == '.' || uch == '_' || uch == '~')
            return 0;
        if ((uch == '/' && enmKind == kRtStrFormatEscUrlPath) || (uch == '+' && enmKind == kRtStrFormatEscUrlQuery))
            return 0;
        if (uch == ' ' && enmKind == kRtStrFormatEscUrlForm) {
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
        enmKind = kRtStrFormatEscXmlAttr;
        break;
    case 'e':
        enmKind = kRtStrFormatEscXmlElem;
        break;
    case 'j':
        enmKind = kRtStrFormatEscJson;
        break;
    case 'p':
        switch (pszType[2]) {
        case 'a':
            enmKind = kRtStrFormatEscUrlAll;
            break;
        case 'f':
            enmKind = kRtStrFormatEscUrlForm;
            break;
        case 'p':
            enmKind = kRtStrFormatEscUrlPath;
            break;
        case 'q':
            enmKind = kRtStrFormatEscUrlQuery;
            break;
        default:
            rtstrFormatSkip(ppszFormat, 3);
            return 0;
        }
        break;
    default:
        rtstrFormatSkip(ppszFormat, 2);
        return 0;
    }
    if (pszType[1] != 'p' && pszType[2] != 's') {
        rtstrFormatSkip(ppszFormat, 3);
        return 0;
    }
    *ppszFormat = pszType + 3;
    bool const fQuoted = enmKind == kRtStrFormatEscXmlAttr || enmKind == kRtStrFormatEscJson;

    const char *pszText = va_arg(*pArgs, const char *);
    if (rtstrFormatIsNearNull(pszText)) pszText = "<NULL>";
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

    RTSTRFORMATBUF Run;
    rtstrFormatBufInit(&Run, pfnOutput, pvArgOutput);
    if (fQuoted) rtstrFormatBufPutCh(&Run, '"');
    if (!(fFlags & RTSTR_F_LEFT)) rtstrFormatBufRepeat(&Run, pchPad, cchPadUnit, cPad);

    size_t offRun = 0;
    for (size_t off = 0; off < cchText; off++) {
        char achEsc[8];
        size_t const cchEsc = rtStrFormatEscapeByte(enmKind, (unsigned char)pszText[off], achEsc);
        if (cchEsc) {
            rtstrFormatBufPut(&Run, &pszText[offRun], off - offRun);
            rtstrFormatBufPut(&Run, achEsc, cchEsc);
            offRun = off + 1;
        }
    }
    rtstrFormatBufPut(&Run, &pszText[offRun], cchText - offRun);

    if (fFlags & RTSTR_F_LEFT) rtstrFormatBufRepeat(&Run, pchPad, cchPadUnit, cPad);
    if (fQuoted) rtstrFormatBufPutCh(&Run, '"');
    return rtstrFormatBufDone(&Run);
}
