// Shared UTF-8 sequence decoder and word-at-a-time helpers for the string code.
//
// Every UTF-8 reader of the runtime goes through rtUtf8DecodeMulti so that validation, counting
// and code-point reading cannot disagree about what a sequence is.
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/uni.h>

#include <string.h>

// High bit of every byte of a 64-bit word.
#define RTSTR_HI8_MASK UINT64_C(0x8080808080808080)

static inline uint64_t rtStrLoadU64(const void *pv) {
    uint64_t u;
    memcpy(&u, pv, sizeof(u));
    return u;
}

// Decodes the sequence whose lead byte pb[0] is 0x80 or above, reading at most cbLeft bytes
// (cbLeft >= 1). Continuation bytes are checked one at a time before the next is read, so a
// terminator inside the sequence stops the read there and an unlimited cbLeft is safe.
// Returns the sequence length (2 to 6) and stores the value, or returns a negative status.
// The overlong test comes before every other range test.
static inline int rtUtf8DecodeMulti(const uint8_t *pb, size_t cbLeft, RTUNICP *puc) {
    uint32_t const b0 = pb[0];
    if (b0 < 0xe0) {
        if (b0 < 0xc0) // stray continuation byte
            return QERR_INVALID_UTF8_ENCODING;
        if (cbLeft < 2 || (pb[1] & 0xc0) != 0x80) return QERR_INVALID_UTF8_ENCODING;
        RTUNICP uc = ((b0 & 0x1f) << 6) | (pb[1] & 0x3f);
        if (uc < 0x80) return QERR_INVALID_UTF8_ENCODING;
        *puc = uc;
        return 2;
    }
    if (b0 < 0xf0) {
        if (cbLeft < 2 || (pb[1] & 0xc0) != 0x80 || cbLeft < 3 || (pb[2] & 0xc0) != 0x80)
            return QERR_INVALID_UTF8_ENCODING;
        RTUNICP uc = ((b0 & 0x0f) << 12) | ((uint32_t)(pb[1] & 0x3f) << 6) | (pb[2] & 0x3f);
        if (uc < 0x800) return QERR_INVALID_UTF8_ENCODING;
        if (RTUniCpIsSurrogate(uc)) return QERR_CODE_POINT_SURROGATE;
        if (uc >= 0xfffe) return QERR_CODE_POINT_ENDIAN_INDICATOR;
        *puc = uc;
        return 3;
    }
    // 4- to 6-byte sequences.
    int cb;
    RTUNICP uc;
    RTUNICP ucMin;
    if (b0 < 0xf8) {
        cb = 4;
        uc = b0 & 0x07;
        ucMin = 0x10000;
    } else if (b0 < 0xfc) {
        cb = 5;
        uc = b0 & 0x03;
        ucMin = 0x200000;
    } else if (b0 < 0xfe) {
        cb = 6;
        uc = b0 & 0x01;
        ucMin = 0x4000000;
    } else
        return QERR_INVALID_UTF8_ENCODING;
    for (int i = 1; i < cb; i++) {
        if ((size_t)i >= cbLeft || (pb[i] & 0xc0) != 0x80) return QERR_INVALID_UTF8_ENCODING;
        uc = (uc << 6) | (pb[i] & 0x3f);
    }
    if (uc < ucMin) return QERR_INVALID_UTF8_ENCODING;
    *puc = uc;
    return cb;
}

// Internal workers over an exact byte count (no terminator inside the range matters to them:
// callers pass the length up to the terminator or the limit, whichever comes first).

// Validates cb bytes under the sequence rules plus the UTF-16 rule and counts UTF-16 units
// (all bits set on failure).
int rtUtf8CalcUtf16Len(const char *psz, size_t cb, size_t *pcwc);
// Writes the units of cb already counted bytes into pwsz (capacity cwcCap units plus the
// terminator, which is always written). Checks every sequence again; running out of capacity
// gives QERR_BUFFER_OVERFLOW. Units past the terminator, within the capacity, may be written.
int rtUtf8RecodeAsUtf16(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap);

// The portable implementations behind the two workers above.
int rtUtf8CalcUtf16LenScalar(const char *psz, size_t cb, size_t *pcwc);
int rtUtf8RecodeAsUtf16Scalar(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap);

// Whether the SSSE3 implementations exist in this build and the processor runs them.
#if defined(__x86_64__) && defined(__GNUC__)
#define RTUTF8_HAVE_SSSE3 1
int rtUtf8CalcUtf16LenSsse3(const char *psz, size_t cb, size_t *pcwc);
int rtUtf8RecodeAsUtf16Ssse3(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap);
static inline bool rtUtf8CanUseSsse3(void) {
    return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("popcnt");
}
#else
static inline bool rtUtf8CanUseSsse3(void) {
    return false;
}
#endif
