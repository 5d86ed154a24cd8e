// Directory length, name and suffix offsets.
#include <qrt/path.h>

#include <gtest/gtest.h>

namespace {

TEST(PathParseOffsets, RootsNamesAndSuffixes) {
    struct {
        int iLine;
        const char *pszPath;
        size_t cch, cchDir;
        ptrdiff_t offName, offSuffix;
    } const s_aCases[] = {
        {__LINE__, "file", 4, 0, 0, -1}, // no directory: 0, never a wrapped -1
        {__LINE__, "file.txt", 8, 0, 0, 4},
        {__LINE__, "C:", 2, 2, -1, -1},
        {__LINE__, "C:\\", 3, 3, -1, -1},
        {__LINE__, "C:\\file", 7, 3, 3, -1},
        {__LINE__, "C:file", 6, 2, 2, -1},
        {__LINE__, "C:\\dir\\app.exe", 14, 6, 7, 10},
        {__LINE__, "dir\\\\\\file", 10, 3, 6, -1},
        {__LINE__, "dir\\", 4, 3, -1, -1},
        {__LINE__, "\\\\", 2, 2, -1, -1},
        {__LINE__, "/", 1, 1, -1, -1},
        {__LINE__, "//", 2, 2, -1, -1},
        {__LINE__, "\\file", 5, 1, 1, -1},
        {__LINE__, "\\\\server\\share\\file.exe", 23, 14, 15, 19},
        {__LINE__, "\\\\server\\file", 13, 9, 9, -1},
        {__LINE__, "\\\\server", 8, 8, -1, -1},
        {__LINE__, ".profile", 8, 0, 0, -1}, // the dot starts the name
        {__LINE__, "dir\\.custom", 11, 3, 4, -1},
        {__LINE__, "file.", 5, 0, 0, -1}, // the dot ends the path
        {__LINE__, "a.b\\c", 5, 3, 4, -1},
        {__LINE__, "", 0, 0, -1, -1},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        size_t cchDir = 77;
        ptrdiff_t offName = 77, offSuffix = 77;
        EXPECT_EQ(c.cch, RTPathParseOffsets(c.pszPath, &cchDir, &offName, &offSuffix));
        EXPECT_EQ(c.cchDir, cchDir);
        EXPECT_EQ(c.offName, offName);
        EXPECT_EQ(c.offSuffix, offSuffix);
        EXPECT_EQ(c.cch, RTPathParseOffsets(c.pszPath, nullptr, nullptr, nullptr));
    }
}

} // namespace
