// Shared helpers of quilpack's tests.
#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace quilpacktest {

TempDir::TempDir() {
    static std::atomic<unsigned> s_cDirs{0};
    std::random_device rd;
    m_dir = std::filesystem::temp_directory_path() /
            ("quilpack-test-" + std::to_string(rd()) + "-" + std::to_string(s_cDirs++));
    std::filesystem::create_directories(m_dir);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::vector<std::string> TempDir::list() const {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(m_dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<uint8_t> readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::string &path, const std::vector<uint8_t> &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

void writeFile(const std::string &path, const std::string &text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> patternBytes(size_t cb, uint32_t seed) {
    std::vector<uint8_t> bytes(cb);
    std::mt19937 rng(seed);
    for (uint8_t &b : bytes) b = uint8_t(rng());
    return bytes;
}

bool exists(const std::string &path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

std::string sampleStubPath() {
    return QRT_SOURCE_DIR "/fuzz/corpus/pe-reader/mingw-gui.exe";
}
std::string sampleSignedStubPath() {
    return QRT_SOURCE_DIR "/fuzz/corpus/pe-reader/mingw-gui-signed.exe";
}

TreeImage::TreeImage(const std::vector<uint8_t> &tree) {
    file.assign(0x400, 0);
    file.insert(file.end(), tree.begin(), tree.end());
    file.resize(0x400 + 0x2000, 0); // room for the data the entries point at
    image.fileSize = file.size();
    image.sizeOfHeaders = 0x400;
    image.sectionAlignment = 0x1000;
    image.fileAlignment = 0x200;
    quilpack::PeSection sec = {};
    sec.virtualAddress = 0x1000;
    sec.virtualSize = sec.sizeOfRawData = 0x2000;
    sec.pointerToRawData = 0x400;
    image.sections.push_back(sec);
    image.endOfImage = 0x3000;
    image.aDirs[quilpack::kDirResource].rva = 0x1000;
    image.aDirs[quilpack::kDirResource].size = uint32_t(tree.size());
}

uint32_t getU32(const std::vector<uint8_t> &bytes, size_t off) {
    return bytes[off] | uint32_t(bytes[off + 1]) << 8 | uint32_t(bytes[off + 2]) << 16 | uint32_t(bytes[off + 3]) << 24;
}
uint16_t getU16(const std::vector<uint8_t> &bytes, size_t off) {
    return uint16_t(bytes[off] | bytes[off + 1] << 8);
}
void putU32(std::vector<uint8_t> &bytes, size_t off, uint32_t u) {
    for (int i = 0; i < 4; i++) bytes[off + i] = uint8_t(u >> (8 * i));
}
void putU16(std::vector<uint8_t> &bytes, size_t off, uint16_t u) {
    bytes[off] = uint8_t(u);
    bytes[off + 1] = uint8_t(u >> 8);
}

} // namespace quilpacktest
