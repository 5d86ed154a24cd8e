// IPv4 networks with an optional prefix length.
#include <qrt/err.h>
#include <qrt/net.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

namespace {

struct CidrCase {
    const char *psz;
    int rc;
    uint32_t uNetwork;
    uint32_t uMask;
};

// clang-format off
const CidrCase g_aCases[] = {
    {"192.168.0.0/16",   QINF_SUCCESS, 0xC0A80000, 0xFFFF0000},
    {"10/8",             QINF_SUCCESS, 0x0A000000, 0xFF000000},
    {"172.16/12",        QINF_SUCCESS, 0xAC100000, 0xFFF00000},
    {"10.0.0/24",        QINF_SUCCESS, 0x0A000000, 0xFFFFFF00},
    {"10.0.0.0/24",      QINF_SUCCESS, 0x0A000000, 0xFFFFFF00},
    {"1.2.3.4",          QINF_SUCCESS, 0x01020304, 0xFFFFFFFF},
    {"1.2.3.4/32",       QINF_SUCCESS, 0x01020304, 0xFFFFFFFF},
    {"1.2.3.4/032",      QINF_SUCCESS, 0x01020304, 0xFFFFFFFF}, // decimal, not octal
    {"128.0.0.0/1",      QINF_SUCCESS, 0x80000000, 0x80000000},
    {"0.0.0.0/0",        QINF_SUCCESS, 0,          0},
    {"0/0",              QINF_SUCCESS, 0,          0},
    {"255.255.255.254/31", QINF_SUCCESS, 0xFFFFFFFE, 0xFFFFFFFE},
    {"10/+8",            QINF_SUCCESS, 0x0A000000, 0xFF000000},
    {"192.168.0.0/33",   QERR_INVALID_PARAMETER, 0, 0},
    {"192.168.0.0/16 ",  QERR_INVALID_PARAMETER, 0, 0},
    {"192.168.0.0/16x",  QERR_INVALID_PARAMETER, 0, 0},
    {"192.168.0.0/",     QERR_INVALID_PARAMETER, 0, 0},
    {"192.168.0.0/-0",   QERR_INVALID_PARAMETER, 0, 0},
    {"192.168.0.0/256",  QERR_INVALID_PARAMETER, 0, 0},
    {"1.2.3.4/32/",      QERR_INVALID_PARAMETER, 0, 0},
    {"10.1.0.0/8",       QERR_INVALID_PARAMETER, 0, 0},
    {"10/0",             QERR_INVALID_PARAMETER, 0, 0},
    {"0.0.0.0",          QERR_INVALID_PARAMETER, 0, 0},
    {"0.1.2.3/8",        QERR_INVALID_PARAMETER, 0, 0},
    {"0.0.0.0/32",       QERR_INVALID_PARAMETER, 0, 0},
    {"10/16",            QERR_INVALID_PARAMETER, 0, 0}, // too few dots for the prefix length
    {"10.0/24",          QERR_INVALID_PARAMETER, 0, 0},
    {"10.0.0/25",        QERR_INVALID_PARAMETER, 0, 0},
    {"1.2.3",            QERR_INVALID_PARAMETER, 0, 0},
    {"1.2.3.4.5",        QERR_INVALID_PARAMETER, 0, 0},
    {"1.2.3.4.5/32",     QERR_INVALID_PARAMETER, 0, 0},
    {"1.2.3.0./24",      QERR_INVALID_PARAMETER, 0, 0},
    {"256/8",            QERR_INVALID_PARAMETER, 0, 0},
    {"10 /8",            QERR_INVALID_PARAMETER, 0, 0},
    {" 10/8",            QERR_INVALID_PARAMETER, 0, 0},
    {"10..0.0/24",       QERR_INVALID_PARAMETER, 0, 0},
    {"/8",               QERR_INVALID_PARAMETER, 0, 0},
    {"",                 QERR_INVALID_PARAMETER, 0, 0},
};
// clang-format on

TEST(NetStrToIPv4Cidr, Table) {
    for (const CidrCase &c : g_aCases) {
        SCOPED_TRACE(c.psz);
        uint32_t uNetwork = 0x5a5a5a5a;
        uint32_t uMask = 0x5a5a5a5a;
        EXPECT_EQ(RTNetStrToIPv4Cidr(c.psz, &uNetwork, &uMask), c.rc);
        if (c.rc == QINF_SUCCESS) {
            EXPECT_EQ(uNetwork, c.uNetwork);
            EXPECT_EQ(uMask, c.uMask);
        } else {
            EXPECT_EQ(uNetwork, 0x5a5a5a5au);
            EXPECT_EQ(uMask, 0x5a5a5a5au);
        }
    }
}

TEST(NetStrToIPv4Cidr, EveryPrefixLengthGivesItsMask) {
    for (unsigned cBits = 1; cBits <= 32; cBits++) {
        char szText[32];
        snprintf(szText, sizeof(szText), "128.0.0.0/%u", cBits);
        uint32_t uNetwork = 0, uMask = 0;
        ASSERT_EQ(RTNetStrToIPv4Cidr(szText, &uNetwork, &uMask), QINF_SUCCESS) << szText;
        EXPECT_EQ(uMask, (uint32_t)(UINT64_C(0xFFFFFFFF00000000) >> cBits)) << szText;
        EXPECT_EQ(uNetwork, 0x80000000u);
    }
}

TEST(NetStrToIPv4Cidr, AbsentArguments) {
    uint32_t u1, u2;
    EXPECT_EQ(RTNetStrToIPv4Cidr(NULL, &u1, &u2), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4Cidr("10/8", NULL, &u2), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4Cidr("10/8", &u1, NULL), QERR_INVALID_PARAMETER);
}

} // namespace
