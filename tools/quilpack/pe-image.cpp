// PE32 headers and resource tree, read with bounds checks on every field.
#include "pe-image.h"

#include "bytes.h"

#include <algorithm>
#include <cstring>

namespace quilpack {

namespace {

constexpr uint16_t kMachineI386 = 0x14c;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMagicPe32 = 0x10b;
constexpr uint16_t kMagicPe32Plus = 0x20b;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kFileExecutable = 0x0002;
constexpr uint16_t kFileDll = 0x2000;
constexpr unsigned kMaxSections = 95; // the loader takes 96, and the packer adds one
constexpr uint32_t kSubdirFlag = 0x80000000u;
// A real tree holds a few dozen leaves; a crafted one could fan out to billions.
constexpr size_t kMaxTreeEntries = 65536;

bool isPowerOfTwo(uint32_t u) {
    return u && !(u & (u - 1));
}
std::string hex(uint32_t u) {
    char sz[16];
    std::snprintf(sz, sizeof(sz), "%#x", u);
    return sz;
}

// Whether the CB bytes at OFF are all zero.
bool allZero(ByteSource &src, uint64_t off, uint64_t cb, std::string *pErr, bool *pfZero) {
    uint8_t ab[4096];
    while (cb > 0) {
        size_t const cbChunk = size_t(std::min<uint64_t>(cb, sizeof(ab)));
        if (!src.read(off, ab, cbChunk, pErr)) return false;
        for (size_t i = 0; i < cbChunk; i++)
            if (ab[i]) {
                *pfZero = false;
                return true;
            }
        off += cbChunk;
        cb -= cbChunk;
    }
    *pfZero = true;
    return true;
}

// Walks the three levels of a resource tree; every offset is relative to the tree's start.
class TreeReader {
public:
    TreeReader(ByteSource &src, const PeImage &image, std::vector<ResourceLeaf> *pLeaves)
        : m_src(src), m_image(image), m_pLeaves(pLeaves) {}

    bool run(std::string *pErr) {
        ResourceLeaf leaf;
        return walk(0, 0, &leaf, pErr);
    }

private:
    bool readAt(uint32_t offRel, void *pv, uint32_t cb, std::string *pErr) {
        uint64_t const rva = uint64_t(m_image.aDirs[kDirResource].rva) + offRel;
        uint64_t off = 0;
        if (rva + cb > 0xffffffffu || !peRvaToOffset(m_image, uint32_t(rva), cb, &off)) {
            *pErr = "resource tree points outside the image (offset " + hex(offRel) + ")";
            return false;
        }
        return m_src.read(off, pv, cb, pErr);
    }

    bool readId(uint32_t uName, ResourceId *pId, std::string *pErr) {
        if (!(uName & kSubdirFlag)) {
            if (uName > 0xffff) {
                *pErr = "resource tree holds an id above 65535";
                return false;
            }
            *pId = ResourceId::number(uint16_t(uName));
            return true;
        }
        uint8_t abLen[2];
        if (!readAt(uName & ~kSubdirFlag, abLen, 2, pErr)) return false;
        uint16_t const cwc = getU16(abLen);
        std::vector<uint8_t> ab(size_t(cwc) * 2);
        if (cwc && !readAt((uName & ~kSubdirFlag) + 2, ab.data(), uint32_t(ab.size()), pErr)) return false;
        pId->fName = true;
        pId->id = 0;
        pId->name.resize(cwc);
        for (size_t i = 0; i < cwc; i++) pId->name[i] = char16_t(getU16(&ab[2 * i]));
        return true;
    }

