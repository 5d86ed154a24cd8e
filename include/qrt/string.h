// UTF-8 strings: code-point primitives, lengths, copies, duplicates, comparisons, conversions to
// UTF-16 and code-point arrays, and the ANSI code page conversions.
//
// Strings are NUL-terminated UTF-8. Length limits are in bytes; a limit of RTSTR_MAX means "up to
// the terminator". Output buffer sizes include the terminator. New strings are allocated through
// the memory layer and freed with RTStrFree.
//
// Allocating functions take a final tag naming the allocating source file; the names without
// the "Tag" suffix are macros passing RTMEM_TAG (see qrt/mem.h).
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>
#include <qrt/mem.h>
#include <qrt/uni.h>

// A length or limit with all bits set: no limit.
#define RTSTR_MAX (~(size_t)0)

//
// Code-point primitives.
//

// Decodes one code point at *ppsz. On success advances *ppsz over the sequence. On failure
// stores RTUNICP_INVALID, advances exactly one byte and returns the encoding error.
// A 0 byte decodes as code point 0 (the pointer moves past it).
int RTStrGetCpEx(const char **ppsz, RTUNICP *pCp);
// As RTStrGetCpEx within *pcch remaining bytes, which it decrements by the bytes consumed.
// *pcch == 0: QERR_END_OF_STRING without moving. A sequence longer than *pcch is
// QERR_INVALID_UTF8_ENCODING (one byte consumed).
int RTStrGetCpNEx(const char **ppsz, size_t *pcch, RTUNICP *pCp);
// The code point at psz, or RTUNICP_INVALID when the sequence there is not valid.
RTUNICP RTStrGetCp(const char *psz);
// Writes the UTF-8 encoding of uc (1 to 6 bytes, no terminator) and returns the position after
// it. Surrogates, 0xFFFE, 0xFFFF and values above 0x7FFFFFFF are written as the byte 0x7F.
char *RTStrPutCp(char *psz, RTUNICP uc);
// Number of bytes RTStrPutCp writes for uc.
size_t RTStrCpSize(RTUNICP uc);
// Start of the code point that ends at psz, never below pszStart (pszStart when the bytes
// before psz do not form a complete sequence).
const char *RTStrPrevCp(const char *pszStart, const char *psz);
static inline char *RTStrPrevCp(char *pszStart, char *psz) {
    return (char *)RTStrPrevCp((const char *)pszStart, (const char *)psz);
}

//
// Validation.
//

// QINF_SUCCESS (0) when the first RTStrNLen(psz, cch) bytes are valid UTF-8, else the first
// encoding error. Sets *pcuc (optional) to the number of code points, 0 on failure.
int RTStrValidateEncodingEx(const char *psz, size_t cch, size_t *pcuc);
// As RTStrValidateEncodingEx without a limit.
int RTStrValidateEncoding(const char *psz);
bool RTStrIsValidEncoding(const char *psz);

//
// Lengths.
//

// Pointer to the terminator when one lies within cchMax bytes, else null. RTSTR_MAX searches
// without bound.
const char *RTStrEnd(const char *psz, size_t cchMax);
static inline char *RTStrEnd(char *psz, size_t cchMax) {
    return (char *)RTStrEnd((const char *)psz, cchMax);
}
// Length of psz, or cchMax when no terminator lies within cchMax bytes.
size_t RTStrNLen(const char *psz, size_t cchMax);
// Number of code points in psz, or 0 when psz is not valid UTF-8.
size_t RTStrUniLen(const char *psz);

//
// Copies and concatenation. Each leaves a terminated string whenever cbDst is not 0.
//

// Copies psz with its terminator; when it does not fit, copies cbDst - 1 bytes, terminates and
// returns QERR_BUFFER_OVERFLOW (cbDst == 0: nothing written, QERR_BUFFER_OVERFLOW).
int RTStrCopy(char *pszDst, size_t cbDst, const char *pszSrc);
// As RTStrCopy with the source length RTStrNLen(pszSrc, cchSrcMax).
int RTStrCopyEx(char *pszDst, size_t cbDst, const char *pszSrc, size_t cchSrcMax);
// Appends pszSrc to the string in pszDst (buffer of cbDst bytes). No terminator within cbDst:
// QERR_INVALID_PARAMETER, nothing written. Truncation as in RTStrCopy.
int RTStrCat(char *pszDst, size_t cbDst, const char *pszSrc);
// As RTStrCat with at most RTStrNLen(pszSrc, cchSrcMax) bytes of the source.
int RTStrCatEx(char *pszDst, size_t cbDst, const char *pszSrc, size_t cchSrcMax);

//
// Allocation and duplicates.
//

// Frees a string (any memory-layer block); null is ignored.
void RTStrFree(char *psz);
// Copy of psz, or null when the allocation fails.
char *RTStrDupTag(const char *psz, const char *pszTag);
// Copy of the first RTStrNLen(psz, cchMax) bytes plus a terminator, or null.
char *RTStrDupNTag(const char *psz, size_t cchMax, const char *pszTag);
// Block of cb bytes (1 when cb is 0) with its first byte 0, or null.
char *RTStrAllocTag(size_t cb, const char *pszTag);
// cbNew == 0: frees *ppsz and stores null (returns 0). Otherwise resizes *ppsz or, when it is
// null, allocates a block with first byte 0; the last byte of the new size is set to 0.
// Failure: QERR_NO_STR_MEMORY, *ppsz unchanged.
int RTStrReallocTag(char **ppsz, size_t cbNew, const char *pszTag);

