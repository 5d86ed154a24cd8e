// The post-mortem report of an unhandled exception: records, registers, a raw stack dump, the
// thread, the loaded modules and the stack words that point into them.
#include <string.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>

#include "r3/xcptreport-internal.h"

#define RTXCPT_PAGE_SIZE 0x1000U
#define RTXCPT_STACK_GROW_MAX 0x4000U
#define RTXCPT_STACK_QUERY_MAX 0x100000U

static void rtR3XcptLog(PRTLOGGER pLogger, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    RTLogLoggerExV(pLogger, 0, RTLOG_NO_GROUP, pszFormat, va);
    va_end(va);
}

bool rtR3XcptIsPlausible(uintptr_t uPtr) {
    return RT_VALID_PTR(uPtr);
}

bool rtR3XcptIsPathUsable(const RTXCPTMODULE *pModule) {
    return rtR3XcptIsPlausible((uintptr_t)pModule->pwszPath) && pModule->cbPath != 0 && pModule->cbPath < 0x2000 &&
           (pModule->cbPath & 1) == 0 && pModule->cbPath <= pModule->cbPathMax;
}

void rtR3XcptStackRange(const RTXCPTREPORTINPUT *pIn, uintptr_t uSpOfInterest, uintptr_t *puStart, size_t *pcb) {
    uintptr_t const uStart = pIn->uMarker & ~(uintptr_t)15;
    size_t const cbToPageEnd = RTXCPT_PAGE_SIZE - (uStart & (RTXCPT_PAGE_SIZE - 1));
    size_t cb = cbToPageEnd;
    if (cb < 512) cb += RTXCPT_PAGE_SIZE;
    if (uSpOfInterest >= uStart && uSpOfInterest - uStart >= cb && uSpOfInterest - uStart <= RTXCPT_STACK_GROW_MAX)
        while (uSpOfInterest - uStart >= cb) cb += RTXCPT_PAGE_SIZE;
    if (pIn->fHaveStackLimits) {
        uintptr_t const uHigh = RT_MAX(pIn->uStackLow, pIn->uStackHigh);
        if (uHigh > uStart && uHigh - uStart < RTXCPT_STACK_QUERY_MAX) cb = uHigh - uStart;
    }
    // Never past the stack's base: where the query is missing (Windows 7) nothing else stops a
    // dump that grew by a page or two.
    if (pIn->uTibLow <= uStart && uStart < pIn->uTibHigh)
        cb = RT_MIN(cb, (size_t)(pIn->uTibHigh - uStart));
    else
        cb = RT_MIN(cb, cbToPageEnd); // bounds not to be trusted: only the marker's own page
    *puStart = uStart;
    *pcb = cb;
}

// The module (within the first RTXCPT_MAX_MODULES entries) that contains uAddr.
static bool rtR3XcptFindModule(const RTXCPTREPORTINPUT *pIn, uintptr_t uAddr, RTXCPTMODULE *pModule) {
    for (uint32_t i = 0; i < RTXCPT_MAX_MODULES && pIn->pfnModule(pIn->pvModuleUser, i, pModule); i++)
        if (uAddr - pModule->uBase < pModule->cbImage) return true;
    return false;
}

static void rtR3XcptRecord(PRTLOGGER pLogger, const RTXCPTRECORD *pRecord, const char *pszPrefix) {
    uint32_t const cParams = RT_MIN(pRecord->NumberParameters, RTXCPT_MAX_PARAMS);
    for (uint32_t i = 0; i < cParams; i++)
        rtR3XcptLog(pLogger, "%sExceptionInformation[%d]=%p\n", pszPrefix, (int)i,
                    (void *)pRecord->ExceptionInformation[i]);
}

