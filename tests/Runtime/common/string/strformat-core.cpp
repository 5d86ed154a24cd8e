// The engine's own conversions, grouped by conversion: integers, pointers, characters,
// strings, nested and substituted formats, unknown conversions and the format callback.
#include "strformat-test-util.h"

#include <cstdint>

#include <qrt/types.h>

namespace {

struct IntCase {
    const char *pszFormat;
    int iValue;
    const char *pszExpected;
};

const IntCase g_aIntCases[] = {
    // Plain conversions.
    {"%d", -42, "-42"},
    {"%i", -7, "-7"},
    {"%u", -1, "4294967295"},
    {"%x", 255, "ff"},
    {"%X", 255, "FF"},
    {"%o", 8, "10"},
    {"%d", INT32_MIN, "-2147483648"},
    {"%u", INT32_MIN, "2147483648"},
    {"%x", -1, "ffffffff"},
    // "#" prefixes, also for 0.
    {"%#x", 255, "0xff"},
    {"%#X", 255, "0XFF"},
    {"%#o", 8, "010"},
    {"%#x", 0, "0x0"},
    {"%#o", 0, "00"},
    {"%#d", 5, "5"},
    // Width, justification, zero padding, signs.
    {"%5d|", 42, "   42|"},
    {"%-5d|", 42, "42   |"},
    {"%05d", -42, "-0042"},
    {"%+05d", 42, "+0042"},
    {"% d", 42, " 42"},
    {"%+ d", 5, "+5"},
    {"% +d", 5, "+5"},
    {"%+d", -5, "-5"},
    {"%+u", 5, "5"},
    {"%-05d|", 42, "42   |"},
    {"%2d", 12345, "12345"},
    // Precision.
    {"%.3d", 7, "007"},
    {"%.0d", 0, "0"},
    {"%.3d", -7, "-007"},
    {"%#.3x", 10, "0x00a"},
    {"%#08x", 255, "0x0000ff"},
    {"%-#8x|", 255, "0xff    |"},
    {"%.d", 3, "3"},
    // Width and precision together: the width's padding is computed from the digits alone,
    // and zero padding counts towards the precision.
    {"%5.3d|", 7, "    007|"},
    {"%08.3d", 7, "00000007"},
    {"%-5.3d|", 7, "007    |"},
    // Thousands separator: a space, only for decimal without zero padding.
    {"%'d", 1234567, "1 234 567"},
    {"%'d", -1234567, "-1 234 567"},
    {"%'d", 999999, "999 999"},
    {"%'d", 1000, "1 000"},
    {"%'d", 999, "999"},
    {"%'u", -1, "4 294 967 295"},
    {"%'08d", 1234567, "01234567"},
    {"%'x", 0x1234567, "1234567"},
    {"%'12d|", 1234567, "   1 234 567|"},
    {"%-'12d|", 1234567, "1 234 567   |"},
    // Size prefixes read 32-bit arguments.
    {"%ld", -5, "-5"},
    {"%lu", -1, "4294967295"},
    {"%I32d", -3, "-3"},
    {"%I32x", 0xabc, "abc"},
    {"%hd", -1, "-1"},
    {"%hhd", -1, "-1"},
    {"%hd", 70000, "70000"}, // signed values are not narrowed
    {"%hu", -1, "65535"},    // unsigned ones are
    {"%hx", 0x12345, "2345"},
    {"%hhu", 0x1ff, "255"},
    {"%hhx", 0x1ab, "ab"},
    // The 63-character field bound.
    {"%100d", 42, "                                                            42"}, // 60 spaces
    {"%0100d", 42, "000000000000000000000000000000000000000000000000000000000000042"},
    {"%-100d|", 42, "42                                                             |"},
    {"%.100d", 42, "000000000000000000000000000000000000000000000000000000000000042"},
    {"%99999999999999d|", 1, "                                                             1|"},
};

class IntConversion : public testing::TestWithParam<IntCase> {};

TEST_P(IntConversion, Formats) {
    const IntCase &c = GetParam();
    EXPECT_EQ(Fmt(c.pszFormat, c.iValue), c.pszExpected) << c.pszFormat << " of " << c.iValue;
}

INSTANTIATE_TEST_SUITE_P(StrFormat, IntConversion, testing::ValuesIn(g_aIntCases));

struct Int64Case {
    const char *pszFormat;
    int64_t iValue;
    const char *pszExpected;
};

const Int64Case g_aInt64Cases[] = {
    {"%lld", INT64_MIN, "-9223372036854775808"},
    {"%lld", INT64_MAX, "9223372036854775807"},
    {"%llu", -1, "18446744073709551615"},
    {"%llx", -1, "ffffffffffffffff"},
    {"%llo", -1, "1777777777777777777777"},
    {"%#llo", -1, "01777777777777777777777"},
    {"%I64d", -1234567890123LL, "-1234567890123"},
    {"%qd", -1234567890123LL, "-1234567890123"},
    {"%jd", -1234567890123LL, "-1234567890123"},
    {"%Ld", -1234567890123LL, "-1234567890123"},
    {"%Id", -1234567890123LL, "-1234567890123"}, // a lone "I" reads 64 bits
    {"%Lx", 0x1122334455667788LL, "1122334455667788"},
    {"%'lld", INT64_MIN, "-9 223 372 036 854 775 808"},
    {"%lld", 0, "0"},
    {"%lld", 0xffffffffLL, "4294967295"},
    {"%+lld", 1, "+1"},
    {"%030lld", -1, "-00000000000000000000000000001"},
};

class Int64Conversion : public testing::TestWithParam<Int64Case> {};

TEST_P(Int64Conversion, Formats) {
    const Int64Case &c = GetParam();
    EXPECT_EQ(Fmt(c.pszFormat, c.iValue), c.pszExpected) << c.pszFormat << " of " << c.iValue;
}

INSTANTIATE_TEST_SUITE_P(StrFormat, Int64Conversion, testing::ValuesIn(g_aInt64Cases));

TEST(StrFormatSizePrefix, SizeAndPtrdiffAreReadAtTheirOwnWidth) {
    EXPECT_EQ(Fmt("%zd", (size_t)-1), "-1");
    EXPECT_EQ(Fmt("%zu", (size_t)42), "42");
    EXPECT_EQ(Fmt("%zx|%d", (size_t)0xabc, 7), "abc|7");
    EXPECT_EQ(Fmt("%td", (ptrdiff_t)-5), "-5");
    EXPECT_EQ(Fmt("%tu|%d", (ptrdiff_t)5, 8), "5|8");
    EXPECT_EQ(Fmt("%zu", (size_t)-1), sizeof(size_t) == 4 ? "4294967295" : "18446744073709551615");
}

TEST(StrFormatSizePrefix, ArgumentsStayInStep) {
    // Mixed widths: each conversion must take exactly its own argument.
    EXPECT_EQ(Fmt("%d %lld %d %hhd %llx %u", 1, (int64_t)-2, 3, 4, (uint64_t)0x55, 6u), "1 -2 3 4 55 6");
    EXPECT_EQ(Fmt("%s=%I64u;%s", "a", (uint64_t)1 << 40, "b"), "a=1099511627776;b");
}

TEST(StrFormatPointer, Examples) {
    EXPECT_EQ(Fmt("%p", (void *)(uintptr_t)0x1234), "00001234");
    EXPECT_EQ(Fmt("%#p", (void *)(uintptr_t)0x1234), "0x001234");
    EXPECT_EQ(Fmt("%-12p|", (void *)(uintptr_t)0x1234), "1234        |");
    EXPECT_EQ(Fmt("%p", (void *)NULL), "00000000");
    EXPECT_EQ(Fmt("%12p", (void *)(uintptr_t)0xabc), "000000000abc");
    EXPECT_EQ(Fmt("%p", (void *)(uintptr_t)0xdeadbeef), "deadbeef");
    if (sizeof(void *) == 8) {
        EXPECT_EQ(Fmt("%p|%d", (void *)(uintptr_t)0x123456789aULL, 1), "123456789a|1");
    }
}

TEST(StrFormatChar, Examples) {
    EXPECT_EQ(Fmt("%c", 0x141), "A");
    EXPECT_EQ(Fmt("%3c|", 'A'), "  A|");
    EXPECT_EQ(Fmt("%-3c|", 'A'), "A  |");
    EXPECT_EQ(Fmt("%03c|", 'A'), "  A|");
    EXPECT_EQ(Fmt("%.0c|", 'A'), "A|");
    EXPECT_EQ(Fmt("%c%c%c", 'a', 'b', 'c'), "abc");
}

TEST(StrFormatStar, WidthAndPrecisionFromArguments) {
    EXPECT_EQ(Fmt("%*d|", -5, 42), "42   |");
    EXPECT_EQ(Fmt("%*d|", 5, 42), "   42|");
    EXPECT_EQ(Fmt("%.*d", -3, 7), "7");
    EXPECT_EQ(Fmt("%.*d", 3, 7), "007");
    EXPECT_EQ(Fmt("%.*s|", -1, "abc"), "|");
    EXPECT_EQ(Fmt("%*.*s|", 4, 2, "abc"), "  ab|");
    EXPECT_EQ(Fmt("%-*s|", 4, "ab"), "ab  |");
    EXPECT_EQ(Fmt("%*d|", INT32_MIN, 1), "1                                                              |");
}

TEST(StrFormatString, Utf8) {
    EXPECT_EQ(Fmt("%s", "hello"), "hello");
    EXPECT_EQ(Fmt("%.2s", "hello"), "he");
    EXPECT_EQ(Fmt("%.0s|", "hello"), "|");
    EXPECT_EQ(Fmt("%.10s", "hi"), "hi");
    EXPECT_EQ(Fmt("%7s|", "hello"), "  hello|");
    EXPECT_EQ(Fmt("%-7s|", "hello"), "hello  |");
    EXPECT_EQ(Fmt("%7.2s|", "hello"), "     he|");
    EXPECT_EQ(Fmt("%S", "upper"), "upper");
    EXPECT_EQ(Fmt("%s|%s", "", "x"), "|x");
    // Width and precision count bytes, not characters.
    EXPECT_EQ(Fmt("%4s|", "\xc3\xa9"), "  \xc3\xa9|");
    EXPECT_EQ(Fmt("%.1s|", "\xc3\xa9"), "\xc3|");
    // A field longer than any work buffer passes through whole.
    std::string strLong(3000, 'x');
    EXPECT_EQ(Fmt("<%s>", strLong.c_str()), "<" + strLong + ">");
    EXPECT_EQ(Fmt("%200s", "a"), std::string(199, ' ') + "a");
}

TEST(StrFormatString, NearNullPointers) {
    EXPECT_EQ(Fmt("%s", (const char *)NULL), "<NULL>");
    EXPECT_EQ(Fmt("%s", (const char *)(uintptr_t)0xfff), "<NULL>");
    EXPECT_EQ(Fmt("%s", (const char *)(intptr_t)-5), "<NULL>");
    EXPECT_EQ(Fmt("%s", (const char *)(intptr_t)-4096), "<NULL>");
    EXPECT_EQ(Fmt("%ls", (const RTUTF16 *)NULL), "<NULL>");
    EXPECT_EQ(Fmt("%Ls", (const RTUNICP *)NULL), "<NULL>");
    EXPECT_EQ(Fmt("%8s|", (const char *)NULL), "  <NULL>|");
    EXPECT_EQ(Fmt("%.3s|", (const char *)NULL), "<NU|");
}

TEST(StrFormatString, Utf16) {
    // h, e-acute, euro sign, U+1F600 as a surrogate pair.
    static const RTUTF16 s_wszText[] = {0x68, 0xe9, 0x20ac, 0xd83d, 0xde00, 0};
    EXPECT_EQ(Fmt("%ls", s_wszText), "h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80");
    // Width and precision count code points.
    EXPECT_EQ(Fmt("%.2ls|", s_wszText), "h\xc3\xa9|");
    EXPECT_EQ(Fmt("%6ls|", s_wszText), "  h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80|");
    EXPECT_EQ(Fmt("%-6ls|", s_wszText), "h\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80  |");
    // Output stops at the first invalid sequence; padding counts what is printed.
    static const RTUTF16 s_wszLoneHigh[] = {0x61, 0xd800, 0x62, 0};
    EXPECT_EQ(Fmt("%4ls|", s_wszLoneHigh), "   a|");
    static const RTUTF16 s_wszLoneLow[] = {0xdc00, 0x62, 0};
    EXPECT_EQ(Fmt("%ls|", s_wszLoneLow), "|");
    static const RTUTF16 s_wszEndian[] = {0x61, 0xfffe, 0x62, 0};
    EXPECT_EQ(Fmt("%ls|", s_wszEndian), "a|");
    static const RTUTF16 s_wszEmpty[] = {0};
    EXPECT_EQ(Fmt("%3ls|", s_wszEmpty), "   |");
    // Long text crosses the internal run buffer.
    std::basic_string<RTUTF16> wstrLong(500, 0x20ac);
    std::string strExpected;
    for (int i = 0; i < 500; i++) strExpected += "\xe2\x82\xac";
    EXPECT_EQ(Fmt("%ls", wstrLong.c_str()), strExpected);
}

TEST(StrFormatString, CodePoints) {
    static const RTUNICP s_aucText[] = {0x41, 0x20ac, 0x1f600, 0};
    EXPECT_EQ(Fmt("%Ls", s_aucText), "A\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(Fmt("%lls", s_aucText), "A\xe2\x82\xac\xf0\x9f\x98\x80");
    EXPECT_EQ(Fmt("%.1Ls|", s_aucText), "A|");
    EXPECT_EQ(Fmt("%5Ls|", s_aucText), "  A\xe2\x82\xac\xf0\x9f\x98\x80|");
    // Entries are encoded without checks: a surrogate comes out as the byte 0x7F.
    static const RTUNICP s_aucSurrogate[] = {0xd800, 0x42, 0};
    EXPECT_EQ(Fmt("%Ls", s_aucSurrogate), "\x7f"
                                          "B");
}

TEST(StrFormatPercent, LiteralsAndPercentSigns) {
    EXPECT_EQ(Fmt("plain text"), "plain text");
    EXPECT_EQ(Fmt(""), "");
    EXPECT_EQ(Fmt("%%"), "%");
    EXPECT_EQ(Fmt("100%%|%d%%", 5), "100%|5%");
    EXPECT_EQ(Fmt("%%%%"), "%%");
    EXPECT_EQ(Fmt("a%%b%%c"), "a%b%c");
    EXPECT_EQ(Fmt("%5%|"), "|");
    EXPECT_EQ(Fmt("%L%|"), "|");
    // A format that ends inside a conversion stops there.
    EXPECT_EQ(Fmt("abc%"), "abc");
    EXPECT_EQ(Fmt("abc%-5"), "abc");
    EXPECT_EQ(Fmt("abc%.*", 3), "abc");
    EXPECT_EQ(Fmt("abc%ll"), "abc");
    EXPECT_EQ(Fmt("abc%I6"), "abc");
}

TEST(StrFormatUnknown, DroppedWithoutCallback) {
    EXPECT_EQ(Fmt("[%k]"), "[]");
    EXPECT_EQ(Fmt("[%e]"), "[]");
    EXPECT_EQ(Fmt("[%n]"), "[]");
    EXPECT_EQ(Fmt("[%-5.3lk]"), "[]");
    EXPECT_EQ(Fmt("[%f]"), "[]");
    // Unknown conversions take no argument.
    EXPECT_EQ(Fmt("%k%d", 5), "5");
}

struct CallbackSeen {
    std::string strConv;
    int cchWidth = 0;
    int cchPrecision = 0;
    unsigned fFlags = 0;
    char chArgSize = 0;
    int cCalls = 0;
};

size_t testFormatCallback(void *pvArg, PFNRTSTROUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                          va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize) {
    CallbackSeen *pSeen = static_cast<CallbackSeen *>(pvArg);
    pSeen->cCalls++;
    pSeen->strConv = *ppszFormat;
    pSeen->cchWidth = cchWidth;
    pSeen->cchPrecision = cchPrecision;
    pSeen->fFlags = fFlags;
    pSeen->chArgSize = chArgSize;
    if (**ppszFormat == 'k') {
        // "%k" prints its integer argument in angle brackets and consumes one character.
        int const i = va_arg(*pArgs, int);
        *ppszFormat += 1;
        char sz[32];
        int const cch = snprintf(sz, sizeof(sz), "<%d>", i);
        return pfnOutput(pvArgOutput, sz, (size_t)cch);
    }
    if ((*ppszFormat)[0] == 'Q' && (*ppszFormat)[1] == 'Q') {
        *ppszFormat += 2; // a two-character conversion
        return pfnOutput(pvArgOutput, "qq", 2);
    }
    *ppszFormat += 1;
    return 0;
}

std::string FmtCb(CallbackSeen *pSeen, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    FmtSink Sink;
    size_t const cch = RTStrFormatV(fmtSinkOutput, &Sink, testFormatCallback, pSeen, pszFormat, va);
    va_end(va);
    EXPECT_EQ(cch, Sink.str.size());
    return Sink.str;
}

TEST(StrFormatCallback, GetsUnknownConversions) {
    CallbackSeen Seen;
    EXPECT_EQ(FmtCb(&Seen, "a%-7.3lkb%d", 42, 9), "a<42>b9");
    EXPECT_EQ(Seen.cCalls, 1);
    EXPECT_EQ(Seen.strConv, "kb%d");
    EXPECT_EQ(Seen.cchWidth, 7);
    EXPECT_EQ(Seen.cchPrecision, 3);
    EXPECT_EQ(Seen.fFlags, (unsigned)(RTSTR_F_LEFT | RTSTR_F_WIDTH | RTSTR_F_PRECISION));
    EXPECT_EQ(Seen.chArgSize, 'l');

    CallbackSeen Seen2;
    EXPECT_EQ(FmtCb(&Seen2, "%QQ|%hhQ|%I64e"), "qq||");
    EXPECT_EQ(Seen2.cCalls, 3);
    EXPECT_EQ(Seen2.chArgSize, 'L');
    EXPECT_EQ(Seen2.cchWidth, -1);
    EXPECT_EQ(Seen2.cchPrecision, -1);

    // Known conversions never reach it; "%5%" does.
    CallbackSeen Seen3;
    EXPECT_EQ(FmtCb(&Seen3, "%d%s%%", 1, "x"), "1x%");
    EXPECT_EQ(Seen3.cCalls, 0);
    EXPECT_EQ(FmtCb(&Seen3, "%5%"), "");
    EXPECT_EQ(Seen3.cCalls, 1);
    EXPECT_EQ(Seen3.strConv, "%");
}

std::string FmtNested(const char *pszOuter, const char *pszNested, ...) {
    va_list va;
    va_start(va, pszNested);
    std::string str = Fmt(pszOuter, pszNested, &va, 99);
    va_end(va);
    return str;
}

TEST(StrFormatNested, FormatsWithItsOwnList) {
    EXPECT_EQ(FmtNested("%N", "<%d-%s>", 5, "x"), "<5-x>");
    // The outer list goes on after the two %N arguments.
    EXPECT_EQ(FmtNested("[%N|%d]", "<%d-%s>", 5, "x"), "[<5-x>|99]");
    EXPECT_EQ(FmtNested("%N", "%'RU64 %Rrc", (uint64_t)1234567, -102), "1 234 567 QERR_FILE_NOT_FOUND");
}

TEST(StrFormatNested, ListIsCopiedNotAdvanced) {
    // The same nested list used twice gives the same text twice.
    struct Local {
        static std::string Twice(const char *pszNested, ...) {
            va_list va;
            va_start(va, pszNested);
            std::string str = Fmt("%N/%N", pszNested, &va, pszNested, &va);
            va_end(va);
            return str;
        }
    };
    EXPECT_EQ(Local::Twice("%d,%d", 1, 2), "1,2/1,2");
}

TEST(StrFormatNested, FinalCallOfTheNestedRun) {
    struct Local {
        static unsigned FinalCalls(const char *pszNested, ...) {
            va_list va;
            va_start(va, pszNested);
            FmtSink Sink;
            RTStrFormat(fmtSinkOutput, &Sink, NULL, NULL, "a%Nb", pszNested, &va);
            va_end(va);
            EXPECT_EQ(Sink.str, "a<7>b");
            return Sink.cFinalCalls;
        }
    };
    EXPECT_EQ(Local::FinalCalls("<%d>", 7), 2u);
}

TEST(StrFormatSubstitute, ContinuesWithTheNewFormat) {
    EXPECT_EQ(Fmt("first %M rest %d", "new %d", 7), "first new 7");
    EXPECT_EQ(Fmt("%d %M!", 1, "%s-%M", "a", "%d.", 3), "1 a-3.");
    EXPECT_EQ(Fmt("x%My", ""), "x");
    EXPECT_EQ(Fmt("x%My", (const char *)NULL), "x");
}

TEST(StrFormatOutput, LiteralTextGoesOutInRuns) {
    struct Counter {
        static size_t Output(void *pvArg, const char *pach, size_t cch) {
            if (pach) ++*static_cast<int *>(pvArg);
            return cch;
        }
    };
    int cCalls = 0;
    size_t const cch = RTStrFormat(Counter::Output, &cCalls, NULL, NULL, "Hello, world: %d and more text", 5);
    EXPECT_EQ(cch, 29u);
    EXPECT_EQ(cCalls, 3);
}

TEST(StrFormatOutput, ResultIsWhatTheCallbackTook) {
    struct Clipper {
        static size_t Output(void *, const char *pach, size_t cch) { return pach && cch > 2 ? 2 : cch; }
    };
    // Three pieces: "abcd" -> 2, "12345" -> 2, "ef" -> 2.
    EXPECT_EQ(RTStrFormat(Clipper::Output, NULL, NULL, NULL, "abcd%def", 12345), 6u);
}

} // namespace
