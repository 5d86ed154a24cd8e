// Directories: creating (also under a unique random name), removing, testing, and holding a
// directory open so that it stays where it is.
//
// Paths are UTF-8 and reach the platform through the native path conversion, whose failure is
// returned unchanged; platform errors are converted to status codes.
#pragma once

#include <qrt/file.h>

// A directory handle: an open directory record, or null. Opaque to callers.
typedef struct RTDIRINTERNAL *RTDIR;
#define NIL_RTDIR ((RTDIR)0)

// Flags of RTDirCreate (other bits are ignored).
#define RTDIRCREATE_FLAGS_KEEP_INDEXED 0x2U      // leave the new directory's indexing attribute alone
#define RTDIRCREATE_FLAGS_INDEXING_OPTIONAL 0x4U // a failure to set it is not an error

// Creates the directory pszPath. fMode is normalised as a directory mode first: a mode whose
// type, once normalised, is not a directory, or that is inconsistent (type and directory
// attribute disagree), gives QERR_INVALID_FMODE without touching the disk. The permission
// bits apply where the platform has them (not on Windows, where the directory gets its
// parent's default security). On Windows the directory is excluded from content indexing
// unless RTDIRCREATE_FLAGS_KEEP_INDEXED is given.
// Returns QINF_SUCCESS; QERR_ALREADY_EXISTS when something of that name exists (nothing
// changed); QERR_PATH_NOT_FOUND for a missing parent; the converted platform error. When a
// step after the creation fails, the directory this call made is removed again before the
// status is returned: on failure nothing of this call remains.
int RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate);
// Removes an empty directory. QERR_DIR_NOT_EMPTY when it has entries; QERR_FILE_NOT_FOUND or
// QERR_PATH_NOT_FOUND when missing; QERR_NOT_A_DIRECTORY for a file; on Windows
// QERR_SHARING_VIOLATION while a handle without delete sharing holds it (RTDirOpen's does).
// Nothing is removed recursively.
int RTDirRemove(const char *pszPath);
// True when pszPath names a directory (a link to one counts); false for anything else and on
// any failure.
bool RTDirExists(const char *pszPath);
// Opens the directory pszPath and holds it: while the handle is open (on Windows) no process can
// delete, rename or move the directory; entries inside can still be created and removed.
// *phDir is set only on success, and the caller then owns the handle (close with RTDirClose).
// Returns QINF_SUCCESS; QERR_INVALID_POINTER for an implausible pointer; QERR_NO_MEMORY when
// the path cannot be made absolute or the record not allocated; the open's failure converted
// (QERR_NOT_A_DIRECTORY for a file, QERR_FILE_NOT_FOUND or QERR_PATH_NOT_FOUND when missing).
int RTDirOpen(RTDIR *phDir, const char *pszPath);
// Closes and frees a directory handle. A null handle or one that is not an open directory
// record (QERR_INVALID_PARAMETER) is left alone. After a successful close the handle is
// gone: test with RTDirIsValid before closing, then forget it.
int RTDirClose(RTDIR hDir);
// True when hDir is a plausible pointer to an open directory record.
bool RTDirIsValid(RTDIR hDir);

// Creates a directory with a unique name made from the template in pszTemplate (see
// RTFileOpenTemp for the 'X' run), trying up to 10000 random names; fMode as for RTDirCreate.
// On success pszTemplate holds the path of the new directory, which the caller owns. On
// failure pszTemplate is empty and no directory of this call remains: QERR_INVALID_PARAMETER
// (no run), QERR_ALREADY_EXISTS (10000 names taken), QERR_NO_MEMORY (no random generator),
// or RTDirCreate's failure.
int RTDirCreateTemp(char *pszTemplate, RTFMODE fMode);
