// Dotted IPv4 addresses: the extended form with its stop position and the whole-string form.
#include <qrt/err.h>
#include <qrt/net.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

struct AddrCase {
    const char *psz;
    int rcEx;    // RTNetStrToIPv4AddrEx
    int rcWhole; // RTNetStrToIPv4Addr
    uint8_t ab[4];
    size_t offStop; // Ex only, when it succeeds
};

// clang-format off
const AddrCase g_aCases[] = {
    {"1.2.3.4",           QINF_SUCCESS,         QINF_SUCCESS,           {1, 2, 3, 4}, 7},
    {"255.255.255.255",   QINF_SUCCESS,         QINF_SUCCESS,           {255, 255, 255, 255}, 15},
    {"0.0.0.0",           QINF_SUCCESS,         QINF_SUCCESS,           {0, 0, 0, 0}, 7},
    {"010.001.0.09",      QINF_SUCCESS,         QINF_SUCCESS,           {10, 1, 0, 9}, 12}, // never octal
    {"+1.2.3.4",          QINF_SUCCESS,         QINF_SUCCESS,           {1, 2, 3, 4}, 8},
    {"1.2.3.4 ",          QWRN_TRAILING_SPACES, QINF_SUCCESS,           {1, 2, 3, 4}, 7},
    {"1.2.3.4 \t",        QWRN_TRAILING_SPACES, QINF_SUCCESS,           {1, 2, 3, 4}, 7},
    {"1.2.3.4x",          QWRN_TRAILING_CHARS,  QERR_INVALID_PARAMETER, {1, 2, 3, 4}, 7},
    {"1.2.3.4.5",         QWRN_TRAILING_CHARS,  QERR_INVALID_PARAMETER, {1, 2, 3, 4}, 7},
    {"1.2.3.4/24",        QWRN_TRAILING_CHARS,  QERR_INVALID_PARAMETER, {1, 2, 3, 4}, 7},
    {"1.2.3.4\n",         QWRN_TRAILING_CHARS,  QERR_INVALID_PARAMETER, {1, 2, 3, 4}, 7},
    {" 1.2.3.4",          QERR_INVALID_PARAMETER, QINF_SUCCESS,         {1, 2, 3, 4}, 0},
    {"\t\n\v\f\r 1.2.3.4", QERR_INVALID_PARAMETER, QINF_SUCCESS,        {1, 2, 3, 4}, 0},
    {"256.0.0.1",         QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1.2.3.256",         QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"-1.0.0.0",          QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1.2.3.-0",          QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1.2.3",             QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1.2.3.",            QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1..3.4",            QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1 .2.3.4",          QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1. 2.3.4",          QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"0x1.2.3.4",         QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"1:2:3:4",           QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
    {"",                  QERR_INVALID_PARAMETER, QERR_INVALID_PARAMETER, {}, 0},
};
// clang-format on

TEST(NetStrToIPv4Addr, ExTable) {
    for (const AddrCase &c : g_aCases) {
        SCOPED_TRACE(c.psz);
        RTNETADDRIPV4 Addr;
        Addr.u = 0xa5a5a5a5;
        char *pszNext = NULL;
        int rc = RTNetStrToIPv4AddrEx(c.psz, &Addr, &pszNext);
        EXPECT_EQ(rc, c.rcEx);
        if (RT_SUCCESS(c.rcEx)) {
            EXPECT_EQ(0, memcmp(Addr.au8, c.ab, 4));
            EXPECT_EQ(pszNext, c.psz + c.offStop);
        } else {
            EXPECT_EQ(Addr.u, 0xa5a5a5a5u); // untouched on failure
            EXPECT_EQ(pszNext, nullptr);
        }
    }
}

TEST(NetStrToIPv4Addr, WholeStringTable) {
    for (const AddrCase &c : g_aCases) {
        SCOPED_TRACE(c.psz);
        RTNETADDRIPV4 Addr;
        Addr.u = 0xa5a5a5a5;
        EXPECT_EQ(RTNetStrToIPv4Addr(c.psz, &Addr), c.rcWhole);
        if (c.rcWhole == QINF_SUCCESS)
            EXPECT_EQ(0, memcmp(Addr.au8, c.ab, 4));
        else
            EXPECT_EQ(Addr.u, 0xa5a5a5a5u);
    }
}

TEST(NetStrToIPv4Addr, AbsentArguments) {
    RTNETADDRIPV4 Addr;
    EXPECT_EQ(RTNetStrToIPv4AddrEx(NULL, &Addr, NULL), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4AddrEx("1.2.3.4", NULL, NULL), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4Addr(NULL, &Addr), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4Addr("1.2.3.4", NULL), QERR_INVALID_PARAMETER);
    EXPECT_EQ(RTNetStrToIPv4AddrEx("1.2.3.4", &Addr, NULL), QINF_SUCCESS); // stop position optional
}

} // namespace
