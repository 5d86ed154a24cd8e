// What the end-to-end tests share: where the build put things, files and directories, the
// runs of a program with the harness's environment, and the texts the stub's messages take.
// Every path is a Windows path (the build tree is reached through drive Z:).
#pragma once

#include "e2e-process.h"
#include "e2e-record.h"
#include "e2e-relay.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// Set by run-case.sh: the build's e2e directory (packages, helpers), the sources of the tests,
// the group's work directory, quilpack.exe, QuilStub.exe (may be empty) and the prefix kind.
struct HarnessPaths {
    std::wstring assets, source, work, quilpack, stub, arch;
};
const HarnessPaths &Paths();
std::wstring Asset(const std::wstring &name);
std::wstring Join(const std::wstring &dir, const std::wstring &name);
std::wstring ParentOf(const std::wstring &path);
std::wstring FileNameOf(const std::wstring &path);

// Whole files. ReadBytes gives "" for a missing file and says so through *pfOk.
std::string ReadBytes(const std::wstring &path, bool *pfOk = nullptr);
bool WriteBytes(const std::wstring &path, const std::string &bytes);
bool CopyTo(const std::wstring &from, const std::wstring &to);
bool IsFile(const std::wstring &path);
uint64_t FileSize(const std::wstring &path); // 0 for a missing file
bool IsDir(const std::wstring &path);
bool MakeDir(const std::wstring &path);
void RemoveTree(const std::wstring &path);
// The names in DIR, sorted; directories end in '\'. Empty for a missing directory.
std::vector<std::string> ListDir(const std::wstring &dir);
// Names joined with spaces, for comparing a listing in one line.
std::string Joined(const std::vector<std::string> &names);

// FNV-1a, 64 bits, in 16 lower-case hex digits (what the msi.dll double records).
std::string Fnv1a(const std::string &bytes);
// Line feeds as a text-mode stream writes them: "\n" becomes "\r\n".
std::string Crlf(const std::string &text);
// Output lines written by the program messages: each line of TEXT (a CR before its LF
// dropped) as "PROGRAM: KIND TEXT\r\n"; an empty line as "\r\n".
std::string MessageLines(const std::string &program, const std::string &kind, const std::string &text);
// The system's text for a Windows error in this prefix, as FormatMessageW gives it (0x1300,
// no module, the user's default language); "" when there is none.
std::string SystemMessage(uint32_t code);
// The program's environment variable, "" when unset.
std::wstring GetEnv(const std::wstring &name);

// Makes the program named PROGRAM (a file name such as "setup.exe") load the msi.dll double
// from the system directory instead of Wine's own msi (FDOUBLE), or stop doing so. A
// per-program DLL override in the registry: WINEDLLOVERRIDES in a program's environment does
// not reach the programs it starts, Wine hands them its own.
bool SelectMsiDouble(const std::wstring &program, bool fDouble);

// A fresh, empty directory for the running test: WORK\Suite.Test.
std::wstring TestDir();

// One run of a program with the harness's environment.
struct RunOptions {
    std::wstring argv0 = L"setup.exe"; // the command line's first token
    std::wstring directory;            // its current directory; empty: the program's
    bool msiDouble = true;             // the program loads the msi.dll double (SelectMsiDouble)
    std::string msiResults;            // the double's QUIL_E2E_MSI_* settings
    std::string msiUiResult;
    std::string msiLogResult;
    std::wstring msiSpawn;
    bool relay = false;                                     // trace the message boxes
    std::vector<std::pair<std::wstring, std::wstring>> env; // more settings ("" value: unset)
    uint32_t timeoutMs = 60000;
};

struct RunResult {
    LaunchResult launch;
    uint32_t exitCode = 0;
    std::string out;               // standard output, as written
    std::string err;               // standard error, as written
    std::string trace;             // the relay trace lines (relay runs)
    std::wstring temp;             // the run's own temporary directory (TMP and TEMP)
    std::vector<std::string> left; // what is in it after the run
    std::vector<RecordedCall> msi; // what the msi.dll double was called with
    std::vector<BoxCall> boxes;    // the message boxes shown (relay runs)
    // "exit=N out=[...] err=[...]" for failure messages.
    std::string summary() const;
};

// Runs PROGRAM with the command line "ARGV0 ARGS" (ARGS exactly as given) in a temporary
// directory of its own under DIR; outputs and records go to DIR as well.
RunResult RunProgram(const std::wstring &dir, const std::wstring &program, const std::wstring &args,
                     const RunOptions &options = RunOptions());

// Packs FILES into the stub as OUTPUT with quilpack.exe: each item is an architecture ("all",
// "x86", "amd64" or a number) and a file. Returns quilpack's exit code; its standard error
// goes to *pErr.
struct PackItem {
    std::string arch;
    std::wstring file;
};
uint32_t Pack(const std::wstring &stub, const std::wstring &output, const std::vector<PackItem> &items,
              std::string *pErr = nullptr);

} // namespace e2e
