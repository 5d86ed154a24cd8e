// Streams the packed image: the stub with its headers rewritten, the new section's front part
// from memory, the payloads block by block. The checksum is summed on the way and written last.
#include "pack.h"

#include "bytes.h"
#include "pe-checksum.h"

#include <algorithm>
#include <cstring>

namespace quilpack {

namespace {

class Writer {
public:
    Writer(OutputFile &out, const std::string &outputPath, PackError *pErr)
        : m_out(out), m_outputPath(outputPath), m_pErr(pErr), m_block(kCopyBlockSize) {}

    bool put(const void *pv, size_t cb) {
        std::string err;
        if (!m_out.write(pv, cb, &err)) return fail(m_outputPath, err);
        m_sum.update(pv, cb);
        m_off += cb;
        return true;
    }

    bool zeroTo(uint64_t off) {
        std::memset(m_block.data(), 0, m_block.size());
        while (m_off < off)
            if (!put(m_block.data(), size_t(std::min<uint64_t>(off - m_off, m_block.size())))) return false;
        return true;
    }

    // Copies CB bytes of SRC from OFFSRC, checking that the file still has them and, with
    // FENDS, that it ends there.
    bool copy(InputFile &src, const std::string &srcPath, uint64_t offSrc, uint64_t cb, bool fEnds) {
        std::string err;
        while (cb > 0) {
            size_t const cbChunk = size_t(std::min<uint64_t>(cb, m_block.size()));
            int64_t const cbRead = src.readAt(offSrc, m_block.data(), cbChunk, &err);
            if (cbRead < 0) return fail(srcPath, err);
            if (cbRead == 0) return fail(srcPath, "became shorter while it was packed");
            if (!put(m_block.data(), size_t(cbRead))) return false;
            offSrc += uint64_t(cbRead);
            cb -= uint64_t(cbRead);
        }
        if (!fEnds) return true;
        uint8_t bProbe;
        int64_t const cbMore = src.readAt(offSrc, &bProbe, 1, &err);
        if (cbMore != 0) return fail(srcPath, cbMore < 0 ? err : "grew while it was packed");
        return true;
    }

    uint64_t offset() const { return m_off; }
    uint32_t checksum() const { return m_sum.finish(m_off); }
    bool fail(const std::string &file, const std::string &problem) {
        m_pErr->message = file + ": " + problem;
        return false;
    }

private:
    OutputFile &m_out;
    const std::string &m_outputPath;
    PackError *m_pErr;
    std::vector<uint8_t> m_block;
    PeChecksum m_sum;
    uint64_t m_off = 0;
};

} // namespace

bool packWrite(PackPlan &plan, const std::string &outputPath, PackError *pErr) {
    const PeImage &stub = plan.stub;
    std::string err;
    OutputFile out; // removes its temporary file on every early return
    if (!out.create(outputPath, &err)) {
        pErr->message = outputPath + ": " + err;
        return false;
    }
    Writer writer(out, outputPath, pErr);

    // The stub's headers with the new section entered. The checksum field stays zero until
    // the sum is known.
    std::vector<uint8_t> headers(stub.sizeOfHeaders);
    if (!plan.stubFile->read(0, headers.data(), headers.size(), &err)) return writer.fail(plan.stubPath, err);
    uint8_t *pb = headers.data();
    pb[stub.offNumberOfSections()] = uint8_t(stub.sections.size() + 1);
    pb[stub.offNumberOfSections() + 1] = uint8_t((stub.sections.size() + 1) >> 8);
    putU32(pb + stub.offSizeOfInitializedData(), getU32(pb + stub.offSizeOfInitializedData()) + plan.cbSectionRaw);
    putU32(pb + stub.offSizeOfImage(), plan.sizeOfImage);
    putU32(pb + stub.offCheckSum(), 0);
    putU32(pb + stub.offDataDir(kDirResource), plan.rvaSection);
    putU32(pb + stub.offDataDir(kDirResource) + 4, plan.cbSectionVirtual);
    if (stub.numberOfRvaAndSizes > kDirSecurity) {
        putU32(pb + stub.offDataDir(kDirSecurity), 0);
        putU32(pb + stub.offDataDir(kDirSecurity) + 4, 0);
    }
    std::memcpy(pb + stub.offSectionTable + kSectionHeaderSize * stub.sections.size(), plan.abSectionHeader,
                kSectionHeaderSize);
    if (!writer.put(headers.data(), headers.size())) return false;

    // The rest of the stub, then the new section.
    if (!writer.copy(*plan.stubFile, plan.stubPath, stub.sizeOfHeaders, stub.keepSize - stub.sizeOfHeaders, false))
        return false;
    if (!writer.zeroTo(plan.offSection) || !writer.put(plan.front.data(), plan.front.size())) return false;
    for (PlannedPackage &pkg : plan.packages) {
        if (!writer.zeroTo(plan.offSection + pkg.offPayload) || !writer.copy(*pkg.file, pkg.path, 0, pkg.size, true))
            return false;
    }
    if (!writer.zeroTo(plan.offSection + plan.cbSectionRaw)) return false;

    // Inputs closed before the rename: Windows cannot replace a file that is still open, and
    // the output may replace the stub or a package file.
    plan.stubFile.reset();
    for (PlannedPackage &pkg : plan.packages) pkg.file.reset();
    uint8_t abSum[4];
    putU32(abSum, writer.checksum());
    if (!out.writeAt(stub.offCheckSum(), abSum, sizeof(abSum), &err) || !out.commit(&err)) {
        pErr->message = outputPath + ": " + err;
        return false;
    }
    return true;
}

} // namespace quilpack
