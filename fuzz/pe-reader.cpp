// The packer's PE reader over mutated stubs: headers, the resource tree and the container as
// `quilpack list` reads them. Every input ends in a clean refusal or a result whose every
// offset lies inside the input; ASan catches any read outside it.
#include "fuzz-check.h"

#include "package-list.h"
#include "pe-image.h"
#include "resource-tree.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace quilpack;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    MemorySource src(data, size);
    PeImage image;
    std::string err;
    if (!peRead(src, &image, &err)) {
        CHECK(!err.empty());
        return 0;
    }
    CHECK(image.keepSize <= size);
    CHECK(image.sizeOfHeaders <= size);
    for (const PeSection &sec : image.sections)
        CHECK(sec.sizeOfRawData == 0 || uint64_t(sec.pointerToRawData) + sec.sizeOfRawData <= size);

    std::vector<ResourceLeaf> leaves;
    if (!peReadResources(src, image, &leaves, &err)) {
        CHECK(!err.empty());
    } else {
        // Every resource with data lies in the file, and a tree rebuilt from them reads back.
        std::vector<ResourceEntry> entries;
        for (const ResourceLeaf &leaf : leaves) {
            uint64_t off = 0;
            if (leaf.size) {
                CHECK(peRvaToOffset(image, leaf.dataRva, leaf.size, &off));
                CHECK(off + leaf.size <= size);
            }
            entries.push_back(resourceEntryOf(leaf));
        }
        if (resourceTreeSort(&entries, &err)) {
            std::vector<uint8_t> const tree = resourceTreeBuild(entries);
            CHECK(tree.size() == resourceTreeSize(entries));
        }
    }

    PackageListing listing;
    if (!listPackages(src, &listing, &err)) {
        CHECK(!err.empty());
        return 0;
    }
    CHECK(listing.packages.size() == listing.manifest.packageCount);
    for (const ListedPackage &pkg : listing.packages) {
        CHECK(pkg.header.resourceName.size() < kNameFieldSize);
        CHECK(pkg.header.fileName.size() < kNameFieldSize);
    }
    return 0;
}
