// "%Rhxd", "%RhxD", "%Rhxs" and their "%RhX..." forms with an explicit display address:
// hex dump lines, dumps that fold runs of repeated lines, and one-line byte lists.
#include "common/string/strformattype-internal.h"

// Characters of a dump line before the bytes: newline, 16 address digits, '/', up to 16 offset
// digits and ':'.
#define RTSTRFMT_DUMP_HDR_MAX 36

// Emits one dump line: "[\n]addr/offset:" then w byte positions and the printable characters.
static void rtStrFormatDumpLine(RTSTRFORMATBUF *pRun, const uint8_t *pbLine, uint64_t cbLine, uint64_t cbPerLine,
                                uint64_t uAddr, uint64_t off, unsigned cchAddr, bool fFirst) {
    char achHdr[RTSTRFMT_DUMP_HDR_MAX];
    size_t cch = 0;
    if (!fFirst) achHdr[cch++] = '\n';
    cch += rtstrFormatHex(&achHdr[cch], uAddr + off, cchAddr);
    achHdr[cch++] = '/';
    cch += rtstrFormatHex(&achHdr[cch], off, 4);
    achHdr[cch++] = ':';
    rtstrFormatBufPut(pRun, achHdr, cch);

    for (uint64_t j = 0; j < cbLine; j++) {
        char ach[3];
        ach[0] = j != 0 && j % 8 == 0 ? '-' : ' ';
        rtstrFormatHex(&ach[1], pbLine[j], 2);
        rtstrFormatBufPut(pRun, ach, 3);
    }
    // A short last line keeps the character column aligned with the full lines above it.
    for (uint64_t j = cbLine; j < cbPerLine; j++) rtstrFormatBufPut(pRun, "   ", 3);

    rtstrFormatBufPutCh(pRun, ' ');
    for (uint64_t j = 0; j < cbLine; j++) {
        uint8_t b = pbLine[j];
        rtstrFormatBufPutCh(pRun, b >= 32 && b <= 126 ? (char)b : '.');
    }
}

static void rtStrFormatDumpDitto(RTSTRFORMATBUF *pRun, unsigned cchAddr, uint64_t cFolded) {
    static const char s_szStars[] = "****************";
    rtstrFormatBufPutCh(pRun, '\n');
    rtstrFormatBufPut(pRun, s_szStars, cchAddr);
    rtstrFormatBufPut(pRun, RT_STR_TUPLE(" ****  <ditto x "));
    char achNum[32];
    rtstrFormatBufPut(pRun, achNum, rtstrFormatDec(achNum, cFolded, false));
    rtstrFormatBufPutCh(pRun, '>');
}

static void rtStrFormatDumpLines(RTSTRFORMATBUF *pRun, const uint8_t *pb, uint64_t cb, uint64_t cbPerLine,
                                 uint64_t uAddr, unsigned cchAddr, bool fFold) {
    bool fRunOpen = false;
    uint64_t cFolded = 0;
    for (uint64_t off = 0; off < cb; off += cbPerLine) {
        // Only full lines strictly between the first and the last are candidates for folding.
        if (fFold && off > 0 && off + cbPerLine < cb && memcmp(&pb[off], &pb[off - cbPerLine], cbPerLine) == 0) {
            if (fRunOpen) {
                cFolded++;
                continue;
            }
            // A run needs a second equal line that is itself not the last one, so that a single
            // repeat is printed rather than replaced by a marker of the same height.
            if (off + 2 * cbPerLine < cb && memcmp(&pb[off + cbPerLine], &pb[off], cbPerLine) == 0) {
                fRunOpen = true;
                cFolded = 1;
                continue;
            }
        }
        if (fRunOpen) {
            rtStrFormatDumpDitto(pRun, cchAddr, cFolded);
            fRunOpen = false;
        }
        uint64_t cbLine = cb - off < cbPerLine ? cb - off : cbPerLine;
        rtStrFormatDumpLine(pRun, &pb[off], cbLine, cbPerLine, uAddr, off, cchAddr, off == 0);
    }
}

static void rtStrFormatDumpList(RTSTRFORMATBUF *pRun, const uint8_t *pb, uint64_t cb, uint64_t uAddr, unsigned cchAddr,
                                bool fAddr) {
    if (fAddr) {
        char achHdr[20];
        size_t cch = rtstrFormatHex(achHdr, uAddr, cchAddr);
        achHdr[cch++] = ':';
        achHdr[cch++] = ' ';
        rtstrFormatBufPut(pRun, achHdr, cch);
    }
    for (uint64_t i = 0; i < cb; i++) {
        char ach[3];
        size_t cch = 0;
        if (i > 0) ach[cch++] = ' ';
        cch += rtstrFormatHex(&ach[cch], pb[i], 2);
        rtstrFormatBufPut(pRun, ach, cch);
    }
}

size_t rtstrFormatTypeHexDump(RTSTRFMTTYPE_HANDLER_ARGS) {
    RT_NOREF(fFlags);
    RT_NOREF(chArgSize);
    const char *pszType = *ppszFormat; // "hx?" or "hX?"
    bool const fAddr = pszType[1] == 'X';
    char const chKind = pszType[2];
    if (chKind != 'd' && chKind != 'D' && chKind != 's') {
        rtstrFormatSkip(ppszFormat, 3);
        return 0;
    }
    *ppszFormat = pszType + 3;

    const uint8_t *pb = va_arg(*pArgs, const uint8_t *);
    uint64_t uAddr = fAddr ? va_arg(*pArgs, uint64_t) : (uint64_t)(uintptr_t)pb;
    if (rtstrFormatIsNearNull(pb)) return pfnOutput(pvArgOutput, RT_STR_TUPLE("<null>"));

    uint64_t const cb = cchPrecision >= 0 ? (uint64_t)cchPrecision : 16;
    if (cb == 0) return 0;

    // Eight address digits unless the addresses need more; a pointer can only need more in a
    // 64-bit process.
    unsigned cchAddr = 8;
    if ((fAddr || sizeof(void *) > 4) && (uAddr > UINT32_MAX || uAddr + cb > UINT32_MAX)) cchAddr = 16;

    RTSTRFORMATBUF Run;
    rtstrFormatBufInit(&Run, pfnOutput, pvArgOutput);
    if (chKind == 's')
        rtStrFormatDumpList(&Run, pb, cb, uAddr, cchAddr, fAddr);
    else
        rtStrFormatDumpLines(&Run, pb, cb, cchWidth >= 1 ? (uint64_t)cchWidth : 16, uAddr, cchAddr, chKind == 'D');
    return rtstrFormatBufDone(&Run);
}
