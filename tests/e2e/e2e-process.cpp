// Starting programs for the end-to-end tests: see e2e-process.h.
#include "e2e-process.h"

#include <windows.h>

#include <algorithm>

namespace e2e {

std::wstring Utf8ToWide(const std::string &text) {
    if (text.empty()) return std::wstring();
    int const cwc = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide((size_t)cwc, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), &wide[0], cwc);
    return wide;
}

std::string WideToUtf8(const std::wstring &text) {
    if (text.empty()) return std::string();
    int const cb = WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string utf8((size_t)cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), (int)text.size(), &utf8[0], cb, nullptr, nullptr);
    return utf8;
}

std::wstring QuoteArgument(const std::wstring &arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    // Backslashes are literal except before a quote, where each one needs a twin.
    std::wstring out = L"\"";
    size_t cBackslashes = 0;
    for (wchar_t wc : arg) {
        if (wc == L'\\') {
            cBackslashes++;
            continue;
        }
        out.append(wc == L'"' ? cBackslashes * 2 + 1 : cBackslashes, L'\\');
        cBackslashes = 0;
        out += wc;
    }
    out.append(cBackslashes * 2, L'\\');
    out += L'"';
    return out;
}

static bool NameEquals(const std::wstring &a, const std::wstring &b) {
    return CompareStringOrdinal(a.c_str(), (int)a.size(), b.c_str(), (int)b.size(), TRUE) == CSTR_EQUAL;
}

Environment::Environment() {
    wchar_t *pwszBlock = GetEnvironmentStringsW();
    for (const wchar_t *pwsz = pwszBlock; pwsz && *pwsz; pwsz += wcslen(pwsz) + 1) {
        std::wstring entry(pwsz);
        // Entries such as "=C:=C:\dir" (per-drive directories) start with '='.
        size_t const eq = entry.find(L'=', 1);
        if (eq == std::wstring::npos) continue;
        m_vars.emplace_back(entry.substr(0, eq), entry.substr(eq + 1));
    }
    FreeEnvironmentStringsW(pwszBlock);
}

void Environment::set(const std::wstring &name, const std::wstring &value) {
    for (auto &var : m_vars)
        if (NameEquals(var.first, name)) {
            var.second = value;
            return;
        }
    m_vars.emplace_back(name, value);
}

void Environment::unset(const std::wstring &name) {
    m_vars.erase(
        std::remove_if(m_vars.begin(), m_vars.end(), [&](const auto &var) { return NameEquals(var.first, name); }),
        m_vars.end());
}

std::wstring Environment::block() const {
    auto sorted = m_vars;
    std::sort(sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
        return CompareStringOrdinal(a.first.c_str(), (int)a.first.size(), b.first.c_str(), (int)b.first.size(), TRUE) ==
               CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const auto &var : sorted) {
        block += var.first;
        block += L'=';
        block += var.second;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

// An inheritable handle on PATH for writing (created anew) or reading; the NUL device for "",
// or a duplicate of our own handle STDHANDLE when INHERIT is set.
static HANDLE OpenStdHandle(const std::wstring &path, bool fWrite, bool fInherit = false, DWORD idStd = 0) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hOurs = fInherit && path.empty() ? GetStdHandle(idStd) : nullptr;
    if (hOurs && hOurs != INVALID_HANDLE_VALUE) {
        HANDLE hDup = INVALID_HANDLE_VALUE;
        if (DuplicateHandle(GetCurrentProcess(), hOurs, GetCurrentProcess(), &hDup, 0, TRUE, DUPLICATE_SAME_ACCESS))
            return hDup;
    }
    std::wstring const name = path.empty() ? L"NUL" : path;
    return CreateFileW(name.c_str(), fWrite ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                       fWrite && !path.empty() ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts a program with the three standard handles given (inheritable); returns its process
// handle, or null with CreateProcessW's error in *pErr. FDETACHED: without our console. On
// Windows a GUI program never gets its parent's console; under Wine it does, and then a console
// of its own cannot be made (AllocConsole fails with 5), so programs under test start detached.
static HANDLE StartProcess(const std::wstring &application, const std::wstring &commandLine,
                           const std::wstring &directory, const Environment *environment, HANDLE hIn, HANDLE hOut,
                           HANDLE hErr, bool fDetached, DWORD *pErr) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hIn;
    si.hStdOutput = hOut;
    si.hStdError = hErr;
    std::wstring line = commandLine; // CreateProcessW may write into it
    std::wstring const block = environment ? environment->block() : std::wstring();
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), &line[0], nullptr, nullptr, TRUE,
                        CREATE_UNICODE_ENVIRONMENT | (fDetached ? DETACHED_PROCESS : 0),
                        environment ? (void *)block.c_str() : nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &si, &pi)) {
        *pErr = GetLastError() ? GetLastError() : ERROR_GEN_FAILURE;
        return nullptr;
    }
    CloseHandle(pi.hThread);
    *pErr = 0;
    return pi.hProcess;
}

