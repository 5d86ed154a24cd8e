// Packing end to end in the process: what create writes reads back as packed, keeps the stub,
// and every refusal leaves the output untouched.
#include "pack.h"

#include "names.h"
#include "package-list.h"
#include "pe-checksum.h"
#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using namespace quilpack;
using namespace quilpacktest;

struct Packed {
    bool fOk = false;
    std::string message, warnings;
};

Packed pack(const std::string &stub, const std::string &out, const std::vector<PackInput> &inputs) {
    PackRequest request;
    request.stubPath = stub;
    request.outputPath = out;
    request.inputs = inputs;
    Packed result;
    PackError error;
    result.fOk = packCreate(
        request, [&](const std::string &w) { result.warnings += w + "\n"; }, &error);
    result.message = error.message;
    return result;
}

TEST(QuilpackPack, WritesWhatReadsBack) {
    struct Row {
        int line;
        std::vector<std::pair<size_t, uint8_t>> packages; // size, architecture
    };
    const Row rows[] = {
        {__LINE__, {{1, 0}}},
        {__LINE__, {{4095, 2}, {4096, 0}, {4097, 1}}},
        {__LINE__, {{(1u << 20) + 3, 2}, {65536, 0}, {65537, 7}}}, // more than one copy block
    };
    std::vector<uint8_t> const stub = readFile(sampleStubPath());
    MemorySource stubSrc(stub.data(), stub.size());
    PeImage stubImage;
    std::string err;
    ASSERT_TRUE(peRead(stubSrc, &stubImage, &err));
    std::vector<ResourceLeaf> stubLeaves;
    ASSERT_TRUE(peReadResources(stubSrc, stubImage, &stubLeaves, &err));

    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        TempDir dir;
        std::vector<PackInput> inputs;
        std::vector<std::vector<uint8_t>> contents;
        for (size_t i = 0; i < row.packages.size(); i++) {
            const char *pszSuffix = row.packages[i].second == 0 && i % 2 ? ".cab" : ".msi";
            std::string const path = dir.path("pkg" + std::to_string(i) + pszSuffix);
            contents.push_back(patternBytes(row.packages[i].first, uint32_t(i + 1)));
            writeFile(path, contents.back());
            inputs.push_back({path, row.packages[i].second});
        }
        Packed const result = pack(sampleStubPath(), dir.path("setup.exe"), inputs);
        ASSERT_TRUE(result.fOk) << result.message;
        EXPECT_EQ("", result.warnings);

        std::vector<uint8_t> const out = readFile(dir.path("setup.exe"));
        MemorySource src(out.data(), out.size());
        PeImage img;
        ASSERT_TRUE(peRead(src, &img, &err)) << err;
        EXPECT_EQ(out.size(), img.keepSize); // nothing the reader does not know
        EXPECT_EQ(stubImage.sections.size() + 1, img.sections.size());
        const PeSection &added = img.sections.back();
        EXPECT_EQ(0u, added.pointerToRawData % 4096);
        EXPECT_EQ(0u, added.virtualAddress % img.sectionAlignment);
        EXPECT_EQ(0x40000040u, added.characteristics);
        EXPECT_EQ((uint64_t(added.virtualAddress) + added.virtualSize + 0xfff) & ~0xfffull, img.sizeOfImage);
        EXPECT_EQ(added.virtualAddress, img.aDirs[kDirResource].rva);
        EXPECT_EQ(added.virtualSize, img.aDirs[kDirResource].size);
        EXPECT_EQ(stubImage.sizeOfInitializedData + added.sizeOfRawData, img.sizeOfInitializedData);

        // The checksum is that of the file written.
        std::vector<uint8_t> zeroed = out;
        putU32(zeroed, img.offCheckSum(), 0);
        PeChecksum sum;
        sum.update(zeroed.data(), zeroed.size());
        EXPECT_EQ(sum.finish(zeroed.size()), img.checkSum);

        // The stub's sections are carried over byte for byte.
        EXPECT_TRUE(std::equal(stub.begin() + stubImage.sizeOfHeaders, stub.begin() + stubImage.keepSize,
                               out.begin() + stubImage.sizeOfHeaders));

        // The container.
        PackageListing listing;
        ASSERT_TRUE(listPackages(src, &listing, &err)) << err;
        EXPECT_TRUE(listing.fMagicOk);
        ASSERT_EQ(row.packages.size(), listing.packages.size());
        for (size_t i = 0; i < row.packages.size(); i++) {
            SCOPED_TRACE(i);
            const ListedPackage &pkg = listing.packages[i];
            EXPECT_EQ(row.packages[i].second, pkg.header.architecture);
            EXPECT_EQ(payloadResourceName(unsigned(i)), pkg.header.resourceName);
            EXPECT_EQ(baseName(inputs[i].path), pkg.header.fileName);
            ASSERT_EQ(contents[i].size(), pkg.payloadSize);
            uint64_t off = 0;
            ASSERT_TRUE(peRvaToOffset(img, pkg.payloadRva, pkg.payloadSize, &off));
            EXPECT_EQ(0u, off % 4096);
            EXPECT_TRUE(std::equal(contents[i].begin(), contents[i].end(), out.begin() + ptrdiff_t(off)));
        }

        // The stub's own resources (manifest, version) are still there, where they were.
        std::vector<ResourceLeaf> leaves;
        ASSERT_TRUE(peReadResources(src, img, &leaves, &err)) << err;
        for (const ResourceLeaf &stubLeaf : stubLeaves) {
            auto const it = std::find_if(leaves.begin(), leaves.end(), [&](const ResourceLeaf &l) {
                return l.type == stubLeaf.type && l.name == stubLeaf.name && l.lang == stubLeaf.lang;
            });
            ASSERT_NE(leaves.end(), it) << stubLeaf.type.display();
            EXPECT_EQ(stubLeaf.dataRva, it->dataRva);
            EXPECT_EQ(stubLeaf.size, it->size);
        }
        EXPECT_EQ(stubLeaves.size() + 1 + 2 * row.packages.size(), leaves.size());
        EXPECT_EQ((std::vector<std::string>{"setup.exe"}), [&] {
            std::vector<std::string> names;
            for (const std::string &name : dir.list())
                if (name.rfind("pkg", 0) != 0) names.push_back(name);
            return names;
        }());
    }
}