#define RTStrDup(psz) RTStrDupTag((psz), RTMEM_TAG)
#define RTStrDupN(psz, cchMax) RTStrDupNTag((psz), (cchMax), RTMEM_TAG)
#define RTStrAlloc(cb) RTStrAllocTag((cb), RTMEM_TAG)
#define RTStrRealloc(ppsz, cbNew) RTStrReallocTag((ppsz), (cbNew), RTMEM_TAG)

//
// Comparisons: negative, 0 or positive. Same pointers (both null too) compare equal; a null
// string sorts before any other.
//

// Unsigned byte comparison; returns -1, 0 or 1.
int RTStrCmp(const char *psz1, const char *psz2);
// As RTStrCmp over at most cchMax bytes.
int RTStrNCmp(const char *psz1, const char *psz2, size_t cchMax);
// Case-insensitive by simple case mapping; invalid UTF-8 falls back to byte comparison.
int RTStrICmp(const char *psz1, const char *psz2);
// As RTStrICmp over at most cchMax bytes of psz1; cchMax == 0 gives 0.
int RTStrNICmp(const char *psz1, const char *psz2, size_t cchMax);
// Compares UTF-8 psz1 with pure-ASCII pszAscii, folding only A-Z.
int RTStrAsciiICmp(const char *psz1, const char *pszAscii);

//
// UTF-8 to UTF-16.
//

// Converts psz to a new UTF-16 string in *ppwsz (set to null first; free with RTUtf16Free).
// Errors: the encoding rules, QERR_CANT_RECODE_AS_UTF16 above U+10FFFF, QERR_NO_UTF16_MEMORY.
int RTStrToUtf16Tag(const char *psz, RTUTF16 **ppwsz, const char *pszTag);
// Converts at most cchSrc bytes (RTSTR_MAX: all). *pcwc (optional) receives the unit count
// without terminator once the input is valid. When cwc != 0 and *ppwsz is not null, *ppwsz is
// the caller's buffer of cwc units: a count not below cwc is QERR_BUFFER_OVERFLOW and nothing
// is written. Otherwise *ppwsz is set to null and max(count + 1, cwc) units are allocated.
// The result is always terminated; units after the terminator, within the buffer, may be
// overwritten (the conversion stores whole words).
int RTStrToUtf16ExTag(const char *pszSrc, size_t cchSrc, RTUTF16 **ppwsz, size_t cwc, size_t *pcwc, const char *pszTag);
// Validates at most cchSrc bytes and stores the UTF-16 unit count (all bits set on failure).
int RTStrCalcUtf16LenEx(const char *psz, size_t cchSrc, size_t *pcwc);
// Unit count of psz, or 0 when it is not valid.
size_t RTStrCalcUtf16Len(const char *psz);

#define RTStrToUtf16(psz, ppwsz) RTStrToUtf16Tag((psz), (ppwsz), RTMEM_TAG)
#define RTStrToUtf16Ex(pszSrc, cchSrc, ppwsz, cwc, pcwc)                                                               \
    RTStrToUtf16ExTag((pszSrc), (cchSrc), (ppwsz), (cwc), (pcwc), RTMEM_TAG)

//
// UTF-8 to code-point arrays.
//

// Same caller-buffer-or-allocation pattern as RTStrToUtf16ExTag for 32-bit code points (cCps
// elements in the caller's array). Allocation failure: QERR_NO_CODE_POINT_MEMORY. Free an
// allocated array with RTMemFree.
int RTStrToUni(const char *pszSrc, size_t cchSrc, RTUNICP **ppaCps, size_t cCps, size_t *pcCps);

//
// ANSI code page (the process's code page on Windows; elsewhere the locale's code set, taken as
// UTF-8 and copied after validation).
//

// New allocation holding psz in the current code page.
int RTStrUtf8ToCurrentCPTag(char **ppszString, const char *pszString, const char *pszTag);
// As RTStrUtf8ToCurrentCPTag over at most cchString bytes.
int RTStrUtf8ToCurrentCPExTag(char **ppszString, const char *pszString, size_t cchString, const char *pszTag);
// New UTF-8 allocation holding pszString read in the current code page. *ppszString is set to
// null first.
int RTStrCurrentCPToUtf8Tag(char **ppszString, const char *pszString, const char *pszTag);

#define RTStrUtf8ToCurrentCP(ppszString, pszString) RTStrUtf8ToCurrentCPTag((ppszString), (pszString), RTMEM_TAG)
#define RTStrUtf8ToCurrentCPEx(ppszString, pszString, cchString)                                                       \
    RTStrUtf8ToCurrentCPExTag((ppszString), (pszString), (cchString), RTMEM_TAG)
#define RTStrCurrentCPToUtf8(ppszString, pszString) RTStrCurrentCPToUtf8Tag((ppszString), (pszString), RTMEM_TAG)
