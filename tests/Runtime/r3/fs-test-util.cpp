// The portable bodies of the file-test helpers.
#include "Runtime/r3/fs-test-util.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "Runtime/r3/testplatform.h"

TstScratchDir::TstScratchDir() {
    std::error_code Ec;
    std::filesystem::path Path = TestTempFileName("fs");
    std::filesystem::create_directories(Path, Ec);
    m_Path = Path.string();
}

TstScratchDir::~TstScratchDir() {
    std::error_code Ec;
    std::filesystem::remove_all(std::filesystem::path(m_Path), Ec);
}

std::string TstScratchDir::operator/(const std::string &Name) const {
    return (std::filesystem::path(m_Path) / Name).string();
}

bool tstFileWriteAll(const std::string &Path, const std::string &Content) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out << Content;
    return Out.good();
}

bool tstFileReadAll(const std::string &Path, std::string *pContent) {
    std::ifstream In(Path, std::ios::binary);
    if (!In) return false;
    std::stringstream Ss;
    Ss << In.rdbuf();
    *pContent = Ss.str();
    return true;
}

bool tstPathExists(const std::string &Path) {
    std::error_code Ec;
    return std::filesystem::exists(std::filesystem::symlink_status(Path, Ec));
}

bool tstIsDirectory(const std::string &Path) {
    std::error_code Ec;
    return std::filesystem::is_directory(Path, Ec);
}

bool tstMakeDir(const std::string &Path) {
    std::error_code Ec;
    return std::filesystem::create_directory(Path, Ec);
}
