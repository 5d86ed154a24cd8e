// The option loop: every option form of the table and the parser's own "-?",
// short forms and clusters, near misses, "--", values after "=" and ":",
// missing values, what each does to the settings, how msiParams is assembled
// and bounded, and the exact messages and exit codes. Each row prints the
// settings on one line, followed by the outcome and what was shown.
#include "QuilStubOptions.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "quil-version.h"

#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/testplatform.h"

namespace {

using stubtest::StubCapture;

// The tail of both "please refer to the help" messages (a copy of the product's
// own).
#define REFER                                                                                                          \
    "\nPlease refer to the command line help by specifying \"-?\"\nto get more "                                       \
    "information."

// The help text as a box or standard output shows it for the program
// "setup.exe", with "{VER}" for the version: kept here apart from the product's
// literal, so that a change to either shows.
const char g_szGoldenHelp[] = R"(-- Quillarium Installer v{VER} --

Command Line Parameters:

--extract
    Extract file contents to temporary directory
--logging
    Enables MSI installer logging (to extract path)
--msi-log-file <path/to/file>
    Sets MSI logging to <file>
--msiparams <parameters>
    Specifies extra parameters for the MSI installers
    double quoted arguments must be doubled and put
    in quotes: --msiparams "PROP=""a b c"""
--msi-prop <prop> <value>
    Adds <prop>=<value> to the MSI parameters,
    quoting the property value if necessary
--no-silent-cert
    Do not install Quillarium Certificate automatically
    when --silent option is specified
--force-install-timestamp-ca
    Install the timestamp CA needed for supporting
    legacy Windows versions regardless of the version or
    type of Windows Quillarium is being installed on.
    Default: All except Windows 10 & 11 desktop
--no-install-timestamp-ca
    Do not install the above mentioned timestamp CA.
--path
    Sets the path of the extraction directory
--reinstall
    Forces Quillarium to get re-installed
--ignore-reboot
   Do not set exit code to 3010 if a reboot is required
--silent
   Enables silent mode installation
--version
   Displays version number and exit
-?, -h, --help
   Displays this help text and exit

Examples:
  setup.exe --msiparams "INSTALLDIR=""C:\Program Files\Quillarium"""
  setup.exe --extract -path C:\Quil)";

std::string replaceAll(std::string Str, const std::string &From, const std::string &To) {
    for (size_t off = 0; (off = Str.find(From, off)) != std::string::npos; off += To.size())
        Str.replace(off, From.size(), To);
    return Str;
}

std::string versionText() {
    return std::to_string(QUIL_VERSION_MAJOR) + "." + std::to_string(QUIL_VERSION_MINOR) + "." +
           std::to_string(QUIL_VERSION_BUILD) + "r" + std::to_string(QUIL_VERSION_REVISION);
}

std::string goldenHelp() {
    return replaceAll(g_szGoldenHelp, "{VER}", versionText());
}

// The current directory with the separator the path rules insert, as relative paths come out.
std::string currentDir() {
    char szCwd[4100] = "";
    EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrent(szCwd, sizeof(szCwd)));
    return replaceAll(szCwd, "/", "\\");
}

// Placeholders of the rows: {CWD} the current directory, {VER} the version, {HELP} the help.
std::string expand(const std::string &Str) {
    std::string Out = replaceAll(Str, "{HELP}", goldenHelp());
    Out = replaceAll(Out, "{VER}", versionText());
    return replaceAll(Out, "{CWD}", currentDir());
}

std::string describeOptions(const InstallOptions &Opts) {
    std::string Str;
    auto add = [&Str](const std::string &Token) { Str += (Str.empty() ? "" : " ") + Token; };
    if (Opts.extractOnly) add("x");
    if (!Opts.installCertificates) add("nocert");
    if (!Opts.timestampCaAllowed) add("nots");
    if (Opts.timestampCaForced) add("forcets");
    if (Opts.msiLogging) add("log");
    if (Opts.ignoreReboot) add("noreboot");
    if (silentMode) add("silent");
    if (verbosity) add("v=" + std::to_string(verbosity));
    if (Opts.extractPath[0]) add(std::string("path=[") + Opts.extractPath + "]");
    if (Opts.msiParams[0]) add(std::string("params=[") + Opts.msiParams + "]");
    if (Opts.msiLogPath[0]) add(std::string("logfile=[") + Opts.msiLogPath + "]");
    return Str.empty() ? "-" : Str;
}

