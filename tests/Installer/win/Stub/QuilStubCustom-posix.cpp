// The ".custom" copy's removal on a real file system with symbolic links: a link inside the
// copy, or in place of it, is removed itself and what it points to stays.
#include "QuilStubCustom.h"

#include <qrt/err.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include "Runtime/r3/fs-test-util.h"

namespace {

TEST(StubCustomPosix, LinksAreRemovedNotFollowed) {
    const struct {
        int iLine;
        bool fRootIsLink; // the copy's path is itself a link to the outside directory
    } aCases[] = {{__LINE__, false}, {__LINE__, true}};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Scratch;
        std::string const Outside = Scratch / "outside", Copy = Scratch / "copy";
        ASSERT_TRUE(tstMakeDir(Outside));
        ASSERT_TRUE(tstFileWriteAll(Outside + "/keep.txt", "keep"));
        if (c.fRootIsLink)
            ASSERT_EQ(0, symlink(Outside.c_str(), Copy.c_str()));
        else {
            ASSERT_TRUE(tstMakeDir(Copy));
            ASSERT_TRUE(tstMakeDir(Copy + "/sub"));
            ASSERT_TRUE(tstFileWriteAll(Copy + "/sub/.hidden", "h"));
            ASSERT_EQ(0, symlink(Outside.c_str(), (Copy + "/sub/dirlink").c_str()));
            ASSERT_EQ(0, symlink((Outside + "/keep.txt").c_str(), (Copy + "/filelink").c_str()));
            ASSERT_EQ(0, symlink("/nonexistent/target", (Copy + "/dangling").c_str()));
        }
        EXPECT_EQ(QINF_SUCCESS, RemoveCustomCopy(Copy.c_str()));
        EXPECT_FALSE(tstPathExists(Copy));
        EXPECT_EQ(-1, access(Copy.c_str(), F_OK)); // not even a dangling link
        std::string Kept;
        EXPECT_TRUE(tstFileReadAll(Outside + "/keep.txt", &Kept));
        EXPECT_EQ("keep", Kept);
    }
}

} // namespace
