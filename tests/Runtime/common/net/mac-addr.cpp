// Ethernet MAC addresses in compact and colon form.
#include <qrt/err.h>
#include <qrt/net.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct MacCase {
    const char *psz;
    int rc;
    uint8_t ab[6];
};

// clang-format off
const MacCase g_aCases[] = {
    {"00:1A:2b:3C:4d:5E",      QINF_SUCCESS, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
    {"0:1a:2b:3c:4d:5e",       QINF_SUCCESS, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
    {"001A2B3C4D5E",           QINF_SUCCESS, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
    {"001a2b3c4d5e \t\n\r\v\f", QINF_SUCCESS, {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}},
    {"1::::5:6",               QINF_SUCCESS, {0x01, 0x00, 0x00, 0x00, 0x05, 0x06}},
    {"ff:ff:ff:ff:ff:ff",      QINF_SUCCESS, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff}},
    {" \t 0:1:2:3:4:5",        QINF_SUCCESS, {0, 1, 2, 3, 4, 5}},
    {"0:1:2:3:4:5 \t",         QINF_SUCCESS, {0, 1, 2, 3, 4, 5}},
    {"0x1:2:3:4:5:0x6",        QINF_SUCCESS, {1, 2, 3, 4, 5, 6}},
    {"+1:2:3:4:5:6",           QINF_SUCCESS, {1, 2, 3, 4, 5, 6}},
    {"000001:2:3:4:5:6",       QINF_SUCCESS, {1, 2, 3, 4, 5, 6}},
    {"00-1A-2B-3C-4D-5E",      QERR_INVALID_PARAMETER, {}},
    {"1:2:3:4:5:100",          QERR_INVALID_PARAMETER, {}},
    {"100:2:3:4:5:6",          QERR_INVALID_PARAMETER, {}},
    {"-1:2:3:4:5:6",           QERR_INVALID_PARAMETER, {}},
    {"1:-0:3:4:5:6",           QERR_INVALID_PARAMETER, {}},
    {"1:2:3:4:5",              QERR_INVALID_PARAMETER, {}},
    {"1:2:3:4:5:6:7",          QERR_INVALID_PARAMETER, {}},
    {"1:2:3:4:5:6 x",          QERR_INVALID_PARAMETER, {}},
    {"1:2:3:4:5:6\n",          QERR_INVALID_PARAMETER, {}}, // the number itself only allows spaces and tabs
    {"1 :2:3:4:5:6",           QERR_INVALID_PARAMETER, {}},
    {"001A2B3C4D5",            QERR_INVALID_PARAMETER, {}},
    {"001A2B3C4D5E6",          QERR_INVALID_PARAMETER, {}},
    {"001A2B3C4D5Ex",          QERR_INVALID_PARAMETER, {}},
    {" 001A2B3C4D5E",          QERR_INVALID_PARAMETER, {}},
    {"001A2B3C4D:E",           QERR_INVALID_PARAMETER, {}},
    // Conversion failures of a group come back as they are.
    {"",                       QERR_NO_DIGITS, {}},
    {":1:2:3:4:5",             QERR_NO_DIGITS, {}},
    {"1:2:3:4:5:",             QERR_NO_DIGITS, {}},
    {"1:2:3:4:5: 6",           QERR_NO_DIGITS, {}},
    {"g:1:2:3:4:5",            QERR_NO_DIGITS, {}},
    {"1:2",                    QERR_INVALID_PARAMETER, {}},
};
// clang-format on

TEST(NetStrToMacAddr, Table) {
    for (const MacCase &c : g_aCases) {
        SCOPED_TRACE(c.psz);
        RTMAC Mac;
        memset(&Mac, 0xa5, sizeof(Mac));
        EXPECT_EQ(RTNetStrToMacAddr(c.psz, &Mac), c.rc);
        if (c.rc == QINF_SUCCESS)
            EXPECT_EQ(0, memcmp(Mac.au8, c.ab, 6));
        else
            for (uint8_t b : Mac.au8) EXPECT_EQ(b, 0xa5); // untouched on failure
    }
}

TEST(NetStrToMacAddr, AbsentArguments) {
    RTMAC Mac;
    EXPECT_EQ(RTNetStrToMacAddr(NULL, &Mac), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToMacAddr("001A2B3C4D5E", NULL), QERR_INVALID_PARAMETER);
}

} // namespace
