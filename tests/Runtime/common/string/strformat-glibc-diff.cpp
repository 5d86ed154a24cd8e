// Differential test of the standard conversions against the C library's snprintf: generated
// formats (fixed seed) with random flags, widths, precisions and size prefixes. Cases where
// the engine's rules differ from C on purpose are skipped by name, and counted.
#if defined(__linux__)

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include <qrt/format.h>

namespace {

enum class ArgKind { Int, LongLong, SizeT, PtrDiff, String, Char };

struct GenCase {
    std::string strFormat;
    ArgKind enmArg = ArgKind::Int;
    char chConv = 'd';
    std::string strSize;
    bool fHasWidth = false;
    int cchWidth = -1; // as the conversion sees it (after '*' and '-')
    bool fStarWidth = false;
    int iStarWidth = 0;
    bool fHasPrecision = false;
    bool fStarPrecision = false;
    int iPrecision = -1; // as written or passed
    std::string strFlags;
    long long llValue = 0;
    std::string strValue;
};

bool HasFlag(const GenCase &c, char ch) {
    return c.strFlags.find(ch) != std::string::npos;
}

// Digits of the magnitude as C prints it without precision.
size_t DigitCount(const GenCase &c, unsigned long long uMagnitude) {
    char sz[64];
    const char *pszFmt = c.chConv == 'o' ? "%llo" : (c.chConv == 'x' || c.chConv == 'X') ? "%llx" : "%llu";
    return (size_t)snprintf(sz, sizeof(sz), pszFmt, uMagnitude);
}

// The value as the conversion reads it, and its magnitude.
unsigned long long Magnitude(const GenCase &c, bool *pfNegative) {
    bool const fSigned = c.chConv == 'd' || c.chConv == 'i';
    long long ll = c.llValue;
    unsigned long long u;
    if (c.strSize == "hh")
        ll = fSigned ? (long long)(signed char)ll : (long long)(unsigned char)ll;
    else if (c.strSize == "h")
        ll = fSigned ? (long long)(short)ll : (long long)(unsigned short)ll;
    else if (c.strSize.empty())
        ll = fSigned ? (long long)(int)ll : (long long)(unsigned)ll;
    *pfNegative = fSigned && ll < 0;
    u = *pfNegative ? 0ULL - (unsigned long long)ll : (unsigned long long)ll;
    return u;
}

// Why a case is not compared, or null when it is.
const char *DocumentedDifference(const GenCase &c) {
    bool const fInt = c.enmArg != ArgKind::String && c.enmArg != ArgKind::Char;
    int const cchPrecC = c.fHasPrecision && c.iPrecision >= 0 ? c.iPrecision : -1; // what C uses
    if (c.enmArg == ArgKind::String && c.fStarPrecision && c.iPrecision < 0) return "negative precision becomes 0";
    if (!fInt) return NULL;

    bool fNegative;
    unsigned long long const u = Magnitude(c, &fNegative);
    size_t const cDigits = DigitCount(c, u);
    bool const fLeft = HasFlag(c, '-') || (c.fStarWidth && c.iStarWidth < 0);
    bool const fZero = HasFlag(c, '0') && !fLeft;
    if (c.cchWidth > 60 || cchPrecC > 60) return "63-character field bound";
    if (HasFlag(c, '\'') && (c.chConv == 'd' || c.chConv == 'i' || c.chConv == 'u') && !fZero && cDigits > 3)
        return "space as thousands separator";
    if (cchPrecC == 0 && u == 0) return "%.0d of 0 prints 0";
    if (HasFlag(c, '#') && u == 0 && c.chConv != 'd' && c.chConv != 'i' && c.chConv != 'u')
        return "# with 0 keeps the prefix";
    if (HasFlag(c, '#') && c.chConv == 'o' && cchPrecC >= 0) return "# octal prefix comes before precision zeros";
    if (c.fHasWidth && cchPrecC >= 0) return "width padding counts digits, not precision zeros";
    return NULL;
}

GenCase Generate(std::mt19937_64 &rng) {
    auto Pick = [&](unsigned n) { return (unsigned)(rng() % n); };
    GenCase c;
    static const char s_achConvs[] = {'d', 'i', 'u', 'x', 'X', 'o', 'c', 's'};
    c.chConv = s_achConvs[Pick(sizeof(s_achConvs))];

    static const char s_achFlags[] = {' ', '#', '\'', '+', '-', '0'};
    for (int i = 0, n = (int)Pick(4); i < n; i++) c.strFlags += s_achFlags[Pick(sizeof(s_achFlags))];

    std::string strWidth;
    switch (Pick(4)) {
    case 0:
    case 1:
        break;
    case 2:
        c.fHasWidth = true;
        c.cchWidth = (int)Pick(Pick(8) == 0 ? 80 : 25);
        strWidth = std::to_string(c.cchWidth);
        if (c.cchWidth == 0) { // a leading 0 would read as a flag
            c.fHasWidth = false;
            c.cchWidth = -1;
            strWidth.clear();
        }
        break;
    default:
        c.fHasWidth = true;
        c.fStarWidth = true;
        c.iStarWidth = (int)Pick(50) - 25;
        c.cchWidth = c.iStarWidth < 0 ? -c.iStarWidth : c.iStarWidth;
        strWidth = "*";
        break;
    }

    std::string strPrecision;
    switch (Pick(5)) {
    case 0:
    case 1:
        break;
    case 2:
        c.fHasPrecision = true;
        c.iPrecision = (int)Pick(Pick(8) == 0 ? 80 : 25);
        strPrecision = "." + std::to_string(c.iPrecision);
        break;
    case 3:
        c.fHasPrecision = true;
        c.iPrecision = 0;
        strPrecision = ".";
        break;
    default:
        c.fHasPrecision = true;
        c.fStarPrecision = true;
        c.iPrecision = (int)Pick(40) - 10;
        strPrecision = ".*";
        break;
    }

    if (c.chConv == 's') {
        c.enmArg = ArgKind::String;
        static const char s_szChars[] = "abcdefghijklmnopqrstuvwxyz0123456789 %-!\xc3\xa9";
        for (unsigned i = 0, n = Pick(Pick(4) == 0 ? 200 : 20); i < n; i++)
            c.strValue += s_szChars[Pick(sizeof(s_szChars) - 1)];
    } else if (c.chConv == 'c') {
        c.enmArg = ArgKind::Char;
        c.llValue = (long long)(int)(rng() & 0x1ff) + 1; // %c of 0 would put a NUL inside the text
        if ((c.llValue & 0xff) == 0) c.llValue = 'a';
    } else {
        static const char *const s_apszSizes[] = {"", "", "", "hh", "h", "ll", "j", "z", "t", "q", "L", "I64"};
        c.strSize = s_apszSizes[Pick(sizeof(s_apszSizes) / sizeof(s_apszSizes[0]))];
        bool const fSigned = c.chConv == 'd' || c.chConv == 'i';
        // Values of every magnitude, with the edges.
        unsigned long long u = rng();
        switch (Pick(6)) {
        case 0:
            u &= 0xff;
            break;
        case 1:
            u &= 0xffff;
            break;
        case 2:
            u &= 0xffffffff;
            break;
        case 3:
            u = (unsigned long long)(long long)(int)(Pick(2001) - 1000);
            break;
        case 4: {
            static const unsigned long long s_auEdges[] = {0,
                                                           1,
                                                           0x7f,
                                                           0x80,
                                                           0xff,
                                                           0x7fff,
                                                           0x8000,
                                                           0xffff,
                                                           0x7fffffff,
                                                           0x80000000,
                                                           0xffffffff,
                                                           0x7fffffffffffffff,
                                                           0x8000000000000000,
                                                           0xffffffffffffffff,
                                                           999,
                                                           1000};
            u = s_auEdges[Pick(sizeof(s_auEdges) / sizeof(s_auEdges[0]))];
            break;
        }
        default:
            break;
        }
        if (c.strSize.empty() || c.strSize == "h" || c.strSize == "hh") {
            c.enmArg = ArgKind::Int;
            // Signed short sizes are not narrowed by the engine: give values in their range.
            if (fSigned && c.strSize == "hh")
                u = (unsigned long long)(long long)(signed char)u;
            else if (fSigned && c.strSize == "h")
                u = (unsigned long long)(long long)(short)u;
            c.llValue = (long long)(int)(unsigned)u;
        } else if (c.strSize == "z") {
            c.enmArg = ArgKind::SizeT;
            c.llValue = (long long)(size_t)u;
        } else if (c.strSize == "t") {
            c.enmArg = ArgKind::PtrDiff;
            c.llValue = (long long)(ptrdiff_t)u;
        } else {
            c.enmArg = ArgKind::LongLong;
            c.llValue = (long long)u;
        }
    }
    c.strFormat = "%" + c.strFlags + strWidth + strPrecision + c.strSize + std::string(1, c.chConv);
    return c;
}

// The same format for the C library: "I64" is spelled "ll" there.
std::string CFormat(const GenCase &c) {
    std::string str = c.strFormat;
    size_t const off = str.find("I64");
    if (off != std::string::npos) str.replace(off, 3, "ll");
    return str;
}

template <typename Fn>
std::string CallWithArgs(const GenCase &c, const std::string &strFormat, Fn fn) {
    // Arguments in order: '*' width, '*' precision, the value.
    std::string str;
    auto Value = [&](auto... lead) {
        switch (c.enmArg) {
        case ArgKind::Int:
        case ArgKind::Char:
            str = fn(strFormat.c_str(), lead..., (int)c.llValue);
            break;
        case ArgKind::LongLong:
            str = fn(strFormat.c_str(), lead..., (long long)c.llValue);
            break;
        case ArgKind::SizeT:
            str = fn(strFormat.c_str(), lead..., (size_t)c.llValue);
            break;
        case ArgKind::PtrDiff:
            str = fn(strFormat.c_str(), lead..., (ptrdiff_t)c.llValue);
            break;
        case ArgKind::String:
            str = fn(strFormat.c_str(), lead..., c.strValue.c_str());
            break;
        }
    };
    if (c.fStarWidth && c.fStarPrecision)
        Value(c.iStarWidth, c.iPrecision);
    else if (c.fStarWidth)
        Value(c.iStarWidth);
    else if (c.fStarPrecision)
        Value(c.iPrecision);
    else
        Value();
    return str;
}

std::string OursV(const char *pszFormat, ...) {
    char szBuf[512];
    va_list va;
    va_start(va, pszFormat);
    size_t const cch = RTStrPrintfV(szBuf, sizeof(szBuf), pszFormat, va);
    va_end(va);
    EXPECT_EQ(cch, strlen(szBuf)) << pszFormat;
    return std::string(szBuf, cch);
}

std::string TheirsV(const char *pszFormat, ...) {
    char szBuf[512];
    va_list va;
    va_start(va, pszFormat);
    int const cch = vsnprintf(szBuf, sizeof(szBuf), pszFormat, va);
    va_end(va);
    EXPECT_GE(cch, 0) << pszFormat;
    return std::string(szBuf, cch < 0 ? 0 : (size_t)cch);
}

TEST(StrFormatGlibcDiff, StandardConversionsAgree) {
    std::mt19937_64 rng(20240611);
    std::map<std::string, unsigned> mapSkipped;
    unsigned cCompared = 0, cFailures = 0;
    unsigned const cCases = 200000;
    for (unsigned i = 0; i < cCases; i++) {
        GenCase const c = Generate(rng);
        const char *pszWhy = DocumentedDifference(c);
        if (pszWhy) {
            mapSkipped[pszWhy]++;
            continue;
        }
        std::string const strOurs = CallWithArgs(c, c.strFormat, OursV);
        std::string const strTheirs = CallWithArgs(c, CFormat(c), TheirsV);
        cCompared++;
        if (strOurs != strTheirs && ++cFailures <= 20) {
            ADD_FAILURE() << "format \"" << c.strFormat << "\" value " << c.llValue << " \"" << c.strValue
                          << "\" star width " << c.iStarWidth << " precision " << c.iPrecision << "\n  ours:   \""
                          << strOurs << "\"\n  theirs: \"" << strTheirs << "\"";
        }
    }
    EXPECT_EQ(cFailures, 0u);
    // Most cases must really be compared, not skipped.
    EXPECT_GT(cCompared, cCases / 2);
    std::string strStats = "compared " + std::to_string(cCompared) + "; skipped:";
    for (const auto &kv : mapSkipped) strStats += " [" + kv.first + "] " + std::to_string(kv.second);
    RecordProperty("stats", strStats);
    printf("%s\n", strStats.c_str());
}

} // namespace

#endif // __linux__
