// The default logger as a process sees it: created on first use from the real "QUIL_LOG"
// variables, each case in a fresh child process in a directory of its own with every other
// "QUIL_LOG" variable cleared. The child reports what it found on standard error.
#include <qrt/assert.h>
#include <qrt/init.h>
#include <qrt/log.h>
#include <qrt/system.h>
#include <qrt/thread.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Runtime/r3/testplatform.h"
#include "common/log/log-internal.h"
#include "log-test-util.h"

namespace {

// In the child: a directory of its own as the current one, the work, then the directory's
// files and their contents on standard error.
void tstLogChild(void (*pfnWork)()) {
    int cArgs = 0;
    char **papszArgs = nullptr;
    if (RT_FAILURE(RTR3InitExe(&cArgs, &papszArgs, 0))) _exit(99);
    std::filesystem::path const Dir = TestTempFileName("logchild");
    std::filesystem::create_directories(Dir);
    std::filesystem::current_path(Dir);
    fprintf(stderr, "DIR=%s\nPID=%u\nTID=%08x\n", Dir.string().c_str(), (unsigned)RTProcSelf(),
            (unsigned)RTThreadNativeSelf());
    fprintf(stderr, "<<<\n");
    fflush(stderr);
    pfnWork();
    RTLogFlush(nullptr);
    fprintf(stderr, ">>>\n");
    for (const auto &Entry : std::filesystem::directory_iterator(".")) {
        std::ifstream In(Entry.path(), std::ios::binary);
        std::stringstream Content;
        Content << In.rdbuf();
        fprintf(stderr, "FILE=%s\nCONTENT<<<\n%s>>>CONTENT\n", Entry.path().filename().string().c_str(),
                Content.str().c_str());
    }
    fflush(stderr);
    exit(0);
}

// The child's standard error, parsed.
struct TSTLOGCHILD {
    std::string Err;
    std::vector<std::string> Lines;
    std::vector<std::string> Logged; // the lines between the markers
    std::vector<std::string> Files;
    std::vector<std::string> Contents;

    void parse(const std::string &ErrIn) {
        Err = ErrIn;
        for (size_t off; (off = Err.find("\r\n")) != std::string::npos;) Err.erase(off, 1);
        std::istringstream In(Err);
        int iState = 0;
        for (std::string Line; std::getline(In, Line);) {
            Lines.push_back(Line);
            if (Line == "<<<")
                iState = 1;
            else if (Line == ">>>")
                iState = 2;
            else if (iState == 1)
                Logged.push_back(Line);
            else if (Line.compare(0, 5, "FILE=") == 0)
                Files.push_back(Line.substr(5));
        }
        for (size_t off = 0; (off = Err.find("CONTENT<<<\n", off)) != std::string::npos;) {
            size_t const offEnd = Err.find(">>>CONTENT", off);
            Contents.push_back(Err.substr(off + 11, offEnd - off - 11));
            off = offEnd;
        }
    }
    std::string value(const char *pszKey) const {
        for (const std::string &Line : Lines)
            if (Line.compare(0, strlen(pszKey), pszKey) == 0) return Line.substr(strlen(pszKey));
        return std::string();
    }
    ~TSTLOGCHILD() {
        std::string const Dir = value("DIR=");
        std::error_code Ec;
        if (!Dir.empty()) std::filesystem::remove_all(Dir, Ec);
    }
};

std::string g_TstLogChildErr;

class LogDefault : public testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        setVars(nullptr, nullptr, nullptr, nullptr);
    }
    void TearDown() override { setVars(nullptr, "nofile", nullptr, nullptr); }
    static void setVars(const char *pszGroups, const char *pszDest, const char *pszFlags, const char *pszMax) {
        TestSetEnv("QUIL_LOG", pszGroups);
        TestSetEnv("QUIL_LOG_DEST", pszDest);
        TestSetEnv("QUIL_LOG_FLAGS", pszFlags);
        TestSetEnv("QUIL_LOG_MAX_PER_GROUP", pszMax);
    }
};

#define TST_LOG_CHILD(pfnWork, Child)                                                                                  \
    do {                                                                                                               \
        EXPECT_EXIT(tstLogChild(pfnWork), testing::ExitedWithCode(0), tstKeepStderr(&g_TstLogChildErr));               \
        (Child).parse(g_TstLogChildErr);                                                                               \
    } while (0)

void tstWorkAssertion() {
    RTAssertMsg1("child expr", 42, "child.cpp", "childFunc");
    RTAssertMsg2("%s\n", "100% sure");
}

