// Storage form of the simple case mapping tables (generated into unicase-tables.cpp).
#pragma once

#include <qrt/types.h>

// Every code point ucFirst, ucFirst + cStride, ..., ucLast maps to itself + iDelta.
struct RTUNICASERUN {
    uint32_t ucFirst;
    uint32_t ucLast;
    int32_t iDelta;
    uint32_t cStride; // 1 or 2
};

// Sorted by ucFirst, non-overlapping.
extern const RTUNICASERUN g_aRTUniUpperRuns[];
extern const size_t g_aRTUniUpperRunsCount;
extern const RTUNICASERUN g_aRTUniLowerRuns[];
extern const size_t g_aRTUniLowerRunsCount;
