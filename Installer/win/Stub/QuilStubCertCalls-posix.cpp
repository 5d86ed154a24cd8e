// Where Windows is absent there is no last error to report.
#include "QuilStubCertCalls-internal.h"

#include <qrt/system.h>

namespace {

uint32_t stubPosixGetLastError(void) {
    return 0;
}

} // namespace

StubCertCalls g_StubCertCalls = {stubPosixGetLastError, RTSystemGetNtVersion, RTSystemGetNtProductType};
