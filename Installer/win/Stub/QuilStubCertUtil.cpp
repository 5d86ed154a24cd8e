// The certificate steps: the legacy timestamp CA into "Root" where the Windows version needs
// it, the publisher's certificates into "TrustedPublisher".
#define QUILSTUB_CERTUTIL_TAG "Installer/win/Stub/QuilStubCertUtil"
#define RTMEM_TAG QUILSTUB_CERTUTIL_TAG

#include "QuilStubCertUtil.h"
#include "QuilStubCertCalls-internal.h"
#include "QuilStubCertData.h"
#include "QuilStubExitCodes.h"
#include "QuilStubLazy.h"
#include "QuilStubMessages.h"
#include "QuilStubTexts.h"

#include <qrt/err.h>
#include <qrt/message.h>
#include <qrt/string.h>
#include <qrt/system.h> // RTSYSTEM_MAKE_NT_VERSION
#include <qrt/utf16.h>

namespace {

// CryptoAPI values.
uintptr_t const g_uStoreProvSystemW = 10;         // a system store named by a UTF-16 string
uint32_t const g_fEncodingX509Pkcs7 = 0x10001;    // X509_ASN_ENCODING | PKCS_7_ASN_ENCODING
uint32_t const g_fStoreOpenExistingFlag = 0x4000; // cleared: a missing store is created
uint32_t const g_uAddReplaceExisting = 3;         // CERT_STORE_ADD_REPLACE_EXISTING
uint32_t const g_fCloseStoreCheckFlag = 2;        // CERT_CLOSE_STORE_CHECK_FLAG
uint8_t const g_bProductWorkstation = 1;

struct StubCertBlob {
    const uint8_t *pb;
    const uint32_t *pcb;
};

// The publisher certificate table, in the order the certificates are added.
StubCertBlob const g_aPublisherCerts[] = {
    {g_abStubPublisherCert1, &g_cbStubPublisherCert1},
    {g_abStubPublisherCert2, &g_cbStubPublisherCert2},
};

} // namespace

void *OpenSystemCertStore(uint32_t fStoreLocation, const char *pszStoreName) {
    RTUTF16 *pwszName = NULL;
    if (RT_FAILURE(RTStrToUtf16(pszStoreName, &pwszName))) return NULL;
    void *hStore = g_QuilStubLazyCrypt32.pfnCertOpenStore((const char *)g_uStoreProvSystemW, g_fEncodingX509Pkcs7, 0,
                                                          fStoreLocation & ~g_fStoreOpenExistingFlag, pwszName);
    RTUtf16Free(pwszName);
    return hStore;
}

bool AddDerCertificate(uint32_t fStoreLocation, const char *pszStoreName, const uint8_t *pbDer, uint32_t cbDer) {
    QUILPCCERT_CONTEXT pCert =
        g_QuilStubLazyCrypt32.pfnCertCreateCertificateContext(g_fEncodingX509Pkcs7, pbDer, cbDer);
    if (!pCert) {
        RTMsgError(QUILSTUB_MSG_CERT_CONTEXT_FAILED, (int)g_StubCertCalls.pfnGetLastError());
        return false;
    }
    bool fOk = false;
    void *hStore = OpenSystemCertStore(fStoreLocation, pszStoreName);
    if (!hStore)
        RTMsgError(QUILSTUB_MSG_CERT_STORE_OPEN_FAILED, (int)g_StubCertCalls.pfnGetLastError());
    else {
        fOk =
            g_QuilStubLazyCrypt32.pfnCertAddCertificateContextToStore(hStore, pCert, g_uAddReplaceExisting, NULL) != 0;
        if (!fOk) RTMsgError(QUILSTUB_MSG_CERT_ADD_FAILED, (int)g_StubCertCalls.pfnGetLastError());
        g_QuilStubLazyCrypt32.pfnCertCloseStore(hStore, g_fCloseStoreCheckFlag);
    }
    g_QuilStubLazyCrypt32.pfnCertFreeCertificateContext(pCert);
    return fOk;
}

bool TimestampCaNeeded(bool fForced, uint64_t uNtVersion, uint8_t bProductType) {
    if (fForced) return true;
    // Windows 10 and later workstations carry what the timestamps need.
    return uNtVersion < RTSYSTEM_MAKE_NT_VERSION(10, 0, 0) || bProductType != g_bProductWorkstation;
}

int AddLegacyTimestampCa(bool fForced) {
    // Queried only when not forced: a forced run needs neither.
    if (!fForced && !TimestampCaNeeded(false, g_StubCertCalls.pfnGetNtVersion(), g_StubCertCalls.pfnGetNtProductType()))
        return QUILSTUB_EXIT_SUCCESS;
    if (!AddDerCertificate(QUILSTUB_CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root", g_abStubTimestampCaCert,
                           g_cbStubTimestampCaCert))
        return ReportFailure(QUILSTUB_MSG_TIMESTAMP_CA_FAILED);
    return QUILSTUB_EXIT_SUCCESS;
}

int AddPublisherCertificates(void) {
    for (const StubCertBlob &Cert : g_aPublisherCerts)
        if (!AddDerCertificate(QUILSTUB_CERT_SYSTEM_STORE_LOCAL_MACHINE, "TrustedPublisher", Cert.pb, *Cert.pcb))
            return ReportFailure(QUILSTUB_MSG_PUBLISHER_CERTS_FAILED);
    return QUILSTUB_EXIT_SUCCESS;
}