// Runs the loop over "setup.exe" and Args; the settings, "-> go" or "-> exit
// N", then the boxes, "out[...]" and "err[...]" (the program name at the start
// of a line written as "P").
std::string runOptions(const std::vector<std::string> &Args, InstallOptions *pOpts = nullptr) {
    std::vector<std::string> Strings = {"setup.exe"};
    for (const std::string &Arg : Args) Strings.push_back(expand(Arg));
    std::vector<char *> Argv;
    for (std::string &Str : Strings) Argv.push_back(&Str[0]);
    Argv.push_back(nullptr);

    StubCapture Capture;
    static InstallOptions s_Opts;
    InstallOptions &Opts = pOpts ? *pOpts : s_Opts;
    InstallOptionsInit(&Opts);
    int iExit = 12345;
    bool fGoOn = ParseInstallOptions(&Opts, (int)Strings.size(), Argv.data(), &iExit);
    std::string Str = describeOptions(Opts) + (fGoOn ? " -> go" : " -> exit " + std::to_string(iExit));
    if (fGoOn) {
        EXPECT_EQ(12345, iExit); // untouched when the run goes on
    }
    if (Capture.BoxCount()) Str += " " + Capture.Boxes();
    std::string Out = Capture.Out();
    if (!Out.empty()) Str += " out[" + Out + "]";
    std::string Err = Capture.Err();
    if (!Err.empty())
        Str += " err[" + replaceAll("\n" + Err, std::string("\n") + TestProgramName() + ":", "\nP:").substr(1) + "]";
    return Str;
}

struct OptionCase {
    int iLine;
    std::vector<std::string> Args;
    const char *pszExpect;
};

