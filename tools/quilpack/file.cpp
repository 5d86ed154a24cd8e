// What both platforms' files share.
#include "file.h"

namespace quilpack {

bool InputFile::read(uint64_t off, void *pv, size_t cb, std::string *pErr) {
    int64_t const cbRead = readAt(off, pv, cb, pErr);
    if (cbRead < 0) return false;
    if (uint64_t(cbRead) != cb) {
        *pErr = "truncated (needs " + std::to_string(off + cb) + " bytes, has " + std::to_string(off + cbRead) + ")";
        return false;
    }
    return true;
}

} // namespace quilpack
