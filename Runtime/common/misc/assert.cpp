// Assertion reports: the two parts, where they go, and the panic decision.
#include <string.h>

#include <qrt/assert.h>
#include <qrt/env.h>
#include <qrt/format.h>
#include <qrt/stream.h>

#include "common/misc/assert-internal.h"
#include "common/misc/loghook-internal.h"

const char *volatile g_pszRTAssertExpr;
const char *volatile g_pszRTAssertFile;
const char *volatile g_pszRTAssertFunction;
volatile uint32_t g_u32RTAssertLine;
char g_szRTAssertMsg1[RTASSERT_MSG1_SIZE] RT_BSS;
char g_szRTAssertMsg2[RTASSERT_MSG2_SIZE] RT_BSS;
volatile size_t g_cchRTAssertMsg2;

#define RTASSERT_MSG1_FORMAT "\n!!Assertion Failed!!\nExpression: %s\nLocation  : %s(%d) %s\n"

static bool rtAssertLogPrintf(RTLOGHOOKTARGET enmTarget, const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    bool const fDone = rtLogHookPrintfV(enmTarget, pszFormat, va);
    va_end(va);
    return fDone;
}

void RTAssertMsg1(const char *pszExpr, unsigned uLine, const char *pszFile, const char *pszFunction) {
    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);

    g_pszRTAssertExpr = pszExpr;
    g_pszRTAssertFile = pszFile;
    g_pszRTAssertFunction = pszFunction;
    g_u32RTAssertLine = uLine;
    RTStrPrintf(g_szRTAssertMsg1, sizeof(g_szRTAssertMsg1), RTASSERT_MSG1_FORMAT, pszExpr, pszFile, (int)uLine,
                pszFunction);

    if (!rtAssertLogPrintf(RTLOGHOOK_RELEASE, RTASSERT_MSG1_FORMAT, pszExpr, pszFile, (int)uLine, pszFunction))
        rtAssertLogPrintf(RTLOGHOOK_DEFAULT, RTASSERT_MSG1_FORMAT, pszExpr, pszFile, (int)uLine, pszFunction);

    RTStrmPrintf(g_pStdErr, RTASSERT_MSG1_FORMAT, pszExpr ? pszExpr : "<none>", pszFile ? pszFile : "<none>",
                 (int)uLine, pszFunction ? pszFunction : "");
    RTStrmFlush(g_pStdErr);

    RTErrVarsRestore(&SavedErrVars);
}

// Both second-part forms: fAppend continues the stored text instead of starting it again.
static void rtAssertMsg2Worker(bool fAppend, const char *pszFormat, va_list va) {
    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);

    // The arguments are formatted once per destination, each time from a copy of the list.
    va_list vaCopy;
    size_t const cchOld = fAppend ? __atomic_load_n(&g_cchRTAssertMsg2, __ATOMIC_ACQUIRE) : 0;
    if (cchOld < RTASSERT_MSG2_APPEND_MAX) {
        va_copy(vaCopy, va);
        size_t const cch =
            RTStrPrintfV(&g_szRTAssertMsg2[cchOld], sizeof(g_szRTAssertMsg2) - cchOld, pszFormat, vaCopy);
        va_end(vaCopy);
        __atomic_store_n(&g_cchRTAssertMsg2, cchOld + cch, __ATOMIC_RELEASE);
    }

    va_copy(vaCopy, va);
    rtLogHookPrintfV(RTLOGHOOK_RELEASE, pszFormat, vaCopy);
    va_end(vaCopy);
    va_copy(vaCopy, va);
    rtLogHookPrintfV(RTLOGHOOK_DEFAULT, pszFormat, vaCopy);
    va_end(vaCopy);

    char szMsg[RTASSERT_MSG2_SIZE];
    va_copy(vaCopy, va);
    RTStrPrintfV(szMsg, sizeof(szMsg), pszFormat, vaCopy);
    va_end(vaCopy);
    RTStrmPrintf(g_pStdErr, "%s", szMsg);
    RTStrmFlush(g_pStdErr);

    RTErrVarsRestore(&SavedErrVars);
}

void RTAssertMsg2V(const char *pszFormat, va_list va) {
    rtAssertMsg2Worker(false, pszFormat, va);
}

void RTAssertMsg2(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtAssertMsg2Worker(false, pszFormat, va);
    va_end(va);
}

void RTAssertMsg2AddV(const char *pszFormat, va_list va) {
    rtAssertMsg2Worker(true, pszFormat, va);
}

void RTAssertMsg2Add(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtAssertMsg2Worker(true, pszFormat, va);
    va_end(va);
}

bool RTAssertShouldPanic(void) {
    RTERRVARS SavedErrVars;
    RTErrVarsSave(&SavedErrVars);
    const char *pszValue = RTEnvGet("QUIL_ASSERT");
    bool const fPanic = !pszValue || !strcmp(pszValue, "breakpoint") || !strcmp(pszValue, "panic");
    RTErrVarsRestore(&SavedErrVars);
    return fPanic;
}

void RTAssertFatalMsg2(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtAssertMsg2Worker(false, pszFormat, va);
    va_end(va);
    for (;;) RT_BREAKPOINT();
}

void RTAssertLogRelMsg1(const char *pszExpr, unsigned uLine, const char *pszFile, const char *pszFunction) {
    rtAssertLogPrintf(RTLOGHOOK_RELEASE, "AssertLogRel %s(%d) %s: %s\n", pszFile, (int)uLine, pszFunction, pszExpr);
}

void RTAssertLogRelMsg2(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtLogHookPrintfV(RTLOGHOOK_RELEASE, pszFormat, va);
    va_end(va);
}