TEST_F(LogDefault, FirstReportCreatesTheFileWithTheHeader) {
    TSTLOGCHILD Child;
    TST_LOG_CHILD(tstWorkAssertion, Child);
    ASSERT_EQ(1u, Child.Files.size()) << Child.Err;
    std::string const Pid = Child.value("PID=");
    std::string const Name = Child.Files[0];
    std::string const Shape = std::string("####-##-##-##-##-##.0##-") + RTProcShortName() + "-" + Pid + ".log";
    EXPECT_TRUE(tstShape(Name, Shape.c_str())) << Name;

    std::string const &Content = Child.Contents[0];
    std::istringstream In(Content);
    std::vector<std::string> Lines;
    for (std::string Line; std::getline(In, Line);) Lines.push_back(Line);
    ASSERT_LE(9u, Lines.size()) << Content;
    EXPECT_TRUE(tstShape(Lines[0], "Log created: ####-##-##T##:##:##.#########Z")) << Lines[0];
    // The name and the header give the same moment: date and time, and the hundredths.
    EXPECT_EQ(Name.substr(0, 10) + "T" + Name.substr(11, 2) + ":" + Name.substr(14, 2) + ":" + Name.substr(17, 2),
              Lines[0].substr(13, 19));
    EXPECT_EQ(Name.substr(21, 2), Lines[0].substr(33, 2));
    char szPidLine[64];
    snprintf(szPidLine, sizeof(szPidLine), "Process ID:  %s (%#x)", Pid.c_str(), (unsigned)std::stoul(Pid));
    EXPECT_EQ(szPidLine, Lines[1]);
    snprintf(szPidLine, sizeof(szPidLine), "Parent PID:  %u (%#x)", (unsigned)RTProcSelf(), (unsigned)RTProcSelf());
    EXPECT_EQ(szPidLine, Lines[2]);
    EXPECT_EQ(std::string("Executable:  ") + RTProcExecutablePath(), Lines[3]);
    EXPECT_TRUE(tstShape(Lines[4], "Commandline: *qrt-tests*")) << Lines[4];
    // Then the report: both parts, the text of the second as it was formatted.
    EXPECT_NE(std::string::npos,
              Content.find("\n\n!!Assertion Failed!!\nExpression: child expr\nLocation  : child.cpp(42) childFunc\n"
                           "100% sure\n"))
        << Content;
}

void tstWorkPrintf() {
    RTLogPrintf("to stderr %d\n", 7);
}

TEST_F(LogDefault, NoFileOnlyStandardError) {
    setVars(nullptr, "nofile stderr", nullptr, nullptr);
    TSTLOGCHILD Child;
    TST_LOG_CHILD(tstWorkPrintf, Child);
    EXPECT_EQ(0u, Child.Files.size()) << Child.Err;
    ASSERT_LE(6u, Child.Logged.size()) << Child.Err;
    EXPECT_TRUE(tstShape(Child.Logged[0], "Log created: *"));
    EXPECT_EQ("to stderr 7", Child.Logged.back());
}

void tstWorkTwoLines() {
    RTLogPrintf("a\nb\n");
}

