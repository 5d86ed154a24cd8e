// System queries: the Windows version and product type the process runs on, and the process
// identifier.
//
// The version comes from a process-wide record that process initialisation fills. Until then
// the record is filled on the first query instead, so every query below works at any time;
// where no version can be learnt (a build without Windows, or every platform query failed) the
// record stays empty and the queries report zeros.
#pragma once

#include <qrt/types.h>

// Packs an NT version: bits 63..52 major (12 bits), 51..40 minor (masked to 12 bits), 39..32
// zero, 31..0 build. Packed versions compare in the order of (major, minor, build).
#define RTSYSTEM_MAKE_NT_VERSION(uMajor, uMinor, uBuild)                                                               \
    (((uint64_t)((uMajor)&0xfffU) << 52) | ((uint64_t)((uMinor)&0xfffU) << 40) | (uint64_t)(uint32_t)(uBuild))

// The packed NT version of the running system; 0 when it is unknown. Cannot fail.
uint64_t RTSystemGetNtVersion(void);
// The product-type byte of the running system: 1 workstation, 2 domain controller, 3 server;
// 0 when it is unknown. Cannot fail.
uint8_t RTSystemGetNtProductType(void);

// A process identifier.
typedef uint32_t RTPROCESS;
// The identifier of the calling process. Cannot fail.
RTPROCESS RTProcSelf(void);
