// The packed stub's command line from the outside: help, version and command-line errors as
// exact bytes on the standard streams with their exit codes (silent mode), and as message
// boxes seen through the relay trace (interactive). None of them extracts or installs anything.
#include "stub-harness.h"

namespace e2e {
namespace {

class StubCli : public StubCase {};

// What a case expects on the streams: "@HELP@" and "@VERSION@" stand for the help and version
// texts, which their notice ends with one line feed.
std::string Expand(const std::string &text) {
    if (text == "@HELP@") return NoticeOut(HelpText("setup.exe"));
    if (text == "@VERSION@") return NoticeOut("Version: " + VersionText());
    return text;
}

TEST_F(StubCli, SilentHelpVersionAndErrors) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::string const full(4096, 'F');
    std::string const nearlyFull(4092, 'F');
    static const struct {
        int line;
        const wchar_t *args;
        uint32_t code;
        const char *out, *err; // err: the failure's text ("" for none), written as "setup.exe: error: ..." lines
    } s_rows[] = {
        {__LINE__, L"--silent --version", 0, "@VERSION@", ""},
        {__LINE__, L"--silent -V", 0, "@VERSION@", ""},
        {__LINE__, L"--silent -version", 0, "@VERSION@", ""},
        {__LINE__, L"--silent /version", 0, "@VERSION@", ""},
        {__LINE__, L"-sV", 0, "@VERSION@", ""},
        {__LINE__, L"--silent --help", 0, "@HELP@", ""},
        {__LINE__, L"--silent -h", 0, "@HELP@", ""},
        {__LINE__, L"--silent -?", 0, "@HELP@", ""},
        {__LINE__, L"--silent /?", 0, "@HELP@", ""},
        {__LINE__, L"--silent -help", 0, "@HELP@", ""},
        {__LINE__, L"--silent /help", 0, "@HELP@", ""},
        // Help and version end the command line: what follows is not even parsed.
        {__LINE__, L"--silent --version --bogus", 0, "@VERSION@", ""},
        {__LINE__, L"--silent --help FOO=1", 0, "@HELP@", ""},
        {__LINE__, L"--silent --bogus", 2, "", "Unknown option: '--bogus'"},
        {__LINE__, L"--silent --extract=1", 2, "", "Unknown option: '--extract=1'"},
        {__LINE__, L"-sz", 2, "", "Unknown option: 'z'"},
        {__LINE__, L"--silent FOO=1", 2, "", "Invalid parameter: FOO=1"},
        {__LINE__, L"--silent --path", 2, "", "--path: RTGetOpt: Command line option needs argument."},
        {__LINE__, L"--silent -p", 2, "", "--path: RTGetOpt: Command line option needs argument."},
        {__LINE__, L"--silent --msi-log-file", 2, "", "--msi-log-file: RTGetOpt: Command line option needs argument."},
        {__LINE__, L"--silent --msi-prop \"A B\" v", 2, "",
         "The first argument to --msi-prop must not contain spaces: A B"},
        {__LINE__, L"--silent --msi-prop NAME", 2, "", "--msi-prop takes two arguments, the 2nd is missing"},
        {__LINE__, L"--silent --msi-prop \"\" x", 2, "", "The first argument to --msi-prop must not be empty"},
        {__LINE__, L"--silent --msi-prop \"\" \"\"", 2, "", "The first argument to --msi-prop must not be empty"},
        {__LINE__, L"--silent --msiparams FULL", 2, "", "Out of space for MSI parameters and properties"},
        // 4092 + the separator + "A=1" would need 4097 bytes.
        {__LINE__, L"--silent --msiparams NEARLY --msiparams A=1", 2, "",
         "Out of space for MSI parameters and properties"},
        {__LINE__, L"--silent --msiparams NEARLY --reinstall", 2, "", "Out of space for MSI parameters and properties"},
        {__LINE__, L"--silent --msiparams NEARLY --msi-prop A 1", 2, "",
         "Out of space for MSI parameters and properties"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        std::wstring args = row.args;
        size_t at;
        if ((at = args.find(L"NEARLY")) != std::wstring::npos) args.replace(at, 6, Utf8ToWide(nearlyFull));
        if ((at = args.find(L"FULL")) != std::wstring::npos) args.replace(at, 4, Utf8ToWide(full));
        RunResult const run = Run(setup, args);
        EXPECT_EQ(row.code, run.exitCode);
        EXPECT_EQ(Expand(row.out), run.out);
        EXPECT_EQ(*row.err ? ErrorOut(row.err) : std::string(), run.err);
        EXPECT_TRUE(run.msi.empty()) << "nothing may be installed";
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubCli, HelpNamesTheProgramAsInvoked) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    static const struct {
        int line;
        const wchar_t *argv0;
    } s_rows[] = {
        {__LINE__, L"setup.exe"},
        {__LINE__, L"SETUP"},
        {__LINE__, L"\"Z:\\some dir\\setup.exe\""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.argv0 = row.argv0;
        RunResult const run = Run(setup, L"--silent --help", options);
        std::string program = WideToUtf8(row.argv0);
        if (program.front() == '"') program = program.substr(1, program.size() - 2);
        EXPECT_EQ(NoticeOut(HelpText(program)), run.out);
        EXPECT_EQ(0u, run.exitCode);
    }
}

TEST_F(StubCli, MessageBoxes) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::string const more = "\nPlease refer to the command line help by specifying \"-?\"\nto get more information.";
    static const struct {
        int line;
        const wchar_t *args;
        uint32_t code;
        uint32_t style; // 0: no box
        const char *text;
    } s_rows[] = {
        {__LINE__, L"--bogus", 2, 0x10, "Unknown option \"--bogus\"@MORE@"},
        // Options are handled in order: silent mode is not on yet when the error comes.
        {__LINE__, L"--bogus --silent", 2, 0x10, "Unknown option \"--bogus\"@MORE@"},
        {__LINE__, L"FOO=1", 2, 0x10, "Parameter parsing error: QINF_GETOPT_NOT_OPTION@MORE@"},
        {__LINE__, L"--path", 2, 0x10, "Parameter parsing error: QERR_GETOPT_REQUIRED_ARGUMENT_MISSING@MORE@"},
        {__LINE__, L"--msi-prop \"\xe9 \x2713\" v", 2, 0x10,
         "The first argument to --msi-prop must not contain spaces: \xc3\xa9 \xe2\x9c\x93"},
        {__LINE__, L"--msi-prop NAME", 2, 0x10, "--msi-prop takes two arguments, the 2nd is missing"},
        {__LINE__, L"--version", 0, 0x40, "@VERSION@"},
        {__LINE__, L"/version", 0, 0x40, "@VERSION@"},
        {__LINE__, L"--help", 0, 0x40, "@HELP@"},
        {__LINE__, L"/?", 0, 0x40, "@HELP@"},
        {__LINE__, L"--help --silent", 0, 0x40, "@HELP@"},
        {__LINE__, L"--silent --help", 0, 0, ""},
        {__LINE__, L"--silent --bogus", 2, 0, ""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.relay = true;
        RunResult const run = Run(setup, row.args, options);
        EXPECT_EQ(row.code, run.exitCode);
        EXPECT_TRUE(run.msi.empty());
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
        if (!row.style) {
            EXPECT_TRUE(run.boxes.empty()) << Describe(run.boxes.front());
            EXPECT_FALSE(run.out.empty() && run.err.empty()) << "silent mode writes to the streams";
            continue;
        }
        EXPECT_EQ("", run.out);
        EXPECT_EQ("", run.err);
        ASSERT_EQ(1u, run.boxes.size()) << run.trace;
        BoxCall const &box = run.boxes[0];
        std::string text = row.text;
        if (text == "@VERSION@") text = "Version: " + VersionText();
        if (text == "@HELP@") text = HelpText("setup.exe");
        size_t const at = text.find("@MORE@");
        if (at != std::string::npos) text.replace(at, 6, more);
        EXPECT_TRUE(ShowsText(box, text)) << Describe(box);
        EXPECT_EQ('W', box.api);
        EXPECT_NE(0u, box.owner) << "owned by the desktop window";
        EXPECT_EQ("Quillarium Installer", box.title);
        EXPECT_EQ(row.style, box.style);
    }
}

} // namespace
} // namespace e2e
