// Reading the container back from a packed image: what `quilpack list` prints, and what the
// tests compare with what was packed.
#pragma once

#include "byte-source.h"
#include "container.h"
#include "pe-image.h"

#include <string>
#include <vector>

namespace quilpack {

struct ListedPackage {
    unsigned index = 0;
    StubPackage header;
    uint32_t payloadRva = 0, payloadSize = 0;
};

struct PackageListing {
    StubManifest manifest;
    bool fMagicOk = false; // the manifest's magic and version are what quilpack writes
    std::vector<ListedPackage> packages;
};

// Finds an RT_RCDATA resource by name as the stub does (the name upper-cased, any language).
const ResourceLeaf *findRcdata(const std::vector<ResourceLeaf> &leaves, const std::string &name);

// Reads the manifest, every header and the size of every payload. False with *pErr set when
// the image is no PE32 stub, carries no MANIFEST, or a header is missing or malformed or
// names a payload that is not there: everything the stub would stop at.
bool listPackages(ByteSource &src, PackageListing *pListing, std::string *pErr);

} // namespace quilpack
