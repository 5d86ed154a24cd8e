// Certificates: the publisher's code-signing certificates go into the machine's
// "TrustedPublisher" store before a silent installation, so that the Windows Installer trusts
// the packages' signatures without asking; the timestamp CA that legacy Windows versions lack
// goes into the machine's "Root" store. The certificates are constant DER arrays built into
// the program (QuilStubCertData.h). Writing to the machine's stores needs administrator rights.
#pragma once

#include <qrt/types.h>

// CryptoAPI's store location of the machine's stores.
#define QUILSTUB_CERT_SYSTEM_STORE_LOCAL_MACHINE 0x20000U

// Adds the timestamp CA to the machine's "Root" store, unless the host is a Windows 10 or later
// workstation and fForced is false (servers and domain controllers get it on every version).
// Returns 0 (also when the step had nothing to do), or 1 after "Failed add the legacy Windows
// timestamp CA to the root certificate store." (the CryptoAPI detail on standard error first).
int AddLegacyTimestampCa(bool fForced);

// Whether the timestamp CA step adds the certificate on a host of that packed NT version
// (RTSYSTEM_MAKE_NT_VERSION) and product type (1 workstation, 2 domain controller, 3 server).
bool TimestampCaNeeded(bool fForced, uint64_t uNtVersion, uint8_t bProductType);

// Adds the publisher certificates, in order, to the machine's "TrustedPublisher" store. At the
// first that fails, the later ones are not tried. Returns 0, or 1 after "Failed to add our
// certificate(s) to trusted publisher store." (the CryptoAPI detail on standard error first).
int AddPublisherCertificates(void);

// Adds the DER certificate pbDer (cbDer bytes) to the system store pszStoreName (UTF-8) at
// fStoreLocation, replacing a copy already there. Returns true on success; on failure false
// after one line on standard error ("Unable to get certificate context: %d", "Unable to open
// certificates store: %d", "Unable to install certificate: %d", with the platform's last error
// as a signed number). Whatever it opened or created is closed and freed before it returns.
bool AddDerCertificate(uint32_t fStoreLocation, const char *pszStoreName, const uint8_t *pbDer, uint32_t cbDer);

// Opens (creating it when missing) the system store pszStoreName (UTF-8) at fStoreLocation.
// Returns the store handle, which the caller closes with CertCloseStore, or null (the
// platform's last error says why; null without one when the name cannot be converted).
void *OpenSystemCertStore(uint32_t fStoreLocation, const char *pszStoreName);
