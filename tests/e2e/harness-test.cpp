// The end-to-end harness checked on its own, before anything of it is trusted with the stub:
// the launcher's exit codes and command lines, the environment of a run, the holding helpers,
// the msi.dll double, the relay trace of message boxes and the prefix templates.
#include "e2e-harness.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace e2e {
namespace {

std::wstring ProbePath() {
    return Asset(L"e2e-probe.exe");
}

RunResult Probe(const std::wstring &dir, const std::wstring &args, RunOptions options = RunOptions()) {
    options.argv0 = L"e2e-probe.exe";
    return RunProgram(dir, ProbePath(), args, options);
}

// "Name key=value ..." for the named fields of a recorded call, in the order asked for.
std::string CallLine(const RecordedCall &call, const std::vector<std::string> &keys) {
    std::string line = call.name;
    for (const auto &key : keys) line += " " + key + "=" + call.get(key);
    return line;
}

TEST(E2eLauncher, FullExitCodes) {
    std::wstring const dir = TestDir();
    static const struct {
        int line;
        const wchar_t *args;
        uint32_t code;
        const char *printed;
    } s_rows[] = {
        {__LINE__, L"exit 0", 0, "exit code 0 (0x00000000)"},
        {__LINE__, L"exit 1", 1, "exit code 1 (0x00000001)"},
        {__LINE__, L"exit 1603", 1603, "exit code 1603 (0x00000643)"},
        {__LINE__, L"exit 3010", 3010, "exit code 3010 (0x00000BC2)"},
        {__LINE__, L"exit 0x80000003", 0x80000003, "exit code 2147483651 (0x80000003)"},
        {__LINE__, L"exit 0xFFFFFFFE", 0xFFFFFFFE, "exit code 4294967294 (0xFFFFFFFE)"},
        // A real breakpoint trap: the prefix's post-mortem debugger is missing, so it ends at once.
        {__LINE__, L"breakpoint", 0x80000003, "exit code 2147483651 (0x80000003)"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const direct = Probe(dir, row.args);
        EXPECT_EQ(row.code, direct.exitCode);

        // The launcher program prints the same code in full.
        std::wstring const printed = Join(dir, L"printed.txt");
        LaunchSpec spec;
        spec.application = Asset(L"e2e-launch.exe");
        spec.commandLine =
            L"e2e-launch.exe --stdout NUL --cmdline " + QuoteArgument(QuoteArgument(ProbePath()) + L" " + row.args);
        spec.stdoutPath = printed;
        LaunchResult const launcher = Launch(spec);
        EXPECT_EQ(0u, launcher.exitCode);
        EXPECT_EQ(std::string(row.printed) + "\r\n", ReadBytes(printed));
    }
}

TEST(E2eLauncher, PrintsTheTimeItRan) {
    std::wstring const dir = TestDir();
    std::wstring const printed = Join(dir, L"printed.txt");
    LaunchSpec spec;
    spec.application = Asset(L"e2e-launch.exe");
    spec.commandLine = L"e2e-launch.exe --time --stdout NUL --cmdline " +
                       QuoteArgument(QuoteArgument(Asset(L"e2e-hold.exe")) + L" file " +
                                     QuoteArgument(Asset(L"e2e-hold.exe")) + L" 1");
    spec.stdoutPath = printed;
    EXPECT_EQ(0u, Launch(spec).exitCode);
    std::string const timed = ReadBytes(printed);
    double seconds = -1;
    EXPECT_EQ(1, sscanf(timed.c_str(), "exit code 0 (0x00000000)\r\nseconds %lf\r\n", &seconds)) << timed;
    // The helper held its file for one second.
    EXPECT_GE(seconds, 0.95);
    EXPECT_LT(seconds, 60.0);
}

TEST(E2eLauncher, LauncherUsageAndStartFailures) {
    std::wstring const dir = TestDir();
    static const struct {
        int line;
        const wchar_t *args;
        uint32_t code;
    } s_rows[] = {
        {__LINE__, L"", 2},
        {__LINE__, L"--cmdline", 2},
        {__LINE__, L"--bogus x --cmdline y", 2},
        {__LINE__, L"--env NOEQUALS --cmdline y", 2},
        {__LINE__, L"--timeout 0 --cmdline y", 2},
        {__LINE__, L"--cmdline no-such-program.exe", 1},
        {__LINE__, L"--timeout 1 --cmdline \"e2e-hold.exe file e2e-hold.exe 5\"", 1},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.argv0 = L"e2e-launch.exe";
        options.directory = Paths().assets;
        RunResult const run = RunProgram(dir, Asset(L"e2e-launch.exe"), row.args, options);
        EXPECT_EQ(row.code, run.exitCode) << run.summary();
        EXPECT_EQ(std::string::npos, run.out.find("exit code")) << run.summary();
    }
}

TEST(E2eLauncher, ExactCommandLine) {
    std::wstring const dir = TestDir();
    // The command line arrives exactly as written, including the help's own example, which
    // the two Windows parsers split differently.
    static const wchar_t *const s_lines[] = {
        L"args a b",
        L"args  two  blanks ",
        L"args --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Quillarium\"\"\"",
        L"args --msi-prop NAME \"say \\\"hi\\\" now\"",
        L"args \xe9\x2713",
    };
    for (const wchar_t *pwszLine : s_lines) {
        SCOPED_TRACE(WideToUtf8(pwszLine));
        RunResult const run = Probe(dir, pwszLine);
        std::vector<RecordedCall> const calls = RecordParse(run.out);
        ASSERT_EQ(1u, calls.size()) << run.summary();
        EXPECT_EQ(WideToUtf8(std::wstring(L"e2e-probe.exe ") + pwszLine), calls[0].get("cmdline"));
    }
    // Arguments quoted with QuoteArgument come back unchanged, through both parsers.
    static const struct {
        int line;
        const wchar_t *arg;
    } s_args[] = {
        {__LINE__, L""},           {__LINE__, L"plain"},        {__LINE__, L"a b"},        {__LINE__, L"a\"b"},
        {__LINE__, L"trailing\\"}, {__LINE__, L"with blank\\"}, {__LINE__, L"\\\\s\\x y"}, {__LINE__, L"\\\"q\\\\\""},
        {__LINE__, L"tab\there"},  {__LINE__, L"\xe9\x2713"},
    };
    for (const auto &row : s_args) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const run = Probe(dir, L"args " + QuoteArgument(row.arg) + L" end");
        std::vector<RecordedCall> const calls = RecordParse(run.out);
        ASSERT_EQ(1u, calls.size()) << run.summary();
        std::vector<std::string> const argv = calls[0].all("argv");
        ASSERT_EQ(4u, argv.size()) << run.summary();
        EXPECT_EQ(WideToUtf8(row.arg), argv[2]);
        EXPECT_EQ("end", argv[3]);
        int cArgs = 0;
        wchar_t **papwsz = CommandLineToArgvW((L"x " + QuoteArgument(row.arg) + L" end").c_str(), &cArgs);
        ASSERT_EQ(3, cArgs);
        EXPECT_EQ(std::wstring(row.arg), papwsz[1]);
        LocalFree(papwsz);
    }
}

TEST(E2eLauncher, RunEnvironment) {
    std::wstring const dir = TestDir();
    // The run must not inherit a temporary directory or runtime settings from its caller.
    SetEnvironmentVariableW(L"QURT_TMPDIR", L"C:\\inherited");
    SetEnvironmentVariableW(L"QUIL_LOG", L"all");
    SetEnvironmentVariableW(L"E2E_KEPT", L"kept");
    RunOptions options;
    options.env = {{L"E2E_ADDED", L"added value"}, {L"E2E_KEPT", L""}};
    static const struct {
        int line;
        const wchar_t *name;
        const char *expected; // "" for the run's own temporary directory
    } s_rows[] = {
        {__LINE__, L"TMP", ""},
        {__LINE__, L"TEMP", ""},
        {__LINE__, L"QURT_TMPDIR", "env-unset"},
        {__LINE__, L"QUIL_LOG", "env-unset"},
        {__LINE__, L"E2E_ADDED", "env added value"},
        {__LINE__, L"E2E_KEPT", "env-unset"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunResult const run = Probe(dir, std::wstring(L"env ") + row.name, options);
        std::string expected = *row.expected ? row.expected : "env " + RecordEscape(WideToUtf8(run.temp));
        EXPECT_EQ(expected + "\r\n", run.out);
        EXPECT_TRUE(run.left.empty());
    }
    SetEnvironmentVariableW(L"QURT_TMPDIR", nullptr);
    SetEnvironmentVariableW(L"QUIL_LOG", nullptr);
    SetEnvironmentVariableW(L"E2E_KEPT", nullptr);
}

TEST(E2eHold, MutexUntilToldToStop) {
    std::wstring const dir = TestDir();
    RunResult const before = Probe(dir, L"mutex QuilStubInstaller");
    EXPECT_EQ("mutex 0\r\n", before.out);
    {
        PipedChild holder;
        ASSERT_EQ(0u, holder.start(Asset(L"e2e-hold.exe"), L"e2e-hold.exe mutex QuilStubInstaller"));
        ASSERT_EQ("holding", holder.readLine(20000));
        EXPECT_EQ("mutex 183\r\n", Probe(dir, L"mutex QuilStubInstaller").out); // ERROR_ALREADY_EXISTS
        EXPECT_EQ("mutex 0\r\n", Probe(dir, L"mutex SomeOtherName").out);
        holder.closeInput();
        uint32_t exitCode = 99;
        EXPECT_TRUE(holder.wait(20000, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }
    EXPECT_EQ("mutex 0\r\n", Probe(dir, L"mutex QuilStubInstaller").out);
}

TEST(E2eHold, FileWithoutDeleteSharing) {
    std::wstring const dir = TestDir();
    std::wstring const file = Join(dir, L"held.bin");
    ASSERT_TRUE(WriteBytes(file, "held"));
    {
        PipedChild holder;
        ASSERT_EQ(0u, holder.start(Asset(L"e2e-hold.exe"), L"e2e-hold.exe file " + QuoteArgument(file) + L" 3"));
        ASSERT_EQ("holding", holder.readLine(20000));
        EXPECT_EQ("delete 32\r\n", Probe(dir, L"delete " + QuoteArgument(file)).out); // sharing violation
        EXPECT_TRUE(IsFile(file));
        uint32_t exitCode = 99;
        EXPECT_TRUE(holder.wait(20000, &exitCode));
        EXPECT_EQ(0u, exitCode);
    }
    EXPECT_EQ("delete 0\r\n", Probe(dir, L"delete " + QuoteArgument(file)).out);
    EXPECT_FALSE(IsFile(file));

    PipedChild missing;
    ASSERT_EQ(0u, missing.start(Asset(L"e2e-hold.exe"), L"e2e-hold.exe file " + QuoteArgument(file) + L" 3"));
    EXPECT_EQ("error 2", missing.readLine(20000));
    uint32_t exitCode = 99;
    EXPECT_TRUE(missing.wait(20000, &exitCode));
    EXPECT_EQ(1u, exitCode);
}

TEST(E2eMsiDouble, RecordsAndReturnsWhatItIsTold) {
    std::wstring const dir = TestDir();
    std::wstring const package = Join(dir, L"sample.msi");
    ASSERT_TRUE(CopyTo(Asset(L"sample.msi"), package));
    std::string const bytes = ReadBytes(package);
    std::wstring const log = Join(dir, L"install.log");
    static const struct {
        int line;
        const wchar_t *args; // after "msi PACKAGE"
        const char *results, *ui, *logResult;
        const char *out;   // the probe's lines, "|" for each line end
        const char *calls; // the recorded calls, one line each, "|" between them
    } s_rows[] = {
        {__LINE__, L"A=1", "", "", "", "ui 1|install 0|",
         "MsiSetInternalUI level=2 window=null result=1|MsiInstallProductW command=A=1 result=0"},
        {__LINE__, L"\"P=\"\"x y\"\" Q=\"\"\"\"\" --log LOG", "3010", "", "", "ui 1|log 0|install 3010|",
         "MsiSetInternalUI level=2 window=null result=1|MsiEnableLogW mode=0x1000 path=LOG attributes=2 result=0|"
         "MsiInstallProductW command=P=\"x y\" Q=\"\" result=3010"},
        {__LINE__, L"\"\" --times 3", "1603,0", "0", "", "ui 0|install 1603|install 0|install 0|",
         "MsiSetInternalUI level=2 window=null result=0|MsiInstallProductW command= result=1603|"
         "MsiInstallProductW command= result=0|MsiInstallProductW command= result=0"},
        {__LINE__, L"N=\xe9\x2713 --log LOG", "0x80000003", "5", "1", "ui 5|log 1|install 2147483651|",
         "MsiSetInternalUI level=2 window=null result=5|MsiEnableLogW mode=0x1000 path=LOG attributes=2 result=1|"
         "MsiInstallProductW command=N=\xc3\xa9\xe2\x9c\x93 result=2147483651"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.msiResults = row.results;
        options.msiUiResult = row.ui;
        options.msiLogResult = row.logResult;
        std::wstring args = row.args;
        size_t const at = args.find(L"LOG");
        if (at != std::wstring::npos) args.replace(at, 3, QuoteArgument(log));
        RunResult const run = Probe(dir, L"msi " + QuoteArgument(package) + L" " + args, options);
        std::string out = row.out;
        for (size_t i; (i = out.find('|')) != std::string::npos;) out.replace(i, 1, "\r\n");
        EXPECT_EQ(out, run.out);

        std::string lines;
        for (const auto &call : run.msi) {
            std::vector<std::string> keys;
            if (call.name == "MsiSetInternalUI") keys = {"level", "window", "result"};
            if (call.name == "MsiEnableLogW") keys = {"mode", "path", "attributes", "result"};
            if (call.name == "MsiInstallProductW") {
                keys = {"command", "result"};
                EXPECT_EQ(WideToUtf8(package), call.get("package"));
                EXPECT_EQ(std::to_string(bytes.size()), call.get("package-size"));
                EXPECT_EQ(Fnv1a(bytes), call.get("package-fnv1a"));
                EXPECT_EQ("0", call.get("package-write-open")); // the probe does not hold it
                EXPECT_EQ(WideToUtf8(dir), call.get("directory"));
                EXPECT_EQ(WideToUtf8(ParentOf(ProbePath())), call.get("cwd"));
                std::vector<std::string> const entries = call.all("entry");
                EXPECT_NE(entries.end(),
                          std::find(entries.begin(), entries.end(), "sample.msi " + std::to_string(bytes.size())));
            }
            lines += (lines.empty() ? "" : "|") + CallLine(call, keys);
        }
        std::string expected = row.calls;
        size_t const logAt = expected.find("path=LOG");
        if (logAt != std::string::npos) expected.replace(logAt + 5, 3, WideToUtf8(log));
        EXPECT_EQ(expected, lines);
    }
}

TEST(E2eMsiDouble, SpawnsAHelperOnThePackage) {
    std::wstring const dir = TestDir();
    std::wstring const package = Join(dir, L"sample.msi");
    ASSERT_TRUE(CopyTo(Asset(L"sample.msi"), package));
    RunOptions options;
    options.msiSpawn = QuoteArgument(Asset(L"e2e-hold.exe")) + L" file {package} 2";
    // The installer's caller runs in a directory of its own, as the stub runs in its extraction
    // directory, which it removes while the helper still runs.
    options.directory = Join(dir, L"cwd");
    MakeDir(options.directory);
    RunResult const run = Probe(dir, L"msi " + QuoteArgument(package) + L" \"\"", options);
    ASSERT_EQ(2u, run.msi.size()) << run.summary();
    EXPECT_EQ("holding", run.msi[1].get("spawn"));
    // While the helper holds it, the package cannot be deleted.
    EXPECT_EQ("delete 32\r\n", Probe(dir, L"delete " + QuoteArgument(package)).out);
    // The caller's directory is not the helper's: it can go.
    EXPECT_TRUE(RemoveDirectoryW(options.directory.c_str())) << GetLastError();
}

TEST(E2eMsiDouble, OnlyWithTheOverride) {
    std::wstring const dir = TestDir();
    std::wstring const junk = Join(dir, L"junk.msi");
    ASSERT_TRUE(WriteBytes(junk, "not a database"));
    RunOptions options;
    options.msiDouble = false;
    options.msiResults = "0";
    RunResult const run = Probe(dir, L"msi " + QuoteArgument(junk) + L" \"\"", options);
    // Wine's own msi refuses the junk (the double would have returned 0) and records nothing.
    EXPECT_NE(std::string::npos, run.out.find("install ")) << run.summary();
    EXPECT_EQ(std::string::npos, run.out.find("install 0\r\n")) << run.summary();
    EXPECT_TRUE(run.msi.empty());
}

TEST(E2eRelay, BoxesFromTheTrace) {
    std::wstring const dir = TestDir();
    std::string const longText(1500, 'L');
    static const struct {
        int line;
        const wchar_t *api, *style, *text;
        const char *described;
    } s_rows[] = {
        {__LINE__, L"W", L"0x10", L"plain", "W owner=set style=0x10 title=[Quillarium Installer] text=[plain]"},
        {__LINE__, L"W", L"0x40", L"Unknown option \"--bogus\"\nPlease refer \\ to\tit \xe9\x2713",
         "W owner=set style=0x40 title=[Quillarium Installer] text=[Unknown option \"--bogus\"\nPlease refer \\ to\tit "
         "\xc3\xa9\xe2\x9c\x93]"},
        {__LINE__, L"A", L"0x10", L"narrow \xe9 \"q\"",
         "A owner=set style=0x10 title=[Quillarium Installer] text=[narrow \xc3\xa9 \"q\"]"},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        RunOptions options;
        options.relay = true;
        RunResult const run =
            Probe(dir, std::wstring(L"box ") + row.api + L" " + row.style + L" " + QuoteArgument(row.text), options);
        ASSERT_EQ(1u, run.boxes.size()) << run.trace;
        EXPECT_EQ(row.described, Describe(run.boxes[0]));
        EXPECT_TRUE(ShowsText(run.boxes[0], WideToUtf8(row.text)));
        EXPECT_EQ("", run.err); // the trace lines are taken out of standard error
    }

    RunOptions options;
    options.relay = true;
    RunResult const cut = Probe(dir, L"box W 0x40 " + Utf8ToWide(longText), options);
    ASSERT_EQ(1u, cut.boxes.size()) << cut.trace;
    EXPECT_TRUE(cut.boxes[0].textCut);
    EXPECT_TRUE(ShowsText(cut.boxes[0], longText));
    EXPECT_FALSE(ShowsText(cut.boxes[0], std::string(1500, 'M')));
    EXPECT_FALSE(ShowsText(cut.boxes[0], "L"));

    // Without the trace, or without a box, there is nothing to read.
    EXPECT_TRUE(Probe(dir, L"box W 0x10 untraced").boxes.empty());
    RunResult const none = Probe(dir, L"exit 0", options);
    EXPECT_TRUE(none.boxes.empty());
}

TEST(E2eRelay, ParsesTraceLines) {
    static const struct {
        int line;
        const char *trace;
        const char *described; // "" for no call
    } s_rows[] = {
        {__LINE__, "0024:Call user32.MessageBoxW(0001002c,0040c000 L\"a\\nb\",0040d000 L\"T\",00000010) ret=0040",
         "W owner=set style=0x10 title=[T] text=[a\nb]"},
        {__LINE__, "0024:Call user32.MessageBoxW(00000000,0040c000 L\"\\00e9\\2713\",0040d000 L\"T\",00000040) ret=0",
         "W owner=null style=0x40 title=[T] text=[\xc3\xa9\xe2\x9c\x93]"},
        {__LINE__, "0024:Call user32.MessageBoxA(0001002c,0040c000 \"\\xc3\\xa9\",0040d000 \"T\",00000010) ret=0",
         "A owner=set style=0x10 title=[T] text=[\xc3\xa9]"},
        {__LINE__, "0024:Call user32.MessageBoxW(0001002c,0040c000 L\"abc\"...,0040d000 L\"T\",00000010) ret=0",
         "W owner=set style=0x10 title=[T] text=[abc...]"},
        {__LINE__, "0024:Ret  user32.MessageBoxW() retval=ffffffff ret=0040", ""},
        {__LINE__, "0024:Call user32.MessageBoxW(0001002c,0040c000 L\"unterminated", ""},
        {__LINE__, "0024:Call user32.MessageBoxX(0001002c,0040c000 L\"a\",0040d000 L\"T\",00000010)", ""},
    };
    for (const auto &row : s_rows) {
        SCOPED_TRACE(testing::Message() << "row at line " << row.line);
        std::vector<BoxCall> const calls = ParseBoxCalls(row.trace);
        if (!*row.described) {
            EXPECT_TRUE(calls.empty());
            continue;
        }
        ASSERT_EQ(1u, calls.size());
        EXPECT_EQ(row.described, Describe(calls[0]));
    }
    EXPECT_TRUE(IsTraceLine("0024:Call user32.MessageBoxW(...)\n"));
    EXPECT_TRUE(IsTraceLine("0024:Ret  user32.MessageBoxW() retval=0\n"));
    EXPECT_FALSE(IsTraceLine("setup.exe: error: 0024:Call\r\n"));
    EXPECT_FALSE(IsTraceLine("24:Call x\n"));
}

TEST(E2eHost, TemplateSettings) {
    std::wstring const dir = TestDir();
    // The host matches the template: a 32-bit program sees WoW64 only in a 64-bit prefix.
    EXPECT_EQ(Paths().arch == L"win32" ? "wow64 0\r\n" : "wow64 1\r\n", Probe(dir, L"wow64").out);
    // Both templates are Wine's default, Windows 7 SP1 (6.1.7601).
    typedef LONG(WINAPI * PFNRTLGETVERSION)(OSVERSIONINFOW *);
    auto pfnRtlGetVersion = (PFNRTLGETVERSION)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    ASSERT_NE(nullptr, pfnRtlGetVersion);
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    ASSERT_EQ(0, pfnRtlGetVersion(&info));
    EXPECT_EQ("6.1.7601", std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                              std::to_string(info.dwBuildNumber));
    // A program under test starts without a console, so it can make one of its own.
    EXPECT_EQ("alloc-console 0\r\n", Probe(dir, L"alloc-console").out);
    // The post-mortem debugger points at nothing.
    wchar_t wsz[MAX_PATH] = L"";
    DWORD cb = sizeof(wsz);
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", L"Debugger",
                           RRF_RT_REG_SZ, nullptr, wsz, &cb));
    EXPECT_EQ(std::wstring(L"C:\\windows\\no-such-debugger.exe"), wsz);
    // The double lies in the system directory as msi.dll.
    wchar_t wszSys[MAX_PATH];
    GetSystemDirectoryW(wszSys, MAX_PATH);
    EXPECT_EQ(Fnv1a(ReadBytes(Asset(L"msi-double.dll"))), Fnv1a(ReadBytes(Join(wszSys, L"msi.dll"))));
}

} // namespace
} // namespace e2e
