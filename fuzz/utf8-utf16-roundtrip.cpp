// UTF-8 -> UTF-16 -> UTF-8 must give back the same bytes; what fails to convert must fail the
// same way in the length calculators and the validator. The same input read as UTF-16 units
// must survive UTF-16 -> UTF-8 -> UTF-16. Caller buffers of every size either receive the
// exact result or report QERR_BUFFER_OVERFLOW untouched.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "utf8-internal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz-check.h"

static void checkUtf8(const char *psz, size_t cchLimit) {
    size_t const cch = RTStrNLen(psz, cchLimit);

    size_t cwcCalc = 0;
    int rcCalc = RTStrCalcUtf16LenEx(psz, cchLimit, &cwcCalc);
    RTUTF16 *pwsz = nullptr;
    size_t cwc = 12345;
    int rc = RTStrToUtf16Ex(psz, cchLimit, &pwsz, 0, &cwc);
    CHECK(rc == rcCalc);
    int rcValidate = RTStrValidateEncodingEx(psz, cchLimit, nullptr);
    if (rc != QERR_CANT_RECODE_AS_UTF16) // beyond U+10FFFF is still valid UTF-8
        CHECK(rcValidate == rc);
    if (RT_FAILURE(rc)) {
        CHECK(pwsz == nullptr);
        CHECK(cwc == 12345);
        CHECK(cwcCalc == RTSTR_MAX);
        return;
    }
    CHECK(pwsz != nullptr);
    CHECK(cwc == cwcCalc);
    CHECK(RTUtf16Len(pwsz) == cwc);

    // Back to UTF-8: byte for byte.
    size_t cchBack = 0;
    CHECK(RTUtf16CalcUtf8LenEx(pwsz, RTSTR_MAX, &cchBack) == QINF_SUCCESS);
    CHECK(cchBack == cch);
    char *pszBack = nullptr;
    CHECK(RTUtf16ToUtf8(pwsz, &pszBack) == QINF_SUCCESS);
    CHECK(strlen(pszBack) == cch);
    CHECK(memcmp(pszBack, psz, cch) == 0);
    RTStrFree(pszBack);

    // Caller buffers around the exact size.
    for (size_t cwcBuf = cwc > 2 ? cwc - 2 : 1; cwcBuf <= cwc + 2; cwcBuf++) {
        std::vector<RTUTF16> buf(cwcBuf, 0xaaaa);
        RTUTF16 *pwszBuf = buf.data();
        size_t cwcOut = 0;
        int rcBuf = RTStrToUtf16Ex(psz, cchLimit, &pwszBuf, cwcBuf, &cwcOut);
        CHECK(cwcOut == cwc);
        CHECK(pwszBuf == buf.data());
        if (cwc < cwcBuf) {
            CHECK(rcBuf == QINF_SUCCESS);
            CHECK(memcmp(buf.data(), pwsz, (cwc + 1) * sizeof(RTUTF16)) == 0);
        } else {
            CHECK(rcBuf == QERR_BUFFER_OVERFLOW);
            for (RTUTF16 wc : buf) CHECK(wc == 0xaaaa);
        }
    }

    // Code-point count agrees with a decode to an array.
    RTUNICP *paCps = nullptr;
    size_t cCps = 0;
    CHECK(RTStrToUni(psz, cchLimit, &paCps, 0, &cCps) == QINF_SUCCESS);
    size_t cwcFromCps = 0;
    for (size_t i = 0; i < cCps; i++) cwcFromCps += paCps[i] >= 0x10000 ? 2 : 1;
    CHECK(cwcFromCps == cwc);
    RTMemFree(paCps);
    RTUtf16Free(pwsz);
}

