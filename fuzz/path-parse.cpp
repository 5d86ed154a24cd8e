// Path parsing, rebuilding and absolute resolution. Input: a selector byte (style, flags and
// buffer sizes), then the path. Checks: every record entry lies inside the path; a rebuilt path
// parses to the same record (less the extra separators) and rebuilds to itself; nothing is read
// or written outside the exact-sized buffers; absolute resolution against a fixed current
// directory succeeds or fails consistently with its size hint, and its copy agrees.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "r3/posix/path-posix-internal.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz-check.h"

static std::vector<uint8_t> g_abRec;

static RTPATHPARSED *parseExact(const char *pszPath, size_t cEntries, uint32_t fStyle, int *prc) {
    g_abRec.assign(RTPATHPARSED_SIZE(cEntries), 0xcc);
    RTPATHPARSED *pParsed = reinterpret_cast<RTPATHPARSED *>(g_abRec.data());
    *prc = RTPathParse(pszPath, pParsed, g_abRec.size(), fStyle);
    return pParsed;
}

static void checkParse(const std::string &strPath, uint32_t fStyle, size_t cEntriesTry) {
    int rc;
    RTPATHPARSED *pParsed = parseExact(strPath.c_str(), cEntriesTry, fStyle, &rc);
    if (rc == QERR_BUFFER_OVERFLOW) {
        CHECK(pParsed->cComps > cEntriesTry);
        pParsed = parseExact(strPath.c_str(), pParsed->cComps, fStyle, &rc);
    }
    if (strPath.empty()) {
        CHECK(rc == QERR_PATH_ZERO_LENGTH);
        return;
    }
    if (rc == QERR_FILENAME_TOO_LONG) {
        CHECK(strPath.size() >= 0x10000);
        return;
    }
    CHECK(rc == QINF_SUCCESS);
    CHECK(pParsed->cComps >= 1);
    CHECK(pParsed->cchPath <= strPath.size());
    for (unsigned i = 0; i < pParsed->cComps; i++)
        CHECK((size_t)pParsed->aComps[i].off + pParsed->aComps[i].cch <= strPath.size());
    CHECK((size_t)pParsed->offSuffix + pParsed->cchSuffix <= strPath.size());
    RTPATHPARSED Head = *pParsed;

    // Rebuild into an exact buffer, and once into a buffer one byte short.
    std::vector<char> vchOut(pParsed->cchPath + 1);
    CHECK(RTPathParsedReassemble(strPath.c_str(), pParsed, fStyle, vchOut.data(), vchOut.size()) == QINF_SUCCESS);
    CHECK(strlen(vchOut.data()) == pParsed->cchPath);
    CHECK(pParsed->cchPath == Head.cchPath);
    std::vector<char> vchShort(pParsed->cchPath);
    if (!vchShort.empty()) {
        CHECK(RTPathParsedReassemble(strPath.c_str(), pParsed, fStyle, vchShort.data(), vchShort.size()) ==
              QERR_BUFFER_OVERFLOW);
        CHECK(vchShort[0] == '\0');
    }

    // The rebuilt path parses to the same record and rebuilds to itself.
    std::string const strRebuilt(vchOut.data());
    RTPATHPARSED *pAgain = parseExact(strRebuilt.c_str(), Head.cComps, fStyle, &rc);
    CHECK(rc == QINF_SUCCESS);
    CHECK(pAgain->cComps == Head.cComps);
    CHECK(pAgain->fProps == (Head.fProps & ~RTPATHPROP_EXTRA_SEPS));
    CHECK(pAgain->cchPath == Head.cchPath);
    CHECK(pAgain->cchSuffix == Head.cchSuffix);
    std::vector<char> vchTwice(pAgain->cchPath + 1);
    CHECK(RTPathParsedReassemble(strRebuilt.c_str(), pAgain, fStyle, vchTwice.data(), vchTwice.size()) == QINF_SUCCESS);
    CHECK(strRebuilt == vchTwice.data());

    // In place over an exact copy.
    std::vector<char> vchInPlace(strPath.c_str(), strPath.c_str() + strPath.size() + 1);
    pAgain = parseExact(vchInPlace.data(), Head.cComps, fStyle, &rc);
    CHECK(rc == QINF_SUCCESS);
    CHECK(RTPathParsedReassemble(vchInPlace.data(), pAgain, fStyle, vchInPlace.data(), vchInPlace.size()) ==
          QINF_SUCCESS);
    CHECK(strRebuilt == vchInPlace.data());
}

static void checkAbs(const char *pszBase, const std::string &strPath, uint32_t fFlags, size_t cbFirst) {
    std::vector<char> vch(cbFirst ? cbFirst : 1);
    size_t cb = cbFirst;
    int rc = RTPathAbsEx(pszBase, strPath.c_str(), fFlags, vch.data(), &cb);
    char *pszDup = RTPathAbsExDup(pszBase, strPath.c_str(), fFlags);
    if (rc == QERR_BUFFER_OVERFLOW) {
        CHECK(cb > cbFirst || cbFirst == 0);
        // The hint is enough.
        std::vector<char> vch2(cb);
        size_t cb2 = cb;
        rc = RTPathAbsEx(pszBase, strPath.c_str(), fFlags, vch2.data(), &cb2);
        CHECK(rc != QERR_BUFFER_OVERFLOW);
        if (RT_SUCCESS(rc)) {
            CHECK(cb2 < cb && strlen(vch2.data()) == cb2);
            CHECK(pszDup && !strcmp(pszDup, vch2.data()));
        }
    } else if (RT_SUCCESS(rc)) {
        CHECK(cb < cbFirst && strlen(vch.data()) == cb);
        CHECK(pszDup && !strcmp(pszDup, vch.data()));
        // An absolute result is its own absolute form.
        size_t cb3 = cb + 1;
        std::vector<char> vch3(cb3);
        if ((fFlags & RTPATH_STYLE_MASK) != RTPATH_STYLE_UNIX && !(fFlags & RTPATHABS_F_TRAILING_SEP)) {
            int rc3 = RTPathAbsEx(NULL, vch.data(), fFlags & RTPATH_STYLE_MASK, vch3.data(), &cb3);
            CHECK(rc3 == QINF_SUCCESS);
        }
    } else
        CHECK(!pszDup);
    RTStrFree(pszDup);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    uint8_t const bSel = data[0];
    uint8_t const bSize = data[1];
    std::string const strPath(reinterpret_cast<const char *>(data + 2), strnlen((const char *)data + 2, size - 2));

    uint32_t const fStyle = bSel % 3; // host, DOS, Unix
    checkParse(strPath, fStyle, bSize % 8);

    static const uint32_t s_afAbs[] = {0, RTPATHABS_F_KEEP_BASE, RTPATHABS_F_KEEP_CWD, RTPATHABS_F_TRAILING_SEP};
    uint32_t const fAbs = fStyle | s_afAbs[(bSel >> 2) & 3];
    static const char *const s_apszBase[] = {NULL, "C:\\base\\sub", "\\\\srv\\share\\d", "rel\\b"};
    rtPathPosixTestSetCurrent((bSel & 0x40) ? "\\\\srv\\share\\cwd" : "c:\\work\\dir");
    checkAbs(s_apszBase[(bSel >> 4) & 3], strPath, fAbs, bSize);
    rtPathPosixTestSetCurrent(NULL);
    return 0;
}
