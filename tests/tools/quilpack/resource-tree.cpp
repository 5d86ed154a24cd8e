// The resource tree: the order the loader's binary search needs, and a tree that reads back
// as it was built.
#include "resource-tree.h"

#include "pe-image.h"

#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace quilpack;
using quilpacktest::TreeImage;

ResourceEntry entry(ResourceId type, ResourceId name, uint16_t lang, uint32_t rva = 0x5000, uint32_t cb = 1) {
    ResourceEntry e;
    e.type = type;
    e.name = name;
    e.lang = lang;
    e.dataRva = rva;
    e.size = cb;
    return e;
}

ResourceId num(uint16_t id) {
    return ResourceId::number(id);
}
ResourceId str(const char *psz) {
    return ResourceId::ascii(psz);
}

// The entries in order, one line: "type/name/lang" separated by spaces.
std::string summary(const std::vector<ResourceEntry> &entries) {
    std::string out;
    for (const ResourceEntry &e : entries)
        out += (out.empty() ? "" : " ") + e.type.display() + "/" + e.name.display() + "/" + std::to_string(e.lang);
    return out;
}

std::string summary(const std::vector<ResourceLeaf> &leaves) {
    std::string out;
    for (const ResourceLeaf &l : leaves)
        out += (out.empty() ? "" : " ") + l.type.display() + "/" + l.name.display() + "/" + std::to_string(l.lang) +
               "@" + std::to_string(l.dataRva) + "+" + std::to_string(l.size);
    return out;
}

