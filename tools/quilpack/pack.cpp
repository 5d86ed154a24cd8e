// Checks and layout of a pack: every refusal happens here, before the first byte is written.
#include "pack.h"

#include "bytes.h"
#include "names.h"
#include "package-list.h"
#include "resource-tree.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace quilpack {

namespace {

constexpr uint32_t kSectionCharacteristics = 0x40000040u; // initialised data, readable

uint64_t alignUp(uint64_t u, uint64_t uAlign) {
    return (u + uAlign - 1) / uAlign * uAlign;
}

bool fail(PackError *pErr, const std::string &file, const std::string &problem) {
    pErr->message = file + ": " + problem;
    return false;
}

// Opens and checks one package file, filling everything but its place in the section.
bool planPackage(const PackInput &input, unsigned index, const PackWarn &warn,
                 const std::vector<PlannedPackage> &earlier, PlannedPackage *pPkg, PackError *pErr) {
    pPkg->path = input.path;
    pPkg->file.reset(new InputFile);
    std::string err;
    if (!pPkg->file->open(input.path, &err)) return fail(pErr, input.path, err);
    pPkg->size = pPkg->file->size();
    // The stub treats an empty resource as a missing one and stops the installation there.
    if (pPkg->size == 0) return fail(pErr, input.path, "empty; the stub cannot carry an empty package");
    if (pPkg->size > kMaxImageSize)
        return fail(pErr, input.path,
                    std::to_string(pPkg->size) + " bytes, more than a 32-bit setup program can map (" +
                        std::to_string(kMaxImageSize) + " bytes for all packages and the stub)");

    std::string const fileName = baseName(input.path);
    std::string const problem = fileNameProblem(fileName);
    if (!problem.empty()) return fail(pErr, input.path, problem);
    for (const PlannedPackage &other : earlier)
        if (sameFileName(other.header.fileName, fileName))
            return fail(pErr, input.path,
                        "file name '" + fileName + "' is that of " + other.path +
                            " (Windows file names ignore case), so the stub could not extract both");

    bool const fMsi = hasSuffix(fileName, ".msi"), fCab = hasSuffix(fileName, ".cab");
    uint8_t const arch = input.architecture;
    if ((arch == uint8_t(PackageArch::X86) || arch == uint8_t(PackageArch::Amd64)) && !fMsi && !fCab)
        return fail(pErr, input.path,
                    "a package for " + archName(arch) + " must be a .msi or a .cab; the stub installs nothing else");
    if (fCab && arch != uint8_t(PackageArch::All))
        warn(input.path + ": a cabinet for " + archName(arch) +
             " is extracted under a random name, which its .msi cannot find; pack cabinets as 'all'");
    else if (arch == uint8_t(PackageArch::All) && !fMsi && !fCab)
        warn(input.path + ": neither a .msi nor a .cab: an installation run stops at it with an error (only " +
             "extracting works)");

    pPkg->header.architecture = arch;
    pPkg->header.resourceName = payloadResourceName(index);
    pPkg->header.fileName = fileName;
    return true;
}

// Whether the stub's own tree holds a resource the container would write.
bool checkStubResources(const std::string &stubPath, const std::vector<ResourceLeaf> &leaves, size_t cPackages,
                        PackError *pErr) {
    if (findRcdata(leaves, kManifestName))
        return fail(pErr, stubPath,
                    "already carries packages (it has a MANIFEST resource); pack the bare stub instead");
    for (const ResourceLeaf &leaf : leaves) {
        if (leaf.type.fName || leaf.type.id != kRtRcdata || !leaf.name.fName) continue;
        std::string const name = leaf.name.display();
        std::string upper = name;
        for (char &ch : upper) ch = ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
        for (size_t i = 0; i < cPackages; i++)
            if (upper == headerResourceName(unsigned(i)) || upper == payloadResourceName(unsigned(i)))
                return fail(pErr, stubPath, "already has a resource named " + name);
    }
    return true;
}

} // namespace

