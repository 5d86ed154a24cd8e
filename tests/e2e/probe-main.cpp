// e2e-probe: a small GUI program (as the stub is one) that checks the end-to-end harness on
// its own: it exits with any code, shows a message box, reports the host, claims a mutex,
// tries to delete or write a file, and installs a package through msi.dll as the stub does.
//   e2e-probe exit CODE                 exits with CODE (decimal or 0x hex)
//   e2e-probe box W|A STYLE TEXT        MessageBoxW/MessageBoxA owned by the desktop window
//   e2e-probe wow64                     "wow64 1" on 64-bit Windows, "wow64 0" on 32-bit
//   e2e-probe mutex NAME                "mutex E": GetLastError after CreateMutexA
//   e2e-probe delete PATH               "delete E": 0 when deleted
//   e2e-probe write-open PATH           "write-open E": 0 when PATH opened for writing
//   e2e-probe alloc-console             "alloc-console E": 0 when AllocConsole made a console
//   e2e-probe msi PACKAGE COMMAND [--log LOG] [--times N]
//                                       msi.dll from the system directory: UI level 2, the
//                                       log (mode 0x1000, attributes 2) with --log, then
//                                       MsiInstallProductW N times (default 1); prints each
//                                       result
//   e2e-probe args ...                  its command line and arguments, in the record format
//   e2e-probe env NAME                  "env VALUE", or "env-unset"
//   e2e-probe breakpoint                stops at a breakpoint trap (exit code 0x80000003)
#include "e2e-process.h"
#include "e2e-record.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

static void Out(const char *pszFormat, unsigned long ul) {
    printf(pszFormat, ul);
    fflush(stdout);
}

static int Msi(int argc, wchar_t **argv) {
    wchar_t wszPath[MAX_PATH];
    UINT const cwc = GetSystemDirectoryW(wszPath, MAX_PATH);
    if (!cwc || cwc > MAX_PATH - 10) return 1;
    wcscat(wszPath, L"\\msi.dll");
    HMODULE const hMsi = LoadLibraryExW(wszPath, nullptr, 0);
    if (!hMsi) {
        Out("load %lu\n", GetLastError());
        return 1;
    }
    typedef int(WINAPI * PFNUI)(int, HWND *);
    typedef UINT(WINAPI * PFNLOG)(DWORD, const wchar_t *, DWORD);
    typedef UINT(WINAPI * PFNINSTALL)(const wchar_t *, const wchar_t *);
    auto pfnUi = (PFNUI)(void *)GetProcAddress(hMsi, "MsiSetInternalUI");
    auto pfnLog = (PFNLOG)(void *)GetProcAddress(hMsi, "MsiEnableLogW");
    auto pfnInstall = (PFNINSTALL)(void *)GetProcAddress(hMsi, "MsiInstallProductW");
    if (!pfnUi || !pfnLog || !pfnInstall) {
        Out("symbols %lu\n", GetLastError());
        return 1;
    }
    const wchar_t *pwszLog = nullptr;
    unsigned long cTimes = 1;
    for (int i = 4; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--log"))
            pwszLog = argv[i + 1];
        else if (!wcscmp(argv[i], L"--times"))
            cTimes = wcstoul(argv[i + 1], nullptr, 10);
        else
            return 2;
    }
    Out("ui %lu\n", (unsigned long)pfnUi(2, nullptr));
    if (pwszLog) Out("log %lu\n", pfnLog(0x1000, pwszLog, 2));
    while (cTimes-- > 0) Out("install %lu\n", pfnInstall(argv[2], argv[3]));
    return 0;
}

int wmain(int argc, wchar_t **argv) {
    std::wstring const mode = argc > 1 ? argv[1] : L"";
    if (mode == L"exit" && argc == 3) ExitProcess((UINT)wcstoul(argv[2], nullptr, 0));
    if (mode == L"box" && argc == 5) {
        UINT const uStyle = (UINT)wcstoul(argv[3], nullptr, 0);
        int iResult;
        if (!wcscmp(argv[2], L"A")) {
            char szText[4096];
            WideCharToMultiByte(CP_UTF8, 0, argv[4], -1, szText, sizeof(szText), nullptr, nullptr);
            iResult = MessageBoxA(GetDesktopWindow(), szText, "Quillarium Installer", uStyle);
        } else
            iResult = MessageBoxW(GetDesktopWindow(), argv[4], L"Quillarium Installer", uStyle);
        Out("box %lu\n", (unsigned long)iResult);
        return 0;
    }
    if (mode == L"wow64" && argc == 2) {
        BOOL fWow64 = FALSE;
        if (!IsWow64Process(GetCurrentProcess(), &fWow64)) return 1;
        Out("wow64 %lu\n", fWow64 ? 1 : 0);
        return 0;
    }
    if (mode == L"mutex" && argc == 3) {
        char szName[MAX_PATH];
        WideCharToMultiByte(CP_ACP, 0, argv[2], -1, szName, sizeof(szName), nullptr, nullptr);
        SetLastError(0);
        HANDLE const h = CreateMutexA(nullptr, FALSE, szName);
        Out("mutex %lu\n", GetLastError());
        if (h) CloseHandle(h);
        return 0;
    }
    if (mode == L"alloc-console" && argc == 2) {
        Out("alloc-console %lu\n", AllocConsole() ? 0 : GetLastError());
        return 0;
    }
    if (mode == L"delete" && argc == 3) {
        Out("delete %lu\n", DeleteFileW(argv[2]) ? 0 : GetLastError());
        return 0;
    }
    if (mode == L"write-open" && argc == 3) {
        HANDLE const h = CreateFileW(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        Out("write-open %lu\n", h == INVALID_HANDLE_VALUE ? GetLastError() : 0);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return 0;
    }
    if (mode == L"msi" && argc >= 4 && argc % 2 == 0) return Msi(argc, argv);
    if (mode == L"args") {
        std::string text = "call args\ncmdline " + e2e::RecordEscape(e2e::WideToUtf8(GetCommandLineW())) + "\n";
        for (int i = 0; i < argc; i++) text += "argv " + e2e::RecordEscape(e2e::WideToUtf8(argv[i])) + "\n";
        fwrite(text.data(), 1, text.size(), stdout);
        fflush(stdout);
        return 0;
    }
    if (mode == L"env" && argc == 3) {
        wchar_t wsz[32768];
        DWORD const cwc = GetEnvironmentVariableW(argv[2], wsz, 32768);
        if (!cwc && GetLastError() == ERROR_ENVVAR_NOT_FOUND)
            printf("env-unset\n");
        else
            printf("env %s\n", e2e::RecordEscape(e2e::WideToUtf8(std::wstring(wsz, cwc))).c_str());
        fflush(stdout);
        return 0;
    }
    if (mode == L"breakpoint" && argc == 2) DebugBreak();
    fwprintf(stderr, L"e2e-probe: unknown or incomplete command\n");
    return 2;
}