TEST(QuilpackPack, Refusals) {
    TempDir dir;
    std::string const stub = sampleStubPath();
    writeFile(dir.path("a.msi"), "a");
    writeFile(dir.path("empty.msi"), "");
    writeFile(dir.path("readme.txt"), "r");
    writeFile(dir.path("notpe.exe"), "MZ but nothing more");
    std::filesystem::create_directory(dir.path("sub"));
    writeFile(dir.path("sub/A.MSI"), "b");
    // Sparse: sizes without the disk use.
    writeFile(dir.path("half1.msi"), "");
    std::filesystem::resize_file(dir.path("half1.msi"), kMaxImageSize / 2);
    writeFile(dir.path("half2.msi"), "");
    std::filesystem::resize_file(dir.path("half2.msi"), kMaxImageSize / 2);
    writeFile(dir.path("huge.msi"), "");
    std::filesystem::resize_file(dir.path("huge.msi"), uint64_t(kMaxImageSize) + 1);
    Packed const packed = pack(stub, dir.path("packed.exe"), {{dir.path("a.msi"), 0}});
    ASSERT_TRUE(packed.fOk) << packed.message;
    std::vector<PackInput> many;
    for (unsigned i = 0; i < 256; i++) {
        std::string const path = dir.path("sub/p" + std::to_string(i) + ".cab");
        writeFile(path, "p");
        many.push_back({path, 0});
    }
    std::string const out = dir.path("setup.exe");
    writeFile(out, "an older setup.exe"); // must survive every refusal

    struct Row {
        int line;
        std::string stub;
        std::vector<PackInput> inputs;
        std::string message;
    };
    const Row rows[] = {
        {__LINE__, stub, {{dir.path("missing.msi"), 0}}, dir.path("missing.msi") + ": no such file"},
        {__LINE__, stub, {{dir.path("sub"), 0}}, dir.path("sub") + ": is a directory"},
        {__LINE__,
         stub,
         {{dir.path("empty.msi"), 0}},
         dir.path("empty.msi") + ": empty; the stub cannot carry an empty package"},
        {__LINE__,
         stub,
         {{dir.path("a.msi"), 0}, {dir.path("sub/A.MSI"), 2}},
         dir.path("sub/A.MSI") + ": file name 'A.MSI' is that of " + dir.path("a.msi") +
             " (Windows file names ignore case), so the stub could not extract both"},
        {__LINE__,
         stub,
         {{dir.path("readme.txt"), 1}},
         dir.path("readme.txt") + ": a package for x86 must be a .msi or a .cab; the stub installs nothing else"},
        {__LINE__,
         stub,
         {{dir.path("readme.txt"), 2}},
         dir.path("readme.txt") + ": a package for amd64 must be a .msi or a .cab; the stub installs nothing else"},
        {__LINE__, stub, many, dir.path("sub/p255.cab") + ": one package too many: a stub carries at most 255"},
        {__LINE__,
         stub,
         {{dir.path("half1.msi"), 0}, {dir.path("half2.msi"), 0}},
         out + ": would need 1879101440 bytes of address space, more than the 1879048192 a 32-bit setup program "
               "can map"},
        {__LINE__,
         stub,
         {{dir.path("huge.msi"), 0}},
         dir.path("huge.msi") + ": 1879048193 bytes, more than a 32-bit setup program can map (1879048192 bytes for "
                                "all packages and the stub)"},
        {__LINE__,
         dir.path("packed.exe"),
         {{dir.path("a.msi"), 0}},
         dir.path("packed.exe") +
             ": already carries packages (it has a MANIFEST resource); pack the bare stub instead"},
        {__LINE__,
         dir.path("notpe.exe"),
         {{dir.path("a.msi"), 0}},
         dir.path("notpe.exe") + ": not a Windows executable (no MZ header)"},
        {__LINE__, dir.path("nostub.exe"), {{dir.path("a.msi"), 0}}, dir.path("nostub.exe") + ": no such file"},
        {__LINE__, stub, {{dir.path("a.msi"), 0}}, ""}, // the control row: the same output is written
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<std::string> const before = dir.list();
        Packed const result = pack(row.stub, out, row.inputs);
        if (row.message.empty()) {
            EXPECT_TRUE(result.fOk) << result.message;
            continue;
        }
        EXPECT_FALSE(result.fOk);
        EXPECT_EQ(row.message, result.message);
        std::vector<uint8_t> const kept = readFile(out);
        EXPECT_EQ("an older setup.exe", std::string(kept.begin(), kept.end()));
        EXPECT_EQ(before, dir.list()); // no temporary file left
    }
}