    bool walk(uint32_t offDir, unsigned level, ResourceLeaf *pLeaf, std::string *pErr) {
        uint8_t abDir[16];
        if (!readAt(offDir, abDir, sizeof(abDir), pErr)) return false;
        uint32_t const cEntries = uint32_t(getU16(abDir + 12)) + getU16(abDir + 14);
        for (uint32_t i = 0; i < cEntries; i++) {
            if (++m_cVisited > kMaxTreeEntries) {
                *pErr = "resource tree with more than " + std::to_string(kMaxTreeEntries) + " entries";
                return false;
            }
            uint8_t abEntry[8];
            if (!readAt(offDir + 16 + 8 * i, abEntry, sizeof(abEntry), pErr)) return false;
            uint32_t const uName = getU32(abEntry), uOffset = getU32(abEntry + 4);
            bool const fSubdir = (uOffset & kSubdirFlag) != 0;
            ResourceId id;
            if (!readId(uName, &id, pErr)) return false;
            if (level == 0)
                pLeaf->type = id;
            else if (level == 1)
                pLeaf->name = id;
            else if (id.fName) {
                *pErr = "resource tree names a language";
                return false;
            } else
                pLeaf->lang = id.id;
            if (level < 2) {
                if (!fSubdir) {
                    *pErr = "resource tree too shallow";
                    return false;
                }
                if (!walk(uOffset & ~kSubdirFlag, level + 1, pLeaf, pErr)) return false;
                continue;
            }
            if (fSubdir) {
                *pErr = "resource tree deeper than type, name and language";
                return false;
            }
            uint8_t abData[16];
            if (!readAt(uOffset, abData, sizeof(abData), pErr)) return false;
            pLeaf->dataRva = getU32(abData);
            pLeaf->size = getU32(abData + 4);
            pLeaf->codePage = getU32(abData + 8);
            uint64_t offIgnored = 0;
            if (pLeaf->size ? !peRvaToOffset(m_image, pLeaf->dataRva, pLeaf->size, &offIgnored)
                            : pLeaf->dataRva > m_image.endOfImage) {
                *pErr = "resource " + pLeaf->type.display() + "/" + pLeaf->name.display() +
                        " has its data outside the image";
                return false;
            }
            m_pLeaves->push_back(*pLeaf);
        }
        return true;
    }

