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

//
// Run sequence.
//
#define QUILSTUB_MSG_ALREADY_RUNNING "Another installer is already running"
#define QUILSTUB_MSG_TEMP_DIR_FAILED "Failed to find temporary directory: %Rrc"
#define QUILSTUB_MSG_CREATE_EXTRACT_PATH_FAILED "Failed to create extraction path: %Rrc"
#define QUILSTUB_MSG_CONSOLE_FAILED "Unable to allocate console: LastError=%u\n"
#define QUILSTUB_MSG_LOG_NAME_FAILED "Error creating MSI log file name, rc=%Rrc"
#define QUILSTUB_MSG_HOST_32BIT "32-bit Windows hosts are not supported by this Quillarium release."
#define QUILSTUB_MSG_FILES_EXTRACTED "Files were extracted to: %s"
// The default MSI log's name inside the extraction directory.
#define QUILSTUB_DEFAULT_LOG_NAME "QuilInstallLog.txt"
// The settings summary of a verbose run.
#define QUILSTUB_MSG_SUMMARY_PATH "Extraction path          : %s\n"
#define QUILSTUB_MSG_SUMMARY_SILENT "Silent installation      : %RTbool\n"
#define QUILSTUB_MSG_SUMMARY_CERTS "Certificate installation : %RTbool\n"
#define QUILSTUB_MSG_SUMMARY_PARAMS "Additional MSI parameters: %s\n"
#define QUILSTUB_MSG_SUMMARY_LOG "Logging to file          : %s\n"
#define QUILSTUB_MSG_SUMMARY_NONE "<None>"

//
// Extraction.
//
#define QUILSTUB_MSG_DIR_VANISHED "RTDirExists failed on '%s' which we just created!"
#define QUILSTUB_MSG_CREATE_DIR_FAILED "Failed to create extraction path '%s': %Rrc"
#define QUILSTUB_MSG_DIR_RECORD_FAILED "Failed to add cleanup record for dir '%s'"
#define QUILSTUB_MSG_EXISTING_DIR_RECORD_FAILED "Failed to add cleanup record for existing dir '%s'"
#define QUILSTUB_MSG_OPEN_DIR_FAILED "Failed to open extraction path '%s': %Rrc"
#define QUILSTUB_MSG_UNIQUE_NAME_FAILED "Failed to create unique filename for '%s' in '%s': %Rrc"
#define QUILSTUB_MSG_EXTRACT_FAILED "Error extracting package #%u (%s): %Rrc"
#define QUILSTUB_MSG_PKG_CREATE_FAILED "#%u: Failed to create/replace '%s' for writing: %Rrc"
#define QUILSTUB_MSG_PKG_LOCATE_FAILED "#%u: Failed to locate resource '%s': %Rrc"
#define QUILSTUB_MSG_PKG_WRITE_FAILED "#%u: RTFileWrite('%s',, %#x,) failed: %Rrc"
#define QUILSTUB_MSG_PKG_QUERY_FAILED "#%u: RTFileQueryInfo failed on '%s': %Rrc"
#define QUILSTUB_MSG_PKG_REOPEN1_FAILED "#%u: First re-opening of '%s' failed: %Rrc"
#define QUILSTUB_MSG_PKG_CLOSE_FAILED "#%u: RTFileClose('%s') failed: %Rrc"
#define QUILSTUB_MSG_PKG_REOPEN2_FAILED "#%u: Second re-opening of '%s' failed: %Rrc"
#define QUILSTUB_MSG_PKG_CLOSE2_FAILED "#%u: Failed to close 2nd handle to '%s': %Rrc"
#define QUILSTUB_MSG_PKG_SIZE_CHANGED "#%u: File size of '%s' changed: %'RU64, expected %'RU32"
#define QUILSTUB_MSG_PKG_ID_CHANGED "#%u: File ID of '%s' changed: %#RX64, expected %#RX64"
#define QUILSTUB_MSG_PKG_READ_FAILED "#%u: RTFileRead failed on '%s' at offset %#RX32: %Rrc"
#define QUILSTUB_MSG_PKG_MISMATCH "#%u: File '%s' has change (mismatch in %#zx byte block at %#RX32)"

//
// Cleanup.
//
#define QUILSTUB_MSG_OUT_OF_MEMORY "Out of memory!"
#define QUILSTUB_MSG_CLEANUP_FILE_CLOSE "Cleanup file '%s' for #%u: RTFileClose(%p) failed: %Rrc"
#define QUILSTUB_MSG_CLEANUP_DIR_CLOSE "Cleanup dir '%s' for #%u: RTDirClose(%p) failed: %Rrc"
#define QUILSTUB_MSG_CLEANUP_FILE_DELETE "Failed to delete temporary file '%s': %Rrc"
#define QUILSTUB_MSG_CLEANUP_DIR_DELETE "Failed to delete temporary directory '%s': %Rrc"

//
// Installation.
//
#define QUILSTUB_MSG_PACKAGE_NOT_RECORDED "Package #%u not found in cleanup records"
#define QUILSTUB_MSG_UNKNOWN_PACKAGE_KIND "Internal error: Do not know how to handle file '%s' (%s)."
#define QUILSTUB_MSG_SET_UI_FAILED "Internal error: MsiSetInternalUI failed."
#define QUILSTUB_MSG_TO_UTF16_FAILED "RTStrToUtf16 failed on '%s': %Rrc"
#define QUILSTUB_MSG_ENABLE_LOG_FAILED "MsiEnableLogW failed"
#define QUILSTUB_MSG_REBOOT_REQUIRED "Reboot required (by %s)\n"
#define QUILSTUB_MSG_MSI_TOO_OLD                                                                                       \
    "This installation package cannot be installed by the Windows Installer service.\n"                                \
    "You must install a Windows service pack that contains a newer version of the Windows Installer service."
#define QUILSTUB_MSG_PLATFORM_UNSUPPORTED "This installation package is not supported on this platform."
#define QUILSTUB_MSG_INSTALL_FAILED_TEXT "Installation failed! Error: %ls"
#define QUILSTUB_MSG_INSTALL_FAILED_CODE "Installation failed! Error: %u"

//
// Custom directory copy.
//
#define QUILSTUB_CUSTOM_DIR_NAME ".custom"
#define QUILSTUB_MSG_CUSTOM_PATH_FAILED "Failed to construct '.custom' dir path: %Rrc"
#define QUILSTUB_MSG_CUSTOM_TO_UTF16_FAILED "RTStrToUtf16Ex failed on '%s': %Rrc"
#define QUILSTUB_MSG_CUSTOM_COPY_FAILED "Copying the '.custom' dir failed: %#x"
#define QUILSTUB_MSG_CUSTOM_OPEN_FAILED "Unable to open the destination .custom directory: %Rrc"

//
// Certificates.
//
#define QUILSTUB_MSG_CERT_CONTEXT_FAILED "Unable to get certificate context: %d"
#define QUILSTUB_MSG_CERT_STORE_OPEN_FAILED "Unable to open certificates store: %d"
#define QUILSTUB_MSG_CERT_ADD_FAILED "Unable to install certificate: %d"
#define QUILSTUB_MSG_TIMESTAMP_CA_FAILED "Failed add the legacy Windows timestamp CA to the root certificate store."
#define QUILSTUB_MSG_PUBLISHER_CERTS_FAILED "Failed to add our certificate(s) to trusted publisher store."
