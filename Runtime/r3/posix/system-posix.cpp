// There is no Windows version to report here: the record stays empty, so the queries report
// zeros and the OS type is unknown.
#include "r3/system-internal.h"

#include <string.h>

void rtSystemQueryVersion(RTSYSVERSIONREC *pRec) {
    memset(pRec, 0, sizeof(*pRec));
}
