// Test platform services on POSIX systems.
#include "Runtime/r3/testplatform.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>

struct TESTTHREAD {
    pthread_t Thread;
    PFNTESTTHREAD pfnThread;
    void *pvUser;
};

static void *testThreadMain(void *pvArg) {
    TESTTHREAD *pThread = (TESTTHREAD *)pvArg;
    pThread->pfnThread(pThread->pvUser);
    return nullptr;
}

TESTTHREAD *TestThreadStart(PFNTESTTHREAD pfnThread, void *pvUser) {
    TESTTHREAD *pThread = new TESTTHREAD{pthread_t(), pfnThread, pvUser};
    if (pthread_create(&pThread->Thread, nullptr, testThreadMain, pThread) != 0) {
        delete pThread;
        return nullptr;
    }
    return pThread;
}

void TestThreadJoin(TESTTHREAD *pThread) {
    pthread_join(pThread->Thread, nullptr);
    delete pThread;
}

bool TestThreadAlert(TESTTHREAD *, PFNTESTTHREAD, void *) {
    return false;
}

void TestSleepMs(unsigned cMillies) {
    struct timespec Ts = {(time_t)(cMillies / 1000), (long)(cMillies % 1000) * 1000000L};
    while (nanosleep(&Ts, &Ts) != 0) {
    }
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
    g_fdTestCaptureTarget = fileno(pStdFile);
    g_TestCaptureName = TestTempFileName("capture");
    int fd = open(g_TestCaptureName.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    g_fdTestCaptureSaved = dup(g_fdTestCaptureTarget);
    dup2(fd, g_fdTestCaptureTarget);
    close(fd);
}

std::string TestCaptureEnd() {
    fflush(g_pTestCaptureFile);
    dup2(g_fdTestCaptureSaved, g_fdTestCaptureTarget);
    close(g_fdTestCaptureSaved);
    std::ifstream In(g_TestCaptureName, std::ios::binary);
    std::stringstream Ss;
    Ss << In.rdbuf();
    In.close();
    unlink(g_TestCaptureName.c_str());
    return Ss.str();
}

void TestSetEnv(const char *pszName, const char *pszValue) {
    if (pszValue)
        setenv(pszName, pszValue, 1);
    else
        unsetenv(pszName);
}

const char *TestProgramName() {
    return "qrt-tests";
}

bool TestExitedThroughBreakpoint(int iExitStatus) {
    return WIFSIGNALED(iExitStatus) && WTERMSIG(iExitStatus) == SIGTRAP;
}

// The trap instruction has already been passed when SIGTRAP arrives: returning resumes.
static std::atomic<unsigned> g_cTestTraps{0};
static struct sigaction g_TestTrapSaved;

static void testTrapHandler(int) {
    g_cTestTraps++;
}

void TestResumeBreakpointsBegin() {
    g_cTestTraps = 0;
    struct sigaction Sa;
    memset(&Sa, 0, sizeof(Sa));
    Sa.sa_handler = testTrapHandler;
    sigaction(SIGTRAP, &Sa, &g_TestTrapSaved);
}

unsigned TestResumeBreakpointsEnd() {
    sigaction(SIGTRAP, &g_TestTrapSaved, nullptr);
    return g_cTestTraps;
}

const char *TestFullDeviceName() {
    return "/dev/full";
}

std::string TestTempFileName(const char *pszStem) {
    static std::atomic<unsigned> s_iSeq{0};
    const char *pszDir = getenv("TMPDIR");
    std::ostringstream Name;
    Name << (pszDir && *pszDir ? pszDir : "/tmp") << "/qrt-" << pszStem << "-" << getpid() << "-" << s_iSeq++;
    return Name.str();
}
