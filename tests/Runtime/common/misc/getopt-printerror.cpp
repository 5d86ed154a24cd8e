// The option parser's diagnostics: RTGetOptPrintError over every kind of result the parser
// gives, with the exact texts, and the pair diagnostics through the assertion output.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/getopt.h>

#include "Runtime/common/misc/getopt-test-util.h"
#include "Runtime/r3/testplatform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const RTGETOPTDESC g_aOptions[] = {
    /* 0 */ {"--path", 'p', RTGETOPT_VT_STRING},
    /* 1 */ {"--silent", 's', RTGETOPT_VT_NOTHING},
    /* 2 */ {"--u8", 1002, RTGETOPT_VT_UINT8},
    /* 3 */ {"--i16", 1003, RTGETOPT_VT_INT16},
    /* 4 */ {"--u32", 1004, RTGETOPT_VT_UINT32 | RTGETOPT_MOD_HEX},
    /* 5 */ {"--i64", 1005, RTGETOPT_VT_INT64},
    /* 6 */ {"--u64", 1006, RTGETOPT_VT_UINT64},
    /* 7 */ {"--ipv4", 1007, RTGETOPT_VT_IPV4ADDR},
    /* 8 */ {"--cidr", 1008, RTGETOPT_VT_IPV4CIDR},
    /* 9 */ {"--mac", 1009, RTGETOPT_VT_MACADDR},
    /* 10 */ {"--uuid", 1010, RTGETOPT_VT_UUID},
    /* 11 */ {"--p32", 1011, RTGETOPT_VT_UINT32_PAIR},
    /* 12 */ {"--p64", 1012, RTGETOPT_VT_UINT64_OPT_PAIR},
    /* 13 */ {"--bool", 1013, RTGETOPT_VT_BOOL},
    /* 14 */ {"--onoff", 1014, RTGETOPT_VT_BOOL_ONOFF},
    /* 15 */ {"--disk", 1015, RTGETOPT_VT_STRING | RTGETOPT_MOD_INDEX},
    /* 16 */ {"--type13", 1016, 13},
    /* 17 */ {NULL, 'n', RTGETOPT_VT_UINT8},
    /* 18 */ {NULL, 1, RTGETOPT_VT_UINT8},
    /* 19 */ {"--i8", 1019, RTGETOPT_VT_INT8},
    /* 20 */ {"--u16", 1020, RTGETOPT_VT_UINT16 | RTGETOPT_MOD_OCT},
    /* 21 */ {"--i32", 1021, RTGETOPT_VT_INT32},
    /* 22 */ {"--path2", 1022, RTGETOPT_VT_STRING},
};

std::string folded(std::string str) {
    for (size_t off; (off = str.find("\r\n")) != std::string::npos;) str.erase(off, 1);
    return str;
}

// What RTGetOptPrintError writes for one result, without the "<program>: error: " prefix,
// which is checked here.
std::string printError(int iResult, const RTGETOPTVALUE &v) {
    TestCaptureBegin(stderr);
    int rcExit = RTGetOptPrintError(iResult, &v);
    std::string str = folded(TestCaptureEnd());
    EXPECT_EQ(rcExit, 2);
    std::string const strPrefix = std::string(TestProgramName()) + ": error: ";
    if (str.compare(0, strPrefix.size(), strPrefix) != 0) return "no prefix: " + str;
    return str.substr(strPrefix.size());
}

// The parser's own results, each with the record it filled: the first result that a caller
// would not handle (a failure, a non-option, or an identifier when fUnhandled is set).
struct ParseCase {
    int iLine;
    std::vector<std::string> args;
    const char *pszExpected;
};

