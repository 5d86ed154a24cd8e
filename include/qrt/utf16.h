// UTF-16 strings: the encoding used only at the boundary to the Windows API.
//
// Units are unsigned 16-bit in the machine's byte order (RTUtf16Big* read big-endian units),
// ended by a 0 unit. Unit limits of RTSTR_MAX mean "up to the terminator". New strings are freed
// with RTUtf16Free. Names without the "Tag" suffix are macros passing RTMEM_TAG (qrt/mem.h).
#pragma once

#include <qrt/types.h>
#include <qrt/mem.h>
#include <qrt/uni.h>
#include <qrt/string.h>

//
// Code-point primitives.
//

// Decodes one code point at *ppwsz (a unit or a surrogate pair). On failure stores
// RTUNICP_INVALID, advances one unit and returns QERR_CODE_POINT_ENDIAN_INDICATOR (0xFFFE,
// 0xFFFF) or QERR_INVALID_UTF16_ENCODING (bad surrogate).
int RTUtf16GetCpEx(const RTUTF16 **ppwsz, RTUNICP *pCp);
// As RTUtf16GetCpEx reading big-endian units.
int RTUtf16BigGetCpEx(const RTUTF16 **ppwsz, RTUNICP *pCp);
// As RTUtf16GetCpEx within *pcwc remaining units, which it decrements by the units consumed.
// *pcwc == 0: QERR_END_OF_STRING without moving; a pair cut by the limit is
// QERR_INVALID_UTF16_ENCODING (one unit consumed).
int RTUtf16GetCpNEx(const RTUTF16 **ppwsz, size_t *pcwc, RTUNICP *pCp);
// As RTUtf16GetCpNEx reading big-endian units.
int RTUtf16BigGetCpNEx(const RTUTF16 **ppwsz, size_t *pcwc, RTUNICP *pCp);
// Writes uc as one unit or a surrogate pair and returns the position after it (no terminator).
// Values that UTF-16 cannot carry (surrogates, 0xFFFE, 0xFFFF, above 0x10FFFF) are written as
// the unit 0x7F, matching RTStrPutCp.
RTUTF16 *RTUtf16PutCp(RTUTF16 *pwsz, RTUNICP uc);

//
// Lengths and validation.
//

// Number of units before the terminator; 0 for null.
size_t RTUtf16Len(const RTUTF16 *pwsz);
// Number of units before the terminator within cwcMax, or cwcMax when there is none.
size_t RTUtf16NLen(const RTUTF16 *pwsz, size_t cwcMax);
// Pointer to the terminator when one lies within cwcMax units, else null.
const RTUTF16 *RTUtf16End(const RTUTF16 *pwsz, size_t cwcMax);
// QINF_SUCCESS (0) when the first RTUtf16NLen(pwsz, cwc) units are valid UTF-16, else the
// first error.
int RTUtf16ValidateEncodingEx(const RTUTF16 *pwsz, size_t cwc);

//
// Comparisons.
//

// Unit-by-unit unsigned comparison (null sorts first); returns -1, 0 or 1.
int RTUtf16Cmp(const RTUTF16 *pwsz1, const RTUTF16 *pwsz2);

//
// Allocation and duplicates.
//

// Frees a UTF-16 string (any memory-layer block); null is ignored.
void RTUtf16Free(RTUTF16 *pwsz);
// Copy of pwsz, or null when the allocation fails.
RTUTF16 *RTUtf16DupTag(const RTUTF16 *pwsz, const char *pszTag);
// Block of cb bytes (2 when cb is below 3, else cb rounded up to even) with its first unit 0.
RTUTF16 *RTUtf16AllocTag(size_t cb, const char *pszTag);
// cbNew (bytes) is rounded up to even. 0: frees *ppwsz and stores null (returns 0). Otherwise
// resizes *ppwsz (failure: QERR_NO_STR_MEMORY, block unchanged) or allocates a first block
// with its first unit 0 (failure: QERR_NO_UTF16_MEMORY); the last unit of the new size is 0.
int RTUtf16ReallocTag(RTUTF16 **ppwsz, size_t cbNew, const char *pszTag);

#define RTUtf16Dup(pwsz) RTUtf16DupTag((pwsz), RTMEM_TAG)
#define RTUtf16Alloc(cb) RTUtf16AllocTag((cb), RTMEM_TAG)
#define RTUtf16Realloc(ppwsz, cbNew) RTUtf16ReallocTag((ppwsz), (cbNew), RTMEM_TAG)

//
// UTF-16 to UTF-8.
//

// Converts pwsz to a new UTF-8 string in *ppsz (set to null first; free with RTStrFree).
// Errors: the unit rules, QERR_NO_STR_MEMORY.
int RTUtf16ToUtf8Tag(const RTUTF16 *pwsz, char **ppsz, const char *pszTag);
// Converts at most cwcSrc units (RTSTR_MAX: all). *pcch (optional) receives the byte count
// without terminator once the input is valid. When cch != 0 and *ppsz is not null, *ppsz is the
// caller's buffer of cch bytes: a count not below cch is QERR_BUFFER_OVERFLOW and nothing is
// written. Otherwise *ppsz is set to null and max(count + 1, cch) bytes are allocated
// (RTStrAlloc). The result is always terminated.
int RTUtf16ToUtf8ExTag(const RTUTF16 *pwsz, size_t cwcSrc, char **ppsz, size_t cch, size_t *pcch, const char *pszTag);
// Validates at most cwcSrc units and stores the UTF-8 byte count (all bits set on failure).
int RTUtf16CalcUtf8LenEx(const RTUTF16 *pwsz, size_t cwcSrc, size_t *pcch);
// Byte count of pwsz as UTF-8, or 0 when it is not valid.
size_t RTUtf16CalcUtf8Len(const RTUTF16 *pwsz);

#define RTUtf16ToUtf8(pwsz, ppsz) RTUtf16ToUtf8Tag((pwsz), (ppsz), RTMEM_TAG)
#define RTUtf16ToUtf8Ex(pwsz, cwcSrc, ppsz, cch, pcch)                                                                 \
    RTUtf16ToUtf8ExTag((pwsz), (cwcSrc), (ppsz), (cch), (pcch), RTMEM_TAG)
