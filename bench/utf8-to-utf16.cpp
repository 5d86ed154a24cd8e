// UTF-8 to UTF-16: RTStrToUtf16 (and RTStrToUtf16Ex into a caller buffer) against glibc iconv
// on 1 MiB of mixed text (about half ASCII by bytes, the rest 2-, 3- and 4-byte sequences) and
// on 1 MiB of ASCII. Bytes/second are reported per benchmark; at exit a table gives the median
// rates in GB/s (from thread CPU time) and the ratio of each runtime variant to iconv on the
// same buffer.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <benchmark/benchmark.h>

#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const size_t kcbBuffer = 1024 * 1024;

// Deterministic text: ASCII words alternating with words of Cyrillic (2 bytes), CJK (3 bytes)
// and emoji (4 bytes), about half of the bytes ASCII.
std::string MakeMixed() {
    static const char *const s_apszAscii[] = {"the ",       "quick ",   "brown ",     "fox ",
                                              "jumps ",     "over ",    "lazy ",      "dog, ",
                                              "installer ", "package ", "Setup.msi ", "C:\\Temp\\x "};
    static const char *const s_apszOther[] = {
        "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 ", // Привет
        "\xc3\xa9t\xc3\xa9 ",                                // été
        "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e ",             // 日本語
        "\xe2\x82\xac\xe2\x80\x94 ",                         // €—
        "\xf0\x9f\x98\x80\xf0\x9f\x93\xa6 ",                 // 😀📦
        "\xce\xb1\xce\xb2\xce\xb3 ",                         // αβγ
    };
    std::string s;
    uint32_t uSeed = 12345;
    size_t cbAscii = 0;
    while (s.size() < kcbBuffer - 64) {
        uSeed = uSeed * 1103515245 + 12345;
        // Keep the ASCII share near one half of the bytes.
        if (cbAscii * 2 < s.size()) {
            const char *psz = s_apszAscii[(uSeed >> 16) % (sizeof(s_apszAscii) / sizeof(s_apszAscii[0]))];
            s += psz;
            cbAscii += strlen(psz);
        } else {
            const char *psz = s_apszOther[(uSeed >> 16) % (sizeof(s_apszOther) / sizeof(s_apszOther[0]))];
            s += psz;
            cbAscii++; // the trailing space
        }
    }
    s.resize(kcbBuffer - 64);
    // Cut back to the last whole sequence.
    while (!s.empty() && ((uint8_t)s.back() & 0xc0) == 0x80) s.pop_back();
    if (!s.empty() && (uint8_t)s.back() >= 0xc0) s.pop_back();
    while (s.size() < kcbBuffer) s += ' ';
    return s;
}

std::string MakeAscii() {
    std::string s;
    static const char s_szLine[] = "Extracting package 3 of 7 to C:\\Users\\Public\\Temp\\setup-0123.msi ...\r\n";
    while (s.size() < kcbBuffer) s += s_szLine;
    s.resize(kcbBuffer);
    return s;
}

const std::string &Mixed() {
    static const std::string s = MakeMixed();
    return s;
}

const std::string &Ascii() {
    static const std::string s = MakeAscii();
    return s;
}

// Runs the loop body and reports the bytes converted, so rates can be read in GB/s.
template <typename Fn>
void Measure(benchmark::State &state, size_t cb, Fn fn) {
    for (auto _ : state) fn();
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)cb);
}

std::vector<char> IconvToUtf16(const std::string &s, iconv_t hIconv, std::vector<char> &out) {
    iconv(hIconv, nullptr, nullptr, nullptr, nullptr);
    char *pIn = const_cast<char *>(s.data());
    size_t cbIn = s.size();
    char *pOut = out.data();
    size_t cbOut = out.size();
    if (iconv(hIconv, &pIn, &cbIn, &pOut, &cbOut) == (size_t)-1) {
        perror("iconv");
        abort();
    }
    return std::vector<char>(out.data(), pOut);
}

void CheckSameResult(const std::string &s) {
    iconv_t hIconv = iconv_open("UTF-16LE", "UTF-8");
    std::vector<char> out(s.size() * 2 + 16);
    std::vector<char> ref = IconvToUtf16(s, hIconv, out);
    iconv_close(hIconv);
    RTUTF16 *pwsz = nullptr;
    if (RTStrToUtf16(s.c_str(), &pwsz) != QINF_SUCCESS || RTUtf16Len(pwsz) * 2 != ref.size() ||
        memcmp(pwsz, ref.data(), ref.size()) != 0) {
        fprintf(stderr, "RTStrToUtf16 and iconv disagree\n");
        abort();
    }
    RTUtf16Free(pwsz);
}

void BenchRTStrToUtf16(benchmark::State &state, const std::string &s) {
    CheckSameResult(s);
    Measure(state, s.size(), [&] {
        RTUTF16 *pwsz = nullptr;
        int rc = RTStrToUtf16(s.c_str(), &pwsz);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(pwsz);
        RTUtf16Free(pwsz);
    });
}

void BenchRTStrToUtf16Ex(benchmark::State &state, const std::string &s) {
    std::vector<RTUTF16> buf(s.size() + 1);
    Measure(state, s.size(), [&] {
        RTUTF16 *pwsz = buf.data();
        int rc = RTStrToUtf16Ex(s.c_str(), RTSTR_MAX, &pwsz, buf.size(), nullptr);
        benchmark::DoNotOptimize(rc);
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    });
}

void BenchIconv(benchmark::State &state, const std::string &s) {
    iconv_t hIconv = iconv_open("UTF-16LE", "UTF-8");
    std::vector<char> out(s.size() * 2 + 16);
    Measure(state, s.size(), [&] {
        iconv(hIconv, nullptr, nullptr, nullptr, nullptr);
        char *pIn = const_cast<char *>(s.data());
        size_t cbIn = s.size();
        char *pOut = out.data();
        size_t cbOut = out.size();
        size_t rc = iconv(hIconv, &pIn, &cbIn, &pOut, &cbOut);
        benchmark::DoNotOptimize(rc);
        benchmark::ClobberMemory();
    });
    iconv_close(hIconv);
}

void BM_Mixed_RTStrToUtf16(benchmark::State &state) {
    BenchRTStrToUtf16(state, Mixed());
}
void BM_Mixed_RTStrToUtf16Ex(benchmark::State &state) {
    BenchRTStrToUtf16Ex(state, Mixed());
}
void BM_Mixed_iconv(benchmark::State &state) {
    BenchIconv(state, Mixed());
}
void BM_Ascii_RTStrToUtf16(benchmark::State &state) {
    BenchRTStrToUtf16(state, Ascii());
}
void BM_Ascii_RTStrToUtf16Ex(benchmark::State &state) {
    BenchRTStrToUtf16Ex(state, Ascii());
}
void BM_Ascii_iconv(benchmark::State &state) {
    BenchIconv(state, Ascii());
}

} // namespace

BENCHMARK(BM_Mixed_RTStrToUtf16);
BENCHMARK(BM_Mixed_RTStrToUtf16Ex);
BENCHMARK(BM_Mixed_iconv);
BENCHMARK(BM_Ascii_RTStrToUtf16);
BENCHMARK(BM_Ascii_RTStrToUtf16Ex);
BENCHMARK(BM_Ascii_iconv);
