// The unhandled-exception report live: a breakpoint and an access violation in a child process
// whose default logger writes to standard error; the previous filter; no logger; the stack
// bounds without the stack-limits query; a thread the runtime does not know.
#include <qrt/assert.h>
#include <qrt/init.h>
#include <qrt/log.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "Runtime/common/log/log-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "r3/win/init-win-internal.h"

namespace {

// What the crashing child does.
enum : unsigned {
    TSTXCPT_LOGGER = 0x1,   // create the default logger first
    TSTXCPT_PREV = 0x2,     // install a filter of its own before initialisation
    TSTXCPT_CONTINUE = 0x4, // that filter resumes after the breakpoint
    TSTXCPT_NO_QUERY = 0x8, // act as if the stack-limits query were missing
    TSTXCPT_AV = 0x10,      // an access violation instead of a breakpoint
    TSTXCPT_THREAD = 0x20,  // on a thread the runtime never adopted
};

unsigned g_fTstXcpt;

LONG WINAPI tstXcptPrevFilter(PEXCEPTION_POINTERS pXcptPtrs) {
    fprintf(stderr, "previous filter called: %#lx\n", (unsigned long)pXcptPtrs->ExceptionRecord->ExceptionCode);
    fflush(stderr);
    if ((g_fTstXcpt & TSTXCPT_CONTINUE) && pXcptPtrs->ExceptionRecord->ExceptionCode == EXCEPTION_BREAKPOINT) {
        pXcptPtrs->ContextRecord->Eip++; // past the one-byte trap, as a resuming debugger does
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

NT_TIB const *tstXcptTib() {
    uintptr_t uTeb;
    __asm__("movl %%fs:0x18, %0" : "=r"(uTeb));
    return (NT_TIB const *)uTeb;
}

RT_NOINLINE void tstXcptCrashHere() {
    volatile int iFrame = 0;
    NT_TIB const *pTib = tstXcptTib();
    fprintf(stderr, "FRAME=%p TIBLOW=%p TIBHIGH=%p TID=%08lx\n", (void *)&iFrame, pTib->StackLimit, pTib->StackBase,
            (unsigned long)GetCurrentThreadId());
    fflush(stderr);
    if (g_fTstXcpt & TSTXCPT_AV)
        *(volatile int *)(uintptr_t)iFrame = 1;
    else
        RT_BREAKPOINT();
    fprintf(stderr, "continued\n");
    fflush(stderr);
}

DWORD WINAPI tstXcptThread(LPVOID) {
    tstXcptCrashHere();
    return 0;
}

void tstXcptChild(unsigned fFlags) {
    g_fTstXcpt = fFlags;
    if (fFlags & TSTXCPT_PREV) SetUnhandledExceptionFilter(tstXcptPrevFilter);
    int cArgs = 0;
    char **papszArgs = nullptr;
    if (RT_FAILURE(RTR3InitExe(&cArgs, &papszArgs, 0))) _exit(99);
    if (fFlags & TSTXCPT_LOGGER) RTLogDefaultInstance();
    if (fFlags & TSTXCPT_NO_QUERY) g_pfnrtR3WinGetCurrentThreadStackLimits = NULL;
    if (fFlags & TSTXCPT_THREAD) {
        HANDLE hThread = CreateThread(NULL, 0, tstXcptThread, NULL, 0, NULL);
        WaitForSingleObject(hThread, INFINITE);
    } else
        tstXcptCrashHere();
    exit(0);
}

std::string g_TstXcptStderr;
bool tstXcptExitedWithAccessViolation(int iStatus) {
    return (uint32_t)iStatus == 0xC0000005U;
}

// The lines of the child's standard error, and values taken from them.
struct TSTXCPTOUT {
    std::vector<std::string> Lines;
    explicit TSTXCPTOUT(const std::string &Err) {
        std::istringstream In(Err);
        for (std::string Line; std::getline(In, Line);) {
            if (!Line.empty() && Line.back() == '\r') Line.pop_back();
            Lines.push_back(Line);
        }
    }
    // The line that starts with pszStart, or "".
    std::string line(const char *pszStart) const {
        for (const std::string &Line : Lines)
            if (Line.compare(0, strlen(pszStart), pszStart) == 0) return Line;
        return std::string();
    }
    bool has(const char *pszShape) const {
        for (const std::string &Line : Lines)
            if (tstShape(Line, pszShape)) return true;
        return false;
    }
    // The hexadecimal number after pszKey in the line that starts with pszStart.
    uintptr_t hex(const char *pszStart, const char *pszKey) const {
        std::string const Line = line(pszStart);
        size_t const off = Line.find(pszKey);
        if (off == std::string::npos) return 0;
        return (uintptr_t)std::stoul(Line.substr(off + strlen(pszKey)), nullptr, 16);
    }
};

class XcptReportWin : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        TestSetEnv("QUIL_LOG_DEST", "nofile stderr");
    }
    void TearDown() override { TestSetEnv("QUIL_LOG_DEST", "nofile"); }
};

TEST_F(XcptReportWin, BreakpointReport) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_LOGGER), TestExitedThroughBreakpoint, tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    std::string const Tid = Out.line("FRAME=").substr(Out.line("FRAME=").find("TID=") + 4);
    EXPECT_TRUE(Out.has(("!!! rtR3WinUnhandledXcptFilter caught an exception on thread " + Tid + "!!!").c_str()))
        << g_TstXcptStderr;
    uintptr_t const uXcptAddr = Out.hex("ExceptionCode=0x80000003 ", "ExceptionAddress=");
    EXPECT_NE(0u, uXcptAddr) << g_TstXcptStderr;
    EXPECT_TRUE(Out.has("ExceptionInformation[0]=00000000"));
    std::string const CsEip = Out.line("cs:eip=");
    ASSERT_NE(std::string::npos, CsEip.rfind(':')) << g_TstXcptStderr;
    EXPECT_EQ(uXcptAddr, (uintptr_t)std::stoul(CsEip.substr(CsEip.rfind(':') + 1), nullptr, 16));
    EXPECT_TRUE(Out.has("ss:esp=%%%%:%{8} ebp=%{8}"));
    EXPECT_TRUE(Out.has("eax=%{8} ecx=%{8} edx=%{8} ebx=%{8}"));
    EXPECT_TRUE(Out.has("ds=%%%% es=%%%% fs=%%%% gs=%%%% eflags=%{8}"));
    // The query's bounds bracket the frame that trapped.
    uintptr_t const uFrame = Out.hex("FRAME=", "FRAME=");
    uintptr_t const uLow = Out.hex("Stack ", "low=");
    uintptr_t const uHigh = Out.hex("Stack ", "high=");
    EXPECT_LE(uLow, uFrame);
    EXPECT_LT(uFrame, uHigh);
    EXPECT_TRUE(Out.has("Thread ID:   *"));
    EXPECT_TRUE(Out.has("Thread name: main"));
    EXPECT_FALSE(Out.has("Thread QURT: 00000000"));
    EXPECT_TRUE(Out.has("Address range    [*] Timestamp Path"));
    EXPECT_TRUE(Out.has("%{8}..%{8}\\*  %{8}  *\\\\qrt-tests.exe")) << g_TstXcptStderr;
    EXPECT_TRUE(Out.has("%{8}..%{8}   %{8}  *ntdll.dll"));
    EXPECT_TRUE(Out.has("Xcpt PC : %{8} - 0x%{8} bytes into *\\\\qrt-tests.exe"));
    EXPECT_TRUE(Out.has("%{8}: %{8} - 0x%{8} bytes into *")); // return addresses on the stack
    EXPECT_FALSE(Out.has("continued"));
}

