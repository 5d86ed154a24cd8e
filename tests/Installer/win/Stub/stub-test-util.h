// What the stub's tests share: the message boxes recorded instead of shown, and the standard
// streams captured, both for the life of one StubCapture.
#pragma once

#include <qrt/types.h>

#include <cstdio>
#include <string>

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

} // namespace stubtest
