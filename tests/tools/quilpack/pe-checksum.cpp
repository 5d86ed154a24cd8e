// The streamed checksum against the word-by-word definition and against a linker's.
#include "pe-checksum.h"

#include "pe-image.h"
#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace quilpack;
using namespace quilpacktest;

// The definition: 16-bit little-endian words, carry folded after every addition, plus the length.
uint32_t referenceChecksum(const std::vector<uint8_t> &bytes) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        uint32_t const word = bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0);
        sum += word;
        sum = (sum & 0xffff) + (sum >> 16);
    }
    return sum + uint32_t(bytes.size());
}

TEST(QuilpackChecksum, AnySplitGivesTheDefinition) {
    struct Row {
        int line;
        size_t cb;
        uint8_t fill; // 0: pattern bytes
    };
    const Row rows[] = {
        {__LINE__, 0, 0},
        {__LINE__, 1, 0},
        {__LINE__, 2, 0},
        {__LINE__, 3, 0},
        {__LINE__, 7, 0},
        {__LINE__, 4096, 0},
        {__LINE__, 65537, 0},
        {__LINE__, 5000001, 0},
        {__LINE__, 4194304 + 3, 0xff}, // all ones: the fold and the end-around carry at their limit
        {__LINE__, 1000, 0xff},
    };
    std::mt19937 rng(7);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        std::vector<uint8_t> bytes = row.fill ? std::vector<uint8_t>(row.cb, row.fill) : patternBytes(row.cb, 3);
        uint32_t const expected = referenceChecksum(bytes);
        // Whole, byte by byte at the start, then in pieces of random (often odd) sizes.
        PeChecksum whole;
        whole.update(bytes.data(), bytes.size());
        EXPECT_EQ(expected, whole.finish(bytes.size()));
        PeChecksum pieces;
        size_t off = 0;
        while (off < bytes.size()) {
            size_t const cb = std::min<size_t>(bytes.size() - off, off < 16 ? 1 : rng() % 70001);
            pieces.update(bytes.data() + off, cb);
            off += cb;
        }
        EXPECT_EQ(expected, pieces.finish(bytes.size()));
    }
}

TEST(QuilpackChecksum, MatchesTheLinker) {
    // ld writes a real checksum; summing the file with that field zeroed must give it back.
    std::vector<uint8_t> file = readFile(sampleStubPath());
    MemorySource src(file.data(), file.size());
    PeImage image;
    std::string err;
    ASSERT_TRUE(peRead(src, &image, &err)) << err;
    ASSERT_NE(0u, image.checkSum);
    putU32(file, image.offCheckSum(), 0);
    PeChecksum sum;
    sum.update(file.data(), file.size());
    EXPECT_EQ(image.checkSum, sum.finish(file.size()));
    EXPECT_EQ(image.checkSum, referenceChecksum(file));
}

} // namespace
