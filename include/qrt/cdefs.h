// Small language helpers used across the runtime.
#pragma once

#include <qrt/types.h>

#define RT_ELEMENTS(a) (sizeof(a) / sizeof((a)[0]))
#define RT_MIN(a, b) ((a) <= (b) ? (a) : (b))
#define RT_MAX(a, b) ((a) >= (b) ? (a) : (b))
#define RT_ALIGN_Z(cb, uAlign) (((size_t)(cb) + ((uAlign)-1)) & ~(size_t)((uAlign)-1))
#define RT_STR_TUPLE(s) (s), (sizeof(s) - 1)

// A pointer within 4 KiB of address zero, on either side, counts as invalid wherever the runtime
// checks one: the first page catches null plus a small offset, the last page a small negative
// value (an error code or -1) taken for an address.
#define RT_VALID_PTR(p) ((uintptr_t)(p) - (uintptr_t)0x1000U < (uintptr_t)0 - (uintptr_t)0x2000U)

#if defined(__GNUC__)
#define RT_LIKELY(x) __builtin_expect(!!(x), 1)
#define RT_UNLIKELY(x) __builtin_expect(!!(x), 0)
#define RT_PRINTF_ATTR(fmt, args) __attribute__((format(printf, fmt, args)))
// Keeps a rarely taken slow path out of its caller.
#define RT_NOINLINE __attribute__((noinline))
#else
#define RT_LIKELY(x) (x)
#define RT_UNLIKELY(x) (x)
#define RT_PRINTF_ATTR(fmt, args)
#define RT_NOINLINE
#endif

#define RT_NOREF(x) ((void)(x))

// For large zero-initialised globals (buffers): keeps them out of the file. With a section per
// object, MinGW's GCC puts such data in ".data$<name>", which takes file bytes; a common symbol
// lands in .bss. Only for globals with external linkage and no initialiser.
#if defined(__GNUC__) && !defined(__clang__)
#define RT_BSS __attribute__((common))
#else
#define RT_BSS
#endif
