// The unhandled-exception report over captured inputs: the stack range, plausibility, the
// sections and their lines, the module list and its limit, and the code-address scan.
#include <qrt/log.h>
#include <qrt/cdefs.h>
#include <qrt/format.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Runtime/common/log/log-test-util.h"
#include "r3/xcptreport-internal.h"

namespace {

// A stand-in stack: the report reads the dump and the scan from here, so the sanitizers see
// any read beyond the range it computes.
alignas(4096) uint8_t g_abTstStack[0x10000];
#define TST_STACK ((uintptr_t)g_abTstStack)

TEST(XcptReport, Plausibility) {
    const struct {
        int iLine;
        uintptr_t uPtr;
        bool fPlausible;
    } aCases[] = {
        {__LINE__, 0, false},
        {__LINE__, 0xfff, false},
        {__LINE__, 0x1000, true},
        {__LINE__, (uintptr_t)0 - 0x1000, false},
        {__LINE__, (uintptr_t)0 - 0x1001, true},
        {__LINE__, (uintptr_t)0 - 1, false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fPlausible, rtR3XcptIsPlausible(c.uPtr));
    }
}

TEST(XcptReport, PathUsable) {
    static const RTUTF16 s_wszPath[] = {'C', ':', '\\', 'x', 0};
    const struct {
        int iLine;
        const RTUTF16 *pwszPath;
        uint16_t cbPath;
        uint16_t cbPathMax;
        bool fUsable;
    } aCases[] = {
        {__LINE__, s_wszPath, 8, 10, true},
        {__LINE__, s_wszPath, 8, 8, true},
        {__LINE__, s_wszPath, 10, 8, false}, // longer than its maximum
        {__LINE__, s_wszPath, 7, 10, false}, // odd
        {__LINE__, s_wszPath, 0, 10, false},
        {__LINE__, s_wszPath, 0x1ffe, 0x2000, true},
        {__LINE__, s_wszPath, 0x2000, 0x2000, false},
        {__LINE__, (const RTUTF16 *)(uintptr_t)0x10, 8, 10, false},
        {__LINE__, nullptr, 8, 10, false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTXCPTMODULE Module = {0x400000, 0x1000, 0, c.pwszPath, c.cbPath, c.cbPathMax};
        EXPECT_EQ(c.fUsable, rtR3XcptIsPathUsable(&Module));
    }
}

TEST(XcptReport, StackRange) {
    // Offsets into the stand-in stack (absolute values only matter for the page arithmetic).
    const struct {
        int iLine;
        uintptr_t offMarker;
        uintptr_t offSp;
        bool fQuery;
        uintptr_t offQueryHigh;
        uintptr_t offTibHigh;
        uintptr_t offStart;
        size_t cb;
    } aCases[] = {
        {__LINE__, 0x1100, 0x1100, false, 0, 0x10000, 0x1100, 0xf00},
        {__LINE__, 0x110c, 0x110c, false, 0, 0x10000, 0x1100, 0xf00},  // four low bits cleared
        {__LINE__, 0x1f08, 0x1f08, false, 0, 0x10000, 0x1f00, 0x1100}, // under 512 left: a page more
        {__LINE__, 0x1e00, 0x1e00, false, 0, 0x10000, 0x1e00, 0x200},  // exactly 512: no page more
        {__LINE__, 0x1100, 0x3100, false, 0, 0x10000, 0x1100, 0x2f00}, // grown to cover the stack pointer
        {__LINE__, 0x1100, 0x1fff, false, 0, 0x10000, 0x1100, 0xf00},  // already covered
        {__LINE__, 0x1100, 0x2000, false, 0, 0x10000, 0x1100, 0x1f00},
        {__LINE__, 0x1100, 0x5100, false, 0, 0x10000, 0x1100, 0x4f00}, // 16 KiB up: still grown
        {__LINE__, 0x1100, 0x5101, false, 0, 0x10000, 0x1100, 0xf00},  // further: not
        {__LINE__, 0x1100, 0x1000, false, 0, 0x10000, 0x1100, 0xf00},  // below the start
        {__LINE__, 0x1100, 0x1100, true, 0x1900, 0x10000, 0x1100, 0x800},
        {__LINE__, 0x1100, 0x1100, true, 0x9000, 0x10000, 0x1100, 0x7f00},
        {__LINE__, 0x1100, 0x1100, true, 0x1100, 0x10000, 0x1100, 0xf00}, // not above the start
        // Without the query the thread information block's base still bounds the dump.
        {__LINE__, 0x1f08, 0x1f08, false, 0, 0x2100, 0x1f00, 0x200},
        {__LINE__, 0x1100, 0x3100, false, 0, 0x2100, 0x1100, 0x1000},
        {__LINE__, 0x1100, 0x1100, true, 0x9000, 0x2100, 0x1100, 0x1000},
        // Bounds that do not hold the marker: only the marker's own page.
        {__LINE__, 0x1f08, 0x1f08, false, 0, 0x1000, 0x1f00, 0x100},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTXCPTREPORTINPUT In = {};
        In.uMarker = TST_STACK + c.offMarker;
        In.fHaveStackLimits = c.fQuery;
        In.uStackLow = TST_STACK;
        In.uStackHigh = TST_STACK + c.offQueryHigh;
        In.uTibLow = TST_STACK;
        In.uTibHigh = TST_STACK + c.offTibHigh;
        uintptr_t uStart = 0;
        size_t cb = 0;
        rtR3XcptStackRange(&In, TST_STACK + c.offSp, &uStart, &cb);
        EXPECT_EQ(TST_STACK + c.offStart, uStart);
        EXPECT_EQ(c.cb, cb);
    }
}

TEST(XcptReport, StackRangeQueryBoundsInEitherOrder) {
    RTXCPTREPORTINPUT In = {};
    In.uMarker = TST_STACK + 0x1100;
    In.fHaveStackLimits = true;
    In.uStackLow = TST_STACK + 0x3000; // the larger of the two counts
    In.uStackHigh = TST_STACK;
    In.uTibLow = TST_STACK;
    In.uTibHigh = TST_STACK + 0x10000;
    uintptr_t uStart;
    size_t cb;
    rtR3XcptStackRange(&In, In.uMarker, &uStart, &cb);
    EXPECT_EQ(0x1f00u, cb);
}

// A module list from an array, with a count of entries it pretends to have beyond it.
struct TSTMODULES {
    std::vector<RTXCPTMODULE> Modules;
    uint32_t cEntries; // entries beyond the array repeat its last one
    uint32_t cCalls;
};

bool tstModuleEntry(void *pvUser, uint32_t iEntry, RTXCPTMODULE *pModule) {
    TSTMODULES *pList = (TSTMODULES *)pvUser;
    pList->cCalls++;
    if (iEntry >= pList->cEntries) return false;
    *pModule = pList->Modules[RT_MIN((size_t)iEntry, pList->Modules.size() - 1)];
    return true;
}

const RTUTF16 g_wszTstExe[] = {'C', ':', '\\', 'a', 'p', 'p', '\\', 's', 't', 'u', 'b', '.', 'e', 'x', 'e', 0};
const RTUTF16 g_wszTstDll[] = {'C', ':', '\\', 'w', '\\', 'k', '3', '2', '.', 'd', 'l', 'l', 0};

std::vector<std::string> tstLines(const std::string &Text) {
    std::vector<std::string> Lines;
    std::istringstream In(Text);
    for (std::string Line; std::getline(In, Line);) Lines.push_back(Line);
    return Lines;
}

// Lines of the shape given (see tstShape).
bool tstHasLine(const std::vector<std::string> &Lines, const std::string &Shape) {
    for (const std::string &Line : Lines)
        if (tstShape(Line, Shape.c_str())) return true;
    return false;
}

size_t tstCountLines(const std::vector<std::string> &Lines, const std::string &Shape) {
    size_t c = 0;
    for (const std::string &Line : Lines) c += tstShape(Line, Shape.c_str());
    return c;
}

std::string tstPtr(uintptr_t u) {
    char szBuf[32];
    RTStrPrintf(szBuf, sizeof(szBuf), "%p", (void *)u);
    return szBuf;
}

// A full set of inputs: a breakpoint inside the first module, a nested record, registers with
// the stack pointer above the marker, three modules (one with an odd path length).
struct TSTXCPT {
    RTXCPTRECORD Nested;
    RTXCPTRECORD Record;
    RTXCPTREGS Regs;
    TSTMODULES Modules;
    RTXCPTREPORTINPUT In;

    TSTXCPT() {
        memset(g_abTstStack, 0, sizeof(g_abTstStack));
        Nested = {};
        Nested.ExceptionCode = 0xc0000005;
        Nested.ExceptionAddress = (void *)(uintptr_t)0x7c801234;
        Nested.NumberParameters = 2;
        Nested.ExceptionInformation[0] = 1;
        Nested.ExceptionInformation[1] = 0x2000;
        Record = {};
        Record.ExceptionCode = 0x80000003;
        Record.ExceptionFlags = 0x1;
        Record.ExceptionAddress = (void *)(uintptr_t)0x401234;
        Record.NumberParameters = 1;
        Record.ExceptionRecord = &Nested;
        Regs = {0x23, 0x2b, 0x2b, 0x2b, 0x53, 0x2b, 1, 2, 3, 4, 5, 6, 0, 7, 0x401234, 0x246};
        Regs.uEsp = (uint32_t)(TST_STACK + 0x1400); // (the stand-in lies low enough for 32 bits on the test hosts)
        Modules.Modules = {{0x400000, 0x10000, 0x5f000001, g_wszTstExe, 30, 32},
                           {0x7c800000, 0x100000, 0x5f000002, g_wszTstDll, 24, 26},
                           {0x10000000, 0x2000, 0x5f000003, g_wszTstDll, 23, 26}};
        Modules.cEntries = 3;
        Modules.cCalls = 0;
        In = {};
        In.pRecord = &Record;
        In.pRegs = &Regs;
        In.uMarker = TST_STACK + 0x1100;
        In.uTibLow = TST_STACK;
        In.uTibHigh = TST_STACK + sizeof(g_abTstStack);
        In.NativeThread = 0x1a4;
        In.pszThreadName = "main";
        In.hThread = (RTTHREAD)(uintptr_t)0x123450;
        In.pfnModule = tstModuleEntry;
        In.pvModuleUser = &Modules;
    }
    void putWord(uintptr_t off, uintptr_t uValue) { memcpy(&g_abTstStack[off], &uValue, sizeof(uValue)); }
};

std::string tstReport(const RTXCPTREPORTINPUT &In) {
    PRTLOGGER pLogger = tstLogCreateCapture(0);
    if (!pLogger) return std::string();
    rtR3XcptReport(pLogger, &In);
    return tstLogTakeCapture(pLogger);
}

TEST(XcptReport, FullReport) {
    // Without a context the stack pointer of interest is the marker and the crash address the
    // record's: the scan runs from the marker up.
    TSTXCPT X;
    X.Record.ExceptionRecord = nullptr;
    X.In.pRegs = nullptr;
    uintptr_t const offSp = 0x1100;
    X.putWord(offSp + 2 * sizeof(uintptr_t), 0x401500);   // into the exe
    X.putWord(offSp + 3 * sizeof(uintptr_t), 0x7c801000); // into the dll
    X.putWord(offSp + 4 * sizeof(uintptr_t), 0x10);       // implausible
    X.putWord(offSp + 5 * sizeof(uintptr_t), 0x12345678); // in no module
    X.putWord(offSp + 6 * sizeof(uintptr_t), 0x10000010); // module with a bad path
    X.putWord(0x1000, 0x401000);                          // below the marker: not scanned
    std::string const Text = tstReport(X.In);
    std::vector<std::string> const Lines = tstLines(Text);
    ASSERT_LT(20u, Lines.size()) << Text;

    EXPECT_EQ("", Lines[0]);
    EXPECT_EQ("!!! rtR3WinUnhandledXcptFilter caught an exception on thread " + tstPtr(0x1a4) + "!!!", Lines[1]);
    EXPECT_NE(std::string::npos, Text.find("\n\nExceptionCode=0x80000003 ExceptionFlags=0x00000001 ExceptionAddress=" +
                                           tstPtr(0x401234) + "\nExceptionInformation[0]=" + tstPtr(0) + "\n\nStack "))
        << Text;
    EXPECT_TRUE(tstHasLine(Lines, "Stack " + tstPtr(TST_STACK + 0x1100) + ", dumping 0xf00 bytes (low=" +
                                      tstPtr(TST_STACK + 0x1100) + ", high=" + tstPtr(TST_STACK + 0x1100) + ")"));
    // The dump's first line: the marker's address.
    char szDumpLine[64];
    snprintf(szDumpLine, sizeof(szDumpLine), "%0*llx/0000: 00 00", (int)(2 * sizeof(void *)),
             (unsigned long long)(TST_STACK + 0x1100));
    EXPECT_NE(std::string::npos, Text.find(std::string("\n") + szDumpLine)) << Text;
    EXPECT_TRUE(tstHasLine(Lines, "Thread ID:   " + tstPtr(0x1a4)));
    EXPECT_TRUE(tstHasLine(Lines, "Thread name: main"));
    EXPECT_TRUE(tstHasLine(Lines, "Thread QURT: " + tstPtr(0x123450)));
    EXPECT_NE(std::string::npos, Text.find("\nLoaded Modules:\nAddress range    [*] Timestamp Path\n")) << Text;
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(0x400000) + ".." + tstPtr(0x40ffff) + "\\*  5f000001  C:\\\\app\\\\stub.exe"));
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(0x7c800000) + ".." + tstPtr(0x7c8fffff) + "   5f000002  C:\\\\w\\\\k32.dll"));
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(0x10000000) + ".." + tstPtr(0x10001fff) + "   5f000003  <bad or missing: " +
                                      tstPtr((uintptr_t)g_wszTstDll) + " LB 0x17 max 0x1a"));
    EXPECT_EQ(1u, tstCountLines(Lines, "*\\*  5f*"));
    EXPECT_NE(std::string::npos, Text.find("\nPotential code addresses on the stack:\nXcpt PC : " + tstPtr(0x401234) +
                                           " - 0x00001234 bytes into C:\\app\\stub.exe\n"))
        << Text;
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(TST_STACK + offSp + 2 * sizeof(uintptr_t)) + ": " + tstPtr(0x401500) +
                                      " - 0x00001500 bytes into C:\\\\app\\\\stub.exe"));
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(TST_STACK + offSp + 3 * sizeof(uintptr_t)) + ": " + tstPtr(0x7c801000) +
                                      " - 0x00001000 bytes into C:\\\\w\\\\k32.dll"));
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(TST_STACK + offSp + 6 * sizeof(uintptr_t)) + ": " + tstPtr(0x10000010) +
                                      " - 00000010 into module at " + tstPtr(0x10000000)));
    EXPECT_EQ(3u, tstCountLines(Lines, "%{8}*: %{8}* - *"));
}

