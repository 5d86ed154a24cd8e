// Extraction and verification of the embedded packages.
#include "QuilStubExtract.h"
#include "QuilStubFileCalls-internal.h"
#include "QuilStubMessages.h"
#include "QuilStubPackages.h"
#include "QuilStubSettings.h"
#include "QuilStubTexts.h"

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include <string.h>

// The read-back buffer: one block of the comparison.
#define QUILSTUB_VERIFY_BLOCK 65536U
extern uint8_t g_abQuilStubVerifyBlock[QUILSTUB_VERIFY_BLOCK] RT_BSS;
uint8_t g_abQuilStubVerifyBlock[QUILSTUB_VERIFY_BLOCK] RT_BSS;

namespace {

// Open-flags words. None shares deletion, so while any of these handles is open the file can
// be neither deleted, moved nor replaced.
uint64_t const g_fOpenUnique =
    RTFOPEN_CREATE | RTFOPEN_WRITE | RTFOPEN_DENY_WRITE | (0700U << RTFOPEN_CREATE_MODE_SHIFT);
uint64_t const g_fOpenNamed =
    RTFOPEN_CREATE_REPLACE | RTFOPEN_WRITE | RTFOPEN_DENY_WRITE | (0700U << RTFOPEN_CREATE_MODE_SHIFT);
// While the write handle is still open, which denies writers: so this one must allow them.
uint64_t const g_fOpenFirstReopen =
    RTFOPEN_OPEN | RTFOPEN_READ | RTFOPEN_DENY_NONE | (0700U << RTFOPEN_CREATE_MODE_SHIFT);
uint64_t const g_fOpenFinal = RTFOPEN_OPEN | RTFOPEN_READ | RTFOPEN_DENY_WRITE;
static_assert(RTFOPEN_CREATE_REPLACE == 0x300 && (0700U << RTFOPEN_CREATE_MODE_SHIFT) == 0x1C000000U, "words");

// The random part of a package file's name.
const char g_szUniqueTemplate[] = "XXXXXXXXXXXXXXXXXXXXXXXX";

// Compares the file behind hFile with the payload, block by block.
int stubVerifyContent(RTFILE hFile, const uint8_t *pbPayload, uint32_t cbPayload, unsigned iPackage,
                      const char *pszDestination) {
    for (uint32_t off = 0; off < cbPayload;) {
        size_t const cbBlock = RT_MIN(QUILSTUB_VERIFY_BLOCK, cbPayload - off);
        int rc = g_StubFileCalls.pfnFileRead(hFile, g_abQuilStubVerifyBlock, cbBlock, NULL);
        if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_READ_FAILED, iPackage, pszDestination, off, rc);
        if (memcmp(g_abQuilStubVerifyBlock, pbPayload + off, cbBlock))
            return ErrorToStderrRc(QERR_STATE_CHANGED, QUILSTUB_MSG_PKG_MISMATCH, iPackage, pszDestination, cbBlock,
                                   off);
        off += (uint32_t)cbBlock;
    }
    return QINF_SUCCESS;
}

// Makes the directory record (creating the directory when it is missing) and holds the
// directory open.
int stubPrepareDirectory(const char *pszExtractPath, CleanupRecord **ppDirRecord) {
    if (!RTDirExists(pszExtractPath)) {
        if (*ppDirRecord) return ReportFailure(QUILSTUB_MSG_DIR_VANISHED, pszExtractPath);
        int rc = g_StubFileCalls.pfnDirCreate(pszExtractPath, 0700, 0);
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_CREATE_DIR_FAILED, pszExtractPath, rc);
        CleanupRecord *pRecord = NewCleanupRecord(false, pszExtractPath);
        if (!pRecord) {
            g_StubFileCalls.pfnDirRemove(pszExtractPath); // nobody else knows of it
            return ErrorToStderrFail(QUILSTUB_MSG_DIR_RECORD_FAILED, pszExtractPath);
        }
        *ppDirRecord = pRecord;
    } else if (!*ppDirRecord) {
        CleanupRecord *pRecord = NewCleanupRecord(false, pszExtractPath);
        if (!pRecord) return ErrorToStderrFail(QUILSTUB_MSG_EXISTING_DIR_RECORD_FAILED, pszExtractPath);
        pRecord->keepOnDisk = true;
        *ppDirRecord = pRecord;
    }
    CleanupRecord *pRecord = *ppDirRecord;
    if (pRecord->u.hDir == NIL_RTDIR) {
        int rc = g_StubFileCalls.pfnDirOpen(&pRecord->u.hDir, pszExtractPath);
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_OPEN_DIR_FAILED, pszExtractPath, rc);
    }
    return 0;
}

} // namespace

