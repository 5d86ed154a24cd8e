// The UTC calendar fields of a point in time, for the log file's name, its header and the
// "time" prefix.
#include <qrt/types.h>

#include "common/log/log-internal.h"

#define RTLOG_NS_PER_SEC INT64_C(1000000000)
#define RTLOG_SECS_PER_DAY INT64_C(86400)

void rtlogTimeExplode(int64_t i64NanoUtc, RTLOGTIME *pTime) {
    // Floor division, so that instants before 1970 fall into the right second and day.
    int64_t cSecs = i64NanoUtc / RTLOG_NS_PER_SEC;
    int64_t cNanos = i64NanoUtc % RTLOG_NS_PER_SEC;
    if (cNanos < 0) {
        cNanos += RTLOG_NS_PER_SEC;
        cSecs--;
    }
    int64_t cDays = cSecs / RTLOG_SECS_PER_DAY;
    int64_t cSecsOfDay = cSecs % RTLOG_SECS_PER_DAY;
    if (cSecsOfDay < 0) {
        cSecsOfDay += RTLOG_SECS_PER_DAY;
        cDays--;
    }
    pTime->u32Nanosecond = (uint32_t)cNanos;
    pTime->u8Hour = (uint8_t)(cSecsOfDay / 3600);
    pTime->u8Minute = (uint8_t)(cSecsOfDay / 60 % 60);
    pTime->u8Second = (uint8_t)(cSecsOfDay % 60);

    // Days to a civil date in 400-year eras of 146097 days that start on 1 March, so that the
    // leap day falls at the end of each year of the era.
    int64_t const iShifted = cDays + 719468;
    int64_t const iEra = (iShifted >= 0 ? iShifted : iShifted - 146096) / 146097;
    int64_t const iDayOfEra = iShifted - iEra * 146097;
    int64_t const iYearOfEra = (iDayOfEra - iDayOfEra / 1460 + iDayOfEra / 36524 - iDayOfEra / 146096) / 365;
    int64_t const iDayOfYear = iDayOfEra - (365 * iYearOfEra + iYearOfEra / 4 - iYearOfEra / 100);
    int64_t const iMonthFromMarch = (5 * iDayOfYear + 2) / 153;
    int64_t const iMonth = iMonthFromMarch < 10 ? iMonthFromMarch + 3 : iMonthFromMarch - 9;
    pTime->u8Day = (uint8_t)(iDayOfYear - (153 * iMonthFromMarch + 2) / 5 + 1);
    pTime->u8Month = (uint8_t)iMonth;
    pTime->i32Year = (int32_t)(iYearOfEra + iEra * 400 + (iMonth <= 2 ? 1 : 0));
}
