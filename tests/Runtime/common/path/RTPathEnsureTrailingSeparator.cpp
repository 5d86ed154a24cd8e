// Trailing separators, within the stated size.
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(PathEnsureTrailingSeparator, AddsOneWhenMissing) {
    struct {
        int iLine;
        const char *pszPath;
        size_t cb;
        size_t cchRet;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "C:", 8, 2, "C:"}, // the colon counts
        {__LINE__, "C:\\dir", 8, 7, "C:\\dir\\"},
        {__LINE__, "C:\\dir", 7, 0, "C:\\dir"}, // needs length + 2
        {__LINE__, "dir/", 5, 4, "dir/"},
        {__LINE__, "dir\\", 5, 4, "dir\\"},
        {__LINE__, "", 3, 2, ".\\"},
        {__LINE__, "", 2, 0, ""},
        {__LINE__, "abcd", 4, 0, "abcd"}, // no terminator within the size
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[16];
        memset(ab, '#', sizeof(ab));
        strcpy(ab, c.pszPath);
        EXPECT_EQ(c.cchRet, RTPathEnsureTrailingSeparator(ab, c.cb));
        EXPECT_STREQ(c.pszExpect, ab);
    }
}

} // namespace