TEST(QuilpackResourceTree, SortOrder) {
    struct Row {
        int line;
        std::vector<ResourceEntry> entries;
        const char *pszSorted;
    };
    const Row rows[] = {
        // A name before the longer names it begins; '_' (0x5f) after the letters.
        {__LINE__,
         {entry(num(10), str("HDR_0"), 1033), entry(num(10), str("HDR_A"), 1033), entry(num(10), str("HDR"), 1033),
          entry(num(10), str("HDR_"), 1033), entry(num(10), str("HDRA"), 1033)},
         "10/HDR/1033 10/HDRA/1033 10/HDR_/1033 10/HDR_0/1033 10/HDR_A/1033"},
        // Ordinal, not numeric: "HDR_10" before "HDR_9", "HDR_100" before "HDR_99".
        {__LINE__,
         {entry(num(10), str("HDR_9"), 0), entry(num(10), str("HDR_10"), 0), entry(num(10), str("HDR_99"), 0),
          entry(num(10), str("HDR_100"), 0)},
         "10/HDR_10/0 10/HDR_100/0 10/HDR_9/0 10/HDR_99/0"},
        // Names before numbers at every level; numbers ascending; languages ascending.
        {__LINE__,
         {entry(num(24), num(1), 1033), entry(num(16), num(1), 1033), entry(num(10), num(3), 0),
          entry(num(10), str("MANIFEST"), 1033), entry(str("TYPELIB"), num(1), 1031), entry(str("TYPELIB"), num(1), 7),
          entry(num(2), num(100), 0)},
         "TYPELIB/1/7 TYPELIB/1/1031 2/100/0 10/MANIFEST/1033 10/3/0 16/1/1033 24/1/1033"},
        // Stored upper-case, as the loader upper-cases the name it is asked for.
        {__LINE__,
         {entry(num(10), str("bin_00"), 1033), entry(num(10), str("MiXed"), 1033), entry(str("my type"), num(1), 0)},
         "MY TYPE/1/0 10/BIN_00/1033 10/MIXED/1033"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<ResourceEntry> entries = row.entries;
        std::string err;
        ASSERT_TRUE(resourceTreeSort(&entries, &err)) << err;
        EXPECT_EQ(row.pszSorted, summary(entries));
    }
}

TEST(QuilpackResourceTree, Duplicates) {
    struct Row {
        int line;
        std::vector<ResourceEntry> entries;
        const char *pszErr;
    };
    const Row rows[] = {
        {__LINE__,
         {entry(num(10), str("BIN_00"), 1033), entry(num(10), str("bin_00"), 1033)},
         "resource 10/BIN_00 language 1033 twice"},
        {__LINE__, {entry(num(16), num(1), 0), entry(num(16), num(1), 0)}, "resource 16/1 language 0 twice"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<ResourceEntry> entries = row.entries;
        std::string err;
        EXPECT_FALSE(resourceTreeSort(&entries, &err));
        EXPECT_EQ(row.pszErr, err);
    }
    // Different languages of one name are two resources.
    std::vector<ResourceEntry> entries = {entry(num(16), num(1), 0), entry(num(16), num(1), 1033)};
    std::string err;
    EXPECT_TRUE(resourceTreeSort(&entries, &err)) << err;
}

TEST(QuilpackResourceTree, BuildsWhatReadsBack) {
    struct Row {
        int line;
        std::vector<ResourceEntry> entries;
        const char *pszLeaves;
    };
    const Row rows[] = {
        {__LINE__, {entry(num(10), str("MANIFEST"), 1033, 0x2000, 20)}, "10/MANIFEST/1033@8192+20"},
        {__LINE__,
         {entry(num(24), num(1), 1033, 0x2100, 0x300), entry(num(16), num(1), 1033, 0x2010, 0x50),
          entry(num(10), str("HDR_00"), 1033, 0x2400, 521), entry(num(10), str("BIN_00"), 1033, 0x2800, 7),
          entry(num(10), str("MANIFEST"), 1033, 0x2000, 20)},
         "10/BIN_00/1033@10240+7 10/HDR_00/1033@9216+521 10/MANIFEST/1033@8192+20 16/1/1033@8208+80 "
         "24/1/1033@8448+768"},
        {__LINE__,
         {entry(str("CUSTOM"), str("X"), 0, 0x2000, 1), entry(str("CUSTOM"), str("X"), 1031, 0x2001, 1),
          entry(str("CUSTOM"), num(5), 9, 0x2002, 1), entry(num(3), num(1), 0, 0x2003, 0)},
         "CUSTOM/X/0@8192+1 CUSTOM/X/1031@8193+1 CUSTOM/5/9@8194+1 3/1/0@8195+0"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<ResourceEntry> entries = row.entries;
        std::string err;
        ASSERT_TRUE(resourceTreeSort(&entries, &err)) << err;
        std::vector<uint8_t> const tree = resourceTreeBuild(entries);
        EXPECT_EQ(resourceTreeSize(entries), tree.size());
        EXPECT_EQ(0u, tree.size() % 8);
        TreeImage img(tree);
        MemorySource src(img.file.data(), img.file.size());
        std::vector<ResourceLeaf> leaves;
        ASSERT_TRUE(peReadResources(src, img.image, &leaves, &err)) << err;
        EXPECT_EQ(row.pszLeaves, summary(leaves));
    }
}

TEST(QuilpackResourceTree, DirectoryCounts) {
    // The root counts named and numbered types apart; the loader searches each run on its own.
    std::vector<ResourceEntry> entries = {entry(str("A"), num(1), 0), entry(str("B"), num(1), 0),
                                          entry(num(10), str("N"), 0), entry(num(10), num(2), 0),
                                          entry(num(10), num(3), 0)};
    std::string err;
    ASSERT_TRUE(resourceTreeSort(&entries, &err));
    std::vector<uint8_t> const tree = resourceTreeBuild(entries);
    EXPECT_EQ(2, tree[12] | tree[13] << 8); // named types
    EXPECT_EQ(1, tree[14] | tree[15] << 8); // numbered types
    // The third root entry is type 10; its directory has one name and two numbers.
    uint32_t const offType10 = (tree[16 + 2 * 8 + 4] | tree[16 + 2 * 8 + 5] << 8) & 0x7fff;
    EXPECT_EQ(1, tree[offType10 + 12]);
    EXPECT_EQ(2, tree[offType10 + 14]);
    EXPECT_EQ(0x80, tree[16 + 2 * 8 + 7] & 0x80); // points at a subdirectory
}

} // namespace
