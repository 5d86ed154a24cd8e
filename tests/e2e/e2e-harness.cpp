// What the end-to-end tests share: see e2e-harness.h.
#include "e2e-harness.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace e2e {

std::wstring GetEnv(const std::wstring &name) {
    std::wstring value(32768, L'\0');
    DWORD const cwc = GetEnvironmentVariableW(name.c_str(), &value[0], (DWORD)value.size());
    value.resize(cwc < value.size() ? cwc : 0);
    return value;
}

const HarnessPaths &Paths() {
    static const HarnessPaths s_paths = [] {
        HarnessPaths paths;
        paths.assets = GetEnv(L"QUIL_E2E_ASSETS");
        paths.source = GetEnv(L"QUIL_E2E_SOURCE");
        paths.work = GetEnv(L"QUIL_E2E_WORK");
        paths.quilpack = GetEnv(L"QUIL_E2E_QUILPACK");
        paths.stub = GetEnv(L"QUIL_E2E_STUB");
        paths.arch = GetEnv(L"QUIL_E2E_ARCH");
        return paths;
    }();
    return s_paths;
}

std::wstring Join(const std::wstring &dir, const std::wstring &name) {
    if (dir.empty()) return name;
    return dir.back() == L'\\' ? dir + name : dir + L"\\" + name;
}

std::wstring Asset(const std::wstring &name) {
    return Join(Paths().assets, name);
}

std::wstring ParentOf(const std::wstring &path) {
    size_t const slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::string ReadBytes(const std::wstring &path, bool *pfOk) {
    std::string bytes;
    HANDLE const h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (pfOk) *pfOk = h != INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD cb = 0;
    while (ReadFile(h, buf, sizeof(buf), &cb, nullptr) && cb) bytes.append(buf, cb);
    CloseHandle(h);
    return bytes;
}

bool WriteBytes(const std::wstring &path, const std::string &bytes) {
    HANDLE const h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD cb = 0;
    bool const fOk = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &cb, nullptr) && cb == bytes.size();
    CloseHandle(h);
    return fOk;
}

