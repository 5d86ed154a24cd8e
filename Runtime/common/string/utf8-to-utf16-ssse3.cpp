// UTF-8 to UTF-16 with SSSE3, sixteen bytes per step, for processors that have it (x86-64).
//
// Both passes test every rule on every block; a block with any fault is handed to the portable
// code, which finds the exact status. Validation follows the well-known nibble-lookup scheme:
// three table lookups (high nibble of the previous byte, its low nibble, high nibble of the
// current byte) flag every invalid two-byte pattern, and a saturating subtract marks the bytes
// that must continue a 3- or 4-byte sequence. The UTF-16 rule, the 0xFFFE/0xFFFF rule and the
// refusal of 5- and 6-byte forms are all covered: anything above U+10FFFF or any lead byte above
// 0xF4 counts as a fault here.
#include "utf8-internal.h"

#ifdef RTUTF8_HAVE_SSSE3

#include <qrt/utf16.h>

#include <immintrin.h>

#define RTUTF8_SSSE3_FN __attribute__((target("ssse3,popcnt")))

// Fault classes of a byte pair (previous byte, current byte).
#define F_TOO_SHORT 0x01      // lead followed by a lead or ASCII
#define F_TOO_LONG 0x02       // ASCII followed by a continuation
#define F_OVERLONG_3 0x04     // E0 80..9F
#define F_TOO_LARGE 0x08      // F4 90..BF, F5..FF
#define F_SURROGATE 0x10      // ED A0..BF
#define F_OVERLONG_2 0x20     // C0, C1
#define F_TOO_LARGE_1000 0x40 // F5..FF 80..8F
#define F_OVERLONG_4 0x40     // F0 80..8F
#define F_TWO_CONTS 0x80      // continuation after continuation: right only inside 3- and 4-byte forms
#define F_CARRY (F_TOO_SHORT | F_TOO_LONG | F_TWO_CONTS)

// True when every byte of v is 0 (SSSE3 has no PTEST).
static inline RTUTF8_SSSE3_FN bool rtUtf8IsZero(__m128i v) {
    return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xffff;
}

static inline RTUTF8_SSSE3_FN __m128i rtUtf8Lookup(__m128i idx, __m128i table) {
    return _mm_shuffle_epi8(table, idx);
}

// The three lookup tables, indexed by a nibble.
alignas(16) static const uint8_t g_abRTUtf8Byte1High[16] = {
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG,
    F_TOO_LONG, // ASCII
    F_TWO_CONTS,
    F_TWO_CONTS,
    F_TWO_CONTS,
    F_TWO_CONTS,                                                 // continuation
    F_TOO_SHORT | F_OVERLONG_2,                                  // C0..CF
    F_TOO_SHORT,                                                 // D0..DF
    F_TOO_SHORT | F_OVERLONG_3 | F_SURROGATE,                    // E0..EF
    F_TOO_SHORT | F_TOO_LARGE | F_TOO_LARGE_1000 | F_OVERLONG_4, // F0..FF
};
alignas(16) static const uint8_t g_abRTUtf8Byte1Low[16] = {
    F_CARRY | F_OVERLONG_3 | F_OVERLONG_2 | F_OVERLONG_4,
    F_CARRY | F_OVERLONG_2,
    F_CARRY,
    F_CARRY,
    F_CARRY | F_TOO_LARGE,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000 | F_SURROGATE,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
    F_CARRY | F_TOO_LARGE | F_TOO_LARGE_1000,
};
alignas(16) static const uint8_t g_abRTUtf8Byte2High[16] = {
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,                                                                              // ASCII
    F_TOO_LONG | F_OVERLONG_2 | F_TWO_CONTS | F_OVERLONG_3 | F_TOO_LARGE_1000 | F_OVERLONG_4, // 80..8F
    F_TOO_LONG | F_OVERLONG_2 | F_TWO_CONTS | F_OVERLONG_3 | F_TOO_LARGE,                     // 90..9F
    F_TOO_LONG | F_OVERLONG_2 | F_TWO_CONTS | F_SURROGATE | F_TOO_LARGE,                      // A0..AF
    F_TOO_LONG | F_OVERLONG_2 | F_TWO_CONTS | F_SURROGATE | F_TOO_LARGE,                      // B0..BF
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT,
    F_TOO_SHORT, // leads
};

static inline RTUTF8_SSSE3_FN __m128i rtUtf8Table(const uint8_t *pab) {
    return _mm_load_si128((const __m128i *)pab);
}

static inline RTUTF8_SSSE3_FN __m128i rtUtf8Splat(uint8_t b) {
    return _mm_set1_epi8((char)b);
}