TEST_F(XcptReportWin, AccessViolationReport) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_LOGGER | TSTXCPT_AV), tstXcptExitedWithAccessViolation,
                tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    EXPECT_TRUE(Out.has("ExceptionCode=0xc0000005 ExceptionFlags=0x00000000 ExceptionAddress=%{8}")) << g_TstXcptStderr;
    EXPECT_TRUE(Out.has("ExceptionInformation[0]=00000001")); // a write
    EXPECT_TRUE(Out.has("ExceptionInformation[1]=00000000")); // to address 0
    EXPECT_TRUE(Out.has("Xcpt PC : %{8} - 0x%{8} bytes into *\\\\qrt-tests.exe"));
}

TEST_F(XcptReportWin, PreviousFilterStillDecides) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_LOGGER | TSTXCPT_PREV | TSTXCPT_CONTINUE), testing::ExitedWithCode(0),
                tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    EXPECT_TRUE(Out.has("!!! rtR3WinUnhandledXcptFilter caught an exception on thread *")) << g_TstXcptStderr;
    EXPECT_TRUE(Out.has("previous filter called: 0x80000003"));
    EXPECT_TRUE(Out.has("continued"));
    // The report comes first, the previous filter after it.
    EXPECT_LT(g_TstXcptStderr.find("Loaded Modules:"), g_TstXcptStderr.find("previous filter called"));
}

TEST_F(XcptReportWin, WithoutLoggerNothingIsWrittenButTheChainRuns) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_PREV | TSTXCPT_CONTINUE), testing::ExitedWithCode(0),
                tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    EXPECT_FALSE(Out.has("*rtR3WinUnhandledXcptFilter*")) << g_TstXcptStderr;
    EXPECT_FALSE(Out.has("Log created: *"));
    EXPECT_TRUE(Out.has("previous filter called: 0x80000003"));
    EXPECT_TRUE(Out.has("continued"));
    // And without a filter of its own the process ends with the exception's code.
    EXPECT_EXIT(tstXcptChild(0), TestExitedThroughBreakpoint, tstKeepStderr(&g_TstXcptStderr));
    EXPECT_EQ(std::string::npos, g_TstXcptStderr.find("rtR3WinUnhandledXcptFilter"));
}

TEST_F(XcptReportWin, WithoutTheQueryTheDumpStaysOnTheStack) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_LOGGER | TSTXCPT_NO_QUERY), TestExitedThroughBreakpoint,
                tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    uintptr_t const uStart = Out.hex("Stack ", "Stack ");
    uintptr_t const cb = Out.hex("Stack ", "dumping 0x");
    uintptr_t const uTibHigh = Out.hex("FRAME=", "TIBHIGH=");
    ASSERT_NE(0u, uStart) << g_TstXcptStderr;
    EXPECT_LE(uStart + cb, uTibHigh);
    // Both bounds print as the marker's address.
    EXPECT_EQ(Out.hex("Stack ", "low="), Out.hex("Stack ", "high="));
    EXPECT_EQ(uStart, Out.hex("Stack ", "low=") & ~(uintptr_t)15);
    EXPECT_TRUE(Out.has("Potential code addresses on the stack:"));
}

TEST_F(XcptReportWin, ThreadTheRuntimeDoesNotKnow) {
    EXPECT_EXIT(tstXcptChild(TSTXCPT_LOGGER | TSTXCPT_THREAD), TestExitedThroughBreakpoint,
                tstKeepStderr(&g_TstXcptStderr));
    TSTXCPTOUT Out(g_TstXcptStderr);
    EXPECT_TRUE(Out.has("Thread name: <NULL>")) << g_TstXcptStderr;
    EXPECT_TRUE(Out.has("Thread QURT: 00000000"));
    EXPECT_TRUE(Out.has("Loaded Modules:"));
}

} // namespace
