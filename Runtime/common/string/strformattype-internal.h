// The entry points of the %R handlers for dumps, sizes, escapes, names, times and register
// bits. They write through the shared output buffer and digit writers.
#pragma once

#include <qrt/format.h>

#include "common/string/strformat-output.h"

// Each handler is entered with *ppszFormat at its type character (the one after the 'R'),
// moves it past what it recognises and returns the characters emitted.
#define RTSTRFMTTYPE_HANDLER_ARGS                                                                                      \
    PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs, int cchWidth,                \
        int cchPrecision, unsigned fFlags, char chArgSize

// "%Rhx..." and "%RhX...": hex dumps, folded dumps and byte lists.
size_t rtstrFormatTypeHexDump(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rhc..." and "%Rhu...": binary and decimal sizes.
size_t rtstrFormatTypeSize(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RM...": XML, JSON and URL escapes.
size_t rtstrFormatTypeEscape(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rbn": the file-name part of a path.
size_t rtstrFormatTypeFileName(RTSTRFMTTYPE_HANDLER_ARGS);
// "%Rfn": the function name of a signature.
size_t rtstrFormatTypeFunctionName(RTSTRFMTTYPE_HANDLER_ARGS);
// "%lRbs": big-endian UTF-16 text.
size_t rtstrFormatTypeUtf16Big(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RDtimespec": a nanosecond count.
size_t rtstrFormatTypeTime(RTSTRFMTTYPE_HANDLER_ARGS);
// "%RAx86[...]": control register bits.
size_t rtstrFormatTypeX86Reg(RTSTRFMTTYPE_HANDLER_ARGS);
