// What the formatting engine's pieces share inside the runtime.
#pragma once

#include <qrt/format.h>

#include "common/string/strformat-output.h"

// The %R conversions. On entry *ppszFormat points at the 'R'; on return it points past the
// type name. Returns the number of characters emitted.
size_t rtstrFormatRt(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,
                     int cchPrecision, unsigned fFlags, char chArgSize);

// The %R types for hex dumps and sizes ('h' other than "hr"), register bits ('A'), times ('D'),
// escaped text ('M'), source file and function names and big-endian UTF-16 ('b', 'f').
// Same contract as rtstrFormatRt: entered at the 'R'.
size_t rtstrFormatRtDumpsEscapesNames(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                                      va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);

// The named value types ("%RU32", "%RTbool", "%RTnaddr", ...). Same contract as rtstrFormatRt:
// entered at the 'R', whose next character is one of C, G, H, I, K, R, T, U, X.
size_t rtstrFormatRtValue(PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                          int cchWidth, int cchPrecision, unsigned fFlags);
