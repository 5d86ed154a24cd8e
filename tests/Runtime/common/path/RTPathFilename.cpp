// File names: the text after the last separator, per style.
#include <qrt/path.h>

#include <gtest/gtest.h>

namespace {

TEST(PathFilename, AfterTheLastSeparator) {
    struct {
        int iLine;
        const char *pszPath;
        uint32_t fFlags;
        ptrdiff_t offExpect; // -1: null
    } const s_aCases[] = {
        {__LINE__, "C:\\dir\\file.txt", 1, 7},
        {__LINE__, "C:\\dir\\", 1, -1},
        {__LINE__, "C:file", 1, 2},
        {__LINE__, "a/b\\c", 1, 4},
        {__LINE__, "file", 1, 0},
        {__LINE__, "", 1, -1},
        {__LINE__, "C:", 1, -1},
        {__LINE__, "a/b\\c", 0, 4}, // host style is DOS
        {__LINE__, "a/b\\c", 2, 2}, // Unix: only '/'
        {__LINE__, "C:file", 2, 0},
        {__LINE__, "a/b\\c", 3, 2}, // 3 reads as Unix here
        {__LINE__, "a/", 2, -1},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        const char *psz = RTPathFilenameEx(c.pszPath, c.fFlags);
        EXPECT_EQ(c.offExpect < 0 ? nullptr : c.pszPath + c.offExpect, psz);
        if (c.fFlags == 1) {
            EXPECT_EQ(psz, RTPathFilename(c.pszPath));
        }
    }
    EXPECT_EQ(nullptr, RTPathFilename(static_cast<const char *>(nullptr)));
    char ab[] = "dir\\name";
    char *pszName = RTPathFilename(ab);
    EXPECT_EQ(ab + 4, pszName);
}

} // namespace
