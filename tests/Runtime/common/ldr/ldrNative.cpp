// The loader's contract, the same in both builds: name and flag checks before any platform
// call, the system directory and its suffix rule, records, symbols and closing.
#include <qrt/err.h>
#include <qrt/ldr.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Runtime/common/ldr/ldr-test-util.h"
#include "Runtime/r3/testplatform.h"
#include "common/ldr/ldr-internal.h"

namespace {

class LdrNative : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tstLdrSetUp()); }
};

TEST_F(LdrNative, SystemNamesRefusedBeforeAnyLoad) {
    std::string const Long(3075, 'a');
    std::string const LongestAccepted(3074, 'a'); // no such file: refused later, for that
    const struct {
        int iLine;
        const char *pszName;
        uint32_t fFlags;
        int rc;
    } aCases[] = {
        {__LINE__, "sub\\name.dll", 0, QERR_INVALID_PARAMETER},
        {__LINE__, "sub/name.dll", 0, QERR_INVALID_PARAMETER},
        {__LINE__, "C:name.dll", 0, QERR_INVALID_PARAMETER},
        {__LINE__, "..\\name.dll", 0, QERR_INVALID_PARAMETER},
        {__LINE__, nullptr, 0, QERR_INVALID_PARAMETER},
        {__LINE__, Long.c_str(), 0, QERR_INVALID_PARAMETER},
        {__LINE__, LongestAccepted.c_str(), 0, QERR_MODULE_NOT_FOUND},
        {__LINE__, "USER32.DLL", 0x10, QERR_INVALID_FLAGS},
        {__LINE__, "USER32.DLL", 0x800, QERR_INVALID_FLAGS},
        {__LINE__, "USER32.DLL", 0xFF0, QERR_INVALID_FLAGS},
        // Not a system-load bit, but not one RTLdrLoadEx takes either.
        {__LINE__, "USER32.DLL", 0x1000, QERR_INVALID_PARAMETER},
        {__LINE__, "USER32.DLL", RTLDRLOAD_FLAGS_LOCAL, QERR_INVALID_FLAGS},
        {__LINE__, "QrtNoSuchLibrary.dll", 0, QERR_MODULE_NOT_FOUND},
        {__LINE__, "QrtNoSuchLibrary", 0, QERR_MODULE_NOT_FOUND},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTLDRMOD hLdrMod = (RTLDRMOD)(uintptr_t)0x12345678;
        EXPECT_EQ(c.rc, RTLdrLoadSystemEx(c.pszName, c.fFlags, &hLdrMod));
        EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    }
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTLdrLoadSystemEx("USER32.DLL", 0, nullptr));
}

TEST_F(LdrNative, SystemLoadAddsTheSuffixOnlyToANameWithout) {
    const struct {
        int iLine;
        const char *pszName;
        const char *pszFile; // what must then be loaded
    } aCases[] = {
        {__LINE__, "USER32.DLL", "USER32.DLL"},
        {__LINE__, "USER32", "USER32.DLL"},
        {__LINE__, "MSI.DLL", "MSI.DLL"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        ASSERT_EQ(QINF_SUCCESS, RTLdrLoadSystem(c.pszName, true, &hLdrMod));
        EXPECT_NE(RTLDR_NIL_NATIVE_HANDLE, RTLdrGetNativeHandle(hLdrMod));
        EXPECT_TRUE(tstLdrIsLoaded(tstLdrSystemPath(c.pszFile)));
        EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));
    }
}

TEST_F(LdrNative, SymbolsResolveOrReportNotFound) {
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(QINF_SUCCESS, RTLdrLoadSystem("USER32.DLL", true, &hLdrMod));
    void *pv = nullptr;
    EXPECT_EQ(QINF_SUCCESS, RTLdrGetSymbol(hLdrMod, "GetDesktopWindow", &pv));
    EXPECT_NE(nullptr, pv);
    EXPECT_EQ(pv, RTLdrGetSystemSymbol("USER32.DLL", "GetDesktopWindow"));

    pv = (void *)&hLdrMod;
    EXPECT_EQ(QERR_SYMBOL_NOT_FOUND, RTLdrGetSymbol(hLdrMod, "QrtNoSuchExport", &pv));
    EXPECT_EQ(nullptr, pv);
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTLdrGetSymbol(hLdrMod, nullptr, &pv));
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTLdrGetSymbol(hLdrMod, "GetDesktopWindow", nullptr));
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));

    EXPECT_EQ(nullptr, RTLdrGetSystemSymbol("USER32.DLL", "QrtNoSuchExport"));
    EXPECT_EQ(nullptr, RTLdrGetSystemSymbol("QrtNoSuchLibrary.dll", "GetDesktopWindow"));
}