bool packPlan(const PackRequest &request, const PackWarn &warn, PackPlan *pPlan, PackError *pErr) {
    PackPlan plan;
    std::string err;

    // The stub.
    plan.stubPath = request.stubPath;
    plan.stubFile.reset(new InputFile);
    if (!plan.stubFile->open(request.stubPath, &err)) return fail(pErr, request.stubPath, err);
    if (!peRead(*plan.stubFile, &plan.stub, &err)) return fail(pErr, request.stubPath, err);
    std::vector<ResourceLeaf> leaves;
    if (!peReadResources(*plan.stubFile, plan.stub, &leaves, &err)) return fail(pErr, request.stubPath, err);
    if (!checkStubResources(request.stubPath, leaves, request.inputs.size(), pErr)) return false;
    const PeImage &stub = plan.stub;
    uint64_t const offNewHeader = stub.offSectionTable + kSectionHeaderSize * stub.sections.size();
    uint64_t offFirstRaw = stub.sizeOfHeaders;
    for (const PeSection &sec : stub.sections)
        if (sec.sizeOfRawData) offFirstRaw = std::min<uint64_t>(offFirstRaw, sec.pointerToRawData);
    uint8_t abSlot[kSectionHeaderSize];
    if (offNewHeader + kSectionHeaderSize > offFirstRaw ||
        !plan.stubFile->read(offNewHeader, abSlot, sizeof(abSlot), &err) ||
        std::any_of(abSlot, abSlot + sizeof(abSlot), [](uint8_t b) { return b != 0; }))
        return fail(pErr, request.stubPath, "no free room in its headers for another section");
    if (stub.fSigned)
        warn(request.stubPath + ": signed; the signature is removed (sign " + request.outputPath + " after packing)");

    // The packages.
    if (request.inputs.size() > kMaxPackages)
        return fail(pErr, request.inputs[kMaxPackages].path,
                    "one package too many: a stub carries at most " + std::to_string(kMaxPackages));
    for (size_t i = 0; i < request.inputs.size(); i++) {
        PlannedPackage pkg;
        if (!planPackage(request.inputs[i], unsigned(i), warn, plan.packages, &pkg, pErr)) return false;
        plan.packages.push_back(std::move(pkg));
    }

    // The tree: the stub's resources where they are, the container's in the new section.
    std::vector<ResourceEntry> entries;
    for (const ResourceLeaf &leaf : leaves) entries.push_back(resourceEntryOf(leaf));
    auto const addOurs = [&](const std::string &name, uint64_t cb) {
        ResourceEntry entry;
        entry.type = ResourceId::number(kRtRcdata);
        entry.name = ResourceId::ascii(name);
        entry.lang = kLangEnUs;
        entry.size = uint32_t(cb);
        entries.push_back(entry);
    };
    addOurs(kManifestName, kManifestSize);
    for (size_t i = 0; i < plan.packages.size(); i++) {
        addOurs(headerResourceName(unsigned(i)), kHeaderSize);
        addOurs(plan.packages[i].header.resourceName, plan.packages[i].size);
    }
    if (!resourceTreeSort(&entries, &err)) return fail(pErr, request.stubPath, err);

    // The section: the tree, the manifest and the headers, then the payloads.
    std::map<std::string, uint64_t> offsets;
    uint64_t off = resourceTreeSize(entries);
    offsets[kManifestName] = off;
    off += kManifestSize;
    for (size_t i = 0; i < plan.packages.size(); i++) {
        off = alignUp(off, 8);
        offsets[headerResourceName(unsigned(i))] = off;
        off += kHeaderSize;
    }
    uint64_t const cbFront = alignUp(off, kPayloadAlignment);
    off = cbFront;
    for (size_t i = 0; i < plan.packages.size(); i++) {
        off = alignUp(off, kPayloadAlignment);
        offsets[plan.packages[i].header.resourceName] = off;
        off += plan.packages[i].size;
    }
    uint64_t const cbSection = std::max<uint64_t>(off, 1);
    uint64_t const rvaSection = alignUp(stub.endOfImage, stub.sectionAlignment);
    uint64_t const cbImage = alignUp(rvaSection + cbSection, stub.sectionAlignment);
    if (cbImage > kMaxImageSize)
        return fail(pErr, request.outputPath,
                    "would need " + std::to_string(cbImage) + " bytes of address space, more than the " +
                        std::to_string(kMaxImageSize) + " a 32-bit setup program can map");
    plan.rvaSection = uint32_t(rvaSection);
    plan.cbSectionVirtual = uint32_t(cbSection);
    plan.cbSectionRaw = uint32_t(alignUp(cbSection, stub.fileAlignment));
    plan.sizeOfImage = uint32_t(cbImage);
    // Page-aligned in the file as in memory, so the loader maps the section.
    plan.offSection = alignUp(stub.keepSize, std::max<uint32_t>(kPayloadAlignment, stub.fileAlignment));
    for (ResourceEntry &entry : entries) {
        if (entry.type.fName || entry.type.id != kRtRcdata || !entry.name.fName) continue;
        auto const it = offsets.find(entry.name.display());
        if (it != offsets.end()) entry.dataRva = uint32_t(rvaSection + it->second);
    }
    for (PlannedPackage &pkg : plan.packages) pkg.offPayload = uint32_t(offsets[pkg.header.resourceName]);

    plan.front = resourceTreeBuild(entries);
    plan.front.resize(size_t(cbFront), 0);
    StubManifest manifest;
    manifest.packageCount = uint8_t(plan.packages.size());
    std::vector<uint8_t> bytes = encodeManifest(manifest);
    std::memcpy(&plan.front[size_t(offsets[kManifestName])], bytes.data(), bytes.size());
    for (size_t i = 0; i < plan.packages.size(); i++) {
        bytes = encodeHeader(plan.packages[i].header);
        std::memcpy(&plan.front[size_t(offsets[headerResourceName(unsigned(i))])], bytes.data(), bytes.size());
    }

    uint8_t *pb = plan.abSectionHeader;
    std::memcpy(pb, ".quilpk", 7);
    putU32(pb + 8, plan.cbSectionVirtual);
    putU32(pb + 12, plan.rvaSection);
    putU32(pb + 16, plan.cbSectionRaw);
    putU32(pb + 20, uint32_t(plan.offSection));
    putU32(pb + 36, kSectionCharacteristics);
    if (plan.offSection + plan.cbSectionRaw > 0xffffffffu)
        return fail(pErr, request.outputPath, "would be larger than 4 GiB");
    *pPlan = std::move(plan);
    return true;
}

bool packCreate(const PackRequest &request, const PackWarn &warn, PackError *pErr) {
    PackPlan plan;
    if (!packPlan(request, warn, &plan, pErr)) return false;
    interruptsCatch();
    bool const fOk = packWrite(plan, request.outputPath, pErr);
    interruptsRelease();
    if (!fOk && interruptPending()) pErr->signal = interruptPending();
    return fOk;
}

} // namespace quilpack