// clang-format off
const ParseCase g_aParseCases[] = {
    {__LINE__, {"FOO=1"},               "Invalid parameter: FOO=1\n"},
    {__LINE__, {""},                    "Invalid parameter: \n"},
    {__LINE__, {"--bogus"},             "Unknown option: '--bogus'\n"},
    {__LINE__, {"-sz"},                 "Unknown option: 'z'\n"},
    {__LINE__, {"-"},                   "Unknown option: '-'\n"},
    {__LINE__, {"--silent=1"},          "Unknown option: '--silent=1'\n"},
    {__LINE__, {"--path"},              "--path: RTGetOpt: Command line option needs argument.\n"},
    {__LINE__, {"-p"},                  "--path: RTGetOpt: Command line option needs argument.\n"},
    {__LINE__, {"-sp"},                 "--path: RTGetOpt: Command line option needs argument.\n"},
    {__LINE__, {"--disk"},              "--disk: RTGetOpt: Command line option needs an index.\n"},
    {__LINE__, {"--disk2"},             "--disk: RTGetOpt: Command line option needs argument.\n"},
    {__LINE__, {"--disk=x"},            "The value given '--disk' has an invalid format.\n"},
    {__LINE__, {"--type13=1"},          "--type13: Internal error - this should never happen.\n"},
    // Every failing conversion names the option, whatever the conversion left behind.
    {__LINE__, {"--u8=256"},            "The value given '--u8' has an invalid format.\n"},
    {__LINE__, {"--i8=-129"},           "The value given '--i8' has an invalid format.\n"},
    {__LINE__, {"--i16", "40000"},      "The value given '--i16' has an invalid format.\n"},
    {__LINE__, {"--u16=8"},             "The value given '--u16' has an invalid format.\n"},
    {__LINE__, {"--i32=-2147483649"},   "The value given '--i32' has an invalid format.\n"},
    {__LINE__, {"--u32=1ffffffff"},     "The value given '--u32' has an invalid format.\n"},
    {__LINE__, {"--i64=-9223372036854775809"}, "The value given '--i64' has an invalid format.\n"},
    {__LINE__, {"--u64=21000000000000000000"}, "The value given '--u64' has an invalid format.\n"},
    {__LINE__, {"--u64=99999999999999999999999"}, "The value given '--u64' has an invalid format.\n"},
    {__LINE__, {"--ipv4=1.2.3.400"},    "The value given '--ipv4' has an invalid format.\n"},
    {__LINE__, {"--cidr=10.1.0.0/8"},   "The value given '--cidr' has an invalid format.\n"},
    {__LINE__, {"--mac=1:2:3:4:5:100"}, "The value given '--mac' has an invalid format.\n"},
    {__LINE__, {"--uuid=x"},            "The value given '--uuid' has an invalid format.\n"},
    {__LINE__, {"--p32=4294967296:1"},  "The value given '--p32' has an invalid format.\n"},
    {__LINE__, {"--p64=1:99999999999999999999"}, "The value given '--p64' has an invalid format.\n"},
    // A boolean that is no boolean word names the text.
    {__LINE__, {"--bool=maybe"},        "Unknown option: 'maybe'\n"},
    {__LINE__, {"--onoff", "yes"},      "Unknown option: 'yes'\n"},
    // A row without a long name is named by its letter, or by its number.
    {__LINE__, {"-n300"},               "The value given '-n' has an invalid format.\n"},
    {__LINE__, {"-n"},                  "-n: RTGetOpt: Command line option needs argument.\n"},
    {__LINE__, {"-\x01"},               "1: RTGetOpt: Command line option needs argument.\n"},
};
// clang-format on

TEST(GetOptPrintError, ParserResults) {
    for (const ParseCase &c : g_aParseCases) {
        SCOPED_TRACE("line " + std::to_string(c.iLine));
        getopttest::ArgVector args(c.args);
        RTGETOPTSTATE state;
        ASSERT_EQ(RTGetOptInit(&state, args.argc(), args.argv.data(), g_aOptions, RT_ELEMENTS(g_aOptions), 1, 0), 0);
        RTGETOPTVALUE v;
        int rc;
        do {
            rc = RTGetOpt(&state, &v);
        } while (rc > 0 && rc != QINF_GETOPT_NOT_OPTION);
        EXPECT_EQ(printError(rc, v), c.pszExpected);
    }
}

