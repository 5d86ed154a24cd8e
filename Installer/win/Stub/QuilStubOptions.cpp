// The stub's option table and option loop, and how msiParams is assembled.
#include "QuilStubOptions.h"
#include "QuilStubExitCodes.h"
#include "QuilStubMessages.h"
#include "QuilStubTexts.h"

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>

#include "quil-version.h"

#include <string.h>

// clang-format off
const RTGETOPTDESC g_aInstallOptionDescs[] = {
    {"--extract",                    'x', RTGETOPT_VT_NOTHING},
    {"-extract",                     'x', RTGETOPT_VT_NOTHING},
    {"/extract",                     'x', RTGETOPT_VT_NOTHING},
    {"--silent",                     's', RTGETOPT_VT_NOTHING},
    {"-silent",                      's', RTGETOPT_VT_NOTHING},
    {"/silent",                      's', RTGETOPT_VT_NOTHING},
    {"--no-silent-cert",             'c', RTGETOPT_VT_NOTHING},
    {"-no-silent-cert",              'c', RTGETOPT_VT_NOTHING},
    {"/no-silent-cert",              'c', RTGETOPT_VT_NOTHING},
    {"--no-install-timestamp-ca",    't', RTGETOPT_VT_NOTHING},
    {"--force-install-timestamp-ca", 'T', RTGETOPT_VT_NOTHING},
    {"--logging",                    'l', RTGETOPT_VT_NOTHING},
    {"-logging",                     'l', RTGETOPT_VT_NOTHING},
    {"--msi-log-file",               QUILSTUB_OPT_MSI_LOG_FILE, RTGETOPT_VT_STRING},
    {"-msilogfile",                  QUILSTUB_OPT_MSI_LOG_FILE, RTGETOPT_VT_STRING},
    {"/logging",                     'l', RTGETOPT_VT_NOTHING},
    {"--path",                       'p', RTGETOPT_VT_STRING},
    {"-path",                        'p', RTGETOPT_VT_STRING},
    {"/path",                        'p', RTGETOPT_VT_STRING},
    {"--msiparams",                  'm', RTGETOPT_VT_STRING},
    {"-msiparams",                   'm', RTGETOPT_VT_STRING},
    {"--msi-prop",                   'P', RTGETOPT_VT_STRING},
    {"--reinstall",                  'f', RTGETOPT_VT_NOTHING},
    {"-reinstall",                   'f', RTGETOPT_VT_NOTHING},
    {"/reinstall",                   'f', RTGETOPT_VT_NOTHING},
    {"--ignore-reboot",              'r', RTGETOPT_VT_NOTHING},
    {"--verbose",                    'v', RTGETOPT_VT_NOTHING},
    {"-verbose",                     'v', RTGETOPT_VT_NOTHING},
    {"/verbose",                     'v', RTGETOPT_VT_NOTHING},
    {"--version",                    'V', RTGETOPT_VT_NOTHING},
    {"-version",                     'V', RTGETOPT_VT_NOTHING},
    {"/version",                     'V', RTGETOPT_VT_NOTHING},
    {"--help",                       'h', RTGETOPT_VT_NOTHING},
    {"-help",                        'h', RTGETOPT_VT_NOTHING},
    {"/help",                        'h', RTGETOPT_VT_NOTHING},
    {"/?",                           'h', RTGETOPT_VT_NOTHING},
};
// clang-format on
const uint32_t g_cInstallOptionDescs = RT_ELEMENTS(g_aInstallOptionDescs);