TEST_F(LdrNative, CloseUnloadsUnlessToldNotTo) {
    std::string const Unloadable = tstLdrSystemPath(tstLdrUnloadableName());
    std::string const Keepable = tstLdrSystemPath(tstLdrKeepableName());
    ASSERT_FALSE(tstLdrIsLoaded(Unloadable));
    ASSERT_FALSE(tstLdrIsLoaded(Keepable));

    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(QINF_SUCCESS, RTLdrLoadSystem(tstLdrUnloadableName(), false, &hLdrMod));
    EXPECT_TRUE(tstLdrIsLoaded(Unloadable));
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));
    EXPECT_FALSE(tstLdrIsLoaded(Unloadable));

    ASSERT_EQ(QINF_SUCCESS, RTLdrLoadSystem(tstLdrKeepableName(), true, &hLdrMod));
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));
    EXPECT_TRUE(tstLdrIsLoaded(Keepable));
}

TEST_F(LdrNative, LoadByPathChecksFlagsAndRoot) {
    std::string const User32 = tstLdrSystemPath("USER32.DLL");
    const struct {
        int iLine;
        const char *pszPath;
        uint32_t fFlags;
        int rc;
    } aCases[] = {
        {__LINE__, "USER32.DLL", 0, QERR_INTERNAL_ERROR_2},
        {__LINE__, "sub/USER32.DLL", 0, QERR_INTERNAL_ERROR_2},
        {__LINE__, User32.c_str(), 0x10, QERR_INVALID_PARAMETER},
        {__LINE__, User32.c_str(), RTLDRLOAD_FLAGS_LOCAL, QERR_INVALID_FLAGS},
        {__LINE__, User32.c_str(), RTLDRLOAD_FLAGS_NO_UNLOAD, QINF_SUCCESS},
        {__LINE__, User32.c_str(), RTLDRLOAD_FLAGS_NO_UNLOAD | RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR, QINF_SUCCESS},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTLDRMOD hLdrMod = (RTLDRMOD)(uintptr_t)0x12345678;
        EXPECT_EQ(c.rc, RTLdrLoadEx(c.pszPath, &hLdrMod, c.fFlags, nullptr));
        if (c.rc == QINF_SUCCESS)
            EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));
        else
            EXPECT_EQ(NIL_RTLDRMOD, hLdrMod);
    }
    RTLDRMOD hLdrMod;
    EXPECT_EQ(QERR_INVALID_POINTER, RTLdrLoadEx(nullptr, &hLdrMod, 0, nullptr));
    EXPECT_EQ(QERR_INVALID_POINTER, RTLdrLoadEx(User32.c_str(), nullptr, 0, nullptr));
}

TEST_F(LdrNative, ErrorInfoTellsWhyALoadFailed) {
    char szMsg[128];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    EXPECT_FALSE(RTErrInfoIsSet(&ErrInfo));
    std::string const Missing = tstLdrSystemPath("QrtNoSuchLibrary.dll");
    RTLDRMOD hLdrMod;
    int rc = RTLdrLoadEx(Missing.c_str(), &hLdrMod, 0, &ErrInfo);
    EXPECT_TRUE(RT_FAILURE(rc));
    EXPECT_TRUE(RTErrInfoIsSet(&ErrInfo));
    EXPECT_EQ(rc, ErrInfo.rc);
    EXPECT_NE('\0', szMsg[0]);
    // A later success clears it.
    std::string const User32 = tstLdrSystemPath("USER32.DLL");
    ASSERT_EQ(QINF_SUCCESS, RTLdrLoadEx(User32.c_str(), &hLdrMod, RTLDRLOAD_FLAGS_NO_UNLOAD, &ErrInfo));
    EXPECT_FALSE(RTErrInfoIsSet(&ErrInfo));
    EXPECT_EQ(0, ErrInfo.rc);
    EXPECT_STREQ("", szMsg);
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(hLdrMod));
}

// Records that are not open loader records, made in place (never a freed one).
TEST_F(LdrNative, OnlyOpenLoaderRecordsAreAccepted) {
    static const RTLDROPS s_OtherOps = {"other", nullptr, nullptr};
    const struct {
        int iLine;
        uint32_t u32Magic;
        const RTLDROPS *pOps;
    } aCases[] = {
        {__LINE__, RTLDRMOD_MAGIC + 1, &g_rtldrNativeOps}, // closed
        {__LINE__, 0, &g_rtldrNativeOps},
        // The random generators share the magic value; their operations tell them apart.
        {__LINE__, RTLDRMOD_MAGIC, &s_OtherOps},
        {__LINE__, RTLDRMOD_MAGIC, nullptr},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        RTLDRMODINTERNAL Rec;
        memset(&Rec, 0, sizeof(Rec));
        Rec.u32Magic = c.u32Magic;
        Rec.eState = RTLDRMODSTATE_OPEN;
        Rec.pOps = c.pOps;
        Rec.hNative = 0x4000;
        void *pv = &Rec;
        EXPECT_EQ(QERR_INVALID_HANDLE, RTLdrGetSymbol(&Rec, "x", &pv));
        EXPECT_EQ(QERR_INVALID_HANDLE, RTLdrClose(&Rec));
        EXPECT_EQ(RTLDR_NIL_NATIVE_HANDLE, RTLdrGetNativeHandle(&Rec));
        EXPECT_EQ(c.u32Magic, Rec.u32Magic); // untouched
    }
    EXPECT_EQ(QINF_SUCCESS, RTLdrClose(NIL_RTLDRMOD));
    EXPECT_EQ(RTLDR_NIL_NATIVE_HANDLE, RTLdrGetNativeHandle(NIL_RTLDRMOD));
    EXPECT_EQ(QERR_INVALID_HANDLE, RTLdrClose((RTLDRMOD)(uintptr_t)0x10));
    EXPECT_EQ(RTLDR_NIL_NATIVE_HANDLE, RTLdrGetNativeHandle((RTLDRMOD)(uintptr_t)-8));
}

