// Text to integer conversions of 8 to 64 bits.
//
// Every conversion works in place on NUL-terminated UTF-8 text and never allocates. Failures
// are negative statuses (QERR_NO_DIGITS, QERR_TRAILING_CHARS, QERR_TRAILING_SPACES); warnings
// are positive (QWRN_NUMBER_TOO_BIG, QWRN_NEGATIVE_UNSIGNED, QWRN_TRAILING_CHARS,
// QWRN_TRAILING_SPACES). The output value, when given, is written in every case, also on
// failure: it holds the accumulated value, truncated to the width for the narrow forms.
//
// Rules shared by all forms:
// - Leading blanks are not skipped (' 5' has no digits).
// - Any run of "+" and "-" may precede the number; each "-" flips the sign and each
//   "+" makes it positive again ("+-5" is negative, "-+5" positive).
// - Base 0 picks the base from the text: "0x"/"0X" followed by a hex digit is base 16, "0"
//   followed by an octal digit is base 8, anything else base 10. Base 16 skips the same "0x"
//   prefix. Other bases skip nothing; the letters give digits up to 35, so bases above 36
//   read the same digits as base 36.
// - Every value that does not fit 64 bits gives QWRN_NUMBER_TOO_BIG, whatever the base; the
//   value stored is then the number modulo 2^64 (for the signed forms, its two's complement
//   when a minus sign was given).
// - The "Ex" forms report where the conversion stopped and classify what follows the number as
//   a warning; the "Full" forms turn anything after the number into a failure.
#pragma once

#include <qrt/types.h>

// Digit value of each byte: "0"-"9" are 0-9, letters of either case 10-35, NUL 254, space and
// tab 252, ":" 253, every other byte 255. A byte is a digit of base b when its entry is below b.
extern const uint8_t g_abRTStrDigitValues[256];

// Core conversions.
int RTStrToUInt64Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint64_t *pu64);
int RTStrToInt64Ex(const char *pszValue, char **ppszNext, unsigned uBase, int64_t *pi64);
int RTStrToUInt64Full(const char *pszValue, unsigned uBase, uint64_t *pu64);
int RTStrToInt64Full(const char *pszValue, unsigned uBase, int64_t *pi64);

// Narrow forms: the 64-bit form of the same kind, then QWRN_NUMBER_TOO_BIG (replacing any
// warning) when the status is not negative and the value does not fit the width.
int RTStrToUInt32Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint32_t *pu32);
int RTStrToUInt16Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint16_t *pu16);
int RTStrToUInt8Ex(const char *pszValue, char **ppszNext, unsigned uBase, uint8_t *pu8);
int RTStrToInt32Ex(const char *pszValue, char **ppszNext, unsigned uBase, int32_t *pi32);
int RTStrToInt16Ex(const char *pszValue, char **ppszNext, unsigned uBase, int16_t *pi16);
int RTStrToInt8Ex(const char *pszValue, char **ppszNext, unsigned uBase, int8_t *pi8);

int RTStrToUInt32Full(const char *pszValue, unsigned uBase, uint32_t *pu32);
int RTStrToUInt16Full(const char *pszValue, unsigned uBase, uint16_t *pu16);
int RTStrToUInt8Full(const char *pszValue, unsigned uBase, uint8_t *pu8);
int RTStrToInt32Full(const char *pszValue, unsigned uBase, int32_t *pi32);
int RTStrToInt16Full(const char *pszValue, unsigned uBase, int16_t *pi16);
int RTStrToInt8Full(const char *pszValue, unsigned uBase, int8_t *pi8);

// Lenient: base 0, warnings and whatever follows the number are ignored; 0 on failure.
int32_t RTStrToInt32(const char *pszValue);
