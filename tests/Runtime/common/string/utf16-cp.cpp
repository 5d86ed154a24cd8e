// UTF-16 code-point primitives in both byte orders: the unit rules and unit limits.
#include <qrt/err.h>
#include <qrt/utf16.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Utf16Case {
    std::vector<RTUTF16> units; // without terminator; the test appends one
    int rc;
    RTUNICP uc;
    size_t cwcAdv;
    size_t cbUtf8; // UTF-8 length of the whole input, when valid
};

void PrintTo(const Utf16Case &c, std::ostream *os) {
    *os << "units";
    for (RTUTF16 wc : c.units) *os << ' ' << std::hex << wc;
}

const RTUNICP kInv = RTUNICP_INVALID;
const int kBad = QERR_INVALID_UTF16_ENCODING;
const int kEnd = QERR_CODE_POINT_ENDIAN_INDICATOR;

// clang-format off
const Utf16Case g_aUtf16[] = {
    {{},               0,    0,        1, 0},
    {{0x41},           0,    0x41,     1, 1},
    {{0x7f},           0,    0x7f,     1, 1},
    {{0x80},           0,    0x80,     1, 2},
    {{0x7ff},          0,    0x7ff,    1, 2},
    {{0x800},          0,    0x800,    1, 3},
    {{0xd7ff},         0,    0xd7ff,   1, 3},
    {{0xe000},         0,    0xe000,   1, 3},
    {{0xfffd},         0,    0xfffd,   1, 3},
    {{0xfffe},         kEnd, kInv,     1, 0},
    {{0xffff},         kEnd, kInv,     1, 0},
    {{0xd800, 0xdc00}, 0,    0x10000,  2, 4},
    {{0xd83d, 0xde00}, 0,    0x1f600,  2, 4},
    {{0xdbff, 0xdfff}, 0,    0x10ffff, 2, 4},
    {{0xd83d},         kBad, kInv,     1, 0}, // lone high surrogate before the terminator
    {{0xd83d, 0x41},   kBad, kInv,     1, 0},
    {{0xd83d, 0xd83d}, kBad, kInv,     1, 0},
    {{0xdc00},         kBad, kInv,     1, 0}, // low surrogate first
    {{0xdfff, 0xd800}, kBad, kInv,     1, 0},
};
// clang-format on

std::vector<RTUTF16> Terminated(const std::vector<RTUTF16> &v) {
    std::vector<RTUTF16> r(v);
    r.push_back(0);
    return r;
}

std::vector<RTUTF16> Swapped(const std::vector<RTUTF16> &v) {
    std::vector<RTUTF16> r;
    for (RTUTF16 wc : v) r.push_back((RTUTF16)((wc << 8) | (wc >> 8)));
    return r;
}

class Utf16Decode : public testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16Decode, GetCpEx) {
    const Utf16Case &c = GetParam();
    std::vector<RTUTF16> v = Terminated(c.units);
    const RTUTF16 *pwsz = v.data();
    RTUNICP uc = 0x12345;
    EXPECT_EQ(c.rc, RTUtf16GetCpEx(&pwsz, &uc));
    EXPECT_EQ(c.uc, uc);
    EXPECT_EQ(v.data() + c.cwcAdv, pwsz);
}

TEST_P(Utf16Decode, BigGetCpEx) {
    const Utf16Case &c = GetParam();
    std::vector<RTUTF16> v = Swapped(Terminated(c.units));
    const RTUTF16 *pwsz = v.data();
    RTUNICP uc = 0x12345;
    EXPECT_EQ(c.rc, RTUtf16BigGetCpEx(&pwsz, &uc));
    EXPECT_EQ(c.uc, uc);
    EXPECT_EQ(v.data() + c.cwcAdv, pwsz);
}

TEST_P(Utf16Decode, GetCpNExLimitOneCutsPairs) {
    const Utf16Case &c = GetParam();
    std::vector<RTUTF16> v = Terminated(c.units);
    const RTUTF16 *pwsz = v.data();
    size_t cwc = 1;
    RTUNICP uc = 0;
    int rc = RTUtf16GetCpNEx(&pwsz, &cwc, &uc);
    EXPECT_EQ(v.data() + 1, pwsz);
    EXPECT_EQ(0u, cwc);
    if (c.cwcAdv == 2)
        EXPECT_EQ(kBad, rc);
    else
        EXPECT_EQ(c.rc, rc);

    std::vector<RTUTF16> vBig = Swapped(v);
    pwsz = vBig.data();
    cwc = 1;
    rc = RTUtf16BigGetCpNEx(&pwsz, &cwc, &uc);
    EXPECT_EQ(c.cwcAdv == 2 ? kBad : c.rc, rc);
}

TEST_P(Utf16Decode, ConversionFollowsTheSameRules) {
    const Utf16Case &c = GetParam();
    std::vector<RTUTF16> v = Terminated(c.units);
    size_t cch = 0;
    EXPECT_EQ(c.rc, RTUtf16CalcUtf8LenEx(v.data(), RTSTR_MAX, &cch));
    EXPECT_EQ(c.rc == 0 ? c.cbUtf8 : RTSTR_MAX, cch);
    EXPECT_EQ(c.rc, RTUtf16ValidateEncodingEx(v.data(), RTSTR_MAX));
    char *psz = reinterpret_cast<char *>(0x1);
    EXPECT_EQ(c.rc, RTUtf16ToUtf8(v.data(), &psz));
    if (c.rc == 0) {
        ASSERT_NE(nullptr, psz);
        EXPECT_EQ(c.cbUtf8, strlen(psz));
        RTUNICP uc = 0;
        const char *pszCur = psz;
        EXPECT_EQ(0, RTStrGetCpEx(&pszCur, &uc));
        EXPECT_EQ(c.uc, uc);
        RTStrFree(psz);
    } else
        EXPECT_EQ(nullptr, psz);
}

INSTANTIATE_TEST_SUITE_P(Table, Utf16Decode, testing::ValuesIn(g_aUtf16));

TEST(Utf16GetCpNEx, ZeroCountIsEndOfString) {
    const RTUTF16 awc[] = {0x41, 0};
    const RTUTF16 *pwsz = awc;
    size_t cwc = 0;
    RTUNICP uc;
    EXPECT_EQ(QERR_END_OF_STRING, RTUtf16GetCpNEx(&pwsz, &cwc, &uc));
    EXPECT_EQ(awc, pwsz);
    EXPECT_EQ(QERR_END_OF_STRING, RTUtf16BigGetCpNEx(&pwsz, &cwc, &uc));
}

TEST(Utf16PutCp, UnitsAndPairs) {
    RTUTF16 awc[4] = {0, 0, 0, 0};
    EXPECT_EQ(awc + 1, RTUtf16PutCp(awc, 0x41));
    EXPECT_EQ(0x41, awc[0]);
    EXPECT_EQ(awc + 2, RTUtf16PutCp(awc, 0x1f600));
    EXPECT_EQ(0xd83d, awc[0]);
    EXPECT_EQ(0xde00, awc[1]);
    EXPECT_EQ(awc + 1, RTUtf16PutCp(awc, 0xd800));
    EXPECT_EQ(0x7f, awc[0]);
    EXPECT_EQ(awc + 1, RTUtf16PutCp(awc, 0x110000));
    EXPECT_EQ(0x7f, awc[0]);
    EXPECT_EQ(awc + 1, RTUtf16PutCp(awc, 0xffff));
    EXPECT_EQ(0x7f, awc[0]);
}

} // namespace
