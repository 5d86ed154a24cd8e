// The packages the stub carries inside its own executable: raw-data resources, read in place
// from the mapped image. One manifest ("MANIFEST") gives the number of packages; package i has
// a header resource named "HDR_%02d" (HDR_00, HDR_07, HDR_123) that names its payload resource
// and its file name; the payload holds the package file's bytes unchanged.
//
// Lookups hand out pointers into the image: read-only, valid until the process ends, never
// freed. The layouts are little-endian and unaligned (read them byte-wise, as declared).
#pragma once

#include <qrt/types.h>

// Fits every host (0), a 32-bit Windows host (1), a 64-bit Windows host (2). A header may hold
// any other number: such a package fits no host, yet "--extract" still writes it.
enum class PackageArch : uint8_t { All = 0, X86 = 1, Amd64 = 2 };

#define QUILSTUB_MANIFEST_NAME "MANIFEST"
// The header resource of package i: "HDR_" and at least two decimal digits.
#define QUILSTUB_HEADER_NAME_FORMAT "HDR_%02u"
// Size of each name field of a header, terminator included.
#define QUILSTUB_PACKAGE_NAME_SIZE 260

#pragma pack(push, 1)
// The manifest resource (20 bytes as the packer writes it). Only the package count is read:
// neither the magic nor the version is compared, so a later layout must keep the count here.
typedef struct StubManifest {
    char achMagic[8];      // "quil$tub", not terminated
    uint8_t abMagicEnd[4]; // zero
    uint32_t uVersion;     // 1
    uint8_t cPackages;     // number of package headers
    uint8_t abPadding[3];
} StubManifest;

// One package header resource (521 bytes, no padding).
typedef struct StubPackage {
    uint8_t bArch;                                   // a PackageArch value, or any other number
    char szResourceName[QUILSTUB_PACKAGE_NAME_SIZE]; // the payload's resource name, zero-filled
    char szFileName[QUILSTUB_PACKAGE_NAME_SIZE];     // the package's file name, zero-filled; its
                                                     // suffix (".msi", ".cab") says how it is used
} StubPackage;
#pragma pack(pop)

// The least a manifest must hold to have its count read, and the size of a header.
#define QUILSTUB_MANIFEST_MIN_SIZE 17U
#define QUILSTUB_PACKAGE_SIZE 521U
static_assert(sizeof(StubManifest) == 20, "manifest layout");
static_assert(sizeof(StubPackage) == QUILSTUB_PACKAGE_SIZE, "package header layout");

// Finds the raw-data resource pszName (ASCII; the lookup ignores case and language) in the
// executable itself. On success *ppvData points at its bytes and *pcbData, if given, receives
// its size. Returns QINF_SUCCESS; QERR_INVALID_PARAMETER without a name; the UTF-16
// conversion's failure; QERR_IO_GEN_FAILURE when the resource is missing or cannot be loaded;
// QERR_NO_DATA when it is empty. On failure *ppvData and *pcbData are not changed.
int LocateEmbeddedResource(const char *pszName, const void **ppvData, uint32_t *pcbData);

// The number of packages, read from the manifest. Returns QINF_SUCCESS;
// LocateEmbeddedResource's failure; QERR_BAD_EXE_FORMAT when the resource is too short to hold
// the count. *pcPackages is set on success only. The caller shows
// QUILSTUB_MSG_MANIFEST_NOT_FOUND on failure.
int QueryPackageCount(unsigned *pcPackages);

// The header of package iPackage (resource "HDR_%02u"). On success *ppHeader points at a
// complete header whose two names are terminated within their fields. Returns QINF_SUCCESS;
// LocateEmbeddedResource's failure; QERR_BAD_EXE_FORMAT when the resource is shorter than a
// header or a name field lacks its terminator. The caller shows QUILSTUB_MSG_HEADER_NOT_FOUND
// with iPackage on failure.
int LocatePackageHeader(unsigned iPackage, const StubPackage **ppHeader);

// Checks a header's file name before it is joined to the extraction directory, so that a
// package is only ever written into that directory, under a plain name; call it whichever way
// the destination is named. Refused with QERR_INVALID_NAME: an empty name, "." and "..", a
// name holding "\", "/", ":", a control character or invalid UTF-8, a name ending in "." or
// " ", and the device names CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 in any case,
// also with a suffix ("nul.msi") or blanks before the suffix. Returns QINF_SUCCESS otherwise.
// The caller shows QUILSTUB_MSG_BUILD_FILE_NAME_FAILED on failure.
int CheckPackageFileName(const char *pszFileName);

// Whether this 32-bit program runs on 64-bit Windows. Also true when the system lacks the
// query; false when the query fails.
bool HostIsWow64(void);

// Whether the package fits the host: All always; Amd64 on a 64-bit host, X86 on a 32-bit one,
// the host judged as HostIsWow64 does; any other architecture never.
bool PackageFitsHost(const StubPackage *pHeader);
