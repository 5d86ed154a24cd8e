// Program messages: the program-name prefix and the line walk over a formatted text.
#include <string.h>

#include <qrt/message.h>
#include <qrt/format.h>
#include <qrt/stream.h>
#include <qrt/string.h>

#include "r3/init-internal.h"

#define RTMESSAGE_TAG "Runtime/common/misc/message"

// The program name, fixed at first use. Racing first uses store the same pointer.
static const char *volatile g_pszrtMsgProgName = NULL;

static const char *rtMsgProgName(void) {
    const char *pszName = __atomic_load_n(&g_pszrtMsgProgName, __ATOMIC_ACQUIRE);
    if (!pszName) {
        rtR3ExecPathEnsure();
        pszName = &g_rtR3ExecPath.szPath[g_rtR3ExecPath.offName];
        __atomic_store_n(&g_pszrtMsgProgName, pszName, __ATOMIC_RELEASE);
    }
    return pszName;
}

static int rtMsgWorker(PRTSTREAM pStrm, const char *pszKind, const char *pszFormat, va_list va) {
    if (!*pszFormat || !strcmp(pszFormat, "\n")) {
        RTStrmWrite(pStrm, "\n", 1, NULL, true);
        return 0;
    }
    const char *pszName = rtMsgProgName();

    // The fallback below formats the arguments a second time: it needs a list of its own.
    va_list vaFallback;
    va_copy(vaFallback, va);
    char *pszText = NULL;
    if (RTStrAPrintfV(&pszText, pszFormat, va, RTMESSAGE_TAG) >= 0) {
        const char *psz = pszText;
        while (*psz) {
            const char *pszEol = strchr(psz, '\n');
            size_t cchLine = pszEol ? (size_t)(pszEol - psz) : strlen(psz);
            // Windows texts end their lines in CR LF; the stream adds its own line end.
            if (pszEol && cchLine > 0 && psz[cchLine - 1] == '\r') cchLine--;
            if (pszEol && cchLine == 0)
                RTStrmWrite(pStrm, "\n", 1, NULL, true);
            else
                RTStrmPrintf(pStrm, "%s: %s%.*s\n", pszName, pszKind, (int)cchLine, psz);
            if (!pszEol) break;
            psz = pszEol + 1;
        }
        RTStrFree(pszText);
    } else {
        RTStrmPrintf(pStrm, "%s: %s", pszName, pszKind);
        RTStrmPrintfV(pStrm, pszFormat, vaFallback);
        if (!strchr(pszFormat, '\n')) RTStrmWrite(pStrm, "\n", 1, NULL, true);
    }
    va_end(vaFallback);
    return 0;
}

int RTMsgErrorV(const char *pszFormat, va_list va) {
    return rtMsgWorker(g_pStdErr, "error: ", pszFormat, va);
}

int RTMsgError(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtMsgWorker(g_pStdErr, "error: ", pszFormat, va);
    va_end(va);
    return 0;
}

int RTMsgInfoV(const char *pszFormat, va_list va) {
    return rtMsgWorker(g_pStdOut, "info: ", pszFormat, va);
}

int RTMsgInfo(const char *pszFormat, ...) {
    va_list va;
    va_start(va, pszFormat);
    rtMsgWorker(g_pStdOut, "info: ", pszFormat, va);
    va_end(va);
    return 0;
}

int RTMsgInitFailure(int rcRTR3Init) {
    rtR3ExecPathEnsure();
    size_t const offName = g_rtR3ExecPath.offName;
    if (offName != 0 && offName < sizeof(g_rtR3ExecPath.szPath) && g_rtR3ExecPath.szPath[offName] != '\0')
        RTStrmPrintf(g_pStdErr, "%s: fatal error: RTR3Init: %Rrc\n", &g_rtR3ExecPath.szPath[offName], rcRTR3Init);
    else
        RTStrmPrintf(g_pStdErr, "fatal error: RTR3Init: %Rrc\n", rcRTR3Init);
    return 3;
}
