// UTF-8 code-point primitives: every error class of the sequence rules, limits that cut
// sequences, the special values of RTStrPutCp, and stepping back with RTStrPrevCp.
#include <qrt/err.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct DecodeCase {
    const char *psz;
    int rc;       // RTStrGetCpEx
    RTUNICP uc;   // code point stored
    size_t cbAdv; // bytes consumed
    int rcUtf16;  // conversion to UTF-16
};

void PrintTo(const DecodeCase &c, std::ostream *os) {
    *os << "bytes";
    for (const char *p = c.psz; *p; p++) *os << ' ' << std::hex << (unsigned)(uint8_t)*p;
    if (!*c.psz) *os << " (empty)";
}

const RTUNICP kInv = RTUNICP_INVALID;
const int kBad = QERR_INVALID_UTF8_ENCODING;
const int kSur = QERR_CODE_POINT_SURROGATE;
const int kEnd = QERR_CODE_POINT_ENDIAN_INDICATOR;
const int kBig = QERR_CANT_RECODE_AS_UTF16;

// clang-format off
const DecodeCase g_aDecode[] = {
    // One byte.
    {"",                             0,    0,          1, 0},
    {"A",                            0,    0x41,       1, 0},
    {"\x7f",                         0,    0x7f,       1, 0},
    // Two bytes: range and overlong forms.
    {"\xc2\x80",                     0,    0x80,       2, 0},
    {"\xc3\xa9",                     0,    0xe9,       2, 0},
    {"\xdf\xbf",                     0,    0x7ff,      2, 0},
    {"\xc0\x80",                     kBad, kInv,       1, kBad}, // overlong zero
    {"\xc1\xbf",                     kBad, kInv,       1, kBad},
    // Three bytes: overlong, surrogates, endian indicators.
    {"\xe0\xa0\x80",                 0,    0x800,      3, 0},
    {"\xe0\x9f\xbf",                 kBad, kInv,       1, kBad},
    {"\xe0\x80\x80",                 kBad, kInv,       1, kBad},
    {"\xed\x9f\xbf",                 0,    0xd7ff,     3, 0},
    {"\xed\xa0\x80",                 kSur, kInv,       1, kSur},
    {"\xed\xaf\xbf",                 kSur, kInv,       1, kSur},
    {"\xed\xbf\xbf",                 kSur, kInv,       1, kSur},
    {"\xee\x80\x80",                 0,    0xe000,     3, 0},
    {"\xef\xbf\xbd",                 0,    0xfffd,     3, 0},
    {"\xef\xbf\xbe",                 kEnd, kInv,       1, kEnd},
    {"\xef\xbf\xbf",                 kEnd, kInv,       1, kEnd},
    // Four bytes: beyond U+10FFFF decodes but does not fit UTF-16.
    {"\xf0\x90\x80\x80",             0,    0x10000,    4, 0},
    {"\xf0\x8f\xbf\xbf",             kBad, kInv,       1, kBad},
    {"\xf0\x80\x80\x80",             kBad, kInv,       1, kBad},
    {"\xf4\x8f\xbf\xbf",             0,    0x10ffff,   4, 0},
    {"\xf4\x90\x80\x80",             0,    0x110000,   4, kBig},
    {"\xf7\xbf\xbf\xbf",             0,    0x1fffff,   4, kBig},
    // Five and six bytes.
    {"\xf8\x88\x80\x80\x80",         0,    0x200000,   5, kBig},
    {"\xf8\x80\x80\x80\x80",         kBad, kInv,       1, kBad}, // overlong before range
    {"\xf8\x87\xbf\xbf\xbf",         kBad, kInv,       1, kBad},
    {"\xfb\xbf\xbf\xbf\xbf",         0,    0x3ffffff,  5, kBig},
    {"\xfc\x84\x80\x80\x80\x80",     0,    0x4000000,  6, kBig},
    {"\xfc\x83\xbf\xbf\xbf\xbf",     kBad, kInv,       1, kBad},
    {"\xfc\x80\x80\x80\x80\x80",     kBad, kInv,       1, kBad},
    {"\xfd\xbf\xbf\xbf\xbf\xbf",     0,    0x7fffffff, 6, kBig},
    // Bytes that never start a sequence.
    {"\x80",                         kBad, kInv,       1, kBad},
    {"\xbf",                         kBad, kInv,       1, kBad},
    {"\xfe",                         kBad, kInv,       1, kBad},
    {"\xff",                         kBad, kInv,       1, kBad},
    {"\xfe\x80\x80\x80\x80\x80\x80", kBad, kInv,       1, kBad},
    // Truncated by the terminator.
    {"\xc3",                         kBad, kInv,       1, kBad},
    {"\xe2\x82",                     kBad, kInv,       1, kBad},
    {"\xf0\x9f\x98",                 kBad, kInv,       1, kBad},
    {"\xf8\x88\x80\x80",             kBad, kInv,       1, kBad},
    {"\xfd\xbf\xbf\xbf\xbf",         kBad, kInv,       1, kBad},
    // Bad continuation bytes at each position.
    {"\xc3\x41",                     kBad, kInv,       1, kBad},
    {"\xc3\xc3\xa9",                 kBad, kInv,       1, kBad},
    {"\xe2\x28\xa1",                 kBad, kInv,       1, kBad},
    {"\xe2\x82\x28",                 kBad, kInv,       1, kBad},
    {"\xf0\x9f\x98\x41",             kBad, kInv,       1, kBad},
    {"\xfc\x84\x80\x80\x80\xc0",     kBad, kInv,       1, kBad},
};
// clang-format on

