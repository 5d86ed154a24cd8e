// The stub's process exit codes, defined here and nowhere else. They are full 32-bit values: a
// deployment script reads them with GetExitCodeProcess (a shell that shows only the low byte
// sees 3010 as 194). Retired values stay listed as comments so that no number is reused.
#pragma once

// | Code | Meaning                          | Arises from                                        |
// |------|----------------------------------|----------------------------------------------------|
// | 0    | success                          | every stage succeeded; help and version; a reboot  |
// |      |                                  | requirement with "--ignore-reboot"                 |
// | 1    | failure                          | ReportFailure, ErrorToStderrFail, a cancelled or   |
// |      |                                  | refused installation                               |
// | 2    | command-line error               | ReportSyntaxFailure, RTGetOptPrintError            |
// | 3    | the runtime failed to initialise | RTMsgInitFailure                                   |
// | 3010 | installed, a reboot is required  | the Windows Installer's own result                 |
#define QUILSTUB_EXIT_SUCCESS 0
#define QUILSTUB_EXIT_FAILURE 1
#define QUILSTUB_EXIT_SYNTAX_ERROR 2
#define QUILSTUB_EXIT_INIT_FAILURE 3
#define QUILSTUB_EXIT_REBOOT_REQUIRED 3010
