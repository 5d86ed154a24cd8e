// Environment variables of the process.
//
// Values are read losslessly: on Windows through the wide environment and converted to UTF-8;
// elsewhere the process environment, which must hold valid UTF-8. Names on Windows match
// case-insensitively, elsewhere exactly.
#pragma once

#include <qrt/types.h>

// An environment. Only the process's own one exists here.
typedef struct RTENVINTERNAL *RTENV;
// The process environment.
#define RTENV_DEFAULT ((RTENV) ~(uintptr_t)0)

// Looks up pszVar in hEnv (RTENV_DEFAULT; any other handle: QERR_INVALID_HANDLE).
//   pszValue, cbValue: the buffer for the UTF-8 value, terminator included. A null buffer (or a
//     size of 0) asks for the length only; then pcchActual is required.
//   pcchActual: optional; set to 0 first, then to the value's UTF-8 length (terminator
//     excluded) once the variable is found, also when the value does not fit.
// Returns QINF_SUCCESS; QERR_ENV_VAR_NOT_FOUND when unset; QERR_ENV_INVALID_VAR_NAME for a name
// containing '='; QERR_BUFFER_OVERFLOW when the length is not below cbValue (the buffer is then
// left unchanged); QERR_INVALID_POINTER for an implausible name, buffer or length pointer;
// QERR_INVALID_PARAMETER when neither a buffer nor pcchActual is given; or the status of a
// failed conversion of the name or the value (the buffer is then left unchanged).
int RTEnvGetEx(RTENV hEnv, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual);

// The UTF-8 value of pszVar in the process environment, or null when it is not set, when the
// name contains '=' or is not valid, or (Windows) when the value cannot be converted or memory
// for it runs out. The string is owned by the runtime: never free it. It stays valid until the
// process ends and does not change when the variable does (read it again for the new value).
const char *RTEnvGet(const char *pszVar);
