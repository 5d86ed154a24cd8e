// What quilpack's tests share: a scratch directory, whole-file helpers and the sample stub.
#pragma once

#include "pe-image.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quilpacktest {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    std::string path(const std::string &name) const { return (m_dir / name).string(); }
    // The names in the directory, sorted.
    std::vector<std::string> list() const;

private:
    std::filesystem::path m_dir;
};

std::vector<uint8_t> readFile(const std::string &path);
void writeFile(const std::string &path, const std::vector<uint8_t> &bytes);
void writeFile(const std::string &path, const std::string &text);
// CB bytes that differ from file to file (SEED) and from block to block.
std::vector<uint8_t> patternBytes(size_t cb, uint32_t seed);
bool exists(const std::string &path);

// The small MinGW GUI program of the fuzz corpus, a real linker's output.
std::string sampleStubPath();
std::string sampleSignedStubPath();

// An image of one section at RVA 0x1000 (file offset 0x400, 0x2000 bytes) that begins with
// TREE, the resource directory.
struct TreeImage {
    std::vector<uint8_t> file;
    quilpack::PeImage image;
    explicit TreeImage(const std::vector<uint8_t> &tree);
};

uint32_t getU32(const std::vector<uint8_t> &bytes, size_t off);
uint16_t getU16(const std::vector<uint8_t> &bytes, size_t off);
void putU32(std::vector<uint8_t> &bytes, size_t off, uint32_t u);
void putU16(std::vector<uint8_t> &bytes, size_t off, uint16_t u);

} // namespace quilpacktest
