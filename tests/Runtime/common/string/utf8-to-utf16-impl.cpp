// The processor-specific UTF-8 to UTF-16 workers against the portable ones: every sequence
// kind and every fault, at every offset of texts long enough for the sixteen-byte steps, with
// exact and short output capacities.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "utf8-internal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char *const g_apszPieces[] = {
    "a",
    "\xc3\xa9",
    "\xe2\x82\xac",
    "\xf0\x9f\x98\x80",
    "\xf4\x8f\xbf\xbf",
    "\xef\xbf\xbd",
    // Faults of every class.
    "\xc0\x80",
    "\xe0\x9f\xbf",
    "\xed\xa0\x80",
    "\xef\xbf\xbe",
    "\xef\xbf\xbf",
    "\xf4\x90\x80\x80",
    "\xf8\x88\x80\x80\x80",
    "\xfd\xbf\xbf\xbf\xbf\xbf",
    "\x80",
    "\xff",
    "\xc3",
    "\xe2\x82",
    "\xf0\x9f\x98",
    "\xc3\x41",
    "\xe2\x28\xa1",
};

struct Result {
    int rc;
    size_t cwc;
    std::vector<RTUTF16> units;
};

Result Portable(const std::string &s) {
    Result r;
    r.rc = rtUtf8CalcUtf16LenScalar(s.data(), s.size(), &r.cwc);
    if (RT_SUCCESS(r.rc)) {
        r.units.assign(r.cwc + 1, 0x5555);
        EXPECT_EQ(QINF_SUCCESS, rtUtf8RecodeAsUtf16Scalar(s.data(), s.size(), r.units.data(), r.cwc));
    }
    return r;
}

TEST(Utf8ToUtf16Impl, ProcessorSpecificWorkersAgree) {
#ifdef RTUTF8_HAVE_SSSE3
    if (!rtUtf8CanUseSsse3()) GTEST_SKIP() << "processor lacks SSSE3";
    for (const char *pszPiece : g_apszPieces)
        for (size_t cchPad = 0; cchPad < 40; cchPad++)
            for (const char *pszFill : {"x", "\xd0\xb8", "\xe6\x97\xa5", "\xf0\x9f\x93\xa6"}) {
                std::string s;
                while (s.size() < cchPad) s += pszFill;
                s += pszPiece;
                for (int i = 0; i < 6; i++) s += pszFill;
                SCOPED_TRACE(testing::Message() << "pad " << cchPad << " fill " << pszFill << " piece " << pszPiece);
                Result const expect = Portable(s);
                size_t cwc = 0;
                ASSERT_EQ(expect.rc, rtUtf8CalcUtf16LenSsse3(s.data(), s.size(), &cwc));
                EXPECT_EQ(RT_SUCCESS(expect.rc) ? expect.cwc : RTSTR_MAX, cwc);
                if (RT_FAILURE(expect.rc)) {
                    std::vector<RTUTF16> buf(s.size() + 1);
                    EXPECT_EQ(expect.rc, rtUtf8RecodeAsUtf16Ssse3(s.data(), s.size(), buf.data(), s.size()));
                    continue;
                }
                std::vector<RTUTF16> buf(cwc + 1, 0x5555);
                ASSERT_EQ(QINF_SUCCESS, rtUtf8RecodeAsUtf16Ssse3(s.data(), s.size(), buf.data(), cwc));
                EXPECT_EQ(expect.units, buf);
                if (cwc > 0) {
                    EXPECT_EQ(QERR_BUFFER_OVERFLOW, rtUtf8RecodeAsUtf16Ssse3(s.data(), s.size(), buf.data(), cwc - 1));
                }
            }
#else
    GTEST_SKIP() << "no processor-specific workers in this build";
#endif
}

TEST(Utf8ToUtf16Impl, PublicConversionMatchesPortableOnLongText) {
    // Through the public entry points, which pick the workers by length and processor.
    std::string s;
    for (int i = 0; i < 50; i++) {
        s += "word ";
        s += "\xd0\x9f\xd1\x80\xd0\xb8 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80";
    }
    Result const expect = Portable(s);
    ASSERT_EQ(QINF_SUCCESS, expect.rc);
    RTUTF16 *pwsz = nullptr;
    ASSERT_EQ(QINF_SUCCESS, RTStrToUtf16(s.c_str(), &pwsz));
    EXPECT_EQ(0, memcmp(pwsz, expect.units.data(), (expect.cwc + 1) * sizeof(RTUTF16)));
    RTUtf16Free(pwsz);
}

} // namespace
