// Loader records: validation, symbols, closing, and the error-information record.
#include <string.h>

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/mem.h>

#include "common/ldr/ldr-internal.h"

PRTERRINFO RTErrInfoInit(PRTERRINFO pErrInfo, char *pszMsg, size_t cbMsg) {
    pErrInfo->fFlags = RTERRINFO_FLAGS_MAGIC;
    pErrInfo->rc = QINF_SUCCESS;
    pErrInfo->cbMsg = cbMsg;
    pErrInfo->pszMsg = pszMsg;
    if (pszMsg && cbMsg) pszMsg[0] = '\0';
    return pErrInfo;
}

bool RTErrInfoIsSet(const RTERRINFO *pErrInfo) {
    return RT_VALID_PTR(pErrInfo) && (pErrInfo->fFlags & RTERRINFO_FLAGS_SET) != 0;
}

void rtldrErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...) {
    if (!pErrInfo) return;
    pErrInfo->fFlags = (pErrInfo->fFlags & ~RTERRINFO_FLAGS_MAGIC_MASK) | RTERRINFO_FLAGS_MAGIC | RTERRINFO_FLAGS_SET;
    pErrInfo->rc = rc;
    if (pErrInfo->pszMsg && pErrInfo->cbMsg) {
        va_list va;
        va_start(va, pszFormat);
        RTStrPrintfV(pErrInfo->pszMsg, pErrInfo->cbMsg, pszFormat, va);
        va_end(va);
    }
}

void rtldrErrInfoClear(PRTERRINFO pErrInfo) {
    if (!pErrInfo) return;
    pErrInfo->fFlags = (pErrInfo->fFlags & ~(RTERRINFO_FLAGS_MAGIC_MASK | RTERRINFO_FLAGS_SET)) | RTERRINFO_FLAGS_MAGIC;
    pErrInfo->rc = QINF_SUCCESS;
    if (pErrInfo->pszMsg && pErrInfo->cbMsg) pErrInfo->pszMsg[0] = '\0';
}

RTLDRMODINTERNAL *rtldrValidate(RTLDRMOD hLdrMod) {
    RTLDRMODINTERNAL *pMod = hLdrMod;
    if (!RT_VALID_PTR(pMod)) return NULL;
    if (pMod->u32Magic != RTLDRMOD_MAGIC) return NULL;
    // The random generators carry the same magic value; only the operations table tells a
    // loader record apart, and the loader has just the one.
    if (pMod->pOps != &g_rtldrNativeOps) return NULL;
    return pMod;
}

int RTLdrGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue) {
    RTLDRMODINTERNAL *pMod = rtldrValidate(hLdrMod);
    if (!pMod) return QERR_INVALID_HANDLE;
    if (!pszSymbol || !RT_VALID_PTR(ppvValue)) return QERR_INVALID_PARAMETER;
    *ppvValue = NULL;
    return pMod->pOps->pfnGetSymbol(pMod, pszSymbol, ppvValue);
}

int RTLdrClose(RTLDRMOD hLdrMod) {
    if (hLdrMod == NIL_RTLDRMOD) return QINF_SUCCESS;
    RTLDRMODINTERNAL *pMod = rtldrValidate(hLdrMod);
    if (!pMod) return QERR_INVALID_HANDLE;
    (void)pMod->pOps->pfnClose(pMod);
    // Late users of the handle see a dead record until the memory is reused.
    pMod->u32Magic++;
    pMod->eState = RTLDRMODSTATE_INVALID;
    // Platform libraries have no reader; no other kind exists in this runtime.
    pMod->pReader = NULL;
    RTMemFree(pMod);
    return QINF_SUCCESS;
}

uintptr_t RTLdrGetNativeHandle(RTLDRMOD hLdrMod) {
    RTLDRMODINTERNAL *pMod = rtldrValidate(hLdrMod);
    if (!pMod || pMod->pOps != &g_rtldrNativeOps) return RTLDR_NIL_NATIVE_HANDLE;
    return pMod->hNative;
}
