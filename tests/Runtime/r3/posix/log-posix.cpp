// The logger where there is no Windows: opens blocked through the file-call seam.
#include <errno.h>

#include "Runtime/common/log/log-test-util.h"
#include "Runtime/r3/posix/fscalls-posix-test.h"

std::shared_ptr<void> tstLogBlockFileOpens(unsigned iNth, bool fFromThenOn) {
    // ETXTBSY is the file layer's sharing violation here.
    return std::make_shared<TstFsCallFail<&RTFSCALLS::pfnOpen>>(iNth, -1, ETXTBSY, fFromThenOn);
}
