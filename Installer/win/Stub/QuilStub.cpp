// The stub's run sequence, top to bottom: options, single instance, extraction directory,
// console, host, manifest, the stages, cleanup, exit code. Every stage is a sibling file's
// routine that returns the run's result (0, 3010, or 1 after its own message); the first
// result other than 0 and 3010 ends the stages, and the cleanup runs in any case.
#include "QuilStub.h"
#include "QuilStubCertUtil.h"
#include "QuilStubCleanup.h"
#include "QuilStubCustom.h"
#include "QuilStubExitCodes.h"
#include "QuilStubExtract.h"
#include "QuilStubFileCalls-internal.h"
#include "QuilStubMessages.h"
#include "QuilStubMsi.h"
#include "QuilStubOptions.h"
#include "QuilStubPackages.h"
#include "QuilStubProcess-internal.h"
#include "QuilStubSettings.h"
#include "QuilStubTexts.h"

#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/stream.h>
#include <qrt/string.h>

namespace {

// The random part of the extraction directory's name.
const char g_szUniqueDirTemplate[] = "XXXXXXXXXXXXXXXXXXXXXXXX";

// The extraction directory: the caller's "--path", the temporary directory itself for an
// extraction without one, or else a new directory of random name there, recorded and held open
// from the moment it exists. Returns 0 or 1 after its message.
int stubChooseExtractionDir(InstallOptions *pOptions, CleanupRecord **ppDirRecord) {
    if (pOptions->extractPath[0]) return 0; // absolute already; created by the extraction if missing
    int rc = RTPathTemp(pOptions->extractPath, sizeof(pOptions->extractPath));
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_TEMP_DIR_FAILED, rc);
    if (pOptions->extractOnly) return 0;
    rc = RTPathAppend(pOptions->extractPath, sizeof(pOptions->extractPath), g_szUniqueDirTemplate);
    if (RT_SUCCESS(rc)) rc = RTDirCreateTemp(pOptions->extractPath, 0700);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_CREATE_EXTRACT_PATH_FAILED, rc);
    CleanupRecord *pRecord = NewCleanupRecord(false, pOptions->extractPath);
    if (!pRecord) {
        g_StubFileCalls.pfnDirRemove(pOptions->extractPath); // unrecorded: nothing else would remove it
        return QUILSTUB_EXIT_FAILURE;
    }
    *ppDirRecord = pRecord;
    // Held from here on, so that nobody can move it and plant something in its place.
    rc = g_StubFileCalls.pfnDirOpen(&pRecord->u.hDir, pOptions->extractPath);
    if (RT_FAILURE(rc)) return ReportFailure(QUILSTUB_MSG_OPEN_DIR_FAILED, pOptions->extractPath, rc);
    return 0;
}

// Logging is on exactly when msiLogPath ends up non-empty; the default log lies in the
// extraction directory.
int stubChooseLogPath(InstallOptions *pOptions) {
    if (!pOptions->msiLogging && pOptions->msiLogPath[0]) pOptions->msiLogging = true;
    if (!pOptions->msiLogging || pOptions->msiLogPath[0]) return 0;
    int rc = RTStrCopy(pOptions->msiLogPath, sizeof(pOptions->msiLogPath), pOptions->extractPath);
    if (RT_SUCCESS(rc))
        rc = RTPathAppend(pOptions->msiLogPath, sizeof(pOptions->msiLogPath), QUILSTUB_DEFAULT_LOG_NAME);
    if (RT_FAILURE(rc)) {
        pOptions->msiLogPath[0] = '\0';
        return ReportFailure(QUILSTUB_MSG_LOG_NAME_FAILED, rc);
    }
    return 0;
}

void stubPrintSummary(const InstallOptions *pOptions) {
    RTPrintf(QUILSTUB_MSG_SUMMARY_PATH, pOptions->extractPath);
    RTPrintf(QUILSTUB_MSG_SUMMARY_SILENT, silentMode);
    RTPrintf(QUILSTUB_MSG_SUMMARY_CERTS, pOptions->installCertificates);
    RTPrintf(QUILSTUB_MSG_SUMMARY_PARAMS, pOptions->msiParams[0] ? pOptions->msiParams : QUILSTUB_MSG_SUMMARY_NONE);
    RTPrintf(QUILSTUB_MSG_SUMMARY_LOG, pOptions->msiLogPath[0] ? pOptions->msiLogPath : QUILSTUB_MSG_SUMMARY_NONE);
}