namespace {

// What an option handler returns when the loop goes on; every other value is
// the exit code.
const int kGoOn = -1;

// The characters that end an unquoted Windows Installer property value. A name
// holding one of them would be split by the Windows Installer.
const char g_szBlanks[] = " \t\n\r";

// Appends pszText to msiParams, after one space when msiParams is not empty. An
// addition that does not fit leaves msiParams as it was.
int stubAppendMsiParams(InstallOptions *pOptions, const char *pszText) {
    char *pszParams = pOptions->msiParams;
    size_t const cchOld = strlen(pszParams);
    int rc = QINF_SUCCESS;
    if (cchOld) rc = RTStrCat(pszParams, QUILSTUB_MSI_PARAMS_SIZE, " ");
    if (RT_SUCCESS(rc)) rc = RTStrCat(pszParams, QUILSTUB_MSI_PARAMS_SIZE, pszText);
    if (RT_FAILURE(rc)) {
        pszParams[cchOld] = '\0';
        return ReportSyntaxFailure(QUILSTUB_MSG_MSIPARAMS_FULL);
    }
    return kGoOn;
}

// Appends NAME=VALUE to pszParams (a buffer of cbParams bytes), after one space
// when it is not empty. The value is put in double quotes when it is empty (an
// unquoted empty value would take the next property as its value) or holds a
// blank or a double quote; inside the quotes each double quote is doubled, so
// that one value can never end its quotes early and add a property of its own.
// Returns false, leaving pszParams as it was, when the result would not fit.
bool stubAppendProperty(char *pszParams, size_t cbParams, const char *pszName, const char *pszValue) {
    size_t const cchOld = strlen(pszParams);
    size_t const cchName = strlen(pszName);
    bool const fQuote = !*pszValue || strpbrk(pszValue, " \t\n\r\"") != NULL;
    size_t cchAdd = (cchOld ? 1 : 0) + cchName + 1 + strlen(pszValue);
    if (fQuote) {
        cchAdd += 2;
        for (const char *psz = pszValue; *psz; psz++) cchAdd += *psz == '"';
    }
    if (cchAdd >= cbParams - cchOld) return false;

    char *pszDst = &pszParams[cchOld];
    if (cchOld) *pszDst++ = ' ';
    memcpy(pszDst, pszName, cchName);
    pszDst += cchName;
    *pszDst++ = '=';
    if (fQuote) *pszDst++ = '"';
    for (const char *psz = pszValue; *psz; psz++) {
        if (*psz == '"') *pszDst++ = '"';
        *pszDst++ = *psz;
    }
    if (fQuote) *pszDst++ = '"';
    *pszDst = '\0';
    return true;
}

// "--msi-prop NAME VALUE": the name came with the option, the value is the next
// argument.
int stubAddMsiProperty(InstallOptions *pOptions, PRTGETOPTSTATE pState, const char *pszName) {
    if (strpbrk(pszName, g_szBlanks)) return ReportSyntaxFailure(QUILSTUB_MSG_MSIPROP_NAME_SPACES, pszName);
    if (!*pszName) return ReportSyntaxFailure(QUILSTUB_MSG_MSIPROP_NAME_EMPTY);

    RTGETOPTVALUE Value;
    int rc = RTGetOptFetchValue(pState, &Value, RTGETOPT_VT_STRING);
    if (rc == QERR_GETOPT_REQUIRED_ARGUMENT_MISSING) return ReportSyntaxFailure(QUILSTUB_MSG_MSIPROP_VALUE_MISSING);
    if (RT_FAILURE(rc)) return ReportSyntaxFailure(QUILSTUB_MSG_MSIPROP_VALUE_FAILED, rc);

    if (!stubAppendProperty(pOptions->msiParams, QUILSTUB_MSI_PARAMS_SIZE, pszName, Value.psz))
        return ReportSyntaxFailure(QUILSTUB_MSG_MSIPARAMS_FULL);
    return kGoOn;
}

// "--path" and "--msi-log-file": an empty value goes back to the default; any
// other is made absolute, so that a later change of the current directory does
// not move it.
int stubSetAbsPath(char *pszDst, const char *pszValue, const char *pszFailureFormat) {
    if (!*pszValue) {
        pszDst[0] = '\0';
        return kGoOn;
    }
    int rc = RTPathAbs(pszValue, pszDst, QUILSTUB_PATH_SIZE);
    if (RT_FAILURE(rc)) {
        pszDst[0] = '\0';
        return ReportSyntaxFailure(pszFailureFormat, rc);
    }
    return kGoOn;
}

// A result the loop does not take: an unknown option, a missing value, a stray
// bare argument.
int stubOptionError(int rc, const RTGETOPTVALUE *pValue) {
    if (silentMode) return RTGetOptPrintError(rc, pValue);
    if (rc == QERR_GETOPT_UNKNOWN_OPTION) return ReportSyntaxFailure(QUILSTUB_MSG_UNKNOWN_OPTION, pValue->psz);
    return ReportSyntaxFailure(QUILSTUB_MSG_PARSE_ERROR, rc);
}

int stubShowHelp(const char *pszProgram) {
    ReportNotice(QUILSTUB_MSG_HELP, QUILSTUB_TITLE, (unsigned)QUIL_VERSION_MAJOR, (unsigned)QUIL_VERSION_MINOR,
                 (unsigned)QUIL_VERSION_BUILD, (unsigned)QUIL_VERSION_REVISION, pszProgram, pszProgram);
    return QUILSTUB_EXIT_SUCCESS;
}

int stubShowVersion(void) {
    ReportNotice(QUILSTUB_MSG_VERSION, (unsigned)QUIL_VERSION_MAJOR, (unsigned)QUIL_VERSION_MINOR,
                 (unsigned)QUIL_VERSION_BUILD, (unsigned)QUIL_VERSION_REVISION);
    return QUILSTUB_EXIT_SUCCESS;
}

} // namespace

