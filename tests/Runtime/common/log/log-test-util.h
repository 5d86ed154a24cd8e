// Helpers for the logger tests: instances whose output is captured in memory, and a one-line
// summary of an instance's settings.
#pragma once

#include <qrt/log.h>

#include <string>

// A logger whose flushed text is collected (through the flush callback, destination "user",
// which writes nowhere else). fDest is added to RTLOGDEST_USER. The instance stays reachable
// for the rest of the test program (instances are never destroyed).
PRTLOGGER tstLogCreateCapture(uint32_t fFlags, uint32_t fDest = 0, unsigned cGroups = 0,
                              const char *const *papszGroups = nullptr, uint32_t cMaxPerGroup = 0);
// What the capture logger has flushed so far; the collected text is emptied.
std::string tstLogTakeCapture(PRTLOGGER pLogger);
// Does not empty.
const std::string &tstLogPeekCapture(PRTLOGGER pLogger);

// "flags=0x.. dest=0x.. file='..' history=N size=0x.. slot=0x.. ring=N" for comparing parsed
// settings in one line.
std::string tstLogSummary(PRTLOGGER pLogger);
// The group flags words as "NAME=0x..;" for every group whose word is not 0.
std::string tstLogGroupSummary(PRTLOGGER pLogger);

// Four groups for filter tests: DEFAULT, DEV_DISK, DEV_NET, NET.
extern const char *const g_apszTstLogGroups[4];

// Whether Text has the shape pszShape: '#' a decimal digit, '%' a lower-case hexadecimal
// digit, '~' a digit or a blank, '?' any character, '*' any run of characters (also none),
// '\' makes the next character literal, anything else stands for itself. A single-character
// item followed by "{n}" stands for n of them. The whole text must match.
bool tstShape(const std::string &Text, const char *pszShape);

// Keeps an instance reachable for the rest of the test program (they are never destroyed, and
// leak checks would count an unreachable one). Null is ignored.
void tstLogKeep(PRTLOGGER pLogger);

// Makes the file layer's opens fail as while another process holds the file (a sharing
// violation): the iNth open from now and, with fFromThenOn, every one after it. Undone when
// the returned guard goes. Platform bodies in tests/Runtime/r3/{win,posix}/log-*.cpp.
#include <memory>
std::shared_ptr<void> tstLogBlockFileOpens(unsigned iNth, bool fFromThenOn);

// A matcher for death tests that accepts any standard error and keeps it in *pErr.
#include <gtest/gtest.h>
testing::Matcher<const std::string &> tstKeepStderr(std::string *pErr);