TEST(QuilpackPack, Warnings) {
    TempDir dir;
    writeFile(dir.path("data.cab"), "c");
    writeFile(dir.path("notes.txt"), "n");
    writeFile(dir.path("app.msi"), "m");
    struct Row {
        int line;
        std::string stub;
        std::vector<PackInput> inputs;
        std::string warnings;
    };
    const Row rows[] = {
        {__LINE__, sampleStubPath(), {{dir.path("app.msi"), 2}, {dir.path("data.cab"), 0}}, ""},
        {__LINE__,
         sampleStubPath(),
         {{dir.path("data.cab"), 2}},
         dir.path("data.cab") +
             ": a cabinet for amd64 is extracted under a random name, which its .msi cannot find; pack cabinets as "
             "'all'\n"},
        {__LINE__,
         sampleStubPath(),
         {{dir.path("data.cab"), 9}},
         dir.path("data.cab") +
             ": a cabinet for 9 is extracted under a random name, which its .msi cannot find; pack cabinets as "
             "'all'\n"},
        {__LINE__,
         sampleStubPath(),
         {{dir.path("notes.txt"), 0}},
         dir.path("notes.txt") +
             ": neither a .msi nor a .cab: an installation run stops at it with an error (only extracting works)\n"},
        {__LINE__, sampleStubPath(), {{dir.path("notes.txt"), 3}}, ""}, // fits no host: only ever extracted
        {__LINE__,
         sampleSignedStubPath(),
         {{dir.path("app.msi"), 0}},
         sampleSignedStubPath() + ": signed; the signature is removed (sign " + dir.path("setup.exe") +
             " after packing)\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        Packed const result = pack(row.stub, dir.path("setup.exe"), row.inputs);
        EXPECT_TRUE(result.fOk) << result.message;
        EXPECT_EQ(row.warnings, result.warnings);
    }
}

TEST(QuilpackPack, SignedStubLosesItsSignature) {
    TempDir dir;
    writeFile(dir.path("app.msi"), "m");
    std::vector<uint8_t> const unsignedOut = [&] {
        EXPECT_TRUE(pack(sampleStubPath(), dir.path("u.exe"), {{dir.path("app.msi"), 0}}).fOk);
        return readFile(dir.path("u.exe"));
    }();
    ASSERT_TRUE(pack(sampleSignedStubPath(), dir.path("s.exe"), {{dir.path("app.msi"), 0}}).fOk);
    std::vector<uint8_t> const signedOut = readFile(dir.path("s.exe"));
    MemorySource src(signedOut.data(), signedOut.size());
    PeImage img;
    std::string err;
    ASSERT_TRUE(peRead(src, &img, &err)) << err;
    EXPECT_FALSE(img.fSigned);
    EXPECT_EQ(0u, img.aDirs[kDirSecurity].rva);
    EXPECT_EQ(0u, img.aDirs[kDirSecurity].size);
    // Signing changed only the certificate entry and the checksum; without them both pack alike.
    ASSERT_EQ(unsignedOut.size(), signedOut.size());
    EXPECT_TRUE(unsignedOut == signedOut);
}

TEST(QuilpackPack, StubsOfOtherShapes) {
    std::vector<uint8_t> const stub = readFile(sampleStubPath());
    MemorySource stubSrc(stub.data(), stub.size());
    PeImage img;
    std::string err;
    ASSERT_TRUE(peRead(stubSrc, &img, &err));
    struct Row {
        int line;
        std::function<void(std::vector<uint8_t> &)> edit;
        size_t cLeaves; // resources of the packed image; 0: refused
    };
    const Row rows[] = {
        {__LINE__, [](std::vector<uint8_t> &) {}, 2 + 3},
        // No resources of its own: the tree holds the container only.
        {__LINE__,
         [&](std::vector<uint8_t> &f) {
             putU32(f, img.offDataDir(kDirResource), 0), putU32(f, img.offDataDir(kDirResource) + 4, 0);
         },
         3},
        // Something already lies where the new section header would go.
        {__LINE__,
         [&](std::vector<uint8_t> &f) { f[img.offSectionTable + kSectionHeaderSize * img.sections.size() + 3] = 1; },
         0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        TempDir dir;
        std::vector<uint8_t> edited = stub;
        row.edit(edited);
        writeFile(dir.path("stub.exe"), edited);
        writeFile(dir.path("app.msi"), "m");
        Packed const result = pack(dir.path("stub.exe"), dir.path("setup.exe"), {{dir.path("app.msi"), 0}});
        if (!row.cLeaves) {
            EXPECT_EQ(dir.path("stub.exe") + ": no free room in its headers for another section", result.message);
            EXPECT_FALSE(exists(dir.path("setup.exe")));
            continue;
        }
        ASSERT_TRUE(result.fOk) << result.message;
        std::vector<uint8_t> const out = readFile(dir.path("setup.exe"));
        MemorySource src(out.data(), out.size());
        PeImage outImg;
        std::vector<ResourceLeaf> leaves;
        ASSERT_TRUE(peRead(src, &outImg, &err) && peReadResources(src, outImg, &leaves, &err)) << err;
        EXPECT_EQ(row.cLeaves, leaves.size());
    }
}

TEST(QuilpackPack, OutputMayReplaceItsOwnStub) {
    TempDir dir;
    std::filesystem::copy_file(sampleStubPath(), dir.path("stub.exe"));
    writeFile(dir.path("app.msi"), "m");
    Packed const result = pack(dir.path("stub.exe"), dir.path("stub.exe"), {{dir.path("app.msi"), 0}});
    ASSERT_TRUE(result.fOk) << result.message;
    std::vector<uint8_t> const out = readFile(dir.path("stub.exe"));
    MemorySource src(out.data(), out.size());
    PackageListing listing;
    std::string err;
    ASSERT_TRUE(listPackages(src, &listing, &err)) << err;
    EXPECT_EQ(1u, listing.packages.size());
}

} // namespace
