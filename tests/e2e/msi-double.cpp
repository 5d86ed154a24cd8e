// A test double for msi.dll: records every call the stub makes (see e2e-record.h) and returns
// what the test tells it through the environment. Copied over the test prefix's msi.dll and
// selected per program with a DLL override (see SelectMsiDouble in e2e-harness.h).
//   QUIL_E2E_MSI_RECORD      file the calls are appended to (nothing is recorded without it)
//   QUIL_E2E_MSI_RESULTS     results of successive MsiInstallProductW calls, comma-separated;
//                            after the last one, the last one again (default 0)
//   QUIL_E2E_MSI_UI_RESULT   what MsiSetInternalUI returns (default 1, the previous level)
//   QUIL_E2E_MSI_LOG_RESULT  what MsiEnableLogW returns (default 0)
//   QUIL_E2E_MSI_SPAWN       a command line started during MsiInstallProductW, "{package}"
//                            replaced by the package path; its first output line is awaited
//                            (30 s at most) and recorded before the call returns
#include "e2e-process.h"
#include "e2e-record.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::wstring GetEnv(const wchar_t *pwszName, bool *pfSet = nullptr) {
    wchar_t wsz[32768];
    DWORD const cwc = GetEnvironmentVariableW(pwszName, wsz, 32768);
    if (pfSet) *pfSet = cwc > 0 && cwc < 32768;
    return cwc > 0 && cwc < 32768 ? std::wstring(wsz, cwc) : std::wstring();
}

unsigned long GetEnvNumber(const wchar_t *pwszName, unsigned long ulDefault) {
    std::wstring const value = GetEnv(pwszName);
    return value.empty() ? ulDefault : wcstoul(value.c_str(), nullptr, 0);
}

std::string Text(const wchar_t *pwsz) {
    return pwsz ? e2e::WideToUtf8(pwsz) : std::string();
}

// Collects one call's fields and appends them to the record file.
class Record {
public:
    explicit Record(const char *pszCall) { add("call", pszCall); }
    void add(const std::string &key, const std::string &value) {
        m_text += key + " " + e2e::RecordEscape(value) + "\n";
    }
    void add(const std::string &key, unsigned long ul) { add(key, std::to_string(ul)); }
    void write() {
        std::wstring const path = GetEnv(L"QUIL_E2E_MSI_RECORD");
        if (path.empty()) return;
        HANDLE const h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return;
        DWORD cb = 0;
        WriteFile(h, m_text.data(), (DWORD)m_text.size(), &cb, nullptr);
        CloseHandle(h);
    }

private:
    std::string m_text;
};

// Size and FNV-1a hash of the package as it lies on disk, read beside the stub's own handle.
void RecordPackage(Record &rec, const wchar_t *pwszPackage) {
    HANDLE const h = CreateFileW(pwszPackage, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        rec.add("package-read-open", GetLastError());
        return;
    }
    uint64_t uHash = 0xcbf29ce484222325ULL;
    uint64_t cbTotal = 0;
    static BYTE s_abBuf[65536];
    DWORD cb = 0;
    while (ReadFile(h, s_abBuf, sizeof(s_abBuf), &cb, nullptr) && cb) {
        for (DWORD i = 0; i < cb; i++) uHash = (uHash ^ s_abBuf[i]) * 0x100000001b3ULL;
        cbTotal += cb;
    }
    CloseHandle(h);
    char sz[32];
    snprintf(sz, sizeof(sz), "%016llx", (unsigned long long)uHash);
    rec.add("package-size", std::to_string(cbTotal));
    rec.add("package-fnv1a", sz);
    // The stub holds its package against writers: opening it for writing must fail.
    HANDLE const hWrite =
        CreateFileW(pwszPackage, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    rec.add("package-write-open", hWrite == INVALID_HANDLE_VALUE ? GetLastError() : 0UL);
    if (hWrite != INVALID_HANDLE_VALUE) CloseHandle(hWrite);
}

// The directory the package lies in, one "entry NAME SIZE" (or "entry NAME dir") per object.
void RecordDirectory(Record &rec, const wchar_t *pwszPackage) {
    std::wstring dir = pwszPackage;
    size_t const slash = dir.find_last_of(L"\\/");
    dir = slash == std::wstring::npos ? L"." : dir.substr(0, slash);
    rec.add("directory", e2e::WideToUtf8(dir));
    std::vector<std::string> entries;
    WIN32_FIND_DATAW fd;
    HANDLE const hFind = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::wstring const name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::string entry = e2e::WideToUtf8(name) + " ";
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                entry += "dir";
            else
                entry += std::to_string(((uint64_t)fd.nFileSizeHigh << 32) | fd.nFileSizeLow);
            entries.push_back(entry);
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    std::sort(entries.begin(), entries.end());
    for (const auto &entry : entries) rec.add("entry", entry);
}

// Runs QUIL_E2E_MSI_SPAWN for the package and waits for its first line.
void Spawn(Record &rec, const wchar_t *pwszPackage) {
    std::wstring command = GetEnv(L"QUIL_E2E_MSI_SPAWN");
    if (command.empty()) return;
    size_t const at = command.find(L"{package}");
    if (at != std::wstring::npos) command.replace(at, 9, pwszPackage ? pwszPackage : L"");
    // Deliberately not destroyed: the helper keeps running after this call returns.
    auto *child = new e2e::PipedChild;
    // Started in the system directory: the installer's current directory (the extraction
    // directory) would otherwise be held open by the helper and could not be removed.
    wchar_t wszSystem[MAX_PATH] = L"";
    GetSystemDirectoryW(wszSystem, MAX_PATH);
    uint32_t const err = child->start(L"", command, nullptr, wszSystem);
    if (err) {
        rec.add("spawn-error", (unsigned long)err);
        return;
    }
    rec.add("spawn", child->readLine(30000));
}

unsigned g_cInstalls = 0;

} // namespace

