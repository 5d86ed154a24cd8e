// Files and interrupts on Windows: wide-character calls throughout, so that any path the
// user can type works, and a rename that replaces the target.
#include "file.h"
#include "file-internal.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace quilpack {

volatile std::sig_atomic_t g_iInterrupt = 0;

namespace {

// Ctrl+C and Ctrl+Break reach the program as SIGINT and SIGBREAK; SIGTERM only from raise().
const int s_aiSignals[] = {SIGINT, SIGTERM, SIGBREAK};
void (*s_apfnOld[3])(int);

void onInterrupt(int signo) {
    g_iInterrupt = signo;
    signal(signo, onInterrupt); // the C runtime resets the handler before calling it
}

std::string lastErrorText() {
    DWORD const dwErr = GetLastError();
    std::string text = std::system_category().message(int(dwErr));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
    return text;
}

std::wstring toWide(const std::string &utf8) {
    if (utf8.empty()) return std::wstring();
    int const cwc = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(size_t(cwc > 0 ? cwc : 0), L'\0');
    if (cwc > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &wide[0], cwc);
    return wide;
}

std::string toUtf8(const wchar_t *pwsz) {
    int const cb = WideCharToMultiByte(CP_UTF8, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 1) return std::string();
    std::string utf8(size_t(cb), '\0');
    WideCharToMultiByte(CP_UTF8, 0, pwsz, -1, &utf8[0], cb, nullptr, nullptr);
    utf8.pop_back();
    return utf8;
}

HANDLE nativeOf(intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

} // namespace

InputFile::~InputFile() {
    if (m_hNative != -1) CloseHandle(nativeOf(m_hNative));
}

bool InputFile::open(const std::string &path, std::string *pErr) {
    HANDLE const h = CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD const dwErr = GetLastError();
        // A directory cannot be opened this way at all: it fails as access denied.
        DWORD const fAttr = GetFileAttributesW(toWide(path).c_str());
        if (fAttr != INVALID_FILE_ATTRIBUTES && (fAttr & FILE_ATTRIBUTE_DIRECTORY))
            *pErr = "is a directory";
        else if (dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_PATH_NOT_FOUND)
            *pErr = "no such file";
        else {
            SetLastError(dwErr);
            *pErr = "cannot open: " + lastErrorText();
        }
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) {
        *pErr = "cannot query: " + lastErrorText();
        CloseHandle(h);
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY || GetFileType(h) != FILE_TYPE_DISK) {
        *pErr = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "is a directory" : "not a regular file";
        CloseHandle(h);
        return false;
    }
    m_hNative = reinterpret_cast<intptr_t>(h);
    m_cbSize = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return true;
}

int64_t InputFile::readAt(uint64_t off, void *pv, size_t cb, std::string *pErr) {
    size_t cbDone = 0;
    while (cbDone < cb) {
        OVERLAPPED ov = {};
        ov.Offset = DWORD(off + cbDone);
        ov.OffsetHigh = DWORD((off + cbDone) >> 32);
        DWORD const cbChunk = DWORD(std::min<size_t>(cb - cbDone, 1u << 30));
        DWORD cbRead = 0;
        if (!ReadFile(nativeOf(m_hNative), static_cast<char *>(pv) + cbDone, cbChunk, &cbRead, &ov)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            *pErr = "read failed: " + lastErrorText();
            return -1;
        }
        if (cbRead == 0) break;
        cbDone += cbRead;
    }
    return int64_t(cbDone);
}

bool OutputFile::create(const std::string &target, std::string *pErr) {
    discard();
    size_t const offSep = target.find_last_of("/\\:");
    std::string const dir = offSep == std::string::npos ? "" : target.substr(0, offSep + 1);
    std::string const base = target.substr(dir.size());
    for (unsigned iTry = 0; iTry < 100; iTry++) {
        std::string const temp =
            dir + "." + base + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(iTry) + ".tmp";
        HANDLE const h = CreateFileW(toWide(temp).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            m_hNative = reinterpret_cast<intptr_t>(h);
            m_target = target;
            m_tempPath = temp;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            *pErr = "cannot create a file beside it: " + lastErrorText();
            return false;
        }
    }
    *pErr = "cannot create a file beside it: too many leftover temporary files";
    return false;
}

bool OutputFile::write(const void *pv, size_t cb, std::string *pErr) {
    const char *pch = static_cast<const char *>(pv);
    while (cb > 0) {
        if (g_iInterrupt) {
            *pErr = "interrupted";
            return false;
        }
        DWORD const cbChunk = DWORD(std::min<size_t>(cb, 1u << 30));
        DWORD cbWritten = 0;
        if (!WriteFile(nativeOf(m_hNative), pch, cbChunk, &cbWritten, nullptr)) {
            *pErr = "write failed: " + lastErrorText();
            return false;
        }
        pch += cbWritten;
        cb -= cbWritten;
    }
    return true;
}

bool OutputFile::writeAt(uint64_t off, const void *pv, size_t cb, std::string *pErr) {
    OVERLAPPED ov = {};
    ov.Offset = DWORD(off);
    ov.OffsetHigh = DWORD(off >> 32);
    DWORD cbWritten = 0;
    if (!WriteFile(nativeOf(m_hNative), pv, DWORD(cb), &cbWritten, &ov) || cbWritten != cb) {
        *pErr = "write failed: " + lastErrorText();
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string *pErr) {
    if (g_iInterrupt) {
        *pErr = "interrupted";
        discard();
        return false;
    }
    HANDLE const h = nativeOf(m_hNative);
    m_hNative = -1;
    if (!CloseHandle(h)) {
        *pErr = "write failed: " + lastErrorText();
        discard();
        return false;
    }
    if (!MoveFileExW(toWide(m_tempPath).c_str(), toWide(m_target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        *pErr = "cannot rename the finished file into place: " + lastErrorText();
        discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void OutputFile::discard() {
    if (m_hNative != -1) CloseHandle(nativeOf(m_hNative));
    m_hNative = -1;
    if (!m_tempPath.empty()) DeleteFileW(toWide(m_tempPath).c_str());
    m_tempPath.clear();
}

void interruptsCatch() {
    g_iInterrupt = 0; // an interrupt of an earlier pack in this process is over
    for (size_t i = 0; i < 3; i++) s_apfnOld[i] = signal(s_aiSignals[i], onInterrupt);
}

void interruptsRelease() {
    for (size_t i = 0; i < 3; i++) signal(s_aiSignals[i], s_apfnOld[i] == SIG_ERR ? SIG_DFL : s_apfnOld[i]);
}

int interruptPending() {
    return g_iInterrupt;
}

void interruptExit(int signo) {
    signal(signo, SIG_DFL);
    raise(signo);
    std::_Exit(3);
}

std::vector<std::string> programArguments(int, char **) {
    // The narrow argv is in the ANSI code page; the wide command line has every character.
    std::vector<std::string> args;
    int cArgs = 0;
    wchar_t **papwsz = CommandLineToArgvW(GetCommandLineW(), &cArgs);
    if (!papwsz) return args;
    for (int i = 1; i < cArgs; i++) args.push_back(toUtf8(papwsz[i]));
    LocalFree(papwsz);
    return args;
}

} // namespace quilpack
