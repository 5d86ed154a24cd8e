// The record the msi.dll double writes of every call it receives, and its reader.
//
// One field per line, "key value", in UTF-8; a line "call NAME" starts each call. Values are
// escaped so that any text fits on one line and reads back exactly: '%' and every control
// character become "%XX" (two upper-case hex digits), everything else stays as it is (so
// Windows paths keep their backslashes).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace e2e {

std::string RecordEscape(const std::string &value);
// The inverse of RecordEscape. A '%' not followed by two hex digits is kept as it is.
std::string RecordUnescape(const std::string &escaped);

// One call as the double recorded it: the function's name and its fields in order (a key may
// repeat, e.g. "entry" once per file of the extraction directory).
struct RecordedCall {
    std::string name;
    std::vector<std::pair<std::string, std::string>> fields;

    // The first field of that key, or MISSING.
    std::string get(const std::string &key, const std::string &missing = "<none>") const;
    // Every field of that key, in order.
    std::vector<std::string> all(const std::string &key) const;
};

// Parses a whole record. Lines before the first "call" line and empty lines are ignored.
std::vector<RecordedCall> RecordParse(const std::string &text);

} // namespace e2e
