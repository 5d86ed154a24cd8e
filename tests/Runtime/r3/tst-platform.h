// Test helpers whose bodies differ per platform (win/tst-platform-win.cpp,
// posix/tst-platform-posix.cpp), so that contract tests are written once.
#pragma once

// Sets the process environment variable pszName to the UTF-8 value pszValue (may be empty);
// null removes it. The runtime's lookups see the change at once. Returns false on failure.
bool tstEnvSet(const char *pszName, const char *pszValue);

// Restores a variable to what it was when the guard was made.
class TstEnvGuard {
public:
    explicit TstEnvGuard(const char *pszName);
    ~TstEnvGuard();
    TstEnvGuard(const TstEnvGuard &) = delete;
    TstEnvGuard &operator=(const TstEnvGuard &) = delete;

private:
    const char *m_pszName;
    char *m_pszOld; // null: was unset
};

// Makes pszCwd (a DOS-form path such as 'c:\work\dir' or '\\srv\share\dir') the current
// directory as the runtime sees it. Windows: the directories are created as needed (a UNC
// share under the Wine prefix's dosdevices\unc) and entered with the case as given; POSIX: the
// runtime's current-directory hook reports it. Returns false when that cannot be done.
bool tstPathSetCwd(const char *pszCwd);
// Sets the current directory of drive chDrive (Windows: the '=D:' variable) for
// RTPathGetCurrentOnDrive.
bool tstPathSetDriveCwd(char chDrive, const char *pszCwd);
// Restores the real current directory (and drive table) found before the first change.
void tstPathRestoreCwd();
