// The prefixes the logger writes at the start of each line, in their fixed order, each followed
// by one space.
#include <string.h>

#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/thread.h>
#include <qrt/time.h>

#include "common/log/log-internal.h"
#include "common/misc/thread-internal.h"
#include "common/string/strformat-output.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

// The previous stamps of the "rel" form, process-wide.
static uint64_t volatile g_u64LogLastTs;
static uint64_t volatile g_u64LogLastTsc;

static uint64_t rtLogReadTsc(void) {
#if defined(__i386__) || defined(__x86_64__)
    uint32_t uLow, uHigh;
    __asm__ __volatile__("rdtsc" : "=a"(uLow), "=d"(uHigh));
    return ((uint64_t)uHigh << 32) | uLow;
#else
    return 0;
#endif
}

static uint8_t rtLogApicId(void) {
#if defined(__i386__) || defined(__x86_64__)
    unsigned uEax, uEbx, uEcx, uEdx;
    if (__get_cpuid(1, &uEax, &uEbx, &uEcx, &uEdx)) return (uint8_t)(uEbx >> 24);
#endif
    return 0;
}

// With "rel": the difference to the previous stamp of the same kind (0 when it went back).
static uint64_t rtLogRelative(uint64_t volatile *pu64Last, uint64_t u64Now) {
    uint64_t const u64Prev = __atomic_exchange_n(pu64Last, u64Now, __ATOMIC_RELAXED);
    return u64Now >= u64Prev ? u64Now - u64Prev : 0;
}

// Writes u with exactly cchField characters: zero-filled hexadecimal, or decimal right-aligned
// with spaces (wider values take the room they need).
static size_t rtLogPutField(char *pch, uint64_t u, unsigned cchField, bool fDecimal) {
    if (!fDecimal) return rtstrFormatHex(pch, u, cchField);
    char achDigits[32];
    size_t const cchDigits = rtstrFormatDec(achDigits, u, false);
    size_t cchPad = cchDigits < cchField ? cchField - cchDigits : 0;
    memset(pch, ' ', cchPad);
    memcpy(&pch[cchPad], achDigits, cchDigits);
    return cchPad + cchDigits;
}

// Decimal, zero-filled to at least cchMin digits.
static size_t rtLogPutDecZero(char *pch, uint64_t u, unsigned cchMin) {
    char achDigits[32];
    size_t const cchDigits = rtstrFormatDec(achDigits, u, false);
    size_t const cchPad = cchDigits < cchMin ? cchMin - cchDigits : 0;
    memset(pch, '0', cchPad);
    memcpy(&pch[cchPad], achDigits, cchDigits);
    return cchPad + cchDigits;
}

// "hh:mm:ss.uuuuuu" (the hours take more digits when there are more).
static size_t rtLogPutClock(char *pch, uint64_t cHours, unsigned uMinute, unsigned uSecond, uint32_t uMicro) {
    size_t off = rtLogPutDecZero(pch, cHours, 2);
    pch[off++] = ':';
    off += rtLogPutDecZero(&pch[off], uMinute, 2);
    pch[off++] = ':';
    off += rtLogPutDecZero(&pch[off], uSecond, 2);
    pch[off++] = '.';
    off += rtLogPutDecZero(&pch[off], uMicro, 6);
    return off;
}

// A name cut to 16 characters and padded with spaces to 8 (the separating space makes 9).
static size_t rtLogPutName(char *pch, const char *pszName) {
    size_t cch = 0;
    if (RT_VALID_PTR(pszName))
        while (cch < 16 && pszName[cch]) {
            pch[cch] = pszName[cch];
            cch++;
        }
    while (cch < 8) pch[cch++] = ' ';
    return cch;
}

// The level the group and the message have in common.
static const char *rtLogLevelName(uint32_t fCommon) {
    static const char *const s_apszLevels[] = {"level 1", "level 2", "level 3", "level 4",  "level 5",  "level 6",
                                               "level 7", "level 8", "level 9", "level 10", "level 11", "level 12"};
    if (fCommon == 0) return "--------";
    if (fCommon & (fCommon - 1)) return "????????";
    if (fCommon == RTLOGGRPFLAGS_ENABLED) return "enabled";
    if (fCommon == RTLOGGRPFLAGS_FLOW) return "flow";
    if (fCommon == RTLOGGRPFLAGS_WARN) return "warn";
    for (unsigned i = 0; i < RT_ELEMENTS(s_apszLevels); i++)
        if (fCommon == RTLOGGRPFLAGS_LEVEL_1 << i) return s_apszLevels[i];
    return "????????";
}

