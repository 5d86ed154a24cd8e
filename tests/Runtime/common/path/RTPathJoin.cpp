// Joining into a caller buffer and into a new string.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(PathJoin, CopiesThenAppends) {
    struct {
        int iLine;
        const char *pszBase, *pszAppend;
        size_t cb;
        int rc;
        const char *pszExpect;
    } const s_aCases[] = {
        {__LINE__, "C:\\dir", "file", 64, QINF_SUCCESS, "C:\\dir\\file"},
        {__LINE__, "C:", "file", 64, QINF_SUCCESS, "C:file"},
        {__LINE__, "", "file", 64, QINF_SUCCESS, "file"},
        {__LINE__, "C:\\dir", "file", 12, QINF_SUCCESS, "C:\\dir\\file"},
        {__LINE__, "C:\\dir", "file", 11, QERR_BUFFER_OVERFLOW, "C:\\dir"}, // the base stays
        {__LINE__, "C:\\dir", "file", 6, QERR_BUFFER_OVERFLOW, "C:\\di"},   // the base does not fit
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        char ab[64];
        memset(ab, '#', sizeof(ab));
        EXPECT_EQ(c.rc, RTPathJoin(ab, c.cb, c.pszBase, c.pszAppend));
        EXPECT_STREQ(c.pszExpect, ab);
    }
}

TEST(PathJoin, FourKiloByteBuffers) {
    std::string const strBase(4099, 'b');
    std::string strBuf(RTPATH_BUF_SIZE, '#');
    // The base alone fills the buffer: it fits, and the smallest append does not.
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathJoin(&strBuf[0], RTPATH_BUF_SIZE, strBase.c_str(), "x"));
    EXPECT_EQ(strBase, strBuf.c_str());
    EXPECT_EQ(QINF_SUCCESS, RTPathJoin(&strBuf[0], RTPATH_BUF_SIZE, strBase.c_str(), ""));
    // 4097 + separator + 1 = 4099 bytes.
    EXPECT_EQ(QINF_SUCCESS, RTPathJoin(&strBuf[0], RTPATH_BUF_SIZE, strBase.substr(2).c_str(), "y"));
    EXPECT_EQ(strBase.substr(2) + "\\y", strBuf.c_str());
    EXPECT_EQ(QERR_BUFFER_OVERFLOW, RTPathJoin(&strBuf[0], RTPATH_BUF_SIZE, (strBase + "b").c_str(), ""));
}

TEST(PathJoinA, AllocatesTheJoin) {
    char *psz = RTPathJoinA("C:\\dir\\\\", "\\\\file");
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("C:\\dir\\file", psz);
    RTStrFree(psz);

    // The worst case needs the one inserted separator; the allocation always has room.
    std::string strBase(5000, 'b');
    psz = RTPathJoinA(strBase.c_str(), "n");
    ASSERT_NE(nullptr, psz);
    EXPECT_EQ(strBase + "\\n", psz);
    RTStrFree(psz);

    psz = RTPathJoinA("dir", nullptr);
    ASSERT_NE(nullptr, psz);
    EXPECT_STREQ("dir", psz);
    RTStrFree(psz);

    EXPECT_EQ(nullptr, RTPathJoinA(nullptr, "x"));
    RTMemTestFailAfter(1);
    EXPECT_EQ(nullptr, RTPathJoinA("a", "b"));
    RTMemTestFailAfter(0);
}

} // namespace
