// What the loader tests need from each platform (win/ldr-test-util-win.cpp,
// posix/ldr-test-util-posix.cpp): a loader whose system directory holds the libraries the
// tests name, and a way to see whether a library is still loaded.
#pragma once

#include <string>

// Initialises the runtime (the loader refuses to run before) and, on POSIX hosts, makes the
// directory of the test's stand-in libraries the system directory. Returns false on failure.
bool tstLdrSetUp();
// The system directory the loader uses, as a UTF-8 path without a trailing separator.
std::string tstLdrSystemDir();
// The full path the loader builds for a name (directory, separator, name).
std::string tstLdrSystemPath(const char *pszName);
// Whether the library at the full path is loaded in this process.
bool tstLdrIsLoaded(const std::string &Path);
// Libraries of the system directory that nothing else in the test program loads: one to see
// unloading, one for the no-unload flag.
const char *tstLdrUnloadableName();
const char *tstLdrKeepableName();
