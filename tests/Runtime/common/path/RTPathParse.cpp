// Parsing paths into records, and rebuilding them.
#include <qrt/err.h>
#include <qrt/path.h>

#include "Runtime/common/path/path-test-util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ParseCase {
    int iLine;
    const char *pszPath;
    uint32_t fStyle;
    const char *pszRecord;
    const char *pszDos;  // rebuilt in the DOS style
    const char *pszUnix; // rebuilt in the Unix style
};

// clang-format off
const ParseCase g_aParse[] = {
    {__LINE__, "C:\\dir\\file.txt", 1, "n=3 props=0x0165 cch=15 [C:\\][dir][file.txt] sfx=11+4", "C:\\dir\\file.txt", "C:/dir/file.txt"},
    {__LINE__, "dir\\\\sub\\",      1, "n=2 props=0x0602 cch=8 [dir][sub] sfx=9+0",               "dir\\sub\\",        "dir/sub/"},
    {__LINE__, "\\\\server\\share\\x", 1, "n=3 props=0x0131 cch=16 [\\\\server\\][share][x] sfx=16+0", "\\\\server\\share\\x", "//server/share/x"},
    {__LINE__, "a\\..\\b",          1, "n=3 props=0x1201 cch=6 [a][..][b] sfx=6+0",              "a\\..\\b",          "a/../b"},
    {__LINE__, "C:\\a\\.\\b",       1, "n=4 props=0x0961 cch=8 [C:\\][a][.][b] sfx=8+0",         "C:\\a\\.\\b",       "C:/a/./b"},
    {__LINE__, "\\\\?\\C:\\x",      1, "n=3 props=0x2131 cch=8 [\\\\?\\][C:][x] sfx=8+0",        "\\\\?\\C:\\x",      "//?/C:/x"},
    {__LINE__, "\\\\.\\PhysicalDrive0", 1, "n=2 props=0x2131 cch=18 [\\\\.\\][PhysicalDrive0] sfx=18+0", "\\\\.\\PhysicalDrive0", "//./PhysicalDrive0"},
    {__LINE__, "//?/C:/x",          1, "n=3 props=0x2131 cch=8 [//?/][C:][x] sfx=8+0",           "\\\\?\\C:\\x",      "//?/C:/x"},
    {__LINE__, "\\\\\\x",           1, "n=2 props=0x0131 cch=4 [\\\\\\][x] sfx=4+0",             "\\\\\\x",           "///x"},
    {__LINE__, "\\\\server",        1, "n=1 props=0x0110 cch=8 [\\\\server] sfx=8+0",            "\\\\server",        "//server"},
    {__LINE__, "\\\\",              1, "n=1 props=0x0110 cch=2 [\\\\] sfx=2+0",                  "\\\\",              "//"},
    {__LINE__, "C:",                1, "n=1 props=0x0240 cch=2 [C:] sfx=2+0",                    "C:",                "C:"},
    {__LINE__, "C:x.y",             1, "n=2 props=0x0245 cch=5 [C:][x.y] sfx=3+2",               "C:x.y",             "C:x.y"},
    {__LINE__, "C:\\\\x",           1, "n=2 props=0x0561 cch=4 [C:\\][x] sfx=5+0",               "C:\\x",             "C:/x"},
    {__LINE__, "\\dir",             1, "n=2 props=0x0221 cch=4 [\\][dir] sfx=4+0",               "\\dir",             "/dir"},
    {__LINE__, "C:/dir//file",      1, "n=3 props=0x0561 cch=11 [C:/][dir][file] sfx=12+0",      "C:\\dir\\file",     "C:/dir/file"},
    {__LINE__, ".profile",          1, "n=1 props=0x0201 cch=8 [.profile] sfx=8+0",              ".profile",          ".profile"},
    {__LINE__, "file.",             1, "n=1 props=0x0201 cch=5 [file.] sfx=5+0",                 "file.",             "file."},
    {__LINE__, "a.b.c",             1, "n=1 props=0x0205 cch=5 [a.b.c] sfx=3+2",                 "a.b.c",             "a.b.c"},
    {__LINE__, "a.b.",              1, "n=1 props=0x0201 cch=4 [a.b.] sfx=4+0",                  "a.b.",              "a.b."},
    {__LINE__, "x.d\\",             1, "n=1 props=0x0202 cch=4 [x.d] sfx=4+0",                   "x.d\\",             "x.d/"},
    {__LINE__, ".",                 1, "n=1 props=0x0a01 cch=1 [.] sfx=1+0",                     ".",                 "."},
    {__LINE__, "C:\\..",            1, "n=2 props=0x1261 cch=5 [C:\\][..] sfx=5+0",              "C:\\..",            "C:/.."},
    {__LINE__, "a\xc3\xa9\\b",      1, "n=2 props=0x0201 cch=5 [a\xc3\xa9][b] sfx=5+0",          "a\xc3\xa9\\b",      "a\xc3\xa9/b"},
    {__LINE__, "a\\b",              0, "n=2 props=0x0201 cch=3 [a][b] sfx=3+0",                  "a\\b",              "a/b"},
    // The Unix style: only '/' separates, one leading '/' is the root.
    {__LINE__, "/usr//lib/",        2, "n=3 props=0x0522 cch=9 [/][usr][lib] sfx=10+0",          "\\usr\\lib\\",      "/usr/lib/"},
    {__LINE__, "///x",              2, "n=2 props=0x0521 cch=2 [/][x] sfx=4+0",                  "\\x",               "/x"},
    {__LINE__, "a\\b.c",            2, "n=1 props=0x0205 cch=5 [a\\b.c] sfx=3+2",                "a\\b.c",            "a\\b.c"},
    {__LINE__, "C:\\x",             2, "n=1 props=0x0201 cch=4 [C:\\x] sfx=4+0",                 "C:\\x",             "C:\\x"},
    {__LINE__, "/..",               2, "n=2 props=0x1221 cch=3 [/][..] sfx=3+0",                 "\\..",              "/.."},
};
// clang-format on

