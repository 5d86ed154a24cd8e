// Escaped text: "%RMas" and "%RMes" (XML), "%RMjs" (JSON), "%RMpa", "%RMpf", "%RMpp", "%RMpq" (URL).
#include "tstStrFormatTypes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct EscapeCase {
    const char *pszFormat;
    const char *pszText;
    std::string strExpect;
};

void PrintTo(const EscapeCase &c, std::ostream *os) {
    *os << "'" << c.pszFormat << "' of '" << (c.pszText ? c.pszText : "(null)") << "'";
}

// clang-format off
const EscapeCase g_aXml[] = {
    {"%RMes",    "a<b>&'",                "a&lt;b&gt;&amp;&apos;"},
    {"%RMes",    "\"q\"",                 "&quot;q&quot;"},
    {"%RMes",    "l1\nl2\r",              "l1\nl2\r"},                // kept in element content
    {"%RMes",    "plain text \xc3\xa9",   "plain text \xc3\xa9"},
    {"%RMes",    "",                      ""},
    {"%RMas",    "a<b>&\"'\n\r",          "\"a&lt;b&gt;&amp;&quot;'&#xA;&#xD;\""},
    {"%RMas",    "",                      "\"\""},
    {"%RMas",    "\t",                    "\"\t\""},
    // Width from the raw length; quoted forms pad inside the quotes.
    {"%10RMes",  "a<b",                   "       a&lt;b"},
    {"%-10RMes", "a<b",                   "a&lt;b       "},
    {"%10RMas",  "a<b",                   "\"       a&lt;b\""},
    {"%-10RMas", "a<b",                   "\"a&lt;b       \""},
    {"%2RMes",   "a<b",                   "a&lt;b"},
    // Precision limits the raw text.
    {"%.3RMes",  "a<bcd",                 "a&lt;b"},
    {"%5.2RMes", "<<<<",                  "   &lt;&lt;"},
    {"%.0RMas",  "abc",                   "\"\""},
    // Null and near-null pointers escape "<NULL>".
    {"%RMes",    nullptr,                 "&lt;NULL&gt;"},
    {"%RMas",    nullptr,                 "\"&lt;NULL&gt;\""},
};

const EscapeCase g_aJson[] = {
    {"%RMjs",    "\t\x01",                "\"\\t\\u0001\""},
    {"%RMjs",    "\"\\",                  "\"\\\"\\\\\""},
    {"%RMjs",    "\b\f\n\r",              "\"\\b\\f\\n\\u000d\""},
    {"%RMjs",    "\x1f\x0b",              "\"\\u001f\\u000b\""},
    {"%RMjs",    "/\x7f\xc3\xa9\xff",     "\"/\x7f\xc3\xa9\xff\""},   // copied unchanged
    {"%RMjs",    "it's <ok> & fine",      "\"it's <ok> & fine\""},
    {"%RMjs",    "",                      "\"\""},
    {"%6RMjs",   "\t",                    "\"     \\t\""},
    {"%-6RMjs",  "\t",                    "\"\\t     \""},
    {"%.1RMjs",  "\n\n",                  "\"\\n\""},
    {"%RMjs",    nullptr,                 "\"<NULL>\""},
};

const EscapeCase g_aUrl[] = {
    {"%RMpa",    "a b/c?",                "a%20b%2Fc%3F"},
    {"%RMpf",    "a b/c?",                "a+b%2Fc%3F"},
    {"%RMpp",    "a b/c?",                "a%20b/c%3F"},
    {"%RMpq",    "a b/c?",                "a%20b%2Fc%3F"},
    {"%RMpa",    "a+b",                   "a%2Bb"},
    {"%RMpf",    "a+b",                   "a%2Bb"},
    {"%RMpp",    "a+b",                   "a%2Bb"},
    {"%RMpq",    "a+b",                   "a+b"},
    {"%RMpa",    "AZaz09-._~",            "AZaz09-._~"},
    {"%RMpa",    "\xc3\xa9\x7f\x01",      "%C3%A9%7F%01"},
    {"%RMpa",    "%&=#:;@!*'()[]",        "%25%26%3D%23%3A%3B%40%21%2A%27%28%29%5B%5D"},
    {"%8RMpa",   "ab",                    "%20%20%20%20%20%20ab"},
    {"%-8RMpa",  "ab",                    "ab%20%20%20%20%20%20"},
    {"%4RMpf",   "a b",                   "%20a+b"},
    {"%.2RMpa",  "a/b",                   "a%2F"},
    {"%RMpa",    nullptr,                 "%3CNULL%3E"},
};
// clang-format on

