// Test platform services on Windows.
#include "Runtime/r3/testplatform.h"

#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

#include <windows.h>

struct TESTTHREAD {
    HANDLE hThread;
    PFNTESTTHREAD pfnThread;
    void *pvUser;
};

static DWORD WINAPI testThreadMain(LPVOID pvArg) {
    TESTTHREAD *pThread = (TESTTHREAD *)pvArg;
    pThread->pfnThread(pThread->pvUser);
    return 0;
}

TESTTHREAD *TestThreadStart(PFNTESTTHREAD pfnThread, void *pvUser) {
    TESTTHREAD *pThread = new TESTTHREAD{nullptr, pfnThread, pvUser};
    pThread->hThread = CreateThread(nullptr, 0, testThreadMain, pThread, 0, nullptr);
    if (!pThread->hThread) {
        delete pThread;
        return nullptr;
    }
    return pThread;
}

void TestThreadJoin(TESTTHREAD *pThread) {
    WaitForSingleObject(pThread->hThread, INFINITE);
    CloseHandle(pThread->hThread);
    delete pThread;
}

struct TESTALERT {
    PFNTESTTHREAD pfnAlert;
    void *pvUser;
};

static VOID CALLBACK testAlertApc(ULONG_PTR uArg) {
    TESTALERT *pAlert = (TESTALERT *)uArg;
    pAlert->pfnAlert(pAlert->pvUser);
    delete pAlert;
}

bool TestThreadAlert(TESTTHREAD *pThread, PFNTESTTHREAD pfnAlert, void *pvUser) {
    TESTALERT *pAlert = new TESTALERT{pfnAlert, pvUser};
    if (QueueUserAPC(testAlertApc, pThread->hThread, (ULONG_PTR)pAlert)) return true;
    delete pAlert;
    return false;
}

void TestSleepMs(unsigned cMillies) {
    Sleep(cMillies);
}

uint64_t TestMilliTS() {
    return (uint64_t)std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

static int g_fdTestCaptureSaved = -1;
static int g_fdTestCaptureTarget = -1;
static FILE *g_pTestCaptureFile = nullptr;
static std::string g_TestCaptureName;

void TestCaptureBegin(FILE *pStdFile) {
    fflush(pStdFile);
    g_pTestCaptureFile = pStdFile;
    g_fdTestCaptureTarget = _fileno(pStdFile);
    g_TestCaptureName = TestTempFileName("capture");
    // Text mode, as a redirected standard stream is.
    int fd = _open(g_TestCaptureName.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_TEXT, 0600);
    g_fdTestCaptureSaved = _dup(g_fdTestCaptureTarget);
    _dup2(fd, g_fdTestCaptureTarget);
    _close(fd);
}

std::string TestCaptureEnd() {
    fflush(g_pTestCaptureFile);
    _dup2(g_fdTestCaptureSaved, g_fdTestCaptureTarget);
    _close(g_fdTestCaptureSaved);
    std::ifstream In(g_TestCaptureName, std::ios::binary);
    std::stringstream Ss;
    Ss << In.rdbuf();
    In.close();
    DeleteFileA(g_TestCaptureName.c_str());
    return Ss.str();
}

void TestSetEnv(const char *pszName, const char *pszValue) {
    // _putenv keeps the C library's copy (which the runtime reads) and the process's in step;
    // "NAME=" removes the variable.
    std::string Assignment = std::string(pszName) + "=" + (pszValue ? pszValue : "");
    _putenv(Assignment.c_str());
}

const char *TestProgramName() {
    return "qrt-tests.exe";
}

bool TestExitedThroughBreakpoint(int iExitStatus) {
    return (uint32_t)iExitStatus == 0x80000003U;
}

static std::atomic<unsigned> g_cTestTraps{0};
static PVOID g_pvTestTrapHandler = nullptr;

// Steps over the one-byte breakpoint instruction, as a debugger that resumes the thread does.
static LONG CALLBACK testTrapHandler(PEXCEPTION_POINTERS pXcpt) {
    if (pXcpt->ExceptionRecord->ExceptionCode != EXCEPTION_BREAKPOINT) return EXCEPTION_CONTINUE_SEARCH;
    g_cTestTraps++;
#if defined(__i386__)
    pXcpt->ContextRecord->Eip++;
#else
    pXcpt->ContextRecord->Rip++;
#endif
    return EXCEPTION_CONTINUE_EXECUTION;
}

void TestResumeBreakpointsBegin() {
    g_cTestTraps = 0;
    g_pvTestTrapHandler = AddVectoredExceptionHandler(1, testTrapHandler);
}

unsigned TestResumeBreakpointsEnd() {
    RemoveVectoredExceptionHandler(g_pvTestTrapHandler);
    return g_cTestTraps;
}

const char *TestFullDeviceName() {
    return "Z:\\dev\\full";
}

std::string TestTempFileName(const char *pszStem) {
    static std::atomic<unsigned> s_iSeq{0};
    char szDir[MAX_PATH];
    DWORD cch = GetTempPathA(sizeof(szDir), szDir);
    std::ostringstream Name;
    Name << std::string(szDir, cch) << "qrt-" << pszStem << "-" << GetCurrentProcessId() << "-" << s_iSeq++;
    return Name.str();
}
