// The argument rules of the environment lookup, shared by every platform.
#include <qrt/env.h>
#include <qrt/cdefs.h>
#include <qrt/err.h>

#include "r3/env-internal.h"

#include <string.h>

int RTEnvGetEx(RTENV hEnv, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual) {
    if (!RT_VALID_PTR(pszVar)) return QERR_INVALID_POINTER;
    if (pszValue && !RT_VALID_PTR(pszValue)) return QERR_INVALID_POINTER;
    if (pcchActual && !RT_VALID_PTR(pcchActual)) return QERR_INVALID_POINTER;
    if (!pcchActual && (!pszValue || cbValue == 0)) return QERR_INVALID_PARAMETER;
    if (hEnv != RTENV_DEFAULT) return QERR_INVALID_HANDLE;

    if (pcchActual) *pcchActual = 0;
    if (strchr(pszVar, '=')) return QERR_ENV_INVALID_VAR_NAME;
    // A null buffer asks for the length only, whatever size came with it: never write there.
    if (!pszValue) cbValue = 0;
    return rtEnvGetDefault(pszVar, pszValue, cbValue, pcchActual);
}
