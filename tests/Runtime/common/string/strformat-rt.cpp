// The "%R" runtime types: dispatch, custom types, named value types, status codes and
// Windows errors.
#include "strformat-test-util.h"

#include <cstdint>

#include <qrt/err.h>
#include <qrt/net.h>
#include <qrt/uuid.h>

namespace {

TEST(StrFormatRtDispatch, UnknownTypesPrintNothing) {
    EXPECT_EQ(Fmt("[%Rq]"), "[]");
    EXPECT_EQ(Fmt("%RZzz"), "zz");
    EXPECT_EQ(Fmt("%RTxyz"), "xyz");
    EXPECT_EQ(Fmt("%RUx|%d", 5), "x|5"); // no argument taken for an unknown name
    EXPECT_EQ(Fmt("ab%R"), "ab");
    EXPECT_EQ(Fmt("ab%RT"), "ab");
    EXPECT_EQ(Fmt("ab%RU3"), "ab3");
}

TEST(StrFormatRtCustom, MissingMarker) {
    EXPECT_EQ(Fmt("%R[foo]", (void *)NULL), "<missing:%R[foo]>");
    EXPECT_EQ(Fmt("%R[]", (void *)NULL), "<missing:%R[]>");
    EXPECT_EQ(Fmt("a%R[x.y z]b", (void *)NULL), "a<missing:%R[x.y z]>b");
    EXPECT_EQ(Fmt("%-20R[foo]|", (void *)NULL), "<missing:%R[foo]>|");
}

TEST(StrFormatRtCustom, UnterminatedNameIsFormatText) {
    // The argument is taken first either way.
    EXPECT_EQ(Fmt("%R[foo|%d", (void *)NULL, 7), "foo|7");
    EXPECT_EQ(Fmt("%R[fo%d]", (void *)NULL, 7), "fo7]");
    EXPECT_EQ(Fmt("%R[a[b]", (void *)NULL), "a[b]");
}

TEST(StrFormatRtStatus, Names) {
    EXPECT_EQ(Fmt("%Rrc", 0), "QINF_SUCCESS");
    EXPECT_EQ(Fmt("%Rrc", -102), "QERR_FILE_NOT_FOUND");
    EXPECT_EQ(Fmt("%Rrs", -102), "File not found.");
    EXPECT_EQ(Fmt("%Rrf", -102), "File not found.");
    EXPECT_EQ(Fmt("%20Rrc|", 0), "QINF_SUCCESS|");
    EXPECT_EQ(Fmt("%-#.3Rrc|", 0), "QINF_SUCCESS|");
    EXPECT_EQ(Fmt("%Rra", -41), "QERR_BUFFER_OVERFLOW (-41) - Buffer too small to save result.");
    EXPECT_EQ(Fmt("rc=%Rrc (%d)", -41, 3), "rc=QERR_BUFFER_OVERFLOW (3)");
}

TEST(StrFormatRtStatus, UnknownCodes) {
    EXPECT_EQ(Fmt("%Rrc", -99999), "Unknown Status -99999 (0xfffe7961)");
    EXPECT_EQ(Fmt("%Rrs", -99999), "Unknown Status -99999 (0xfffe7961)");
    EXPECT_EQ(Fmt("%Rrf", -99999), "Unknown Status -99999 (0xfffe7961)");
    EXPECT_EQ(Fmt("%Rra", 12345), "Unknown Status 12345 (0x3039) (12345) - Unknown Status 12345 (0x3039)");
}

TEST(StrFormatRtStatus, UnknownSubCharacter) {
    EXPECT_EQ(Fmt("[%Rrx]|%d", -102, 5), "[]|5");
    EXPECT_EQ(Fmt("ab%Rr", -102), "ab");
}

TEST(StrFormatRtWinErr, Forms) {
    EXPECT_EQ(Fmt("%Rwc", 5u), "ERROR_ACCESS_DENIED");
    EXPECT_EQ(Fmt("%Rwf", 5u), "Access is denied.");
    EXPECT_EQ(Fmt("%Rwa", 5u), "ERROR_ACCESS_DENIED (0x00000005) - Access is denied.");
    EXPECT_EQ(Fmt("%Rhrc", 5u), "ERROR_ACCESS_DENIED");
    EXPECT_EQ(Fmt("%Rhrf", 5u), "Access is denied.");
    EXPECT_EQ(Fmt("%Rhra", 5u), "ERROR_ACCESS_DENIED (0x00000005) - Access is denied.");
    EXPECT_EQ(Fmt("[%Rws]|%d", 5u, 1), "[]|1");
    EXPECT_EQ(Fmt("[%Rhrs]|%d", 5u, 1), "[]|1");
    EXPECT_EQ(Fmt("ab%Rw", 5u), "ab");
    EXPECT_EQ(Fmt("ab%Rhr", 5u), "ab");
}

struct U32Case {
    const char *pszFormat;
    uint32_t uValue;
    const char *pszExpected;
};

const U32Case g_aU32Cases[] = {
    {"%RX32", 0xabcdef, "abcdef"},
    {"%08RX32", 0xabc, "00000abc"},
    {"%#010RX32", 0xabc, "0x00000abc"},
    {"%#RX32", 0xabc, "0xabc"},
    {"%RI32", (uint32_t)-5, "-5"},
    {"%RU32", 0xffffffff, "4294967295"},
    {"%RU32x", 5, "5x"},
    {"%'RU32", 1234567, "1 234 567"},
    {"%RU8", 0x1ff, "255"},
    {"%RX8", 0x1ff, "ff"},
    {"%RU16", 0x12345, "9029"},
    {"%RX16", 0x12345, "2345"},
    {"%RI8", (uint32_t)-1, "-1"},
    {"%RI16", (uint32_t)-300, "-300"},
    {"%RI8", 0x1ff, "511"}, // signed types are not narrowed
    {"%5RU8|", 7, "    7|"},
    {"%RTbool", 1, "true "},
    {"%RTbool", 0, "false"},
    {"%RTbool", 5, "!5!"},
    {"%RTbool", 0x100, "false"},
    {"%RTbool", 0x101, "true "},
    {"%RTbool", 0xff, "!255!"},
    {"%10RTbool|", 1, "true |"},
    {"%RTnthrd", 0x1a2b, "00001a2b"},
    {"%#RTnthrd", 0x1a2b, "0x00001a2b"},
    {"%-12RTnthrd|", 0x1a2b, "1a2b        |"},
    {"%12RTnthrd|", 0x1a2b, "        1a2b|"},
    {"%RTthrd", 0xdeadbeef, "deadbeef"},
    {"%RTsel", 0x1b, "001b"},
    {"%RTiop", 0x12345, "2345"},
    {"%RTutf16", 0x41, "0041"},
    {"%RTunicp", 0x1f600, "0001f600"},
    {"%RTfmode", 0x81a4, "000081a4"},
    {"%RKv", 0x12345678, "XXXXXXXX"},
    {"%#RKv", 0x12345678, "0xXXXXXXXX"},
    {"%20.10RKv|", 0x12345678, "XXXXXXXX|"},
    {"%RTfp16", 0xfffffffe, "ffff:fffe"},
    {"%RTfp16", 0x001b0010, "001b:0010"},
    {"%RTint", (uint32_t)-7, "-7"},
    {"%RTuint", 7, "7"},
    {"%RTxint", 255, "ff"},
    {"%RTsock", 12, "12"},
    {"%RTuid", (uint32_t)-2, "-2"},
    {"%RTgid", 100, "100"},
    {"%RTfile", 3, "3"},
    {"%RTproc", 0x4d2, "000004d2"},
    {"%RTreg", 0x10, "00000010"},
    {"%RTldrm", 0x400000, "00400000"},
    {"%RTsem", 0x1, "00000001"},
    {"%RCi", (uint32_t)-1, "-1"},
    {"%RCx", 0xAB, "ab"},
    {"%RCv", 0xAB, "000000ab"},
    {"%RRv", 0xAB, "000000ab"},
    {"%RHu", 42, "42"},
};

class RtU32 : public testing::TestWithParam<U32Case> {};

TEST_P(RtU32, Formats) {
    const U32Case &c = GetParam();
    EXPECT_EQ(Fmt(c.pszFormat, c.uValue), c.pszExpected) << c.pszFormat << " of " << c.uValue;
}

INSTANTIATE_TEST_SUITE_P(StrFormatRtValue, RtU32, testing::ValuesIn(g_aU32Cases));

struct U64Case {
    const char *pszFormat;
    uint64_t uValue;
    const char *pszExpected;
};

const U64Case g_aU64Cases[] = {
    {"%RU64", 1234567, "1234567"},
    {"%'RU64", 1234567, "1 234 567"},
    {"%#RX64", 0x1122334455ULL, "0x1122334455"},
    {"%RX64", UINT64_MAX, "ffffffffffffffff"},
    {"%RU64", UINT64_MAX, "18446744073709551615"},
    {"%RI64", 0x8000000000000000ULL, "-9223372036854775808"},
    {"%RI64", 0xffffffffULL, "4294967295"},
    {"%RTfoff", (uint64_t)-1, "-1"},
    {"%RTptr", 0x1234, "0000000000001234"},
    {"%#RTptr", 0x1234, "0x0000000000001234"},
    {"%RTino", 0xabc, "0000000000000abc"},
    {"%RGi", (uint64_t)-3, "-3"},
    {"%RGp", 1, "0000000000000001"},
    {"%RGx", 0xABC, "abc"},
    {"%RCp", 2, "0000000000000002"},
    {"%RHp", 3, "0000000000000003"},
};

class RtU64 : public testing::TestWithParam<U64Case> {};

TEST_P(RtU64, Formats) {
    const U64Case &c = GetParam();
    EXPECT_EQ(Fmt(c.pszFormat, c.uValue), c.pszExpected) << c.pszFormat << " of " << c.uValue;
}

INSTANTIATE_TEST_SUITE_P(StrFormatRtValue, RtU64, testing::ValuesIn(g_aU64Cases));

TEST(StrFormatRtValue, MixedArgumentsStayInStep) {
    EXPECT_EQ(
        Fmt("#%u: File size of '%s' changed: %'RU64, expected %'RU32", 3u, "a.msi", (uint64_t)1234567890, 1048576u),
        "#3: File size of 'a.msi' changed: 1 234 567 890, expected 1 048 576");
    EXPECT_EQ(Fmt("%RU8%RU64%RU16%RTbool", 1u, (uint64_t)2, 3u, 1u), "123true ");
}

TEST(StrFormatRtValue, FarPointers) {
    RTFAR32 Far32 = {0x12345678, 0x1b};
    EXPECT_EQ(Fmt("%RTfp32|%d", Far32, 9), "001b:12345678|9");
    RTFAR64 Far64 = {0x1122334455667788ULL, 0x2b};
    EXPECT_EQ(Fmt("%RTfp64|%d", Far64, 9), "002b:1122334455667788|9");
    RTFAR64 Far64Small = {0x10, 0x8};
    EXPECT_EQ(Fmt("%RTfp64", Far64Small), "0008:0000000000000010");
    static_assert(sizeof(RTFAR32) == 8, "8-byte slot");
    static_assert(sizeof(RTFAR64) == 12, "12-byte slot");
}

TEST(StrFormatRtValue, IPv4) {
    RTNETADDRIPV4 Addr;
    Addr.au8[0] = 127;
    Addr.au8[1] = 0;
    Addr.au8[2] = 0;
    Addr.au8[3] = 1;
    EXPECT_EQ(Fmt("%RTnaipv4", Addr.u), "127.0.0.1");
    Addr.au8[0] = 255;
    Addr.au8[3] = 254;
    EXPECT_EQ(Fmt("%RTnaipv4|", Addr.u), "255.0.0.254|");
}

RTNETADDRIPV6 IPv6(std::initializer_list<uint16_t> groups) {
    RTNETADDRIPV6 Addr;
    unsigned i = 0;
    for (uint16_t u : groups) {
        Addr.au8[2 * i] = (uint8_t)(u >> 8);
        Addr.au8[2 * i + 1] = (uint8_t)u;
        i++;
    }
    return Addr;
}

struct IPv6Case {
    RTNETADDRIPV6 Addr;
    const char *pszExpected;
};

TEST(StrFormatRtValue, IPv6) {
    const IPv6Case aCases[] = {
        {IPv6({0x2001, 0x0db8, 0, 0, 0, 0, 0, 1}), "2001:db8::1"},
        {IPv6({0, 0, 0, 0, 0, 0, 0, 0}), "::"},
        {IPv6({0, 0, 0, 0, 0, 0xffff, 0xc0a8, 0x0102}), "::ffff:192.168.1.2"},
        {IPv6({1, 0, 0, 2, 0, 0, 0, 3}), "1:0:0:2::3"},
        {IPv6({0, 0, 0, 0, 0, 0, 0x0102, 0x0304}), "::1.2.3.4"},
        {IPv6({0, 0, 0, 0, 0, 0, 0, 1}), "::1"},
        {IPv6({0, 0, 0, 0, 0xffff, 0, 0x0102, 0x0304}), "::ffff:0:1.2.3.4"},
        {IPv6({0, 0, 0, 0, 1, 0, 0x0102, 0x0304}), "::1:0:102:304"},
        {IPv6({0xfe80, 0, 0, 0, 0x1234, 0xabcd, 0, 0}), "fe80::1234:abcd:0:0"},
        {IPv6({1, 2, 3, 4, 5, 6, 7, 8}), "1:2:3:4:5:6:7:8"},
        {IPv6({1, 0, 3, 4, 5, 6, 7, 8}), "1:0:3:4:5:6:7:8"},
        {IPv6({1, 0, 0, 4, 0, 0, 7, 8}), "1::4:0:0:7:8"},
        {IPv6({1, 2, 3, 4, 5, 6, 0, 0}), "1:2:3:4:5:6::"},
        {IPv6({0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff, 0xffff}),
         "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff"},
    };
    for (const IPv6Case &c : aCases) EXPECT_EQ(Fmt("%RTnaipv6", &c.Addr), c.pszExpected);
    EXPECT_EQ(Fmt("%RTnaipv6", (void *)NULL), "<NULL>");
}

TEST(StrFormatRtValue, Mac) {
    RTMAC Mac = {{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}};
    EXPECT_EQ(Fmt("%RTmac", &Mac), "00:1a:2b:3c:4d:5e");
    EXPECT_EQ(Fmt("%RTmac", (void *)NULL), "<NULL>");
    EXPECT_EQ(Fmt("%RTmac", (void *)(intptr_t)-1), "<NULL>");
}

RTNETADDR NetAddr(uint32_t uType, uint32_t uPort) {
    RTNETADDR Addr;
    memset(&Addr, 0, sizeof(Addr));
    Addr.enmType = (RTNETADDRTYPE)uType;
    Addr.uPort = uPort;
    return Addr;
}

TEST(StrFormatRtValue, NetAddr) {
    RTNETADDR Addr = NetAddr(RTNETADDRTYPE_IPV4, RTNETADDR_PORT_NA);
    Addr.uAddr.au8[0] = 10;
    Addr.uAddr.au8[3] = 1;
    EXPECT_EQ(Fmt("%RTnaddr", &Addr), "10.0.0.1");
    Addr.uPort = 8080;
    EXPECT_EQ(Fmt("%RTnaddr", &Addr), "10.0.0.1:8080");
    Addr.uPort = 0;
    EXPECT_EQ(Fmt("%RTnaddr", &Addr), "10.0.0.1:0");

    RTNETADDR Addr6 = NetAddr(RTNETADDRTYPE_IPV6, 443);
    Addr6.uAddr.IPv6 = IPv6({0x2001, 0x0db8, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(Fmt("%RTnaddr", &Addr6), "[2001:db8::1]:443");
    Addr6.uPort = RTNETADDR_PORT_NA;
    EXPECT_EQ(Fmt("%RTnaddr", &Addr6), "2001:db8::1");

    RTNETADDR AddrMac = NetAddr(RTNETADDRTYPE_MAC, 1);
    static const uint8_t s_abMac[6] = {0, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    memcpy(AddrMac.uAddr.au8, s_abMac, sizeof(s_abMac));
    EXPECT_EQ(Fmt("%RTnaddr", &AddrMac), "00:1a:2b:3c:4d:5e");

    RTNETADDR AddrBad = NetAddr(3, 1);
    EXPECT_EQ(Fmt("%RTnaddr", &AddrBad), "unsupported-netaddr-type=3");
    RTNETADDR AddrBad2 = NetAddr(0xffffffff, 1);
    EXPECT_EQ(Fmt("%RTnaddr", &AddrBad2), "unsupported-netaddr-type=4294967295");
    EXPECT_EQ(Fmt("%RTnaddr", (void *)NULL), "<NULL>");
}

TEST(StrFormatRtValue, Uuid) {
    RTUUID Uuid;
    for (unsigned i = 0; i < 16; i++) Uuid.au8[i] = (uint8_t)i;
    EXPECT_EQ(Fmt("%RTuuid", &Uuid), "03020100-0504-0706-0809-0a0b0c0d0e0f");
    memset(&Uuid, 0xff, sizeof(Uuid));
    EXPECT_EQ(Fmt("%RTuuid", &Uuid), "ffffffff-ffff-ffff-ffff-ffffffffffff");
    EXPECT_EQ(Fmt("%RTuuid", (void *)NULL), "<NULL>");
}

// The error-information record as the runtime lays it out.
struct TestErrInfo {
    uint32_t fFlags;
    int32_t rc;
    size_t cbMsg;
    const char *pszMsg;
};

TEST(StrFormatRtValue, ErrInfo) {
    TestErrInfo Info = {0xbabe0004, -102, 32, "file gone"};
    EXPECT_EQ(Fmt("%RTeic", &Info), "File not found.: file gone");
    EXPECT_EQ(Fmt("%#RTeic", &Info), "File not found. - file gone");
    EXPECT_EQ(Fmt("%RTeim", &Info), ": file gone");
    EXPECT_EQ(Fmt("%#RTeim", &Info), " - file gone");
    // The message stops at the buffer size.
    Info.cbMsg = 4;
    EXPECT_EQ(Fmt("%RTeic", &Info), "File not found.: file");
    // No message buffer: only the short message.
    Info.cbMsg = 0;
    EXPECT_EQ(Fmt("%RTeic|", &Info), "File not found.|");
    EXPECT_EQ(Fmt("%RTeim|", &Info), "|");
    // Other bits in the flags word do not matter.
    Info.fFlags = 0xbabe0007;
    EXPECT_EQ(Fmt("%RTeic|", &Info), "File not found.|");
    // Not filled: nothing.
    Info.fFlags = 0xbabe0000;
    Info.cbMsg = 32;
    EXPECT_EQ(Fmt("[%RTeic]", &Info), "[]");
    Info.fFlags = 0xbabf0004;
    EXPECT_EQ(Fmt("[%RTeic]", &Info), "[]");
    EXPECT_EQ(Fmt("[%RTeic]", (void *)NULL), "[]");
    // A filled record without a usable message pointer prints the separator only.
    TestErrInfo NoMsg = {0xbabe0004, -102, 32, NULL};
    EXPECT_EQ(Fmt("%RTeic", &NoMsg), "File not found.: ");
}

// Every name of the value table is found and consumed whole.
struct NameCase {
    const char *pszName;
    char chArg; // 'i' 32-bit, 'l' 64-bit, 'p' pointer, '3' RTFAR32, '6' RTFAR64
};

TEST(StrFormatRtValue, EveryNameIsRecognised) {
    static const NameCase s_aNames[] = {
        {"Ci", 'i'},     {"Cp", 'l'},    {"Cr", 'i'},    {"Cu", 'i'},     {"Cv", 'i'},      {"Cx", 'i'},
        {"Gi", 'l'},     {"Gp", 'l'},    {"Gr", 'l'},    {"Gu", 'l'},     {"Gv", 'l'},      {"Gx", 'l'},
        {"Hi", 'i'},     {"Hp", 'l'},    {"Hr", 'i'},    {"Hu", 'i'},     {"Hv", 'i'},      {"Hx", 'i'},
        {"I16", 'i'},    {"I32", 'i'},   {"I64", 'l'},   {"I8", 'i'},     {"Kv", 'i'},      {"Rv", 'i'},
        {"Tbool", 'i'},  {"Teic", 'p'},  {"Teim", 'p'},  {"Tfile", 'i'},  {"Tfmode", 'i'},  {"Tfoff", 'l'},
        {"Tfp16", 'i'},  {"Tfp32", '3'}, {"Tfp64", '6'}, {"Tgid", 'i'},   {"Tino", 'l'},    {"Tint", 'i'},
        {"Tiop", 'i'},   {"Tldrm", 'i'}, {"Tmac", 'p'},  {"Tnaddr", 'p'}, {"Tnaipv4", 'i'}, {"Tnaipv6", 'p'},
        {"Tnthrd", 'i'}, {"Tproc", 'i'}, {"Tptr", 'l'},  {"Treg", 'i'},   {"Tsel", 'i'},    {"Tsem", 'i'},
        {"Tsock", 'i'},  {"Tthrd", 'i'}, {"Tuid", 'i'},  {"Tuint", 'i'},  {"Tunicp", 'i'},  {"Tutf16", 'i'},
        {"Tuuid", 'p'},  {"Txint", 'i'}, {"U16", 'i'},   {"U32", 'i'},    {"U64", 'l'},     {"U8", 'i'},
        {"X16", 'i'},    {"X32", 'i'},   {"X64", 'l'},   {"X8", 'i'},
    };
    static_assert(sizeof(s_aNames) / sizeof(s_aNames[0]) == 64, "all 64 names");
    uint8_t abZero[32] = {0};
    for (const NameCase &c : s_aNames) {
        std::string strFormat = std::string("%R") + c.pszName + "|%d";
        std::string str;
        switch (c.chArg) {
        case 'i':
            str = Fmt(strFormat.c_str(), 0u, 77);
            break;
        case 'l':
            str = Fmt(strFormat.c_str(), (uint64_t)0, 77);
            break;
        case 'p':
            str = Fmt(strFormat.c_str(), (void *)abZero, 77);
            break;
        case '3':
            str = Fmt(strFormat.c_str(), RTFAR32{0, 0}, 77);
            break;
        default:
            str = Fmt(strFormat.c_str(), RTFAR64{0, 0}, 77);
            break;
        }
        EXPECT_EQ(str.substr(str.size() < 3 ? 0 : str.size() - 3), "|77") << c.pszName << ": " << str;
        EXPECT_EQ(str.find(c.pszName + 1), std::string::npos) << c.pszName << ": " << str;
    }
}

} // namespace