TEST_F(LogDefault, FlagsGivePrefixes) {
    const struct {
        int iLine;
        const char *pszFlags;
        const char *pszShape; // of every logged line; "TID" stands for the child's thread id
    } aCases[] = {
        {__LINE__, "time tid", "##:##:##.###### TID *"},
        {__LINE__, "time tid notime", "TID *"},
        {__LINE__, "time tid -time", "TID *"},
        {__LINE__, "time -time +time", "##:##:##.###### *"},
        {__LINE__, "thread", "main     *"},
        {__LINE__, "thread pid", "%{8} main     *"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        setVars(nullptr, "nofile stderr", c.pszFlags, nullptr);
        TSTLOGCHILD Child;
        TST_LOG_CHILD(tstWorkTwoLines, Child);
        std::string Shape = c.pszShape;
        if (Shape.find("TID") != std::string::npos) Shape.replace(Shape.find("TID"), 3, Child.value("TID="));
        // (No fatal assertion in a loop of death tests: the child reruns the earlier rows.)
        if (Child.Logged.size() < 7) {
            ADD_FAILURE() << Child.Err;
            continue;
        }
        for (const std::string &Line : Child.Logged) EXPECT_TRUE(tstShape(Line, Shape.c_str())) << Line;
        EXPECT_TRUE(tstShape(Child.Logged[Child.Logged.size() - 2], (Shape.substr(0, Shape.size() - 1) + "a").c_str()));
        EXPECT_TRUE(tstShape(Child.Logged.back(), (Shape.substr(0, Shape.size() - 1) + "b").c_str()));
    }
}

void tstWorkDestinations() {
    RTLogPrintf("still here\n");
    fprintf(stderr, "DEST=%#x\n", RTLogDefaultInstance() ? RTLogDefaultInstance()->fDestFlags : 0);
}

TEST_F(LogDefault, InvalidDestinationStillCreatesTheLogger) {
    // What came before the unknown keyword applies; what came after does not.
    setVars(nullptr, "nofile stderr bogus stdout", nullptr, nullptr);
    TSTLOGCHILD Child;
    TST_LOG_CHILD(tstWorkDestinations, Child);
    EXPECT_EQ(0u, Child.Files.size()) << Child.Err;
    ASSERT_LE(6u, Child.Logged.size()) << Child.Err;
    EXPECT_TRUE(tstShape(Child.Logged[0], "Log created: *"));
    EXPECT_EQ("still here", Child.Logged[5]);
    EXPECT_EQ("0x4", Child.value("DEST="));
}

unsigned tstDefaultGroup(const char *pszName) {
    const char *const *papszNames = rtlogDefaultGroupNames();
    for (unsigned i = 0; i < RTLOG_DEFAULT_GROUP_COUNT; i++)
        if (!strcmp(papszNames[i], pszName)) return i;
    return RTLOG_NO_GROUP;
}

void tstWorkGroups() {
    for (int i = 0; i < 4; i++) {
        RTLogLoggerEx(nullptr, RTLOGGRPFLAGS_LEVEL_1, tstDefaultGroup("DEV_DISK"), "disk %d\n", i);
        RTLogLoggerEx(nullptr, RTLOGGRPFLAGS_LEVEL_1, tstDefaultGroup("DEV_NET"), "net %d\n", i);
    }
}

TEST_F(LogDefault, GroupSettingsAndTheIgnoredLimit) {
    const struct {
        int iLine;
        const char *pszGroups;
        const char *pszMax;
        const char *pszExpect;
    } aCases[] = {
        {__LINE__, "dev_disk.e", nullptr, "disk 0|disk 1|disk 2|disk 3|"},
        {__LINE__, "dev*.e -dev_disk", nullptr, "net 0|net 1|net 2|net 3|"},
        {__LINE__, "", nullptr, ""},
        // The limit needs the restricting creation flag, which the default logger lacks.
        {__LINE__, "dev_disk.e.restrict", "2", "disk 0|disk 1|disk 2|disk 3|"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        setVars(c.pszGroups, "nofile stderr", nullptr, c.pszMax);
        TSTLOGCHILD Child;
        TST_LOG_CHILD(tstWorkGroups, Child);
        std::string Seen;
        for (size_t i = 5; i < Child.Logged.size(); i++) Seen += Child.Logged[i] + "|";
        EXPECT_EQ(c.pszExpect, Seen) << Child.Err;
    }
}

std::atomic<bool> g_fTstLogGo;
PRTLOGGER g_apTstLogSeen[4];
void tstLogRacer(void *pvUser) {
    while (!g_fTstLogGo.load()) {
    }
    g_apTstLogSeen[(uintptr_t)pvUser] = RTLogDefaultInstance();
}

void tstWorkRace() {
    TESTTHREAD *apThreads[4];
    for (uintptr_t i = 0; i < 4; i++) apThreads[i] = TestThreadStart(tstLogRacer, (void *)i);
    TestSleepMs(20);
    g_fTstLogGo = true;
    for (TESTTHREAD *pThread : apThreads) TestThreadJoin(pThread);
    bool fSame = g_apTstLogSeen[0] != nullptr;
    for (PRTLOGGER pLogger : g_apTstLogSeen) fSame = fSame && pLogger == g_apTstLogSeen[0];
    fprintf(stderr, "SAME=%d\n", fSame);
}

TEST_F(LogDefault, RacingFirstUsesCreateOneLogger) {
    setVars(nullptr, "nofile stderr", nullptr, nullptr);
    TSTLOGCHILD Child;
    TST_LOG_CHILD(tstWorkRace, Child);
    EXPECT_EQ("1", Child.value("SAME=")) << Child.Err;
    size_t cHeaders = 0;
    for (const std::string &Line : Child.Logged) cHeaders += tstShape(Line, "Log created: *");
    EXPECT_EQ(1u, cHeaders) << Child.Err;
}

void tstWorkFlushFirst() {
    RTLogFlush(nullptr);
    fprintf(stderr, "EXISTS=%d\n", rtlogDefaultInstanceIfExists() != nullptr);
}

TEST_F(LogDefault, FlushDoesNotCreateIt) {
    TSTLOGCHILD Child;
    TST_LOG_CHILD(tstWorkFlushFirst, Child);
    EXPECT_EQ("0", Child.value("EXISTS=")) << Child.Err;
    EXPECT_EQ(0u, Child.Files.size());
}

} // namespace
