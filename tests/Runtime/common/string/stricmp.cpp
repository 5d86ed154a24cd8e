// Comparisons: byte-wise, case-insensitive by simple case mapping (with the byte-wise fallback
// on bad encodings), bounded, and ASCII-only.
#include <qrt/err.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

namespace {

int Sign(int i) {
    return (i > 0) - (i < 0);
}

TEST(StrCmp, BytesUnsignedAndNulls) {
    EXPECT_EQ(-1, RTStrCmp(".MSI", ".msi"));
    EXPECT_EQ(1, RTStrCmp(".msi", ".MSI"));
    EXPECT_EQ(0, RTStrCmp("abc", "abc"));
    EXPECT_EQ(-1, RTStrCmp("ab", "abc"));
    EXPECT_EQ(1, RTStrCmp("\xc3\xa9", "z")); // unsigned bytes
    EXPECT_EQ(0, RTStrCmp(nullptr, nullptr));
    EXPECT_EQ(-1, RTStrCmp(nullptr, ""));
    EXPECT_EQ(1, RTStrCmp("", nullptr));
    const char *psz = "same";
    EXPECT_EQ(0, RTStrCmp(psz, psz));
    EXPECT_EQ(0, RTStrNCmp("abcX", "abcY", 3));
    EXPECT_EQ(-1, RTStrNCmp("abcX", "abcY", 4));
}

struct ICmpCase {
    const char *psz1;
    const char *psz2;
    int iExpect;
    bool fExact; // iExpect is the exact result, not only its sign
};

void PrintTo(const ICmpCase &c, std::ostream *os) {
    *os << (c.psz1 ? c.psz1 : "(null)") << " vs " << (c.psz2 ? c.psz2 : "(null)");
}

// clang-format off
const ICmpCase g_aICmp[] = {
    {".MSI",                 ".msi",                0,   true},
    {".msi",                 ".cab",                10,  true},
    {"abc",                  "abd",                 -1,  true},
    {"abc",                  "ab",                  'c', true},
    {"",                     "",                    0,   true},
    {nullptr,                nullptr,               0,   true},
    {nullptr,                "a",                   -1,  true},
    {"a",                    nullptr,               1,   true},
    {"\xff",                 "a",                   1,   true},  // byte-wise fallback
    {"a",                    "\xff",                -1,  true},
    {"x\xc3\xa9",            "X\xc3\x89",           0,   true},  // é / É
    {"K",                    "\xe2\x84\xaa",        0,   true},  // Kelvin sign
    {"k",                    "\xe2\x84\xaa",        0,   true},
    {"\xc3\x9f",             "\xe1\xba\x9e",        0,   true},  // ß / ẞ
    {"\xc7\x85",             "\xc7\x84",            0,   true},  // ǅ / Ǆ
    {"\xc7\x85",             "\xc7\x86",            0,   true},  // ǅ / ǆ
    {"\xc4\xb1",             "I",                   0,   true},  // ı by its upper case
    {"\xc4\xb0",             "i",                   0,   true},  // İ by its lower case
    {"\xc5\xbf",             "S",                   0,   true},  // ſ
    {"\xc3\xa9",             "f",                   0xe9 - 'f', true},
    {"a\xc3\xa9",            "a\xff",               -1,  true},  // second fails: bytes from é
    {"a\xed\xa0\x80",        "a\xc3\xa9",           1,   true},  // first fails: ED vs C3
    {"\xd0\x9f\xd1\x80\xd0\xb8", "\xd0\xbf\xd0\xa0\xd0\x98", 0, true}, // Cyrillic
    {"\xf0\x90\x90\x80",     "\xf0\x90\x90\xa8",    0,   true},  // Deseret
    {"\xe1\x8e\xa0",         "\xea\xad\xb0",        -1,  false}, // Cherokee: not cased in 6.1
    {"abc\xc3\xa9",          "ABC\xc3\x89x",        -'x', true},
};
// clang-format on

class StrICmp : public testing::TestWithParam<ICmpCase> {};

TEST_P(StrICmp, Result) {
    const ICmpCase &c = GetParam();
    int i = RTStrICmp(c.psz1, c.psz2);
    if (c.fExact)
        EXPECT_EQ(c.iExpect, i);
    else
        EXPECT_EQ(Sign(c.iExpect), Sign(i));
}

TEST_P(StrICmp, SignSymmetric) {
    const ICmpCase &c = GetParam();
    EXPECT_EQ(Sign(RTStrICmp(c.psz1, c.psz2)), -Sign(RTStrICmp(c.psz2, c.psz1)));
}

TEST_P(StrICmp, UnboundedNICmpAgrees) {
    const ICmpCase &c = GetParam();
    EXPECT_EQ(Sign(RTStrICmp(c.psz1, c.psz2)), Sign(RTStrNICmp(c.psz1, c.psz2, RTSTR_MAX)));
}

INSTANTIATE_TEST_SUITE_P(Table, StrICmp, testing::ValuesIn(g_aICmp));

struct NICmpCase {
    const char *psz1;
    const char *psz2;
    size_t cchMax;
    int iExpect;
};

// clang-format off
const NICmpCase g_aNICmp[] = {
    {"abc",          "xyz",            0, 0},
    {nullptr,        "a",              0, 0},
    {nullptr,        "a",              5, -1},
    {"a",            nullptr,          5, 1},
    {"abcX",         "ABCY",           3, 0},
    {"abcX",         "ABCY",           4, -1},
    {"abc",          "ABC",            9, 0},
    {"abc",          "ABCD",           9, -'d'},
    {"\xc3\xa9",     "\xc3\x89",       2, 0},
    {"\xc3\xa9",     "\xc3\x89",       1, 0},   // limit cuts both: byte-wise over 1 byte
    {"\xc3\xa9",     "e",              1, 1},   // limit cuts the first: C3 > 'e'
    {"k",            "\xe2\x84\xaa",   1, -1},  // the second may use only what the first had
    {"k",            "\xe2\x84\xaa",   3, 0},
    {"\xe2\x84\xaa", "k",              3, 0},
    {"\xe2\x84\xaa" "x", "kY",         3, 0},   // the limit counts the first string's bytes
    {"ab\xff",       "ab\xff",         9, 0},
    {"ab\xff" "c",   "ab\xff" "d",     4, -1},
    {"ab\xff" "c",   "ab\xff" "d",     3, 0},
};
// clang-format on

class StrNICmp : public testing::TestWithParam<NICmpCase> {};

TEST_P(StrNICmp, Result) {
    const NICmpCase &c = GetParam();
    EXPECT_EQ(c.iExpect, RTStrNICmp(c.psz1, c.psz2, c.cchMax));
}

INSTANTIATE_TEST_SUITE_P(Table, StrNICmp, testing::ValuesIn(g_aNICmp));

struct AsciiICmpCase {
    const char *psz1;
    const char *pszAscii;
    int iExpect;
};

// clang-format off
const AsciiICmpCase g_aAsciiICmp[] = {
    {".Msi",       ".msix", -120},  // terminator against 'x'
    {".MSI",       ".msi",  0},
    {".msi",       ".MSI",  0},
    {".msix",      ".msi",  'x'},
    {"\xc3\xa9",   "e",     1},     // non-ASCII code point
    {"\xc3\xa9",   "\xc3",  1},
    {"\xff",       "a",     1},     // bad byte: byte-wise
    {"a\xe2\x82",  "a",     1},
    {"A",          "b",     -1},
    {"[",          "a",     '[' - 'a'}, // '[' is not folded
    {"a",          "[",     'a' - '['},
    {"",           "",      0},
    {nullptr,      nullptr, 0},
    {nullptr,      "x",     -1},
    {"x",          nullptr, 1},
};
// clang-format on

class StrAsciiICmp : public testing::TestWithParam<AsciiICmpCase> {};

TEST_P(StrAsciiICmp, Result) {
    const AsciiICmpCase &c = GetParam();
    EXPECT_EQ(c.iExpect, RTStrAsciiICmp(c.psz1, c.pszAscii));
}

INSTANTIATE_TEST_SUITE_P(Table, StrAsciiICmp, testing::ValuesIn(g_aAsciiICmp));

TEST(StrICmp, SamePointerIsEqualEvenIfInvalid) {
    const char *psz = "\xff\xfe";
    EXPECT_EQ(0, RTStrICmp(psz, psz));
    EXPECT_EQ(0, RTStrNICmp(psz, psz, 2));
    EXPECT_EQ(0, RTStrAsciiICmp(psz, psz));
}

} // namespace
