// CRYPT32.DLL, bound on first call.
#include "QuilStubLazy.h"

RTLAZY_RESOLVER(g_QuilStubLazyCrypt32, QUILPCCERT_CONTEXT, CertCreateCertificateContext,
                (uint32_t fCertEncodingType, const uint8_t *pbCertEncoded, uint32_t cbCertEncoded),
                (fCertEncodingType, pbCertEncoded, cbCertEncoded))
RTLAZY_RESOLVER(g_QuilStubLazyCrypt32, QUILHCERTSTORE, CertOpenStore,
                (const char *pszStoreProvider, uint32_t fEncodingType, uintptr_t hCryptProv, uint32_t fFlags,
                 const void *pvPara),
                (pszStoreProvider, fEncodingType, hCryptProv, fFlags, pvPara))
RTLAZY_RESOLVER(g_QuilStubLazyCrypt32, QUILBOOL, CertFreeCertificateContext, (QUILPCCERT_CONTEXT pCertContext),
                (pCertContext))
RTLAZY_RESOLVER(g_QuilStubLazyCrypt32, QUILBOOL, CertAddCertificateContextToStore,
                (QUILHCERTSTORE hCertStore, QUILPCCERT_CONTEXT pCertContext, uint32_t fAddDisposition,
                 QUILPCCERT_CONTEXT *ppStoreContext),
                (hCertStore, pCertContext, fAddDisposition, ppStoreContext))
RTLAZY_RESOLVER(g_QuilStubLazyCrypt32, QUILBOOL, CertCloseStore, (QUILHCERTSTORE hCertStore, uint32_t fFlags),
                (hCertStore, fFlags))

QUILSTUBLAZYCRYPT32 g_QuilStubLazyCrypt32 = {
    RTLAZYLIB_INITIALIZER("CRYPT32.DLL"),
    RTLAZY_RESOLVER_NAME(CertCreateCertificateContext),
    RTLAZY_RESOLVER_NAME(CertOpenStore),
    RTLAZY_RESOLVER_NAME(CertFreeCertificateContext),
    RTLAZY_RESOLVER_NAME(CertAddCertificateContextToStore),
    RTLAZY_RESOLVER_NAME(CertCloseStore),
};
