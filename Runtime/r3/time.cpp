// Clock helpers shared by the platform clocks.
#include <qrt/time.h>

uint64_t RTTimeMilliTS(void) {
    return RTTimeNanoTS() / UINT64_C(1000000);
}
