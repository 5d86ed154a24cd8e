// The process identifier. Asked each time: a forked child must not report its parent's.
#include <qrt/system.h>

#include "r3/system-internal.h"

#include <unistd.h>

void rtProcInitSelf(void) {}

RTPROCESS RTProcSelf(void) {
    return (RTPROCESS)getpid();
}
