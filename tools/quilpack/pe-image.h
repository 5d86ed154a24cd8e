// Reading a PE32 image: its headers, its sections and its resource tree, from any byte source
// (a file, or memory for the fuzz target). Every read is bounded by the source's size; a
// malformed image is a refusal with a message, never a read outside the input.
#pragma once

#include "byte-source.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quilpack {

constexpr size_t kSectionHeaderSize = 40;
constexpr unsigned kDirResource = 2;
constexpr unsigned kDirSecurity = 4;

struct PeSection {
    char achName[8];
    uint32_t virtualSize, virtualAddress, sizeOfRawData, pointerToRawData, characteristics;
};

struct PeDataDir {
    uint32_t rva = 0, size = 0; // for the certificate table the "rva" is a file offset
};

// What the packer needs of an image, with the file offsets of the fields it rewrites.
struct PeImage {
    uint64_t fileSize = 0;
    uint32_t offFileHeader = 0; // the COFF header, after "PE\0\0"
    uint32_t offOptionalHeader = 0;
    uint32_t offSectionTable = 0;
    uint16_t machine = 0, characteristics = 0, subsystem = 0;
    uint32_t pointerToSymbolTable = 0, numberOfSymbols = 0;
    uint32_t sectionAlignment = 0, fileAlignment = 0, sizeOfImage = 0, sizeOfHeaders = 0, checkSum = 0;
    uint32_t sizeOfInitializedData = 0, numberOfRvaAndSizes = 0;
    PeDataDir aDirs[16];
    std::vector<PeSection> sections;
    uint64_t endOfSections = 0; // end of the last section's raw data (or of the COFF symbols)
    uint32_t endOfImage = 0;    // end of the last section in memory, not yet aligned
    uint64_t keepSize = 0;      // what a packer carries over: the file without its signature
    bool fSigned = false;       // a certificate table ends the file (it is not carried over)

    // File offsets of the fields the packer rewrites.
    uint32_t offNumberOfSections() const { return offFileHeader + 2; }
    uint32_t offSizeOfInitializedData() const { return offOptionalHeader + 8; }
    uint32_t offSizeOfImage() const { return offOptionalHeader + 56; }
    uint32_t offCheckSum() const { return offOptionalHeader + 64; }
    uint32_t offDataDir(unsigned i) const { return offOptionalHeader + 96 + 8 * i; }
};

// Reads the headers of a PE32 i386 GUI executable. False with *pErr set ("not a PE image",
// "a 64-bit image", ...) for anything else, and for an image whose layout it cannot extend
// safely: data after the sections that is neither COFF symbols nor a trailing signature.
bool peRead(ByteSource &src, PeImage *pImage, std::string *pErr);

// The file offset of CB bytes at RVA, which must lie in one section's raw data.
bool peRvaToOffset(const PeImage &image, uint32_t rva, uint32_t cb, uint64_t *pOff);

// A resource type, name or language: a number or a UTF-16 name.
struct ResourceId {
    bool fName = false;
    uint16_t id = 0;
    std::u16string name;

    static ResourceId number(uint16_t id);
    static ResourceId ascii(const std::string &name);
    bool operator==(const ResourceId &other) const;
    // The text of the id for messages: the number, or the name (non-ASCII as "?").
    std::string display() const;
};

// One resource as the tree holds it.
struct ResourceLeaf {
    ResourceId type, name;
    uint16_t lang = 0;
    uint32_t dataRva = 0, size = 0, codePage = 0;
};

// Reads the image's resource tree (type, name, language), in the tree's order. An image
// without one gives an empty list. False with *pErr set for a malformed tree, and for one
// whose data lies outside the image's sections.
bool peReadResources(ByteSource &src, const PeImage &image, std::vector<ResourceLeaf> *pLeaves, std::string *pErr);

} // namespace quilpack
