// Cleanup records: everything the stub creates on disk, with the handle it holds on it, so that
// the end of the run can close and delete it all, newest first, retrying while Windows (an
// installer service, a virus scanner) still holds something. A file record also ties an
// extracted package file to its package index, which is how the installation finds the file.
//
// The list is process-wide and used from the stub's one thread; it is not locked.
#pragma once

#include <qrt/dir.h>
#include <qrt/file.h>

// packageIndex of a record that belongs to no package.
#define QUILSTUB_NO_PACKAGE UINT32_MAX

typedef struct CleanupRecord {
    struct CleanupRecord *pNext;
    struct CleanupRecord *pPrev;
    uint32_t packageIndex; // the package this file belongs to, or QUILSTUB_NO_PACKAGE
    bool isFile;           // a file (hFile) or a directory (hDir)
    bool keepOnDisk;       // close the handle, never delete the object (it existed before the run)
    bool removeTree;       // a directory deleted with its content, which has no records (the ".custom" copy)
    union {
        RTFILE hFile; // NIL_RTFILE when none
        RTDIR hDir;   // NIL_RTDIR when none
    } u;
    char szPath[1]; // the object's path, NUL-terminated; the record is allocated to fit it
} CleanupRecord;

// Empties the list without freeing anything: the run's start, before anything is recorded.
void CleanupListInit(void);

// A new record at the front of the list: no package, not kept, no handle, a copy of pszPath.
// Returns null after showing "Out of memory!" (ReportFailure). The caller sets packageIndex,
// keepOnDisk and the handle afterwards; the record is the list's until it is purged or freed.
CleanupRecord *NewCleanupRecord(bool isFile, const char *pszPath);

// Unlinks and frees one record without closing its handle or touching the disk.
void FreeCleanupRecord(CleanupRecord *pRecord);

// The records from the newest to the oldest: the first, and the one after pRecord; null at the
// end.
CleanupRecord *CleanupRecordFirst(void);
CleanupRecord *CleanupRecordNext(const CleanupRecord *pRecord);

// The newest file record of package iPackage, or null.
CleanupRecord *FindPackageCleanupRecord(uint32_t iPackage);

// Closes the records' handles and deletes what they name, newest first, in up to five passes
// with waits of 100 ms after the first and 3000 ms after the next three, so that something held
// by another process gets about nine seconds to be let go. Reports only what still fails in the
// last pass: "Failed to delete temporary file '%s': %Rrc" or "... directory ...". A directory
// that is not empty once no newer record is left stays at once, without a message and without
// waiting (what lies in it has no record, e.g. the installer's log). A record marked removeTree
// is deleted with its content (RemoveCustomCopy), links inside removed, never followed.
// Records done with are freed; those that failed stay in the list. pszExtractionDir, when
// given, is removed once more at the end (a directory whose record went first because it still
// held something); that removal's failure is never reported. Nothing changes the exit code.
void PurgeCleanupRecords(const char *pszExtractionDir);

// Teardown: closes the handles of the records still listed and frees them, without touching
// the disk (with "--extract" this is how the files stay).
void FreeCleanupRecords(void);