TEST(PathParse, RecordsAndRoundTrips) {
    for (const ParseCase &c : g_aParse) {
        SCOPED_TRACE(c.iLine);
        union {
            RTPATHPARSED Parsed;
            uint8_t ab[256];
        } u;
        ASSERT_EQ(QINF_SUCCESS, RTPathParse(c.pszPath, &u.Parsed, sizeof(u), c.fStyle));
        EXPECT_EQ(c.pszRecord, tstPathParsedToString(c.pszPath, &u.Parsed, 64));

        char ab[64];
        EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(c.pszPath, &u.Parsed, RTPATH_STYLE_DOS, ab, sizeof(ab)));
        EXPECT_STREQ(c.pszDos, ab);
        EXPECT_EQ(strlen(ab), u.Parsed.cchPath);
        EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(c.pszPath, &u.Parsed, RTPATH_STYLE_UNIX, ab, sizeof(ab)));
        EXPECT_STREQ(c.pszUnix, ab);

        // The rebuilt path parses to the same shape, without the extra separators.
        union {
            RTPATHPARSED Parsed;
            uint8_t ab[256];
        } u2;
        const char *pszRebuilt = c.fStyle == RTPATH_STYLE_UNIX ? c.pszUnix : c.pszDos;
        ASSERT_EQ(QINF_SUCCESS, RTPathParse(pszRebuilt, &u2.Parsed, sizeof(u2), c.fStyle));
        EXPECT_EQ(u.Parsed.cComps, u2.Parsed.cComps);
        EXPECT_EQ(u.Parsed.fProps & ~RTPATHPROP_EXTRA_SEPS, u2.Parsed.fProps);
        EXPECT_EQ(u.Parsed.cchPath, u2.Parsed.cchPath);
    }
}

TEST(PathParse, Refusals) {
    union {
        RTPATHPARSED Parsed;
        uint8_t ab[64];
    } u;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTPathParse("a", &u.Parsed, 11, 0));
    EXPECT_EQ(QERR_INVALID_POINTER, RTPathParse(nullptr, &u.Parsed, sizeof(u), 0));
    EXPECT_EQ(QERR_INVALID_POINTER, RTPathParse("a", reinterpret_cast<RTPATHPARSED *>(8), sizeof(u), 0));
    EXPECT_EQ(QERR_PATH_ZERO_LENGTH, RTPathParse("", &u.Parsed, sizeof(u), 0));
    EXPECT_EQ(QERR_INVALID_FLAGS, RTPathParse("a", &u.Parsed, sizeof(u), 3));
    EXPECT_EQ(QERR_INVALID_FLAGS, RTPathParse("a", &u.Parsed, sizeof(u), 0x40001)); // only a style
}

TEST(PathParse, TooManyComponentsStillCounts) {
    // 12 bytes hold no entry: the count, properties and lengths are set all the same.
    union {
        RTPATHPARSED Parsed;
        uint8_t ab[32];
    } u;
    memset(&u, 0xee, sizeof(u));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathParse("a\\b", &u.Parsed, 12, 0));
    EXPECT_EQ(2u, u.Parsed.cComps);
    EXPECT_EQ(0x0201u, u.Parsed.fProps);
    EXPECT_EQ(3u, u.Parsed.cchPath);
    EXPECT_EQ(0xeeeeu, u.Parsed.aComps[0].off); // not written

    memset(&u, 0xee, sizeof(u));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathParse("C:\\a\\b\\c", &u.Parsed, RTPATHPARSED_SIZE(3), 0));
    EXPECT_EQ(4u, u.Parsed.cComps);
    EXPECT_EQ(1u, u.Parsed.aComps[2].cch);      // 'b', the last entry that fits
    EXPECT_EQ(0xeeeeu, u.Parsed.aComps[3].off); // 'c' is counted, not written
}