TEST(XcptReport, RegistersAndNestedRecord) {
    TSTXCPT X;
    X.Regs.uEsp = 0x0012ff00; // not in the dumped range: no scan
    std::string const Text = tstReport(X.In);
    std::vector<std::string> const Lines = tstLines(Text);
    EXPECT_NE(std::string::npos,
              Text.find("ExceptionInformation[0]=" + tstPtr(0) +
                        "\nNested: ExceptionCode=0xc0000005 ExceptionFlags=0x00000000 ExceptionAddress=" +
                        tstPtr(0x7c801234) + " (nested " + tstPtr(0) + ")\nNested: ExceptionInformation[0]=" +
                        tstPtr(1) + "\nNested: ExceptionInformation[1]=" + tstPtr(0x2000) +
                        "\n\ncs:eip=0023:00401234\nss:esp=002b:0012ff00 ebp=00000007\n"
                        "eax=00000001 ecx=00000002 edx=00000003 ebx=00000004\n"
                        "esi=00000005 edi=00000006 esp=0012ff00 ebp=00000007\n"
                        "ds=002b es=002b fs=0053 gs=002b eflags=00000246\n\nStack "))
        << Text;
    // The context's instruction pointer is the crash address (not the nested record's).
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(0x400000) + ".." + tstPtr(0x40ffff) + "\\*  5f000001 *"));
    EXPECT_FALSE(tstHasLine(Lines, "Potential code addresses on the stack:"));
}

