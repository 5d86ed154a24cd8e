// The stub's binding tables under Windows: every slot reaches the system library's function,
// called with the platform's convention (a wrong one would corrupt the stack at once).
#include "QuilStubLazy.h"

#include <gtest/gtest.h>

#include <string>

#include "Runtime/common/ldr/ldr-test-util.h"
#include "Runtime/r3/testplatform.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <wincrypt.h>

namespace {

class QuilStubLazyWin : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tstLdrSetUp()); }
};

TEST_F(QuilStubLazyWin, EverySlotReachesTheSystemLibrary) {
    // Windows Installer: the UI level round-trips; logging off succeeds; a missing package fails.
    INSTALLUILEVEL const enmOld = (INSTALLUILEVEL)g_QuilStubLazyMsi.pfnMsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
    EXPECT_EQ(INSTALLUILEVEL_NONE, g_QuilStubLazyMsi.pfnMsiSetInternalUI(enmOld, nullptr));
    EXPECT_EQ(0u, g_QuilStubLazyMsi.pfnMsiEnableLogW(0, nullptr, 0));
    EXPECT_NE(0u, g_QuilStubLazyMsi.pfnMsiInstallProductW((const RTUTF16 *)L"C:\\qrt-no-such-package.msi",
                                                           (const RTUTF16 *)L""));

    // CryptoAPI: a memory store opens and closes; garbage is no certificate.
    QUILHCERTSTORE hStore =
        g_QuilStubLazyCrypt32.pfnCertOpenStore((const char *)CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr);
    ASSERT_NE(nullptr, hStore);
    static const uint8_t s_abJunk[] = {1, 2, 3, 4};
    EXPECT_EQ(nullptr,
              g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext(X509_ASN_ENCODING, s_abJunk, sizeof(s_abJunk)));
    EXPECT_FALSE(g_QuilStubLazyCrypt32.pfnCertAddCertificateContextToStore(hStore, nullptr, CERT_STORE_ADD_NEW,
                                                                           nullptr));
    EXPECT_TRUE(g_QuilStubLazyCrypt32.pfnCertFreeCertificateContext(nullptr));
    EXPECT_TRUE(g_QuilStubLazyCrypt32.pfnCertCloseStore(hStore, 0));

    // The user interface: the desktop window (the boxes are the messages tests' to show).
    EXPECT_EQ(GetDesktopWindow(), g_QuilStubLazyUser32.pfnGetDesktopWindow());
    EXPECT_NE(nullptr, RTLdrGetSystemSymbol("USER32.DLL", "MessageBoxW"));
    EXPECT_NE(nullptr, RTLdrGetSystemSymbol("USER32.DLL", "MessageBoxA"));

    // The shell: the platform's split, and a silent copy of a directory tree.
    int cArgs = 0;
    RTUTF16 **papwszArgs = g_QuilStubLazyShell32.pfnCommandLineToArgvW((const RTUTF16 *)L"x \"a b\" c", &cArgs);
    ASSERT_NE(nullptr, papwszArgs);
    EXPECT_EQ(3, cArgs);
    EXPECT_STREQ(L"a b", (const wchar_t *)papwszArgs[1]);
    LocalFree(papwszArgs);

    std::string const Src = TestTempFileName("lazysrc"), Dst = TestTempFileName("lazydst");
    ASSERT_TRUE(CreateDirectoryA(Src.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(Dst.c_str(), nullptr));
    std::string const File = Src + "\\f.txt";
    HANDLE hFile = CreateFileA(File.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    CloseHandle(hFile);
    std::wstring wSrc(Src.begin(), Src.end()), wDst(Dst.begin(), Dst.end());
    wSrc.push_back(L'\0'); // the lists end with an empty name
    wDst.push_back(L'\0');
    SHFILEOPSTRUCTW Op = {};
    Op.wFunc = FO_COPY;
    Op.pFrom = wSrc.c_str();
    Op.pTo = wDst.c_str();
    Op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    EXPECT_EQ(0, g_QuilStubLazyShell32.pfnSHFileOperationW(&Op));
    std::string const Copied = Dst + Src.substr(Src.rfind('\\')) + "\\f.txt";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(Copied.c_str()));
    DeleteFileA(Copied.c_str());
    RemoveDirectoryA((Dst + Src.substr(Src.rfind('\\'))).c_str());
    DeleteFileA(File.c_str());
    RemoveDirectoryA(Src.c_str());
    RemoveDirectoryA(Dst.c_str());

    // The common controls.
    INITCOMMONCONTROLSEX Init = {sizeof(Init), ICC_STANDARD_CLASSES};
    EXPECT_TRUE(g_QuilStubLazyComctl32.pfnInitCommonControlsEx(&Init));
}

} // namespace
