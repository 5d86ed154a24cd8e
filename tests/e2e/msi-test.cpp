// The sample packages install through Wine's own msi as the stub will hand them over (the
// probe calls msi.dll from the system directory): the file lands under Program Files, the
// launch condition gives 1603 without its property, the reboot package 3010, the external
// cabinet is read from beside the package, and a log is written and replaced.
#include "e2e-harness.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace e2e {
namespace {

RunResult InstallWithProbe(const std::wstring &dir, const std::wstring &package, const std::wstring &command,
                           const std::wstring &log = L"") {
    RunOptions options;
    options.argv0 = L"e2e-probe.exe";
    options.msiDouble = false;
    std::wstring args = L"msi " + QuoteArgument(package) + L" " + QuoteArgument(command);
    if (!log.empty()) args += L" --log " + QuoteArgument(log);
    return RunProgram(dir, Asset(L"e2e-probe.exe"), args, options);
}

std::wstring Installed(const std::wstring &product, const std::wstring &file) {
    return Join(Join(GetEnv(L"ProgramFiles"), product), file);
}

std::string Source(const std::wstring &name) {
    return ReadBytes(Join(Join(Paths().source, L"msi"), name));
}

TEST(E2eMsi, SamplePackages) {
    std::wstring const dir = TestDir();
    for (const wchar_t *pwszFile : {L"sample.msi", L"cond.msi", L"reboot.msi", L"extcab.msi", L"data1.cab"})
        ASSERT_TRUE(CopyTo(Asset(pwszFile), Join(dir, pwszFile)));
    ASSERT_TRUE(MakeDir(Join(dir, L"alone")));
    ASSERT_TRUE(CopyTo(Asset(L"extcab.msi"), Join(dir, L"alone\\extcab.msi")));
    // In order: each row may rely on what the rows before it installed.
    static const struct {
        int line;
        const wchar_t *package, *command;
        const char *out;
        const wchar_t *product, *file; // what is installed afterwards (or, after a removal, not)
        bool fInstalled;
    } s_rows[] = {
        {__LINE__, L"sample.msi", L"", "ui 1\r\ninstall 0\r\n", L"Quillarium Sample", L"sample.txt", true},
        {__LINE__, L"sample.msi", L"REMOVE=ALL", "ui 1\r\ninstall 0\r\n", L"Quillarium Sample", L"sample.txt", false},
        {__LINE__, L"cond.msi", L"", "ui 1\r\ninstall 1603\r\n", L"Quillarium Condition", L"cond.txt", false},
        {__LINE__, L"cond.msi", L"QUILOK=1", "ui 1\r\ninstall 0\r\n", L"Quillarium Condition", L"cond.txt", true},
        {__LINE__, L"reboot.msi", L"", "ui 1\r\ninstall 3010\r\n", L"Quillarium Reboot", L"reboot.txt", true},
        // The external cabinet is read from beside the package.
        {__LINE__, L"alone\\extcab.msi", L"", "ui 1\r\ninstall 1603\r\n", L"Quillarium Cabinet", L"cabfile.txt", false},
        {__LINE__, L"extcab.msi", L"", "ui 1\r\ninstall 0\r\n", L"Quillarium Cabinet", L"cabfile.txt", true},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const run = InstallWithProbe(dir, Join(dir, row.package), row.command);
        EXPECT_EQ(row.out, run.out) << run.summary();
        std::wstring const installed = Installed(row.product, row.file);
        EXPECT_EQ(row.fInstalled, IsFile(installed)) << WideToUtf8(installed);
        if (row.fInstalled) {
            EXPECT_EQ(Source(row.file), ReadBytes(installed));
        }
        EXPECT_TRUE(run.msi.empty()); // Wine's msi, not the double
    }
}

TEST(E2eMsi, LogIsWrittenAndReplaced) {
    std::wstring const dir = TestDir();
    ASSERT_TRUE(CopyTo(Asset(L"sample.msi"), Join(dir, L"sample.msi")));
    std::wstring const log = Join(dir, L"install.log");
    ASSERT_TRUE(WriteBytes(log, "OLD LOG CONTENT\r\n"));
    RunResult const run = InstallWithProbe(dir, Join(dir, L"sample.msi"), L"", log);
    EXPECT_EQ("ui 1\r\nlog 0\r\ninstall 0\r\n", run.out);
    std::string const text = ReadBytes(log);
    EXPECT_GT(text.size(), 100u);
    EXPECT_EQ(std::string::npos, text.find("OLD LOG CONTENT"));
}

} // namespace
} // namespace e2e
