// The manifest and header layouts, byte for byte, and reading them back as the stub does.
#include "container.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace quilpack;

std::string hexOf(const std::vector<uint8_t> &bytes, size_t off, size_t cb) {
    std::string out;
    char sz[4];
    for (size_t i = off; i < off + cb && i < bytes.size(); i++) {
        std::snprintf(sz, sizeof(sz), "%02x", bytes[i]);
        out += sz;
    }
    return out;
}

TEST(QuilpackContainer, ManifestBytes) {
    struct Row {
        int line;
        uint8_t count;
        const char *pszHex;
    };
    const Row rows[] = {
        {__LINE__, 0,
         "7175696c247475620000000001000000"
         "00000000"},
        {__LINE__, 1,
         "7175696c247475620000000001000000"
         "01000000"},
        {__LINE__, 255,
         "7175696c247475620000000001000000"
         "ff000000"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        StubManifest manifest;
        manifest.packageCount = row.count;
        std::vector<uint8_t> const bytes = encodeManifest(manifest);
        ASSERT_EQ(20u, bytes.size());
        EXPECT_EQ(row.pszHex, hexOf(bytes, 0, 20));
    }
}

TEST(QuilpackContainer, HeaderBytes) {
    StubPackage pkg;
    pkg.architecture = 2;
    pkg.resourceName = "BIN_07";
    pkg.fileName = "Product.msi";
    std::vector<uint8_t> const bytes = encodeHeader(pkg);
    ASSERT_EQ(521u, bytes.size());
    EXPECT_EQ(2, bytes[0]);
    EXPECT_EQ(0, std::memcmp(&bytes[1], "BIN_07", 7)); // with its terminator
    EXPECT_EQ(0, std::memcmp(&bytes[261], "Product.msi", 12));
    // Zero-filled behind both names, up to the last byte.
    for (size_t i = 1 + 7; i < 261; i++) ASSERT_EQ(0, bytes[i]) << i;
    for (size_t i = 261 + 12; i < 521; i++) ASSERT_EQ(0, bytes[i]) << i;
    // The longest name that fits leaves the field's last byte as its terminator.
    pkg.fileName.assign(259, 'a');
    std::vector<uint8_t> const full = encodeHeader(pkg);
    EXPECT_EQ('a', full[261 + 258]);
    EXPECT_EQ(0, full[520]);
}

TEST(QuilpackContainer, ResourceNames) {
    struct Row {
        int line;
        unsigned index;
        const char *pszHeader, *pszPayload;
    };
    const Row rows[] = {
        {__LINE__, 0, "HDR_00", "BIN_00"},     {__LINE__, 7, "HDR_07", "BIN_07"},
        {__LINE__, 99, "HDR_99", "BIN_99"},    {__LINE__, 100, "HDR_100", "BIN_100"},
        {__LINE__, 123, "HDR_123", "BIN_123"}, {__LINE__, 254, "HDR_254", "BIN_254"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(row.pszHeader, headerResourceName(row.index));
        EXPECT_EQ(row.pszPayload, payloadResourceName(row.index));
    }
}

TEST(QuilpackContainer, ManifestReadBack) {
    struct Row {
        int line;
        std::vector<uint8_t> bytes;
        bool fOk, fMagicOk;
        unsigned count;
    };
    std::vector<uint8_t> good = encodeManifest(StubManifest{1, 3});
    std::vector<uint8_t> otherMagic = good;
    otherMagic[0] = 'Q';
    std::vector<uint8_t> otherVersion = good;
    otherVersion[12] = 2;
    std::vector<uint8_t> shortest(good.begin(), good.begin() + 17);
    std::vector<uint8_t> tooShort(good.begin(), good.begin() + 16);
    const Row rows[] = {
        {__LINE__, good, true, true, 3},         {__LINE__, otherMagic, true, false, 3}, // the count is still read
        {__LINE__, otherVersion, true, true, 3}, // the version is reported, not judged here
        {__LINE__, shortest, true, false, 3},    // holds the count
        {__LINE__, tooShort, false, false, 0},   {__LINE__, {}, false, false, 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        StubManifest manifest;
        bool fMagicOk = false;
        std::string err;
        EXPECT_EQ(row.fOk, decodeManifest(row.bytes.data(), row.bytes.size(), &manifest, &fMagicOk, &err)) << err;
        if (!row.fOk) {
            EXPECT_NE("", err);
            continue;
        }
        EXPECT_EQ(row.fMagicOk, fMagicOk);
        EXPECT_EQ(row.count, manifest.packageCount);
    }
}

TEST(QuilpackContainer, HeaderReadBack) {
    StubPackage pkg;
    pkg.architecture = 1;
    pkg.resourceName = "BIN_01";
    pkg.fileName = "a.cab";
    std::vector<uint8_t> const good = encodeHeader(pkg);
    std::vector<uint8_t> noNulName = good, noNulFile = good, longer = good;
    std::memset(&noNulName[1], 'x', 260);
    std::memset(&noNulFile[261], 'y', 260);
    longer.push_back(0x55); // trailing bytes are ignored, as by the stub
    struct Row {
        int line;
        std::vector<uint8_t> bytes;
        const char *pszExpect; // "arch/name/file", or the error
    };
    const Row rows[] = {
        {__LINE__, good, "1/BIN_01/a.cab"},
        {__LINE__, longer, "1/BIN_01/a.cab"},
        {__LINE__, std::vector<uint8_t>(good.begin(), good.end() - 1),
         "error: package header of 520 bytes, expected 521"},
        {__LINE__, noNulName, "error: package header whose resource name has no terminator"},
        {__LINE__, noNulFile, "error: package header whose file name has no terminator"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        StubPackage back;
        std::string err;
        std::string got = decodeHeader(row.bytes.data(), row.bytes.size(), &back, &err)
                              ? std::to_string(back.architecture) + "/" + back.resourceName + "/" + back.fileName
                              : "error: " + err;
        EXPECT_EQ(row.pszExpect, got);
    }
}

} // namespace
