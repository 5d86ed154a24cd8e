// Suffixes: where this rule differs from the parser's (a dot right after a separator counts).
#include <qrt/path.h>

#include <gtest/gtest.h>

namespace {

TEST(PathSuffix, LastDotOfTheName) {
    struct {
        int iLine;
        const char *pszPath;
        ptrdiff_t offExpect; // -1: null
    } const s_aCases[] = {
        {__LINE__, ".custom", -1},   {__LINE__, "dir\\.custom", 4}, {__LINE__, "file.", -1}, {__LINE__, "a.b\\c", -1},
        {__LINE__, "C:x.y", 3},      {__LINE__, "C:.y", 2},         {__LINE__, "a.b.", -1},  {__LINE__, "a.b.c", 3},
        {__LINE__, "pkg.tar.gz", 7}, {__LINE__, "dir.d/file", -1},  {__LINE__, "", -1},      {__LINE__, "x.msi", 1},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.offExpect < 0 ? nullptr : c.pszPath + c.offExpect, RTPathSuffix(c.pszPath));
    }
    EXPECT_EQ(nullptr, RTPathSuffix(static_cast<const char *>(nullptr)));
}

} // namespace
