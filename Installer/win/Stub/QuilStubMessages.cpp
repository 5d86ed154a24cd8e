// The message routines: a failure or notice as a box or on a standard stream, chosen by
// silentMode when the message is shown, and detail lines that always go to standard error.
#define QUILSTUB_MESSAGES_TAG "Installer/win/Stub/QuilStubMessages"
#define RTMEM_TAG QUILSTUB_MESSAGES_TAG

#include "QuilStubMessages.h"
#include "QuilStubMessages-internal.h"
#include "QuilStubExitCodes.h"
#include "QuilStubSettings.h"
#include "QuilStubTexts.h"

#include <qrt/assert.h>
#include <qrt/err.h>
#include <qrt/format.h>
#include <qrt/message.h>
#include <qrt/stream.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

namespace {

// The box title as the wide call takes it, from the same literal as the narrow one.
const char16_t g_wszTitle[] = u"" QUILSTUB_TITLE;

// Shows pszText in a box owned by the desktop window. A text that cannot be converted to
// UTF-16 still reaches the user, through the narrow call with the bytes unchanged.
void stubShowBox(const char *pszText, uint32_t fStyle) {
    RTUTF16 *pwszText = NULL;
    if (RT_SUCCESS(RTStrToUtf16(pszText, &pwszText))) {
        g_StubBoxCalls.pfnMessageBoxW(g_StubBoxCalls.pfnGetDesktopWindow(), pwszText,
                                      reinterpret_cast<const RTUTF16 *>(g_wszTitle), fStyle);
        RTUtf16Free(pwszText);
    } else
        g_StubBoxCalls.pfnMessageBoxA(g_StubBoxCalls.pfnGetDesktopWindow(), pszText, QUILSTUB_TITLE, fStyle);
}

// Formats and shows one failure (fNotice false) or notice. Nothing is shown for a text that
// could not be formatted or is empty.
void stubReport(bool fNotice, const char *pszFormat, va_list va) {
    RTERRVARS SavedVars;
    RTErrVarsSave(&SavedVars);
    char *pszText = NULL;
    if (RTStrAPrintfV(&pszText, pszFormat, va, QUILSTUB_MESSAGES_TAG) > 0) {
        if (!silentMode)
            stubShowBox(pszText, fNotice ? QUILSTUB_MB_ICONINFORMATION : QUILSTUB_MB_ICONERROR);
        else if (fNotice)
            RTPrintf("%s\n", pszText);
        else
            RTMsgError("%s", pszText);
    }
    RTStrFree(pszText);
    RTErrVarsRestore(&SavedVars);
}

void stubErrorToStderr(const char *pszFormat, va_list va) {
    RTERRVARS SavedVars;
    RTErrVarsSave(&SavedVars);
    // "%N" takes the address of a list of the caller's; a copy keeps that a real local.
    va_list vaCopy;
    va_copy(vaCopy, va);
    RTStrmPrintf(g_pStdErr, "error: %N\n", pszFormat, &vaCopy);
    va_end(vaCopy);
    RTErrVarsRestore(&SavedVars);
}

} // namespace

int ReportFailureV(const char *pszFormat, va_list va) {
    stubReport(false, pszFormat, va);
    return QUILSTUB_EXIT_FAILURE;
}

int ReportFailure(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    ReportFailureV(pszFormat, va);
    va_end(va);
    return QUILSTUB_EXIT_FAILURE;
}

int ReportSyntaxFailure(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    ReportFailure("%N", pszFormat, &va);
    va_end(va);
    return QUILSTUB_EXIT_SYNTAX_ERROR;
}

void ReportNotice(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    stubReport(true, pszFormat, va);
    va_end(va);
}

void ErrorToStderr(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    stubErrorToStderr(pszFormat, va);
    va_end(va);
}

int ErrorToStderrRc(int rc, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    stubErrorToStderr(pszFormat, va);
    va_end(va);
    return rc;
}

int ErrorToStderrFail(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    stubErrorToStderr(pszFormat, va);
    va_end(va);
    return QUILSTUB_EXIT_FAILURE;
}
