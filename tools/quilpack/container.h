// The package container the stub reads from its own resources: the manifest, one header per
// package and the payloads, all of type RT_RCDATA. The byte layouts here are what the stub
// expects; changing them breaks every stub already shipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quilpack {

// Host architectures a package is meant for. Values above Amd64 fit no host: such a package
// is only ever written by an extract-only run.
enum class PackageArch : uint8_t { All = 0, X86 = 1, Amd64 = 2 };

constexpr uint16_t kRtRcdata = 10;     // the resource type of every container resource
constexpr uint16_t kLangEnUs = 1033;   // the language the container's resources are stored under
constexpr unsigned kMaxPackages = 255; // the manifest's count is one byte
constexpr size_t kManifestSize = 20;
constexpr size_t kManifestMinSize = 17; // enough to hold the count, the one field the stub reads
constexpr size_t kNameFieldSize = 260;  // each name field of a header, terminator included
constexpr size_t kHeaderSize = 1 + 2 * kNameFieldSize;
constexpr uint32_t kManifestVersion = 1;
extern const char kManifestName[]; // "MANIFEST"

// The manifest: the stub reads only the count.
struct StubManifest {
    uint32_t version = kManifestVersion;
    uint8_t packageCount = 0;
};

// One package's header.
struct StubPackage {
    uint8_t architecture = 0; // a PackageArch value or any other number
    std::string resourceName; // the payload's resource name
    std::string fileName;     // the name the package is extracted under
};

// The 20 bytes of the manifest resource.
std::vector<uint8_t> encodeManifest(const StubManifest &manifest);
// Reads a manifest resource. Returns false with *pErr set when it is too short to hold the
// count; the magic and the version are reported but, as by the stub, not judged.
bool decodeManifest(const uint8_t *pb, size_t cb, StubManifest *pManifest, bool *pfMagicOk, std::string *pErr);

// The 521 bytes of a header resource: names NUL-terminated and zero-filled. Both names must be
// shorter than the field (the caller checks file names; resource names are ours).
std::vector<uint8_t> encodeHeader(const StubPackage &package);
// Reads a header resource. Returns false with *pErr set when it is shorter than 521 bytes or a
// name field holds no terminator: the stub refuses such headers.
bool decodeHeader(const uint8_t *pb, size_t cb, StubPackage *pPackage, std::string *pErr);

// "HDR_%02d" and "BIN_%02d": at least two digits, three from index 100 on.
std::string headerResourceName(unsigned index);
std::string payloadResourceName(unsigned index);

} // namespace quilpack
