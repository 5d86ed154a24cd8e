// Package file names and architectures as the command line gives them and the stub accepts
// them. The stub joins a package's file name to its extraction directory, so a name that could
// leave that directory, name a device or not be created on Windows is refused here, before a
// setup program is built that could never install.
#pragma once

#include <cstdint>
#include <string>

namespace quilpack {

// Why the stub would refuse NAME as a package file name, or "" when it accepts it.
std::string fileNameProblem(const std::string &name);

// Whether two file names are the same on Windows (ASCII letters compared without case; names
// are ASCII once fileNameProblem accepted them).
bool sameFileName(const std::string &a, const std::string &b);

// Whether NAME ends in SUFFIX, ASCII letters compared without case.
bool hasSuffix(const std::string &name, const char *pszSuffix);

// "all", "x86", "amd64" or a number 0-255 to an architecture value; false for anything else.
bool parseArch(const std::string &text, uint8_t *pArch);

// The name parseArch takes for VALUE: "all", "x86", "amd64", else the number.
std::string archName(uint8_t value);

// The last component of a command-line path, as the platform separates components.
std::string baseName(const std::string &path);

} // namespace quilpack
