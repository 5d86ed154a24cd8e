// Packing: checks a stub and the package files, lays out the new image and writes it. The
// image is the stub with one section added at its end, holding a rebuilt resource tree (the
// stub's own resources and the container's), the manifest, the headers and the payloads,
// each payload at a 4 KiB file offset so that the loader maps it instead of copying it.
#pragma once

#include "container.h"
#include "file.h"
#include "pe-image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quilpack {

// The most address space the packed image may take. Measured under Wine (WoW64) with a stub
// linked --large-address-aware; the limit keeps room beside the image for the stub's heap and
// the Windows Installer.
constexpr uint32_t kMaxImageSize = 0x70000000u;
constexpr uint32_t kPayloadAlignment = 4096;
// Payloads are copied through one buffer of this size: small enough to stay in the CPU's cache
// between the read, the checksum and the write (measured faster than 1 and 4 MiB).
constexpr size_t kCopyBlockSize = 256u << 10;

struct PackInput {
    std::string path;
    uint8_t architecture = 0;
};

struct PackRequest {
    std::string stubPath, outputPath;
    std::vector<PackInput> inputs;
};

// Why a pack failed: the message starts with the name of the file at fault; SIGNAL is the
// interrupt that stopped it (0 for any other failure).
struct PackError {
    std::string message;
    int signal = 0;
};

using PackWarn = std::function<void(const std::string &)>;

struct PlannedPackage {
    std::string path;
    std::unique_ptr<InputFile> file;
    StubPackage header;
    uint64_t size = 0;
    uint32_t offPayload = 0; // within the new section
};

// Everything the writer needs, checked.
struct PackPlan {
    std::string stubPath;
    std::unique_ptr<InputFile> stubFile;
    PeImage stub;
    std::vector<PlannedPackage> packages;
    std::vector<uint8_t> front; // tree, manifest and headers: the new section up to the first payload
    uint64_t offSection = 0;    // file offset of the new section
    uint32_t rvaSection = 0, cbSectionVirtual = 0, cbSectionRaw = 0, sizeOfImage = 0;
    uint8_t abSectionHeader[40] = {};
};

// Checks the request (stub, files, names, architectures, sizes) and lays out the image.
// False with *pErr set at the first refusal; warnings go to WARN. Opens every file and keeps
// it open in the plan.
bool packPlan(const PackRequest &request, const PackWarn &warn, PackPlan *pPlan, PackError *pErr);

// Writes PLAN to OUTPUTPATH through a temporary file beside it, renamed into place at the end.
// On failure (an interrupt included) neither the output nor the temporary file exists.
bool packWrite(PackPlan &plan, const std::string &outputPath, PackError *pErr);

// packPlan and packWrite, with SIGINT and SIGTERM caught while writing.
bool packCreate(const PackRequest &request, const PackWarn &warn, PackError *pErr);

} // namespace quilpack
