// A second stub while another one runs (the helper holds the stub's named mutex): it says so
// and exits 1 before it creates anything; help and version still work; once the other one is
// gone, the same run goes through.
#include "stub-harness.h"

namespace e2e {
namespace {

class StubInstance : public StubCase {};

TEST_F(StubInstance, SecondInstanceRefused) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::wstring const path = Join(m_dir, L"not-created");
    {
        PipedChild holder;
        ASSERT_EQ(0u, holder.start(Asset(L"e2e-hold.exe"), L"e2e-hold.exe mutex QuilStubInstaller"));
        ASSERT_EQ("holding", holder.readLine(20000));
        static const struct {
            int line;
            const wchar_t *args;
            uint32_t code;
            const char *out, *err;
        } s_rows[] = {
            {__LINE__, L"--silent", 1, "", "Another installer is already running"},
            {__LINE__, L"--silent --extract", 1, "", "Another installer is already running"},
            {__LINE__, L"--silent --path @PATH@", 1, "", "Another installer is already running"},
            // Help and version come before the mutex.
            {__LINE__, L"--silent --version", 0, "@VERSION@", ""},
        };
        for (const auto &row : s_rows) {
            SCOPED_TRACE(testing::Message() << "row at line " << row.line);
            std::wstring args = row.args;
            size_t const at = args.find(L"@PATH@");
            if (at != std::wstring::npos) args.replace(at, 6, QuoteArgument(path));
            RunResult const run = Run(setup, args);
            EXPECT_EQ(row.code, run.exitCode) << run.summary();
            EXPECT_EQ(std::string(row.out) == "@VERSION@" ? NoticeOut("Version: " + VersionText()) : row.out, run.out);
            EXPECT_EQ(*row.err ? ErrorOut(row.err) : std::string(), run.err);
            EXPECT_TRUE(run.msi.empty());
            EXPECT_TRUE(run.left.empty()) << "no directory may be made: " << Joined(run.left);
            EXPECT_FALSE(IsDir(path));
        }
        // Interactive: a box.
        RunOptions options;
        options.relay = true;
        RunResult const boxed = Run(setup, L"", options);
        EXPECT_EQ(1u, boxed.exitCode);
        ASSERT_EQ(1u, boxed.boxes.size()) << boxed.trace;
        EXPECT_EQ("W owner=set style=0x10 title=[Quillarium Installer] text=[Another installer is already running]",
                  Describe(boxed.boxes[0]));
        EXPECT_TRUE(boxed.msi.empty());
        EXPECT_TRUE(boxed.left.empty()) << Joined(boxed.left);

        holder.closeInput();
        EXPECT_TRUE(holder.wait(20000));
    }
    // The helper was the reason: without it the same run installs.
    RunResult const alone = Run(setup, L"--silent");
    EXPECT_EQ(0u, alone.exitCode) << alone.summary();
    EXPECT_EQ(1u, Installs(alone).size());
    EXPECT_TRUE(alone.left.empty()) << Joined(alone.left);
}

} // namespace
} // namespace e2e
