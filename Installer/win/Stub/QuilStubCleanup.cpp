// The cleanup list and its purge.
#define QUILSTUB_CLEANUP_TAG "Installer/win/Stub/QuilStubCleanup"
#define RTMEM_TAG QUILSTUB_CLEANUP_TAG

#include "QuilStubCleanup.h"
#include "QuilStubCustom.h"
#include "QuilStubFileCalls-internal.h"
#include "QuilStubMessages.h"
#include "QuilStubTexts.h"

#include <qrt/err.h>
#include <qrt/mem.h>

#include <string.h>

namespace {

// The list's sentinel: only the links are used. Constant-initialised as an empty list.
struct CleanupSentinel {
    CleanupRecord *pNext;
    CleanupRecord *pPrev;
};
CleanupSentinel g_CleanupList = {reinterpret_cast<CleanupRecord *>(&g_CleanupList),
                                 reinterpret_cast<CleanupRecord *>(&g_CleanupList)};

CleanupRecord *stubListHead(void) {
    return reinterpret_cast<CleanupRecord *>(&g_CleanupList);
}

// Passes 0 to 4; after each but the last, the wait before the next.
const uint32_t g_acMsWaitAfterPass[] = {100, 3000, 3000, 3000};
unsigned const g_iLastPass = 4;

bool stubIsGone(int rc) {
    return RT_SUCCESS(rc) || rc == QERR_FILE_NOT_FOUND || rc == QERR_PATH_NOT_FOUND;
}

// One record in one pass: true when it is done with (deleted, gone, kept, or dropped).
bool stubPurgeFile(CleanupRecord *pRecord, bool fLastPass) {
    if (pRecord->u.hFile != NIL_RTFILE) {
        if (g_StubFileCalls.pfnFileIsValid(pRecord->u.hFile)) {
            int rc = g_StubFileCalls.pfnFileClose(pRecord->u.hFile);
            if (RT_FAILURE(rc))
                ErrorToStderr(QUILSTUB_MSG_CLEANUP_FILE_CLOSE, pRecord->szPath, pRecord->packageIndex, pRecord->u.hFile,
                              rc);
        }
        pRecord->u.hFile = NIL_RTFILE;
    }
    if (pRecord->keepOnDisk) return true;
    int rc = g_StubFileCalls.pfnFileDelete(pRecord->szPath);
    if (stubIsGone(rc)) return true;
    if (fLastPass) ReportFailure(QUILSTUB_MSG_CLEANUP_FILE_DELETE, pRecord->szPath, rc);
    return false;
}

bool stubPurgeDir(CleanupRecord *pRecord, bool fLastPass) {
    if (pRecord->u.hDir != NIL_RTDIR) {
        if (g_StubFileCalls.pfnDirIsValid(pRecord->u.hDir)) {
            int rc = g_StubFileCalls.pfnDirClose(pRecord->u.hDir);
            if (RT_FAILURE(rc))
                ErrorToStderr(QUILSTUB_MSG_CLEANUP_DIR_CLOSE, pRecord->szPath, pRecord->packageIndex, pRecord->u.hDir,
                              rc);
        }
        pRecord->u.hDir = NIL_RTDIR;
    }
    if (pRecord->keepOnDisk) return true;
    int rc = pRecord->removeTree ? RemoveCustomCopy(pRecord->szPath) : g_StubFileCalls.pfnDirRemove(pRecord->szPath);
    if (stubIsGone(rc)) return true;
    // Not empty while a newer record (something inside) is still listed: a later pass may
    // delete it. Otherwise what fills the directory has no record (the Windows Installer's log):
    // no wait would empty it, so it stays at once, without a message.
    if (rc == QERR_DIR_NOT_EMPTY) return fLastPass || CleanupRecordFirst() == pRecord;
    if (fLastPass) ReportFailure(QUILSTUB_MSG_CLEANUP_DIR_DELETE, pRecord->szPath, rc);
    return false;
}

} // namespace