// Fault bits of each byte of cur, given the three bytes before each.
static inline RTUTF8_SSSE3_FN __m128i rtUtf8BlockFaults(__m128i cur, __m128i prev1, __m128i prev2, __m128i prev3) {
    __m128i const lowNibble = _mm_set1_epi8(0x0f);
    __m128i const byte1High =
        rtUtf8Lookup(_mm_and_si128(_mm_srli_epi16(prev1, 4), lowNibble), rtUtf8Table(g_abRTUtf8Byte1High));
    __m128i const byte1Low = rtUtf8Lookup(_mm_and_si128(prev1, lowNibble), rtUtf8Table(g_abRTUtf8Byte1Low));
    __m128i const byte2High =
        rtUtf8Lookup(_mm_and_si128(_mm_srli_epi16(cur, 4), lowNibble), rtUtf8Table(g_abRTUtf8Byte2High));
    __m128i const special = _mm_and_si128(_mm_and_si128(byte1High, byte1Low), byte2High);

    // Bytes two after an E0..FF lead or three after an F0..FF lead must be continuations; the
    // pair tables flag a continuation after a continuation, and the two must agree.
    __m128i const must23 =
        _mm_or_si128(_mm_subs_epu8(prev2, rtUtf8Splat(0xe0 - 0x80)), _mm_subs_epu8(prev3, rtUtf8Splat(0xf0 - 0x80)));
    __m128i faults = _mm_xor_si128(_mm_and_si128(must23, rtUtf8Splat(0x80)), special);

    // EF BF BE and EF BF BF: the byte-order indicators.
    __m128i const endian =
        _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi8(prev2, rtUtf8Splat(0xef)), _mm_cmpeq_epi8(prev1, rtUtf8Splat(0xbf))),
                      _mm_cmpeq_epi8(_mm_max_epu8(cur, rtUtf8Splat(0xbe)), cur));
    return _mm_or_si128(faults, endian);
}

// Bit mask of the continuation bytes (0x80..0xBF) of v.
static inline RTUTF8_SSSE3_FN unsigned rtUtf8ContMask(__m128i v) {
    return (unsigned)_mm_movemask_epi8(_mm_cmplt_epi8(v, _mm_set1_epi8((char)0xc0)));
}

// Bit mask of the bytes of v at or above uMin (unsigned).
static inline RTUTF8_SSSE3_FN unsigned rtUtf8AtLeastMask(__m128i v, uint8_t uMin) {
    return (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8((char)uMin)), v));
}

RTUTF8_SSSE3_FN int rtUtf8CalcUtf16LenSsse3(const char *psz, size_t cb, size_t *pcwc) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    size_t cwc = 0;
    __m128i faults = _mm_setzero_si128();
    __m128i prev = _mm_setzero_si128(); // nothing before the text: as if ASCII
    // Last bytes that announce more bytes than the block holds: 2-byte lead last, 3-byte lead in
    // one of the last two, 4-byte lead in one of the last three.
    __m128i const incompleteMax = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, (char)(0xf0 - 1),
                                                (char)(0xe0 - 1), (char)(0xc0 - 1));
    while ((size_t)(pbEnd - pb) >= 16) {
        __m128i const cur = _mm_loadu_si128((const __m128i *)pb);
        if (_mm_movemask_epi8(cur) == 0) {
            // ASCII: only a sequence left open by the previous block can be at fault.
            faults = _mm_or_si128(faults, _mm_subs_epu8(prev, incompleteMax));
            cwc += 16;
        } else {
            __m128i const prev1 = _mm_alignr_epi8(cur, prev, 15);
            __m128i const prev2 = _mm_alignr_epi8(cur, prev, 14);
            __m128i const prev3 = _mm_alignr_epi8(cur, prev, 13);
            faults = _mm_or_si128(faults, rtUtf8BlockFaults(cur, prev1, prev2, prev3));
            // One unit per byte that starts a code point, two for the 4-byte forms.
            cwc += 16 - (size_t)__builtin_popcount(rtUtf8ContMask(cur)) +
                   (size_t)__builtin_popcount(rtUtf8AtLeastMask(cur, 0xf0));
        }
        prev = cur;
        pb += 16;
    }
    if (!rtUtf8IsZero(faults)) return rtUtf8CalcUtf16LenScalar(psz, cb, pcwc); // finds the first fault and its status

    // A sequence left open by the last block restarts in the portable tail from its lead.
    if (!rtUtf8IsZero(_mm_subs_epu8(prev, incompleteMax))) {
        for (unsigned i = 1; i <= 3; i++)
            if (pb[-(int)i] >= 0xc0) {
                pb -= i;
                cwc -= 1 + (*pb >= 0xf0);
                break;
            }
    }
    size_t cwcTail = 0;
    int rc = rtUtf8CalcUtf16LenScalar((const char *)pb, (size_t)(pbEnd - pb), &cwcTail);
    *pcwc = RT_SUCCESS(rc) ? cwc + cwcTail : RTSTR_MAX;
    return rc;
}

