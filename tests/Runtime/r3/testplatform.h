// Platform services for tests that the runtime does not offer: threads, sleeping, alerts,
// capturing a standard stream, environment changes and breakpoint traps. Each platform's test
// folder implements them (testplatform-win.cpp, testplatform-posix.cpp).
#pragma once

#include <cstdio>
#include <string>

struct TESTTHREAD;
typedef void (*PFNTESTTHREAD)(void *pvUser);

// Starts pfnThread(pvUser) on a new thread; null when the platform refuses.
TESTTHREAD *TestThreadStart(PFNTESTTHREAD pfnThread, void *pvUser);
// Waits for the thread to end and frees what TestThreadStart allocated.
void TestThreadJoin(TESTTHREAD *pThread);
// Runs pfnAlert(pvUser) on the thread as an alert (Windows: a user APC, which interrupts an
// alertable wait). False where the platform has no alerts.
bool TestThreadAlert(TESTTHREAD *pThread, PFNTESTTHREAD pfnAlert, void *pvUser);
void TestSleepMs(unsigned cMillies);
// Milliseconds on a monotonic clock of the test's own.
uint64_t TestMilliTS();

// Redirects a standard stream's descriptor (stdout or stderr) to a temporary file until
// TestCaptureEnd, which puts it back and returns the bytes written meanwhile, unchanged.
void TestCaptureBegin(FILE *pStdFile);
std::string TestCaptureEnd();

// Sets (pszValue non-null) or removes an environment variable of the process.
void TestSetEnv(const char *pszName, const char *pszValue);

// The test program's file name as the platform reports it.
const char *TestProgramName();

// Death-test predicate: the child ended through a breakpoint trap (Windows: exit code
// 0x80000003; elsewhere SIGTRAP).
bool TestExitedThroughBreakpoint(int iExitStatus);
// While armed, a breakpoint trap in this process is counted and execution goes on after it,
// as under a debugger that resumes. Returns the traps counted since the last Begin.
void TestResumeBreakpointsBegin();
unsigned TestResumeBreakpointsEnd();

// A device on which every write fails for want of space (POSIX /dev/full, reached the same way
// under Wine).
const char *TestFullDeviceName();

// A file name in the temporary directory that nothing else uses; the caller removes the file.
std::string TestTempFileName(const char *pszStem);