// clang-format off
const OptionCase g_aFormCases[] = {
    // Every row of the table, and each short form.
    {__LINE__, {"--extract"},                       "x -> go"},
    {__LINE__, {"-extract"},                        "x -> go"},
    {__LINE__, {"/extract"},                        "x -> go"},
    {__LINE__, {"-x"},                              "x -> go"},
    {__LINE__, {"--silent"},                        "silent -> go"},
    {__LINE__, {"-silent"},                         "silent -> go"},
    {__LINE__, {"/silent"},                         "silent -> go"},
    {__LINE__, {"-s"},                              "silent -> go"},
    {__LINE__, {"--no-silent-cert"},                "nocert -> go"},
    {__LINE__, {"-no-silent-cert"},                 "nocert -> go"},
    {__LINE__, {"/no-silent-cert"},                 "nocert -> go"},
    {__LINE__, {"-c"},                              "nocert -> go"},
    {__LINE__, {"--no-install-timestamp-ca"},       "nots -> go"},
    {__LINE__, {"-t"},                              "nots -> go"},
    {__LINE__, {"--force-install-timestamp-ca"},    "forcets -> go"},
    {__LINE__, {"-T"},                              "forcets -> go"},
    {__LINE__, {"--logging"},                       "log -> go"},
    {__LINE__, {"-logging"},                        "log -> go"},
    {__LINE__, {"/logging"},                        "log -> go"},
    {__LINE__, {"-l"},                              "log -> go"},
    {__LINE__, {"--msi-log-file", "C:\\q\\l.txt"},  "logfile=[C:\\q\\l.txt] -> go"},
    {__LINE__, {"--msi-log-file=C:\\q\\l.txt"},     "logfile=[C:\\q\\l.txt] -> go"},
    {__LINE__, {"--msi-log-file:C:\\q\\l.txt"},     "logfile=[C:\\q\\l.txt] -> go"},
    {__LINE__, {"-msilogfile", "C:\\q\\l.txt"},     "logfile=[C:\\q\\l.txt] -> go"},
    {__LINE__, {"-msilogfile=C:\\q\\l.txt"},        "logfile=[C:\\q\\l.txt] -> go"},
    {__LINE__, {"--path", "C:\\quil"},               "path=[C:\\quil] -> go"},
    {__LINE__, {"-path", "C:\\quil"},                "path=[C:\\quil] -> go"},
    {__LINE__, {"/path", "C:\\quil"},                "path=[C:\\quil] -> go"},
    {__LINE__, {"-p", "C:\\quil"},                   "path=[C:\\quil] -> go"},
    {__LINE__, {"-pC:\\quil"},                       "path=[C:\\quil] -> go"},
    {__LINE__, {"-p=C:\\quil"},                      "path=[C:\\quil] -> go"},
    {__LINE__, {"-p:C:\\quil"},                      "path=[C:\\quil] -> go"},
    {__LINE__, {"--path=C:\\quil"},                  "path=[C:\\quil] -> go"},
    {__LINE__, {"--path:C:\\quil"},                  "path=[C:\\quil] -> go"},
    {__LINE__, {"-path=C:\\quil"},                   "path=[C:\\quil] -> go"},
    {__LINE__, {"/path:C:\\quil"},                   "path=[C:\\quil] -> go"},
    {__LINE__, {"/path=C:\\quil"},                   "path=[C:\\quil] -> go"},
    {__LINE__, {"--msiparams", "A=1"},              "params=[A=1] -> go"},
    {__LINE__, {"-msiparams", "A=1"},               "params=[A=1] -> go"},
    {__LINE__, {"-m", "A=1"},                       "params=[A=1] -> go"},
    {__LINE__, {"-mA=1"},                           "params=[A=1] -> go"},
    {__LINE__, {"--msiparams=A=1"},                 "params=[A=1] -> go"},
    {__LINE__, {"--msiparams:A=1"},                 "params=[A=1] -> go"},
    {__LINE__, {"--msi-prop", "N", "v"},            "params=[N=v] -> go"},
    {__LINE__, {"--msi-prop=N", "v"},               "params=[N=v] -> go"},
    {__LINE__, {"--msi-prop:N", "v"},               "params=[N=v] -> go"},
    {__LINE__, {"-PN", "v"},                        "params=[N=v] -> go"},
    {__LINE__, {"-P", "N", "v"},                    "params=[N=v] -> go"},
    {__LINE__, {"--reinstall"},                     "params=[REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"-reinstall"},                      "params=[REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"/reinstall"},                      "params=[REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"-f"},                              "params=[REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"--ignore-reboot"},                 "noreboot -> go"},
    {__LINE__, {"-r"},                              "noreboot -> go"},
    {__LINE__, {"--verbose"},                       "v=1 -> go"},
    {__LINE__, {"-verbose"},                        "v=1 -> go"},
    {__LINE__, {"/verbose"},                        "v=1 -> go"},
    {__LINE__, {"-v"},                              "v=1 -> go"},
    {__LINE__, {"--version"},                       "- -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"-version"},                        "- -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"/version"},                        "- -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"-V"},                              "- -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"--help"},                          "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"-help"},                           "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"/help"},                           "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"/?"},                              "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"-?"},                              "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"-h"},                              "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {},                                  "- -> go"},
    {__LINE__, {"-c", "-T", "-t", "-l", "-r", "-x", "-s", "-v"}, "x nocert nots forcets log noreboot silent v=1 -> go"},

    // Clusters.
    {__LINE__, {"-sx"},                             "x silent -> go"},
    {__LINE__, {"-vv"},                             "v=2 -> go"},
    {__LINE__, {"-vvv", "--verbose"},               "v=4 -> go"},
    {__LINE__, {"-sxf"},                            "x silent params=[REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"-sV"},                             "silent -> exit 0 out[Version: {VER}\n]"},
    {__LINE__, {"-xh"},                             "x -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"-xpC:\\q"},                         "x path=[C:\\q] -> go"},
    {__LINE__, {"-xp", "C:\\q"},                     "x path=[C:\\q] -> go"},
    {__LINE__, {"-sP", "N", "v"},                   "silent params=[N=v] -> go"},
    {__LINE__, {"-sz"},                             "silent -> exit 2 err[P: error: Unknown option: 'z'\n]"},
    {__LINE__, {"-xz"},                             "x -> exit 2 boxW(10)[Unknown option \"z\"" REFER "]"},
    {__LINE__, {"-xP"},                             "x -> exit 2 boxW(10)[Parameter parsing error: QERR_GETOPT_REQUIRED_ARGUMENT_MISSING" REFER "]"},
    {__LINE__, {"-sp"},                             "silent -> exit 2 err[P: error: --path: RTGetOpt: Command line option needs argument.\n]"},

    // Near misses.
    {__LINE__, {"-ignore-reboot"},                  "- -> exit 2 boxW(10)[Unknown option \"-ignore-reboot\"" REFER "]"},
    {__LINE__, {"-no-install-timestamp-ca"},        "- -> exit 2 boxW(10)[Unknown option \"-no-install-timestamp-ca\"" REFER "]"},
    {__LINE__, {"-force-install-timestamp-ca"},     "params=[REINSTALLMODE=vomus REINSTALL=ALL] -> exit 2 boxW(10)[Unknown option \"orce-install-timestamp-ca\"" REFER "]"},
    {__LINE__, {"-msi-prop", "N", "v"},             "params=[si-prop N v] -> go"},
    {__LINE__, {"-msi-log-file", "x"},              "params=[si-log-file x] -> go"},
    {__LINE__, {"-pathx"},                          "path=[{CWD}\\athx] -> go"},
    {__LINE__, {"--pathx"},                         "- -> exit 2 boxW(10)[Unknown option \"--pathx\"" REFER "]"},
    {__LINE__, {"/pathx"},                          "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"--silent=1"},                      "- -> exit 2 boxW(10)[Unknown option \"--silent=1\"" REFER "]"},
    {__LINE__, {"--silent:1"},                      "- -> exit 2 boxW(10)[Unknown option \"--silent:1\"" REFER "]"},
    {__LINE__, {"/Silent"},                         "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"/silent:1"},                       "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"/s"},                              "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"-"},                               "- -> exit 2 boxW(10)[Unknown option \"-\"" REFER "]"},
    {__LINE__, {""},                                "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"--bogus"},                         "- -> exit 2 boxW(10)[Unknown option \"--bogus\"" REFER "]"},
    {__LINE__, {"--silent", "--bogus"},             "silent -> exit 2 err[P: error: Unknown option: '--bogus'\n]"},
    {__LINE__, {"--bogus", "--silent"},             "- -> exit 2 boxW(10)[Unknown option \"--bogus\"" REFER "]"},
    {__LINE__, {"--silent", "/Silent"},             "silent -> exit 2 err[P: error: Invalid parameter: /Silent\n]"},

    // "--": everything after it is a bare argument.
    {__LINE__, {"--"},                              "- -> go"},
    {__LINE__, {"--msiparams", "A=1", "--", "--silent", "-x"}, "params=[A=1 --silent -x] -> go"},
    {__LINE__, {"--", "-x"},                        "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},

    // Missing values: the silent diagnostic names the option's long form even for "-p".
    {__LINE__, {"--path"},                          "- -> exit 2 boxW(10)[Parameter parsing error: QERR_GETOPT_REQUIRED_ARGUMENT_MISSING" REFER "]"},
    {__LINE__, {"--silent", "--path"},              "silent -> exit 2 err[P: error: --path: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--silent", "-p"},                  "silent -> exit 2 err[P: error: --path: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--silent", "/path"},               "silent -> exit 2 err[P: error: /path: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--silent", "--msi-log-file"},      "silent -> exit 2 err[P: error: --msi-log-file: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--silent", "-msilogfile"},         "silent -> exit 2 err[P: error: -msilogfile: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--silent", "-m"},                  "silent -> exit 2 err[P: error: --msiparams: RTGetOpt: Command line option needs argument.\n]"},
    {__LINE__, {"--msiparams"},                     "- -> exit 2 boxW(10)[Parameter parsing error: QERR_GETOPT_REQUIRED_ARGUMENT_MISSING" REFER "]"},
    {__LINE__, {"--msi-prop"},                      "- -> exit 2 boxW(10)[Parameter parsing error: QERR_GETOPT_REQUIRED_ARGUMENT_MISSING" REFER "]"},
    {__LINE__, {"--silent", "--msi-prop"},          "silent -> exit 2 err[P: error: --msi-prop: RTGetOpt: Command line option needs argument.\n]"},
    // A value taken from the next argument is taken as it is.
    {__LINE__, {"--path", "--silent"},              "path=[{CWD}\\--silent] -> go"},
    {__LINE__, {"--msiparams", "--silent"},         "params=[--silent] -> go"},

    // The later of two settings wins; an empty path goes back to the default.
    {__LINE__, {"--force-install-timestamp-ca", "--no-install-timestamp-ca"}, "nots forcets -> go"},
    {__LINE__, {"--no-install-timestamp-ca", "--force-install-timestamp-ca"}, "forcets -> go"},
    {__LINE__, {"--path", "C:\\a", "-p", "C:\\b"},    "path=[C:\\b] -> go"},
    {__LINE__, {"--path", "C:\\a", "--path="},       "- -> go"},
    {__LINE__, {"-p="},                             "- -> go"},
    {__LINE__, {"--msi-log-file", "C:\\a", "-msilogfile="}, "- -> go"},
    {__LINE__, {"--path=C:\\a\\..\\b\\.\\c"},    "path=[C:\\b\\c] -> go"},
    {__LINE__, {"--path", "sub\\..\\rel"},        "path=[{CWD}\\rel] -> go"},
    {__LINE__, {"--msi-log-file", "log.txt"},       "logfile=[{CWD}\\log.txt] -> go"},

    // Help and version end the command line; what follows is not looked at.
    {__LINE__, {"--help", "--bogus"},               "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"--version", "--help"},             "- -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"--help", "--silent"},              "- -> exit 0 boxW(40)[{HELP}]"},
    {__LINE__, {"--silent", "--help"},              "silent -> exit 0 out[{HELP}\n]"},
    {__LINE__, {"--silent", "--version"},           "silent -> exit 0 out[Version: {VER}\n]"},
    {__LINE__, {"-x", "--version", "-s"},           "x -> exit 0 boxW(40)[Version: {VER}]"},
    {__LINE__, {"--bogus", "--help"},               "- -> exit 2 boxW(10)[Unknown option \"--bogus\"" REFER "]"},
};