// The stages after a successful extraction; the result of the first that fails, else 0 or
// 3010.
int stubRunStages(const InstallOptions *pOptions, unsigned cPackages) {
    int iResult = CopyCustomDirectory(pOptions->extractPath);
    if (!iResult && pOptions->timestampCaAllowed) iResult = AddLegacyTimestampCa(pOptions->timestampCaForced);
    if (!iResult && pOptions->installCertificates && silentMode) iResult = AddPublisherCertificates();
    for (unsigned iPackage = 0; iPackage < cPackages; iPackage++) {
        if (iResult != 0 && iResult != QUILSTUB_EXIT_REBOOT_REQUIRED) break;
        int iPackageResult =
            InstallPackageByIndex(iPackage, pOptions->msiParams, pOptions->msiLogPath[0] ? pOptions->msiLogPath : NULL);
        if (iPackageResult) iResult = iPackageResult; // an earlier reboot requirement survives a later success
    }
    return iResult;
}

} // namespace

int QuilStubRun(int cArgs, char **papszArgs) {
    InstallOptions Options;
    InstallOptionsInit(&Options);
    int iExit;
    if (!ParseInstallOptions(&Options, cArgs, papszArgs, &iExit)) return iExit;

    // After the command line, so that help and version work while another stub runs.
    bool fOtherInstance = false;
    void *hMutex = g_StubProcessCalls.pfnCreateInstanceMutex(&fOtherInstance);
    if (fOtherInstance) {
        g_StubProcessCalls.pfnCloseInstanceMutex(hMutex);
        return ReportFailure(QUILSTUB_MSG_ALREADY_RUNNING);
    }

    CleanupListInit();
    CleanupRecord *pDirRecord = NULL;
    bool fConsole = false;
    bool fExtracted = false;
    int iResult = stubChooseExtractionDir(&Options, &pDirRecord);
    if (!iResult) {
        RTPathChangeToDosSlashes(Options.extractPath, true);
        if (verbosity) {
            uint32_t const uErr = g_StubProcessCalls.pfnOpenConsole();
            if (uErr)
                iResult = ReportFailure(QUILSTUB_MSG_CONSOLE_FAILED, uErr);
            else
                fConsole = true;
        }
    }
    if (!iResult) iResult = stubChooseLogPath(&Options);
    if (!iResult && verbosity) stubPrintSummary(&Options);
    if (!iResult && !Options.extractOnly && !silentMode && !HostIsWow64())
        iResult = ReportFailure(QUILSTUB_MSG_HOST_32BIT);
    unsigned cPackages = 0;
    if (!iResult) {
        int rc = QueryPackageCount(&cPackages);
        if (RT_FAILURE(rc)) iResult = ReportFailure(QUILSTUB_MSG_MANIFEST_NOT_FOUND, rc);
    }

    if (!iResult) {
        fExtracted = true;
        iResult = ExtractAllPackages(Options.extractPath, cPackages, Options.extractOnly, &pDirRecord);
        if (!iResult && Options.extractOnly)
            ReportNotice(QUILSTUB_MSG_FILES_EXTRACTED, Options.extractPath);
        else if (!iResult)
            iResult = stubRunStages(&Options, cPackages);
    }

    // A refused run removes the directory it had made too: it leaves nothing behind.
    if (!Options.extractOnly) {
        if (fExtracted) RTPathSetCurrent(".."); // the extraction made the directory current
        bool const fFinalRemoval = !Options.msiLogging && pDirRecord && !pDirRecord->keepOnDisk;
        PurgeCleanupRecords(fFinalRemoval ? Options.extractPath : NULL);
    }
    FreeCleanupRecords();
    if (fConsole) g_StubProcessCalls.pfnCloseConsole();
    if (hMutex) g_StubProcessCalls.pfnCloseInstanceMutex(hMutex);
    return iResult == QUILSTUB_EXIT_REBOOT_REQUIRED && Options.ignoreReboot ? QUILSTUB_EXIT_SUCCESS : iResult;
}
