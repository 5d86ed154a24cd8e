// Extraction: every package that fits the host is written from the stub's resources into the
// extraction directory, and what lies on disk is verified byte for byte against the embedded
// copy while handles that never share deletion, and finally not writing either, hold it in
// place until the cleanup.
#pragma once

#include "QuilStubCleanup.h"

// Writes packages 0 to cPackages - 1 into pszExtractPath. The directory is created (mode 0700)
// when missing and recorded in *ppDirRecord; a directory that existed and has no record yet
// is recorded as kept on disk. The directory is held open (a record that already holds a
// handle is left so) and made the current directory. Without extractOnly a package that does
// not fit the host is skipped, one of a single architecture gets a random name with its
// suffix, and an architecture-neutral one its own name; with extractOnly every package keeps
// its own name and replaces a file of that name. Without extractOnly, into a directory that
// existed before the run, a named package never replaces a file that is there.
// Every file made is recorded with its package index and its final handle. Returns 0, or 1
// after its message; what was made stays recorded for the purge.
int ExtractAllPackages(const char *pszExtractPath, unsigned cPackages, bool extractOnly, CleanupRecord **ppDirRecord);

// Writes the payload resource pszResourceName to pszDestination and verifies it: hFile is the
// destination already created and open for writing (its handle passes to the record), or
// NIL_RTFILE to have the file made here, create-new when fCreateNew, else create-or-replace.
// The file's record (package iPackage) holds the final read handle, which denies writers, until
// the cleanup. Returns QINF_SUCCESS, or a failure status after an "error: #<index>: ..." line on
// standard error: the platform's status, QERR_STATE_CHANGED when the size, the file identifier
// or a byte differs from what was written, QERR_NO_MEMORY when no record could be made (the
// file is then closed and deleted), QERR_INVALID_POINTER for an implausible name or path.
int WriteAndVerifyPackage(const char *pszResourceName, const char *pszDestination, RTFILE hFile, unsigned iPackage,
                          bool fCreateNew);
