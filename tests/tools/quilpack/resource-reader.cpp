// A GUI program shaped like the stub, packed by the tests: it finds the container's resources
// as the stub does (FindResourceExW in its own image, RT_RCDATA, language neutral), compares
// every payload with the file it was packed from, and checks that its own side-by-side
// manifest and version resource survived the packing.
//
//   quilpack-resource-reader.exe FILE...   the files in package order; one line per check on
//                                          stdout, exit code the number of failed checks
//   quilpack-resource-reader.exe --started prints "started" (does the image load at all?)
#include <windows.h>
#include <shellapi.h>

#include <quil-version.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

unsigned g_cFailures = 0;

void check(bool fOk, const char *pszWhat, const std::string &detail) {
    std::printf("%s %s %s\n", fOk ? "ok" : "FAIL", pszWhat, detail.c_str());
    if (!fOk) g_cFailures++;
}

std::wstring widen(const std::string &text) {
    return std::wstring(text.begin(), text.end());
}

// The resource's bytes in the mapped image, or null.
const uint8_t *findRcdata(const std::wstring &name, DWORD *pcb) {
    HRSRC hRes = FindResourceExW(nullptr, MAKEINTRESOURCEW(10), name.c_str(), 0);
    if (!hRes) return nullptr;
    *pcb = SizeofResource(nullptr, hRes);
    HGLOBAL hData = LoadResource(nullptr, hRes);
    return hData ? static_cast<const uint8_t *>(LockResource(hData)) : nullptr;
}

std::wstring baseName(const std::wstring &path) {
    size_t const off = path.find_last_of(L"\\/:");
    return off == std::wstring::npos ? path : path.substr(off + 1);
}

// Compares the file at PATH with CB bytes at PB, block by block.
bool sameAsFile(const std::wstring &path, const uint8_t *pb, DWORD cb, std::string *pDetail) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *pDetail = "cannot open the input, error " + std::to_string(GetLastError());
        return false;
    }
    std::vector<uint8_t> block(1 << 20);
    DWORD off = 0;
    bool fSame = true;
    for (;;) {
        DWORD cbRead = 0;
        if (!ReadFile(h, block.data(), DWORD(block.size()), &cbRead, nullptr) || cbRead == 0) break;
        if (cbRead > cb - off || std::memcmp(block.data(), pb + off, cbRead) != 0) {
            *pDetail = "differs in the block at " + std::to_string(off);
            fSame = false;
            break;
        }
        off += cbRead;
    }
    CloseHandle(h);
    if (fSame && off != cb) {
        *pDetail = "file has " + std::to_string(off) + " bytes, resource " + std::to_string(cb);
        fSame = false;
    }
    return fSame;
}

void checkContainer(int cArgs, wchar_t **papwszArgs) {
    DWORD cb = 0;
    const uint8_t *pb = findRcdata(L"MANIFEST", &cb);
    check(pb && cb == 20, "manifest", pb ? std::to_string(cb) + " bytes" : "not found");
    if (!pb || cb < 17) return;
    check(std::memcmp(pb, "quil$tub\0\0\0\0\1\0\0\0", 16) == 0, "manifest-magic", "");
    unsigned const cPackages = pb[16];
    check(int(cPackages) == cArgs - 1, "manifest-count", std::to_string(cPackages));
    HMODULE const hSelf = GetModuleHandleW(nullptr);
    for (unsigned i = 0; i < cPackages && int(i) + 1 < cArgs; i++) {
        char szName[32];
        std::snprintf(szName, sizeof(szName), "HDR_%02u", i);
        const uint8_t *pbHdr = findRcdata(widen(szName), &cb);
        check(pbHdr && cb == 521, szName, pbHdr ? std::to_string(cb) + " bytes" : "not found");
        if (!pbHdr || cb != 521 || !std::memchr(pbHdr + 1, 0, 260) || !std::memchr(pbHdr + 261, 0, 260)) continue;
        std::string const payloadName(reinterpret_cast<const char *>(pbHdr + 1));
        std::string const fileName(reinterpret_cast<const char *>(pbHdr + 261));
        std::wstring const path = papwszArgs[i + 1];
        check(widen(fileName) == baseName(path), "file-name", fileName);

        DWORD cbPayload = 0;
        const uint8_t *pbPayload = findRcdata(widen(payloadName), &cbPayload);
        check(pbPayload != nullptr, "payload-found", payloadName);
        if (!pbPayload) continue;
        // The loader upper-cases the name it looks for: a lower-case request finds it too.
        std::string lower = payloadName;
        for (char &ch : lower) ch = ch >= 'A' && ch <= 'Z' ? char(ch - 'A' + 'a') : ch;
        DWORD cbLower = 0;
        check(findRcdata(widen(lower), &cbLower) == pbPayload, "payload-any-case", lower);
        check((pbPayload - reinterpret_cast<const uint8_t *>(hSelf)) % 4096 == 0, "payload-aligned", payloadName);
        std::string detail = std::to_string(cbPayload) + " bytes";
        check(sameAsFile(path, pbPayload, cbPayload, &detail), "payload-bytes", payloadName + " " + detail);
    }
}

// The side-by-side manifest asked for the version 6 common controls: the process's default
// activation context then redirects comctl32.dll.
void checkManifest() {
    ACTCTX_SECTION_KEYED_DATA data;
    std::memset(&data, 0, sizeof(data));
    data.cbSize = sizeof(data);
    BOOL const fFound =
        FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data);
    check(fFound != FALSE, "comctl32-v6", fFound ? "redirected" : "error " + std::to_string(GetLastError()));
}

void checkVersion() {
    wchar_t wszSelf[MAX_PATH];
    GetModuleFileNameW(nullptr, wszSelf, MAX_PATH);
    DWORD dwIgnored = 0;
    DWORD const cb = GetFileVersionInfoSizeW(wszSelf, &dwIgnored);
    std::vector<uint8_t> info(cb ? cb : 1);
    VS_FIXEDFILEINFO *pFixed = nullptr;
    UINT cbFixed = 0;
    bool const fOk = cb && GetFileVersionInfoW(wszSelf, 0, cb, info.data()) &&
                     VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&pFixed), &cbFixed) && pFixed;
    char sz[64] = "no version resource";
    if (fOk)
        std::snprintf(sz, sizeof(sz), "%lu.%lu.%lu.%lu", pFixed->dwFileVersionMS >> 16,
                      pFixed->dwFileVersionMS & 0xffff, pFixed->dwFileVersionLS >> 16,
                      pFixed->dwFileVersionLS & 0xffff);
    check(fOk && pFixed->dwFileVersionMS == DWORD(QUIL_VERSION_MAJOR << 16 | QUIL_VERSION_MINOR) &&
              pFixed->dwFileVersionLS == DWORD(QUIL_VERSION_BUILD << 16 | QUIL_VERSION_REVISION),
          "version", sz);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int cArgs = 0;
    wchar_t **papwszArgs = CommandLineToArgvW(GetCommandLineW(), &cArgs);
    if (cArgs == 2 && std::wcscmp(papwszArgs[1], L"--started") == 0) {
        std::printf("started\n");
        return 0;
    }
    checkContainer(cArgs, papwszArgs);
    checkManifest();
    checkVersion();
    std::printf("failures %u\n", g_cFailures);
    std::fflush(stdout);
    return int(g_cFailures > 100 ? 100 : g_cFailures);
}
