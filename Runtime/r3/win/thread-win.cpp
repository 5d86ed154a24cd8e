// Threads on Windows: the native id, the registry's thread-local slot (TlsAlloc, never the
// compiler's thread_local, which would pull in a threading library), naming threads for
// debuggers, creating threads, and the public thread-local storage.
#include <errno.h>
#include <process.h>

#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/thread.h>

#include "common/misc/thread-internal.h"
#include "r3/win/init-win-internal.h"

#include <windows.h>

typedef HRESULT(WINAPI *PFNSETTHREADDESCRIPTION)(HANDLE hThread, PCWSTR pwszDescription);

// The exception a debugger takes as a thread's name.
#define RTTHREADWIN_NAME_EXCEPTION 0x406D1388U

static DWORD volatile g_iRtThreadWinTls = TLS_OUT_OF_INDEXES;
static PFNSETTHREADDESCRIPTION volatile g_pfnRtThreadWinSetDescription;

RTNATIVETHREAD RTThreadNativeSelf(void) {
#if defined(__i386__)
    // The thread id sits in the thread's environment block (TEB offset 0x24): no call needed,
    // which keeps entering a free critical section free of platform calls.
    uint32_t uTid;
    __asm__("movl %%fs:0x24, %0" : "=r"(uTid));
    return uTid;
#else
    return GetCurrentThreadId();
#endif
}

int rtThreadNativeInit(void) {
    DWORD const iTls = TlsAlloc();
    if (iTls == TLS_OUT_OF_INDEXES) return QERR_NO_TLS_FOR_SELF;
    g_iRtThreadWinTls = iTls;
    // Windows 10 1607 and later; looked up so that older versions still start the program.
    g_pfnRtThreadWinSetDescription = (PFNSETTHREADDESCRIPTION)(void *)rtR3WinKernel32Symbol("SetThreadDescription");
    return QINF_SUCCESS;
}

void rtThreadNativeUninit(void) {
    DWORD const iTls = g_iRtThreadWinTls;
    g_iRtThreadWinTls = TLS_OUT_OF_INDEXES;
    if (iTls != TLS_OUT_OF_INDEXES) TlsFree(iTls);
}

bool rtThreadNativeSetSelf(RTTHREADINT *pThread) {
    DWORD const iTls = g_iRtThreadWinTls;
    return iTls != TLS_OUT_OF_INDEXES && TlsSetValue(iTls, pThread);
}

RTTHREADINT *rtThreadNativeGetSelf(void) {
    DWORD const iTls = g_iRtThreadWinTls;
    if (iTls == TLS_OUT_OF_INDEXES) return NULL;
    // TlsGetValue clears the last error on success (Windows documents it, Wine does it), and
    // every lock asks for its thread's record: the caller's error must survive.
    DWORD const dwSavedError = GetLastError();
    RTTHREADINT *pThread = (RTTHREADINT *)TlsGetValue(iTls);
    SetLastError(dwSavedError);
    return pThread;
}

// Lets the naming exception pass when the debugger hands it back (or none is attached after
// all): the thread carries on after RaiseException.
static LONG CALLBACK rtThreadWinNameHandler(PEXCEPTION_POINTERS pXcptPtrs) {
    if (pXcptPtrs->ExceptionRecord->ExceptionCode == RTTHREADWIN_NAME_EXCEPTION) return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

void rtThreadNativeInformDebugger(RTTHREADINT *pThread) {
    if (IsDebuggerPresent()) {
        ULONG_PTR auInfo[4];
        auInfo[0] = 0x1000;
        auInfo[1] = (ULONG_PTR)pThread->szName;
        auInfo[2] = (ULONG_PTR)GetCurrentThreadId();
        auInfo[3] = 0;
        PVOID pvHandler = AddVectoredExceptionHandler(1, rtThreadWinNameHandler);
        RaiseException(RTTHREADWIN_NAME_EXCEPTION, 0, RT_ELEMENTS(auInfo), auInfo);
        if (pvHandler) RemoveVectoredExceptionHandler(pvHandler);
    }
    PFNSETTHREADDESCRIPTION pfnSetDescription = g_pfnRtThreadWinSetDescription;
    if (pfnSetDescription) {
        // The name's bytes widened one by one, as debuggers have always shown them.
        WCHAR wszName[RTTHREAD_NAME_LEN + 1];
        for (size_t i = 0; i < RT_ELEMENTS(wszName); i++) wszName[i] = (WCHAR)(unsigned char)pThread->szName[i];
        pfnSetDescription(GetCurrentThread(), wszName);
    }
}

static unsigned __stdcall rtThreadWinMain(void *pvThread) {
    return (unsigned)rtThreadMain((RTTHREADINT *)pvThread, (RTNATIVETHREAD)GetCurrentThreadId());
}

int rtThreadNativeCreate(RTTHREADINT *pThread) {
    unsigned uTid = 0;
    // The C library's start routine, so that its per-thread data is set up for the new thread.
    uintptr_t hThread = _beginthreadex(NULL, (unsigned)pThread->cbStack, rtThreadWinMain, pThread, 0, &uTid);
    if (!hThread) {
        int rc = RTErrConvertFromErrno(errno);
        return RT_FAILURE(rc) ? rc : QERR_INTERNAL_ERROR;
    }
    pThread->hNative = hThread;
    return QINF_SUCCESS;
}

void rtThreadNativeDestroy(RTTHREADINT *pThread) {
    if (pThread->hNative) CloseHandle((HANDLE)pThread->hNative);
    pThread->hNative = 0;
}

RTTLS RTTlsAlloc(void) {
    DWORD const iTls = TlsAlloc();
    return iTls != TLS_OUT_OF_INDEXES && iTls <= (DWORD)INT32_MAX ? (RTTLS)iTls : NIL_RTTLS;
}

int RTTlsFree(RTTLS iTls) {
    if (iTls == NIL_RTTLS) return QINF_SUCCESS;
    if (iTls < 0 || !TlsFree((DWORD)iTls)) return QERR_INVALID_PARAMETER;
    return QINF_SUCCESS;
}

void *RTTlsGet(RTTLS iTls) {
    if (iTls < 0) return NULL;
    DWORD const dwSavedError = GetLastError();
    void *pv = TlsGetValue((DWORD)iTls);
    SetLastError(dwSavedError);
    return pv;
}

int RTTlsSet(RTTLS iTls, void *pvValue) {
    if (iTls < 0) return QERR_INVALID_PARAMETER;
    if (!TlsSetValue((DWORD)iTls, pvValue))
        return GetLastError() == ERROR_INVALID_PARAMETER ? QERR_INVALID_PARAMETER : QERR_NO_MEMORY;
    return QINF_SUCCESS;
}
