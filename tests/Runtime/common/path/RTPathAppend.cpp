// Appending a component: separators at the junction, root floors, styles, sizes.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct AppendCase {
    int iLine;
    const char *pszPath;
    const char *pszAppend;
    uint32_t fFlags;
    const char *pszExpect;
};

// clang-format off
const AppendCase g_aAppend[] = {
    // The four DOS cases.
    {__LINE__, "C:\\dir",            "file",       0, "C:\\dir\\file"},
    {__LINE__, "C:",                 "file",       0, "C:file"},
    {__LINE__, "C:\\",               "\\file",     0, "C:\\file"},
    {__LINE__, "dir",                "\\\\\\file", 0, "dir\\file"},
    {__LINE__, "dir/",               "//file",     0, "dir/file"},
    {__LINE__, "dir",                "/file",      1, "dir/file"},
    // Trimming stops at each kind of root.
    {__LINE__, "C:\\dir\\\\\\",      "x",          0, "C:\\dir\\x"},
    {__LINE__, "C:\\\\\\",           "x",          0, "C:\\x"},
    {__LINE__, "\\\\server\\share\\\\", "x",       0, "\\\\server\\share\\x"},
    {__LINE__, "\\\\server\\share\\", "\\x",       0, "\\\\server\\share\\x"},
    {__LINE__, "\\\\srv\\\\",        "x",          0, "\\\\srv\\\\x"},      // root runs over both separators
    {__LINE__, "\\\\\\",             "x",          0, "\\x"},               // not UNC: floor 1
    {__LINE__, "\\\\\\\\",           "x",          0, "\\x"},
    {__LINE__, "\\",                 "x",          0, "\\x"},
    {__LINE__, "///",                "x",          0, "/x"},
    {__LINE__, "C:/",                "/x",         1, "C:/x"},
    // Drive-relative only for a bare drive.
    {__LINE__, "C:a",                "b",          0, "C:a\\b"},
    {__LINE__, "1:",                 "b",          0, "1:\\b"},
    {__LINE__, "C:",                 "b",          2, "C:/b"},              // no drives in the Unix style
    // Empty path, empty or null text.
    {__LINE__, "",                   "\\x",        0, "\\x"},
    {__LINE__, "",                   "a//b",       2, "a//b"},
    {__LINE__, "abc",                "",           0, "abc"},
    {__LINE__, "abc",                nullptr,      0, "abc"},
    {__LINE__, "dir\\",              "\\\\",       0, "dir\\"},             // only separators to add
    // Unix style: '\' is an ordinary character.
    {__LINE__, "a\\",                "b",          2, "a\\/b"},
    {__LINE__, "a//",                "//b",        2, "a/b"},
    {__LINE__, "/",                  "b",          2, "/b"},
    {__LINE__, "a",                  "\\b",        2, "a/\\b"},
};
// clang-format on

TEST(PathAppend, JunctionRules) {
    for (const AppendCase &c : g_aAppend) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        strcpy(ab, c.pszPath);
        EXPECT_EQ(QINF_SUCCESS, RTPathAppendEx(ab, sizeof(ab), c.pszAppend, RTSTR_MAX, c.fFlags));
        EXPECT_STREQ(c.pszExpect, ab);
        if (c.fFlags == 0) {
            strcpy(ab, c.pszPath);
            EXPECT_EQ(QINF_SUCCESS, RTPathAppend(ab, sizeof(ab), c.pszAppend));
            EXPECT_STREQ(c.pszExpect, ab);
        }
    }
}

TEST(PathAppend, ExactFitAndOneByteMore) {
    // Each case's result is exactly cbExact - 1 bytes long; one byte less fails and leaves
    // the buffer as it was, also when separators were about to be trimmed.
    struct {
        int iLine;
        const char *pszPath, *pszAppend, *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "C:\\dir", "file", "C:\\dir\\file"},
        {__LINE__, "C:\\dir\\\\", "xy", "C:\\dir\\xy"}, // trimming, and the path still fits
        {__LINE__, "dir", "\\\\x", "dir\\x"},
        {__LINE__, "C:", "file", "C:file"},
        {__LINE__, "", "abc", "abc"},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        size_t const cbExact = strlen(c.pszExpect) + 1;
        char ab[64];
        memset(ab, '#', sizeof(ab));
        strcpy(ab, c.pszPath);
        EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAppend(ab, cbExact - 1, c.pszAppend));
        EXPECT_STREQ(c.pszPath, ab);
        EXPECT_EQ('#', ab[strlen(c.pszPath) + 1]); // nothing written past the old terminator
        EXPECT_EQ(QINF_SUCCESS, RTPathAppend(ab, cbExact, c.pszAppend));
        EXPECT_STREQ(c.pszExpect, ab);
    }
}

TEST(PathAppend, FourKiloByteBuffers) {
    // The installer's buffers: a result of 4099 bytes fits 4100, one of 4100 does not.
    std::string strBase(4000, 'd');
    std::string strName(98, 'n');
    std::string strBuf(RTPATH_BUF_SIZE, '\0');
    strcpy(&strBuf[0], strBase.c_str());
    ASSERT_EQ(QINF_SUCCESS, RTPathAppend(&strBuf[0], RTPATH_BUF_SIZE, strName.c_str()));
    EXPECT_EQ(4099u, strlen(strBuf.c_str()));
    EXPECT_EQ(strBase + "\\" + strName, strBuf.c_str());

    strcpy(&strBuf[0], strBase.c_str());
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathAppend(&strBuf[0], RTPATH_BUF_SIZE, (strName + "n").c_str()));
    EXPECT_EQ(strBase, strBuf.c_str());
}

TEST(PathAppend, Refusals) {
    char ab[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'}; // no terminator within the size
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTPathAppend(ab, sizeof(ab), "x"));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTPathAppend(ab, 0, "x"));
    char abOk[16] = "dir";
    EXPECT_EQ(QERR_INVALID_FLAGS, RTPathAppendEx(abOk, sizeof(abOk), "x", RTSTR_MAX, 3));
    EXPECT_STREQ("dir", abOk);
    // Style 3 is only noticed once both sides have something to join.
    EXPECT_EQ(QINF_SUCCESS, RTPathAppendEx(abOk, sizeof(abOk), "", RTSTR_MAX, 3));
    char abEmpty[16] = "";
    EXPECT_EQ(QINF_SUCCESS, RTPathAppendEx(abEmpty, sizeof(abEmpty), "x", RTSTR_MAX, 3));
    EXPECT_STREQ("x", abEmpty);
}

TEST(PathAppend, LengthLimitKeepsWholeSequences) {
    struct {
        int iLine;
        const char *pszAppend;
        size_t cchMax;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "file.txt", 4, "d\\file"},
        {__LINE__, "file.txt", 0, "d"},
        {__LINE__, "ab\xc3\xa9z", 3, "d\\ab"}, // the limit falls inside U+00E9
        {__LINE__, "ab\xc3\xa9z", 4, "d\\ab\xc3\xa9"},
        {__LINE__, "\xe4\xb8\xad\xe4\xb8\xad", 5, "d\\\xe4\xb8\xad"},
        {__LINE__, "\xf0\x9f\x98\x80", 3, "d"}, // nothing whole is left
        {__LINE__, "\\\\x", 2, "d\\"},          // separators only
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[32] = "d";
        EXPECT_EQ(QINF_SUCCESS, RTPathAppendEx(ab, sizeof(ab), c.pszAppend, c.cchMax, RTPATH_STYLE_HOST));
        EXPECT_STREQ(c.pszExpect, ab);
    }
}

} // namespace
