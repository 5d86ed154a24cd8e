// Resource tree layout: every directory first (root, types, names), then the data entries,
// then the name strings.
#include "resource-tree.h"

#include "bytes.h"

#include <algorithm>
#include <tuple>

namespace quilpack {

namespace {

constexpr uint32_t kDirSize = 16, kEntrySize = 8, kDataEntrySize = 16;
constexpr uint32_t kHighBit = 0x80000000u;

void putU16(std::vector<uint8_t> &out, uint32_t off, uint16_t u) {
    quilpack::putU16(&out[off], u);
}
void putU32(std::vector<uint8_t> &out, uint32_t off, uint32_t u) {
    quilpack::putU32(&out[off], u);
}

// The tree's shape: the index of each level's first entry for every distinct type and name.
struct Shape {
    std::vector<size_t> typeStarts;              // index into entries of each type's first entry
    std::vector<std::vector<size_t>> nameStarts; // per type: index of each name's first entry
    uint32_t cbDirs = 0, cbStrings = 0;
};

uint32_t stringSize(const ResourceId &id) {
    return id.fName ? uint32_t(2 + 2 * id.name.size()) : 0;
}

Shape shapeOf(const std::vector<ResourceEntry> &entries) {
    Shape shape;
    shape.cbDirs = kDirSize;
    for (size_t i = 0; i < entries.size(); i++) {
        bool const fNewType = i == 0 || !(entries[i].type == entries[i - 1].type);
        if (fNewType) {
            shape.typeStarts.push_back(i);
            shape.nameStarts.emplace_back();
            shape.cbDirs += kEntrySize + kDirSize;
            shape.cbStrings += stringSize(entries[i].type);
        }
        if (fNewType || !(entries[i].name == entries[i - 1].name)) {
            shape.nameStarts.back().push_back(i);
            shape.cbDirs += kEntrySize + kDirSize;
            shape.cbStrings += stringSize(entries[i].name);
        }
        shape.cbDirs += kEntrySize; // the language entry
    }
    return shape;
}

uint32_t align8(uint32_t u) {
    return (u + 7) & ~7u;
}

// Writes a directory header with the counts of named and numbered entries among IDS.
void putDir(std::vector<uint8_t> &out, uint32_t off, const std::vector<const ResourceId *> &ids) {
    uint16_t cNamed = 0;
    for (const ResourceId *pId : ids) cNamed += pId->fName ? 1 : 0;
    putU16(out, off + 12, cNamed);
    putU16(out, off + 14, uint16_t(ids.size() - cNamed));
}

} // namespace

ResourceEntry resourceEntryOf(const ResourceLeaf &leaf) {
    ResourceEntry entry;
    entry.type = leaf.type;
    entry.name = leaf.name;
    entry.lang = leaf.lang;
    entry.codePage = leaf.codePage;
    entry.size = leaf.size;
    entry.dataRva = leaf.dataRva;
    return entry;
}

bool resourceIdLess(const ResourceId &a, const ResourceId &b) {
    if (a.fName != b.fName) return a.fName;
    return a.fName ? a.name < b.name : a.id < b.id;
}

bool resourceTreeSort(std::vector<ResourceEntry> *pEntries, std::string *pErr) {
    for (ResourceEntry &entry : *pEntries)
        for (ResourceId *pId : {&entry.type, &entry.name})
            for (char16_t &wc : pId->name)
                if (wc >= u'a' && wc <= u'z') wc = char16_t(wc - u'a' + u'A');
    auto const less = [](const ResourceEntry &a, const ResourceEntry &b) {
        if (!(a.type == b.type)) return resourceIdLess(a.type, b.type);
        if (!(a.name == b.name)) return resourceIdLess(a.name, b.name);
        return a.lang < b.lang;
    };
    std::stable_sort(pEntries->begin(), pEntries->end(), less);
    for (size_t i = 1; i < pEntries->size(); i++)
        if (!less((*pEntries)[i - 1], (*pEntries)[i])) {
            const ResourceEntry &dup = (*pEntries)[i];
            *pErr = "resource " + dup.type.display() + "/" + dup.name.display() + " language " +
                    std::to_string(dup.lang) + " twice";
            return false;
        }
    return true;
}

uint32_t resourceTreeSize(const std::vector<ResourceEntry> &entries) {
    Shape const shape = shapeOf(entries);
    return align8(shape.cbDirs + kDataEntrySize * uint32_t(entries.size()) + shape.cbStrings);
}

std::vector<uint8_t> resourceTreeBuild(const std::vector<ResourceEntry> &entries) {
    Shape const shape = shapeOf(entries);
    uint32_t const offData = shape.cbDirs;
    uint32_t offString = offData + kDataEntrySize * uint32_t(entries.size());
    std::vector<uint8_t> out(align8(offString + shape.cbStrings), 0);

    auto const putId = [&](uint32_t offEntry, const ResourceId &id) {
        if (!id.fName) {
            putU32(out, offEntry, id.id);
            return;
        }
        putU32(out, offEntry, kHighBit | offString);
        putU16(out, offString, uint16_t(id.name.size()));
        for (size_t i = 0; i < id.name.size(); i++) putU16(out, offString + 2 + uint32_t(2 * i), id.name[i]);
        offString += stringSize(id);
    };

    // Directories breadth first: the root, every type's directory, every name's directory.
    size_t const cTypes = shape.typeStarts.size();
    uint32_t const offTypeDirs = kDirSize + kEntrySize * uint32_t(cTypes);
    uint32_t offNext = offTypeDirs;
    std::vector<uint32_t> typeDirOffs, nameDirOffs;
    for (size_t t = 0; t < cTypes; t++) {
        typeDirOffs.push_back(offNext);
        offNext += kDirSize + kEntrySize * uint32_t(shape.nameStarts[t].size());
    }
    for (size_t t = 0; t < cTypes; t++)
        for (size_t n = 0; n < shape.nameStarts[t].size(); n++) {
            nameDirOffs.push_back(offNext);
            size_t const iFirst = shape.nameStarts[t][n];
            size_t const iEnd = n + 1 < shape.nameStarts[t].size() ? shape.nameStarts[t][n + 1]
                                : t + 1 < cTypes                   ? shape.typeStarts[t + 1]
                                                                   : entries.size();
            offNext += kDirSize + kEntrySize * uint32_t(iEnd - iFirst);
        }

    std::vector<const ResourceId *> ids;
    for (size_t t = 0; t < cTypes; t++) ids.push_back(&entries[shape.typeStarts[t]].type);
    putDir(out, 0, ids);
    size_t iNameDir = 0;
    for (size_t t = 0; t < cTypes; t++) {
        uint32_t const offRootEntry = kDirSize + kEntrySize * uint32_t(t);
        putId(offRootEntry, entries[shape.typeStarts[t]].type);
        putU32(out, offRootEntry + 4, kHighBit | typeDirOffs[t]);
        ids.clear();
        for (size_t iFirst : shape.nameStarts[t]) ids.push_back(&entries[iFirst].name);
        putDir(out, typeDirOffs[t], ids);
        for (size_t n = 0; n < shape.nameStarts[t].size(); n++, iNameDir++) {
            uint32_t const offTypeEntry = typeDirOffs[t] + kDirSize + kEntrySize * uint32_t(n);
            size_t const iFirst = shape.nameStarts[t][n];
            putId(offTypeEntry, entries[iFirst].name);
            putU32(out, offTypeEntry + 4, kHighBit | nameDirOffs[iNameDir]);
        }
    }
    // The language level and the data entries, in entry order.
    iNameDir = 0;
    for (size_t t = 0; t < cTypes; t++)
        for (size_t n = 0; n < shape.nameStarts[t].size(); n++, iNameDir++) {
            size_t const iFirst = shape.nameStarts[t][n];
            size_t iEnd = iFirst + 1;
            while (iEnd < entries.size() && entries[iEnd].type == entries[iFirst].type &&
                   entries[iEnd].name == entries[iFirst].name)
                iEnd++;
            putU16(out, nameDirOffs[iNameDir] + 14, uint16_t(iEnd - iFirst));
            for (size_t i = iFirst; i < iEnd; i++) {
                uint32_t const offLangEntry = nameDirOffs[iNameDir] + kDirSize + kEntrySize * uint32_t(i - iFirst);
                uint32_t const offDataEntry = offData + kDataEntrySize * uint32_t(i);
                putU32(out, offLangEntry, entries[i].lang);
                putU32(out, offLangEntry + 4, offDataEntry);
                putU32(out, offDataEntry, entries[i].dataRva);
                putU32(out, offDataEntry + 4, entries[i].size);
                putU32(out, offDataEntry + 8, entries[i].codePage);
            }
        }
    return out;
}

} // namespace quilpack
