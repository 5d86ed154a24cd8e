// The PE reader over a real linker's output and over damaged copies of it.
#include "pe-image.h"

#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using namespace quilpack;
using namespace quilpacktest;

// One line per image: what the packer relies on.
std::string summary(const PeImage &img) {
    char sz[256];
    std::snprintf(sz, sizeof(sz), "sections=%zu align=%#x/%#x end=%#x keep=%llu signed=%d rsrc=%#x+%#x",
                  img.sections.size(), img.fileAlignment, img.sectionAlignment, img.endOfImage,
                  (unsigned long long)img.keepSize, int(img.fSigned), img.aDirs[kDirResource].rva,
                  img.aDirs[kDirResource].size);
    return sz;
}

std::string readSummary(const std::vector<uint8_t> &file) {
    MemorySource src(file.data(), file.size());
    PeImage img;
    std::string err;
    return peRead(src, &img, &err) ? summary(img) : "error: " + err;
}

TEST(QuilpackPeImage, RealImages) {
    std::vector<uint8_t> const stub = readFile(sampleStubPath());
    std::vector<uint8_t> const signedStub = readFile(sampleSignedStubPath());
    std::vector<uint8_t> padded = stub;
    padded.resize(stub.size() + 100, 0); // zero padding shorter than the file alignment
    EXPECT_EQ("sections=10 align=0x200/0x1000 end=0xb400 keep=15872 signed=0 rsrc=0xa000+0x568", readSummary(stub));
    EXPECT_EQ("sections=10 align=0x200/0x1000 end=0xb400 keep=15872 signed=1 rsrc=0xa000+0x568",
              readSummary(signedStub));
    EXPECT_EQ("sections=10 align=0x200/0x1000 end=0xb400 keep=15872 signed=0 rsrc=0xa000+0x568", readSummary(padded));

    // Its own resources: the side-by-side manifest and the version.
    MemorySource src(stub.data(), stub.size());
    PeImage img;
    std::string err;
    ASSERT_TRUE(peRead(src, &img, &err));
    std::vector<ResourceLeaf> leaves;
    ASSERT_TRUE(peReadResources(src, img, &leaves, &err)) << err;
    std::string types;
    for (const ResourceLeaf &leaf : leaves)
        types += leaf.type.display() + "/" + leaf.name.display() + "/" + std::to_string(leaf.lang) + " ";
    EXPECT_EQ("16/1/1033 24/1/1033 ", types);
}

TEST(QuilpackPeImage, Refusals) {
    std::vector<uint8_t> const stub = readFile(sampleStubPath());
    uint32_t const offPe = getU32(stub, 0x3c), offFh = offPe + 4, offOpt = offFh + 20;
    uint32_t const offSections = offOpt + getU16(stub, offFh + 16);
    using Edit = std::function<void(std::vector<uint8_t> &)>;
    struct Row {
        int line;
        Edit edit;
        const char *pszExpect;
    };
    const Row rows[] = {
        {__LINE__, [](std::vector<uint8_t> &f) { f[0] = 'Z'; }, "error: not a Windows executable (no MZ header)"},
        {__LINE__, [](std::vector<uint8_t> &f) { f.resize(63); }, "error: not a Windows executable (no MZ header)"},
        {__LINE__, [](std::vector<uint8_t> &f) { putU32(f, 0x3c, 0xfffffff0u); },
         "error: not a PE image (no PE signature)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { f[offPe + 1] = 'X'; }, "error: not a PE image (no PE signature)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh, 0x8664); },
         "error: a 64-bit image; the stub is a 32-bit x86 program"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh, 0x1c0); },
         "error: not an i386 image (machine 0x1c0)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offOpt, 0x20b); },
         "error: a PE32+ (64-bit) image; the stub is a PE32 program"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offOpt, 0x107); },
         "error: not a PE32 image (optional header magic 0x107)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh + 18, getU16(f, offFh + 18) | 0x2000); },
         "error: a DLL, not a program"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh + 18, getU16(f, offFh + 18) & ~0x2); },
         "error: not marked executable"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offOpt + 68, 3); },
         "error: not a GUI program (subsystem 3)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offOpt + 92, 2); },
         "error: no resource directory entry in its headers"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offOpt + 36, 0x300); },
         "error: unusual alignment (file 0x300, sections 0x1000)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh + 2, 0); }, "error: 0 sections; expected 1 to 95"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh + 2, 96); }, "error: 96 sections; expected 1 to 95"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU16(f, offFh + 2, 40); },
         "error: section table outside its headers"},
        {__LINE__, [&](std::vector<uint8_t> &f) { f.resize(f.size() - 1); },
         "error: section 10 lies beyond the end of the file (truncated?)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offSections + 40 + 12, 0x1000); },
         "error: section 2 out of order or misaligned in memory"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offSections + 20, 0x100); },
         "error: section 1 overlaps the headers"},
        {__LINE__,
         [](std::vector<uint8_t> &f) {
             f.insert(f.end(), {'j', 'u', 'n', 'k'});
         },
         "error: 4 bytes of unknown data after its last section (appended by another tool?)"},
        {__LINE__, [](std::vector<uint8_t> &f) { f.resize(f.size() + 512, 0); },
         "error: 512 bytes of unknown data after its last section (appended by another tool?)"},
        {__LINE__,
         [&](std::vector<uint8_t> &f) { putU32(f, offOpt + 96 + 8 * 4, 0x200), putU32(f, offOpt + 100 + 8 * 4, 8); },
         "error: certificate table not at the end of the file"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offFh + 8, 0x3000), putU32(f, offFh + 12, 1000); },
         "error: symbol table beyond the end of the file (truncated?)"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<uint8_t> file = stub;
        row.edit(file);
        EXPECT_EQ(row.pszExpect, readSummary(file));
    }
}