// Shuffles that gather the kept 16-bit lanes of a register to its front, one per 8-bit mask.
struct RTUTF16COMPACT {
    alignas(16) uint8_t ab[256][16];
};

static constexpr RTUTF16COMPACT rtUtf16MakeCompactTable() {
    RTUTF16COMPACT t{};
    for (unsigned fMask = 0; fMask < 256; fMask++) {
        unsigned k = 0;
        for (unsigned iLane = 0; iLane < 8; iLane++)
            if (fMask & (1U << iLane)) {
                t.ab[fMask][2 * k] = (uint8_t)(2 * iLane);
                t.ab[fMask][2 * k + 1] = (uint8_t)(2 * iLane + 1);
                k++;
            }
        for (; k < 8; k++) {
            t.ab[fMask][2 * k] = 0x80;
            t.ab[fMask][2 * k + 1] = 0x80;
        }
    }
    return t;
}

static constexpr RTUTF16COMPACT g_RTUtf16Compact = rtUtf16MakeCompactTable();

static inline RTUTF8_SSSE3_FN __m128i rtUtf8Blend(__m128i a, __m128i b, __m128i fSelB) {
    return _mm_or_si128(_mm_andnot_si128(fSelB, a), _mm_and_si128(fSelB, b));
}

// The UTF-16 unit each lane would produce if it started a code point (the high surrogate for
// 4-byte forms), and the low surrogate of 4-byte forms, for eight bytes widened to 16 bits.
static inline RTUTF8_SSSE3_FN void rtUtf8LaneUnits(__m128i b0, __m128i b1, __m128i b2, __m128i b3, __m128i *pUnit,
                                                   __m128i *pLow) {
    __m128i const m3f = _mm_set1_epi16(0x3f);
    __m128i const c1 = _mm_and_si128(b1, m3f);
    __m128i const c2 = _mm_and_si128(b2, m3f);
    __m128i const c3 = _mm_and_si128(b3, m3f);
    __m128i const v2 = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b0, _mm_set1_epi16(0x1f)), 6), c1);
    __m128i const v3 = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(b0, 12), _mm_slli_epi16(c1, 6)), c2);
    // High surrogate: 0xD800 + ((cp - 0x10000) >> 10) = 0xD7C0 + (cp >> 10).
    __m128i const hi4 = _mm_add_epi16(
        _mm_set1_epi16((short)0xd7c0),
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(b0, _mm_set1_epi16(0x07)), 8), _mm_slli_epi16(c1, 2)),
                     _mm_srli_epi16(c2, 4)));
    __m128i const lo4 = _mm_or_si128(
        _mm_or_si128(_mm_set1_epi16((short)0xdc00), _mm_slli_epi16(_mm_and_si128(c2, _mm_set1_epi16(0x0f)), 6)), c3);
    __m128i v = b0;
    v = rtUtf8Blend(v, v2, _mm_cmpgt_epi16(b0, _mm_set1_epi16(0xbf)));
    v = rtUtf8Blend(v, v3, _mm_cmpgt_epi16(b0, _mm_set1_epi16(0xdf)));
    v = rtUtf8Blend(v, hi4, _mm_cmpgt_epi16(b0, _mm_set1_epi16(0xef)));
    *pUnit = v;
    *pLow = lo4;
}

// Stores the lanes of v selected by fMask (8 bits) at pwc; returns how many.
static inline RTUTF8_SSSE3_FN unsigned rtUtf8StoreCompact(RTUTF16 *pwc, __m128i v, unsigned fMask) {
    __m128i const shuffle = _mm_load_si128((const __m128i *)g_RTUtf16Compact.ab[fMask]);
    _mm_storeu_si128((__m128i *)pwc, _mm_shuffle_epi8(v, shuffle));
    return (unsigned)__builtin_popcount(fMask);
}

