// Source-location names ("%Rbn", "%Rfn"), big-endian UTF-16 ("%lRbs"), times ("%RDtimespec"),
// register bits ("%RAx86[...]") and the routing of the type characters.
#include "tstStrFormatTypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct NameCase {
    const char *pszFormat;
    const char *pszArg;
    const char *pszExpect;
};

void PrintTo(const NameCase &c, std::ostream *os) {
    *os << "'" << c.pszFormat << "' of '" << (c.pszArg ? c.pszArg : "(null)") << "'";
}

// clang-format off
const NameCase g_aFileNames[] = {
    {"%Rbn", "dir/sub/",                      "sub/"},
    {"%Rbn", "D:\\a\\file.txt",               "file.txt"},
    {"%Rbn", "/work/src/strformat.cpp",       "strformat.cpp"},
    {"%Rbn", "a/b\\c.h",                      "c.h"},
    {"%Rbn", "a\\b/c.h",                      "c.h"},
    {"%Rbn", "C:file.c",                      "file.c"},
    {"%Rbn", "dir\\sub\\\\",                  "sub\\\\"},
    {"%Rbn", "a//b",                          "b"},
    {"%Rbn", "file.c",                        "file.c"},
    {"%Rbn", "/",                             "/"},
    {"%Rbn", "",                              ""},
    {"%Rbn", nullptr,                         "<null>"},
    {"%20Rbn", "a/b",                         "b"},       // width does not apply
};

const NameCase g_aFunctionNames[] = {
    {"%Rfn", "int __cdecl RTErrConvertFromWin32(unsigned int)", "RTErrConvertFromWin32"},
    {"%Rfn", "void foo<int, char>::bar(int)",                   "foo<int, char>::bar"},
    {"%Rfn", "main",                                            "main"},
    {"%Rfn", "static void\t  ns::Cls::method(void) const",      "ns::Cls::method"},
    {"%Rfn", "std::map<int, std::pair<a, b> > make(x)",         "make"},
    {"%Rfn", "RTStrFree(char *)",                               "RTStrFree"},
    {"%Rfn", "unsigned int __stdcall worker",                   "worker"},
    {"%Rfn", "",                                                ""},
    {"%Rfn", nullptr,                                           "<null>"},
};
// clang-format on

class FileName : public ::testing::TestWithParam<NameCase> {};
class FunctionName : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileName, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().pszArg), GetParam().pszExpect);
}
TEST_P(FunctionName, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().pszArg), GetParam().pszExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, FileName, ::testing::ValuesIn(g_aFileNames));
INSTANTIATE_TEST_SUITE_P(Table, FunctionName, ::testing::ValuesIn(g_aFunctionNames));

TEST(SourceNames, NearNullPointers) {
    EXPECT_EQ(tstFmt("%Rbn", (const char *)0xfff), "<null>");
    EXPECT_EQ(tstFmt("%Rfn", (const char *)(intptr_t)-1), "<null>");
    EXPECT_EQ(tstFmt("%Rbn:%Rfn", "x/y.c", "void f(void)"), "y.c:f");
}

//
// Big-endian UTF-16.
//

TEST(Utf16Big, PrecisionIsTheLimit) {
    std::basic_string<RTUTF16> s = tstUtf16Big({'h', 'i', '!', 0});
    EXPECT_EQ(tstFmt("%.*lRbs", 2, s.c_str()), "hi");
    EXPECT_EQ(tstFmt("%.*lRbs", 3, s.c_str()), "hi!");
    EXPECT_EQ(tstFmt("%.*lRbs", 100, s.c_str()), "hi!"); // ends at the 0 unit
    EXPECT_EQ(tstFmt("%.*lRbs", 0, s.c_str()), "");
    EXPECT_EQ(tstFmt("%lRbs|%Rbn", s.c_str(), "a/b"), "|b"); // no precision: nothing, argument taken
}

TEST(Utf16Big, DecodesBigEndian) {
    std::basic_string<RTUTF16> s = tstUtf16Big({0x00e9, 0x20ac, 0xd83d, 0xde00, 'z'});
    EXPECT_EQ(tstFmt("%.*lRbs", 5, s.c_str()), "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80z");
}

TEST(Utf16Big, PairCutByPrecisionIsNotReadPast) {
    // Exactly one unit on the heap: reading the low surrogate would be caught by the sanitizer.
    std::basic_string<RTUTF16> s = tstUtf16Big({0xd83d, 0xde00});
    std::vector<RTUTF16> aw(s.begin(), s.begin() + 1);
    std::string str = tstFmt("%.*lRbs", 1, aw.data());
    EXPECT_EQ(str.find("\xf0\x9f"), std::string::npos);
    EXPECT_EQ(str, "\x7f"); // the runtime's marker for a code point UTF-8 cannot carry
}