TEST(XcptReport, NestedAddressIsTheCrashAddressWithoutContext) {
    TSTXCPT X;
    X.In.pRegs = nullptr;
    std::vector<std::string> const Lines = tstLines(tstReport(X.In));
    EXPECT_TRUE(tstHasLine(Lines, tstPtr(0x7c800000) + ".." + tstPtr(0x7c8fffff) + "\\*  5f000002 *"));
    EXPECT_TRUE(tstHasLine(Lines, "Xcpt PC : " + tstPtr(0x7c801234) + " - 0x00001234 bytes into C:\\\\w\\\\k32.dll"));
}

TEST(XcptReport, AtMostFifteenParameters) {
    TSTXCPT X;
    X.Record.NumberParameters = 20;
    for (unsigned i = 0; i < 15; i++) X.Record.ExceptionInformation[i] = 0x100 + i;
    X.Nested.NumberParameters = 0xffffffff;
    X.In.pRegs = nullptr;
    std::vector<std::string> const Lines = tstLines(tstReport(X.In));
    EXPECT_EQ(15u, tstCountLines(Lines, "ExceptionInformation[#*]=*"));
    EXPECT_TRUE(tstHasLine(Lines, "ExceptionInformation[14]=" + tstPtr(0x10e)));
    EXPECT_EQ(15u, tstCountLines(Lines, "Nested: ExceptionInformation[#*]=*"));
}