void CleanupListInit(void) {
    g_CleanupList.pNext = g_CleanupList.pPrev = stubListHead();
}

CleanupRecord *NewCleanupRecord(bool isFile, const char *pszPath) {
    size_t const cchPath = strlen(pszPath);
    CleanupRecord *pRecord = static_cast<CleanupRecord *>(RTMemAllocZ(sizeof(CleanupRecord) + cchPath));
    if (!pRecord) {
        ReportFailure(QUILSTUB_MSG_OUT_OF_MEMORY);
        return NULL;
    }
    pRecord->packageIndex = QUILSTUB_NO_PACKAGE;
    pRecord->isFile = isFile;
    pRecord->keepOnDisk = false;
    if (isFile)
        pRecord->u.hFile = NIL_RTFILE;
    else
        pRecord->u.hDir = NIL_RTDIR;
    memcpy(pRecord->szPath, pszPath, cchPath + 1);

    CleanupRecord *pHead = stubListHead();
    pRecord->pNext = pHead->pNext;
    pRecord->pPrev = pHead;
    pHead->pNext->pPrev = pRecord;
    pHead->pNext = pRecord;
    return pRecord;
}

void FreeCleanupRecord(CleanupRecord *pRecord) {
    pRecord->pPrev->pNext = pRecord->pNext;
    pRecord->pNext->pPrev = pRecord->pPrev;
    RTMemFree(pRecord);
}

CleanupRecord *CleanupRecordFirst(void) {
    CleanupRecord *pFirst = g_CleanupList.pNext;
    return pFirst != stubListHead() ? pFirst : NULL;
}

CleanupRecord *CleanupRecordNext(const CleanupRecord *pRecord) {
    return pRecord->pNext != stubListHead() ? pRecord->pNext : NULL;
}

CleanupRecord *FindPackageCleanupRecord(uint32_t iPackage) {
    for (CleanupRecord *pRecord = CleanupRecordFirst(); pRecord; pRecord = CleanupRecordNext(pRecord))
        if (pRecord->isFile && pRecord->packageIndex == iPackage) return pRecord;
    return NULL;
}

void PurgeCleanupRecords(const char *pszExtractionDir) {
    for (unsigned iPass = 0;; iPass++) {
        bool const fLastPass = iPass == g_iLastPass;
        // The successor is taken first: the record may be freed.
        for (CleanupRecord *pRecord = CleanupRecordFirst(), *pNext; pRecord; pRecord = pNext) {
            pNext = CleanupRecordNext(pRecord);
            bool const fDone = pRecord->isFile ? stubPurgeFile(pRecord, fLastPass) : stubPurgeDir(pRecord, fLastPass);
            if (fDone) FreeCleanupRecord(pRecord);
        }
        if (!CleanupRecordFirst() || fLastPass) {
            if (!pszExtractionDir) return;
            int rc = g_StubFileCalls.pfnDirRemove(pszExtractionDir);
            // Not empty with every record gone: what is left has no record, and stays.
            if (stubIsGone(rc) || fLastPass || (rc == QERR_DIR_NOT_EMPTY && !CleanupRecordFirst())) return;
        }
        g_StubFileCalls.pfnSleep(g_acMsWaitAfterPass[iPass]);
    }
}

void FreeCleanupRecords(void) {
    while (CleanupRecord *pRecord = CleanupRecordFirst()) {
        // Whoever opens a handle closes it, also when the object stays.
        if (pRecord->isFile && pRecord->u.hFile != NIL_RTFILE && g_StubFileCalls.pfnFileIsValid(pRecord->u.hFile))
            g_StubFileCalls.pfnFileClose(pRecord->u.hFile);
        else if (!pRecord->isFile && pRecord->u.hDir != NIL_RTDIR && g_StubFileCalls.pfnDirIsValid(pRecord->u.hDir))
            g_StubFileCalls.pfnDirClose(pRecord->u.hDir);
        FreeCleanupRecord(pRecord);
    }
}