    ByteSource &m_src;
    const PeImage &m_image;
    std::vector<ResourceLeaf> *m_pLeaves;
    size_t m_cVisited = 0;
};

} // namespace

bool peRead(ByteSource &src, PeImage *pImage, std::string *pErr) {
    PeImage img;
    img.fileSize = src.size();
    uint8_t abDos[64];
    if (img.fileSize < sizeof(abDos) || !src.read(0, abDos, sizeof(abDos), pErr) || abDos[0] != 'M' ||
        abDos[1] != 'Z') {
        *pErr = "not a Windows executable (no MZ header)";
        return false;
    }
    uint32_t const offPe = getU32(abDos + 0x3c);
    uint8_t abPe[24];
    if (uint64_t(offPe) + sizeof(abPe) > img.fileSize || !src.read(offPe, abPe, sizeof(abPe), pErr) ||
        std::memcmp(abPe, "PE\0\0", 4) != 0) {
        *pErr = "not a PE image (no PE signature)";
        return false;
    }
    img.offFileHeader = offPe + 4;
    img.machine = getU16(abPe + 4);
    if (img.machine == kMachineAmd64) {
        *pErr = "a 64-bit image; the stub is a 32-bit x86 program";
        return false;
    }
    if (img.machine != kMachineI386) {
        *pErr = "not an i386 image (machine " + hex(img.machine) + ")";
        return false;
    }
    unsigned const cSections = getU16(abPe + 6);
    img.pointerToSymbolTable = getU32(abPe + 12);
    img.numberOfSymbols = getU32(abPe + 16);
    uint16_t const cbOptional = getU16(abPe + 20);
    img.characteristics = getU16(abPe + 22);
    img.offOptionalHeader = img.offFileHeader + 20;

    uint8_t abOpt[224] = {};
    if (cbOptional < 2 || !src.read(img.offOptionalHeader, abOpt, std::min<size_t>(cbOptional, sizeof(abOpt)), pErr)) {
        *pErr = "not a PE image (optional header missing or truncated)";
        return false;
    }
    uint16_t const magic = getU16(abOpt);
    if (magic == kMagicPe32Plus) {
        *pErr = "a PE32+ (64-bit) image; the stub is a PE32 program";
        return false;
    }
    if (magic != kMagicPe32 || cbOptional < 96) {
        *pErr = "not a PE32 image (optional header magic " + hex(magic) + ")";
        return false;
    }
    if (!(img.characteristics & kFileExecutable) || (img.characteristics & kFileDll)) {
        *pErr = img.characteristics & kFileDll ? "a DLL, not a program" : "not marked executable";
        return false;
    }
    img.sizeOfInitializedData = getU32(abOpt + 8);
    img.sectionAlignment = getU32(abOpt + 32);
    img.fileAlignment = getU32(abOpt + 36);
    img.sizeOfImage = getU32(abOpt + 56);
    img.sizeOfHeaders = getU32(abOpt + 60);
    img.checkSum = getU32(abOpt + 64);
    img.subsystem = getU16(abOpt + 68);
    img.numberOfRvaAndSizes = getU32(abOpt + 92);
    if (img.subsystem != kSubsystemGui) {
        *pErr = "not a GUI program (subsystem " + std::to_string(img.subsystem) + ")";
        return false;
    }
    unsigned const cDirs = unsigned(std::min<uint32_t>(img.numberOfRvaAndSizes, 16));
    if (cDirs <= kDirResource || cbOptional < 96 + 8 * cDirs) {
        *pErr = "no resource directory entry in its headers";
        return false;
    }
    for (unsigned i = 0; i < cDirs; i++) {
        img.aDirs[i].rva = getU32(abOpt + 96 + 8 * i);
        img.aDirs[i].size = getU32(abOpt + 100 + 8 * i);
    }
    if (!isPowerOfTwo(img.fileAlignment) || img.fileAlignment < 512 || img.fileAlignment > 65536 ||
        !isPowerOfTwo(img.sectionAlignment) || img.sectionAlignment < 4096 ||
        img.sectionAlignment < img.fileAlignment) {
        *pErr = "unusual alignment (file " + hex(img.fileAlignment) + ", sections " + hex(img.sectionAlignment) + ")";
        return false;
    }
    if (cSections == 0 || cSections > kMaxSections) {
        *pErr = std::to_string(cSections) + " sections; expected 1 to " + std::to_string(kMaxSections);
        return false;
    }

    img.offSectionTable = img.offOptionalHeader + cbOptional;
    uint64_t const offTableEnd = uint64_t(img.offSectionTable) + kSectionHeaderSize * cSections;
    if (offTableEnd > img.sizeOfHeaders || img.sizeOfHeaders > img.fileSize) {
        *pErr = "section table outside its headers";
        return false;
    }
    std::vector<uint8_t> abTable(kSectionHeaderSize * cSections);
    if (!src.read(img.offSectionTable, abTable.data(), abTable.size(), pErr)) return false;
    img.endOfSections = img.sizeOfHeaders;
    uint64_t uVaEnd = img.sizeOfHeaders;
    for (unsigned i = 0; i < cSections; i++) {
        const uint8_t *pb = &abTable[kSectionHeaderSize * i];
        PeSection sec;
        std::memcpy(sec.achName, pb, 8);
        sec.virtualSize = getU32(pb + 8);
        sec.virtualAddress = getU32(pb + 12);
        sec.sizeOfRawData = getU32(pb + 16);
        sec.pointerToRawData = getU32(pb + 20);
        sec.characteristics = getU32(pb + 36);
        std::string const name = "section " + std::to_string(i + 1);
        if (sec.sizeOfRawData && uint64_t(sec.pointerToRawData) + sec.sizeOfRawData > img.fileSize) {
            *pErr = name + " lies beyond the end of the file (truncated?)";
            return false;
        }
        if (sec.sizeOfRawData && sec.pointerToRawData < offTableEnd) {
            *pErr = name + " overlaps the headers";
            return false;
        }
        if (sec.virtualAddress < uVaEnd || sec.virtualAddress % img.sectionAlignment) {
            *pErr = name + " out of order or misaligned in memory";
            return false;
        }
        uVaEnd = uint64_t(sec.virtualAddress) + std::max(sec.virtualSize, sec.sizeOfRawData);
        if (uVaEnd > 0xffffffffu) {
            *pErr = name + " ends beyond 4 GiB";
            return false;
        }
        if (sec.sizeOfRawData)
            img.endOfSections =
                std::max<uint64_t>(img.endOfSections, uint64_t(sec.pointerToRawData) + sec.sizeOfRawData);
        img.sections.push_back(sec);
    }
    img.endOfImage = uint32_t(uVaEnd);

    // COFF symbols and their string table (an unstripped MinGW image) follow the sections.
    if (img.pointerToSymbolTable && img.numberOfSymbols) {
        uint64_t const offStrings = uint64_t(img.pointerToSymbolTable) + 18ull * img.numberOfSymbols;
        uint8_t abLen[4];
        if (offStrings + 4 > img.fileSize || !src.read(offStrings, abLen, 4, pErr) ||
            offStrings + std::max<uint32_t>(getU32(abLen), 4) > img.fileSize) {
            *pErr = "symbol table beyond the end of the file (truncated?)";
            return false;
        }
        img.endOfSections = std::max<uint64_t>(img.endOfSections, offStrings + std::max<uint32_t>(getU32(abLen), 4));
    }

    // A signature (certificate table) ends the file; it is dropped, so that the packed file can
    // be signed anew.
    uint64_t offTail = img.fileSize;
    if (cDirs > kDirSecurity && img.aDirs[kDirSecurity].size) {
        PeDataDir const cert = img.aDirs[kDirSecurity];
        uint64_t const offCertEnd = uint64_t(cert.rva) + cert.size;
        if (cert.rva < img.endOfSections || offCertEnd > img.fileSize || img.fileSize - offCertEnd >= 8) {
            *pErr = "certificate table not at the end of the file";
            return false;
        }
        img.fSigned = true;
        offTail = cert.rva;
    }
    // Anything else after the sections is data the packer does not know (appended by another
    // tool?); only the zero padding of a linker is allowed.
    if (offTail > img.endOfSections) {
        bool fZero = false;
        if (!allZero(src, img.endOfSections, offTail - img.endOfSections, pErr, &fZero)) return false;
        if (!fZero || offTail - img.endOfSections >= img.fileAlignment) {
            *pErr = std::to_string(offTail - img.endOfSections) +
                    " bytes of unknown data after its last section (appended by another tool?)";
            return false;
        }
    }
    img.keepSize = img.endOfSections;
    *pImage = std::move(img);
    return true;
}

bool peRvaToOffset(const PeImage &image, uint32_t rva, uint32_t cb, uint64_t *pOff) {
    uint64_t const uEnd = uint64_t(rva) + cb;
    if (uEnd <= image.sizeOfHeaders) {
        *pOff = rva;
        return true;
    }
    for (const PeSection &sec : image.sections) {
        // Only what is both in the file and mapped: raw data beyond the virtual size is padding.
        uint32_t const cbMapped = sec.virtualSize ? std::min(sec.virtualSize, sec.sizeOfRawData) : sec.sizeOfRawData;
        if (rva >= sec.virtualAddress && uEnd <= uint64_t(sec.virtualAddress) + cbMapped) {
            *pOff = uint64_t(sec.pointerToRawData) + (rva - sec.virtualAddress);
            return true;
        }
    }
    return false;
}

ResourceId ResourceId::number(uint16_t id) {
    ResourceId rid;
    rid.id = id;
    return rid;
}

ResourceId ResourceId::ascii(const std::string &name) {
    ResourceId rid;
    rid.fName = true;
    rid.name.assign(name.begin(), name.end());
    return rid;
}

bool ResourceId::operator==(const ResourceId &other) const {
    return fName == other.fName && (fName ? name == other.name : id == other.id);
}

std::string ResourceId::display() const {
    if (!fName) return std::to_string(id);
    std::string text;
    for (char16_t wc : name) text += wc >= 0x20 && wc < 0x7f ? char(wc) : '?';
    return text;
}

bool peReadResources(ByteSource &src, const PeImage &image, std::vector<ResourceLeaf> *pLeaves, std::string *pErr) {
    pLeaves->clear();
    if (!image.aDirs[kDirResource].rva || !image.aDirs[kDirResource].size) return true;
    TreeReader reader(src, image, pLeaves);
    return reader.run(pErr);
}

} // namespace quilpack
