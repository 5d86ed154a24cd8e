// The certificate steps against Windows' own CryptoAPI, where no store is touched: junk bytes
// are refused with CryptoAPI's error as a signed number, each embedded certificate parses, and
// the shell's copy request has the platform's layout.
#include "QuilStubCertData.h"
#include "QuilStubCertUtil.h"
#include "QuilStubCustom-internal.h"
#include "QuilStubLazy.h"
#include "QuilStubSettings.h"

#include <gtest/gtest.h>

#include <cstddef>

#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/common/ldr/ldr-test-util.h"

#include <windows.h>
#include <shellapi.h>
#include <wincrypt.h>

namespace {

using namespace stubtest;

TEST(StubCertsWin, JunkIsNoCertificate) {
    ASSERT_TRUE(tstLdrSetUp()); // the slots bind through the runtime's loader
    static const uint8_t s_abJunk[] = {0x30, 0x03, 0x01, 0x02, 0x03, 0x04};
    StubCapture Capture;
    silentMode = true;
    EXPECT_FALSE(AddDerCertificate(QUILSTUB_CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root", s_abJunk, sizeof(s_abJunk)));
    EXPECT_EQ(WithProgramName("P: error: Unable to get certificate context: -2146881269\n"), Capture.Err());
}

TEST(StubCertsWin, EmbeddedCertificatesParse) {
    ASSERT_TRUE(tstLdrSetUp());
    const struct {
        int iLine;
        const uint8_t *pb;
        uint32_t cb;
        DWORD dwPublicKeyBits;
    } aCases[] = {
        {__LINE__, g_abStubPublisherCert1, g_cbStubPublisherCert1, 2048},
        {__LINE__, g_abStubPublisherCert2, g_cbStubPublisherCert2, 2048},
        {__LINE__, g_abStubTimestampCaCert, g_cbStubTimestampCaCert, 4096},
    };
    // The test program does not import CryptoAPI; the key length query has no slot.
    typedef DWORD(WINAPI * PFNKEYLENGTH)(DWORD, PCERT_PUBLIC_KEY_INFO);
    HMODULE hCrypt32 = LoadLibraryW(L"crypt32.dll");
    ASSERT_NE(nullptr, hCrypt32);
    PFNKEYLENGTH pfnKeyLength = (PFNKEYLENGTH)(void *)GetProcAddress(hCrypt32, "CertGetPublicKeyLength");
    ASSERT_NE(nullptr, pfnKeyLength);
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        QUILPCCERT_CONTEXT pCert =
            g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, c.pb, c.cb);
        ASSERT_NE(nullptr, pCert);
        EXPECT_EQ(c.dwPublicKeyBits,
                  pfnKeyLength(X509_ASN_ENCODING, &((PCCERT_CONTEXT)pCert)->pCertInfo->SubjectPublicKeyInfo));
        g_QuilStubLazyCrypt32.pfnCertFreeCertificateContext(pCert);
    }
    FreeLibrary(hCrypt32);
}

TEST(StubCustomWin, CopyRequestLayout) {
    EXPECT_EQ(sizeof(SHFILEOPSTRUCTW), sizeof(StubShFileOp));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, wFunc), offsetof(StubShFileOp, wFunc));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, pFrom), offsetof(StubShFileOp, pFrom));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, pTo), offsetof(StubShFileOp, pTo));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, fFlags), offsetof(StubShFileOp, fFlags));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, fAnyOperationsAborted), offsetof(StubShFileOp, fAnyOperationsAborted));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, hNameMappings), offsetof(StubShFileOp, hNameMappings));
    EXPECT_EQ(offsetof(SHFILEOPSTRUCTW, lpszProgressTitle), offsetof(StubShFileOp, lpszProgressTitle));
    EXPECT_EQ((unsigned)(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI),
              QUILSTUB_CUSTOM_COPY_FLAGS);
    EXPECT_EQ((unsigned)FO_COPY, QUILSTUB_FO_COPY);
}

} // namespace
