// The packed stub's certificate steps under Wine, read back from the machine's stores in the
// registry (an entry is a subkey named by the upper-case SHA-1 of the certificate's DER bytes):
// a silent run adds both publisher certificates to "TrustedPublisher", an interactive run or
// "--no-silent-cert" none; the timestamp CA goes to "Root" on Windows 7, not on a Windows 10
// workstation unless forced, and on a Windows Server 2019. Each group runs in a fresh prefix
// (the stores keep what is added); the version a case needs is set in the prefix's registry,
// which Wine reads when a program starts.
#include "stub-harness.h"

#include <windows.h>

namespace e2e {
namespace {

// The build input's thumbprints, from CMake (bare hex digits).
#define E2E_STR2(a) #a
#define E2E_STR(a) E2E_STR2(a)
const char *const g_apszPublishers[] = {E2E_STR(QUIL_E2E_THUMB_PUBLISHER1), E2E_STR(QUIL_E2E_THUMB_PUBLISHER2)};
const char g_szTimestampCa[] = E2E_STR(QUIL_E2E_THUMB_TIMESTAMP_CA);

// The thumbprints in the machine's store NAME, sorted, in one line; the 64-bit view (the 32-bit
// one shows the same keys).
std::string StoreEntries(const std::wstring &name) {
    std::wstring const key = L"Software\\Microsoft\\SystemCertificates\\" + name + L"\\Certificates";
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &hKey) != ERROR_SUCCESS)
        return "";
    std::vector<std::string> names;
    wchar_t wszName[256];
    for (DWORD i = 0;; i++) {
        DWORD cwc = 256;
        if (RegEnumKeyExW(hKey, i, wszName, &cwc, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(WideToUtf8(std::wstring(wszName, cwc)));
    }
    RegCloseKey(hKey);
    std::sort(names.begin(), names.end());
    return Joined(names);
}

std::string Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return Joined(names);
}

bool SetValue(HKEY hKey, const wchar_t *pwszName, DWORD dwType, const void *pv, DWORD cb) {
    return RegSetValueExW(hKey, pwszName, 0, dwType, (const BYTE *)pv, cb) == ERROR_SUCCESS;
}
bool SetString(HKEY hKey, const wchar_t *pwszName, const std::wstring &value) {
    return SetValue(hKey, pwszName, REG_SZ, value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
}

// Makes the prefix report Windows MAJOR.MINOR.BUILD of that product type ("WinNT" workstation,
// "ServerNT" server, "LanmanNT" domain controller) to the programs started from now on.
bool SetWindows(DWORD major, DWORD minor, DWORD build, const std::wstring &productType) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY hKey = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                          KEY_SET_VALUE | view, &hKey) != ERROR_SUCCESS)
            return false;
        std::wstring const buildText = std::to_wstring(build);
        bool const fOk = SetValue(hKey, L"CurrentMajorVersionNumber", REG_DWORD, &major, sizeof(major)) &&
                         SetValue(hKey, L"CurrentMinorVersionNumber", REG_DWORD, &minor, sizeof(minor)) &&
                         // Wine takes major and minor from this text.
                         SetString(hKey, L"CurrentVersion", std::to_wstring(major) + L"." + std::to_wstring(minor)) &&
                         SetString(hKey, L"CurrentBuild", buildText) &&
                         SetString(hKey, L"CurrentBuildNumber", buildText) && SetString(hKey, L"CSDVersion", L"");
        RegCloseKey(hKey);
        if (!fOk) return false;
    }
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_SET_VALUE,
                      &hKey) != ERROR_SUCCESS)
        return false;
    bool const fOk = SetString(hKey, L"ProductType", productType);
    RegCloseKey(hKey);
    return fOk;
}

class StubCerts : public StubCase {
protected:
    void SetUp() override {
        StubCase::SetUp();
        if (IsSkipped()) return;
        m_setup = Setup({{"amd64", Package(L"sample.msi")}});
    }
    // A run that must succeed and install the package.
    void RunOk(const std::wstring &args) {
        RunResult const run = Run(m_setup, args);
        EXPECT_EQ(0u, run.exitCode) << run.summary();
        EXPECT_EQ(1u, Installs(run).size()) << run.summary();
        EXPECT_TRUE(run.left.empty()) << Joined(run.left);
    }
    std::wstring m_setup;
};

std::string Publishers() {
    return Sorted({g_apszPublishers[0], g_apszPublishers[1]});
}

TEST_F(StubCerts, SilentOnWindows7) {
    ASSERT_EQ("", StoreEntries(L"TrustedPublisher"));
    ASSERT_EQ(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    RunOk(L"--silent");
    EXPECT_EQ(Publishers(), StoreEntries(L"TrustedPublisher"));
    EXPECT_NE(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    // Once more: an entry that is there already is replaced, which succeeds.
    RunOk(L"--silent");
    EXPECT_EQ(Publishers(), StoreEntries(L"TrustedPublisher"));
}

TEST_F(StubCerts, NoPublishersUnlessSilent) {
    RunOk(L"");
    EXPECT_EQ("", StoreEntries(L"TrustedPublisher"));
    EXPECT_NE(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    RunOk(L"--silent --no-silent-cert");
    EXPECT_EQ("", StoreEntries(L"TrustedPublisher"));
}

TEST_F(StubCerts, Windows10Workstation) {
    ASSERT_TRUE(SetWindows(10, 0, 19045, L"WinNT"));
    RunOk(L"--silent");
    EXPECT_EQ(Publishers(), StoreEntries(L"TrustedPublisher"));
    EXPECT_EQ(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    RunOk(L"--silent --no-silent-cert --force-install-timestamp-ca");
    EXPECT_NE(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
}

TEST_F(StubCerts, Server2019) {
    // The same version as a workstation first: the product type makes the difference.
    ASSERT_TRUE(SetWindows(10, 0, 17763, L"WinNT"));
    RunOk(L"--silent --no-silent-cert");
    EXPECT_EQ(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    ASSERT_TRUE(SetWindows(10, 0, 17763, L"ServerNT"));
    RunOk(L"--silent --no-silent-cert");
    EXPECT_NE(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    EXPECT_EQ("", StoreEntries(L"TrustedPublisher"));
}

TEST_F(StubCerts, TimestampCaDisabled) {
    RunOk(L"--silent --force-install-timestamp-ca --no-install-timestamp-ca");
    EXPECT_EQ(std::string::npos, StoreEntries(L"Root").find(g_szTimestampCa));
    EXPECT_EQ(Publishers(), StoreEntries(L"TrustedPublisher"));
}

} // namespace
} // namespace e2e