TEST(PathParse, SixtyFourKiBLimits) {
    std::vector<uint8_t> vbRec(RTPATHPARSED_SIZE(4));
    RTPATHPARSED *pParsed = reinterpret_cast<RTPATHPARSED *>(vbRec.data());
    std::string strMax = "C:\\" + std::string(65535 - 3, 'x');
    EXPECT_EQ(QINF_SUCCESS, RTPathParse(strMax.c_str(), pParsed, vbRec.size(), 0));
    EXPECT_EQ(65535u, pParsed->cchPath);
    std::string strOver = strMax + "y";
    EXPECT_EQ(QERR_FILENAME_TOO_LONG, RTPathParse(strOver.c_str(), pParsed, vbRec.size(), 0));

    // A trailing separator added to the longest path would take the rebuilt length to 65536:
    // refused, never stored as 0 with 65537 bytes written into a smaller buffer.
    ASSERT_EQ(QINF_SUCCESS, RTPathParse(strMax.c_str(), pParsed, vbRec.size(), 0));
    pParsed->fProps |= RTPATHPROP_TRAILING_SEP;
    std::vector<char> vchDst(16, '#');
    EXPECT_EQ(QERR_FILENAME_TOO_LONG,
              RTPathParsedReassemble(strMax.c_str(), pParsed, RTPATH_STYLE_DOS, vchDst.data(), vchDst.size()));
    EXPECT_EQ('#', vchDst[0]);
    EXPECT_EQ(65535u, pParsed->cchPath);
}

TEST(PathParsedReassemble, RemovedComponentsAndSizes) {
    union {
        RTPATHPARSED Parsed;
        uint8_t ab[128];
    } u;
    const char *pszPath = "C:\\a\\b\\c\\";
    ASSERT_EQ(QINF_SUCCESS, RTPathParse(pszPath, &u.Parsed, sizeof(u), 0));
    char ab[32];
    u.Parsed.aComps[2].cch = 0; // drop 'b'
    EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, sizeof(ab)));
    EXPECT_STREQ("C:\\a\\c\\", ab);
    EXPECT_EQ(7u, u.Parsed.cchPath);

    // Everything after the root removed: the root alone, no trailing separator.
    u.Parsed.aComps[1].cch = 0;
    u.Parsed.aComps[3].cch = 0;
    EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, sizeof(ab)));
    EXPECT_STREQ("C:\\", ab);

    // Too small: the destination is emptied and the length is still stored.
    ASSERT_EQ(QINF_SUCCESS, RTPathParse(pszPath, &u.Parsed, sizeof(u), 0));
    memset(ab, '#', sizeof(ab));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, 9));
    EXPECT_STREQ("", ab);
    EXPECT_EQ(9u, u.Parsed.cchPath);
    EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, 10));
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, 0));

    EXPECT_EQ(QERR_INVALID_FLAGS, RTPathParsedReassemble(pszPath, &u.Parsed, 3, ab, sizeof(ab)));
    EXPECT_EQ(QERR_INVALID_POINTER, RTPathParsedReassemble(pszPath, &u.Parsed, 0, nullptr, sizeof(ab)));
    u.Parsed.cComps = 0;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTPathParsedReassemble(pszPath, &u.Parsed, 0, ab, sizeof(ab)));
}

TEST(PathParsedReassemble, InPlace) {
    // Rebuilding over the parsed text itself: every piece moves towards the start.
    struct {
        int iLine;
        const char *pszPath, *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "C:////a////b//c////", "C:\\a\\b\\c\\"},
        {__LINE__, "//srv//share///x", "\\\\srv\\share\\x"},
        {__LINE__, "a\\\\\\\\\\\\\\\\b", "a\\b"},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        std::vector<char> vch(c.pszPath, c.pszPath + strlen(c.pszPath) + 1); // exactly sized for ASan
        union {
            RTPATHPARSED Parsed;
            uint8_t ab[128];
        } u;
        ASSERT_EQ(QINF_SUCCESS, RTPathParse(vch.data(), &u.Parsed, sizeof(u), 0));
        EXPECT_EQ(QINF_SUCCESS, RTPathParsedReassemble(vch.data(), &u.Parsed, 0, vch.data(), vch.size()));
        EXPECT_STREQ(c.pszExpect, vch.data());
    }
}

} // namespace
