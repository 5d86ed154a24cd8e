// The packed stub on a 32-bit Windows host (a 32-bit prefix): an interactive installation is
// refused with its message and leaves nothing behind; --silent and --extract are not refused;
// only packages for 32-bit hosts and for all hosts are installed.
#include "stub-harness.h"

#include <algorithm>

namespace e2e {
namespace {

class StubWin32Host : public StubCase {};

TEST_F(StubWin32Host, InteractiveRefused) {
    ASSERT_EQ(L"win32", Paths().arch) << "these cases belong in a 32-bit prefix";
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}, {"x86", Package(L"cond.msi")}});
    std::string const refused = "32-bit Windows hosts are not supported by this Quillarium release.";
    RunOptions options;
    options.relay = true;
    RunResult const run = Run(setup, L"", options);
    EXPECT_EQ(1u, run.exitCode) << run.summary();
    ASSERT_EQ(1u, run.boxes.size()) << run.trace;
    EXPECT_EQ("W owner=set style=0x10 title=[Quillarium Installer] text=[" + refused + "]", Describe(run.boxes[0]));
    EXPECT_TRUE(run.msi.empty());
    EXPECT_TRUE(run.left.empty()) << "a refused run leaves nothing: " << Joined(run.left);

    // Refused as well after the console and log steps, before any --path is created.
    RunResult const late = Run(setup, L"--logging --verbose --path " + QuoteArgument(Join(m_dir, L"p")), options);
    EXPECT_EQ(1u, late.exitCode) << late.summary();
    ASSERT_EQ(1u, late.boxes.size()) << late.trace;
    EXPECT_EQ(refused, late.boxes[0].text);
    EXPECT_FALSE(IsDir(Join(m_dir, L"p")));
}

TEST_F(StubWin32Host, SilentAndExtractGoOn) {
    std::wstring const amd64 = Package(L"sample.msi", L"amd64.msi");
    std::wstring const x86 = Package(L"cond.msi", L"x86.msi");
    std::wstring const cab = Package(L"data1.cab");
    std::wstring const onlyAmd64 = Setup({{"amd64", amd64}}, L"amd64\\setup.exe");
    std::wstring const mixed = Setup({{"amd64", amd64}, {"x86", x86}, {"all", cab}}, L"mixed\\setup.exe");

    // Nothing fits: nothing is installed, and that is no failure.
    RunResult const none = Run(onlyAmd64, L"--silent");
    EXPECT_EQ(0u, none.exitCode) << none.summary();
    EXPECT_TRUE(Installs(none).empty());
    EXPECT_TRUE(none.msi.empty()) << "no package fits, so the installer is not even set up";
    EXPECT_TRUE(none.left.empty()) << Joined(none.left);

    RunResult const fits = Run(mixed, L"--silent");
    EXPECT_EQ(0u, fits.exitCode) << fits.summary();
    std::vector<RecordedCall> const installs = Installs(fits);
    ASSERT_EQ(1u, installs.size());
    EXPECT_EQ(Fnv1a(ReadBytes(x86)), installs[0].get("package-fnv1a"));
    std::vector<std::string> const entries = installs[0].all("entry");
    ASSERT_EQ(2u, entries.size());
    EXPECT_NE(entries.end(),
              std::find(entries.begin(), entries.end(), "data1.cab " + std::to_string(ReadBytes(cab).size())));
    EXPECT_TRUE(fits.left.empty()) << Joined(fits.left);

    // --extract writes everything, also interactively.
    std::wstring const target = Join(m_dir, L"extracted");
    RunOptions options;
    options.relay = true;
    RunResult const extracted = Run(mixed, L"--extract --path " + QuoteArgument(target), options);
    EXPECT_EQ(0u, extracted.exitCode) << extracted.summary();
    ASSERT_EQ(1u, extracted.boxes.size()) << extracted.trace;
    EXPECT_EQ("W owner=set style=0x40 title=[Quillarium Installer] text=[Files were extracted to: " +
                  WideToUtf8(target) + "]",
              Describe(extracted.boxes[0]));
    EXPECT_EQ("amd64.msi data1.cab x86.msi", Joined(ListDir(target)));
}

TEST_F(StubWin32Host, RealInstall) {
    std::wstring const setup = Setup({{"x86", Package(L"sample.msi")}});
    RunOptions options;
    options.msiDouble = false;
    RunResult const run = Run(setup, L"--silent", options);
    EXPECT_EQ(0u, run.exitCode) << run.summary();
    std::wstring const installed = Join(Join(GetEnv(L"ProgramFiles"), L"Quillarium Sample"), L"sample.txt");
    EXPECT_EQ(ReadBytes(Join(Join(Paths().source, L"msi"), L"sample.txt")), ReadBytes(installed));
    EXPECT_TRUE(run.left.empty()) << Joined(run.left);
}

} // namespace
} // namespace e2e
