// The UTC calendar fields of a point in time, for the log file's name, its header and the
// "time" prefix.
#include <qrt/types.h>

#include "common/log/log-internal.h"

#define RTLOG_NS_PER_SEC UINT64_C(1000000000)
#define RTLOG_SECS_PER_DAY 86400U
// Days in a 400-year era of the Gregorian calendar.
#define RTLOG_DAYS_PER_ERA 146097U

// 64-bit divisions only where the values need them, unsigned and without remainders: on
// 32-bit x86 each signed or remainder form links a helper of its own.
void rtlogTimeExplode(int64_t i64NanoUtc, RTLOGTIME *pTime) {
    // Floor division by a second: biased by 2^63 into the unsigned range, divided, unbiased
    // (2^63 = 9223372036 s + 854775808 ns).
    uint64_t const uBiased = (uint64_t)i64NanoUtc ^ (UINT64_C(1) << 63);
    uint64_t uBiasedSecs = uBiased / RTLOG_NS_PER_SEC;
    uint32_t uNanos = (uint32_t)(uBiased - uBiasedSecs * RTLOG_NS_PER_SEC);
    if (uNanos >= 854775808U)
        uNanos -= 854775808U;
    else {
        uNanos += (uint32_t)(RTLOG_NS_PER_SEC - 854775808U);
        uBiasedSecs--;
    }

    // Whole days, counted from one era before 1970 so that the count is never negative (the
    // seconds of a 64-bit nanosecond count span less than 300 years either side of 1970).
    uint64_t const uSecsFromEra =
        uBiasedSecs - UINT64_C(9223372036) + (uint64_t)RTLOG_DAYS_PER_ERA * RTLOG_SECS_PER_DAY;
    uint32_t const cDaysFromEra = (uint32_t)(uSecsFromEra / RTLOG_SECS_PER_DAY);
    // The remainder fits in 32 bits, so the low halves give it.
    uint32_t const cSecsOfDay = (uint32_t)uSecsFromEra - cDaysFromEra * RTLOG_SECS_PER_DAY;
    pTime->u32Nanosecond = uNanos;
    pTime->u8Hour = (uint8_t)(cSecsOfDay / 3600);
    pTime->u8Minute = (uint8_t)(cSecsOfDay / 60 % 60);
    pTime->u8Second = (uint8_t)(cSecsOfDay % 60);

    // Days to a civil date in eras that start on 1 March, so that the leap day falls at the
    // end of each year of the era: days counted from 0000-03-01 (the era added above taken off
    // again), never negative.
    uint32_t const uShifted = cDaysFromEra + 719468U - RTLOG_DAYS_PER_ERA;
    uint32_t const uEra = uShifted / RTLOG_DAYS_PER_ERA;
    uint32_t const uDayOfEra = uShifted - uEra * RTLOG_DAYS_PER_ERA;
    uint32_t const uYearOfEra = (uDayOfEra - uDayOfEra / 1460 + uDayOfEra / 36524 - uDayOfEra / 146096) / 365;
    uint32_t const uDayOfYear = uDayOfEra - (365 * uYearOfEra + uYearOfEra / 4 - uYearOfEra / 100);
    uint32_t const uMonthFromMarch = (5 * uDayOfYear + 2) / 153;
    uint32_t const uMonth = uMonthFromMarch < 10 ? uMonthFromMarch + 3 : uMonthFromMarch - 9;
    pTime->u8Day = (uint8_t)(uDayOfYear - (153 * uMonthFromMarch + 2) / 5 + 1);
    pTime->u8Month = (uint8_t)uMonth;
    pTime->i32Year = (int32_t)(uYearOfEra + uEra * 400 + (uMonth <= 2 ? 1 : 0));
}
