// Unicode code points: limits, classification helpers and simple case mapping.
#pragma once

#include <qrt/types.h>

// What a failing decoder stores as the code point.
#define RTUNICP_INVALID ((RTUNICP)0xfffffffe)
// Largest value the decoders accept (the full six-byte UTF-8 range).
#define RTUNICP_MAX ((RTUNICP)0x7fffffff)
// Largest Unicode scalar value, and so the largest value UTF-16 can carry.
#define RTUNICP_MAX_UNICODE ((RTUNICP)0x10ffff)

// True for 0xD800..0xDFFF.
static inline bool RTUniCpIsSurrogate(RTUNICP uc) {
    return uc - 0xd800U < 0x800U;
}
// True for the byte-order indicators 0xFFFE and 0xFFFF.
static inline bool RTUniCpIsEndianIndicator(RTUNICP uc) {
    return uc == 0xfffeU || uc == 0xffffU;
}

// Simple (one-to-one) upper-case mapping; unmapped code points map to themselves.
RTUNICP RTUniCpToUpper(RTUNICP uc);
// Simple (one-to-one) lower-case mapping; unmapped code points map to themselves.
RTUNICP RTUniCpToLower(RTUNICP uc);
