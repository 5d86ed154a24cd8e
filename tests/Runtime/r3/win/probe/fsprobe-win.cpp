// A second process for the sharing tests: tries one file-system operation and exits with 0 on
// success, else with the Windows error it got.
//   qrt-fsprobe open-write PATH | open-read PATH | delete PATH | rename SRC DST | replace SRC DST
//               | rmdir PATH
#include <windows.h>

#include <wchar.h>

int wmain(int argc, wchar_t **argv) {
    if (argc < 3) return ERROR_INVALID_PARAMETER;
    const wchar_t *pwszOp = argv[1];
    BOOL fOk = FALSE;
    if (!wcscmp(pwszOp, L"open-write") || !wcscmp(pwszOp, L"open-read")) {
        DWORD const fAccess = pwszOp[5] == L'w' ? GENERIC_WRITE : GENERIC_READ;
        HANDLE h = CreateFileW(argv[2], fAccess, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        fOk = h != INVALID_HANDLE_VALUE;
        if (fOk) CloseHandle(h);
    } else if (!wcscmp(pwszOp, L"delete"))
        fOk = DeleteFileW(argv[2]);
    else if (!wcscmp(pwszOp, L"rmdir"))
        fOk = RemoveDirectoryW(argv[2]);
    else if (argc >= 4 && !wcscmp(pwszOp, L"rename"))
        fOk = MoveFileExW(argv[2], argv[3], 0);
    else if (argc >= 4 && !wcscmp(pwszOp, L"replace"))
        fOk = MoveFileExW(argv[2], argv[3], MOVEFILE_REPLACE_EXISTING);
    else
        return ERROR_INVALID_PARAMETER;
    return fOk ? 0 : (int)GetLastError();
}