size_t rtlogFormatPrefixes(RTLOGGER *pLogger, char *pchBuf, uint32_t fMsgFlags, uint32_t iGroup) {
    uint32_t const fFlags = pLogger->fFlags;
    bool const fDecimal = (fFlags & RTLOGFLAGS_DECIMAL_TS) != 0;
    char *pch = pchBuf;

    if (fFlags & RTLOGFLAGS_PREFIX_TS) {
        uint64_t u64 = RTTimeNanoTS();
        if (fFlags & RTLOGFLAGS_REL_TS) u64 = rtLogRelative(&g_u64LogLastTs, u64);
        pch += rtLogPutField(pch, u64, 16, fDecimal);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_TSC) {
        uint64_t u64 = rtLogReadTsc();
        if (fFlags & RTLOGFLAGS_REL_TS) u64 = rtLogRelative(&g_u64LogLastTsc, u64);
        pch += rtLogPutField(pch, u64, 16, fDecimal);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_MS_PROG) {
        pch += rtLogPutDecZero(pch, rtlogNanoSinceProgramStart() / UINT64_C(1000000), 9);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_TIME) {
        RTLOGTIME Time;
        rtlogTimeExplode(rtlogNativeUtcNanoTS(), &Time);
        pch += rtLogPutClock(pch, Time.u8Hour, Time.u8Minute, Time.u8Second, Time.u32Nanosecond / 1000);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_TIME_PROG) {
        uint64_t const cMicros = rtlogNanoSinceProgramStart() / 1000;
        // 64-bit divisions only, no 64-bit remainders (each needs a helper of its own on x86).
        uint64_t const cSecs = cMicros / 1000000;
        uint64_t const cHours = cSecs / 3600;
        uint32_t const cSecsOfHour = (uint32_t)(cSecs - cHours * 3600);
        pch += rtLogPutClock(pch, cHours, cSecsOfHour / 60, cSecsOfHour % 60, (uint32_t)(cMicros - cSecs * 1000000));
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_PID) {
        pch += rtstrFormatHex(pch, RTProcSelf(), 8);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_TID) {
        pch += rtstrFormatHex(pch, RTThreadNativeSelf(), 8);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_THREAD) {
        pch += rtLogPutName(pch, RTThreadSelfName());
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_CPUID) {
        pch += rtstrFormatHex(pch, rtLogApicId(), 2);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_CUSTOM) {
        RTLOGGERINTERNAL *pInt = pLogger->pInt;
        if (pInt->pfnPrefix) {
            size_t const cch = pInt->pfnPrefix(pLogger, pch, RTLOG_CUSTOM_PREFIX_MAX, pInt->pvPrefixUserArg);
            pch += RT_MIN(cch, (size_t)RTLOG_CUSTOM_PREFIX_MAX);
        }
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_LOCK_COUNTS) {
        RTTHREADINT *pThread = (RTTHREADINT *)RTThreadSelf();
        if (pThread) {
            uint32_t const cReadLocks = pThread->LockValidator.cReadLocks;
            uint32_t const cWriteLocks = pThread->LockValidator.cWriteLocks - pLogger->pInt->cLockCntCalibration;
            pch += rtstrFormatHex(pch, RT_MIN(cReadLocks, 0xfffU), 1);
            *pch++ = '/';
            pch += rtstrFormatHex(pch, RT_MIN(cWriteLocks, 0xfffU), 1);
        } else {
            memcpy(pch, "?/?", 3);
            pch += 3;
        }
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_FLAG_NO) {
        pch += rtstrFormatHex(pch, fMsgFlags, 8);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_FLAG) {
        const char *pszName = NULL;
        if (iGroup != RTLOG_NO_GROUP && iGroup < pLogger->pInt->cGroups) pszName = pLogger->pInt->papszGroups[iGroup];
        pch += rtLogPutName(pch, pszName);
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_GROUP_NO) {
        if (iGroup != RTLOG_NO_GROUP)
            pch += rtstrFormatHex(pch, iGroup, 3);
        else {
            memcpy(pch, "-1  ", 4);
            pch += 4;
        }
        *pch++ = ' ';
    }
    if (fFlags & RTLOGFLAGS_PREFIX_GROUP) {
        uint32_t fCommon = fMsgFlags;
        if (iGroup != RTLOG_NO_GROUP) fCommon &= pLogger->afGroups[iGroup];
        pch += rtLogPutName(pch, rtLogLevelName(fCommon));
        *pch++ = ' ';
    }
    return (size_t)(pch - pchBuf);
}
