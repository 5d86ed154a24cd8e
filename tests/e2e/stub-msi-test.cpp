// What the packed stub hands to the Windows Installer, seen through the msi.dll double: the
// UI level, the exact command line built from --msiparams, --msi-prop, --reinstall and bare
// arguments, the package (its place, its bytes, held against writers), and how each result
// of the installer becomes the exit code and a message.
#include "stub-harness.h"

#include <algorithm>

namespace e2e {
namespace {

class StubMsi : public StubCase {};

// The fields of the run's single installation that every row checks: the package lies in a
// new random directory under the run's TEMP with a random name, holds the packed bytes, is
// held against writers, and is the only file there; the extraction directory is current.
void ExpectOnePackage(const RunResult &run, const std::string &bytes, const std::string &suffix = ".msi") {
    std::vector<RecordedCall> const installs = Installs(run);
    ASSERT_EQ(1u, installs.size()) << run.summary();
    RecordedCall const &call = installs[0];
    std::string const dir = call.get("directory");
    std::string const temp = WideToUtf8(run.temp);
    EXPECT_EQ(temp + "\\", dir.substr(0, temp.size() + 1));
    EXPECT_TRUE(IsRandomName(dir.substr(temp.size() + 1), "")) << dir;
    std::string const package = call.get("package");
    EXPECT_EQ(dir + "\\", package.substr(0, dir.size() + 1));
    std::string const name = package.substr(std::min(package.size(), dir.size() + 1));
    EXPECT_TRUE(IsRandomName(name, suffix)) << package;
    EXPECT_EQ(std::to_string(bytes.size()), call.get("package-size"));
    EXPECT_EQ(Fnv1a(bytes), call.get("package-fnv1a"));
    EXPECT_EQ("32", call.get("package-write-open")) << "the package must be held against writers";
    EXPECT_EQ(Joined({name + " " + std::to_string(bytes.size())}), Joined(call.all("entry")));
    EXPECT_EQ(dir, call.get("cwd"));
}

TEST_F(StubMsi, CommandLineAndUiLevel) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::string const bytes = ReadBytes(Asset(L"sample.msi"));
    std::string const longest(4095, 'L');
    static const struct {
        int line;
        const wchar_t *args;
        const char *level, *command;
    } s_rows[] = {
        {__LINE__, L"--silent", "2", ""},
        {__LINE__, L"", "5", ""},
        {__LINE__, L"/silent", "2", ""},
        {__LINE__, L"--silent --msiparams A=1", "2", "A=1"},
        {__LINE__, L"--msiparams=A=1 --silent", "2", "A=1"},
        {__LINE__, L"-silent -msiparams:A=1", "2", "A=1"},
        // A parameter list split by the shell is joined again with single blanks.
        {__LINE__, L"--silent --msiparams A=1 B=2 C=3", "2", "A=1 B=2 C=3"},
        {__LINE__, L"--silent --msiparams \"A=1  B=2\"", "2", "A=1  B=2"},
        // The help's own example, as a command line the two Windows parsers split differently.
        {__LINE__, L"--silent --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Quillarium\"\"\"", "2",
         "INSTALLDIR=\"C:\\Program Files\\Quillarium\""},
        // ... and no argument after it is lost.
        {__LINE__, L"--msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Quillarium\"\"\" --silent", "2",
         "INSTALLDIR=\"C:\\Program Files\\Quillarium\""},
        {__LINE__, L"--msiparams \"PROP=\"\"a b c\"\"\" --silent", "2", "PROP=\"a b c\""},
        {__LINE__, L"--silent --msi-prop NAME value", "2", "NAME=value"},
        {__LINE__, L"--silent --msi-prop NAME \"a b\"", "2", "NAME=\"a b\""},
        {__LINE__, L"--silent --msi-prop NAME \"a\tb\"", "2", "NAME=\"a\tb\""},
        {__LINE__, L"--silent --msi-prop NAME \"\"", "2", "NAME=\"\""},
        {__LINE__, L"--silent --msi-prop X \"\" --msi-prop QUILOK 1", "2", "X=\"\" QUILOK=1"},
        {__LINE__, L"--silent --msi-prop P \"say \\\"hi\\\" now\"", "2", "P=\"say \"\"hi\"\" now\""},
        {__LINE__, L"--silent --msi-prop P a\\\"b", "2", "P=\"a\"\"b\""},
        {__LINE__, L"--silent --msi-prop P \"x\\\" QUILOK=\\\"1\"", "2", "P=\"x\"\" QUILOK=\"\"1\""},
        {__LINE__, L"--silent --msi-prop A 1 --msi-prop B 2", "2", "A=1 B=2"},
        {__LINE__, L"--silent --msi-prop=A 1", "2", "A=1"},
        {__LINE__, L"-sP NAME VALUE", "2", "NAME=VALUE"},
        {__LINE__, L"--silent --msi-prop N \"\xe9 \x2713\"", "2", "N=\"\xc3\xa9 \xe2\x9c\x93\""},
        {__LINE__, L"--silent --reinstall", "2", "REINSTALLMODE=vomus REINSTALL=ALL"},
        {__LINE__, L"--silent --msiparams A=1 --reinstall /reinstall", "2",
         "A=1 REINSTALLMODE=vomus REINSTALL=ALL REINSTALLMODE=vomus REINSTALL=ALL"},
        {__LINE__, L"--silent --msiparams A=1 --msi-prop B 2 FOO=1", "2", "A=1 B=2 FOO=1"},
        {__LINE__, L"--silent --msiparams LONGEST", "2", "LONGEST"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        std::wstring args = row.args;
        size_t const at = args.find(L"LONGEST");
        if (at != std::wstring::npos) args.replace(at, 7, Utf8ToWide(longest));
        RunResult const run = Run(setup, args);
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        EXPECT_EQ("", run.out);
        EXPECT_EQ("", run.err);
        std::vector<RecordedCall> const ui = CallsNamed(run, "MsiSetInternalUI");
        ASSERT_EQ(1u, ui.size()) << run.summary();
        EXPECT_EQ(row.level, ui[0].get("level"));
        EXPECT_EQ("null", ui[0].get("window"));
        EXPECT_TRUE(CallsNamed(run, "MsiEnableLogW").empty());
        std::vector<RecordedCall> const installs = Installs(run);
        ASSERT_EQ(1u, installs.size());
        std::string command = row.command;
        if (command == "LONGEST") command = longest;
        EXPECT_EQ(command, installs[0].get("command"));
        ExpectOnePackage(run, bytes);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, ResultsBecomeExitCodes) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    std::string const bytes = ReadBytes(Asset(L"sample.msi"));
    std::string const text1603 = InstallerErrorText(1603);
    std::string const text2102 = InstallerErrorText(2102);
    std::string const text29999 = InstallerErrorText(29999);
    static const struct {
        int line;
        const wchar_t *args;
        const char *result;
        uint32_t code;
        const char *out, *err; // "@PKG@" stands for the package path; "@1603@" and the like for the system's text
    } s_rows[] = {
        {__LINE__, L"--silent", "0", 0, "", ""},
        {__LINE__, L"--silent", "3010", 3010, "info:Reboot required (by @PKG@)", ""},
        {__LINE__, L"--silent --ignore-reboot", "3010", 0, "info:Reboot required (by @PKG@)", ""},
        {__LINE__, L"--ignore-reboot --silent", "3010", 0, "info:Reboot required (by @PKG@)", ""},
        // The user cancelled and knows it.
        {__LINE__, L"--silent", "1602", 1, "", ""},
        {__LINE__, L"--silent", "1613", 1, "",
         "This installation package cannot be installed by the Windows Installer service.\n"
         "You must install a Windows service pack that contains a newer version of the Windows Installer service."},
        {__LINE__, L"--silent", "1633", 1, "", "This installation package is not supported on this platform."},
        {__LINE__, L"--silent", "1603", 1, "", "Installation failed! Error: @1603@"},
        {__LINE__, L"--silent", "2102", 1, "", "Installation failed! Error: @2102@"},
        {__LINE__, L"--silent", "29999", 1, "", "Installation failed! Error: @29999@"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiResults = row.result;
        RunResult const run = Run(setup, row.args, options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        ExpectOnePackage(run, bytes);
        std::vector<RecordedCall> const installs = Installs(run);
        std::string const package = installs.empty() ? std::string() : installs[0].get("package");
        auto expand = [&](std::string text) {
            static const struct {
                const char *what;
                const std::string *with;
            } s_texts[] = {{"@1603@", &text1603}, {"@2102@", &text2102}, {"@29999@", &text29999}};
            for (const auto &t : s_texts) {
                size_t const at = text.find(t.what);
                if (at == std::string::npos) continue;
                // Without a text of the system the number is shown.
                std::string const number = std::string(t.what).substr(1, strlen(t.what) - 2);
                text.replace(at, strlen(t.what), t.with->empty() ? number : *t.with);
            }
            size_t const at = text.find("@PKG@");
            if (at != std::string::npos) text.replace(at, 5, package);
            return text;
        };
        std::string const out = expand(row.out);
        EXPECT_EQ(out.empty() ? std::string() : InfoOut(out.substr(5)), run.out);
        std::string const err = expand(row.err);
        EXPECT_EQ(err.empty() ? std::string() : ErrorOut(err), run.err);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, InteractiveResults) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    static const struct {
        int line;
        const char *result;
        uint32_t code;
        const char *box; // "" for none
    } s_rows[] = {
        {__LINE__, "0", 0, ""},
        // The installer's own interface told the user about the reboot, and about a cancel.
        {__LINE__, "3010", 3010, ""},
        {__LINE__, "1602", 1, ""},
        {__LINE__, "1633", 1, "This installation package is not supported on this platform."},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiResults = row.result;
        options.relay = true;
        RunResult const run = Run(setup, L"", options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        std::vector<RecordedCall> const ui = CallsNamed(run, "MsiSetInternalUI");
        ASSERT_EQ(1u, ui.size());
        EXPECT_EQ("5", ui[0].get("level"));
        EXPECT_EQ(1u, Installs(run).size());
        EXPECT_EQ("", run.out);
        EXPECT_EQ("", run.err);
        if (!*row.box) {
            EXPECT_TRUE(run.boxes.empty()) << Describe(run.boxes.front());
        } else {
            ASSERT_EQ(1u, run.boxes.size()) << run.trace;
            EXPECT_EQ(std::string("W owner=set style=0x10 title=[Quillarium Installer] text=[") + row.box + "]",
                      Describe(run.boxes[0]));
        }
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, InstallerSetupFailures) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    static const struct {
        int line;
        const wchar_t *args;
        const char *ui, *log;
        const char *err;
        size_t cInstalls;
    } s_rows[] = {
        {__LINE__, L"--silent", "0", "", "Internal error: MsiSetInternalUI failed.", 0},
        {__LINE__, L"--silent --logging", "", "1", "MsiEnableLogW failed", 0},
        {__LINE__, L"--silent --logging", "", "0", "", 1},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiUiResult = row.ui;
        options.msiLogResult = row.log;
        RunResult const run = Run(setup, row.args, options);
        EXPECT_EQ(*row.err ? 1u : 0u, run.exitCode) << run.summary();
        EXPECT_EQ(*row.err ? ErrorOut(row.err) : std::string(), run.err);
        EXPECT_EQ(row.cInstalls, Installs(run).size());
        // The double writes no log, so even with logging the directory is empty and goes.
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, SeveralPackages) {
    std::wstring const first = Package(L"sample.msi", L"first.msi");
    std::wstring const second = Package(L"cond.msi", L"second.msi");
    std::wstring const setup = Setup({{"amd64", first}, {"amd64", second}});
    std::string const firstBytes = ReadBytes(first), secondBytes = ReadBytes(second);
    static const struct {
        int line;
        const char *results;
        uint32_t code;
        size_t cInstalls;
        const char *err;
    } s_rows[] = {
        {__LINE__, "0,0", 0, 2, ""},
        // A reboot asked for by an earlier package survives a later success.
        {__LINE__, "3010,0", 3010, 2, ""},
        {__LINE__, "0,3010", 3010, 2, ""},
        // The first failure ends the installations.
        {__LINE__, "1633,0", 1, 1, "This installation package is not supported on this platform."},
        {__LINE__, "3010,1633", 1, 2, "This installation package is not supported on this platform."},
        {__LINE__, "1602,0", 1, 1, ""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiResults = row.results;
        RunResult const run = Run(setup, L"--silent", options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        std::vector<RecordedCall> const installs = Installs(run);
        ASSERT_EQ(row.cInstalls, installs.size());
        // In index order, each from its own file, both in the same directory.
        EXPECT_EQ(std::to_string(firstBytes.size()), installs[0].get("package-size"));
        EXPECT_EQ(Fnv1a(firstBytes), installs[0].get("package-fnv1a"));
        if (installs.size() > 1) {
            EXPECT_EQ(Fnv1a(secondBytes), installs[1].get("package-fnv1a"));
            EXPECT_EQ(installs[0].get("directory"), installs[1].get("directory"));
            EXPECT_NE(installs[0].get("package"), installs[1].get("package"));
        }
        EXPECT_EQ(2u, installs[0].all("entry").size()) << "both packages are extracted before the first install";
        EXPECT_EQ(*row.err ? ErrorOut(row.err) : std::string(), run.err);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, PackageKindsAndArchitectures) {
    std::wstring const msi = Package(L"sample.msi");
    std::wstring const cab = Package(L"data1.cab");
    std::wstring const notes = Join(m_dir, L"notes.txt");
    ASSERT_TRUE(WriteBytes(notes, "not a package\r\n"));
    std::wstring const other = Package(L"cond.msi", L"other.msi");
    static const struct {
        int line;
        std::vector<PackItem> items;
        uint32_t code;
        size_t cInstalls;
        const char *entries; // the files beside the installed package ("*" a random name)
        const char *err;     // "@DIR@" stands for the extraction directory
    } s_rows[] = {
        // A cabinet alone needs nothing; a cabinet keeps its name beside the package that reads it.
        {__LINE__, {{"all", cab}}, 0, 0, "", ""},
        {__LINE__, {{"amd64", msi}, {"all", cab}}, 0, 1, "* data1.cab", ""},
        // A package for the other architecture, or for none, is not extracted for installation.
        {__LINE__, {{"x86", other}, {"amd64", msi}}, 0, 1, "*", ""},
        {__LINE__, {{"7", other}, {"amd64", msi}}, 0, 1, "*", ""},
        {__LINE__, {{"all", msi}}, 0, 1, "sample.msi", ""},
        {__LINE__,
         {{"all", notes}},
         1,
         0,
         "",
         "Internal error: Do not know how to handle file 'notes.txt' (@DIR@\\notes.txt)."},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        std::wstring const setup = Setup(row.items, L"r" + std::to_wstring(row.line) + L"\\setup.exe");
        RunResult const run = Run(setup, L"--silent");
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        std::vector<RecordedCall> const installs = Installs(run);
        ASSERT_EQ(row.cInstalls, installs.size());
        if (!installs.empty()) {
            std::vector<std::string> names;
            for (std::string entry : installs[0].all("entry")) {
                entry = entry.substr(0, entry.find(' '));
                names.push_back(IsRandomName(entry, ".msi") ? std::string("*") : entry);
            }
            std::sort(names.begin(), names.end());
            EXPECT_EQ(row.entries, Joined(names));
        }
        std::string err = row.err;
        size_t const at = err.find("@DIR@");
        if (at != std::string::npos) {
            // The extraction directory: the only random name under TEMP while it ran.
            size_t const open = run.err.find(" (");
            size_t const end = run.err.find("\\notes.txt)");
            ASSERT_TRUE(open != std::string::npos && end != std::string::npos) << run.err;
            std::string const dir = run.err.substr(open + 2, end - open - 2);
            EXPECT_EQ(WideToUtf8(run.temp) + "\\", dir.substr(0, run.temp.size() + 1));
            EXPECT_TRUE(IsRandomName(dir.substr(std::min(dir.size(), run.temp.size() + 1)), "")) << dir;
            err.replace(at, 5, dir);
        }
        EXPECT_EQ(*row.err ? ErrorOut(err) : std::string(), run.err);
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
}

TEST_F(StubMsi, VerboseSummary) {
    std::wstring const setup = Setup({{"amd64", Package(L"sample.msi")}});
    static const struct {
        int line;
        const wchar_t *args;
        const char *params, *log; // "@DIR@" the extraction directory
    } s_rows[] = {
        {__LINE__, L"--silent --verbose", "<None>", "<None>"},
        {__LINE__, L"--silent -vv --msiparams A=1", "A=1", "<None>"},
        {__LINE__, L"--silent /verbose --logging", "<None>", "@DIR@\\QuilInstallLog.txt"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const run = Run(setup, row.args);
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        std::vector<RecordedCall> const installs = Installs(run);
        ASSERT_EQ(1u, installs.size()) << run.summary();
        std::string const dir = installs[0].get("directory");
        std::string log = row.log;
        if (log.compare(0, 5, "@DIR@") == 0) log.replace(0, 5, dir);
        // Redirected output stays where the caller sent it; "true " is how a boolean prints.
        EXPECT_EQ(Crlf("Extraction path          : " + dir + "\n" + "Silent installation      : true \n" +
                       "Certificate installation : true \n" + "Additional MSI parameters: " + row.params + "\n" +
                       "Logging to file          : " + log + "\n"),
                  run.out);
        EXPECT_EQ("", run.err);
    }
}

} // namespace
} // namespace e2e