class Utf8Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, GetCpEx) {
    const DecodeCase &c = GetParam();
    const char *psz = c.psz;
    RTUNICP uc = 0x12345;
    EXPECT_EQ(c.rc, RTStrGetCpEx(&psz, &uc));
    EXPECT_EQ(c.uc, uc);
    EXPECT_EQ(c.psz + c.cbAdv, psz);
    EXPECT_EQ(c.uc, RTStrGetCp(c.psz));
}

TEST_P(Utf8Decode, GetCpNExWithRoomAgrees) {
    const DecodeCase &c = GetParam();
    const char *psz = c.psz;
    size_t const cchStart = strlen(c.psz) + 1;
    size_t cch = cchStart;
    RTUNICP uc = 0x12345;
    EXPECT_EQ(c.rc, RTStrGetCpNEx(&psz, &cch, &uc));
    EXPECT_EQ(c.uc, uc);
    EXPECT_EQ(c.psz + c.cbAdv, psz);
    EXPECT_EQ(cchStart - c.cbAdv, cch);
}

TEST_P(Utf8Decode, LimitOneShorterCutsTheSequence) {
    const DecodeCase &c = GetParam();
    if (c.rc != 0 || c.cbAdv < 2) return;
    const char *psz = c.psz;
    size_t cch = c.cbAdv - 1;
    RTUNICP uc = 0;
    EXPECT_EQ(kBad, RTStrGetCpNEx(&psz, &cch, &uc));
    EXPECT_EQ(kInv, uc);
    EXPECT_EQ(c.psz + 1, psz);
    EXPECT_EQ(c.cbAdv - 2, cch);
}

TEST_P(Utf8Decode, ValidationAndConversionFollowTheSameRules) {
    const DecodeCase &c = GetParam();
    // Each input's first sequence decides: the whole-string checks report its error.
    int rcValidate = RTStrValidateEncoding(c.psz);
    EXPECT_EQ(c.rc, rcValidate);
    size_t cwc = 0;
    EXPECT_EQ(c.rcUtf16, RTStrCalcUtf16LenEx(c.psz, RTSTR_MAX, &cwc));
    if (c.rcUtf16 == 0)
        EXPECT_EQ(!*c.psz ? 0u : c.uc >= 0x10000 ? 2u : 1u, cwc);
    else
        EXPECT_EQ(RTSTR_MAX, cwc);
    RTUTF16 *pwsz = reinterpret_cast<RTUTF16 *>(0x1);
    EXPECT_EQ(c.rcUtf16, RTStrToUtf16(c.psz, &pwsz));
    if (c.rcUtf16 == 0)
        RTMemFree(pwsz);
    else
        EXPECT_EQ(nullptr, pwsz);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8Decode, testing::ValuesIn(g_aDecode));

TEST(Utf8GetCpNEx, ZeroCountIsEndOfStringWithoutMoving) {
    const char *psz = "abc";
    size_t cch = 0;
    RTUNICP uc = 0;
    EXPECT_EQ(QERR_END_OF_STRING, RTStrGetCpNEx(&psz, &cch, &uc));
    EXPECT_STREQ("abc", psz);
    EXPECT_EQ(0u, cch);
}

TEST(Utf8GetCpEx, DamagedStringLoopEnds) {
    // Every failure consumes one byte, so a decoder loop over garbage terminates.
    const char *psz = "\xff\xc3\xe2\x82\xed\xa0\x80x";
    unsigned cSteps = 0;
    RTUNICP uc;
    do {
        RTStrGetCpEx(&psz, &uc);
        cSteps++;
    } while (uc != 0);
    EXPECT_EQ(9u, cSteps);
}

struct PutCase {
    RTUNICP uc;
    const char *pszExpect;
};

