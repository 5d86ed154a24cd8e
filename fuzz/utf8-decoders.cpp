// The code-point decoders against each other: RTStrGetCpEx, RTStrGetCpNEx (with room to spare
// and with the terminator excluded), RTStrToUni and RTStrPutCp/RTStrPrevCp must agree on every
// input; likewise the UTF-16 decoders in both byte orders.
#include <qrt/err.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz-check.h"

static void checkUtf8(const char *psz) {
    size_t const cch = strlen(psz);
    const char *pszEx = psz;
    const char *pszN = psz;
    const char *pszNShort = psz;
    size_t cchN = cch + 1;
    size_t cchNShort = cch;
    int rcFirst = QINF_SUCCESS;
    std::vector<RTUNICP> cps;
    for (;;) {
        const char *const pszBefore = pszEx;
        RTUNICP ucEx = 0, ucN = 0, ucNShort = 0;
        int rcEx = RTStrGetCpEx(&pszEx, &ucEx);
        int rcN = RTStrGetCpNEx(&pszN, &cchN, &ucN);
        CHECK(rcEx == rcN);
        CHECK(ucEx == ucN);
        CHECK(pszEx == pszN);
        CHECK(cchN == (size_t)(psz + cch + 1 - pszN));
        CHECK(pszEx > pszBefore); // never fails to advance

        // Without the terminator in the count: identical except at the very end.
        int rcNShort = RTStrGetCpNEx(&pszNShort, &cchNShort, &ucNShort);
        if (pszBefore == psz + cch) {
            CHECK(rcNShort == QERR_END_OF_STRING);
            CHECK(pszNShort == pszBefore);
        } else {
            CHECK(rcNShort == rcEx);
            CHECK(ucNShort == ucEx);
            CHECK(pszNShort == pszEx);
        }

        if (RT_SUCCESS(rcEx)) {
            CHECK(ucEx <= RTUNICP_MAX);
            // The encoding is canonical: writing the code point back gives the same bytes.
            char ab[8];
            char *pszEnd = RTStrPutCp(ab, ucEx);
            CHECK((size_t)(pszEnd - ab) == (size_t)(pszEx - pszBefore));
            CHECK(memcmp(ab, pszBefore, (size_t)(pszEnd - ab)) == 0);
            CHECK(RTStrCpSize(ucEx) == (size_t)(pszEnd - ab));
            CHECK(RTStrPrevCp(psz, pszEx) == pszBefore);
            if (ucEx == 0) break;
            cps.push_back(ucEx);
        } else {
            CHECK(ucEx == RTUNICP_INVALID);
            CHECK(pszEx == pszBefore + 1);
            if (rcFirst == QINF_SUCCESS) rcFirst = rcEx;
        }
    }

    // The array conversion stops at the first error, or yields exactly what was decoded.
    RTUNICP *paCps = nullptr;
    size_t cCps = 0;
    int rcUni = RTStrToUni(psz, RTSTR_MAX, &paCps, 0, &cCps);
    CHECK(rcUni == rcFirst);
    CHECK(RTStrValidateEncoding(psz) == rcFirst);
    if (RT_SUCCESS(rcUni)) {
        CHECK(cCps == cps.size());
        CHECK(cCps == 0 || memcmp(paCps, cps.data(), cCps * sizeof(RTUNICP)) == 0);
        CHECK(paCps[cCps] == 0);
        CHECK(RTStrUniLen(psz) == cCps);
        RTMemFree(paCps);
    } else {
        CHECK(paCps == nullptr);
        CHECK(RTStrUniLen(psz) == 0);
    }

    // Stepping back from any position lands on a position that is not inside a valid sequence.
    const char *pszPos = psz + cch;
    while (pszPos > psz) {
        const char *pszPrev = RTStrPrevCp(psz, pszPos);
        CHECK(pszPrev < pszPos);
        CHECK(pszPrev >= psz);
        pszPos = pszPrev;
    }
}

static void checkUtf16(const RTUTF16 *pwsz, size_t cwc) {
    std::vector<RTUTF16> big(pwsz, pwsz + cwc + 1);
    for (RTUTF16 &wc : big) wc = (RTUTF16)((wc << 8) | (wc >> 8));
    const RTUTF16 *pwc = pwsz;
    const RTUTF16 *pwcBig = big.data();
    const RTUTF16 *pwcN = pwsz;
    size_t cwcN = cwc + 1;
    for (;;) {
        const RTUTF16 *const pwcBefore = pwc;
        RTUNICP uc = 0, ucBig = 0, ucN = 0;
        int rc = RTUtf16GetCpEx(&pwc, &uc);
        int rcBig = RTUtf16BigGetCpEx(&pwcBig, &ucBig);
        int rcN = RTUtf16GetCpNEx(&pwcN, &cwcN, &ucN);
        CHECK(rc == rcBig && rc == rcN);
        CHECK(uc == ucBig && uc == ucN);
        CHECK(pwc - pwsz == pwcBig - big.data());
        CHECK(pwc == pwcN);
        CHECK(pwc > pwcBefore);
        if (RT_SUCCESS(rc)) {
            CHECK(uc <= RTUNICP_MAX_UNICODE && !RTUniCpIsSurrogate(uc) && !RTUniCpIsEndianIndicator(uc));
            RTUTF16 awc[2];
            RTUTF16 *pwcEnd = RTUtf16PutCp(awc, uc);
            CHECK(pwcEnd - awc == pwc - pwcBefore);
            CHECK(memcmp(awc, pwcBefore, (size_t)(pwcEnd - awc) * sizeof(RTUTF16)) == 0);
            if (uc == 0) break;
        } else
            CHECK(uc == RTUNICP_INVALID && pwc == pwcBefore + 1);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<char> str(data, data + size);
    str.push_back('\0');
    checkUtf8(str.data());

    std::vector<RTUTF16> units(size / 2 + 1, 0);
    if (size >= 2) memcpy(units.data(), data, size / 2 * 2);
    checkUtf16(units.data(), RTUtf16Len(units.data()));
    return 0;
}
