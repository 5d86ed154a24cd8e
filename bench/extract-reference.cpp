// The floor for the extraction benchmark: what extracting and verifying one package costs at
// least. Packed by quilpack like the stub, it writes its payload BIN_00 from its own mapped
// image with one WriteFile, opens the file again, reads it back in 64 KiB blocks and compares
// each block with the image.
//   extract-reference.exe DEST     exit 0 when DEST holds the payload, 1 on any failure
#include <windows.h>

#include <cstring>

static BYTE g_abBlock[65536];

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR pwszDest, int) {
    HRSRC const hRes = FindResourceExW(nullptr, MAKEINTRESOURCEW(10), L"BIN_00", 0);
    if (!hRes) return 1;
    DWORD const cb = SizeofResource(nullptr, hRes);
    HGLOBAL const hData = LoadResource(nullptr, hRes);
    const BYTE *pb = hData ? (const BYTE *)LockResource(hData) : nullptr;
    if (!pb || !cb || !*pwszDest) return 1;

    HANDLE h =
        CreateFileW(pwszDest, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD cbDone = 0;
    BOOL fOk = WriteFile(h, pb, cb, &cbDone, nullptr) && cbDone == cb;
    CloseHandle(h);
    if (!fOk) return 1;

    h = CreateFileW(pwszDest, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    for (DWORD off = 0; fOk && off < cb; off += sizeof(g_abBlock)) {
        DWORD const cbBlock = cb - off < sizeof(g_abBlock) ? cb - off : (DWORD)sizeof(g_abBlock);
        fOk = ReadFile(h, g_abBlock, cbBlock, &cbDone, nullptr) && cbDone == cbBlock &&
              !memcmp(g_abBlock, pb + off, cbBlock);
    }
    CloseHandle(h);
    return fOk ? 0 : 1;
}