void rtR3XcptReport(PRTLOGGER pLogger, const RTXCPTREPORTINPUT *pIn) {
    rtR3XcptLog(pLogger, "\n!!! rtR3WinUnhandledXcptFilter caught an exception on thread %p!!!\n",
                (void *)(uintptr_t)pIn->NativeThread);

    uintptr_t uXcptPC = 0;
    const RTXCPTRECORD *pRecord = pIn->pRecord;
    if (rtR3XcptIsPlausible((uintptr_t)pRecord)) {
        rtR3XcptLog(pLogger, "\nExceptionCode=%#010x ExceptionFlags=%#010x ExceptionAddress=%p\n",
                    pRecord->ExceptionCode, pRecord->ExceptionFlags, pRecord->ExceptionAddress);
        rtR3XcptRecord(pLogger, pRecord, "");
        uXcptPC = (uintptr_t)pRecord->ExceptionAddress;
        const RTXCPTRECORD *pNested = pRecord->ExceptionRecord;
        if (rtR3XcptIsPlausible((uintptr_t)pNested)) {
            rtR3XcptLog(pLogger, "Nested: ExceptionCode=%#010x ExceptionFlags=%#010x ExceptionAddress=%p (nested %p)\n",
                        pNested->ExceptionCode, pNested->ExceptionFlags, pNested->ExceptionAddress,
                        pNested->ExceptionRecord);
            rtR3XcptRecord(pLogger, pNested, "Nested: ");
            uXcptPC = (uintptr_t)pNested->ExceptionAddress;
        }
    }

    uintptr_t uSp = pIn->uMarker;
    if (const RTXCPTREGS *pRegs = pIn->pRegs) {
        rtR3XcptLog(pLogger, "\ncs:eip=%04x:%08RX32\n", pRegs->uCs, pRegs->uEip);
        rtR3XcptLog(pLogger, "ss:esp=%04x:%08RX32 ebp=%08RX32\n", pRegs->uSs, pRegs->uEsp, pRegs->uEbp);
        rtR3XcptLog(pLogger, "eax=%08RX32 ecx=%08RX32 edx=%08RX32 ebx=%08RX32\n", pRegs->uEax, pRegs->uEcx, pRegs->uEdx,
                    pRegs->uEbx);
        rtR3XcptLog(pLogger, "esi=%08RX32 edi=%08RX32 esp=%08RX32 ebp=%08RX32\n", pRegs->uEsi, pRegs->uEdi, pRegs->uEsp,
                    pRegs->uEbp);
        rtR3XcptLog(pLogger, "ds=%04x es=%04x fs=%04x gs=%04x eflags=%08x\n", pRegs->uDs, pRegs->uEs, pRegs->uFs,
                    pRegs->uGs, pRegs->fEFlags);
        uSp = pRegs->uEsp;
        uXcptPC = pRegs->uEip;
    }

    uintptr_t uStart;
    size_t cbStack;
    rtR3XcptStackRange(pIn, uSp, &uStart, &cbStack);
    uintptr_t const uLow = pIn->fHaveStackLimits ? pIn->uStackLow : pIn->uMarker;
    uintptr_t const uHigh = pIn->fHaveStackLimits ? pIn->uStackHigh : pIn->uMarker;
    rtR3XcptLog(pLogger, "\nStack %p, dumping %#x bytes (low=%p, high=%p)\n", (void *)uStart, (unsigned)cbStack,
                (void *)uLow, (void *)uHigh);
    rtR3XcptLog(pLogger, "%.*RhxD\n", (int)cbStack, (const void *)uStart);

    rtR3XcptLog(pLogger, "Thread ID:   %p\n", (void *)(uintptr_t)pIn->NativeThread);
    rtR3XcptLog(pLogger, "Thread name: %s\n", pIn->pszThreadName);
    rtR3XcptLog(pLogger, "Thread QURT: %p\n", (void *)pIn->hThread);

    if (!pIn->pfnModule) return;
    rtR3XcptLog(pLogger, "\nLoaded Modules:\n%-*s[*] Timestamp Path\n", 17, "Address range");
    RTXCPTMODULE XcptModule;
    bool fHaveXcptModule = false;
    RTXCPTMODULE Module;
    for (uint32_t i = 0; pIn->pfnModule(pIn->pvModuleUser, i, &Module); i++) {
        if (i >= RTXCPT_MAX_MODULES) return; // a list this long is not to be trusted: the report ends
        char chMark = ' ';
        if (uXcptPC - Module.uBase < Module.cbImage) {
            chMark = '*';
            XcptModule = Module;
            fHaveXcptModule = true;
        }
        void *const pvLast = (void *)(Module.uBase + Module.cbImage - 1);
        if (rtR3XcptIsPathUsable(&Module))
            rtR3XcptLog(pLogger, "%p..%p%c  %08RX32  %.*ls\n", (void *)Module.uBase, pvLast, chMark, Module.uTimestamp,
                        (int)(Module.cbPath / sizeof(RTUTF16)), Module.pwszPath);
        else
            rtR3XcptLog(pLogger, "%p..%p%c  %08RX32  <bad or missing: %p LB %#x max %#x\n", (void *)Module.uBase,
                        pvLast, chMark, Module.uTimestamp, Module.pwszPath, (unsigned)Module.cbPath,
                        (unsigned)Module.cbPathMax);
    }

    if (uSp < uStart || uSp - uStart >= cbStack) return;
    rtR3XcptLog(pLogger, "\nPotential code addresses on the stack:\n");
    if (fHaveXcptModule) {
        uint32_t const offXcpt = (uint32_t)(uXcptPC - XcptModule.uBase);
        if (rtR3XcptIsPathUsable(&XcptModule))
            rtR3XcptLog(pLogger, "%-*s: %p - %#010RX32 bytes into %.*ls\n", 8, "Xcpt PC", (void *)uXcptPC, offXcpt,
                        (int)(XcptModule.cbPath / sizeof(RTUTF16)), XcptModule.pwszPath);
        else
            rtR3XcptLog(pLogger, "%-*s: %p - %08RX32 into module at %p\n", 8, "Xcpt PC", (void *)uXcptPC, offXcpt,
                        (void *)XcptModule.uBase);
    }
    // Every word from the stack pointer up that still lies wholly inside the dumped range.
    uintptr_t const uEnd = uStart + cbStack;
    for (uintptr_t uAddr = uSp; uEnd - uAddr >= sizeof(uintptr_t); uAddr += sizeof(uintptr_t)) {
        uintptr_t uValue;
        memcpy(&uValue, (const void *)uAddr, sizeof(uValue));
        if (!rtR3XcptIsPlausible(uValue) || !rtR3XcptFindModule(pIn, uValue, &Module)) continue;
        uint32_t const off = (uint32_t)(uValue - Module.uBase);
        if (rtR3XcptIsPathUsable(&Module))
            rtR3XcptLog(pLogger, "%p: %p - %#010RX32 bytes into %.*ls\n", (void *)uAddr, (void *)uValue, off,
                        (int)(Module.cbPath / sizeof(RTUTF16)), Module.pwszPath);
        else
            rtR3XcptLog(pLogger, "%p: %p - %08RX32 into module at %p\n", (void *)uAddr, (void *)uValue, off,
                        (void *)Module.uBase);
    }
}
