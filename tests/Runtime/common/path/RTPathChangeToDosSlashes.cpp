// Separator conversion in place.
#include <qrt/path.h>

#include <gtest/gtest.h>

namespace {

TEST(PathChangeToDosSlashes, EverySlash) {
    char ab[] = "//srv/share\\a/b/";
    EXPECT_EQ(ab, RTPathChangeToDosSlashes(ab, false));
    EXPECT_STREQ("\\\\srv\\share\\a\\b\\", ab);
    char ab2[] = "a/\xc3\xa9/b";
    RTPathChangeToDosSlashes(ab2, true);
    EXPECT_STREQ("a\\\xc3\xa9\\b", ab2);
}

} // namespace
