// The container as the stub sees it.
#include "package-list.h"

namespace quilpack {

namespace {

bool readResource(ByteSource &src, const PeImage &image, const ResourceLeaf &leaf, std::vector<uint8_t> *pBytes,
                  std::string *pErr) {
    uint64_t off = 0;
    if (!peRvaToOffset(image, leaf.dataRva, leaf.size, &off)) {
        *pErr = "resource " + leaf.name.display() + " has its data outside the image";
        return false;
    }
    pBytes->resize(leaf.size);
    return src.read(off, pBytes->data(), pBytes->size(), pErr);
}

} // namespace

const ResourceLeaf *findRcdata(const std::vector<ResourceLeaf> &leaves, const std::string &name) {
    std::u16string upper(name.begin(), name.end());
    for (char16_t &wc : upper)
        if (wc >= u'a' && wc <= u'z') wc = char16_t(wc - u'a' + u'A');
    for (const ResourceLeaf &leaf : leaves)
        if (!leaf.type.fName && leaf.type.id == kRtRcdata && leaf.name.fName && leaf.name.name == upper) return &leaf;
    return nullptr;
}

bool listPackages(ByteSource &src, PackageListing *pListing, std::string *pErr) {
    PeImage image;
    std::vector<ResourceLeaf> leaves;
    if (!peRead(src, &image, pErr) || !peReadResources(src, image, &leaves, pErr)) return false;
    const ResourceLeaf *pManifest = findRcdata(leaves, kManifestName);
    if (!pManifest) {
        *pErr = "carries no packages (no MANIFEST resource)";
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!readResource(src, image, *pManifest, &bytes, pErr)) return false;
    PackageListing listing;
    if (!decodeManifest(bytes.data(), bytes.size(), &listing.manifest, &listing.fMagicOk, pErr)) return false;
    listing.fMagicOk = listing.fMagicOk && listing.manifest.version == kManifestVersion;
    for (unsigned i = 0; i < listing.manifest.packageCount; i++) {
        std::string const hdrName = headerResourceName(i);
        const ResourceLeaf *pHeader = findRcdata(leaves, hdrName);
        if (!pHeader) {
            *pErr = "no header " + hdrName + " for package #" + std::to_string(i);
            return false;
        }
        ListedPackage pkg;
        pkg.index = i;
        if (!readResource(src, image, *pHeader, &bytes, pErr)) return false;
        if (!decodeHeader(bytes.data(), bytes.size(), &pkg.header, pErr)) {
            *pErr = hdrName + ": " + *pErr;
            return false;
        }
        const ResourceLeaf *pPayload = findRcdata(leaves, pkg.header.resourceName);
        if (!pPayload) {
            *pErr = hdrName + ": names payload '" + pkg.header.resourceName + "', which is not there";
            return false;
        }
        pkg.payloadRva = pPayload->dataRva;
        pkg.payloadSize = pPayload->size;
        listing.packages.push_back(pkg);
    }
    *pListing = std::move(listing);
    return true;
}

} // namespace quilpack
