// The packed stub installs the sample packages through Wine's own msi: silently, leaving
// nothing in the temporary directory; a failing launch condition gives exit code 1 with the
// Windows Installer's text for 1603; a property given on the command line satisfies it; an
// external cabinet packed as "all" is found beside its package; a reboot request gives 3010
// (0 with --ignore-reboot) and the "info:" line naming the package.
#include "stub-harness.h"

#include <regex>

namespace e2e {
namespace {

class StubInstall : public StubCase {};

std::wstring Installed(const std::wstring &product, const std::wstring &file) {
    return Join(Join(GetEnv(L"ProgramFiles"), product), file);
}

std::string Source(const std::wstring &name) {
    return ReadBytes(Join(Join(Paths().source, L"msi"), name));
}

TEST_F(StubInstall, RealPackages) {
    std::wstring const sample = Setup({{"amd64", Package(L"sample.msi")}}, L"sample\\setup.exe");
    std::wstring const upper = Setup({{"amd64", Package(L"sample.msi", L"SAMPLE.MSI")}}, L"upper\\setup.exe");
    std::wstring const cond = Setup({{"amd64", Package(L"cond.msi")}}, L"cond\\setup.exe");
    std::wstring const extcab =
        Setup({{"amd64", Package(L"extcab.msi")}, {"all", Package(L"data1.cab")}}, L"extcab\\setup.exe");
    // A cabinet packed for one architecture gets a random name: its package cannot find it.
    std::wstring const lostcab =
        Setup({{"amd64", Package(L"extcab.msi")}, {"amd64", Package(L"data1.cab")}}, L"lostcab\\setup.exe");
    std::string const failed = ErrorOut("Installation failed! Error: " + SystemMessage(1603));
    ASSERT_FALSE(SystemMessage(1603).empty()) << "the prefix has no text for 1603";
    // In order: each row may rely on what the rows before it installed or removed.
    static const struct {
        int line;
        const std::wstring *setup;
        const wchar_t *args;
        uint32_t code;
        bool fFailed;                  // standard error has the 1603 message
        const wchar_t *product, *file; // afterwards installed (fInstalled) or not
        bool fInstalled;
    } s_rows[] = {
        {__LINE__, &sample, L"--silent", 0, false, L"Quillarium Sample", L"sample.txt", true},
        {__LINE__, &sample, L"--silent --msiparams REMOVE=ALL", 0, false, L"Quillarium Sample", L"sample.txt", false},
        {__LINE__, &upper, L"--silent", 0, false, L"Quillarium Sample", L"sample.txt", true},
        {__LINE__, &cond, L"--silent", 1, true, L"Quillarium Condition", L"cond.txt", false},
        {__LINE__, &cond, L"--silent --msiparams QUILOK=0", 1, true, L"Quillarium Condition", L"cond.txt", false},
        {__LINE__, &cond, L"--silent --msi-prop QUILOK 1", 0, false, L"Quillarium Condition", L"cond.txt", true},
        {__LINE__, &lostcab, L"--silent", 1, true, L"Quillarium Cabinet", L"cabfile.txt", false},
        {__LINE__, &extcab, L"--silent", 0, false, L"Quillarium Cabinet", L"cabfile.txt", true},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiDouble = false;
        RunResult const run = Run(*row.setup, row.args, options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        EXPECT_EQ("", run.out);
        EXPECT_EQ(row.fFailed ? failed : std::string(), run.err);
        EXPECT_TRUE(run.left.empty()) << "left in the temporary directory: " << Joined(run.left);
        std::wstring const installed = Installed(row.product, row.file);
        EXPECT_EQ(row.fInstalled, IsFile(installed)) << WideToUtf8(installed);
        if (row.fInstalled) {
            EXPECT_EQ(Source(row.file), ReadBytes(installed));
        }
    }
}

TEST_F(StubInstall, RebootRequired) {
    std::wstring const setup = Setup({{"amd64", Package(L"reboot.msi")}});
    std::wstring const installed = Installed(L"Quillarium Reboot", L"reboot.txt");
    static const struct {
        int line;
        const wchar_t *args;
        uint32_t code;
    } s_rows[] = {
        {__LINE__, L"--silent --ignore-reboot", 0},
        {__LINE__, L"--silent", 3010},
        {__LINE__, L"--ignore-reboot --silent", 0},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        // Each row installs the product afresh: a package of an installed product asks for nothing.
        RunOptions probe;
        probe.argv0 = L"e2e-probe.exe";
        probe.msiDouble = false;
        RunProgram(m_dir, Asset(L"e2e-probe.exe"), L"msi " + QuoteArgument(Asset(L"reboot.msi")) + L" REMOVE=ALL",
                   probe);
        ASSERT_FALSE(IsFile(installed));

        RunOptions options;
        options.msiDouble = false;
        RunResult const run = Run(setup, row.args, options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        EXPECT_TRUE(IsFile(installed));
        // The info line names the package: TEMP\<random directory>\<random name>.msi.
        std::string const temp = WideToUtf8(run.temp);
        std::smatch match;
        ASSERT_TRUE(
            std::regex_match(run.out, match, std::regex("setup\\.exe: info: Reboot required \\(by (.*)\\)\r\n")))
            << run.summary();
        std::string const package = match[1];
        ASSERT_GT(package.size(), temp.size() + 2);
        EXPECT_EQ(temp + "\\", package.substr(0, temp.size() + 1));
        std::string const rest = package.substr(temp.size() + 1);
        EXPECT_TRUE(rest.size() == 24 + 1 + 28 && IsRandomName(rest.substr(0, 24), "") && rest[24] == '\\' &&
                    IsRandomName(rest.substr(25), ".msi"))
            << rest;
        EXPECT_EQ("", run.err);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

} // namespace
} // namespace e2e
