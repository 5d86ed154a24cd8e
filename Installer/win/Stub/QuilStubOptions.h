// The stub's command line: its option table and the loop that turns the arguments into an
// InstallOptions record, silentMode and verbosity, assembling the Windows Installer command
// line (msiParams) on the way.
#pragma once

#include <qrt/getopt.h>

#include "QuilStubSettings.h"

// Identifier of "--msi-log-file" and "-msilogfile", which have no short form.
#define QUILSTUB_OPT_MSI_LOG_FILE 1000

// The option table, in its fixed order (36 rows). A character identifier is also the short
// form ("-x"); the parser's own "-?" means help as well.
extern const RTGETOPTDESC g_aInstallOptionDescs[];
extern const uint32_t g_cInstallOptionDescs;

// Parses papszArgs[1] to papszArgs[cArgs - 1] (papszArgs[0] is the program path as invoked,
// shown in the help's examples) into *pOptions, silentMode and verbosity, strictly in
// command-line order: where two options set the same field the later one wins, and "--silent"
// sends every later message to the standard streams. *pOptions should hold the defaults
// (InstallOptionsInit) on entry.
//
// Returns true when the whole command line was taken and the run goes on. Returns false when
// the run ends here, with the exit code in *piExitCode: 0 after the help or version notice
// (nothing after that option is looked at), 2 after a command-line error was shown, 1 when the
// parser could not be set up. The fields then hold what the options before the end had set;
// msiParams is never left holding a partial addition.
//
// msiParams: "--msiparams" text and bare arguments after it are appended as given, separated by
// one space; "--reinstall" appends "REINSTALLMODE=vomus REINSTALL=ALL"; "--msi-prop NAME VALUE"
// appends NAME=VALUE, or NAME="VALUE" with each inner double quote doubled when VALUE is empty
// or holds a blank, tab, line feed, carriage return or double quote. An addition that would
// take msiParams beyond 4095 characters is a command-line error.
bool ParseInstallOptions(InstallOptions *pOptions, int cArgs, char **papszArgs, int *piExitCode);
