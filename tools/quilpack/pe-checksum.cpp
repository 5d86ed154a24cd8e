// Summing 32-bit words instead of 16-bit ones gives the same end-around-carry sum (2^16 is 1
// modulo 0xffff), and lets the compiler vectorise the loop: the checksum costs a fraction of
// the copy it rides on.
#include "pe-checksum.h"

#include <algorithm>
#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "words are loaded in host order");

namespace quilpack {

namespace {

uint32_t fold16(uint64_t u) {
    while (u >> 16) u = (u & 0xffff) + (u >> 16);
    return uint32_t(u);
}

} // namespace

void PeChecksum::update(const void *pv, size_t cb) {
    const uint8_t *pb = static_cast<const uint8_t *>(pv);
    uint64_t uSum = m_uSum;
    if (cb && (m_off & 1)) { // the high byte of a word begun by the previous piece
        uSum += uint64_t(*pb++) << 8;
        cb--;
        m_off++;
    }
    m_off += cb;
    // 2^20 words of at most 2^32 each cannot overflow 64 bits before the fold.
    while (cb >= 4) {
        size_t const cWords = std::min<size_t>(cb / 4, size_t(1) << 20);
        uint64_t uBlock = 0;
        for (size_t i = 0; i < cWords; i++) {
            uint32_t u;
            std::memcpy(&u, pb + 4 * i, 4);
            uBlock += u;
        }
        uSum = fold16(uSum) + fold16(uBlock);
        pb += 4 * cWords;
        cb -= 4 * cWords;
    }
    for (size_t i = 0; i < cb; i++) uSum += uint64_t(pb[i]) << (8 * (i & 1));
    m_uSum = fold16(uSum);
}

uint32_t PeChecksum::finish(uint64_t cbFile) const {
    return uint32_t(fold16(m_uSum) + cbFile);
}

} // namespace quilpack
