// The unhandled-exception filter that process initialisation installs: it writes the report of
// the exception to the logger (the release logger, else the default one if it exists) and
// hands the exception on to the filter it replaced. It never handles an exception itself.
#include <windows.h>

#include <qrt/log.h>
#include <qrt/xcpt.h>
#include <qrt/cdefs.h>
#include <qrt/thread.h>

#include "common/log/log-internal.h"
#include "r3/win/init-win-internal.h"
#include "r3/xcptreport-internal.h"

static_assert(sizeof(void *) != 4 || sizeof(RTXCPTRECORD) == sizeof(EXCEPTION_RECORD),
              "RTXCPTRECORD must have EXCEPTION_RECORD's layout");

#if defined(__i386__)
// What the loader keeps per module, from the in-memory-order links on (32-bit layout).
typedef struct RTXCPTWINLDRENTRY {
    LIST_ENTRY InMemoryOrderLinks;         // +0x00
    LIST_ENTRY InInitializationOrderLinks; // +0x08
    PVOID DllBase;                         // +0x10
    PVOID EntryPoint;                      // +0x14
    ULONG SizeOfImage;                     // +0x18
    USHORT cbFullDllName;                  // +0x1c
    USHORT cbFullDllNameMax;               // +0x1e
    PWSTR pwszFullDllName;                 // +0x20
    USHORT cbBaseDllName;                  // +0x24
    USHORT cbBaseDllNameMax;               // +0x26
    PWSTR pwszBaseDllName;                 // +0x28
    ULONG Flags;                           // +0x2c
    USHORT LoadCount;                      // +0x30
    USHORT TlsIndex;                       // +0x32
    LIST_ENTRY HashLinks;                  // +0x34
    ULONG TimeDateStamp;                   // +0x3c
} RTXCPTWINLDRENTRY;
static_assert(offsetof(RTXCPTWINLDRENTRY, TimeDateStamp) == 0x3c, "loader entry layout");

// The walk over the list; the last entry returned is kept so that reading it in order costs
// one step per entry.
typedef struct RTXCPTWINMODULES {
    LIST_ENTRY *pHead;
    LIST_ENTRY *pCur;
    uint32_t iCur;
} RTXCPTWINMODULES;

static bool rtR3WinXcptModule(void *pvUser, uint32_t iEntry, RTXCPTMODULE *pModule) {
    RTXCPTWINMODULES *pWalk = (RTXCPTWINMODULES *)pvUser;
    LIST_ENTRY *pLink;
    uint32_t i;
    if (pWalk->pCur && iEntry >= pWalk->iCur) {
        pLink = pWalk->pCur;
        i = pWalk->iCur;
    } else {
        pLink = pWalk->pHead->Flink;
        i = 0;
    }
    for (;;) {
        if (!rtR3XcptIsPlausible((uintptr_t)pLink) || pLink == pWalk->pHead) return false;
        if (i == iEntry) break;
        pLink = pLink->Flink;
        i++;
    }
    pWalk->pCur = pLink;
    pWalk->iCur = i;
    RTXCPTWINLDRENTRY const *pEntry = (RTXCPTWINLDRENTRY const *)pLink;
    pModule->uBase = (uintptr_t)pEntry->DllBase;
    pModule->cbImage = pEntry->SizeOfImage;
    pModule->uTimestamp = pEntry->TimeDateStamp;
    pModule->pwszPath = (const RTUTF16 *)pEntry->pwszFullDllName;
    pModule->cbPath = pEntry->cbFullDllName;
    pModule->cbPathMax = pEntry->cbFullDllNameMax;
    return true;
}
#endif

// The calling thread's information block (the TEB begins with it; fs:[0x18] points at it).
static NT_TIB const *rtR3WinXcptTib(void) {
#if defined(__i386__)
    uintptr_t uTeb;
    __asm__("movl %%fs:0x18, %0" : "=r"(uTeb));
    return (NT_TIB const *)uTeb;
#else
    return (NT_TIB const *)NtCurrentTeb();
#endif
}

