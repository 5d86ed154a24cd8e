// Initialising the runtime inside the test program, for tests that need what initialisation
// sets up (the loader, the thread registry, the sockets error accessors). The test program
// itself starts uninitialised, as a program does before its first call; tests of that state
// run in a fresh child process (a death test in the "threadsafe" style).
#pragma once

// RTR3InitExe without arguments and without the hardening flags, once per process. Returns its
// status (the first call's on every call).
int tstRuntimeInit();
