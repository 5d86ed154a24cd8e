// The printf-style formatting engine: output and format callbacks, the number formatter and
// the buffer front ends.
//
// Beyond the usual conversions the engine knows the size prefixes "I64", "I32", "I", "q", "j",
// "z", "t", the thousands-separator flag "'" (a space between groups), "%N" (a nested format
// with its own argument list, passed as a va_list pointer), "%M" (continue with another format
// string) and the "%R" runtime types ("%Rrc", "%RU64", "%RTbool", ...).
#pragma once

#include <qrt/types.h>
#include <qrt/cdefs.h>

// Receives each piece of output; a final call with (NULL, 0) marks the end. Returns the number
// of characters it took.
typedef size_t (*PFNRTSTROUTPUT)(void *pvArg, const char *pachChars, size_t cbChars);

// Handles a conversion character the engine does not know. *ppszFormat points at that
// character on entry and must be moved past everything the callback consumes.
typedef size_t (*PFNSTRFORMAT)(void *pvArg, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                               va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);

// Flags word shared by the engine, the %R handlers and the number formatter.
#define RTSTR_F_CAPITAL 0x0001
#define RTSTR_F_LEFT 0x0002
#define RTSTR_F_ZEROPAD 0x0004
#define RTSTR_F_SPECIAL 0x0008
#define RTSTR_F_VALSIGNED 0x0010
#define RTSTR_F_PLUS 0x0020
#define RTSTR_F_BLANK 0x0040
#define RTSTR_F_WIDTH 0x0080
#define RTSTR_F_PRECISION 0x0100
#define RTSTR_F_THOUSAND_SEP 0x0200
#define RTSTR_F_OBFUSCATE_PTR 0x0400
#define RTSTR_F_8BIT 0x0800
#define RTSTR_F_16BIT 0x1000
#define RTSTR_F_32BIT 0x2000
#define RTSTR_F_64BIT 0x4000

// Size of the work buffer RTStrFormatNumber writes into; no integer field is longer than
// RTSTR_NUM_BUF_SIZE - 1 characters.
#define RTSTR_NUM_BUF_SIZE 64

// Far pointers as "%RTfp32" and "%RTfp64" take them, by value: the offset, then the selector
// (an 8-byte and a 12-byte argument slot).
typedef struct RTFAR32 {
    uint32_t off;
    uint16_t sel;
} RTFAR32;
#pragma pack(push, 4)
typedef struct RTFAR64 {
    uint64_t off;
    uint16_t sel;
} RTFAR64;
#pragma pack(pop)

// Formats into the output callback; returns the sum of the callback's counts (the final
// zero-length call excluded). pfnFormat (optional) gets conversions the engine does not know.
size_t RTStrFormatV(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNSTRFORMAT pfnFormat, void *pvArgFormat,
                    const char *pszFormat, va_list args);
size_t RTStrFormat(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, PFNSTRFORMAT pfnFormat, void *pvArgFormat,
                   const char *pszFormat, ...);

// Writes the number and a terminator into a work buffer of RTSTR_NUM_BUF_SIZE bytes; returns
// its length. uiBase is 8, 10 or 16 (any other base gives an empty string).
int RTStrFormatNumber(char *pszBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                      unsigned fFlags);
// RTStrFormatNumber of a 64-bit value into a buffer of any size. Returns the length, or
// QERR_BUFFER_OVERFLOW after storing what fits (terminated unless cbBuf is 0).
ptrdiff_t RTStrFormatU64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uiBase, int cchWidth, int cchPrecision,
                         unsigned fFlags);

// Formats into a fixed buffer, truncating silently; returns the characters stored (without the
// terminator). A buffer size of 0 writes nothing and returns 0.
size_t RTStrPrintf(char *pszBuffer, size_t cchBuffer, const char *pszFormat, ...);
size_t RTStrPrintfV(char *pszBuffer, size_t cchBuffer, const char *pszFormat, va_list args);
// Formats into a fixed buffer; returns the length, or -(length + 1) (the buffer size the text
// needs) when it did not fit, after storing as much as fits.
ptrdiff_t RTStrPrintf2(char *pszBuffer, size_t cchBuffer, const char *pszFormat, ...);
ptrdiff_t RTStrPrintf2V(char *pszBuffer, size_t cchBuffer, const char *pszFormat, va_list args);
// Formats into a new string (free it with RTStrFree); returns the length, or -1 with
// *ppszBuffer set to null when memory runs out.
int RTStrAPrintfV(char **ppszBuffer, const char *pszFormat, va_list args, const char *pszTag);
int RTStrAPrintf(char **ppszBuffer, const char *pszFormat, ...);