const OptionCase g_aParamsCases[] = {
    // Separators and bare arguments.
    {__LINE__, {"--msiparams", "A=1", "B=2"},       "params=[A=1 B=2] -> go"},
    {__LINE__, {"--msiparams", "A=1", "--msiparams", "B=2"}, "params=[A=1 B=2] -> go"},
    {__LINE__, {"FOO=1"},                           "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"--silent", "FOO=1"},               "silent -> exit 2 err[P: error: Invalid parameter: FOO=1\n]"},
    {__LINE__, {"--msiparams", "A=1", "FOO=1"},     "params=[A=1 FOO=1] -> go"},
    {__LINE__, {"--reinstall", "FOO=1"},            "params=[REINSTALLMODE=vomus REINSTALL=ALL FOO=1] -> go"},
    {__LINE__, {"--msiparams", "A=1", "--reinstall", "--reinstall"},
               "params=[A=1 REINSTALLMODE=vomus REINSTALL=ALL REINSTALLMODE=vomus REINSTALL=ALL] -> go"},
    {__LINE__, {"--msiparams", ""},                 "- -> go"},
    {__LINE__, {"--msiparams", "", "FOO"},          "- -> exit 2 boxW(10)[Parameter parsing error: QINF_GETOPT_NOT_OPTION" REFER "]"},
    {__LINE__, {"--msiparams", "", "--msiparams", "A"}, "params=[A] -> go"},
    // The help's example, split by a shell, is put back together.
    {__LINE__, {"--msiparams", "INSTALLDIR=\"C:\\Program", "Files\\Quillarium\""},
               "params=[INSTALLDIR=\"C:\\Program Files\\Quillarium\"] -> go"},

    // Properties: quoted for blanks, empty values and double quotes, inner quotes doubled.
    {__LINE__, {"--msi-prop", "NAME", "value"},     "params=[NAME=value] -> go"},
    {__LINE__, {"--msi-prop", "NAME", "a b"},       "params=[NAME=\"a b\"] -> go"},
    {__LINE__, {"--msi-prop", "NAME", "a\tb"},      "params=[NAME=\"a\tb\"] -> go"},
    {__LINE__, {"--msi-prop", "NAME", "a\nb"},      "params=[NAME=\"a\nb\"] -> go"},
    {__LINE__, {"--msi-prop", "NAME", "a\rb"},      "params=[NAME=\"a\rb\"] -> go"},
    {__LINE__, {"--msi-prop", "A", "1", "--msi-prop", "B", "2"}, "params=[A=1 B=2] -> go"},
    {__LINE__, {"--msiparams", "X=1", "--msi-prop", "A", "1"},   "params=[X=1 A=1] -> go"},
    {__LINE__, {"--msi-prop", "X", ""},             "params=[X=\"\"] -> go"},
    {__LINE__, {"--msi-prop", "X", "", "--msi-prop", "Q", "1"},  "params=[X=\"\" Q=1] -> go"},
    {__LINE__, {"--msi-prop", "P", "say \"hi\" now"}, "params=[P=\"say \"\"hi\"\" now\"] -> go"},
    {__LINE__, {"--msi-prop", "P", "a\"b"},         "params=[P=\"a\"\"b\"] -> go"},
    {__LINE__, {"--msi-prop", "P", "\""},           "params=[P=\"\"\"\"] -> go"},
    {__LINE__, {"--msi-prop", "P", "x\" QUILOK=\"1"}, "params=[P=\"x\"\" QUILOK=\"\"1\"] -> go"},
    {__LINE__, {"--msi-prop", "P", "-x"},           "params=[P=-x] -> go"},
    {__LINE__, {"--msi-prop", "P", "--silent"},     "params=[P=--silent] -> go"},
    {__LINE__, {"--msi-prop", "A=1", "x"},          "params=[A=1=x] -> go"},
    // Refused names and a missing value.
    {__LINE__, {"--msi-prop", "A B", "x"},          "- -> exit 2 boxW(10)[The first argument to --msi-prop must not contain spaces: A B]"},
    {__LINE__, {"--msi-prop", "A\tB", "x"},         "- -> exit 2 boxW(10)[The first argument to --msi-prop must not contain spaces: A\tB]"},
    {__LINE__, {"--msi-prop", "A\nB", "x"},         "- -> exit 2 boxW(10)[The first argument to --msi-prop must not contain spaces: A\nB]"},
    {__LINE__, {"--msi-prop", "A\rB", "x"},         "- -> exit 2 boxW(10)[The first argument to --msi-prop must not contain spaces: A\rB]"},
    {__LINE__, {"--silent", "--msi-prop", "A B", "x"}, "silent -> exit 2 err[P: error: The first argument to --msi-prop must not contain spaces: A B\n]"},
    {__LINE__, {"--msi-prop", "NAME"},              "- -> exit 2 boxW(10)[--msi-prop takes two arguments, the 2nd is missing]"},
    {__LINE__, {"-s", "-PNAME"},                    "silent -> exit 2 err[P: error: --msi-prop takes two arguments, the 2nd is missing\n]"},
    {__LINE__, {"--msi-prop", "", ""},              "- -> exit 2 boxW(10)[The first argument to --msi-prop must not be empty]"},
    {__LINE__, {"--msi-prop", "", "x"},             "- -> exit 2 boxW(10)[The first argument to --msi-prop must not be empty]"},
    {__LINE__, {"--msi-prop="},                     "- -> exit 2 boxW(10)[The first argument to --msi-prop must not be empty]"},
    {__LINE__, {"--msiparams", "X=1", "--msi-prop", "", ""}, "params=[X=1] -> exit 2 boxW(10)[The first argument to --msi-prop must not be empty]"},
    {__LINE__, {"--silent", "--msi-prop=", "x"},    "silent -> exit 2 err[P: error: The first argument to --msi-prop must not be empty\n]"},
};
// clang-format on

TEST(StubOptions, EveryForm) {
    for (const OptionCase &c : g_aFormCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(expand(c.pszExpect), runOptions(c.Args));
    }
}

TEST(StubOptions, MsiParams) {
    for (const OptionCase &c : g_aParamsCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(expand(c.pszExpect), runOptions(c.Args));
    }
}

// msiParams holds at most 4095 characters, whichever way an addition comes: an
// addition that reaches 4096 is refused and leaves msiParams as it was.
TEST(StubOptions, MsiParamsBoundary) {
    enum Kind { kParams, kBare, kReinstall, kProp, kPropQuoted };
    const struct {
        int iLine;
        size_t cchBefore; // "a" characters already there (0: none)
        Kind enmKind;
        size_t cchAdd; // characters of the added text, or of the property value
        bool fAccepted;
    } aCases[] = {
        {__LINE__, 0, kParams, 4095, true},
        {__LINE__, 0, kParams, 4096, false},
        {__LINE__, 4000, kParams, 94, true}, // 4000 + separator + 94
        {__LINE__, 4000, kParams, 95, false},
        {__LINE__, 4094, kParams, 0, true},  // the separator alone fits
        {__LINE__, 4095, kParams, 0, false}, // the separator alone does not
        {__LINE__, 4000, kBare, 94, true},
        {__LINE__, 4000, kBare, 95, false},
        {__LINE__, 4061, kReinstall, 0, true}, // 4061 + 1 + 33
        {__LINE__, 4062, kReinstall, 0, false},
        {__LINE__, 0, kProp, 4093, true}, // "N=" + value
        {__LINE__, 0, kProp, 4094, false},
        {__LINE__, 4000, kProp, 92, true}, // 4000 + " N=" + value
        {__LINE__, 4000, kProp, 93, false},
        {__LINE__, 4000, kPropQuoted, 90, true}, // 4000 + " N=\"" + value + "\""
        {__LINE__, 4000, kPropQuoted, 91, false},
    };
    static InstallOptions s_Opts;
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        std::vector<std::string> Args;
        std::string const Before(c.cchBefore, 'a');
        if (c.cchBefore) Args = {"--msiparams", Before};
        std::string Added = std::string(c.cchAdd, 'b');
        switch (c.enmKind) {
        case kParams:
            Args.insert(Args.end(), {"--msiparams", Added});
            break;
        case kBare:
            Args.push_back(Added);
            break;
        case kReinstall:
            Args.push_back("--reinstall");
            Added = "REINSTALLMODE=vomus REINSTALL=ALL";
            break;
        case kProp:
            Args.insert(Args.end(), {"--msi-prop", "N", Added});
            Added = "N=" + Added;
            break;
        case kPropQuoted:
            Added[10] = ' ';
            Args.insert(Args.end(), {"--msi-prop", "N", Added});
            Added = "N=\"" + Added + "\"";
            break;
        }
        std::string const Summary = runOptions(Args, &s_Opts);
        if (c.fAccepted) {
            EXPECT_EQ(" -> go", Summary.substr(Summary.size() - 6));
            EXPECT_EQ(4095u, strlen(s_Opts.msiParams));
            EXPECT_EQ(c.cchBefore ? Before + " " + Added : Added, s_Opts.msiParams);
        } else {
            EXPECT_NE(std::string::npos, Summary.find("-> exit 2 boxW(10)[Out of space for MSI "
                                                      "parameters and properties]"));
            EXPECT_EQ(Before, s_Opts.msiParams);
        }
    }
}

