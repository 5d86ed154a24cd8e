// Initialising the runtime once inside the test program.
#include "Runtime/r3/init-test-util.h"

#include <qrt/init.h>

int tstRuntimeInit() {
    static int s_rc = RTR3InitExe(nullptr, nullptr, 0);
    return s_rc;
}