TEST(LdrRedirect, AnswerMustShareDriveAndTopDirectory) {
    const struct {
        int iLine;
        const char16_t *pwszAnswer;
        const char16_t *pwszSystemDir;
        bool fMatch;
    } aCases[] = {
        {__LINE__, u"C:\\windows\\system32\\msi.dll", u"C:\\windows\\system32", true},
        {__LINE__, u"c:/WINDOWS/System32/msi.dll", u"C:\\windows\\system32", true},
        // The side-by-side store lies under the same top-level directory.
        {__LINE__, u"C:\\windows\\winsxs\\x86_comctl32\\comctl32.dll", u"C:\\windows\\system32", true},
        // Separators at the same places further on do not count once the paths differ.
        {__LINE__, u"C:\\abcdefg\\x", u"C:\\windows\\system32", false},
        {__LINE__, u"C:\\windowsX\\system32\\msi.dll", u"C:\\windows\\system32", false},
        {__LINE__, u"D:\\windows\\system32\\msi.dll", u"C:\\windows\\system32", false},
        {__LINE__, u"C:\\windows", u"C:\\windows\\system32", false},
        {__LINE__, u"C:\\Program Files\\app\\msi.dll", u"C:\\windows\\system32", false},
        // Non-ASCII letters must match exactly.
        {__LINE__, u"C:\\W\u00cdN\\x\\y.dll", u"C:\\w\u00edn\\x", false},
        {__LINE__, u"C:\\w\u00edn\\x\\y.dll", u"C:\\w\u00edn\\x", true},
        {__LINE__, u"", u"C:\\windows\\system32", false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        size_t const cwc = std::char_traits<char16_t>::length(c.pwszAnswer);
        // The answer is counted, not terminated.
        std::u16string Answer(c.pwszAnswer, cwc);
        Answer.push_back(u'\\');
        EXPECT_EQ(c.fMatch,
                  rtldrRedirectMatchesSystemDir((const RTUTF16 *)Answer.data(), cwc, (const RTUTF16 *)c.pwszSystemDir));
    }
}

TEST(PathStartsWithRoot, SeparatorOrDrive) {
    const struct {
        int iLine;
        const char *pszPath;
        bool fRoot;
    } aCases[] = {
        {__LINE__, "C:\\dir\\name", true},
        {__LINE__, "c:name.dll", true},
        {__LINE__, "Z:", true},
        {__LINE__, "\\name.dll", true},
        {__LINE__, "/usr/lib/x.DLL", true},
        {__LINE__, "\\\\srv\\share\\x", true},
        {__LINE__, "//srv", true},
        {__LINE__, "name.dll", false},
        {__LINE__, "..\\name.dll", false},
        {__LINE__, "1:x", false},
        {__LINE__, ":x", false},
        {__LINE__, "", false},
        {__LINE__, nullptr, false},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        EXPECT_EQ(c.fRoot, RTPathStartsWithRoot(c.pszPath));
    }
}

// The loader refuses to run before initialisation configured it.
static void loadBeforeInit(bool fSystem) {
    RTLDRMOD hLdrMod;
    if (fSystem)
        RTLdrLoadSystem("USER32.DLL", true, &hLdrMod);
    else
        RTLdrLoadEx("/x/USER32.DLL", &hLdrMod, 0, nullptr);
    exit(0);
}

TEST(LdrBeforeInit, StopsAtABreakpoint) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(loadBeforeInit(true), TestExitedThroughBreakpoint,
                "rtldrNativeLoadSystem\\(USER32.DLL,,\\) is called before QURT has configured the windows loader!");
    EXPECT_EXIT(loadBeforeInit(false), TestExitedThroughBreakpoint,
                "rtldrNativeLoad\\(/x/USER32.DLL,,\\) is called before QURT has configured the windows loader!");
}

} // namespace
