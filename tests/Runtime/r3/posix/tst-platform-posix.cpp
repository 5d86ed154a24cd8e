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

#include "r3/posix/path-posix-internal.h"

#include <string>

static std::string g_strTstCwd;
static std::string g_astrTstDrives[26];

bool tstPathSetCwd(const char *pszCwd) {
    g_strTstCwd = pszCwd;
    rtPathPosixTestSetCurrent(g_strTstCwd.c_str());
    return true;
}

bool tstPathSetDriveCwd(char chDrive, const char *pszCwd) {
    std::string &str = g_astrTstDrives[(chDrive | 0x20) - 'a'];
    str = pszCwd ? pszCwd : "";
    rtPathPosixTestSetDriveCurrent(chDrive, pszCwd ? str.c_str() : nullptr);
    return true;
}

void tstPathRestoreCwd() {
    rtPathPosixTestSetCurrent(nullptr);
}
