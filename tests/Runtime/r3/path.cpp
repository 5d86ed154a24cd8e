// Renaming and setting the current directory: the contract both backends keep.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/system.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class PathR3 : public testing::Test {
protected:
    void SetUp() override {
        m_Dir = fs::temp_directory_path() / ("qrt-path-" + std::to_string(RTProcSelf()));
        fs::remove_all(m_Dir);
        ASSERT_TRUE(fs::create_directories(m_Dir / "sub"));
        std::ofstream(m_Dir / "a.txt") << "A";
        std::ofstream(m_Dir / "b.txt") << "B";
        m_OrgCwd = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(m_OrgCwd);
        std::error_code ec;
        fs::remove_all(m_Dir, ec);
    }
    std::string P(const char *pszName) const { return (m_Dir / pszName).string(); }
    static std::string Read(const std::string &str) {
        std::ifstream In(str);
        return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
    }
    fs::path m_Dir, m_OrgCwd;
};

TEST_F(PathR3, RenameRules) {
    struct {
        int iLine;
        const char *pszSrc, *pszDst;
        uint32_t fRename, fType;
        int rc;
    } const s_aCases[] = {
        {__LINE__, "a.txt", "b.txt", 0, RTPATH_RENAME_TYPE_FILE, QERR_ALREADY_EXISTS}, // never replaced unasked
        {__LINE__, "sub", "x", 0, RTPATH_RENAME_TYPE_FILE, QERR_IS_A_DIRECTORY},
        {__LINE__, "a.txt", "x", 0, RTPATH_RENAME_TYPE_DIRECTORY, QERR_NOT_A_DIRECTORY},
        {__LINE__, "missing", "x", 0, RTPATH_RENAME_TYPE_FILE, QERR_FILE_NOT_FOUND},
        {__LINE__, "a.txt", "c.txt", 0, RTPATH_RENAME_TYPE_FILE, QINF_SUCCESS},
        {__LINE__, "c.txt", "b.txt", RTPATH_RENAME_REPLACE, RTPATH_RENAME_TYPE_FILE, QINF_SUCCESS},
        {__LINE__, "sub", "sub2", 0, RTPATH_RENAME_TYPE_DIRECTORY, QINF_SUCCESS},
        {__LINE__, "sub2", "sub3", 0, RTPATH_RENAME_TYPE_ANY, QINF_SUCCESS},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.rc, RTPathRename(P(c.pszSrc).c_str(), P(c.pszDst).c_str(), c.fRename, c.fType));
    }
    EXPECT_EQ("A", Read(P("b.txt"))); // replaced by the old a.txt
    EXPECT_FALSE(fs::exists(P("a.txt")));
    EXPECT_FALSE(fs::exists(P("c.txt")));
    EXPECT_TRUE(fs::is_directory(P("sub3")));
    EXPECT_EQ(QERR_INVALID_POINTER, RTPathRename(nullptr, "x", 0, 0));
}

TEST_F(PathR3, SetCurrentDropsOneTrailingSeparator) {
    std::string const strSub = P("sub");
    EXPECT_EQ(QINF_SUCCESS, RTPathSetCurrent((strSub + "\\").c_str()));
    EXPECT_EQ(fs::path(strSub), fs::current_path());
    EXPECT_EQ(QINF_SUCCESS, RTPathSetCurrent(m_Dir.string().c_str()));
    EXPECT_EQ(QINF_SUCCESS, RTPathSetCurrent("sub/"));
    EXPECT_EQ(fs::path(strSub), fs::current_path());

    EXPECT_EQ(QERR_INVALID_PARAMETER, RTPathSetCurrent(""));
    EXPECT_EQ(QERR_INVALID_POINTER, RTPathSetCurrent(nullptr));
    EXPECT_NE(QINF_SUCCESS, RTPathSetCurrent(P("missing").c_str()));
    EXPECT_NE(QINF_SUCCESS, RTPathSetCurrent(P("a.txt").c_str()));
    EXPECT_EQ(fs::path(strSub), fs::current_path()); // failures change nothing
}

} // namespace
