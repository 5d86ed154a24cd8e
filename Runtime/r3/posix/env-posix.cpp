// The process environment through the C library. Names are checked as the Windows backend's
// conversion would check them, so a name that fails there fails here too; values must be valid
// UTF-8. Lookups match names exactly (Windows ignores case).
#include <qrt/env.h>
#include <qrt/err.h>
#include <qrt/string.h>

#include "r3/env-internal.h"

#include <stdlib.h>
#include <string.h>

int rtEnvGetDefault(const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual) {
    size_t cwcIgnored;
    int rc = RTStrCalcUtf16LenEx(pszVar, RTSTR_MAX, &cwcIgnored);
    if (RT_FAILURE(rc)) return rc;

    const char *pszFound = getenv(pszVar);
    if (!pszFound) return QERR_ENV_VAR_NOT_FOUND;
    rc = RTStrValidateEncoding(pszFound);
    if (RT_FAILURE(rc)) return rc;

    size_t const cch = strlen(pszFound);
    if (pcchActual) *pcchActual = cch;
    if (cbValue == 0) return QINF_SUCCESS;
    if (cch >= cbValue) return QERR_BUFFER_OVERFLOW;
    memcpy(pszValue, pszFound, cch + 1);
    return QINF_SUCCESS;
}

const char *RTEnvGet(const char *pszVar) {
    if (!pszVar || strchr(pszVar, '=')) return NULL;
    return getenv(pszVar);
}
