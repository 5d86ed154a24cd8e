// The option parser's value types: integers at their limits with the hexadecimal retry and the
// base modifiers, addresses, UUIDs, booleans, pairs, undefined types, case-insensitive names
// and short options with values. A failed conversion keeps the row in pDef.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/getopt.h>

#include "Runtime/common/misc/getopt-test-util.h"

#include <gtest/gtest.h>

namespace {

using getopttest::Row;

const RTGETOPTDESC g_aTypeOptions[] = {
    /* 0 */ {"--str", 's', RTGETOPT_VT_STRING},
    /* 1 */ {"--i8", 1001, RTGETOPT_VT_INT8},
    /* 2 */ {"--u8", 1002, RTGETOPT_VT_UINT8},
    /* 3 */ {"--i16", 1003, RTGETOPT_VT_INT16},
    /* 4 */ {"--u16", 1004, RTGETOPT_VT_UINT16},
    /* 5 */ {"--i32", 1005, RTGETOPT_VT_INT32},
    /* 6 */ {"--u32", 1006, RTGETOPT_VT_UINT32},
    /* 7 */ {"--i64", 1007, RTGETOPT_VT_INT64},
    /* 8 */ {"--u64", 1008, RTGETOPT_VT_UINT64},
    /* 9 */ {"--ipv4", 1010, RTGETOPT_VT_IPV4ADDR},
    /* 10 */ {"--cidr", 1011, RTGETOPT_VT_IPV4CIDR},
    /* 11 */ {"--mac", 1014, RTGETOPT_VT_MACADDR},
    /* 12 */ {"--uuid", 1015, RTGETOPT_VT_UUID},
    /* 13 */ {"--onoff", 1016, RTGETOPT_VT_BOOL_ONOFF},
    /* 14 */ {"--bool", 'b', RTGETOPT_VT_BOOL},
    /* 15 */ {"--p32", 1018, RTGETOPT_VT_UINT32_PAIR},
    /* 16 */ {"--p64", 1019, RTGETOPT_VT_UINT64_PAIR},
    /* 17 */ {"--op32", 1020, RTGETOPT_VT_UINT32_OPT_PAIR},
    /* 18 */ {"--op64", 1021, RTGETOPT_VT_UINT64_OPT_PAIR},
    /* 19 */ {"--hex32", 1030, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_HEX},
    /* 20 */ {"--oct32", 1031, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_OCT},
    /* 21 */ {"--dec32", 1032, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_DEC},
    /* 22 */ {"--hexp32", 1033, RTGETOPT_VT_UINT32_PAIR | RTGETOPT_MOD_HEX},
    /* 23 */ {"--octp32", 1034, RTGETOPT_VT_UINT32_OPT_PAIR | RTGETOPT_MOD_OCT},
    /* 24 */ {"--decp32", 1035, RTGETOPT_VT_UINT32_PAIR | RTGETOPT_MOD_DEC},
    /* 25 */ {"--i8hex", 1036, RTGETOPT_VT_INT8 | RTGETOPT_MOD_HEX},
    /* 26 */ {"--type12", 1040, 12},
    /* 27 */ {"--type31", 1041, 31},
    /* 28 */ {"--hexstr", 1042, RTGETOPT_VT_STRING | RTGETOPT_MOD_HEX},
    /* 29 */ {"--hexoct", 1043, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_HEX | RTGETOPT_MOD_OCT},
    /* 30 */ {"--decbool", 1044, RTGETOPT_VT_BOOL | RTGETOPT_MOD_DEC},
    /* 31 */ {"--Case", 1050, RTGETOPT_VT_NOTHING | RTGETOPT_MOD_ICASE},
    /* 32 */ {"--CaseVal", 1051, RTGETOPT_VT_STRING | RTGETOPT_MOD_ICASE},
    /* 33 */ {"/Extract", 1052, RTGETOPT_VT_NOTHING},
    /* 34 */ {"/Icase", 1053, RTGETOPT_VT_NOTHING | RTGETOPT_MOD_ICASE},
    /* 35 */ {NULL, 'n', RTGETOPT_VT_UINT8},
    /* 36 */ {"--x", 'x', RTGETOPT_VT_NOTHING},
    /* 37 */ {"--octi16", 1037, RTGETOPT_VT_INT16 | RTGETOPT_MOD_OCT},
    /* 38 */ {"--hexu64", 1038, RTGETOPT_VT_UINT64 | RTGETOPT_MOD_HEX},
    /* 39 */ {"--hexp64", 1039, RTGETOPT_VT_UINT64_PAIR | RTGETOPT_MOD_HEX},
    /* 40 */ {"--\xE2\x84\xAA", 1060, RTGETOPT_VT_STRING | RTGETOPT_MOD_ICASE}, // KELVIN SIGN folds to "k"
};
const getopttest::Table g_Types = GETOPT_TABLE(g_aTypeOptions);

// One option with one value, given after "=": the result line and then the end.
struct ValueCase {
    int iLine;
    const char *pszArg;
    const char *pszExpected;
};

// clang-format off
const ValueCase g_aValueCases[] = {
    {__LINE__, "--str=",                      "id=115 psz=\"\" def=0"},
    {__LINE__, "--str=-x y",                  "id=115 psz=\"-x y\" def=0"},
    // 8 bits.
    {__LINE__, "--i8=-128",                   "id=1001 int8=-128 def=1"},
    {__LINE__, "--i8=127",                    "id=1001 int8=127 def=1"},
    {__LINE__, "--i8=+5",                     "id=1001 int8=5 def=1"},
    {__LINE__, "--i8=0x7f",                   "id=1001 int8=127 def=1"},
    {__LINE__, "--i8=128",                    "id=-827 def=1"},
    {__LINE__, "--i8=-129",                   "id=-827 def=1"},
    {__LINE__, "--i8=0x80",                   "id=-827 def=1"},
    {__LINE__, "--i8=-0x10",                  "id=-827 def=1"},
    {__LINE__, "--i8=",                       "id=-827 def=1"},
    {__LINE__, "--u8=255",                    "id=1002 uint8=255 def=2"},
    {__LINE__, "--u8=0xff",                   "id=1002 uint8=255 def=2"},
    {__LINE__, "--u8=0XFF",                   "id=1002 uint8=255 def=2"},
    {__LINE__, "--u8=010",                    "id=1002 uint8=10 def=2"},
    {__LINE__, "--u8=256",                    "id=-827 def=2"},
    {__LINE__, "--u8=-1",                     "id=-827 def=2"},
    {__LINE__, "--u8=-0",                     "id=-827 def=2"},
    {__LINE__, "--u8= 5",                     "id=-827 def=2"},
    {__LINE__, "--u8=5 ",                     "id=-827 def=2"},
    {__LINE__, "--u8=0x",                     "id=-827 def=2"},
    {__LINE__, "--u8=0x100",                  "id=-827 def=2"},
    {__LINE__, "--u8=5x",                     "id=-827 def=2"},
    // 16 bits.
    {__LINE__, "--i16=-32768",                "id=1003 int16=-32768 def=3"},
    {__LINE__, "--i16=0x7fff",                "id=1003 int16=32767 def=3"},
    {__LINE__, "--i16=32768",                 "id=-827 def=3"},
    {__LINE__, "--i16=0x8000",                "id=-827 def=3"},
    {__LINE__, "--u16=65535",                 "id=1004 uint16=65535 def=4"},
    {__LINE__, "--u16=0xFFFF",                "id=1004 uint16=65535 def=4"},
    {__LINE__, "--u16=65536",                 "id=-827 def=4"},
    // 32 bits.
    {__LINE__, "--i32=-2147483648",           "id=1005 int32=-2147483648 def=5"},
    {__LINE__, "--i32=0x7fffffff",            "id=1005 int32=2147483647 def=5"},
    {__LINE__, "--i32=2147483648",            "id=-827 def=5"},
    {__LINE__, "--i32=0x80000000",            "id=-827 def=5"},
    {__LINE__, "--u32=4294967295",            "id=1006 uint32=4294967295 def=6"},
    {__LINE__, "--u32=0xffffffff",            "id=1006 uint32=4294967295 def=6"},
    {__LINE__, "--u32=4294967296",            "id=-827 def=6"},
    {__LINE__, "--u32=0x100000000",           "id=-827 def=6"},
    {__LINE__, "--u32=-1",                    "id=-827 def=6"},
    // 64 bits, including a decimal overflow whose wrapped value looks plausible.
    {__LINE__, "--i64=-9223372036854775808",  "id=1007 int64=-9223372036854775808 def=7"},
    {__LINE__, "--i64=0x7fffffffffffffff",    "id=1007 int64=9223372036854775807 def=7"},
    {__LINE__, "--i64=9223372036854775808",   "id=-827 def=7"},
    {__LINE__, "--i64=21000000000000000000",  "id=-827 def=7"},
    {__LINE__, "--u64=18446744073709551615",  "id=1008 uint64=18446744073709551615 def=8"},
    {__LINE__, "--u64=0xFFFFFFFFFFFFFFFF",    "id=1008 uint64=18446744073709551615 def=8"},
    {__LINE__, "--u64=18446744073709551616",  "id=-827 def=8"},
    {__LINE__, "--u64=21000000000000000000",  "id=-827 def=8"},
    {__LINE__, "--u64=0x10000000000000000",   "id=-827 def=8"},
    // Base modifiers.
    {__LINE__, "--hex32=1F",                  "id=1030 uint32=31 def=19"},
    {__LINE__, "--hex32=0x1F",                "id=1030 uint32=31 def=19"},
    {__LINE__, "--hex32=10",                  "id=1030 uint32=16 def=19"},
    {__LINE__, "--hex32=g",                   "id=-827 def=19"},
    {__LINE__, "--oct32=017",                 "id=1031 uint32=15 def=20"},
    {__LINE__, "--oct32=0x10",                "id=-827 def=20"},
    {__LINE__, "--oct32=8",                   "id=-827 def=20"},
    {__LINE__, "--dec32=010",                 "id=1032 uint32=10 def=21"},
    {__LINE__, "--dec32=0x10",                "id=-827 def=21"},
    {__LINE__, "--i8hex=7f",                  "id=1036 int8=127 def=25"},
    {__LINE__, "--i8hex=-80",                 "id=1036 int8=-128 def=25"},
    {__LINE__, "--i8hex=80",                  "id=-827 def=25"},
    {__LINE__, "--octi16=-100000",            "id=1037 int16=-32768 def=37"},
    {__LINE__, "--octi16=100000",             "id=-827 def=37"},
    {__LINE__, "--hexu64=ffffffffffffffff",   "id=1038 uint64=18446744073709551615 def=38"},
    {__LINE__, "--hexu64=10000000000000000",  "id=-827 def=38"},
    // Addresses.
    {__LINE__, "--ipv4=1.2.3.4",              "id=1010 ipv4=1.2.3.4 def=9"},
    {__LINE__, "--ipv4= 10.0.0.1 ",           "id=1010 ipv4=10.0.0.1 def=9"},
    {__LINE__, "--ipv4=010.0.0.1",            "id=1010 ipv4=10.0.0.1 def=9"},
    {__LINE__, "--ipv4=1.2.3",                "id=-827 def=9"},
    {__LINE__, "--ipv4=256.1.1.1",            "id=-827 def=9"},
    {__LINE__, "--ipv4=1.2.3.4x",             "id=-827 def=9"},
    {__LINE__, "--cidr=192.168.0.0/16",       "id=1011 cidr=c0a80000/ffff0000 def=10"},
    {__LINE__, "--cidr=10/8",                 "id=1011 cidr=0a000000/ff000000 def=10"},
    {__LINE__, "--cidr=1.2.3.4",              "id=1011 cidr=01020304/ffffffff def=10"},
    {__LINE__, "--cidr=10.1.0.0/8",           "id=-827 def=10"},
    {__LINE__, "--cidr=192.168.0.0/33",       "id=-827 def=10"},
    {__LINE__, "--mac=00:1A:2b:3C:4d:5E",     "id=1014 mac=00:1a:2b:3c:4d:5e def=11"},
    {__LINE__, "--mac=001A2B3C4D5E",          "id=1014 mac=00:1a:2b:3c:4d:5e def=11"},
    {__LINE__, "--mac=1::::5:6",              "id=1014 mac=01:00:00:00:05:06 def=11"},
    {__LINE__, "--mac=00-1A-2B-3C-4D-5E",     "id=-827 def=11"},
    {__LINE__, "--mac=1:2:3:4:5:100",         "id=-827 def=11"},
    {__LINE__, "--uuid=01234567-89ab-CDEF-0123-456789abcdef",
     "id=1015 uuid=01234567-89ab-cdef-0123456789abcdef def=12"},
    {__LINE__, "--uuid={01234567-89ab-cdef-0123-456789abcdef}",
     "id=1015 uuid=01234567-89ab-cdef-0123456789abcdef def=12"},
    {__LINE__, "--uuid=01234567-89ab-cdef-0123-456789abcde",   "id=-827 def=12"},
    {__LINE__, "--uuid=0123456789ab-cdef-0123-456789abcdef-",  "id=-827 def=12"},
    {__LINE__, "--uuid={01234567-89ab-cdef-0123-456789abcdef", "id=-827 def=12"},
    // Booleans: a text that is no boolean word is reported as unknown, naming the text.
    {__LINE__, "--onoff=on",                  "id=1016 bool=1 def=13"},
    {__LINE__, "--onoff=OFF",                 "id=1016 bool=0 def=13"},
    {__LINE__, "--onoff=yes",                 "id=-825 psz=\"yes\""},
    {__LINE__, "--onoff=1",                   "id=-825 psz=\"1\""},
    {__LINE__, "--bool=YES",                  "id=98 bool=1 def=14"},
    {__LINE__, "--bool=Enabled",              "id=98 bool=1 def=14"},
    {__LINE__, "--bool=On",                   "id=98 bool=1 def=14"},
    {__LINE__, "--bool=1",                    "id=98 bool=1 def=14"},
    {__LINE__, "--bool=t",                    "id=98 bool=1 def=14"},
    {__LINE__, "--bool=TRUE",                 "id=98 bool=1 def=14"},
    {__LINE__, "--bool=y",                    "id=98 bool=1 def=14"},
    {__LINE__, "--bool=enable",               "id=98 bool=1 def=14"},
    {__LINE__, "--bool=EN",                   "id=98 bool=1 def=14"},
    {__LINE__, "--bool=e",                    "id=98 bool=1 def=14"},
    {__LINE__, "--bool=false",                "id=98 bool=0 def=14"},
    {__LINE__, "--bool=F",                    "id=98 bool=0 def=14"},
    {__LINE__, "--bool=No",                   "id=98 bool=0 def=14"},
    {__LINE__, "--bool=n",                    "id=98 bool=0 def=14"},
    {__LINE__, "--bool=disabled",             "id=98 bool=0 def=14"},
    {__LINE__, "--bool=Disable",              "id=98 bool=0 def=14"},
    {__LINE__, "--bool=dis",                  "id=98 bool=0 def=14"},
    {__LINE__, "--bool=D",                    "id=98 bool=0 def=14"},
    {__LINE__, "--bool=oFF",                  "id=98 bool=0 def=14"},
    {__LINE__, "--bool=0",                    "id=98 bool=0 def=14"},
    {__LINE__, "--bool=01",                   "id=-825 psz=\"01\""},
    {__LINE__, "--bool=",                     "id=-825 psz=\"\""},
    {__LINE__, "--bool=yess",                 "id=-825 psz=\"yess\""},
    {__LINE__, "--bool= yes",                 "id=-825 psz=\" yes\""},
    // Pairs: a separator ":", "/" or "|" (blanks around it allowed) or blanks alone.
    {__LINE__, "--p32=1:2",                   "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=1/2",                   "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=1|2",                   "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=1 2",                   "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=1 : 2",                 "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=1\t|\t2",               "id=1018 pair=1,2 def=15"},
    {__LINE__, "--p32=0x10:0x20",             "id=1018 pair=16,32 def=15"},
    {__LINE__, "--p32=010:010",               "id=1018 pair=10,10 def=15"},
    {__LINE__, "--p32=4294967295:4294967295", "id=1018 pair=4294967295,4294967295 def=15"},
    {__LINE__, "--p32=7",                     "id=-827 def=15"},
    {__LINE__, "--p32=0x10-0x20",             "id=-827 def=15"},
    {__LINE__, "--p32=1:2 ",                  "id=-827 def=15"},
    {__LINE__, "--p32=1:2x",                  "id=-827 def=15"},
    {__LINE__, "--p32=4294967296:1",          "id=-827 def=15"},
    {__LINE__, "--p32=1:4294967296",          "id=-827 def=15"},
    {__LINE__, "--p32=-1:2",                  "id=-827 def=15"},
    {__LINE__, "--p32=1:-2",                  "id=-827 def=15"},
    {__LINE__, "--p32=:2",                    "id=-827 def=15"},
    {__LINE__, "--p32=1:",                    "id=-827 def=15"},
    {__LINE__, "--p32=1::2",                  "id=-827 def=15"},
    {__LINE__, "--p64=18446744073709551615|0", "id=1019 pair=18446744073709551615,0 def=16"},
    {__LINE__, "--p64=7",                     "id=-827 def=16"},
    {__LINE__, "--p64=1:18446744073709551616", "id=-827 def=16"},
    {__LINE__, "--p64=21000000000000000000:1", "id=-827 def=16"},
    {__LINE__, "--op32=7",                    "id=1020 pair=7,4294967295 def=17"},
    {__LINE__, "--op32=0x10-0x20",            "id=1020 pair=16,4294967295 def=17"},
    {__LINE__, "--op32=7x",                   "id=1020 pair=7,4294967295 def=17"},
    {__LINE__, "--op32=1:2",                  "id=1020 pair=1,2 def=17"},
    {__LINE__, "--op32=1:2 ",                 "id=-827 def=17"},
    {__LINE__, "--op32=7 ",                   "id=-827 def=17"},
    {__LINE__, "--op32=x",                    "id=-827 def=17"},
    {__LINE__, "--op64=7",                    "id=1021 pair=7,18446744073709551615 def=18"},
    {__LINE__, "--op64=0x8000000000000000/1", "id=1021 pair=9223372036854775808,1 def=18"},
    {__LINE__, "--hexp32=10:20",              "id=1033 pair=16,32 def=22"},
    {__LINE__, "--hexp32=0x10:ff",            "id=1033 pair=16,255 def=22"},
    {__LINE__, "--octp32=10:0x10",            "id=1034 pair=8,16 def=23"},
    {__LINE__, "--octp32=10",                 "id=1034 pair=8,4294967295 def=23"},
    {__LINE__, "--octp32=8",                  "id=-827 def=23"},
    {__LINE__, "--decp32=0x10:10",            "id=1035 pair=16,10 def=24"},
    {__LINE__, "--hexp64=ffffffffffffffff:0x0", "id=1039 pair=18446744073709551615,0 def=39"},
    // Undefined types and modifiers where they do not belong.
    {__LINE__, "--type12=x",                  "id=-225 def=26"},
    {__LINE__, "--type31=x",                  "id=-225 def=27"},
    {__LINE__, "--hexstr=x",                  "id=-225 def=28"},
    {__LINE__, "--hexoct=1",                  "id=-225 def=29"},
    {__LINE__, "--decbool=1",                 "id=-225 def=30"},
};
// clang-format on

TEST(GetOptValue, EveryType) {
    for (const ValueCase &c : g_aValueCases) {
        std::vector<std::string> expected = {std::string(c.pszExpected) + " next=2"};
        if (std::string(c.pszExpected).compare(0, 4, "id=-") != 0) expected.push_back("id=0 next=2");
        Row row = {c.iLine, g_Types, 0, {c.pszArg}, expected};
        getopttest::checkRows(&row, 1);
    }
}

// clang-format off
const Row g_aMatchRows[] = {
    // Case-insensitive names; the others match only as written.
    {__LINE__, g_Types, 0, {"--case", "--CASE", "--caseval=X", "--CASEVAL", "v"},
     {"id=1050 def=31 next=2", "id=1050 def=31 next=3", "id=1051 psz=\"X\" def=32 next=4",
      "id=1051 psz=\"v\" def=32 next=6", "id=0 next=6"}},
    {__LINE__, g_Types, 0, {"--casex", "--CASEVALx"}, {"id=-825 psz=\"--casex\" next=2"}},
    {__LINE__, g_Types, 0, {"/extract", "/Extract", "/icase", "/ICASE=1"},
     {"id=828 psz=\"/extract\" next=2", "id=1052 def=33 next=3", "id=1053 def=34 next=4",
      "id=828 psz=\"/ICASE=1\" next=5", "id=0 next=5"}},
    // A case-folded name may be longer in bytes than the argument that folds to it; the
    // argument must hold the name's bytes, or the value would be read past its end.
    {__LINE__, g_Types, 0, {"--\xE2\x84\xAA=v", "--k"},
     {"id=1060 psz=\"v\" def=40 next=2", "id=-825 psz=\"--k\" next=3"}},
    // A long name that is a prefix of the argument is no match for a switch.
    {__LINE__, g_Types, 0, {"--x1"}, {"id=-825 psz=\"--x1\" next=2"}},
    // Short options with values; a row without a long name is reachable only so.
    {__LINE__, g_Types, 0, {"-n5", "-n=7", "-xn9", "-n", "255", "-sfoo", "-byes"},
     {"id=110 uint8=5 def=35 next=2", "id=110 uint8=7 def=35 next=3", "id=120 def=36 next=3 short=\"n9\"",
      "id=110 uint8=9 def=35 next=4", "id=110 uint8=255 def=35 next=6", "id=115 psz=\"foo\" def=0 next=7",
      "id=98 bool=1 def=14 next=8", "id=0 next=8"}},
    {__LINE__, g_Types, 0, {"-n", "300"}, {"id=-827 def=35 next=3"}},
    {__LINE__, g_Types, 0, {"-xn300"}, {"id=120 def=36 next=1 short=\"n300\"", "id=-827 def=35 next=2"}},
    {__LINE__, g_Types, 0, {"-b", "maybe"}, {"id=-825 psz=\"maybe\" next=3"}},
    {__LINE__, g_Types, 0, {"--u8", "256"}, {"id=-827 def=2 next=3"}},
    {__LINE__, g_Types, 0, {"--u8"}, {"id=-826 def=2 next=2"}},
    {__LINE__, g_Types, 0, {"--u8:17", "--uuid", "01234567-89ab-cdef-0123-456789abcdef"},
     {"id=1002 uint8=17 def=2 next=2", "id=1015 uuid=01234567-89ab-cdef-0123456789abcdef def=12 next=4",
      "id=0 next=4"}},
    // A second value converted by type.
    {__LINE__, g_Types, 0, {"--str", "a", "0x1f"},
     {"id=115 psz=\"a\" def=0 next=3", "fetch=0 uint16=31 next=4", "id=0 next=4"}, "", 's', RTGETOPT_VT_UINT16},
    {__LINE__, g_Types, 0, {"--str", "a", "70000"},
     {"id=115 psz=\"a\" def=0 next=3", "fetch=-827 def=0 next=4", "id=0 next=4"}, "", 's', RTGETOPT_VT_UINT16},
    {__LINE__, g_Types, 0, {"--str", "a", "17"},
     {"id=115 psz=\"a\" def=0 next=3", "fetch=0 uint16=15 next=4", "id=0 next=4"}, "", 's',
     RTGETOPT_VT_UINT16 | RTGETOPT_MOD_OCT},
    {__LINE__, g_Types, 0, {"--str", "a", "on"},
     {"id=115 psz=\"a\" def=0 next=3", "fetch=0 bool=1 next=4", "id=0 next=4"}, "", 's', RTGETOPT_VT_BOOL_ONOFF},
};
// clang-format on

TEST(GetOptValue, MatchingAndShortValues) {
    getopttest::checkRows(g_aMatchRows, RT_ELEMENTS(g_aMatchRows));
}

// A failed conversion of any type leaves the row in the value, even where the conversion
// routine writes its output on failure (a narrow width or a wrapped 64-bit value would
// otherwise land on top of the pointer).
TEST(GetOptValue, FailedConversionKeepsTheRow) {
    static const char *const s_apszBad[] = {"99999999999999999999999", "-", "x", "1:2:3:4:5:6:7", "0x"};
    for (uint32_t i = 0; i < RT_ELEMENTS(g_aTypeOptions); i++) {
        const RTGETOPTDESC &desc = g_aTypeOptions[i];
        uint32_t const uType = desc.fFlags & RTGETOPT_VT_MASK;
        if (!desc.pszLong || uType == RTGETOPT_VT_NOTHING || uType == RTGETOPT_VT_STRING) continue;
        for (const char *pszBad : s_apszBad) {
            std::string strArg = std::string(desc.pszLong) + "=" + pszBad;
            SCOPED_TRACE(strArg);
            getopttest::ArgVector args({strArg});
            RTGETOPTSTATE state;
            ASSERT_EQ(
                RTGetOptInit(&state, args.argc(), args.argv.data(), g_aTypeOptions, RT_ELEMENTS(g_aTypeOptions), 1, 0),
                0);
            RTGETOPTVALUE v;
            memset(&v, 0xA5, sizeof(v));
            int rc = RTGetOpt(&state, &v);
            if (rc == QERR_GETOPT_UNKNOWN_OPTION) {
                EXPECT_TRUE(uType == RTGETOPT_VT_BOOL || uType == RTGETOPT_VT_BOOL_ONOFF);
            } else if (rc < 0) {
                EXPECT_EQ(v.pDef, &desc);
            }
            EXPECT_EQ(state.pCurDesc, rc > 0 ? &desc : nullptr);
        }
    }
}

} // namespace