RTUTF8_SSSE3_FN int rtUtf8RecodeAsUtf16Ssse3(const char *psz, size_t cb, RTUTF16 *pwsz, size_t cwcCap) {
    const uint8_t *pb = (const uint8_t *)psz;
    const uint8_t *const pbEnd = pb + cb;
    RTUTF16 *pwc = pwsz;
    RTUTF16 *const pwcEnd = pwsz + cwcCap;
    __m128i const zero = _mm_setzero_si128();
    // Each step starts at the start of a code point, so the bytes before it close complete
    // sequences and count as ASCII for the checks. A step reads 19 bytes (the block and three
    // bytes after it) and may store 16 units.
    while ((size_t)(pbEnd - pb) >= 19 && (size_t)(pwcEnd - pwc) >= 16) {
        __m128i const cur = _mm_loadu_si128((const __m128i *)pb);
        if (_mm_movemask_epi8(cur) == 0) {
            _mm_storeu_si128((__m128i *)pwc, _mm_unpacklo_epi8(cur, zero));
            _mm_storeu_si128((__m128i *)(pwc + 8), _mm_unpackhi_epi8(cur, zero));
            pb += 16;
            pwc += 16;
            continue;
        }
        __m128i const faults =
            rtUtf8BlockFaults(cur, _mm_slli_si128(cur, 1), _mm_slli_si128(cur, 2), _mm_slli_si128(cur, 3));
        if (!rtUtf8IsZero(faults)) {
            // The portable code converts up to the end of this block and reports the fault.
            const uint8_t *pbStop = pb + 16;
            while (pb < pbStop) {
                RTUNICP uc;
                int cbSeq;
                if (*pb < 0x80) {
                    uc = *pb;
                    cbSeq = 1;
                } else {
                    cbSeq = rtUtf8DecodeMulti(pb, (size_t)(pbEnd - pb), &uc);
                    if (cbSeq < 0 || uc > RTUNICP_MAX_UNICODE) {
                        *pwc = 0;
                        return cbSeq < 0 ? cbSeq : QERR_CANT_RECODE_AS_UTF16;
                    }
                }
                pwc = RTUtf16PutCp(pwc, uc); // 16 units of room were checked above
                pb += cbSeq;
            }
            continue;
        }

        unsigned const fCont = rtUtf8ContMask(cur);
        unsigned const fLead = (unsigned)_mm_movemask_epi8(cur) & ~fCont;
        unsigned const fGeE0 = rtUtf8AtLeastMask(cur, 0xe0);
        unsigned const fLead4 = rtUtf8AtLeastMask(cur, 0xf0);
        // A sequence that runs past the block is left for the next step.
        unsigned const fOpen = ((fLead & ~fGeE0) & 0x8000) | ((fGeE0 & ~fLead4) & 0xc000) | (fLead4 & 0xe000);
        unsigned const cbStep = fOpen ? (unsigned)__builtin_ctz(fOpen) : 16;
        // Lanes kept: every code point start, plus the lane after a 4-byte lead for its low
        // surrogate (a continuation byte's lane otherwise).
        unsigned const fKeep = ((~fCont & 0xffff) | (fLead4 << 1)) & ((1U << cbStep) - 1);

        __m128i const b1 = _mm_loadu_si128((const __m128i *)(pb + 1));
        __m128i const b2 = _mm_loadu_si128((const __m128i *)(pb + 2));
        __m128i const b3 = _mm_loadu_si128((const __m128i *)(pb + 3));
        __m128i unitLo, lowLo, unitHi, lowHi;
        rtUtf8LaneUnits(_mm_unpacklo_epi8(cur, zero), _mm_unpacklo_epi8(b1, zero), _mm_unpacklo_epi8(b2, zero),
                        _mm_unpacklo_epi8(b3, zero), &unitLo, &lowLo);
        rtUtf8LaneUnits(_mm_unpackhi_epi8(cur, zero), _mm_unpackhi_epi8(b1, zero), _mm_unpackhi_epi8(b2, zero),
                        _mm_unpackhi_epi8(b3, zero), &unitHi, &lowHi);
        // Move each low surrogate one lane up, into the lane of the first continuation byte
        // (done always: a branch on mixed text costs more than the few operations).
        __m128i const isLead4 = _mm_cmpeq_epi8(_mm_max_epu8(cur, _mm_set1_epi8((char)0xf0)), cur);
        __m128i const isLead4Lo = _mm_unpacklo_epi8(isLead4, isLead4);
        __m128i const isLead4Hi = _mm_unpackhi_epi8(isLead4, isLead4);
        unitLo = rtUtf8Blend(unitLo, _mm_slli_si128(lowLo, 2), _mm_slli_si128(isLead4Lo, 2));
        unitHi = rtUtf8Blend(unitHi, _mm_alignr_epi8(lowHi, lowLo, 14), _mm_alignr_epi8(isLead4Hi, isLead4Lo, 14));
        pwc += rtUtf8StoreCompact(pwc, unitLo, fKeep & 0xff);
        pwc += rtUtf8StoreCompact(pwc, unitHi, fKeep >> 8);
        pb += cbStep;
    }
    return rtUtf8RecodeAsUtf16Scalar((const char *)pb, (size_t)(pbEnd - pb), pwc, (size_t)(pwcEnd - pwc));
}

#endif /* RTUTF8_HAVE_SSSE3 */
