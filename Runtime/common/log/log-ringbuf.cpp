// The logger's ring buffer: text kept in memory, oldest overwritten first, written to the other
// destinations only when the instance is flushed.
//
// Layout: "START RING BUF" in the first 16 bytes, "END RING BUF" in the last 16, text in the
// area between, written circularly with a NUL after each write, so the area holds at most its
// size less one byte of text, the newest.
#include <string.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/mem.h>

#include "common/log/log-internal.h"

#define RTLOGRINGBUF_TAG "Runtime/common/log/log-ringbuf"

static const char g_szRingBufStart[RTLOG_RINGBUF_MARKER_SIZE] = "START RING BUF";
static const char g_szRingBufEnd[RTLOG_RINGBUF_MARKER_SIZE] = "END RING BUF";

static char *rtLogRingBufArea(char *pszRingBuf) {
    return pszRingBuf + RTLOG_RINGBUF_MARKER_SIZE;
}

static uint32_t rtLogRingBufAreaSize(uint32_t cbRingBuf) {
    return cbRingBuf - 2 * RTLOG_RINGBUF_MARKER_SIZE;
}

// Copies the cch newest bytes before offEnd in a circular area of cbArea bytes to pchDst.
static void rtLogRingBufCopyNewest(const char *pchArea, uint32_t cbArea, uint32_t offEnd, size_t cch, char *pchDst) {
    uint32_t const offStart = (uint32_t)((offEnd + cbArea - cch) % cbArea);
    if (offStart < offEnd || cch == 0)
        memcpy(pchDst, &pchArea[offStart], cch);
    else {
        memcpy(pchDst, &pchArea[offStart], cbArea - offStart);
        memcpy(&pchDst[cbArea - offStart], pchArea, offEnd);
    }
}

int rtlogRingBufAlloc(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    uint32_t const cbNew = pInt->cbRingBuf;
    if (pInt->pszRingBuf && pInt->cbRingBufUsedArea == rtLogRingBufAreaSize(cbNew)) return QINF_SUCCESS;
    char *pszNew = (char *)RTMemAllocZTag(cbNew, RTLOGRINGBUF_TAG);
    if (!pszNew) return QERR_NO_MEMORY;
    memcpy(pszNew, g_szRingBufStart, RTLOG_RINGBUF_MARKER_SIZE);
    memcpy(&pszNew[cbNew - RTLOG_RINGBUF_MARKER_SIZE], g_szRingBufEnd, RTLOG_RINGBUF_MARKER_SIZE);
    uint32_t const cbNewArea = rtLogRingBufAreaSize(cbNew);

    // Carry the unflushed text over, as much of the newest as the new area holds.
    uint32_t cbKept = 0;
    if (pInt->pszRingBuf) {
        uint32_t const cbOldArea = pInt->cbRingBufUsedArea;
        uint64_t cbCarry = RT_MIN(pInt->cbRingBufUnflushed, (uint64_t)cbOldArea - 1);
        cbCarry = RT_MIN(cbCarry, (uint64_t)cbNewArea - 1);
        cbKept = (uint32_t)cbCarry;
        rtLogRingBufCopyNewest(rtLogRingBufArea(pInt->pszRingBuf), cbOldArea, pInt->offRingBuf, cbKept,
                               rtLogRingBufArea(pszNew));
        RTMemFree(pInt->pszRingBuf);
    }
    pInt->pszRingBuf = pszNew;
    pInt->cbRingBufUsedArea = cbNewArea;
    pInt->offRingBuf = cbKept;
    pInt->cbRingBufUnflushed = cbKept;
    return QINF_SUCCESS;
}

void rtlogRingBufWrite(RTLOGGERINTERNAL *pInt, const char *pch, size_t cch) {
    char *pchArea = rtLogRingBufArea(pInt->pszRingBuf);
    uint32_t const cbArea = pInt->cbRingBufUsedArea;
    pInt->cbRingBufUnflushed += cch;
    // Of a write larger than the area only the part that survives is copied.
    if (cch >= cbArea) {
        pch += cch - (cbArea - 1);
        cch = cbArea - 1;
    }
    uint32_t off = pInt->offRingBuf;
    while (cch > 0) {
        size_t const cbChunk = RT_MIN(cch, (size_t)(cbArea - off));
        memcpy(&pchArea[off], pch, cbChunk);
        off += (uint32_t)cbChunk;
        if (off == cbArea) off = 0;
        pch += cbChunk;
        cch -= cbChunk;
    }
    pchArea[off] = '\0';
    pInt->offRingBuf = off;
}

void rtlogRingBufFlush(RTLOGGER *pLogger) {
    RTLOGGERINTERNAL *pInt = pLogger->pInt;
    uint64_t const cbUnflushed = pInt->cbRingBufUnflushed;
    if (cbUnflushed == 0) return;
    const char *pchArea = rtLogRingBufArea(pInt->pszRingBuf);
    uint32_t const cbArea = pInt->cbRingBufUsedArea;
    uint32_t const off = pInt->offRingBuf;
    uint32_t cch = (uint32_t)cbUnflushed;
    if (cbUnflushed > cbArea - 1) {
        // More was written than the area holds: say so, then write all of it, oldest first.
        static const char s_szOverflow[] = "\n*FLUSH RING BUF*\n";
        rtlogWriteDestinations(pLogger, s_szOverflow, sizeof(s_szOverflow) - 1);
        cch = cbArea - 1;
    }
    uint32_t const offStart = (off + cbArea - cch) % cbArea;
    if (offStart < off)
        rtlogWriteDestinations(pLogger, &pchArea[offStart], cch);
    else {
        rtlogWriteDestinations(pLogger, &pchArea[offStart], cbArea - offStart);
        if (off > 0) rtlogWriteDestinations(pLogger, pchArea, off);
    }
    pInt->cbRingBufUnflushed = 0;
}
