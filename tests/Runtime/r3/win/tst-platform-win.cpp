// Windows bodies of the shared test helpers.
#include "Runtime/r3/tst-platform.h"

#include <qrt/string.h>
#include <qrt/utf16.h>

#include <windows.h>

#include <string>

static std::wstring tstToWide(const char *psz) {
    RTUTF16 *pwsz = nullptr;
    if (RTStrToUtf16(psz, &pwsz) != 0) return std::wstring();
    std::wstring str(reinterpret_cast<wchar_t *>(pwsz));
    RTUtf16Free(pwsz);
    return str;
}

bool tstEnvSet(const char *pszName, const char *pszValue) {
    // _wputenv keeps the C library's copies in step; an empty value there would delete the
    // variable, so that one goes to the process block directly (which the runtime reads).
    std::wstring const strName = tstToWide(pszName);
    if (pszValue && !*pszValue) {
        _wputenv((strName + L"=").c_str());
        return SetEnvironmentVariableW(strName.c_str(), L"") != FALSE;
    }
    std::wstring strSet = strName + L"=";
    if (pszValue) strSet += tstToWide(pszValue);
    if (_wputenv(strSet.c_str()) != 0) return false;
    return SetEnvironmentVariableW(strName.c_str(), pszValue ? tstToWide(pszValue).c_str() : nullptr) != FALSE;
}

TstEnvGuard::TstEnvGuard(const char *pszName) : m_pszName(pszName), m_pszOld(nullptr) {
    std::wstring const strName = tstToWide(pszName);
    SetLastError(0);
    DWORD cwc = GetEnvironmentVariableW(strName.c_str(), nullptr, 0);
    if (cwc == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return;
    std::wstring strValue(cwc + 1, L'\0');
    cwc = GetEnvironmentVariableW(strName.c_str(), &strValue[0], cwc + 1);
    strValue.resize(cwc);
    RTUtf16ToUtf8(reinterpret_cast<const RTUTF16 *>(strValue.c_str()), &m_pszOld);
}

TstEnvGuard::~TstEnvGuard() {
    tstEnvSet(m_pszName, m_pszOld);
    RTStrFree(m_pszOld);
}

static std::wstring g_strTstOrgCwd;

// Creates every directory of pwszDir from the first one after its root on; errors are left
// to the final SetCurrentDirectoryW to report.
static void tstCreateDirs(const std::wstring &strDir, size_t offFirst) {
    for (size_t off = offFirst; off <= strDir.size(); off++)
        if (off == strDir.size() || strDir[off] == L'\\') CreateDirectoryW(strDir.substr(0, off).c_str(), nullptr);
}

bool tstPathSetCwd(const char *pszCwd) {
    if (g_strTstOrgCwd.empty()) {
        wchar_t awc[4100];
        DWORD cwc = GetCurrentDirectoryW(4100, awc);
        g_strTstOrgCwd.assign(awc, cwc);
    }
    std::wstring const strCwd = tstToWide(pszCwd);
    if (strCwd.size() > 2 && strCwd[1] == L':')
        tstCreateDirs(strCwd, 3);
    else if (strCwd.size() > 2 && strCwd[0] == L'\\' && strCwd[1] == L'\\') {
        // Wine serves \\server\share\... from <prefix>/dosdevices/unc/server/share/...
        const char *pszPrefix = getenv("WINEPREFIX");
        if (!pszPrefix) return false;
        std::wstring strUnix = L"Z:" + tstToWide(pszPrefix) + L"\\dosdevices\\unc";
        for (wchar_t &wc : strUnix)
            if (wc == L'/') wc = L'\\';
        tstCreateDirs(strUnix + L"\\" + strCwd.substr(2), strUnix.size());
    }
    return SetCurrentDirectoryW(strCwd.c_str()) != FALSE;
}

bool tstPathSetDriveCwd(char chDrive, const char *pszCwd) {
    wchar_t const awcName[] = {L'=', (wchar_t)chDrive, L':', 0};
    return SetEnvironmentVariableW(awcName, pszCwd ? tstToWide(pszCwd).c_str() : nullptr) != FALSE;
}

void tstPathRestoreCwd() {
    if (!g_strTstOrgCwd.empty()) SetCurrentDirectoryW(g_strTstOrgCwd.c_str());
}
