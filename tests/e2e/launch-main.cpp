// e2e-launch: starts a program with an exact command line, waits for it and prints its full
// 32-bit exit code (a shell sees only the low byte of a Wine program's code).
//   e2e-launch [--app FILE] [--cwd DIR] [--stdin FILE] [--stdout FILE] [--stderr FILE]
//              [--env NAME=VALUE]... [--unset NAME]... [--timeout SECONDS] [--time] --cmdline COMMAND-LINE
// Standard handles without a file are ours. Prints "exit code 3010 (0x00000BC2)" and, with
// --time, "seconds 0.072513" (from the start to the end of the program); exits 0
// when the program ran to its end, 1 when it did not start or was stopped at the timeout, 2
// for a usage error.
#include "e2e-process.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

static int Usage(const wchar_t *pwszWhy) {
    fwprintf(stderr,
             L"e2e-launch: %ls\n"
             L"usage: e2e-launch [--app FILE] [--cwd DIR] [--stdin FILE] [--stdout FILE] [--stderr FILE]\n"
             L"                  [--env NAME=VALUE]... [--unset NAME]... [--timeout SECONDS] --cmdline LINE\n",
             pwszWhy);
    return 2;
}

int wmain(int argc, wchar_t **argv) {
    e2e::LaunchSpec spec;
    spec.inheritStd = true;
    e2e::Environment env;
    bool fEnv = false, fCommand = false, fTime = false;
    for (int i = 1; i < argc; i++) {
        std::wstring const opt = argv[i];
        if (opt == L"--time") {
            fTime = true;
            continue;
        }
        if (i + 1 >= argc) return Usage((L"missing value after " + opt).c_str());
        std::wstring const value = argv[++i];
        if (opt == L"--app")
            spec.application = value;
        else if (opt == L"--cwd")
            spec.directory = value;
        else if (opt == L"--stdin")
            spec.stdinPath = value;
        else if (opt == L"--stdout")
            spec.stdoutPath = value;
        else if (opt == L"--stderr")
            spec.stderrPath = value;
        else if (opt == L"--env") {
            size_t const eq = value.find(L'=');
            if (eq == std::wstring::npos || eq == 0) return Usage(L"--env takes NAME=VALUE");
            env.set(value.substr(0, eq), value.substr(eq + 1));
            fEnv = true;
        } else if (opt == L"--unset") {
            env.unset(value);
            fEnv = true;
        } else if (opt == L"--timeout") {
            wchar_t *pwszEnd = nullptr;
            unsigned long const seconds = wcstoul(value.c_str(), &pwszEnd, 10);
            if (!*value.c_str() || *pwszEnd || seconds == 0 || seconds > 86400) return Usage(L"bad --timeout");
            spec.timeoutMs = (uint32_t)(seconds * 1000);
        } else if (opt == L"--cmdline") {
            spec.commandLine = value;
            fCommand = true;
        } else
            return Usage((L"unknown option " + opt).c_str());
    }
    if (!fCommand || spec.commandLine.empty()) return Usage(L"--cmdline is required");
    if (fEnv) spec.environment = &env;

    e2e::LaunchResult const result = e2e::Launch(spec);
    if (result.startError) {
        fwprintf(stderr, L"e2e-launch: cannot start the program: error %lu\n", (unsigned long)result.startError);
        return 1;
    }
    if (result.timedOut) {
        fwprintf(stderr, L"e2e-launch: still running after the timeout: terminated\n");
        return 1;
    }
    printf("exit code %lu (0x%08lX)\n", (unsigned long)result.exitCode, (unsigned long)result.exitCode);
    if (fTime) printf("seconds %.6f\n", result.seconds);
    fflush(stdout);
    return 0;
}
