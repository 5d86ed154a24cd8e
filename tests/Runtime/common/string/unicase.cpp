// Simple case mapping: the examples of the 6.1 tables and the repertoire cut-off.
#include <qrt/uni.h>

#include <gtest/gtest.h>

namespace {

struct CaseCase {
    RTUNICP uc;
    RTUNICP ucUpper;
    RTUNICP ucLower;
};

// clang-format off
const CaseCase g_aCase[] = {
    {'A',     'A',     'a'},
    {'z',     'Z',     'z'},
    {'@',     '@',     '@'},
    {'[',     '[',     '['},
    {0x00b5,  0x039c,  0x00b5},  // micro sign
    {0x00df,  0x00df,  0x00df},  // ß has no simple upper case
    {0x00e9,  0x00c9,  0x00e9},
    {0x00ff,  0x0178,  0x00ff},
    {0x0130,  0x0130,  0x0069},  // İ
    {0x0131,  0x0049,  0x0131},  // ı
    {0x017f,  0x0053,  0x017f},  // ſ
    {0x01c4,  0x01c4,  0x01c6},
    {0x01c5,  0x01c4,  0x01c6},  // title case
    {0x01c6,  0x01c4,  0x01c6},
    {0x0265,  0xa78d,  0x0265},  // target assigned in 6.0: kept
    {0x026a,  0x026a,  0x026a},  // upper U+A7AE came in 9.0: dropped
    {0x0287,  0x0287,  0x0287},  // upper U+A7B1 came in 8.0: dropped
    {0x0586,  0x0556,  0x0586},  // last of the first upper range
    {0x0587,  0x0587,  0x0587},
    {0x10a0,  0x10a0,  0x2d00},  // Georgian
    {0x10c7,  0x10c7,  0x2d27},  // added in 6.1: kept
    {0x10cd,  0x10cd,  0x2d2d},
    {0x10d0,  0x10d0,  0x10d0},  // Mtavruli mapping came in 11.0
    {0x13a0,  0x13a0,  0x13a0},  // Cherokee case came in 8.0
    {0x1c80,  0x1c80,  0x1c80},  // assigned in 9.0
    {0x1e9e,  0x1e9e,  0x00df},  // ẞ
    {0x1ea0,  0x1ea0,  0x1ea1},
    {0x1ea1,  0x1ea0,  0x1ea1},
    {0x212a,  0x212a,  0x006b},  // Kelvin sign
    {0x2126,  0x2126,  0x03c9},  // Ohm sign
    {0x24b6,  0x24b6,  0x24d0},
    {0x24d0,  0x24b6,  0x24d0},
    {0x24e9,  0x24cf,  0x24e9},
    {0x2c00,  0x2c00,  0x2c30},
    {0x2d00,  0x10a0,  0x2d00},
    {0xa640,  0xa640,  0xa641},
    {0xa641,  0xa640,  0xa641},
    {0xa7aa,  0xa7aa,  0x0266},
    {0xa7ab,  0xa7ab,  0xa7ab},  // 7.0
    {0xff21,  0xff21,  0xff41},
    {0xff41,  0xff21,  0xff41},
    {0x10400, 0x10400, 0x10428},
    {0x10428, 0x10400, 0x10428},
    {0x104b0, 0x104b0, 0x104b0}, // Osage: 9.0
    {0x1e900, 0x1e900, 0x1e900}, // Adlam: 9.0
    {0x7fffffff, 0x7fffffff, 0x7fffffff},
    {0xffffffff, 0xffffffff, 0xffffffff},
};
// clang-format on

class UniCase : public testing::TestWithParam<CaseCase> {};

TEST_P(UniCase, Mapping) {
    const CaseCase &c = GetParam();
    EXPECT_EQ(c.ucUpper, RTUniCpToUpper(c.uc)) << std::hex << c.uc;
    EXPECT_EQ(c.ucLower, RTUniCpToLower(c.uc)) << std::hex << c.uc;
}

INSTANTIATE_TEST_SUITE_P(Table, UniCase, testing::ValuesIn(g_aCase));

TEST(UniCase, AsciiLettersOnlyInAscii) {
    for (RTUNICP uc = 0; uc < 0x80; uc++) {
        bool const fUpper = uc >= 'A' && uc <= 'Z';
        bool const fLower = uc >= 'a' && uc <= 'z';
        EXPECT_EQ(fLower ? uc - 0x20 : uc, RTUniCpToUpper(uc));
        EXPECT_EQ(fUpper ? uc + 0x20 : uc, RTUniCpToLower(uc));
    }
}

TEST(UniCase, MappingsStayInsideTheRepertoire) {
    // Nothing maps onto a surrogate or beyond the planes the tables cover.
    for (RTUNICP uc = 0; uc < 0x20000; uc++) {
        RTUNICP ucU = RTUniCpToUpper(uc);
        RTUNICP ucL = RTUniCpToLower(uc);
        if (ucU != uc) {
            EXPECT_FALSE(RTUniCpIsSurrogate(ucU)) << uc;
        }
        if (ucL != uc) {
            EXPECT_FALSE(RTUniCpIsSurrogate(ucL)) << uc;
        }
        EXPECT_LT(ucU, 0x20000u);
        EXPECT_LT(ucL, 0x20000u);
    }
}

} // namespace
