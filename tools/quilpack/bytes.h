// Little-endian fields of the on-disk formats (PE headers, resource trees, the container).
#pragma once

#include <cstdint>

namespace quilpack {

inline uint16_t getU16(const uint8_t *pb) {
    return uint16_t(pb[0] | pb[1] << 8);
}
inline uint32_t getU32(const uint8_t *pb) {
    return pb[0] | uint32_t(pb[1]) << 8 | uint32_t(pb[2]) << 16 | uint32_t(pb[3]) << 24;
}
inline void putU16(uint8_t *pb, uint32_t u) {
    pb[0] = uint8_t(u);
    pb[1] = uint8_t(u >> 8);
}
inline void putU32(uint8_t *pb, uint32_t u) {
    putU16(pb, u);
    putU16(pb + 2, u >> 16);
}

} // namespace quilpack
