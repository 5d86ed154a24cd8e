// The packed stub's extraction directory from the outside: --extract writes every package
// under its own name (into the temporary directory itself, or --path) and leaves them; an
// install run into a new --path creates and removes it, into an existing one keeps it and
// everything the user had there, and never replaces or deletes a user's file.
#include "stub-harness.h"

#include <algorithm>

namespace e2e {
namespace {

class StubExtract : public StubCase {};

TEST_F(StubExtract, ExtractOnly) {
    std::wstring const msi = Package(L"sample.msi");
    std::wstring const other = Package(L"cond.msi", L"other.msi");
    std::wstring const third = Package(L"reboot.msi", L"third.msi");
    std::wstring const cab = Package(L"data1.cab");
    std::wstring const setup = Setup({{"amd64", msi}, {"x86", other}, {"7", third}, {"all", cab}});
    std::string const all = "data1.cab other.msi sample.msi third.msi";
    std::wstring const existing = Join(m_dir, L"existing");
    ASSERT_TRUE(MakeDir(existing));
    ASSERT_TRUE(WriteBytes(Join(existing, L"keep.txt"), "user file\r\n"));
    ASSERT_TRUE(WriteBytes(Join(existing, L"data1.cab"), "stale cabinet\r\n"));
    static const struct {
        int line;
        const wchar_t *args; // "@TEMP@": the run's temporary directory; "@DIR@": the case directory
        const wchar_t *target;
        const char *left; // what the target holds afterwards besides the packages
    } s_rows[] = {
        {__LINE__, L"--silent --extract", L"@TEMP@", ""},
        {__LINE__, L"--silent --extract --path @DIR@\\new", L"@DIR@\\new", ""},
        {__LINE__, L"-sx -p @DIR@\\cluster", L"@DIR@\\cluster", ""},
        // Forward slashes are shown as backslashes.
        {__LINE__, L"--silent --extract --path=@FDIR@/forward", L"@DIR@\\forward", ""},
        // Relative to the current directory at the start (the program's directory here).
        {__LINE__, L"--silent --extract --path relative", L"@DIR@\\relative", ""},
        // --extract overwrites what lies there under a package's name, and keeps the rest.
        {__LINE__, L"--silent --extract --path @DIR@\\existing", L"@DIR@\\existing", "keep.txt"},
        // An empty --path goes back to the default.
        {__LINE__, L"--silent --extract --path @DIR@\\unused --path=", L"@TEMP@", ""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        auto expand = [&](std::wstring text, const std::wstring &temp) {
            std::wstring forward = m_dir;
            std::replace(forward.begin(), forward.end(), L'\\', L'/');
            for (size_t at; (at = text.find(L"@FDIR@")) != std::wstring::npos;) text.replace(at, 6, forward);
            for (size_t at; (at = text.find(L"@DIR@")) != std::wstring::npos;) text.replace(at, 5, m_dir);
            for (size_t at; (at = text.find(L"@TEMP@")) != std::wstring::npos;) text.replace(at, 6, temp);
            return text;
        };
        RunResult const run = Run(setup, expand(row.args, L"<no temp>"));
        std::wstring const target = expand(row.target, run.temp);
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        EXPECT_EQ(NoticeOut("Files were extracted to: " + WideToUtf8(target)), run.out);
        EXPECT_EQ("", run.err);
        EXPECT_TRUE(run.msi.empty()) << "--extract installs nothing";
        std::string expected = all;
        if (*row.left) expected = Joined({"data1.cab", row.left, "other.msi", "sample.msi", "third.msi"});
        EXPECT_EQ(expected, Joined(ListDir(target)));
        for (const auto &file : {msi, other, third, cab})
            EXPECT_EQ(ReadBytes(file), ReadBytes(Join(target, FileNameOf(file)))) << WideToUtf8(file);
        if (*row.left) {
            EXPECT_EQ("user file\r\n", ReadBytes(Join(target, L"keep.txt")));
        }
        if (target != run.temp) {
            EXPECT_TRUE(run.left.empty()) << Joined(run.left);
        }
        EXPECT_FALSE(IsDir(Join(m_dir, L"unused")));
    }
}

TEST_F(StubExtract, InstallIntoPath) {
    std::wstring const msi = Package(L"sample.msi");
    std::wstring const cab = Package(L"data1.cab");
    std::wstring const setup = Setup({{"amd64", msi}, {"all", cab}});
    std::wstring const fresh = Join(m_dir, L"fresh");
    std::wstring const existing = Join(m_dir, L"existing");
    ASSERT_TRUE(MakeDir(existing));
    ASSERT_TRUE(WriteBytes(Join(existing, L"keep.txt"), "user file\r\n"));

    // A new directory is created for the run and removed after it.
    RunResult const created = Run(setup, L"--silent --path " + QuoteArgument(fresh));
    EXPECT_EQ(0u, created.exitCode) << created.summary();
    std::vector<RecordedCall> installs = Installs(created);
    ASSERT_EQ(1u, installs.size());
    EXPECT_EQ(WideToUtf8(fresh), installs[0].get("directory"));
    EXPECT_EQ(WideToUtf8(fresh), installs[0].get("cwd"));
    EXPECT_FALSE(IsDir(fresh));
    EXPECT_TRUE(created.left.empty()) << Joined(created.left);

    // An existing directory is used and kept, with the user's file and nothing of the run.
    RunResult const kept = Run(setup, L"--silent --path " + QuoteArgument(existing));
    EXPECT_EQ(0u, kept.exitCode) << kept.summary();
    installs = Installs(kept);
    ASSERT_EQ(1u, installs.size());
    EXPECT_EQ(WideToUtf8(existing), installs[0].get("directory"));
    EXPECT_EQ("keep.txt", Joined(ListDir(existing)));
    EXPECT_EQ("user file\r\n", ReadBytes(Join(existing, L"keep.txt")));

    // A user's file under a package's name is neither replaced nor deleted: the run fails.
    ASSERT_TRUE(WriteBytes(Join(existing, L"data1.cab"), "the user's own data1.cab\r\n"));
    RunResult const clash = Run(setup, L"--silent --path " + QuoteArgument(existing));
    EXPECT_EQ(1u, clash.exitCode) << clash.summary();
    std::string const target = WideToUtf8(Join(existing, L"data1.cab"));
    EXPECT_EQ(DetailOut("#1: Failed to create/replace '" + target + "' for writing: QERR_ALREADY_EXISTS") +
                  ErrorOut("Error extracting package #1 (data1.cab): QERR_ALREADY_EXISTS"),
              clash.err);
    EXPECT_TRUE(Installs(clash).empty());
    EXPECT_EQ("data1.cab keep.txt", Joined(ListDir(existing)));
    EXPECT_EQ("the user's own data1.cab\r\n", ReadBytes(Join(existing, L"data1.cab")));

    // A file where the directory should be stays untouched.
    std::wstring const file = Join(m_dir, L"plainfile");
    ASSERT_TRUE(WriteBytes(file, "a file\r\n"));
    RunResult const notDir = Run(setup, L"--silent --path " + QuoteArgument(file));
    EXPECT_EQ(1u, notDir.exitCode) << notDir.summary();
    std::string const prefix = ErrorOut("Failed to create extraction path '" + WideToUtf8(file) + "': ");
    EXPECT_EQ(prefix.substr(0, prefix.size() - 2), notDir.err.substr(0, prefix.size() - 2)) << notDir.err;
    EXPECT_EQ("a file\r\n", ReadBytes(file));
    EXPECT_TRUE(Installs(notDir).empty());
}

} // namespace
} // namespace e2e
