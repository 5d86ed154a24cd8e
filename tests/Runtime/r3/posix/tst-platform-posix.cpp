// POSIX bodies of the shared test helpers.
#include "Runtime/r3/tst-platform.h"

#include <qrt/string.h>

#include <stdlib.h>

bool tstEnvSet(const char *pszName, const char *pszValue) {
    return (pszValue ? setenv(pszName, pszValue, 1) : unsetenv(pszName)) == 0;
}

TstEnvGuard::TstEnvGuard(const char *pszName) : m_pszName(pszName), m_pszOld(nullptr) {
    const char *psz = getenv(pszName);
    if (psz) m_pszOld = RTStrDup(psz);
}

TstEnvGuard::~TstEnvGuard() {
    tstEnvSet(m_pszName, m_pszOld);
    RTStrFree(m_pszOld);
}
