// The size probe: a GUI program that links the runtime the way the stub will, so that
// `make size` can show what each object costs before the stub itself exists. Every call here
// is one the stub makes; the program runs, but what it prints does not matter.
#include <qrt/assert.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/getopt.h>
#include <qrt/mem.h>
#include <qrt/message.h>
#include <qrt/path.h>
#include <qrt/stream.h>
#include <qrt/string.h>
#include <qrt/system.h>
#include <qrt/time.h>
#include <qrt/utf16.h>
#include <qrt/xcpt.h>

#include <windows.h>

static const RTGETOPTDESC g_aOptions[] = {
    {"--extract", 'x', RTGETOPT_VT_NOTHING},
    {"--silent", 's', RTGETOPT_VT_NOTHING},
    {"--path", 'p', RTGETOPT_VT_STRING},
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR pszCmdLine, int) {
    // The command line, as the stub's option loop reads it.
    char *apszArgs[] = {pszCmdLine, pszCmdLine, NULL};
    RTGETOPTSTATE State;
    RTGETOPTVALUE Value;
    char szPath[4100];
    szPath[0] = '\0';
    // An unattended run never waits on a crash dialog.
    RTXcptSuppressCrashDialog();
    int rc = RTGetOptInit(&State, 2, apszArgs, g_aOptions, RT_ELEMENTS(g_aOptions), 1, 0);
    while ((rc = RTGetOpt(&State, &Value)) != 0) {
        if (rc == 'p')
            RTPathAbs(Value.psz, szPath, sizeof(szPath));
        else if (rc != 'x' && rc != 's')
            return RTGetOptPrintError(rc, &Value);
    }

    // Messages and the temporary directory, as the run sequence uses them.
    if (RT_FAILURE(RTPathTemp(szPath, sizeof(szPath)))) return RTMsgInitFailure(QERR_PATH_NOT_FOUND);
    RTPrintf("Extraction path          : %s\n", szPath);
    RTMsgError("Failed to create extraction path '%s': %Rrc (%RTbool)", pszCmdLine, QERR_FILE_NOT_FOUND, true);
    RTMsgInfo("Reboot required (by %s)\n", szPath);
    RTStrmFlush(g_pStdErr);
    if (RTSystemGetNtVersion() < RTSYSTEM_MAKE_NT_VERSION(6, 1, 0)) RTThreadSleep(100);

    char szMsg[256];
    RTStrPrintf(szMsg, sizeof(szMsg), "#%u: File size of '%s' changed: %'RU64, expected %'RU32", 0, szPath, (uint64_t)1,
                2U);
    RTUTF16 *pwszMsg = NULL;
    rc = RTStrToUtf16(szMsg, &pwszMsg);
    if (RT_SUCCESS(rc)) {
        OutputDebugStringW((const wchar_t *)pwszMsg);
        RTUtf16Free(pwszMsg);
    }
    char *pszAlloc = NULL;
    if (RTStrAPrintf(&pszAlloc, "%Rrs %Rwc", rc, (int)GetLastError()) >= 0) RTStrFree(pszAlloc);

    // A release-log assertion (initialisation and the error conversions have them), and the
    // lazy binder's fatal report, which reaches the default logger.
    AssertLogRelMsg(rc != QERR_INTERNAL_ERROR_2, ("Unhandled error %u\n", (unsigned)rc));
    if (rc == QERR_INTERNAL_ERROR) RTAssertFatalMsg2("Lazy loader failed to load \"%s\": %Rrc\n", "MSI.DLL", rc);
    return 0;
}