// Gathers what the report needs and writes it. uMarker: the marker in the filter's frame.
static RT_NOINLINE void rtR3WinXcptWriteReport(PRTLOGGER pLogger, PEXCEPTION_POINTERS pXcptPtrs, uintptr_t uMarker) {
    RTXCPTREPORTINPUT In = {};
    RTXCPTREGS Regs;
    In.uMarker = uMarker;
    if (rtR3XcptIsPlausible((uintptr_t)pXcptPtrs)) {
        In.pRecord = (const RTXCPTRECORD *)pXcptPtrs->ExceptionRecord;
#if defined(__i386__)
        PCONTEXT pCtx = pXcptPtrs->ContextRecord;
        if (rtR3XcptIsPlausible((uintptr_t)pCtx)) {
            Regs.uCs = (uint16_t)pCtx->SegCs;
            Regs.uSs = (uint16_t)pCtx->SegSs;
            Regs.uDs = (uint16_t)pCtx->SegDs;
            Regs.uEs = (uint16_t)pCtx->SegEs;
            Regs.uFs = (uint16_t)pCtx->SegFs;
            Regs.uGs = (uint16_t)pCtx->SegGs;
            Regs.uEax = pCtx->Eax;
            Regs.uEcx = pCtx->Ecx;
            Regs.uEdx = pCtx->Edx;
            Regs.uEbx = pCtx->Ebx;
            Regs.uEsi = pCtx->Esi;
            Regs.uEdi = pCtx->Edi;
            Regs.uEsp = pCtx->Esp;
            Regs.uEbp = pCtx->Ebp;
            Regs.uEip = pCtx->Eip;
            Regs.fEFlags = pCtx->EFlags;
            In.pRegs = &Regs;
        }
#endif
    }
    // The stack's bounds: from the query where Windows has it (8 and later), and always from
    // the thread information block.
    NT_TIB const *pTib = rtR3WinXcptTib();
    In.uTibLow = (uintptr_t)pTib->StackLimit;
    In.uTibHigh = (uintptr_t)pTib->StackBase;
    PFNGETCURRENTTHREADSTACKLIMITS pfnStackLimits = g_pfnrtR3WinGetCurrentThreadStackLimits;
    if (pfnStackLimits) {
        ULONG_PTR uLow = 0, uHigh = 0;
        pfnStackLimits(&uLow, &uHigh);
        In.fHaveStackLimits = true;
        In.uStackLow = uLow;
        In.uStackHigh = uHigh;
    }
    In.NativeThread = RTThreadNativeSelf();
    In.pszThreadName = RTThreadSelfName();
    In.hThread = RTThreadSelf();
#if defined(__i386__)
    // The process environment block (TEB +0x30), its loader data (+0x0c) and the in-memory-order
    // module list (+0x14), each only when plausible.
    RTXCPTWINMODULES Walk = {NULL, NULL, 0};
    uintptr_t const uPeb = *(uintptr_t const *)((uintptr_t)pTib + 0x30);
    if (rtR3XcptIsPlausible(uPeb)) {
        uintptr_t const uLdr = *(uintptr_t const *)(uPeb + 0x0c);
        if (rtR3XcptIsPlausible(uLdr)) {
            Walk.pHead = (LIST_ENTRY *)(uLdr + 0x14);
            In.pfnModule = rtR3WinXcptModule;
            In.pvModuleUser = &Walk;
        }
    }
#endif
    rtR3XcptReport(pLogger, &In);
    RTLogFlush(pLogger);
}

LONG WINAPI rtR3WinUnhandledXcptFilter(PEXCEPTION_POINTERS pXcptPtrs) {
    PRTLOGGER pLogger = RTLogRelGetDefaultInstanceEx(UINT32_C(0xFFFF0000));
    if (!pLogger) pLogger = rtlogDefaultInstanceIfExists();
    if (pLogger) {
        // Marks this frame in the stack dump.
        volatile char szMarker[12];
        static const char s_szMarker[12] = "stackmarker";
        for (size_t i = 0; i < sizeof(szMarker); i++) szMarker[i] = s_szMarker[i];
        rtR3WinXcptWriteReport(pLogger, pXcptPtrs, (uintptr_t)&szMarker[0]);
    }
    LPTOP_LEVEL_EXCEPTION_FILTER pfnPrev = g_pfnrtR3WinPrevXcptFilter;
    if (pfnPrev) return pfnPrev(pXcptPtrs);
    return EXCEPTION_CONTINUE_SEARCH;
}

void RTXcptSuppressCrashDialog(void) {
    // As the hardening does: the current mode comes back from setting one, then gets the bit.
    UINT const fMode = SetErrorMode(SEM_NOGPFAULTERRORBOX);
    SetErrorMode(fMode | SEM_NOGPFAULTERRORBOX);
}
