// Every text the stub's command line, messages and package container show, in one place.
// The texts are exact: scripts and support staff search for them, so change none lightly.
// "%" sequences are the runtime formatting engine's ("%Rrc" prints a status code by name).
#pragma once

// Title of every message box; its UTF-16 twin is built from the same literal.
#define QUILSTUB_TITLE "Quillarium Installer"

//
// Command line.
//
#define QUILSTUB_MSG_GETOPT_INIT_FAILED "RTGetOptInit failed: %Rrc"
#define QUILSTUB_MSG_MSIPROP_NAME_SPACES "The first argument to --msi-prop must not contain spaces: %s"
// An empty name gives "=value" (or a bare "="), which the Windows Installer refuses only after
// every package was extracted; refusing it here ends the run before anything is done.
#define QUILSTUB_MSG_MSIPROP_NAME_EMPTY "The first argument to --msi-prop must not be empty"
#define QUILSTUB_MSG_MSIPROP_VALUE_MISSING "--msi-prop takes two arguments, the 2nd is missing"
#define QUILSTUB_MSG_MSIPROP_VALUE_FAILED "Failed to get 2nd --msi-prop argument: %Rrc"
#define QUILSTUB_MSG_MSIPARAMS_FULL "Out of space for MSI parameters and properties"
#define QUILSTUB_MSG_EXTRACT_PATH_TOO_LONG "Extraction path is too long (%Rrc)"
#define QUILSTUB_MSG_LOG_PATH_TOO_LONG "MSI log file path is too long (%Rrc)"
#define QUILSTUB_MSG_UNKNOWN_OPTION                                                                                    \
    "Unknown option \"%s\"\n"                                                                                          \
    "Please refer to the command line help by specifying \"-?\"\n"                                                     \
    "to get more information."
#define QUILSTUB_MSG_PARSE_ERROR                                                                                       \
    "Parameter parsing error: %Rrc\n"                                                                                  \
    "Please refer to the command line help by specifying \"-?\"\n"                                                     \
    "to get more information."
// Major, minor, build and revision number.
#define QUILSTUB_MSG_VERSION "Version: %u.%u.%ur%u"
// Arguments: the title, the four version numbers (as for the version text), then the program
// path as it was invoked, twice, for the two examples. No final line feed: a notice on
// standard output gets exactly one.
#define QUILSTUB_MSG_HELP                                                                                              \
    "-- %s v%u.%u.%ur%u --\n"                                                                                          \
    "\n"                                                                                                               \
    "Command Line Parameters:\n"                                                                                       \
    "\n"                                                                                                               \
    "--extract\n"                                                                                                      \
    "    Extract file contents to temporary directory\n"                                                               \
    "--logging\n"                                                                                                      \
    "    Enables MSI installer logging (to extract path)\n"                                                            \
    "--msi-log-file <path/to/file>\n"                                                                                  \
    "    Sets MSI logging to <file>\n"                                                                                 \
    "--msiparams <parameters>\n"                                                                                       \
    "    Specifies extra parameters for the MSI installers\n"                                                          \
    "    double quoted arguments must be doubled and put\n"                                                            \
    "    in quotes: --msiparams \"PROP=\"\"a b c\"\"\"\n"                                                              \
    "--msi-prop <prop> <value>\n"                                                                                      \
    "    Adds <prop>=<value> to the MSI parameters,\n"                                                                 \
    "    quoting the property value if necessary\n"                                                                    \
    "--no-silent-cert\n"                                                                                               \
    "    Do not install Quillarium Certificate automatically\n"                                                        \
    "    when --silent option is specified\n"                                                                          \
    "--force-install-timestamp-ca\n"                                                                                   \
    "    Install the timestamp CA needed for supporting\n"                                                             \
    "    legacy Windows versions regardless of the version or\n"                                                       \
    "    type of Windows Quillarium is being installed on.\n"                                                          \
    "    Default: All except Windows 10 & 11 desktop\n"                                                                \
    "--no-install-timestamp-ca\n"                                                                                      \
    "    Do not install the above mentioned timestamp CA.\n"                                                           \
    "--path\n"                                                                                                         \
    "    Sets the path of the extraction directory\n"                                                                  \
    "--reinstall\n"                                                                                                    \
    "    Forces Quillarium to get re-installed\n"                                                                      \
    "--ignore-reboot\n"                                                                                                \
    "   Do not set exit code to 3010 if a reboot is required\n"                                                        \
    "--silent\n"                                                                                                       \
    "   Enables silent mode installation\n"                                                                            \
    "--version\n"                                                                                                      \
    "   Displays version number and exit\n"                                                                            \
    "-?, -h, --help\n"                                                                                                 \
    "   Displays this help text and exit\n"                                                                            \
    "\n"                                                                                                               \
    "Examples:\n"                                                                                                      \
    "  %s --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Quillarium\"\"\"\n"                                          \
    "  %s --extract -path C:\\Quil"

//
// Package container: what the callers of the lookups show for their failures.
//
#define QUILSTUB_MSG_MANIFEST_NOT_FOUND "Internal package error: Manifest not found (%Rrc)"
#define QUILSTUB_MSG_HEADER_NOT_FOUND "Internal error: Could not find package header #%u: %Rrc"
#define QUILSTUB_MSG_BUILD_FILE_NAME_FAILED "Internal error: Build extraction file name failed: %Rrc"