int WriteAndVerifyPackage(const char *pszResourceName, const char *pszDestination, RTFILE hFile, unsigned iPackage,
                          bool fCreateNew) {
    if (!RT_VALID_PTR(pszResourceName) || !RT_VALID_PTR(pszDestination)) return QERR_INVALID_POINTER;
    int rc;
    if (hFile == NIL_RTFILE) {
        rc = g_StubFileCalls.pfnFileOpen(&hFile, pszDestination, fCreateNew ? g_fOpenUnique : g_fOpenNamed);
        if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_CREATE_FAILED, iPackage, pszDestination, rc);
    }
    CleanupRecord *pRecord = NewCleanupRecord(true, pszDestination);
    if (!pRecord) {
        // Without a record the purge would never know of the file: undo it here.
        g_StubFileCalls.pfnFileClose(hFile);
        g_StubFileCalls.pfnFileDelete(pszDestination);
        return QERR_NO_MEMORY;
    }
    pRecord->packageIndex = iPackage;
    pRecord->u.hFile = hFile;

    const void *pvPayload;
    uint32_t cbPayload;
    rc = LocateEmbeddedResource(pszResourceName, &pvPayload, &cbPayload);
    if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_LOCATE_FAILED, iPackage, pszResourceName, rc);

    rc = g_StubFileCalls.pfnFileWrite(hFile, pvPayload, cbPayload, NULL);
    if (RT_FAILURE(rc))
        return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_WRITE_FAILED, iPackage, pszDestination, cbPayload, rc);
    FsObjInfo InfoWritten;
    rc = g_StubFileCalls.pfnFileQueryInfo(hFile, &InfoWritten, RTFSOBJATTRADD_UNIX);
    if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_QUERY_FAILED, iPackage, pszDestination, rc);

    // An unbroken chain of handles that never share deletion, ending with one that denies
    // writers: from here on the file cannot change under us.
    RTFILE hFirst;
    rc = g_StubFileCalls.pfnFileOpen(&hFirst, pszDestination, g_fOpenFirstReopen);
    if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_REOPEN1_FAILED, iPackage, pszDestination, rc);
    rc = g_StubFileCalls.pfnFileClose(hFile);
    if (RT_FAILURE(rc)) {
        // A handle whose close failed is not closed again (its value may be reused).
        pRecord->u.hFile = NIL_RTFILE;
        g_StubFileCalls.pfnFileClose(hFirst);
        return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_CLOSE_FAILED, iPackage, pszDestination, rc);
    }
    pRecord->u.hFile = hFirst;
    RTFILE hFinal;
    rc = g_StubFileCalls.pfnFileOpen(&hFinal, pszDestination, g_fOpenFinal);
    if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_REOPEN2_FAILED, iPackage, pszDestination, rc);
    pRecord->u.hFile = hFinal;
    rc = g_StubFileCalls.pfnFileClose(hFirst);
    if (RT_FAILURE(rc)) ErrorToStderr(QUILSTUB_MSG_PKG_CLOSE2_FAILED, iPackage, pszDestination, rc);

    FsObjInfo InfoFinal;
    rc = g_StubFileCalls.pfnFileQueryInfo(hFinal, &InfoFinal, RTFSOBJATTRADD_UNIX);
    if (RT_FAILURE(rc)) return ErrorToStderrRc(rc, QUILSTUB_MSG_PKG_QUERY_FAILED, iPackage, pszDestination, rc);
    if (InfoFinal.cbObject != cbPayload)
        return ErrorToStderrRc(QERR_STATE_CHANGED, QUILSTUB_MSG_PKG_SIZE_CHANGED, iPackage, pszDestination,
                               InfoFinal.cbObject, cbPayload);
    if (InfoFinal.u.Unix.INodeId != InfoWritten.u.Unix.INodeId)
        return ErrorToStderrRc(QERR_STATE_CHANGED, QUILSTUB_MSG_PKG_ID_CHANGED, iPackage, pszDestination,
                               InfoFinal.u.Unix.INodeId, InfoWritten.u.Unix.INodeId);
    return stubVerifyContent(hFinal, static_cast<const uint8_t *>(pvPayload), cbPayload, iPackage, pszDestination);
}

int ExtractAllPackages(const char *pszExtractPath, unsigned cPackages, bool extractOnly, CleanupRecord **ppDirRecord) {
    int iExit = stubPrepareDirectory(pszExtractPath, ppDirRecord);
    if (iExit) return iExit;
    RTPathSetCurrent(pszExtractPath);
    // A user's file in a directory that was there before the run is never replaced by an
    // installation (the purge would delete it afterwards); "--extract" overwrites, as asked.
    bool const fCreateNew = !extractOnly && (*ppDirRecord)->keepOnDisk;

    for (unsigned iPackage = 0; iPackage < cPackages; iPackage++) {
        const StubPackage *pHeader;
        int rc = LocatePackageHeader(iPackage, &pHeader);
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_HEADER_NOT_FOUND, iPackage, rc);
        if (!extractOnly && !PackageFitsHost(pHeader)) continue;

        // The name is vetted before it becomes part of any path: nothing is ever written
        // outside the extraction directory.
        rc = CheckPackageFileName(pHeader->szFileName);
        char szDestination[QUILSTUB_PATH_SIZE];
        RTFILE hFile = NIL_RTFILE;
        if (RT_SUCCESS(rc) && (extractOnly || pHeader->bArch == (uint8_t)PackageArch::All))
            rc = RTPathJoin(szDestination, sizeof(szDestination), pszExtractPath, pHeader->szFileName);
        else if (RT_SUCCESS(rc)) {
            rc = RTPathJoin(szDestination, sizeof(szDestination), pszExtractPath, g_szUniqueTemplate);
            const char *pszSuffix = RTPathSuffix(pHeader->szFileName);
            if (RT_SUCCESS(rc) && pszSuffix) rc = RTStrCat(szDestination, sizeof(szDestination), pszSuffix);
            if (RT_SUCCESS(rc)) {
                rc = g_StubFileCalls.pfnFileOpenTemp(&hFile, szDestination, g_fOpenUnique);
                if (RT_FAILURE(rc))
                    return ReportFailure(QUILSTUB_MSG_UNIQUE_NAME_FAILED, pHeader->szFileName, pszExtractPath, rc);
            }
        }
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_BUILD_FILE_NAME_FAILED, rc);

        rc = WriteAndVerifyPackage(pHeader->szResourceName, szDestination, hFile, iPackage, fCreateNew);
        if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_EXTRACT_FAILED, iPackage, pHeader->szFileName, rc);
    }
    return 0;
}
