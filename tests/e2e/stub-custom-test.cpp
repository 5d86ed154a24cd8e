// The packed stub's ".custom" copy under Wine: without one, or with a file of that name,
// nothing is copied; a tree with subdirectories and hidden and read-only files is in the
// extraction directory when the package is installed and gone afterwards, without the
// cleanup's nine-second wait; a ".custom" file planted in an existing "--path" directory makes
// the copy fail before anything is installed, and stays.
#include "stub-harness.h"

#include <windows.h>

namespace e2e {
namespace {

class StubCustomDir : public StubCase {
protected:
    void SetUp() override {
        StubCase::SetUp();
        if (IsSkipped()) return;
        m_setup = Setup({{"amd64", Package(L"sample.msi")}});
        m_custom = Join(m_dir, L".custom");
    }
    // The source tree: a file, a subdirectory with a hidden file and a read-only one, and an
    // empty subdirectory.
    void MakeTree() {
        ASSERT_TRUE(MakeDir(m_custom));
        ASSERT_TRUE(WriteBytes(Join(m_custom, L"site.ini"), "[site]\r\n"));
        ASSERT_TRUE(MakeDir(Join(m_custom, L"sub")));
        ASSERT_TRUE(MakeDir(Join(m_custom, L"sub\\empty")));
        ASSERT_TRUE(WriteBytes(Join(m_custom, L"sub\\hidden.txt"), "h"));
        ASSERT_TRUE(SetFileAttributesW(Join(m_custom, L"sub\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(WriteBytes(Join(m_custom, L"sub\\readonly.txt"), "r"));
        ASSERT_TRUE(SetFileAttributesW(Join(m_custom, L"sub\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    }
    // Whether the installation saw a ".custom" directory beside its package.
    static bool SawCustom(const RunResult &run) {
        std::vector<RecordedCall> const installs = Installs(run);
        if (installs.size() != 1) return false;
        for (const auto &entry : installs[0].all("entry"))
            if (entry == ".custom dir") return true;
        return false;
    }
    std::wstring m_setup, m_custom;
};

TEST_F(StubCustomDir, NothingToCopy) {
    const struct {
        int line;
        bool fFile;
    } s_rows[] = {{__LINE__, false}, {__LINE__, true}};
    for (const auto &row : s_rows) {
        SCOPED_TRACE(row.line);
        if (row.fFile) {
            ASSERT_TRUE(WriteBytes(m_custom, "not a directory"));
        }
        RunResult const run = Run(m_setup, L"--silent");
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        EXPECT_EQ(1u, Installs(run).size()) << run.summary();
        EXPECT_FALSE(SawCustom(run));
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
        EXPECT_EQ(row.fFile, IsFile(m_custom));
    }
}

TEST_F(StubCustomDir, TreeCopiedBeforeInstallingAndRemoved) {
    MakeTree();
    std::wstring const listing = Join(m_dir, L"listing.txt");
    RunOptions options;
    // At installation time: the copy's whole tree, hidden files included.
    options.msiSpawn = L"cmd.exe /c dir /s /b /a {package}\\..\\.custom > " + listing + L" & echo listed";
    RunResult const run = Run(m_setup, L"--silent", options);
    EXPECT_EQ(0u, run.exitCode) << run.summary();
    ASSERT_EQ(1u, Installs(run).size()) << run.summary();
    EXPECT_EQ("listed", Installs(run)[0].get("spawn"));
    EXPECT_TRUE(SawCustom(run));
    std::vector<std::string> names;
    std::string const text = ReadBytes(listing);
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t const rel = line.find(".custom\\");
        if (rel != std::string::npos) names.push_back(line.substr(rel + 8));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ("site.ini sub sub\\empty sub\\hidden.txt sub\\readonly.txt", Joined(names)) << text;
    // Nothing left, and no wait for a directory that could never empty.
    EXPECT_EQ("", run.err);
    EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    EXPECT_LT(run.launch.seconds, 8.0);
    // The source is untouched.
    EXPECT_EQ("[site]\r\n", ReadBytes(Join(m_custom, L"site.ini")));
    EXPECT_TRUE(IsFile(Join(m_custom, L"sub\\readonly.txt")));
}

TEST_F(StubCustomDir, PlantedFileInExistingPath) {
    MakeTree();
    std::wstring const target = Join(m_dir, L"target");
    ASSERT_TRUE(MakeDir(target));
    ASSERT_TRUE(WriteBytes(Join(target, L".custom"), "mine"));
    RunResult const run = Run(m_setup, L"--silent --path " + QuoteArgument(target));
    EXPECT_EQ(1u, run.exitCode) << run.summary();
    EXPECT_EQ(ErrorOut("Unable to open the destination .custom directory: QERR_NOT_A_DIRECTORY"), run.err);
    EXPECT_TRUE(Installs(run).empty()) << run.summary();
    // The cleanup ran: the package is gone, the user's file stays as it was.
    EXPECT_EQ(".custom", Joined(ListDir(target)));
    EXPECT_EQ("mine", ReadBytes(Join(target, L".custom")));
}

} // namespace
} // namespace e2e