LaunchResult Launch(const LaunchSpec &spec) {
    LaunchResult result;
    HANDLE const hIn = OpenStdHandle(spec.stdinPath, false, spec.inheritStd, STD_INPUT_HANDLE);
    HANDLE const hOut = OpenStdHandle(spec.stdoutPath, true, spec.inheritStd, STD_OUTPUT_HANDLE);
    HANDLE const hErr = OpenStdHandle(spec.stderrPath, true, spec.inheritStd, STD_ERROR_HANDLE);
    if (hIn == INVALID_HANDLE_VALUE || hOut == INVALID_HANDLE_VALUE || hErr == INVALID_HANDLE_VALUE) {
        result.startError = GetLastError();
        goto done;
    }
    {
        LARGE_INTEGER freq, t0, t1;
        QueryPerformanceFrequency(&freq);
        QueryPerformanceCounter(&t0);
        DWORD err = 0;
        HANDLE const hProcess = StartProcess(spec.application, spec.commandLine, spec.directory, spec.environment, hIn,
                                             hOut, hErr, true, &err);
        if (!hProcess) {
            result.startError = err;
            goto done;
        }
        if (WaitForSingleObject(hProcess, spec.timeoutMs) != WAIT_OBJECT_0) {
            result.timedOut = true;
            TerminateProcess(hProcess, 0xDEAD);
            WaitForSingleObject(hProcess, INFINITE);
        }
        QueryPerformanceCounter(&t1);
        result.seconds = (double)(t1.QuadPart - t0.QuadPart) / (double)freq.QuadPart;
        DWORD dwExit = 0;
        GetExitCodeProcess(hProcess, &dwExit);
        result.exitCode = dwExit;
        CloseHandle(hProcess);
    }
done:
    for (HANDLE h : {hIn, hOut, hErr})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    return result;
}

PipedChild::~PipedChild() {
    if (m_hProcess) wait(30000);
    closeInput();
    if (m_hOutput) CloseHandle(m_hOutput);
}

uint32_t PipedChild::start(const std::wstring &application, const std::wstring &commandLine,
                           const Environment *environment, const std::wstring &directory) {
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hChildIn = nullptr, hChildOut = nullptr;
    if (!CreatePipe(&hChildIn, (HANDLE *)&m_hInput, &sa, 0)) return GetLastError();
    if (!CreatePipe((HANDLE *)&m_hOutput, &hChildOut, &sa, 0)) {
        DWORD const err = GetLastError();
        CloseHandle(hChildIn);
        return err;
    }
    // Our ends stay ours.
    SetHandleInformation((HANDLE)m_hInput, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation((HANDLE)m_hOutput, HANDLE_FLAG_INHERIT, 0);
    HANDLE const hErr = OpenStdHandle(L"", true);
    DWORD err = 0;
    m_hProcess = StartProcess(application, commandLine, directory, environment, hChildIn, hChildOut, hErr, false, &err);
    CloseHandle(hChildIn);
    CloseHandle(hChildOut);
    if (hErr != INVALID_HANDLE_VALUE) CloseHandle(hErr);
    return err;
}

std::string PipedChild::readLine(uint32_t timeoutMs) {
    ULONGLONG const deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        size_t const eol = m_pending.find('\n');
        if (eol != std::string::npos) {
            std::string line = m_pending.substr(0, eol);
            m_pending.erase(0, eol + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        DWORD cbAvail = 0;
        if (!m_hOutput || !PeekNamedPipe((HANDLE)m_hOutput, nullptr, 0, nullptr, &cbAvail, nullptr))
            return std::string(); // it ended and its end of the pipe is closed
        if (cbAvail) {
            char buf[256];
            DWORD cbRead = 0;
            if (!ReadFile((HANDLE)m_hOutput, buf, std::min<DWORD>(cbAvail, sizeof(buf)), &cbRead, nullptr))
                return std::string();
            m_pending.append(buf, cbRead);
            continue;
        }
        if (GetTickCount64() >= deadline) return std::string();
        Sleep(5);
    }
}

void PipedChild::closeInput() {
    if (m_hInput) CloseHandle((HANDLE)m_hInput);
    m_hInput = nullptr;
}

bool PipedChild::wait(uint32_t timeoutMs, uint32_t *pExitCode) {
    if (!m_hProcess) return false;
    bool fEnded = WaitForSingleObject((HANDLE)m_hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (!fEnded) {
        TerminateProcess((HANDLE)m_hProcess, 0xDEAD);
        WaitForSingleObject((HANDLE)m_hProcess, INFINITE);
    }
    DWORD dwExit = 0;
    GetExitCodeProcess((HANDLE)m_hProcess, &dwExit);
    if (pExitCode) *pExitCode = dwExit;
    CloseHandle((HANDLE)m_hProcess);
    m_hProcess = nullptr;
    return fEnded;
}

} // namespace e2e
