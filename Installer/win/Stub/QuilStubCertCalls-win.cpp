// The thread's last error on Windows.
#include "QuilStubCertCalls-internal.h"

#include <qrt/system.h>

#include <windows.h>

namespace {

uint32_t stubWinGetLastError(void) {
    return GetLastError();
}

} // namespace

StubCertCalls g_StubCertCalls = {stubWinGetLastError, RTSystemGetNtVersion, RTSystemGetNtProductType};