extern "C" {

int __stdcall MsiSetInternalUI(int iLevel, HWND *phWnd) {
    Record rec("MsiSetInternalUI");
    rec.add("level", (unsigned long)iLevel);
    char sz[32];
    snprintf(sz, sizeof(sz), "%p", (void *)phWnd);
    rec.add("window", phWnd ? sz : "null");
    int const iResult = (int)GetEnvNumber(L"QUIL_E2E_MSI_UI_RESULT", 1);
    rec.add("result", (unsigned long)iResult);
    rec.write();
    return iResult;
}

UINT __stdcall MsiEnableLogW(DWORD dwLogMode, const wchar_t *pwszLogFile, DWORD dwAttributes) {
    Record rec("MsiEnableLogW");
    char sz[32];
    snprintf(sz, sizeof(sz), "0x%lx", (unsigned long)dwLogMode);
    rec.add("mode", sz);
    rec.add("path", pwszLogFile ? Text(pwszLogFile) : "<null>");
    rec.add("attributes", (unsigned long)dwAttributes);
    UINT const uResult = (UINT)GetEnvNumber(L"QUIL_E2E_MSI_LOG_RESULT", 0);
    rec.add("result", (unsigned long)uResult);
    rec.write();
    return uResult;
}

UINT __stdcall MsiInstallProductW(const wchar_t *pwszPackage, const wchar_t *pwszCommandLine) {
    Record rec("MsiInstallProductW");
    rec.add("package", pwszPackage ? Text(pwszPackage) : "<null>");
    rec.add("command", pwszCommandLine ? Text(pwszCommandLine) : "<null>");
    wchar_t wszCwd[MAX_PATH * 4];
    DWORD const cwc = GetCurrentDirectoryW(MAX_PATH * 4, wszCwd);
    rec.add("cwd", cwc ? e2e::WideToUtf8(std::wstring(wszCwd, cwc)) : "<unknown>");
    if (pwszPackage) {
        RecordPackage(rec, pwszPackage);
        RecordDirectory(rec, pwszPackage);
        Spawn(rec, pwszPackage);
    }
    // The n-th call takes the n-th result; after the last one, the last one.
    std::wstring const results = GetEnv(L"QUIL_E2E_MSI_RESULTS");
    std::vector<unsigned long> list;
    for (size_t pos = 0; pos < results.size();) {
        size_t comma = results.find(L',', pos);
        if (comma == std::wstring::npos) comma = results.size();
        list.push_back(wcstoul(results.substr(pos, comma - pos).c_str(), nullptr, 0));
        pos = comma + 1;
    }
    UINT const uResult = list.empty() ? 0 : (UINT)list[std::min<size_t>(g_cInstalls, list.size() - 1)];
    g_cInstalls++;
    rec.add("result", (unsigned long)uResult);
    rec.write();
    return uResult;
}

} // extern "C"