// A path that cannot be made absolute within the buffer is a command-line
// error.
TEST(StubOptions, PathTooLong) {
    std::string const Long = std::string("C:\\") + std::string(4200, 'd');
    const struct {
        int iLine;
        std::vector<std::string> Args;
        const char *pszExpect;
    } aCases[] = {
        {__LINE__, {"--path", Long}, "- -> exit 2 boxW(10)[Extraction path is too long (QERR_BUFFER_OVERFLOW)]"},
        {__LINE__,
         {"--msi-log-file", Long},
         "- -> exit 2 boxW(10)[MSI log file path is too long (QERR_BUFFER_OVERFLOW)]"},
        {__LINE__,
         {"-s", "-p" + Long},
         "silent -> exit 2 err[P: error: Extraction path is too long (QERR_BUFFER_OVERFLOW)\n]"},
        // A path of 4099 characters fits the buffer with its terminator.
        {__LINE__, {"--path", Long.substr(0, 4099)}, ""},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        static InstallOptions s_Opts;
        std::string const Summary = runOptions(c.Args, &s_Opts);
        if (*c.pszExpect)
            EXPECT_EQ(c.pszExpect, Summary);
        else {
            EXPECT_EQ(" -> go", Summary.substr(Summary.size() - 6));
            EXPECT_EQ(Long.substr(0, 4099), s_Opts.extractPath);
        }
    }
}

