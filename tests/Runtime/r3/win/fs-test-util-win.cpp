// Windows bodies of the file-test helpers.
#include <qrt/err.h>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"

#include <memory>

bool tstFileSeek(RTFILE hFile, uint64_t off) {
    LARGE_INTEGER Off;
    Off.QuadPart = (LONGLONG)off;
    return SetFilePointerEx((HANDLE)RTFileToNative(hFile), Off, NULL, FILE_BEGIN) != FALSE;
}

bool tstFileSetEndAt(RTFILE hFile, uint64_t off) {
    return tstFileSeek(hFile, off) && SetEndOfFile((HANDLE)RTFileToNative(hFile));
}

static PFNTSTIOHOOK g_pfnTstIoHook;
static void *g_pvTstIoHookUser;

static bool tstIoFail(TSTIOFAIL enmFail) {
    switch (enmFail) {
    case TSTIO_NO_MEMORY:
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return true;
    case TSTIO_DISK_FULL:
        SetLastError(ERROR_DISK_FULL);
        return true;
    case TSTIO_IO_ERROR:
        SetLastError(ERROR_CRC);
        return true;
    default:
        return false;
    }
}

static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnReadFile>> g_pTstReadOverride;
static std::unique_ptr<TstFsCallOverride<&RTFSCALLS::pfnWriteFile>> g_pTstWriteOverride;

static BOOL WINAPI tstHookedReadFile(HANDLE hFile, LPVOID pv, DWORD cb, LPDWORD pcb, LPOVERLAPPED pOverlapped) {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, false, cb);
    if (tstIoFail(Step.enmFail)) return FALSE;
    if (Step.cbMax < cb) cb = (DWORD)Step.cbMax;
    return TstFsCallOverride<&RTFSCALLS::pfnReadFile>::real()(hFile, pv, cb, pcb, pOverlapped);
}

static BOOL WINAPI tstHookedWriteFile(HANDLE hFile, LPCVOID pv, DWORD cb, LPDWORD pcb, LPOVERLAPPED pOverlapped) {
    TSTIOSTEP Step = g_pfnTstIoHook(g_pvTstIoHookUser, true, cb);
    if (tstIoFail(Step.enmFail)) return FALSE;
    if (Step.cbMax < cb) cb = (DWORD)Step.cbMax;
    if (cb == 0) {
        *pcb = 0;
        return TRUE;
    }
    return TstFsCallOverride<&RTFSCALLS::pfnWriteFile>::real()(hFile, pv, cb, pcb, pOverlapped);
}

TstFileIoHook::TstFileIoHook(PFNTSTIOHOOK pfnHook, void *pvUser) {
    g_pfnTstIoHook = pfnHook;
    g_pvTstIoHookUser = pvUser;
    g_pTstReadOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnReadFile>(tstHookedReadFile));
    g_pTstWriteOverride.reset(new TstFsCallOverride<&RTFSCALLS::pfnWriteFile>(tstHookedWriteFile));
}

TstFileIoHook::~TstFileIoHook() {
    g_pTstWriteOverride.reset();
    g_pTstReadOverride.reset();
}

int tstIoErrorStatus() {
    return RTErrConvertFromWin32(ERROR_CRC);
}

#include "Runtime/r3/win/fsprobe-test.h"

static std::wstring tstWiden(const std::string &Str) {
    std::wstring W(Str.size() + 1, L'\0');
    int cwc = MultiByteToWideChar(CP_UTF8, 0, Str.c_str(), -1, &W[0], (int)W.size());
    W.resize(cwc > 0 ? (size_t)cwc - 1 : 0);
    return W;
}

int tstFsProbe(const char *pszOp, const std::string &Path, const std::string &Path2) {
    wchar_t wszExe[MAX_PATH];
    DWORD cwc = GetModuleFileNameW(NULL, wszExe, MAX_PATH);
    if (cwc == 0 || cwc >= MAX_PATH) return -1;
    std::wstring Exe(wszExe, cwc);
    Exe = Exe.substr(0, Exe.find_last_of(L"\\/") + 1) + L"qrt-fsprobe.exe";
    std::wstring Cmd = L"\"" + Exe + L"\" " + tstWiden(pszOp) + L" \"" + tstWiden(Path) + L"\"";
    if (!Path2.empty()) Cmd += L" \"" + tstWiden(Path2) + L"\"";
    STARTUPINFOW Si = {};
    Si.cb = sizeof(Si);
    PROCESS_INFORMATION Pi = {};
    if (!CreateProcessW(Exe.c_str(), &Cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &Si, &Pi)) return -1;
    WaitForSingleObject(Pi.hProcess, INFINITE);
    DWORD dwExit = (DWORD)-1;
    GetExitCodeProcess(Pi.hProcess, &dwExit);
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
    return (int)dwExit;
}
