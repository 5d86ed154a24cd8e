// The comparisons: sign symmetry of RTStrICmp, RTStrCmp and (where the limit cannot cut the
// strings differently) RTStrNICmp; agreement between the unbounded forms; equality with a copy and
// with a case-changed copy; RTStrAsciiICmp against RTStrICmp on ASCII text.
#include <qrt/err.h>
#include <qrt/string.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz-check.h"

static int sign(int i) {
    return (i > 0) - (i < 0);
}

static bool isAscii(const char *psz) {
    for (; *psz; psz++)
        if ((uint8_t)*psz >= 0x80) return false;
    return true;
}

// The string with every code point replaced by its upper- (or lower-) case mapping; empty
// when the input is not valid UTF-8.
static bool caseChanged(const char *psz, bool fUpper, std::string *pOut) {
    pOut->clear();
    for (;;) {
        RTUNICP uc;
        if (RT_FAILURE(RTStrGetCpEx(&psz, &uc))) return false;
        if (!uc) return true;
        char ab[8];
        char *pszEnd = RTStrPutCp(ab, fUpper ? RTUniCpToUpper(uc) : RTUniCpToLower(uc));
        pOut->append(ab, pszEnd);
    }
}

static void checkPair(const char *psz1, const char *psz2, size_t cchLimit) {
    int const iCmp = RTStrCmp(psz1, psz2);
    CHECK(iCmp >= -1 && iCmp <= 1);
    CHECK(iCmp == -RTStrCmp(psz2, psz1));

    int const iICmp = RTStrICmp(psz1, psz2);
    CHECK(sign(iICmp) == -sign(RTStrICmp(psz2, psz1)));
    if (iCmp == 0) CHECK(iICmp == 0);
    CHECK(sign(RTStrNICmp(psz1, psz2, RTSTR_MAX)) == sign(iICmp));

    // With one byte per code point in both strings the limit cuts both alike; elsewhere the
    // second string may be cut where the first is not, so only the unbounded form is symmetric.
    if (isAscii(psz1) && isAscii(psz2)) {
        CHECK(sign(RTStrNICmp(psz1, psz2, cchLimit)) == -sign(RTStrNICmp(psz2, psz1, cchLimit)));
        CHECK(RTStrAsciiICmp(psz1, psz2) == iICmp);
        CHECK(sign(RTStrAsciiICmp(psz1, psz2)) == -sign(RTStrAsciiICmp(psz2, psz1)));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    // First byte: the limit; the rest split at the first 0 byte (or in the middle).
    size_t const cchLimit = data[0];
    std::string rest((const char *)data + 1, size - 1);
    size_t off = rest.find('\0');
    std::string s1, s2;
    if (off != std::string::npos) {
        s1 = rest.substr(0, off);
        s2 = rest.substr(off + 1);
        s2 = s2.substr(0, s2.find('\0'));
    } else {
        s1 = rest.substr(0, rest.size() / 2);
        s2 = rest.substr(rest.size() / 2);
    }
    checkPair(s1.c_str(), s2.c_str(), cchLimit);

    // A string equals its copy and, when valid, its case-changed copies.
    std::string copy(s1);
    CHECK(RTStrICmp(s1.c_str(), copy.c_str()) == 0);
    CHECK(RTStrNICmp(s1.c_str(), copy.c_str(), cchLimit) == 0);
    std::string changed;
    for (bool fUpper : {true, false})
        if (caseChanged(s1.c_str(), fUpper, &changed)) {
            CHECK(RTStrICmp(s1.c_str(), changed.c_str()) == 0);
            CHECK(RTStrICmp(changed.c_str(), s1.c_str()) == 0);
        }
    return 0;
}
