// Basic types shared by the whole runtime.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdarg.h>

// A Unicode code point.
typedef uint32_t RTUNICP;
// One UTF-16 code unit; Windows calls take it as wchar_t (16 bits there).
typedef uint16_t RTUTF16;

// Native-width unsigned integer for pointer-sized values.
typedef uintptr_t RTUINTPTR;