TEST(XcptReport, ImplausibleInputsSkipTheirSections) {
    TSTXCPT X;
    X.In.pRecord = (const RTXCPTRECORD *)(uintptr_t)0x20;
    X.In.pRegs = nullptr;
    X.In.pfnModule = nullptr;
    X.In.pszThreadName = nullptr;
    X.In.hThread = NIL_RTTHREAD;
    std::string const Text = tstReport(X.In);
    std::vector<std::string> const Lines = tstLines(Text);
    EXPECT_FALSE(tstHasLine(Lines, "ExceptionCode=*")) << Text;
    EXPECT_FALSE(tstHasLine(Lines, "cs:eip=*"));
    EXPECT_FALSE(tstHasLine(Lines, "Loaded Modules:"));
    EXPECT_FALSE(tstHasLine(Lines, "Potential code addresses on the stack:"));
    EXPECT_TRUE(tstHasLine(Lines, "Stack " + tstPtr(TST_STACK + 0x1100) + ", dumping 0xf00 bytes*"));
    EXPECT_TRUE(tstHasLine(Lines, "Thread name: <NULL>"));
    EXPECT_TRUE(tstHasLine(Lines, "Thread QURT: " + tstPtr(0)));

    // A plausible record whose nested pointer is not: the record alone.
    TSTXCPT Y;
    Y.Record.ExceptionRecord = (RTXCPTRECORD *)((uintptr_t)0 - 0x800);
    std::vector<std::string> const LinesY = tstLines(tstReport(Y.In));
    EXPECT_TRUE(tstHasLine(LinesY, "ExceptionCode=0x80000003 *"));
    EXPECT_FALSE(tstHasLine(LinesY, "Nested: *"));
}