// The help as it reaches standard output in silent mode, and its shape.
TEST(StubOptionsHelp, SilentHelpOnStandardOutput) {
    EXPECT_EQ("silent -> exit 0 out[" + goldenHelp() + "\n]", runOptions({"--silent", "--help"}));

    InstallOptions Opts;
    InstallOptionsInit(&Opts);
    std::string Program = "C:\\Quil\\setup.exe", Silent = "-s", Help = "-?";
    char *apszArgs[] = {&Program[0], &Silent[0], &Help[0], nullptr};
    StubCapture Capture;
    int iExit = -1;
    EXPECT_FALSE(ParseInstallOptions(&Opts, 3, apszArgs, &iExit));
    EXPECT_EQ(0, iExit);
    std::string const Out = Capture.Out();
    EXPECT_EQ(replaceAll(goldenHelp(), "  setup.exe", "  C:\\Quil\\setup.exe") + "\n", Out);
    // 43 lines, exactly one final line feed, no trailing blanks; 17 lines
    // indented by four, four by three and two by two.
    size_t cLines = 0, aIndent[5] = {0};
    for (size_t off = 0; off < Out.size();) {
        size_t offEnd = Out.find('\n', off);
        ASSERT_NE(std::string::npos, offEnd);
        std::string const Line = Out.substr(off, offEnd - off);
        cLines++;
        EXPECT_TRUE(Line.empty() || Line.back() != ' ') << Line;
        size_t const cIndent = Line.find_first_not_of(' ');
        if (cIndent != std::string::npos && cIndent < 5) aIndent[cIndent]++;
        off = offEnd + 1;
    }
    EXPECT_EQ(43u, cLines);
    EXPECT_NE('\n', Out[Out.size() - 2]);
    EXPECT_EQ(17u, aIndent[4]);
    EXPECT_EQ(4u, aIndent[3]);
    EXPECT_EQ(2u, aIndent[2]);
}