bool CopyTo(const std::wstring &from, const std::wstring &to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool IsFile(const std::wstring &path) {
    DWORD const attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDir(const std::wstring &path) {
    DWORD const attrs = GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDir(const std::wstring &path) {
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

void RemoveTree(const std::wstring &path) {
    WIN32_FIND_DATAW fd;
    HANDLE const hFind = FindFirstFileW(Join(path, L"*").c_str(), &fd);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            std::wstring const name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring const child = Join(path, name);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
    }
    RemoveDirectoryW(path.c_str());
}

std::vector<std::string> ListDir(const std::wstring &dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW fd;
    HANDLE const hFind = FindFirstFileW(Join(dir, L"*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring const name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        names.push_back(WideToUtf8(name) + (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "\\" : ""));
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string> &names) {
    std::string joined;
    for (const auto &name : names) joined += (joined.empty() ? "" : " ") + name;
    return joined;
}

std::string Fnv1a(const std::string &bytes) {
    uint64_t uHash = 0xcbf29ce484222325ULL;
    for (unsigned char b : bytes) uHash = (uHash ^ b) * 0x100000001b3ULL;
    char sz[32];
    snprintf(sz, sizeof(sz), "%016llx", (unsigned long long)uHash);
    return sz;
}

std::string Crlf(const std::string &text) {
    std::string out;
    for (char ch : text) {
        if (ch == '\n') out += '\r';
        out += ch;
    }
    return out;
}

std::string MessageLines(const std::string &program, const std::string &kind, const std::string &text) {
    std::string out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        bool const fEol = eol != std::string::npos;
        if (!fEol) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        if (fEol && !line.empty() && line.back() == '\r') line.pop_back();
        out += line.empty() && fEol ? "\r\n" : program + ": " + kind + line + "\r\n";
        pos = eol + 1;
    }
    return out;
}

std::string SystemMessage(uint32_t code) {
    wchar_t *pwsz = nullptr;
    DWORD const cwc =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0x400, (wchar_t *)&pwsz, 0, nullptr);
    std::string text = cwc && pwsz ? WideToUtf8(std::wstring(pwsz, cwc)) : std::string();
    if (pwsz) LocalFree(pwsz);
    return text;
}

std::wstring FileNameOf(const std::wstring &path) {
    size_t const slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

uint64_t FileSize(const std::wstring &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return ((uint64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

bool SelectMsiDouble(const std::wstring &program, bool fDouble) {
    HKEY hKey = nullptr;
    std::wstring const key = L"Software\\Wine\\AppDefaults\\" + program + L"\\DllOverrides";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG rc;
    if (fDouble) {
        static const wchar_t s_wszNative[] = L"native";
        rc = RegSetValueExW(hKey, L"msi", 0, REG_SZ, (const BYTE *)s_wszNative, sizeof(s_wszNative));
    } else {
        rc = RegDeleteValueW(hKey, L"msi");
        if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
    }
    RegCloseKey(hKey);
    return rc == ERROR_SUCCESS;
}

std::wstring TestDir() {
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring const dir = Join(Paths().work, Utf8ToWide(std::string(info->test_suite_name()) + "." + info->name()));
    RemoveTree(dir);
    MakeDir(dir);
    return dir;
}

std::string RunResult::summary() const {
    return "exit=" + std::to_string(exitCode) + " out=[" + out + "] err=[" + err + "]";
}

RunResult RunProgram(const std::wstring &dir, const std::wstring &program, const std::wstring &args,
                     const RunOptions &options) {
    // Each run of a directory gets its own number, so outputs of earlier runs stay readable.
    unsigned n = 1;
    while (IsDir(Join(dir, L"tmp" + std::to_wstring(n)))) n++;
    std::wstring const id = std::to_wstring(n);
    RunResult result;
    result.temp = Join(dir, L"tmp" + id);
    MakeDir(result.temp);
    std::wstring const record = Join(dir, L"msi" + id + L".rec");
    std::wstring const outPath = Join(dir, L"out" + id + L".txt");
    std::wstring const errPath = Join(dir, L"err" + id + L".txt");

    Environment env;
    // The runtime reads its temporary directory from these, in this order.
    env.unset(L"QURT_TMPDIR");
    env.set(L"TMP", result.temp);
    env.set(L"TEMP", result.temp);
    for (const wchar_t *pwszName : {L"QUIL_LOG", L"QUIL_LOG_DEST", L"QUIL_LOG_FLAGS", L"QUIL_ASSERT"})
        env.unset(pwszName);
    env.set(L"QUIL_E2E_MSI_RECORD", record);
    env.set(L"WINEDEBUG", options.relay ? L"-all,+relay" : L"-all");
    for (const wchar_t *pwszName :
         {L"QUIL_E2E_MSI_RESULTS", L"QUIL_E2E_MSI_UI_RESULT", L"QUIL_E2E_MSI_LOG_RESULT", L"QUIL_E2E_MSI_SPAWN"})
        env.unset(pwszName);
    if (!options.msiResults.empty()) env.set(L"QUIL_E2E_MSI_RESULTS", Utf8ToWide(options.msiResults));
    if (!options.msiUiResult.empty()) env.set(L"QUIL_E2E_MSI_UI_RESULT", Utf8ToWide(options.msiUiResult));
    if (!options.msiLogResult.empty()) env.set(L"QUIL_E2E_MSI_LOG_RESULT", Utf8ToWide(options.msiLogResult));
    if (!options.msiSpawn.empty()) env.set(L"QUIL_E2E_MSI_SPAWN", options.msiSpawn);
    for (const auto &var : options.env) {
        if (var.second.empty())
            env.unset(var.first);
        else
            env.set(var.first, var.second);
    }
    EXPECT_TRUE(SelectMsiDouble(FileNameOf(program), options.msiDouble));
    std::wstring const wineStderr = GetEnv(L"QUIL_E2E_WINE_STDERR");
    uint64_t const offTrace = FileSize(wineStderr);
    if (options.relay) {
        EXPECT_TRUE(EnableBoxTrace());
        EXPECT_FALSE(wineStderr.empty()) << "QUIL_E2E_WINE_STDERR is not set: no trace to read";
    }

    LaunchSpec request;
    request.application = program;
    request.commandLine = args.empty() ? options.argv0 : options.argv0 + L" " + args;
    request.directory = options.directory.empty() ? ParentOf(program) : options.directory;
    request.stdoutPath = outPath;
    request.stderrPath = errPath;
    request.environment = &env;
    request.timeoutMs = options.timeoutMs;
    result.launch = Launch(request);
    result.exitCode = result.launch.exitCode;
    EXPECT_EQ(0u, result.launch.startError) << "cannot start " << WideToUtf8(program);
    EXPECT_FALSE(result.launch.timedOut) << WideToUtf8(program) << " still ran after " << options.timeoutMs << " ms";

    result.out = ReadBytes(outPath);
    result.err = ReadBytes(errPath);
    if (options.relay) {
        // Wine writes a program's trace to the Unix standard error it inherited: ours, which
        // run-case.sh sends to a file. Programs run one at a time, so what was added is this run's.
        std::string const added = ReadBytes(wineStderr).substr(offTrace);
        size_t pos = 0;
        while (pos < added.size()) {
            size_t eol = added.find('\n', pos);
            eol = eol == std::string::npos ? added.size() : eol + 1;
            std::string const line = added.substr(pos, eol - pos);
            if (IsTraceLine(line)) result.trace += line;
            pos = eol;
        }
    }
    result.left = ListDir(result.temp);
    result.msi = RecordParse(ReadBytes(record));
    result.boxes = ParseBoxCalls(result.trace);
    return result;
}

uint32_t Pack(const std::wstring &stub, const std::wstring &output, const std::vector<PackItem> &items,
              std::string *pErr) {
    std::wstring line = L"quilpack.exe create --stub " + QuoteArgument(stub) + L" --output " + QuoteArgument(output);
    for (const auto &item : items) line += L" --arch " + Utf8ToWide(item.arch) + L" " + QuoteArgument(item.file);
    std::wstring const errPath = output + L".pack-err.txt";
    LaunchSpec request;
    request.application = Paths().quilpack;
    request.commandLine = line;
    request.stderrPath = errPath;
    LaunchResult const result = Launch(request);
    if (pErr) *pErr = ReadBytes(errPath);
    return result.startError ? 0xFFFFFFFF : result.exitCode;
}

} // namespace e2e
