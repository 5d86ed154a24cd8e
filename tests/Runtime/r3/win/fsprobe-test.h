// Runs the second process of the sharing tests (qrt-fsprobe.exe beside the test program) and
// returns its exit code: 0 when the operation succeeded, else the Windows error it met; -1 when
// the probe could not be started.
#pragma once

#include <string>

int tstFsProbe(const char *pszOp, const std::string &Path, const std::string &Path2 = std::string());
