// Platform backends of the environment lookups (env-win.cpp, env-posix.cpp).
#pragma once

#include <qrt/types.h>

// Looks up pszVar (already checked: plausible, no '=') in the process environment. cbValue 0
// asks for the length only (pszValue is then not touched); otherwise pszValue has cbValue
// bytes. pcchActual (optional) receives the UTF-8 length once the value is known. Statuses as
// RTEnvGetEx.
int rtEnvGetDefault(const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual);
