// Hex dumps ("%Rhxd", "%RhXd"), folded dumps ("%RhxD") and byte lists ("%Rhxs").
#include "tstStrFormatTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> bytesOf(const char *psz) {
    return std::vector<uint8_t>(psz, psz + strlen(psz));
}

std::vector<uint8_t> repeat(char ch, size_t cb) {
    return std::vector<uint8_t>(cb, (uint8_t)ch);
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t> &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The 24 bytes of the documented example: 0x41..0x54, 0, 1, 0x7f, 0x80.
std::vector<uint8_t> exampleBytes() {
    std::vector<uint8_t> v;
    for (uint8_t b = 0x41; b <= 0x54; b++) v.push_back(b);
    v.insert(v.end(), {0x00, 0x01, 0x7f, 0x80});
    return v;
}

struct DumpCase {
    const char *pszName;
    const char *pszFormat; // takes precision, pointer, 64-bit address
    std::vector<uint8_t> abData;
    int cbPrecision;
    uint64_t uAddr;
    std::string strExpect;
};

void PrintTo(const DumpCase &c, std::ostream *os) {
    *os << c.pszName;
}

const std::string kLineA = ": 41 41 41 41 41 41 41 41-41 41 41 41 41 41 41 41 AAAAAAAAAAAAAAAA";
const std::string kLineB = ": 42 42 42 42 42 42 42 42-42 42 42 42 42 42 42 42 BBBBBBBBBBBBBBBB";
const std::string kLineC = ": 43 43 43 43 43 43 43 43-43 43 43 43 43 43 43 43 CCCCCCCCCCCCCCCC";

const DumpCase g_aDumpCases[] = {
    {"Example24", "%.*RhXd", exampleBytes(), 24, 0x20000020,
     "20000020/0000: 41 42 43 44 45 46 47 48-49 4a 4b 4c 4d 4e 4f 50 ABCDEFGHIJKLMNOP\n"
     "20000030/0010: 51 52 53 54 00 01 7f 80" +
         std::string(25, ' ') + "QRST...."},
    {"ZeroLength", "%.*RhXd", bytesOf("abc"), 0, 0x1000, ""},
    {"ZeroLengthFolded", "%.*RhXD", bytesOf("abc"), 0, 0x1000, ""},
    {"OneByte", "%.*RhXd", bytesOf("z"), 1, 0x10, "00000010/0000: 7a" + std::string(45 + 1, ' ') + "z"},
    {"SeventeenBytes", "%.*RhXd", repeat('A', 17), 17, 0,
     "00000000/0000" + kLineA + "\n00000010/0010: 41" + std::string(46, ' ') + "A"},
    {"WidthEight", "%8.*RhXd", bytesOf("0123456789abcdefghij"), 20, 0x100,
     "00000100/0000: 30 31 32 33 34 35 36 37 01234567\n"
     "00000108/0008: 38 39 61 62 63 64 65 66 89abcdef\n"
     "00000110/0010: 67 68 69 6a" +
         std::string(13, ' ') + "ghij"},
    {"WidthTwentyHasTwoSeparators", "%20.*RhXd", repeat('A', 20), 20, 0,
     "00000000/0000: 41 41 41 41 41 41 41 41-41 41 41 41 41 41 41 41-41 41 41 41 AAAAAAAAAAAAAAAAAAAA"},
    {"WidthWiderThanData", "%6.*RhXd", bytesOf("ab"), 2, 0, "00000000/0000: 61 62" + std::string(13, ' ') + "ab"},
    {"Address64", "%.*RhXd", bytesOf("AB"), 2, UINT64_C(0x123456789),
     "0000000123456789/0000: 41 42" + std::string(43, ' ') + "AB"},
    {"AddressPlusLengthCrosses32Bits", "%.*RhXd", bytesOf("AB"), 2, UINT64_C(0xfffffffe),
     "00000000fffffffe/0000: 41 42" + std::string(43, ' ') + "AB"},
    {"AddressEndsAt32Bits", "%.*RhXd", bytesOf("AB"), 2, UINT64_C(0xfffffffd),
     "fffffffd/0000: 41 42" + std::string(43, ' ') + "AB"},
    {"UnprintableBytes", "%.*RhXd", std::vector<uint8_t>{0x1f, 0x20, 0x7e, 0x7f, 0xff}, 5, 0,
     "00000000/0000: 1f 20 7e 7f ff" + std::string(34, ' ') + ". ~.."},
    // Folding.
    {"FoldTwoOfThreeEqualLines", "%.*RhXD", concat(repeat('A', 48), repeat('B', 16)), 64, 0,
     "00000000/0000" + kLineA + "\n******** ****  <ditto x 2>\n00000030/0030" + kLineB},
    {"LastLineNeverFolded", "%.*RhXD", repeat('A', 48), 48, 0,
     "00000000/0000" + kLineA + "\n00000010/0010" + kLineA + "\n00000020/0020" + kLineA},
    {"SingleRepeatPrinted", "%.*RhXD", concat(concat(repeat('A', 32), repeat('B', 16)), repeat('C', 16)), 64, 0,
     "00000000/0000" + kLineA + "\n00000010/0010" + kLineA + "\n00000020/0020" + kLineB + "\n00000030/0030" + kLineC},
    {"FoldThreeOfFive", "%.*RhXD", repeat('A', 80), 80, 0,
     "00000000/0000" + kLineA + "\n******** ****  <ditto x 3>\n00000040/0040" + kLineA},
    {"RunEndsBeforeDifferentLine", "%.*RhXD", concat(concat(repeat('A', 48), repeat('B', 16)), repeat('A', 16)), 80, 0,
     "00000000/0000" + kLineA + "\n******** ****  <ditto x 2>\n00000030/0030" + kLineB + "\n00000040/0040" + kLineA},
    {"ShortLastLineStopsRun", "%.*RhXD", repeat('A', 40), 40, 0,
     "00000000/0000" + kLineA + "\n00000010/0010" + kLineA + "\n00000020/0020: 41 41 41 41 41 41 41 41" +
         std::string(25, ' ') + "AAAAAAAA"},
    {"FoldUpToPartialTail", "%.*RhXD", repeat('A', 56), 56, 0,
     "00000000/0000" + kLineA + "\n******** ****  <ditto x 2>\n00000030/0030: 41 41 41 41 41 41 41 41" +
         std::string(25, ' ') + "AAAAAAAA"},
    {"FoldWideAddress", "%.*RhXD", repeat('A', 64), 64, UINT64_C(0x100000000),
     "0000000100000000/0000" + kLineA + "\n**************** ****  <ditto x 2>\n0000000100000030/0030" + kLineA},
    {"FoldNarrowLines", "%4.*RhXD", bytesOf("xxxxxxxxxxxxyz"), 14, 0,
     "00000000/0000: 78 78 78 78 xxxx\n******** ****  <ditto x 2>\n0000000c/000c: 79 7a" + std::string(7, ' ') + "yz"},
    // Byte lists.
    {"ListWithAddress", "%.*RhXs", bytesOf("ABCDE"), 5, 0x1000, "00001000: 41 42 43 44 45"},
    {"ListIgnoresWidth", "%30.*RhXs", bytesOf("AB"), 2, 0x1000, "00001000: 41 42"},
    {"ListWideAddress", "%.*RhXs", bytesOf("A"), 1, UINT64_C(0x123456789), "0000000123456789: 41"},
    {"ListZeroLength", "%.*RhXs", bytesOf("A"), 0, 0x1000, ""},
};

class HexDump : public ::testing::TestWithParam<DumpCase> {};

TEST_P(HexDump, Formats) {
    const DumpCase &c = GetParam();
    EXPECT_EQ(tstFmt(c.pszFormat, c.cbPrecision, c.abData.data(), c.uAddr), c.strExpect);
}

INSTANTIATE_TEST_SUITE_P(Table, HexDump, ::testing::ValuesIn(g_aDumpCases),
                         [](const ::testing::TestParamInfo<DumpCase> &info) { return info.param.pszName; });

// The address of "%Rhx..." is the pointer itself: 8 digits, 16 only where pointers need more.
TEST(HexDumpPointer, UsesPointerAsAddress) {
    std::vector<uint8_t> ab = exampleBytes();
    uint64_t const uAddr = (uint64_t)(uintptr_t)ab.data();
    int const cchAddr = sizeof(void *) > 4 && uAddr + 24 > UINT32_MAX ? 16 : 8;
    char szAddr1[32], szAddr2[32];
    snprintf(szAddr1, sizeof(szAddr1), "%0*" PRIx64, cchAddr, uAddr);
    snprintf(szAddr2, sizeof(szAddr2), "%0*" PRIx64, cchAddr, uAddr + 16);
    EXPECT_EQ(tstFmt("%.*Rhxd", 24, ab.data()),
              std::string(szAddr1) + "/0000: 41 42 43 44 45 46 47 48-49 4a 4b 4c 4d 4e 4f 50 ABCDEFGHIJKLMNOP\n" +
                  szAddr2 + "/0010: 51 52 53 54 00 01 7f 80" + std::string(25, ' ') + "QRST....");
}

TEST(HexDumpPointer, ListHasNoAddress) {
    std::vector<uint8_t> ab = bytesOf("ABC");
    EXPECT_EQ(tstFmt("%.*Rhxs", 3, ab.data()), "41 42 43");
    EXPECT_EQ(tstFmt("%.*Rhxs", 0, ab.data()), "");
}

TEST(HexDumpPointer, DefaultPrecisionIsSixteen) {
    std::vector<uint8_t> ab = repeat('A', 20);
    EXPECT_EQ(tstFmt("%Rhxs", ab.data()), "41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41");
    EXPECT_EQ(tstFmt("%RhXd", ab.data(), UINT64_C(0)), "00000000/0000" + kLineA);
    EXPECT_EQ(tstFmt("%0RhXd", ab.data(), UINT64_C(0)), "00000000/0000" + kLineA); // width 0: 16 per line
}

TEST(HexDumpPointer, NearNullPrintsNull) {
    EXPECT_EQ(tstFmt("%Rhxd", (void *)NULL), "<null>");
    EXPECT_EQ(tstFmt("%.*RhxD", 16, (void *)0xfff), "<null>");
    EXPECT_EQ(tstFmt("%Rhxs", (void *)(intptr_t)-5), "<null>");
    // The display address is still taken, so later arguments stay in step.
    EXPECT_EQ(tstFmt("%RhXd|%Rbn", (void *)NULL, UINT64_C(0x1000), "d/f"), "<null>|f");
}

TEST(HexDumpPointer, UnknownSubTypePrintsNothing) {
    EXPECT_EQ(tstFmt("%Rhxq|%Rbn", "x/y"), "|y"); // no argument taken
    EXPECT_EQ(tstFmt("%RhX|"), "");               // the character after "hX" is the sub-type, consumed
    EXPECT_EQ(tstFmt("%RhXz|"), "|");
    EXPECT_EQ(tstFmt("%Rhx"), "");
}

TEST(HexDumpPointer, OutputComesInRuns) {
    std::vector<uint8_t> ab(256);
    for (size_t i = 0; i < ab.size(); i++) ab[i] = (uint8_t)i;
    TstFmtRun Res = tstFmtRun("%.*RhXd", 256, ab.data(), UINT64_C(0));
    EXPECT_EQ(Res.cchReturned, Res.str.size());
    EXPECT_EQ(std::count(Res.str.begin(), Res.str.end(), '\n'), 15);
    EXPECT_LT(Res.cCalls, 16u); // fewer calls than lines
}

// A straightforward model of the dump, built with snprintf, to compare random dumps against.
std::string modelDump(const std::vector<uint8_t> &ab, size_t cb, size_t w, uint64_t uAddr, bool fFold) {
    int cchAddr = uAddr > UINT32_MAX || uAddr + cb > UINT32_MAX ? 16 : 8;
    std::string str;
    bool fRun = false;
    unsigned cRun = 0;
    for (size_t o = 0; o < cb; o += w) {
        if (fFold && o > 0 && o + w < cb && !memcmp(&ab[o], &ab[o - w], w)) {
            if (fRun) {
                cRun++;
                continue;
            }
            if (o + 2 * w < cb && !memcmp(&ab[o + w], &ab[o], w)) {
                fRun = true;
                cRun = 1;
                continue;
            }
        }
        char sz[64];
        if (fRun) {
            snprintf(sz, sizeof(sz), "\n%.*s ****  <ditto x %u>", cchAddr, "****************", cRun);
            str += sz;
            fRun = false;
        }
        snprintf(sz, sizeof(sz), "%s%0*" PRIx64 "/%04x:", o ? "\n" : "", cchAddr, uAddr + o, (unsigned)o);
        str += sz;
        for (size_t j = 0; j < w; j++) {
            if (o + j < cb) {
                snprintf(sz, sizeof(sz), j && j % 8 == 0 ? "-%02x" : " %02x", ab[o + j]);
                str += sz;
            } else
                str += "   ";
        }
        str += ' ';
        for (size_t j = 0; j < w && o + j < cb; j++) str += ab[o + j] >= 32 && ab[o + j] <= 126 ? (char)ab[o + j] : '.';
    }
    return str;
}

TEST(HexDumpModel, RandomDumpsMatchModel) {
    std::mt19937 rng(12345);
    for (int iter = 0; iter < 400; iter++) {
        size_t cb = rng() % 120;
        size_t w = 1 + rng() % 20;
        // A two-letter alphabet and repeated blocks make equal lines, and so runs, common.
        std::vector<uint8_t> ab(cb + 1); // never empty: an empty vector's data() may be null
        size_t cbBlock = 1 + rng() % 24;
        for (size_t i = 0; i < cb; i++) ab[i] = i < cbBlock ? (uint8_t)(rng() % 2 ? 'a' : 0x90) : ab[i % cbBlock];
        if (rng() % 4 == 0 && cb) ab[rng() % cb] = 'Z';
        uint64_t uAddr = rng() % 3 == 0 ? UINT64_C(0xffffff00) + rng() % 256 : rng();
        bool fFold = rng() % 2;
        std::string strExpect = cb ? modelDump(ab, cb, w, uAddr, fFold) : std::string();
        EXPECT_EQ(tstFmt(fFold ? "%*.*RhXD" : "%*.*RhXd", (int)w, (int)cb, ab.data(), uAddr), strExpect)
            << "cb=" << cb << " w=" << w << " fold=" << fFold;
    }
}

} // namespace
