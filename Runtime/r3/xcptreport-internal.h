// The post-mortem report of an unhandled exception, as portable code over what the platform's
// filter captured (Runtime/r3/win/xcptreport-win.cpp gathers it on Windows). Every pointer the
// report follows is tested for plausibility first, and the stack is read only inside the range
// computed for it, so writing the report cannot fault.
#pragma once

#include <qrt/types.h>
#include <qrt/log.h>
#include <qrt/thread.h>

// At most this many exception parameters are printed, and module-list entries visited.
#define RTXCPT_MAX_PARAMS 15U
#define RTXCPT_MAX_MODULES 1024U

// An exception record in the platform's layout (on 32-bit Windows that of EXCEPTION_RECORD).
typedef struct RTXCPTRECORD {
    uint32_t ExceptionCode;
    uint32_t ExceptionFlags;
    struct RTXCPTRECORD *ExceptionRecord; // the nested record
    void *ExceptionAddress;
    uint32_t NumberParameters;
    uintptr_t ExceptionInformation[RTXCPT_MAX_PARAMS];
} RTXCPTRECORD;

// The processor context's registers (32-bit x86).
typedef struct RTXCPTREGS {
    uint16_t uCs, uSs, uDs, uEs, uFs, uGs;
    uint32_t uEax, uEcx, uEdx, uEbx, uEsi, uEdi, uEsp, uEbp, uEip, fEFlags;
} RTXCPTREGS;

// One loaded module; the path is a counted UTF-16 string (lengths in bytes).
typedef struct RTXCPTMODULE {
    uintptr_t uBase;
    uint32_t cbImage;
    uint32_t uTimestamp;
    const RTUTF16 *pwszPath;
    uint16_t cbPath;
    uint16_t cbPathMax;
} RTXCPTMODULE;

// Fills *pModule with entry iEntry of the module list (called with 0, 1, 2 ... in turn, and
// again from 0 for each look-up). False at the end of the list or at an implausible entry.
typedef bool FNRTXCPTMODULE(void *pvUser, uint32_t iEntry, RTXCPTMODULE *pModule);
typedef FNRTXCPTMODULE *PFNRTXCPTMODULE;

typedef struct RTXCPTREPORTINPUT {
    const RTXCPTRECORD *pRecord; // as delivered; implausible: no exception section
    const RTXCPTREGS *pRegs;     // null when the context is not plausible
    uintptr_t uMarker;           // address of the marker in the filter's frame
    // The platform's stack-limits query, when it exists, and its answer.
    bool fHaveStackLimits;
    uintptr_t uStackLow;
    uintptr_t uStackHigh;
    // The thread information block's stack bounds (limit below, base above).
    uintptr_t uTibLow;
    uintptr_t uTibHigh;
    RTNATIVETHREAD NativeThread;
    const char *pszThreadName; // null when the thread is not registered
    RTTHREAD hThread;
    PFNRTXCPTMODULE pfnModule; // null when the module list is not plausible
    void *pvModuleUser;
} RTXCPTREPORTINPUT;

// Whether a pointer lies outside the 4 KiB on either side of address zero.
bool rtR3XcptIsPlausible(uintptr_t uPtr);
// Whether a module's path string can be printed: a plausible buffer and an even length, not 0,
// below 0x2000 and not above its maximum.
bool rtR3XcptIsPathUsable(const RTXCPTMODULE *pModule);
// The stack range to dump: from the marker (four low bits cleared) to the end of its page
// (plus a page when less than 512 bytes remain), grown by pages to cover the stack pointer of
// interest when that lies at most 16 KiB up; cut to the stack-limits query's high bound when it
// lies less than 1 MiB up; never beyond the thread information block's base.
void rtR3XcptStackRange(const RTXCPTREPORTINPUT *pIn, uintptr_t uSpOfInterest, uintptr_t *puStart, size_t *pcb);
// Writes the report to pLogger (every line without group, so no filter applies).
void rtR3XcptReport(PRTLOGGER pLogger, const RTXCPTREPORTINPUT *pIn);
