// e2e-hold: holds something another program needs, for the end-to-end tests.
//   e2e-hold mutex NAME          creates the named mutex and keeps it until its standard input
//                                ends (the caller closes the pipe)
//   e2e-hold file PATH SECONDS   keeps PATH open for reading, without delete sharing, for SECONDS
// Each prints "holding" on standard output once it holds, or "error N" (the Windows error) and
// exits 1 when it cannot. Exit 0 after letting go; 2 for a usage error. Whatever happens, it
// ends within five minutes, so a test that dies cannot leave it behind for long.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

static void Say(const char *pszLine) {
    DWORD cb = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), pszLine, (DWORD)strlen(pszLine), &cb, nullptr);
}

static int Fail(DWORD err) {
    char sz[32];
    snprintf(sz, sizeof(sz), "error %lu\n", (unsigned long)err);
    Say(sz);
    return 1;
}

static DWORD WINAPI Watchdog(void *) {
    Sleep(300 * 1000);
    ExitProcess(3);
}

int wmain(int argc, wchar_t **argv) {
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    std::wstring const mode = argc > 1 ? argv[1] : L"";
    if (mode == L"mutex" && argc == 3) {
        char szName[MAX_PATH];
        if (!WideCharToMultiByte(CP_ACP, 0, argv[2], -1, szName, sizeof(szName), nullptr, nullptr))
            return Fail(GetLastError());
        SetLastError(0);
        HANDLE const hMutex = CreateMutexA(nullptr, FALSE, szName);
        if (!hMutex) return Fail(GetLastError());
        Say("holding\n");
        char buf[64];
        DWORD cb = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buf, sizeof(buf), &cb, nullptr) && cb) {
        }
        CloseHandle(hMutex);
        return 0;
    }
    if (mode == L"file" && argc == 4) {
        wchar_t *pwszEnd = nullptr;
        unsigned long const seconds = wcstoul(argv[3], &pwszEnd, 10);
        if (*pwszEnd || seconds > 240) return 2;
        HANDLE const hFile = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile == INVALID_HANDLE_VALUE) return Fail(GetLastError());
        Say("holding\n");
        Sleep(seconds * 1000);
        CloseHandle(hFile);
        return 0;
    }
    fwprintf(stderr, L"usage: e2e-hold mutex NAME | e2e-hold file PATH SECONDS\n");
    return 2;
}
