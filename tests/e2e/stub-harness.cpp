// What the end-to-end cases of the packed stub share: see stub-harness.h.
#include "stub-harness.h"

#include <quil-version.h>

#include <windows.h>

namespace e2e {

void StubCase::SetUp() {
    if (Paths().stub.empty()) GTEST_SKIP() << "QuilStub.exe is not built: the stub's cases cannot run";
    m_dir = TestDir();
}

std::wstring StubCase::Package(const std::wstring &name, const std::wstring &as) {
    std::wstring const path = Join(m_dir, as.empty() ? name : as);
    EXPECT_TRUE(CopyTo(Asset(name), path)) << WideToUtf8(name);
    return path;
}

std::wstring StubCase::Setup(const std::vector<PackItem> &items, const std::wstring &name) {
    std::wstring const output = Join(m_dir, name);
    MakeDir(ParentOf(output));
    std::string err;
    uint32_t const rc = Pack(Paths().stub, output, items, &err);
    EXPECT_EQ(0u, rc) << "quilpack: " << err;
    return output;
}

RunResult StubCase::Run(const std::wstring &setup, const std::wstring &args, RunOptions options) {
    return RunProgram(m_dir, setup, args, options);
}

std::string VersionText() {
    return std::to_string(QUIL_VERSION_MAJOR) + "." + std::to_string(QUIL_VERSION_MINOR) + "." +
           std::to_string(QUIL_VERSION_BUILD) + "r" + std::to_string(QUIL_VERSION_REVISION);
}

static void ReplaceAll(std::string &text, const std::string &what, const std::string &with) {
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += with.size())
        text.replace(at, what.size(), with);
}

std::string HelpText(const std::string &program) {
    bool fOk = false;
    std::string text = ReadBytes(Join(Join(Paths().source, L"golden"), L"help.txt"), &fOk);
    EXPECT_TRUE(fOk) << "the golden help text is missing";
    ReplaceAll(text, "@TITLE@", "Quillarium Installer");
    ReplaceAll(text, "@VERSION@", VersionText());
    ReplaceAll(text, "@PROGRAM@", program);
    return text;
}

std::string ErrorOut(const std::string &text) {
    return MessageLines("setup.exe", "error: ", text);
}

std::string InfoOut(const std::string &text) {
    return MessageLines("setup.exe", "info: ", text);
}

std::string NoticeOut(const std::string &text) {
    return Crlf(text + "\n");
}

std::string DetailOut(const std::string &text) {
    return Crlf("error: " + text + "\n");
}

bool IsRandomName(const std::string &name, const std::string &suffix) {
    if (name.size() != 24 + suffix.size() || name.compare(24, std::string::npos, suffix) != 0) return false;
    for (size_t i = 0; i < 24; i++)
        if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'z'))) return false;
    return true;
}

std::vector<RecordedCall> CallsNamed(const RunResult &run, const std::string &name) {
    std::vector<RecordedCall> calls;
    for (const auto &call : run.msi)
        if (call.name == name) calls.push_back(call);
    return calls;
}

std::vector<RecordedCall> Installs(const RunResult &run) {
    return CallsNamed(run, "MsiInstallProductW");
}

std::string InstallerErrorText(uint32_t code) {
    HMODULE hNetMsg = nullptr;
    if (code >= 2100 && code <= 2999) {
        wchar_t wszPath[MAX_PATH];
        UINT const cwc = GetSystemDirectoryW(wszPath, MAX_PATH);
        if (cwc && cwc < MAX_PATH - 12) {
            wcscat(wszPath, L"\\netmsg.dll");
            hNetMsg = LoadLibraryExW(wszPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        }
    }
    wchar_t *pwsz = nullptr;
    DWORD const fFlags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                         (hNetMsg ? FORMAT_MESSAGE_FROM_HMODULE : 0);
    DWORD const cwc = FormatMessageW(fFlags, hNetMsg, code, 0x400, (wchar_t *)&pwsz, 0, nullptr);
    std::string text = cwc && pwsz ? WideToUtf8(std::wstring(pwsz, cwc)) : std::string();
    if (pwsz) LocalFree(pwsz);
    if (hNetMsg) FreeLibrary(hNetMsg);
    return text;
}

} // namespace e2e
