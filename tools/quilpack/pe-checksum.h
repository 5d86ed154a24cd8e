// The PE image checksum, summed while the image is written: 16-bit little-endian words added
// with end-around carry, then the file's length added.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quilpack {

class PeChecksum {
public:
    // Adds the next CB bytes of the file (any split into pieces gives the same sum). The
    // checksum field itself must be added as zeros.
    void update(const void *pv, size_t cb);
    // The checksum of a file of CBFILE bytes of which all were added.
    uint32_t finish(uint64_t cbFile) const;

private:
    uint64_t m_uSum = 0; // folded before it could overflow
    uint64_t m_off = 0;  // bytes added so far: its parity places the next byte in its word
};

} // namespace quilpack
