// The process environment through the wide API: GetEnvironmentVariableW is exact for every
// character, where the C library's narrow copy (and, in a narrow-entry program, its wide copy)
// may have passed through the ANSI code page.
#include <qrt/env.h>
#include <qrt/err.h>
#include <qrt/mem.h>
#include <qrt/string.h>
#include <qrt/utf16.h>

#include "r3/env-internal.h"

#include <windows.h>
#include <string.h>

#define RTENVWIN_TAG "Runtime/r3/win/env-win"

// Values up to this many units are read on the stack; longer ones from the heap.
#define RTENVWIN_STACK_UNITS 512

// Reads the wide value of pwszVar into pawcStack or a heap block. On success *ppwcValue points
// at the value (unterminated copy of *pcwcValue units) and *ppwcFree is the block to free
// (null when the stack buffer was used).
static int rtEnvWinRead(const WCHAR *pwszVar, WCHAR *pawcStack, const WCHAR **ppwcValue, size_t *pcwcValue,
                        WCHAR **ppwcFree) {
    WCHAR *pwcBuf = pawcStack;
    DWORD cwcBuf = RTENVWIN_STACK_UNITS;
    *ppwcFree = NULL;
    for (;;) {
        SetLastError(NO_ERROR);
        DWORD const cwc = GetEnvironmentVariableW(pwszVar, pwcBuf, cwcBuf);
        if (cwc == 0) {
            // 0 is also the length of an empty value; only the last error tells them apart.
            DWORD const dwErr = GetLastError();
            if (dwErr != NO_ERROR) {
                RTMemFree(*ppwcFree);
                *ppwcFree = NULL;
                return dwErr == ERROR_ENVVAR_NOT_FOUND ? QERR_ENV_VAR_NOT_FOUND : RTErrConvertFromWin32(dwErr);
            }
        }
        if (cwc < cwcBuf) {
            *ppwcValue = pwcBuf;
            *pcwcValue = cwc;
            return QINF_SUCCESS;
        }
        // Too small: cwc is the size needed, terminator included. Another thread may grow the
        // value before the next read, so keep asking until it fits.
        RTMemFree(*ppwcFree);
        cwcBuf = cwc + 64;
        pwcBuf = (WCHAR *)RTMemAllocTag(cwcBuf * sizeof(WCHAR), RTENVWIN_TAG);
        *ppwcFree = pwcBuf;
        if (!pwcBuf) return QERR_NO_TMP_MEMORY;
    }
}

int rtEnvGetDefault(const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual) {
    RTUTF16 *pwszVar = NULL;
    int rc = RTStrToUtf16Tag(pszVar, &pwszVar, RTENVWIN_TAG);
    if (RT_FAILURE(rc)) return rc;

    WCHAR awcStack[RTENVWIN_STACK_UNITS];
    const WCHAR *pwcValue = NULL;
    size_t cwcValue = 0;
    WCHAR *pwcFree = NULL;
    rc = rtEnvWinRead((const WCHAR *)pwszVar, awcStack, &pwcValue, &cwcValue, &pwcFree);
    if (RT_SUCCESS(rc)) {
        size_t cch = 0;
        rc = RTUtf16CalcUtf8LenEx((const RTUTF16 *)pwcValue, cwcValue, &cch);
        if (RT_SUCCESS(rc)) {
            if (pcchActual) *pcchActual = cch;
            if (cbValue != 0) {
                if (cch >= cbValue)
                    rc = QERR_BUFFER_OVERFLOW;
                else
                    rc =
                        RTUtf16ToUtf8ExTag((const RTUTF16 *)pwcValue, cwcValue, &pszValue, cbValue, NULL, RTENVWIN_TAG);
            }
        }
    }
    RTMemFree(pwcFree);
    RTUtf16Free(pwszVar);
    return rc;
}

// RTEnvGet hands out strings the caller never frees. Each distinct (name, value) pair read is
// kept in a list for the rest of the process, so a pointer handed out stays valid even when
// the variable changes later; reading an unchanged variable again reuses its entry.
typedef struct RTENVGETENTRY {
    struct RTENVGETENTRY *pNext;
    const char *pszValue; // points into this block, after the name
    char szName[1];
} RTENVGETENTRY;

static RTENVGETENTRY *g_pRtEnvGetHead;

const char *RTEnvGet(const char *pszVar) {
    if (!RT_VALID_PTR(pszVar) || strchr(pszVar, '=')) return NULL;

    // Length first, then the value; retried if the variable grows in between.
    char *pszValue = NULL;
    for (unsigned iTry = 0;; iTry++) {
        size_t cch = 0;
        int rc = RTEnvGetEx(RTENV_DEFAULT, pszVar, NULL, 0, &cch);
        if (RT_FAILURE(rc) || iTry >= 8) return NULL;
        pszValue = (char *)RTMemTmpAllocTag(cch + 1, RTENVWIN_TAG);
        if (!pszValue) return NULL;
        rc = RTEnvGetEx(RTENV_DEFAULT, pszVar, pszValue, cch + 1, NULL);
        if (RT_SUCCESS(rc)) break;
        RTMemTmpFree(pszValue);
        if (rc != QERR_BUFFER_OVERFLOW) return NULL;
    }

    const char *pszResult = NULL;
    for (RTENVGETENTRY *pEntry = __atomic_load_n(&g_pRtEnvGetHead, __ATOMIC_ACQUIRE); pEntry; pEntry = pEntry->pNext)
        if (!strcmp(pEntry->szName, pszVar) && !strcmp(pEntry->pszValue, pszValue)) {
            pszResult = pEntry->pszValue;
            break;
        }
    if (!pszResult) {
        size_t const cbName = strlen(pszVar) + 1;
        size_t const cbValue = strlen(pszValue) + 1;
        RTENVGETENTRY *pNew = (RTENVGETENTRY *)RTMemAllocTag(sizeof(RTENVGETENTRY) + cbName + cbValue, RTENVWIN_TAG);
        if (pNew) {
            memcpy(pNew->szName, pszVar, cbName);
            memcpy(pNew->szName + cbName, pszValue, cbValue);
            pNew->pszValue = pNew->szName + cbName;
            // Entries are only ever added: a racing thread may add the same pair twice, which
            // costs a block and nothing else.
            RTENVGETENTRY *pHead = __atomic_load_n(&g_pRtEnvGetHead, __ATOMIC_RELAXED);
            do pNew->pNext = pHead;
            while (
                !__atomic_compare_exchange_n(&g_pRtEnvGetHead, &pHead, pNew, true, __ATOMIC_RELEASE, __ATOMIC_RELAXED));
            pszResult = pNew->pszValue;
        }
    }
    RTMemTmpFree(pszValue);
    return pszResult;
}
