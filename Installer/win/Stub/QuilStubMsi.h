// Installation: each extracted ".msi" package is handed to the Windows Installer service, and
// its result becomes the stub's: 0, 1 or 3010, with a message for the failures the user should
// see. A ".cab" needs nothing of its own (the ".msi" that refers to it reads it).
#pragma once

#include <qrt/types.h>

// Installs package iPackage from the file its cleanup record names: an ".msi" (in any case)
// through RunMsiInstall, a ".cab" not at all (0). A package that does not fit the host was not
// extracted and gives 0. Returns 0, 3010, or 1 after a message (a missing header, no record,
// or a file of any other kind).
int InstallPackageByIndex(unsigned iPackage, const char *pszMsiParams, const char *pszMsiLogPath);

// Runs the Windows Installer on pszPackagePath with pszMsiParams as its command line: no user
// interface in silent mode, the full one otherwise; a verbose log to pszMsiLogPath when it is
// given (not null): the run's first package replaces an older log, later packages of the same
// run append to it. Returns 0; 3010 (in silent mode after "Reboot required (by <path>)" on
// standard output); 1 for a cancelled installation (no message) and after a message for every
// other failure, with the system's text for the error where it has one.
int RunMsiInstall(const char *pszPackagePath, const char *pszMsiParams, const char *pszMsiLogPath);
