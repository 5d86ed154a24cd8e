// File-name checks and architecture names.
#include "names.h"

#include <cstring>
#include <filesystem>

namespace quilpack {

namespace {

char asciiUpper(char ch) {
    return ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
}

bool asciiIEquals(const std::string &a, const char *psz) {
    size_t const cch = std::strlen(psz);
    if (a.size() != cch) return false;
    for (size_t i = 0; i < cch; i++)
        if (asciiUpper(a[i]) != asciiUpper(psz[i])) return false;
    return true;
}

// Windows opens the device for these base names whatever suffix follows ("NUL.msi" is NUL);
// spaces before the first dot are ignored as well.
bool isDeviceName(const std::string &name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static const char *const s_apszDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char *psz : s_apszDevices)
        if (asciiIEquals(base, psz)) return true;
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9')
        return asciiIEquals(base.substr(0, 3), "COM") || asciiIEquals(base.substr(0, 3), "LPT");
    return false;
}

} // namespace

std::string fileNameProblem(const std::string &name) {
    if (name.empty()) return "empty file name";
    if (name == "." || name == "..") return "file name '" + name + "' names a directory";
    if (name.size() > 259) return "file name of " + std::to_string(name.size()) + " bytes, longer than 259";
    for (unsigned char ch : name) {
        if (ch >= 0x80) return "file name holds a byte that is not ASCII";
        if (ch < 0x20 || ch == 0x7f) return "file name holds a control character";
        if (ch == '\\' || ch == '/' || ch == ':') return std::string("file name holds '") + char(ch) + "'";
        // Not path syntax, but Windows cannot create a file holding these: the setup program
        // would fail on every machine.
        if (std::strchr("<>\"|?*", ch)) return std::string("file name holds '") + char(ch) + "', which Windows refuses";
    }
    if (name.back() == '.' || name.back() == ' ') return "file name ends in '" + name.substr(name.size() - 1) + "'";
    if (isDeviceName(name)) return "file name '" + name + "' is a reserved device name";
    return "";
}

bool sameFileName(const std::string &a, const std::string &b) {
    return asciiIEquals(a, b.c_str());
}

bool hasSuffix(const std::string &name, const char *pszSuffix) {
    size_t const cch = std::strlen(pszSuffix);
    return name.size() >= cch && asciiIEquals(name.substr(name.size() - cch), pszSuffix);
}

bool parseArch(const std::string &text, uint8_t *pArch) {
    if (text == "all")
        *pArch = uint8_t(0);
    else if (text == "x86")
        *pArch = uint8_t(1);
    else if (text == "amd64")
        *pArch = uint8_t(2);
    else {
        if (text.empty() || text.size() > 3) return false;
        unsigned value = 0;
        for (char ch : text) {
            if (ch < '0' || ch > '9') return false;
            value = value * 10 + unsigned(ch - '0');
        }
        if (value > 255) return false;
        *pArch = uint8_t(value);
    }
    return true;
}

std::string archName(uint8_t value) {
    switch (value) {
    case 0:
        return "all";
    case 1:
        return "x86";
    case 2:
        return "amd64";
    default:
        return std::to_string(value);
    }
}

std::string baseName(const std::string &path) {
    // filename() splits as the platform does: "/" here, also "\" and drive letters on Windows.
    return std::filesystem::u8path(path).filename().u8string();
}

} // namespace quilpack
