// The stub's run: from the parsed command line to the exit code.
#pragma once

// Runs the installer over the UTF-8 argument vector that the runtime's initialisation made
// (papszArgs[0] the program as invoked). Returns the process exit code (QuilStubExitCodes.h):
// 0, 1, 2 or 3010. Everything the run created is deleted again, except what "--extract" wrote
// and an extraction directory that existed before the run.
int QuilStubRun(int cArgs, char **papszArgs);
