// The packed stub's cleanup and the Windows Installer log from the outside: a package file
// that another program holds open is retried for about nine seconds and then reported once,
// without changing the exit code; the log goes where it is asked to, replaces an old one,
// and with the default place inside the extraction directory it stays there with it.
#include "stub-harness.h"

namespace e2e {
namespace {

class StubCleanup : public StubCase {};

TEST_F(StubCleanup, PackageHeldByAnotherProgram) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    RunOptions options;
    // The helper opens the package while it is being installed and holds it past the cleanup.
    options.msiSpawn = QuoteArgument(Asset(L"e2e-hold.exe")) + L" file {package} 14";
    options.msiResults = "3010";
    RunResult const run = Run(setup, L"--silent", options);
    std::vector<RecordedCall> const installs = Installs(run);
    ASSERT_EQ(1u, installs.size()) << run.summary();
    EXPECT_EQ("holding", installs[0].get("spawn"));
    std::string const package = installs[0].get("package");
    // The exit code is the installer's; the cleanup's failure is one message at the end.
    EXPECT_EQ(3010u, run.exitCode) << run.summary();
    EXPECT_EQ(InfoOut("Reboot required (by " + package + ")"), run.out);
    EXPECT_EQ(ErrorOut("Failed to delete temporary file '" + package + "': QERR_SHARING_VIOLATION"), run.err);
    // 100 ms, then three times 3 s between the five attempts.
    EXPECT_GE(run.launch.seconds, 9.0);
    EXPECT_LT(run.launch.seconds, 13.5) << "the helper let go at 14 s: the stub must not wait for it";
    // What could not be deleted stays, in its directory.
    std::string const dir = installs[0].get("directory");
    EXPECT_EQ(Joined({dir.substr(run.temp.size() + 1) + "\\"}), Joined(run.left));
    EXPECT_TRUE(IsFile(Utf8ToWide(package)));
}

TEST_F(StubCleanup, InstallerLog) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::wstring const log = Join(m_dir, L"install.log");
    ASSERT_TRUE(WriteBytes(log, "OLD LOG CONTENT\r\n"));
    RunOptions real;
    real.msiDouble = false;

    // The log goes where --msi-log-file says and replaces what was there.
    RunResult const run = Run(setup, L"--silent --msi-log-file " + QuoteArgument(log), real);
    EXPECT_EQ(0u, run.exitCode) << run.summary();
    std::string const text = ReadBytes(log);
    EXPECT_GT(text.size(), 100u);
    EXPECT_EQ(std::string::npos, text.find("OLD LOG CONTENT"));
    EXPECT_TRUE(run.left.empty()) << Joined(run.left);

    // By default it lies in the extraction directory, which then stays, without a word and
    // without the cleanup's nine-second wait for a directory that nothing would empty.
    RunResult const dflt = Run(setup, L"--silent --logging", real);
    EXPECT_EQ(0u, dflt.exitCode) << dflt.summary();
    EXPECT_EQ("", dflt.err);
    ASSERT_EQ(1u, dflt.left.size()) << Joined(dflt.left);
    std::string const dir = dflt.left[0].substr(0, dflt.left[0].size() - 1);
    EXPECT_TRUE(IsRandomName(dir, "")) << dir;
    std::wstring const dirPath = Join(dflt.temp, Utf8ToWide(dir));
    EXPECT_EQ("QuilInstallLog.txt", Joined(ListDir(dirPath)));
    EXPECT_GT(ReadBytes(Join(dirPath, L"QuilInstallLog.txt")).size(), 100u);
    EXPECT_LT(dflt.launch.seconds, 8.0);
}

TEST_F(StubCleanup, InstallerLogSettings) {
    std::wstring const first = Package(L"sample.msi", L"first.msi");
    std::wstring const second = Package(L"cond.msi", L"second.msi");
    std::wstring const one = Setup({{"amd64", first}}, L"one\\setup.exe");
    std::wstring const two = Setup({{"amd64", first}, {"amd64", second}}, L"two\\setup.exe");
    static const struct {
        int line;
        const std::wstring *setup;
        const wchar_t *args;
        const char *path;       // "@DIR@": the extraction directory, "@CASE@": the program's directory
        const char *attributes; // one per package, "" for no log
    } s_rows[] = {
        {__LINE__, &one, L"--silent --logging", "@DIR@\\QuilInstallLog.txt", "2"},
        {__LINE__, &one, L"--silent -logging", "@DIR@\\QuilInstallLog.txt", "2"},
        {__LINE__, &one, L"--silent /logging", "@DIR@\\QuilInstallLog.txt", "2"},
        {__LINE__, &one, L"--silent --msi-log-file relative.log", "@CASE@\\relative.log", "2"},
        {__LINE__, &one, L"--silent -msilogfile other.log", "@CASE@\\other.log", "2"},
        // An empty file name turns logging off again; --logging then uses the default place.
        {__LINE__, &one, L"--silent --msi-log-file=x.log --msi-log-file=", "", ""},
        {__LINE__, &one, L"--silent --msi-log-file=x.log --msi-log-file= --logging", "@DIR@\\QuilInstallLog.txt", "2"},
        // The first package replaces an old log, the later ones of the run add to it.
        {__LINE__, &two, L"--silent --msi-log-file run.log", "@CASE@\\run.log", "2 3"},
        {__LINE__, &two, L"--silent", "", ""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const run = Run(*row.setup, row.args);
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        std::vector<RecordedCall> const logs = CallsNamed(run, "MsiEnableLogW");
        std::vector<RecordedCall> const installs = Installs(run);
        ASSERT_FALSE(installs.empty()) << run.summary();
        std::string path = row.path;
        if (path.compare(0, 5, "@DIR@") == 0) path.replace(0, 5, installs[0].get("directory"));
        if (path.compare(0, 6, "@CASE@") == 0) path.replace(0, 6, WideToUtf8(ParentOf(*row.setup)));
        std::string attributes;
        for (const auto &call : logs) {
            EXPECT_EQ("0x1000", call.get("mode"));
            EXPECT_EQ(path, call.get("path"));
            attributes += (attributes.empty() ? "" : " ") + call.get("attributes");
        }
        EXPECT_EQ(row.attributes, attributes);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

} // namespace
} // namespace e2e
