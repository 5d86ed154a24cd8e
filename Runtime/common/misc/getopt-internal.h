// Shared between the option parser's files: the conversion of one value text.
#pragma once

#include <qrt/getopt.h>

// The bits of a descriptor's flags that decide how a value is converted.
#define RTGETOPT_CONVERT_MASK (RTGETOPT_VT_MASK | RTGETOPT_MOD_HEX | RTGETOPT_MOD_OCT | RTGETOPT_MOD_DEC)

// Converts pszValue as a value of the type and base modifier in fFlags (other bits ignored).
// Returns 0 and stores the value in *pValue; on failure *pValue is left as it was, except that
// a text which is not a boolean word is put in psz (QERR_GETOPT_UNKNOWN_OPTION). Other
// failures: QERR_GETOPT_INVALID_ARGUMENT_FORMAT, or QERR_INTERNAL_ERROR for an undefined type
// or type/modifier combination.
int rtgetoptConvertValue(uint32_t fFlags, const char *pszValue, PRTGETOPTVALUE pValue);

// The pair types (RTGETOPT_VT_UINT32_PAIR to RTGETOPT_VT_UINT64_OPT_PAIR), with the base
// modifier of fFlags already checked. Same contract as rtgetoptConvertValue.
int rtgetoptConvertPair(uint32_t fFlags, const char *pszValue, PRTGETOPTVALUE pValue);

#include <qrt/strtonum.h>

// "0x" or "0X" followed by a hexadecimal digit: the prefix that selects base 16 for pairs and
// for the retry of plain integer values.
inline bool rtgetoptHasHexPrefix(const char *psz) {
    return psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X') && g_abRTStrDigitValues[(unsigned char)psz[2]] < 16;
}