TEST(QuilpackPeImage, DamagedResourceTrees) {
    std::vector<uint8_t> const stub = readFile(sampleStubPath());
    MemorySource src0(stub.data(), stub.size());
    PeImage img;
    std::string err;
    ASSERT_TRUE(peRead(src0, &img, &err));
    uint64_t offTree = 0;
    ASSERT_TRUE(peRvaToOffset(img, img.aDirs[kDirResource].rva, 16, &offTree));
    // The root's first entry (type 16) and its name directory's first entry (1).
    size_t const offRootEntry = size_t(offTree) + 16;
    size_t const offTypeDir = size_t(offTree) + (getU32(stub, offRootEntry + 4) & 0x7fffffff);
    size_t const offNameDir = size_t(offTree) + (getU32(stub, offTypeDir + 16 + 4) & 0x7fffffff);
    size_t const offDataEntry = size_t(offTree) + getU32(stub, offNameDir + 16 + 4);
    using Edit = std::function<void(std::vector<uint8_t> &)>;
    struct Row {
        int line;
        Edit edit;
        const char *pszExpect;
    };
    const Row rows[] = {
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offRootEntry + 4, 0x80100000u); },
         "resource tree points outside the image (offset 0x100000)"},
        {__LINE__,
         [&](std::vector<uint8_t> &f) { putU32(f, offRootEntry + 4, getU32(f, offRootEntry + 4) & 0x7fffffff); },
         "resource tree too shallow"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offNameDir + 16 + 4, 0x80000000u); },
         "resource tree deeper than type, name and language"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offRootEntry, 0x80fffff0u); },
         "resource tree points outside the image (offset 0xfffff0)"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offRootEntry, 0x10000); },
         "resource tree holds an id above 65535"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offDataEntry, 0x7fff0000); },
         "resource 16/1 has its data outside the image"},
        {__LINE__, [&](std::vector<uint8_t> &f) { putU32(f, offDataEntry + 4, 0x10000000); },
         "resource 16/1 has its data outside the image"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<uint8_t> file = stub;
        row.edit(file);
        MemorySource src(file.data(), file.size());
        std::vector<ResourceLeaf> leaves;
        EXPECT_FALSE(peReadResources(src, img, &leaves, &err));
        EXPECT_EQ(row.pszExpect, err.substr(0, std::strlen(row.pszExpect)));
    }
}

TEST(QuilpackPeImage, FanOutIsBounded) {
    // 100 types, each the same directory of 100 names, each the same directory of 100
    // languages: a million leaves from 2.5 KB. Refused, not walked.
    std::vector<uint8_t> tree(0x1000, 0);
    auto const fill = [&](size_t offDir, uint32_t target) {
        putU16(tree, offDir + 14, 100);
        for (size_t i = 0; i < 100; i++) {
            putU32(tree, offDir + 16 + 8 * i, uint32_t(i + 1));
            putU32(tree, offDir + 16 + 8 * i + 4, target);
        }
    };
    fill(0, 0x80000400u);
    fill(0x400, 0x80000800u);
    fill(0x800, 0xc00);
    putU32(tree, 0xc00, 0x1000);
    putU32(tree, 0xc04, 1);
    TreeImage img(tree);
    MemorySource src(img.file.data(), img.file.size());
    std::vector<ResourceLeaf> leaves;
    std::string err;
    EXPECT_FALSE(peReadResources(src, img.image, &leaves, &err));
    EXPECT_EQ("resource tree with more than 65536 entries", err);
    // The same shape with 10 of each is an ordinary tree of 1000 leaves.
    for (size_t off : {size_t(0), size_t(0x400), size_t(0x800)}) putU16(tree, off + 14, 10);
    TreeImage small(tree);
    MemorySource src2(small.file.data(), small.file.size());
    EXPECT_TRUE(peReadResources(src2, small.image, &leaves, &err)) << err;
    EXPECT_EQ(1000u, leaves.size());
}

} // namespace
