// The UTC calendar breakdown behind the log file's name, its header and the "time" prefix.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/log/log-internal.h"

namespace {

std::string tstLogTimeString(int64_t i64Nano) {
    RTLOGTIME Time;
    rtlogTimeExplode(i64Nano, &Time);
    char szBuf[64];
    snprintf(szBuf, sizeof(szBuf), "%04d-%02u-%02u %02u:%02u:%02u.%09u", (int)Time.i32Year, Time.u8Month, Time.u8Day,
             Time.u8Hour, Time.u8Minute, Time.u8Second, (unsigned)Time.u32Nanosecond);
    return szBuf;
}

TEST(LogTime, ExplodeUtc) {
    const struct {
        int iLine;
        int64_t i64Nano;
        const char *pszExpect;
    } aCases[] = {
        {__LINE__, 0, "1970-01-01 00:00:00.000000000"},
        {__LINE__, -1, "1969-12-31 23:59:59.999999999"},
        {__LINE__, INT64_C(-86400000000000), "1969-12-31 00:00:00.000000000"},
        {__LINE__, INT64_C(951782400000000000), "2000-02-29 00:00:00.000000000"}, // leap century
        {__LINE__, INT64_C(1709164800000000000), "2024-02-29 00:00:00.000000000"},
        {__LINE__, INT64_C(1709251199999999999), "2024-02-29 23:59:59.999999999"},
        {__LINE__, INT64_C(1709251200000000000), "2024-03-01 00:00:00.000000000"},
        {__LINE__, INT64_C(4107456000000000000), "2100-02-28 00:00:00.000000000"}, // no leap day
        {__LINE__, INT64_C(4107542400000000000), "2100-03-01 00:00:00.000000000"},
        {__LINE__, INT64_C(1706706309420000000), "2024-01-31 13:05:09.420000000"},
        {__LINE__, INT64_C(1735689599000000000), "2024-12-31 23:59:59.000000000"},
        {__LINE__, INT64_MAX, "2262-04-11 23:47:16.854775807"},
        {__LINE__, INT64_MIN, "1677-09-21 00:12:43.145224192"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.pszExpect, tstLogTimeString(c.i64Nano));
    }
}

TEST(LogTime, WallClockIsNear) {
    // The platform's UTC clock against the C library's.
    int64_t const i64Now = rtlogNativeUtcNanoTS();
    int64_t const i64Ref = (int64_t)time(nullptr) * INT64_C(1000000000);
    EXPECT_LT(i64Ref - INT64_C(5000000000), i64Now);
    EXPECT_GT(i64Ref + INT64_C(5000000000), i64Now);
}

} // namespace