TEST(Utf16Big, WidthCountsUnits) {
    std::basic_string<RTUTF16> s = tstUtf16Big({0x00e9, 'a', 0});
    EXPECT_EQ(tstFmt("%4.*lRbs", 10, s.c_str()), "  \xc3\xa9"
                                                 "a");
    EXPECT_EQ(tstFmt("%-4.*lRbs|", 10, s.c_str()), "\xc3\xa9"
                                                   "a  |");
    EXPECT_EQ(tstFmt("%1.*lRbs", 10, s.c_str()), "\xc3\xa9"
                                                 "a");
}

TEST(Utf16Big, NullAndOtherSizes) {
    EXPECT_EQ(tstFmt("%.*lRbs", 4, (const RTUTF16 *)nullptr), "<null>");
    // Only the UTF-16 size prefix defines "bs"; without it nothing is printed or taken.
    EXPECT_EQ(tstFmt("%.2Rbs|%Rbn", "a/b"), "|b");
}

TEST(Utf16Big, LongTextInRuns) {
    std::basic_string<RTUTF16> s(1000, 0);
    for (auto &w : s) w = tstUtf16Big({'q'})[0];
    TstFmtRun Res = tstFmtRun("%.*lRbs", 1000, s.c_str());
    EXPECT_EQ(Res.str, std::string(1000, 'q'));
    EXPECT_EQ(Res.cchReturned, 1000u);
    EXPECT_LT(Res.cCalls, 20u);
}

//
// Times.
//

struct TimeCase {
    const char *pszFormat;
    int64_t i64;
    const char *pszExpect;
};

// clang-format off
const TimeCase g_aTimes[] = {
    {"%RDtimespec",   1234567890,  "1 234 567 890 ns"},
    {"%RDtimespec",   0,           "0 ns"},
    {"%RDtimespec",   999,         "999 ns"},
    {"%RDtimespec",   1000,        "1 000 ns"},
    {"%RDtimespec",   -1234,       "-1 234 ns"},
    {"%RDtimespec",   -999,        "-999 ns"},
    {"%RDtimespec",   INT64_MAX,   "9 223 372 036 854 775 807 ns"},
    {"%RDtimespec",   INT64_MIN,   "-9 223 372 036 854 775 808 ns"},
    {"%30RDtimespec", 5,           "5 ns"},    // width does not apply
    {"%RDtimespecs",  5,           "5 nss"},   // the name ends where the table's name ends
};
// clang-format on

class Time : public ::testing::TestWithParam<TimeCase> {};

TEST_P(Time, Formats) {
    int64_t i64 = GetParam().i64;
    EXPECT_EQ(tstFmt(GetParam().pszFormat, &i64), GetParam().pszExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, Time, ::testing::ValuesIn(g_aTimes));

TEST(TimeSpecial, NullAndUnknownName) {
    EXPECT_EQ(tstFmt("%RDtimespec", (const int64_t *)nullptr), "<null>");
    EXPECT_EQ(tstFmt("%RDtimeval|"), "timeval|"); // only the 'D' is consumed
    EXPECT_EQ(tstFmt("%RD"), "");
}

//
// Register bits.
//

struct RegCase {
    const char *pszFormat;
    uint64_t uValue;
    const char *pszExpect;
};

// clang-format off
const RegCase g_aRegs[] = {
    {"%RAx86[cr0]", 0x80050033,            "80050033{PE,MP,ET,NE,WP,AM,PG}"},
    {"%RAx86[cr0]", 0,                     "00000000"},
    {"%RAx86[cr0]", UINT64_C(0x100000000), "100000000{unkn=100000000}"},
    {"%RAx86[cr0]", 0x91,                  "00000091{PE,ET,unkn=80}"},
    {"%RAx86[cr0]", 0x40,                  "00000040{unkn=40}"},
    {"%RAx86[cr0]", 0xe005003f,            "e005003f{PE,MP,EM,TS,ET,NE,WP,AM,NW,CD,PG}"},
    {"%RAx86[cr0]", UINT64_MAX,            "ffffffffffffffff{PE,MP,EM,TS,ET,NE,WP,AM,NW,CD,PG,unkn=ffffffff1ffaffc0}"},
    {"%RAx86[cr4]", 0x2000,                "00002000{VMXE}"},
    {"%RAx86[cr4]", 0x3fffff,              "003fffff{VME,PVI,TSD,DE,PSE,PAE,MCE,PGE,PCE,OSFXSR,OSXMMEEXCPT,VMXE,"
                                           "SMXE,PCIDE,OSXSAVE,SMEP,SMAP,unkn=99800}"},
    {"%RAx86[cr4]", 0x10000,               "00010000{unkn=10000}"},
    {"%RAx86[cr3]", 0x1234,                ""},
    {"%RAarm[cr0]", 0x1234,                ""},
    {"%RAx86[CR0]", 0x1234,                ""},
    {"%RAx86[cr0]x", 1,                    "00000001{PE}x"},
};
// clang-format on

class RegBits : public ::testing::TestWithParam<RegCase> {};

TEST_P(RegBits, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().uValue), GetParam().pszExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, RegBits, ::testing::ValuesIn(g_aRegs));

