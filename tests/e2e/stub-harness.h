// What the end-to-end cases of the packed stub share: a test directory per case, packing the
// sample packages into setup.exe, running it, and the exact texts its messages take on the
// standard streams.
#pragma once

#include "e2e-harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {

// Every case packs QuilStub.exe; without it (a build before the stub) the case is skipped.
class StubCase : public ::testing::Test {
protected:
    void SetUp() override;

    // Copies the build's package NAME (sample.msi, data1.cab, ...) into the case directory as AS.
    std::wstring Package(const std::wstring &name, const std::wstring &as = L"");
    // Packs ITEMS into the case directory as NAME with quilpack; the case fails if that fails.
    std::wstring Setup(const std::vector<PackItem> &items, const std::wstring &name = L"setup.exe");
    // Runs SETUP ("setup.exe" as its first argument) with ARGS in its own temporary directory.
    RunResult Run(const std::wstring &setup, const std::wstring &args, RunOptions options = RunOptions());

    std::wstring m_dir;
};

// The stub's version as its texts show it: "major.minor.buildrrevision".
std::string VersionText();
// The help text for a program invoked as PROGRAM, from the golden copy (without a final line feed).
std::string HelpText(const std::string &program);

// What the stub writes for a failure in silent mode: each line as "setup.exe: error: ...".
std::string ErrorOut(const std::string &text);
// A notice through the program messages ("setup.exe: info: ...").
std::string InfoOut(const std::string &text);
// A notice in silent mode: the text and one line feed, on standard output.
std::string NoticeOut(const std::string &text);
// A detail line on standard error: "error: " and the text, without the program name.
std::string DetailOut(const std::string &text);

// Whether NAME is 24 characters of [0-9a-z] followed by SUFFIX.
bool IsRandomName(const std::string &name, const std::string &suffix);
// The MsiInstallProductW calls of a run.
std::vector<RecordedCall> Installs(const RunResult &run);
// The calls of a run named NAME.
std::vector<RecordedCall> CallsNamed(const RunResult &run, const std::string &name);
// The text of the Windows error CODE that the stub shows: from "netmsg.dll" of the system
// directory for 2100 to 2999 when it has one, else from the system; "" when neither has one.
std::string InstallerErrorText(uint32_t code);

} // namespace e2e
