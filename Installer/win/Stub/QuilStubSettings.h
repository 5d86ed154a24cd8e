// The stub's settings: the InstallOptions record that the command line fills and the stages
// read, and the two process-wide settings that the message routines consult.
#pragma once

#include <qrt/types.h>

// Buffer sizes in bytes, terminator included.
#define QUILSTUB_PATH_SIZE 4100       // extraction path and MSI log path
#define QUILSTUB_MSI_PARAMS_SIZE 4096 // the Windows Installer command line: at most 4095 characters

// One run's settings; a local of the entry. Every text is UTF-8 and NUL-terminated within its
// buffer; an empty text means "not given".
typedef struct InstallOptions {
    bool extractOnly;                         // extract the packages and stop; nothing is installed or deleted
    bool installCertificates;                 // in silent mode, add the publisher certificates
    bool timestampCaAllowed;                  // run the legacy timestamp CA step
    bool timestampCaForced;                   // that step adds the certificate whatever the Windows version
    bool msiLogging;                          // have the Windows Installer write a log
    bool ignoreReboot;                        // report success instead of 3010 when a reboot is required
    char extractPath[QUILSTUB_PATH_SIZE];     // the extraction directory, absolute when given
    char msiParams[QUILSTUB_MSI_PARAMS_SIZE]; // handed to the Windows Installer as it is
    char msiLogPath[QUILSTUB_PATH_SIZE];      // the Windows Installer log file, absolute when given
} InstallOptions;

// Sets every field to its default: certificates and the timestamp CA step allowed, every other
// flag off, the three texts empty. Does not touch silentMode or verbosity.
void InstallOptionsInit(InstallOptions *pOptions);

// Silent mode: messages go to the standard streams instead of message boxes. Read by every
// message routine at the moment it shows its message, so "--silent" affects every message
// after it on the command line. Default false.
extern bool silentMode;
// Raised by one for each "--verbose"; not 0 means a console and a settings summary. Default 0.
extern uint32_t verbosity;
