// What the stub's tests share: the message boxes recorded instead of shown, and the standard
// streams captured, both for the life of one StubCapture.
#pragma once

#include <qrt/types.h>

#include <cstdio>
#include <string>
#include <vector>

#include "QuilStubPackages-internal.h"

#include "r3/stream-internal.h"

namespace stubtest {

// While it lives: every box the message routines show is recorded (through the box table,
// in both builds; each recorded call sets errno to ENOENT, as a platform call may), and g_pStdOut and g_pStdErr write
// to files of their own. Restores both, and silentMode and verbosity, when it ends.
class StubCapture {
public:
    StubCapture();
    ~StubCapture();
    // Each box as "boxW(<style in hex>)[<text>]" or "boxA(...)[...]", in order; a box whose
    // owner is null or whose title is not the product's says so after the style.
    std::string Boxes() const;
    unsigned BoxCount() const;
    // What reached standard output and standard error so far, CR LF folded to LF.
    std::string Out();
    std::string Err();

private:
    struct File {
        std::string Name;
        FILE *pFile = nullptr;
        RTSTREAM Strm;
    };
    File m_Out, m_Err;
    PRTSTREAM m_pSavedOut, m_pSavedErr;
};

// pszExpect with "P:" at the start of a line replaced by the program name and a colon, as the
// runtime's messages begin.
std::string WithProgramName(const std::string &Expect);

// While it lives, the package container reads the resources added here (in both builds), on a
// 64-bit host unless told otherwise. Restores the platform calls when it ends.
class StubFakeResources {
public:
    StubFakeResources();
    ~StubFakeResources();
    // A resource of that name with those bytes (replacing one of the same name).
    void Add(const std::string &Name, const std::string &Data);
    // The manifest with cPackages, and package iPackage's header and payload "BIN_<i>".
    void AddManifest(unsigned cPackages);
    void AddPackage(unsigned iPackage, uint8_t bArch, const std::string &FileName, const std::string &Payload);
    void SetHost64(bool fHost64) { s_fHost64 = fHost64; }

private:
    StubPackageCalls m_Saved;
    static inline bool s_fHost64 = true;
    static bool isWow64(bool *pfWow64) {
        *pfWow64 = s_fHost64;
        return true;
    }
    static PFNSTUBISWOW64 lookupIsWow64() { return isWow64; }
    static void *find(const RTUTF16 *pwszName);
    static uint32_t sizeOf(void *hRes) { return (uint32_t) static_cast<std::string *>(hRes)->size(); }
    static void *load(void *hRes) { return hRes; }
    static const void *lock(void *hRes) { return static_cast<std::string *>(hRes)->data(); }
};

} // namespace stubtest