TEST(RegBitsSpecial, ArgumentsStayInStep) {
    // An unknown register still takes its 64-bit value.
    EXPECT_EQ(tstFmt("%RAx86[cr3]|%RAx86[cr0]", UINT64_C(0xffff), UINT64_C(1)), "|00000001{PE}");
    // Without the brackets nothing is taken and the rest stays format text.
    EXPECT_EQ(tstFmt("%RAx86|%RAx86[cr4]", UINT64_C(1)), "|00000001{VME}");
    EXPECT_EQ(tstFmt("%RAx86[cr0"), "");
    EXPECT_EQ(tstFmt("%RA x"), " x");
}

//
// Routing and the handler contract.
//

TEST(Routing, UnknownTypeCharacters) {
    EXPECT_EQ(tstFmt("%Rq|"), "|");
    EXPECT_EQ(tstFmt("%Rhz|"), "|");
    EXPECT_EQ(tstFmt("%Rbz|"), "|");
    EXPECT_EQ(tstFmt("%Rfz|"), "|");
    EXPECT_EQ(tstFmt("%Rh"), "");
    EXPECT_EQ(tstFmt("%Rb"), "");
    EXPECT_EQ(tstFmt("%R"), "");
}

// Calls the handler on its own, entered at the 'R', and reports where it left the format.
size_t callHandler(const char *pszFormat, size_t *pcchConsumed, std::string *pstrOut, ...) {
    TstFmtRun Out;
    va_list va;
    va_start(va, pstrOut);
    const char *psz = pszFormat;
    size_t cch = rtstrFormatRtDumpsEscapesNames(tstFmtCollect, &Out, &psz, &va, -1, -1, 0, 0);
    va_end(va);
    *pcchConsumed = (size_t)(psz - pszFormat);
    *pstrOut = Out.str;
    return cch;
}

TEST(Routing, FormatPositionAndCount) {
    struct PosCase {
        const char *pszFormat;
        bool fPointerArg; // else a 64-bit value
        size_t cchConsumed;
        const char *pszExpect;
    };
    static const char s_szArg[] = "d/<x>";
    static const int64_t s_i64 = 12345;
    // clang-format off
    const PosCase aCases[] = {
        {"RMes tail",         true,  4, "d/&lt;x&gt;"},
        {"RMpa tail",         true,  4, "d%2F%3Cx%3E"},
        {"Rbn tail",          true,  3, "<x>"},
        {"Rfn tail",          true,  3, "d/<x>"},
        {"RDtimespec tail",   true,  10, "12 345 ns"},
        {"Rhcb tail",         false, 4, "1.0KiB"},
        {"RAx86[cr0] tail",   false, 10, "00000400{unkn=400}"},
        {"Rq tail",           false, 2, ""},
        {"Rhx",               false, 3, ""},
        {"Rhxz tail",         false, 4, ""},
        {"RMaz tail",         false, 4, ""},
        {"RDtimeval",         false, 2, ""},
    };
    // clang-format on
    for (const PosCase &c : aCases) {
        size_t cchConsumed = 0;
        std::string str;
        size_t cch = c.fPointerArg ? callHandler(c.pszFormat, &cchConsumed, &str,
                                                 c.pszFormat[1] == 'D' ? (const void *)&s_i64 : (const void *)s_szArg)
                                   : callHandler(c.pszFormat, &cchConsumed, &str, UINT64_C(1024));
        EXPECT_EQ(cchConsumed, c.cchConsumed) << c.pszFormat;
        EXPECT_EQ(str, c.pszExpect) << c.pszFormat;
        EXPECT_EQ(cch, str.size()) << c.pszFormat;
    }
}

// A callback that keeps only half of each piece: the handler must report what was kept.
size_t tstFmtTakeHalf(void *pvArg, const char *pach, size_t cch) {
    static_cast<std::string *>(pvArg)->append(pach, cch / 2);
    return cch / 2;
}

size_t callHandlerHalf(const char *pszFormat, std::string *pstrOut, ...) {
    va_list va;
    va_start(va, pstrOut);
    const char *psz = pszFormat;
    size_t cch = rtstrFormatRtDumpsEscapesNames(tstFmtTakeHalf, pstrOut, &psz, &va, -1, -1, 0, 0);
    va_end(va);
    return cch;
}

TEST(Routing, CountIsWhatTheCallbackTook) {
    std::string str;
    size_t cch = callHandlerHalf("Rhcb", &str, UINT64_C(1024));
    EXPECT_EQ(cch, str.size());
    EXPECT_EQ(str, "1.0");
    str.clear();
    std::vector<uint8_t> ab(40, 'A');
    cch = callHandlerHalf("RhXD", &str, ab.data(), UINT64_C(0));
    EXPECT_EQ(cch, str.size());
    EXPECT_GT(cch, 0u);
}

} // namespace
