// The embedded certificates are the build input's files byte for byte, lengths included.
#include "QuilStubCertData.h"

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"

namespace {

TEST(StubCertData, ArraysAreTheFiles) {
    const struct {
        int iLine;
        const char *pszFile;
        const uint8_t *pb;
        uint32_t cb;
    } aCases[] = {
        {__LINE__, "publisher-1.der", g_abStubPublisherCert1, g_cbStubPublisherCert1},
        {__LINE__, "publisher-2.der", g_abStubPublisherCert2, g_cbStubPublisherCert2},
        {__LINE__, "timestamp-ca.der", g_abStubTimestampCaCert, g_cbStubTimestampCaCert},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        std::string File;
        ASSERT_TRUE(tstFileReadAll(std::string(QUILSTUB_CERT_DIR) + "/" + c.pszFile, &File));
        EXPECT_EQ(File.size(), c.cb);
        EXPECT_EQ(File, std::string(reinterpret_cast<const char *>(c.pb), c.cb));
        EXPECT_EQ(0x30, c.pb[0]); // a DER SEQUENCE
    }
}

} // namespace
