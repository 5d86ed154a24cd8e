// Building a resource tree (type, name, language) in the form the Windows loader searches:
// names upper-case and before numbers, each level sorted, so that its binary search finds
// every entry.
#pragma once

#include "pe-image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quilpack {

// One resource of the tree to build. DATARVA is where its bytes lie in the image; the tree
// holds only that address and the size.
struct ResourceEntry {
    ResourceId type, name;
    uint16_t lang = 0;
    uint32_t codePage = 0;
    uint32_t size = 0;
    uint32_t dataRva = 0;
};

// An entry for a resource read from an image, at the place it has there.
ResourceEntry resourceEntryOf(const ResourceLeaf &leaf);

// The order Windows requires within one level: names before numbers, names by their UTF-16
// units (a name before the longer names it begins), numbers ascending.
bool resourceIdLess(const ResourceId &a, const ResourceId &b);

// Upper-cases the ASCII letters of every name (the loader upper-cases the name it looks for)
// and sorts the entries by type, name and language. False with *pErr set when two entries
// are then the same resource.
bool resourceTreeSort(std::vector<ResourceEntry> *pEntries, std::string *pErr);

// The size in bytes of the tree over sorted ENTRIES, a multiple of 8; the data is not part of it.
uint32_t resourceTreeSize(const std::vector<ResourceEntry> &entries);

// The tree over sorted ENTRIES, resourceTreeSize() bytes; its offsets are relative to its
// start, the data addresses are the entries' RVAs.
std::vector<uint8_t> resourceTreeBuild(const std::vector<ResourceEntry> &entries);

} // namespace quilpack