// clang-format off
const PutCase g_aPut[] = {
    {0x00,       ""}, // written as the single byte 0, compared by length below
    {0x41,       "A"},
    {0x7f,       "\x7f"},
    {0x80,       "\xc2\x80"},
    {0x7ff,      "\xdf\xbf"},
    {0x800,      "\xe0\xa0\x80"},
    {0xd7ff,     "\xed\x9f\xbf"},
    {0xd800,     "\x7f"},
    {0xdbff,     "\x7f"},
    {0xdc00,     "\x7f"},
    {0xdfff,     "\x7f"},
    {0xe000,     "\xee\x80\x80"},
    {0xfffd,     "\xef\xbf\xbd"},
    {0xfffe,     "\x7f"},
    {0xffff,     "\x7f"},
    {0x10000,    "\xf0\x90\x80\x80"},
    {0x1f600,    "\xf0\x9f\x98\x80"},
    {0x10ffff,   "\xf4\x8f\xbf\xbf"},
    {0x110000,   "\xf4\x90\x80\x80"},
    {0x1fffff,   "\xf7\xbf\xbf\xbf"},
    {0x200000,   "\xf8\x88\x80\x80\x80"},
    {0x3ffffff,  "\xfb\xbf\xbf\xbf\xbf"},
    {0x4000000,  "\xfc\x84\x80\x80\x80\x80"},
    {0x7fffffff, "\xfd\xbf\xbf\xbf\xbf\xbf"},
    {0x80000000, "\x7f"},
    {0xfffffffe, "\x7f"},
    {0xffffffff, "\x7f"},
};
// clang-format on

class Utf8PutCp : public testing::TestWithParam<PutCase> {};

TEST_P(Utf8PutCp, WritesEncodingWithoutTerminator) {
    const PutCase &c = GetParam();
    char ab[8];
    memset(ab, 0x55, sizeof(ab));
    size_t const cbExpect = c.uc == 0 ? 1 : strlen(c.pszExpect);
    char *pszEnd = RTStrPutCp(ab, c.uc);
    ASSERT_EQ(cbExpect, (size_t)(pszEnd - ab));
    EXPECT_EQ(0, memcmp(ab, c.uc == 0 ? "" : c.pszExpect, cbExpect));
    EXPECT_EQ(0x55, ab[cbExpect]) << "no terminator may be written";
    EXPECT_EQ(cbExpect, RTStrCpSize(c.uc));
}

TEST_P(Utf8PutCp, DecodesBackUnlessSubstituted) {
    const PutCase &c = GetParam();
    char ab[8] = {0};
    RTStrPutCp(ab, c.uc);
    const char *psz = ab;
    RTUNICP uc;
    ASSERT_EQ(0, RTStrGetCpEx(&psz, &uc));
    bool const fSubstituted = c.uc > 0x7f && !strcmp(c.pszExpect, "\x7f");
    EXPECT_EQ(fSubstituted ? 0x7fU : c.uc, uc);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8PutCp, testing::ValuesIn(g_aPut));

struct PrevCase {
    const char *psz;
    size_t off;       // position to step back from
    size_t offExpect; // result
};

// clang-format off
const PrevCase g_aPrev[] = {
    {"",                                  0, 0},
    {"abc",                               0, 0},
    {"abc",                               3, 2},
    {"abc",                               1, 0},
    {"a\xc3\xa9",                         3, 1},
    {"\xe2\x82\xac",                      3, 0},
    {"x\xe2\x82\xac",                     4, 1},
    {"x\xf0\x9f\x98\x80",                 5, 1},
    {"x\xf8\x88\x80\x80\x80",             6, 1},
    {"a\xfd\xbf\xbf\xbf\xbf\xbf",         7, 1},
    {"a\xc3",                             2, 0}, // lead byte right before the position
    {"ab\xe2\x82",                        4, 0}, // lead announces two, one counted
    {"ab\xc3\xa9\xa9",                    5, 0}, // lead announces one, two counted
    {"a\x80",                             2, 0}, // continuation after ASCII
    {"\x80\x80",                          2, 0}, // reaches the start
    {"a\xfd\xbf\xbf\xbf\xbf\xbf\xbf",     8, 0}, // more than any lead announces
    {"a\xc3\xa9x",                        4, 3},
};
// clang-format on

class Utf8PrevCp : public testing::TestWithParam<PrevCase> {};

TEST_P(Utf8PrevCp, FindsStartOfPreviousCodePoint) {
    const PrevCase &c = GetParam();
    EXPECT_EQ(c.psz + c.offExpect, RTStrPrevCp(c.psz, c.psz + c.off));
}

INSTANTIATE_TEST_SUITE_P(Table, Utf8PrevCp, testing::ValuesIn(g_aPrev));

TEST(Utf8PrevCp, NeverBelowStartInsideString) {
    const char *psz = "a\xc3\xa9";
    // The start given is the continuation byte: it is as far back as the walk may go.
    EXPECT_EQ(psz + 2, RTStrPrevCp(psz + 2, psz + 3));
    char ab[] = "xy";
    char *pszMut = RTStrPrevCp(ab, ab + 2);
    EXPECT_EQ(ab + 1, pszMut);
}

} // namespace
