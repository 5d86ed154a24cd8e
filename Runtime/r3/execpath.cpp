// The executable path record, filled once on first use.
#include <string.h>

#include <qrt/cdefs.h>
#include <qrt/err.h>

#include "r3/init-internal.h"

RTR3EXECPATH g_rtR3ExecPath RT_BSS;

// 0 not filled, 1 being filled, 2 done; g_rcrtR3ExecPath holds the outcome once done.
static volatile uint32_t g_uRTR3ExecPathState = 0;
static volatile int32_t g_rcrtR3ExecPath = QINF_SUCCESS;

int rtR3ExecPathEnsure(void) {
    uint32_t uState = __atomic_load_n(&g_uRTR3ExecPathState, __ATOMIC_ACQUIRE);
    if (uState == 2) return g_rcrtR3ExecPath;
    uint32_t uExpected = 0;
    if (__atomic_compare_exchange_n(&g_uRTR3ExecPathState, &uExpected, 1, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) {
        // Readers look at the record only once the state says done.
        size_t offName = 0;
        int rc = rtR3ExecPathQuery(g_rtR3ExecPath.szPath, sizeof(g_rtR3ExecPath.szPath), &offName);
        if (RT_SUCCESS(rc)) {
            g_rtR3ExecPath.cchPath = strlen(g_rtR3ExecPath.szPath);
            g_rtR3ExecPath.offName = offName;
            // The directory part without the separator before the name (a root keeps its own).
            g_rtR3ExecPath.cchDir = offName > 1 ? offName - 1 : offName;
        } else
            memset(&g_rtR3ExecPath, 0, sizeof(g_rtR3ExecPath));
        g_rcrtR3ExecPath = rc;
        __atomic_store_n(&g_uRTR3ExecPathState, 2, __ATOMIC_RELEASE);
        return rc;
    }
    // Another thread is filling it: that takes a platform call or two.
    while (__atomic_load_n(&g_uRTR3ExecPathState, __ATOMIC_ACQUIRE) != 2) {
    }
    return g_rcrtR3ExecPath;
}