// An interactive help or version: one box with the information icon, nothing on
// the streams.
TEST(StubOptionsHelp, InteractiveOneBox) {
    EXPECT_EQ("- -> exit 0 boxW(40)[" + goldenHelp() + "]", runOptions({"--help"}));
    EXPECT_EQ("- -> exit 0 boxW(40)[Version: " + versionText() + "]", runOptions({"/version"}));
}

// The table itself: 36 rows in their fixed order, each long form matching its own row, each
// short form the first row with its letter, and the parser's "-?" its own help row.
TEST(StubOptionsTable, RowsAndShortForms) {
    ASSERT_EQ(36u, g_cInstallOptionDescs);
    const char *const apszLong[] = {"--extract",
                                    "-extract",
                                    "/extract",
                                    "--silent",
                                    "-silent",
                                    "/silent",
                                    "--no-silent-cert",
                                    "-no-silent-cert",
                                    "/no-silent-cert",
                                    "--no-install-timestamp-ca",
                                    "--force-install-timestamp-ca",
                                    "--logging",
                                    "-logging",
                                    "--msi-log-file",
                                    "-msilogfile",
                                    "/logging",
                                    "--path",
                                    "-path",
                                    "/path",
                                    "--msiparams",
                                    "-msiparams",
                                    "--msi-prop",
                                    "--reinstall",
                                    "-reinstall",
                                    "/reinstall",
                                    "--ignore-reboot",
                                    "--verbose",
                                    "-verbose",
                                    "/verbose",
                                    "--version",
                                    "-version",
                                    "/version",
                                    "--help",
                                    "-help",
                                    "/help",
                                    "/?"};
    const struct {
        int iLine;
        const char *pszArg;
        int iRow; // -1: a row of the parser's own
    } aShort[] = {
        {__LINE__, "-x", 0},  {__LINE__, "-s", 3},   {__LINE__, "-c", 6},   {__LINE__, "-t", 9},   {__LINE__, "-T", 10},
        {__LINE__, "-l", 11}, {__LINE__, "-pv", 16}, {__LINE__, "-mv", 19}, {__LINE__, "-Pv", 21}, {__LINE__, "-f", 22},
        {__LINE__, "-r", 25}, {__LINE__, "-v", 26},  {__LINE__, "-V", 29},  {__LINE__, "-h", 32},  {__LINE__, "-?", -1},
    };
    auto parseOne = [](const char *pszArg, RTGETOPTSTATE *pState) {
        static char s_szProgram[] = "setup.exe";
        static char s_szArg[64];
        snprintf(s_szArg, sizeof(s_szArg), "%s", pszArg);
        static char *s_apszArgv[] = {s_szProgram, s_szArg, nullptr};
        RTGETOPTVALUE Value;
        EXPECT_EQ(QINF_SUCCESS,
                  RTGetOptInit(pState, 2, s_apszArgv, g_aInstallOptionDescs, g_cInstallOptionDescs, 1, 0));
        return RTGetOpt(pState, &Value);
    };
    for (uint32_t i = 0; i < g_cInstallOptionDescs; i++) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(apszLong[i], g_aInstallOptionDescs[i].pszLong);
        std::string const Arg = std::string(apszLong[i]) + (g_aInstallOptionDescs[i].fFlags ? "=v" : "");
        RTGETOPTSTATE State;
        EXPECT_EQ(g_aInstallOptionDescs[i].iId, parseOne(Arg.c_str(), &State));
        EXPECT_EQ(&g_aInstallOptionDescs[i], State.pCurDesc);
    }
    for (const auto &c : aShort) {
        SCOPED_TRACE(c.iLine);
        RTGETOPTSTATE State;
        int const iId = parseOne(c.pszArg, &State);
        if (c.iRow >= 0) {
            EXPECT_EQ(&g_aInstallOptionDescs[c.iRow], State.pCurDesc);
            EXPECT_EQ(g_aInstallOptionDescs[c.iRow].iId, iId);
        } else {
            EXPECT_EQ('h', iId);
            EXPECT_TRUE(State.pCurDesc < &g_aInstallOptionDescs[0] ||
                        State.pCurDesc >= &g_aInstallOptionDescs[g_cInstallOptionDescs]);
        }
    }
}

} // namespace