// Results a caller hands on without a record of the parser's: identifiers it does not handle
// and failures without a row.
TEST(GetOptPrintError, Identifiers) {
    struct {
        int iLine;
        int iResult;
        const char *pszExpected;
    } const aCases[] = {
        {__LINE__, 'x', "Unhandled option: -x\n"},
        {__LINE__, '!', "Unhandled option: -!\n"},
        {__LINE__, '~', "Unhandled option: -~\n"},
        {__LINE__, ' ', "Unhandled option: 32 (0x20)\n"},
        {__LINE__, 127, "Unhandled option: 127 (0x7f)\n"},
        {__LINE__, 1000, "Unhandled option: 1000 (0x3e8)\n"},
        {__LINE__, 1, "Unhandled option: 1 (0x1)\n"},
        {__LINE__, QERR_GETOPT_REQUIRED_ARGUMENT_MISSING, "RTGetOpt: Command line option needs argument.\n"},
        {__LINE__, QERR_GETOPT_INVALID_ARGUMENT_FORMAT,
         "RTGetOpt: Command line option has argument with bad format.\n"},
        {__LINE__, QERR_INVALID_PARAMETER, "Invalid parameter.\n"},
        {__LINE__, 0, "Success.\n"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE("line " + std::to_string(c.iLine));
        RTGETOPTVALUE v;
        memset(&v, 0, sizeof(v));
        EXPECT_EQ(printError(c.iResult, v), c.pszExpected);
    }
}

// A fetch that found no argument leaves no row; one whose conversion failed keeps it.
TEST(GetOptPrintError, FetchResults) {
    getopttest::ArgVector args({"--path", "x", "300"});
    RTGETOPTSTATE state;
    ASSERT_EQ(RTGetOptInit(&state, args.argc(), args.argv.data(), g_aOptions, RT_ELEMENTS(g_aOptions), 1, 0), 0);
    RTGETOPTVALUE v;
    ASSERT_EQ(RTGetOpt(&state, &v), 'p');
    int rc = RTGetOptFetchValue(&state, &v, RTGETOPT_VT_UINT8);
    EXPECT_EQ(printError(rc, v), "The value given '--path' has an invalid format.\n");
    rc = RTGetOptFetchValue(&state, &v, RTGETOPT_VT_STRING);
    EXPECT_EQ(printError(rc, v), "RTGetOpt: Command line option needs argument.\n");
}

// The two pair diagnostics, on standard error through the assertion output.
TEST(GetOptPrintError, PairDiagnostics) {
    struct {
        int iLine;
        const char *pszArg;
        const char *pszExpected;
    } const aCases[] = {
        {__LINE__, "--p32=7", "x\n"},
        {__LINE__, "--p32=7x", "x\n"},
        {__LINE__, "--p32=1:2 ", "z rc=QWRN_TRAILING_SPACES: '2 ' ' ' uBase=10\n"},
        {__LINE__, "--p32=0x1:0x2g", "z rc=QWRN_TRAILING_CHARS: '0x2g' 'g' uBase=16\n"},
        {__LINE__, "--p32=1:", "z rc=QERR_NO_DIGITS: '' '' uBase=10\n"},
        {__LINE__, "--p32=1:4294967296", "z rc=QWRN_NUMBER_TOO_BIG: '4294967296' '' uBase=10\n"},
        {__LINE__, "--p64=1/-2", "z rc=QWRN_NEGATIVE_UNSIGNED: '-2' '' uBase=10\n"},
        // Optional pairs need no second number; a failed first number says nothing.
        {__LINE__, "--p64=7", ""},
        {__LINE__, "--p32=x", ""},
        {__LINE__, "--p32=1:2", ""},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE("line " + std::to_string(c.iLine));
        getopttest::ArgVector args({c.pszArg});
        RTGETOPTSTATE state;
        ASSERT_EQ(RTGetOptInit(&state, args.argc(), args.argv.data(), g_aOptions, RT_ELEMENTS(g_aOptions), 1, 0), 0);
        RTGETOPTVALUE v;
        TestCaptureBegin(stderr);
        RTGetOpt(&state, &v);
        EXPECT_EQ(folded(TestCaptureEnd()), c.pszExpected);
    }
}

} // namespace
