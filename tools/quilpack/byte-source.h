// Random-access bytes: a file, or memory (tests and the fuzz target).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace quilpack {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // Reads exactly CB bytes at OFF; false with *pErr set when they are not all there.
    virtual bool read(uint64_t off, void *pv, size_t cb, std::string *pErr) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t *pb, size_t cb) : m_pb(pb), m_cb(cb) {}
    uint64_t size() const override { return m_cb; }
    bool read(uint64_t off, void *pv, size_t cb, std::string *pErr) override {
        if (off > m_cb || cb > m_cb - off) {
            *pErr = "truncated (needs " + std::to_string(off + cb) + " bytes, has " + std::to_string(m_cb) + ")";
            return false;
        }
        if (cb) std::memcpy(pv, m_pb + off, cb);
        return true;
    }

private:
    const uint8_t *m_pb;
    size_t m_cb;
};

} // namespace quilpack
