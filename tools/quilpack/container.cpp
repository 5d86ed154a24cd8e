// Encoding and decoding of the manifest and package header resources.
#include "container.h"
#include "bytes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace quilpack {

const char kManifestName[] = "MANIFEST";

namespace {

const char kMagic[8] = {'q', 'u', 'i', 'l', '$', 't', 'u', 'b'};

std::string indexedName(const char *pszPrefix, unsigned index) {
    char sz[32];
    std::snprintf(sz, sizeof(sz), "%s%02u", pszPrefix, index);
    return sz;
}

// A name field: the text up to its terminator, or false when it has none.
bool nameField(const uint8_t *pb, std::string *pName) {
    const void *pvNul = std::memchr(pb, 0, kNameFieldSize);
    if (!pvNul) return false;
    pName->assign(reinterpret_cast<const char *>(pb), static_cast<const uint8_t *>(pvNul) - pb);
    return true;
}

} // namespace

std::vector<uint8_t> encodeManifest(const StubManifest &manifest) {
    std::vector<uint8_t> bytes(kManifestSize, 0);
    std::memcpy(bytes.data(), kMagic, sizeof(kMagic));
    putU32(&bytes[12], manifest.version);
    bytes[16] = manifest.packageCount;
    return bytes;
}

bool decodeManifest(const uint8_t *pb, size_t cb, StubManifest *pManifest, bool *pfMagicOk, std::string *pErr) {
    if (cb < kManifestMinSize) {
        *pErr = "manifest of " + std::to_string(cb) + " bytes, too short to hold the package count";
        return false;
    }
    *pfMagicOk = cb >= kManifestSize && std::memcmp(pb, kMagic, sizeof(kMagic)) == 0 && getU32(pb + 8) == 0;
    pManifest->version = getU32(pb + 12);
    pManifest->packageCount = pb[16];
    return true;
}

std::vector<uint8_t> encodeHeader(const StubPackage &package) {
    std::vector<uint8_t> bytes(kHeaderSize, 0);
    bytes[0] = package.architecture;
    std::memcpy(&bytes[1], package.resourceName.data(), std::min(package.resourceName.size(), kNameFieldSize - 1));
    std::memcpy(&bytes[1 + kNameFieldSize], package.fileName.data(),
                std::min(package.fileName.size(), kNameFieldSize - 1));
    return bytes;
}

bool decodeHeader(const uint8_t *pb, size_t cb, StubPackage *pPackage, std::string *pErr) {
    if (cb < kHeaderSize) {
        *pErr = "package header of " + std::to_string(cb) + " bytes, expected " + std::to_string(kHeaderSize);
        return false;
    }
    pPackage->architecture = pb[0];
    if (!nameField(pb + 1, &pPackage->resourceName)) {
        *pErr = "package header whose resource name has no terminator";
        return false;
    }
    if (!nameField(pb + 1 + kNameFieldSize, &pPackage->fileName)) {
        *pErr = "package header whose file name has no terminator";
        return false;
    }
    return true;
}

std::string headerResourceName(unsigned index) {
    return indexedName("HDR_", index);
}
std::string payloadResourceName(unsigned index) {
    return indexedName("BIN_", index);
}

} // namespace quilpack
