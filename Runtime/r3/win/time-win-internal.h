// The Windows clock's source choice and its read of the shared interrupt time, apart from the
// clock itself so that tests can drive them.
#pragma once

#include <qrt/types.h>

#include "r3/system-internal.h"

enum RTTIMEWINSOURCE : uint32_t {
    RTTIMEWINSOURCE_NONE = 0, // not chosen yet
    RTTIMEWINSOURCE_TICKS,    // GetTickCount, milliseconds
    RTTIMEWINSOURCE_SHARED,   // the interrupt time in the page shared with every process
    RTTIMEWINSOURCE_PRECISE,  // RtlGetInterruptTimePrecise, 100 ns units
};

// The source for an OS type (RTSYSOSTYPE_UNKNOWN: decided by uGetVersion, GetVersion()'s
// packed answer) and whether RtlGetInterruptTimePrecise exists. Pure.
static inline RTTIMEWINSOURCE rtTimeWinChooseSource(RTSYSOSTYPE enmOsType, uint32_t uGetVersion, bool fPrecise) {
    bool fTicks;
    if (enmOsType != RTSYSOSTYPE_UNKNOWN)
        fTicks = enmOsType <= RTSYSOSTYPE_NT310;
    else
        fTicks = (uGetVersion & 0xff) == 3 && ((uGetVersion >> 8) & 0xff) < 50;
    if (fTicks) return RTTIMEWINSOURCE_TICKS;
    return fPrecise ? RTTIMEWINSOURCE_PRECISE : RTTIMEWINSOURCE_SHARED;
}

// Reads a 64-bit time that the platform updates as High2, then Low, then High1 while readers
// run. Reading High1, then Low, then High2 and retrying while the high words differ never
// pairs a low word with the wrong high word: if the writer moved on in between, High1 (read
// first) and High2 (written first) disagree. LoadWord(i) loads word i (0 Low, 1 High1, 2 High2)
// with a fresh memory read, in program order.
template <typename TLoadWord>
static inline uint64_t rtTimeWinReadSplit64(TLoadWord LoadWord) {
    for (;;) {
        uint32_t const uHigh1 = LoadWord(1);
        uint32_t const uLow = LoadWord(0);
        uint32_t const uHigh2 = LoadWord(2);
        if (uHigh1 == uHigh2) return ((uint64_t)uHigh1 << 32) | uLow;
    }
}