class EscapeXml : public ::testing::TestWithParam<EscapeCase> {};
class EscapeJson : public ::testing::TestWithParam<EscapeCase> {};
class EscapeUrl : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeXml, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().pszText), GetParam().strExpect);
}
TEST_P(EscapeJson, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().pszText), GetParam().strExpect);
}
TEST_P(EscapeUrl, Formats) {
    EXPECT_EQ(tstFmt(GetParam().pszFormat, GetParam().pszText), GetParam().strExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, EscapeXml, ::testing::ValuesIn(g_aXml));
INSTANTIATE_TEST_SUITE_P(Table, EscapeJson, ::testing::ValuesIn(g_aJson));
INSTANTIATE_TEST_SUITE_P(Table, EscapeUrl, ::testing::ValuesIn(g_aUrl));

// Every byte value through every form: exactly the listed bytes change.
TEST(EscapeAllBytes, OnlySpecialBytesChange) {
    for (unsigned u = 1; u < 256; u++) {
        char sz[2] = {(char)u, '\0'};
        std::string strRaw(sz);
        bool fAlnum = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9');
        bool fUnreserved = fAlnum || u == '-' || u == '.' || u == '_' || u == '~';

        std::string strEs = tstFmt("%RMes", sz);
        EXPECT_EQ(strEs == strRaw, !(u == '<' || u == '>' || u == '&' || u == '"' || u == '\'')) << u;
        std::string strAs = tstFmt("%RMas", sz);
        EXPECT_EQ(strAs == "\"" + strRaw + "\"",
                  !(u == '<' || u == '>' || u == '&' || u == '"' || u == '\n' || u == '\r'))
            << u;
        std::string strJs = tstFmt("%RMjs", sz);
        EXPECT_EQ(strJs == "\"" + strRaw + "\"", !(u < 32 || u == '"' || u == '\\')) << u;
        if (u < 32 && u != '\b' && u != '\t' && u != '\n' && u != '\f') {
            char szExpect[16];
            snprintf(szExpect, sizeof(szExpect), "\"\\u%04x\"", u);
            EXPECT_EQ(strJs, szExpect);
        }

        char szPct[4];
        snprintf(szPct, sizeof(szPct), "%%%02X", u);
        EXPECT_EQ(tstFmt("%RMpa", sz), fUnreserved ? strRaw : std::string(szPct)) << u;
        EXPECT_EQ(tstFmt("%RMpp", sz), fUnreserved || u == '/' ? strRaw : std::string(szPct)) << u;
        EXPECT_EQ(tstFmt("%RMpq", sz), fUnreserved || u == '+' ? strRaw : std::string(szPct)) << u;
        EXPECT_EQ(tstFmt("%RMpf", sz), fUnreserved ? strRaw : u == ' ' ? std::string("+") : std::string(szPct)) << u;
    }
}

TEST(EscapeText, NearNullPointers) {
    EXPECT_EQ(tstFmt("%RMjs", (const char *)0xfff), "\"<NULL>\"");
    EXPECT_EQ(tstFmt("%RMes", (const char *)(intptr_t)-4096), "&lt;NULL&gt;");
    // Width of a null text counts the six characters of "<NULL>".
    EXPECT_EQ(tstFmt("%8RMes", (const char *)nullptr), "  &lt;NULL&gt;");
}

TEST(EscapeText, PrecisionDoesNotReadPastIt) {
    // Unterminated heap copy: the sanitizer catches any read past the precision.
    std::vector<char> ach = {'<', 'a', '&'};
    EXPECT_EQ(tstFmt("%.*RMes", 3, ach.data()), "&lt;a&amp;");
    EXPECT_EQ(tstFmt("%.*RMjs", 2, ach.data()), "\"<a\"");
}

TEST(EscapeText, UnescapedRunsGoOutWhole) {
    std::string strLong(1000, 'x');
    TstFmtRun Res = tstFmtRun("%RMes", strLong.c_str());
    EXPECT_EQ(Res.str, strLong);
    EXPECT_EQ(Res.cCalls, 1u);
    Res = tstFmtRun("%RMjs", (strLong + "\n" + strLong).c_str());
    EXPECT_EQ(Res.str, "\"" + strLong + "\\n" + strLong + "\"");
    EXPECT_EQ(Res.cchReturned, Res.str.size());
    EXPECT_LE(Res.cCalls, 5u);
}

TEST(EscapeText, UnknownFormsPrintNothing) {
    EXPECT_EQ(tstFmt("%RMx|%RMas", "a"), "|\"a\"");
    EXPECT_EQ(tstFmt("%RMaz|"), "|");
    EXPECT_EQ(tstFmt("%RMpz|"), "|");
    EXPECT_EQ(tstFmt("%RMp"), "");
    EXPECT_EQ(tstFmt("%RM"), "");
}

} // namespace