bool ParseInstallOptions(InstallOptions *pOptions, int cArgs, char **papszArgs, int *piExitCode) {
    RTGETOPTSTATE State;
    int rc = RTGetOptInit(&State, cArgs, papszArgs, g_aInstallOptionDescs, g_cInstallOptionDescs, 1, 0);
    if (RT_FAILURE(rc)) {
        *piExitCode = ReportFailure(QUILSTUB_MSG_GETOPT_INIT_FAILED, rc);
        return false;
    }

    int iExit = kGoOn;
    while (iExit == kGoOn) {
        RTGETOPTVALUE Value;
        rc = RTGetOpt(&State, &Value);
        switch (rc) {
        case 0:
            return true;
        case 'x':
            pOptions->extractOnly = true;
            break;
        case 's':
            silentMode = true;
            break;
        case 'c':
            pOptions->installCertificates = false;
            break;
        case 't':
            pOptions->timestampCaAllowed = false;
            break;
        case 'T':
            pOptions->timestampCaAllowed = true;
            pOptions->timestampCaForced = true;
            break;
        case 'l':
            pOptions->msiLogging = true;
            break;
        case QUILSTUB_OPT_MSI_LOG_FILE:
            iExit = stubSetAbsPath(pOptions->msiLogPath, Value.psz, QUILSTUB_MSG_LOG_PATH_TOO_LONG);
            break;
        case 'p':
            iExit = stubSetAbsPath(pOptions->extractPath, Value.psz, QUILSTUB_MSG_EXTRACT_PATH_TOO_LONG);
            break;
        case 'm':
            iExit = stubAppendMsiParams(pOptions, Value.psz);
            break;
        case 'f':
            iExit = stubAppendMsiParams(pOptions, "REINSTALLMODE=vomus REINSTALL=ALL");
            break;
        case 'P':
            iExit = stubAddMsiProperty(pOptions, &State, Value.psz);
            break;
        case QINF_GETOPT_NOT_OPTION:
            // A parameter list that the shell split after "--msiparams" is put back
            // together; before any parameter, a bare argument is a mistake.
            if (pOptions->msiParams[0])
                iExit = stubAppendMsiParams(pOptions, Value.psz);
            else
                iExit = stubOptionError(rc, &Value);
            break;
        case 'r':
            pOptions->ignoreReboot = true;
            break;
        case 'v':
            verbosity++;
            break;
        case 'V':
            iExit = stubShowVersion();
            break;
        case 'h':
            iExit = stubShowHelp(cArgs > 0 && papszArgs[0] ? papszArgs[0] : "");
            break;
        default:
            iExit = stubOptionError(rc, &Value);
            break;
        }
    }
    *piExitCode = iExit;
    return false;
}
