// The stub's settings and their defaults.
#include "QuilStubSettings.h"

bool silentMode = false;
uint32_t verbosity = 0;

void InstallOptionsInit(InstallOptions *pOptions) {
    pOptions->extractOnly = false;
    pOptions->installCertificates = true;
    pOptions->timestampCaAllowed = true;
    pOptions->timestampCaForced = false;
    pOptions->msiLogging = false;
    pOptions->ignoreReboot = false;
    pOptions->extractPath[0] = '\0';
    pOptions->msiParams[0] = '\0';
    pOptions->msiLogPath[0] = '\0';
}