TEST(XcptReport, CrashInAModuleWithABadPath) {
    TSTXCPT X;
    X.In.pRegs = nullptr;
    X.Record.ExceptionRecord = nullptr;
    X.Record.ExceptionAddress = (void *)(uintptr_t)0x10000100;
    std::vector<std::string> const Lines = tstLines(tstReport(X.In));
    EXPECT_TRUE(
        tstHasLine(Lines, "Xcpt PC : " + tstPtr(0x10000100) + " - 00000100 into module at " + tstPtr(0x10000000)));
}

TEST(XcptReport, ModuleListLimitEndsTheReport) {
    const struct {
        int iLine;
        uint32_t cEntries;
        size_t cModuleLines;
        bool fScan;
    } aCases[] = {
        {__LINE__, 1024, 1024, true},
        {__LINE__, 1025, 1024, false},
        {__LINE__, 100000, 1024, false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TSTXCPT X;
        X.In.pRegs = nullptr;
        X.Modules.cEntries = c.cEntries;
        std::vector<std::string> const Lines = tstLines(tstReport(X.In));
        EXPECT_EQ(c.cModuleLines, tstCountLines(Lines, "%{8}*..%{8}*?  %{8}  *"));
        EXPECT_EQ(c.fScan, tstHasLine(Lines, "Potential code addresses on the stack:"));
        if (!c.fScan) {
            EXPECT_EQ(1025u, X.Modules.cCalls); // no entry read past the limit
        }
    }
}

TEST(XcptReport, ScanStopsBeforeThePartialWordAtTheEnd) {
    // The marker two bytes before the end of the stack: the dump ends there, and no whole word
    // is left for the scan to read.
    TSTXCPT X;
    X.In.pRegs = nullptr;
    X.In.uMarker = TST_STACK + sizeof(g_abTstStack) - 2;
    std::vector<std::string> const Lines = tstLines(tstReport(X.In));
    EXPECT_TRUE(tstHasLine(Lines, "Stack " + tstPtr(TST_STACK + sizeof(g_abTstStack) - 16) + ", dumping 0x10 bytes*"));
    EXPECT_TRUE(tstHasLine(Lines, "Potential code addresses on the stack:"));
    EXPECT_EQ(0u, tstCountLines(Lines, "%{8}*: %{8}* - *"));
}

} // namespace