// The processor-specific and the portable workers must agree exactly: status, count, units.
static void checkImplementationsAgree(const char *psz, size_t cb) {
    size_t cwcScalar = 0;
    int rcScalar = rtUtf8CalcUtf16LenScalar(psz, cb, &cwcScalar);
#ifdef RTUTF8_HAVE_SSSE3
    if (rtUtf8CanUseSsse3()) {
        size_t cwcSimd = 0;
        CHECK(rtUtf8CalcUtf16LenSsse3(psz, cb, &cwcSimd) == rcScalar);
        CHECK(cwcSimd == cwcScalar);
        size_t const cwcCap = RT_SUCCESS(rcScalar) ? cwcScalar : cb; // failing input: room for all
        std::vector<RTUTF16> bufScalar(cwcCap + 1, 0x5555), bufSimd(cwcCap + 1, 0x5555);
        int rcRecScalar = rtUtf8RecodeAsUtf16Scalar(psz, cb, bufScalar.data(), cwcCap);
        int rcRecSimd = rtUtf8RecodeAsUtf16Ssse3(psz, cb, bufSimd.data(), cwcCap);
        CHECK(rcRecScalar == rcRecSimd);
        CHECK(rcRecScalar == rcScalar);
        if (RT_SUCCESS(rcScalar))
            CHECK(memcmp(bufScalar.data(), bufSimd.data(), (cwcScalar + 1) * sizeof(RTUTF16)) == 0);
        // One unit short of the count: both must report the overflow.
        if (RT_SUCCESS(rcScalar) && cwcScalar > 0) {
            CHECK(rtUtf8RecodeAsUtf16Scalar(psz, cb, bufScalar.data(), cwcScalar - 1) == QERR_BUFFER_OVERFLOW);
            CHECK(rtUtf8RecodeAsUtf16Ssse3(psz, cb, bufSimd.data(), cwcScalar - 1) == QERR_BUFFER_OVERFLOW);
        }
    }
#else
    RT_NOREF(rcScalar);
#endif
}

static void checkUtf16(const RTUTF16 *pwsz, size_t cwcLimit) {
    size_t const cwc = RTUtf16NLen(pwsz, cwcLimit);
    size_t cchCalc = 0;
    int rcCalc = RTUtf16CalcUtf8LenEx(pwsz, cwcLimit, &cchCalc);
    char *psz = nullptr;
    size_t cch = 12345;
    int rc = RTUtf16ToUtf8Ex(pwsz, cwcLimit, &psz, 0, &cch);
    CHECK(rc == rcCalc);
    CHECK(rc == RTUtf16ValidateEncodingEx(pwsz, cwcLimit));
    if (RT_FAILURE(rc)) {
        CHECK(psz == nullptr);
        CHECK(cchCalc == RTSTR_MAX);
        return;
    }
    CHECK(cch == cchCalc);
    CHECK(strlen(psz) == cch);
    CHECK(RTStrValidateEncoding(psz) == QINF_SUCCESS);
    RTUTF16 *pwszBack = nullptr;
    CHECK(RTStrToUtf16(psz, &pwszBack) == QINF_SUCCESS);
    CHECK(RTUtf16Len(pwszBack) == cwc);
    CHECK(memcmp(pwszBack, pwsz, cwc * sizeof(RTUTF16)) == 0);
    RTUtf16Free(pwszBack);

    // Caller buffer one byte short and exactly large enough.
    std::vector<char> buf(cch + 1, 'Z');
    char *pszBuf = buf.data();
    if (cch > 0) {
        CHECK(RTUtf16ToUtf8Ex(pwsz, cwcLimit, &pszBuf, cch, nullptr) == QERR_BUFFER_OVERFLOW);
        for (char ch : buf) CHECK(ch == 'Z');
    }
    CHECK(RTUtf16ToUtf8Ex(pwsz, cwcLimit, &pszBuf, cch + 1, nullptr) == QINF_SUCCESS);
    CHECK(memcmp(buf.data(), psz, cch + 1) == 0);
    RTStrFree(psz);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // As UTF-8: the whole input terminated, and cut at a limit taken from its first byte.
    std::vector<char> str(data, data + size);
    str.push_back('\0');
    checkUtf8(str.data(), RTSTR_MAX);
    checkImplementationsAgree(str.data(), strlen(str.data()));
    // Long inputs built from short ones reach the sixteen-byte paths at every alignment.
    if (size > 0 && size < 64) {
        std::string rep;
        for (size_t i = 0; i < 96 / size + 2; i++) rep.append(str.data(), strlen(str.data()));
        checkImplementationsAgree(rep.c_str(), rep.size());
        checkUtf8(rep.c_str(), RTSTR_MAX);
    }
    if (size > 0) checkUtf8(str.data() + 1, data[0] % (size + 1));

    // As UTF-16 units.
    std::vector<RTUTF16> units(size / 2 + 1, 0);
    if (size >= 2) memcpy(units.data(), data, size / 2 * 2);
    checkUtf16(units.data(), RTSTR_MAX);
    if (size >= 2) checkUtf16(units.data(), data[size - 1] % (size / 2 + 1));
    return 0;
}
