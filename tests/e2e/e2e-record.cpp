// The msi.dll double's record format: see e2e-record.h.
#include "e2e-record.h"

namespace e2e {

static int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    return -1;
}

std::string RecordEscape(const std::string &value) {
    static const char s_szHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : value) {
        if (ch == '%' || ch < 0x20 || ch == 0x7f) {
            out += '%';
            out += s_szHex[ch >> 4];
            out += s_szHex[ch & 15];
        } else
            out += (char)ch;
    }
    return out;
}

std::string RecordUnescape(const std::string &escaped) {
    std::string out;
    for (size_t i = 0; i < escaped.size(); i++) {
        if (escaped[i] == '%' && i + 2 < escaped.size() && HexValue(escaped[i + 1]) >= 0 &&
            HexValue(escaped[i + 2]) >= 0) {
            out += (char)(HexValue(escaped[i + 1]) * 16 + HexValue(escaped[i + 2]));
            i += 2;
        } else
            out += escaped[i];
    }
    return out;
}

std::string RecordedCall::get(const std::string &key, const std::string &missing) const {
    for (const auto &field : fields)
        if (field.first == key) return field.second;
    return missing;
}

std::vector<std::string> RecordedCall::all(const std::string &key) const {
    std::vector<std::string> values;
    for (const auto &field : fields)
        if (field.first == key) values.push_back(field.second);
    return values;
}

std::vector<RecordedCall> RecordParse(const std::string &text) {
    std::vector<RecordedCall> calls;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos) eol = text.size();
        std::string line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        size_t const space = line.find(' ');
        std::string key = line.substr(0, space);
        std::string value = space == std::string::npos ? std::string() : RecordUnescape(line.substr(space + 1));
        if (key == "call")
            calls.push_back(RecordedCall{value, {}});
        else if (!calls.empty())
            calls.back().fields.emplace_back(std::move(key), std::move(value));
    }
    return calls;
}

} // namespace e2e
