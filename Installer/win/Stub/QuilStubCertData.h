// The certificates the stub adds to the machine's stores: DER bytes and lengths, generated at
// build time from the files in the folder that QUILSTUB_CERT_DIR names (CMake; by default the
// stand-ins beside this header). The arrays are the files' bytes unchanged.
#pragma once

#include <qrt/types.h>

// publisher-1.der and publisher-2.der: the publisher's code-signing certificates, in the order
// they are added to "TrustedPublisher".
extern const uint8_t g_abStubPublisherCert1[];
extern const uint32_t g_cbStubPublisherCert1;
extern const uint8_t g_abStubPublisherCert2[];
extern const uint32_t g_cbStubPublisherCert2;
// timestamp-ca.der: the legacy timestamp CA for the "Root" store.
extern const uint8_t g_abStubTimestampCaCert[];
extern const uint32_t g_cbStubTimestampCaCert;
