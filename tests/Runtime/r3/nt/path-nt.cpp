// NT names and the native (Win32) form: prefixes, the thresholds between short and long forms,
// the 32767-unit limit, and that both forms name the same object.
#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/string.h>
#include <qrt/system.h>
#include <qrt/utf16.h>

#include "r3/nt/path-nt-internal.h"
#include "r3/win/path-win-internal.h"
#include "Runtime/r3/tst-platform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string tstUtf8(const wchar_t *pwc, size_t cwc) {
    char *psz = nullptr;
    if (RTUtf16ToUtf8Ex(reinterpret_cast<const RTUTF16 *>(pwc), cwc, &psz, 0, nullptr) != 0) return "<bad>";
    std::string str(psz);
    RTStrFree(psz);
    return str;
}

std::string tstNtName(const char *pszPath, int *prc) {
    UNICODE_STRING Nt;
    *prc = rtNtPathFromUtf8(&Nt, pszPath);
    if (RT_FAILURE(*prc)) {
        EXPECT_EQ(nullptr, Nt.Buffer);
        return std::string();
    }
    EXPECT_EQ(0, Nt.Buffer[Nt.Length / 2]); // terminated after the counted length
    std::string str = tstUtf8(Nt.Buffer, Nt.Length / 2);
    rtNtPathFree(&Nt);
    return str;
}

std::string tstNative(const char *pszPath, int *prc) {
    RTUTF16 *pwsz = nullptr;
    *prc = rtPathWinToNative(&pwsz, pszPath);
    if (RT_FAILURE(*prc)) {
        EXPECT_EQ(nullptr, pwsz);
        return std::string();
    }
    std::string str = tstUtf8(reinterpret_cast<wchar_t *>(pwsz), RTSTR_MAX);
    RTUtf16Free(pwsz);
    return str;
}

class PathNt : public testing::Test {
protected:
    void TearDown() override { tstPathRestoreCwd(); }
};

TEST_F(PathNt, PrefixesFollowTheAbsolutePath) {
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    struct {
        int iLine;
        const char *pszPath, *pszNt;
    } const s_aCases[] = {
        {__LINE__, "C:\\x", "\\??\\C:\\x"},
        {__LINE__, "c:\\work\\dir\\f.txt", "\\??\\c:\\work\\dir\\f.txt"},
        {__LINE__, "file", "\\??\\c:\\work\\dir\\file"},
        {__LINE__, "\\\\srv\\share\\x", "\\??\\UNC\\srv\\share\\x"},
        {__LINE__, "\\\\.\\PhysicalDrive0", "\\??\\PhysicalDrive0"},
        {__LINE__, "\\\\?\\C:\\a\\..\\b.", "\\??\\C:\\a\\..\\b."}, // long-path names stay verbatim
        {__LINE__, "\\\\:qurtnt:\\Device", "\\Device"},
        {__LINE__, "//:qurtnt:/Device\\Null", "/Device\\Null"},
        {__LINE__, "C:\\a\\..\\b\\.\\c", "\\??\\C:\\b\\c"},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        int rc;
        EXPECT_EQ(c.pszNt, tstNtName(c.pszPath, &rc));
        EXPECT_EQ(QINF_SUCCESS, rc);
    }
}

TEST_F(PathNt, RelativeUnderAUncDirectory) {
    // The prefix comes from the absolute path: '\??\UNC\...', never '\??\\\srv\...'.
    ASSERT_TRUE(tstPathSetCwd("\\\\qrtsrv\\share\\dir"));
    struct {
        int iLine;
        std::string strPath, strNt;
    } const s_aCases[] = {
        {__LINE__, "file", "\\??\\UNC\\qrtsrv\\share\\dir\\file"},
        {__LINE__, "\\x", "\\??\\UNC\\qrtsrv\\share\\x"},
        {__LINE__, std::string(300, 'L') + "\\f", "\\??\\UNC\\qrtsrv\\share\\dir\\" + std::string(300, 'L') + "\\f"},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        int rc;
        EXPECT_EQ(c.strNt, tstNtName(c.strPath.c_str(), &rc));
        EXPECT_EQ(QINF_SUCCESS, rc);
    }
    // The long native form of a long relative path is the UNC long form.
    int rc;
    std::string const strLong = std::string(300, 'L') + "\\f";
    EXPECT_EQ("\\\\?\\UNC\\qrtsrv\\share\\dir\\" + strLong, tstNative(strLong.c_str(), &rc));
    // And setting the parent as current directory works through it.
    EXPECT_EQ(QINF_SUCCESS, RTPathSetCurrent(".."));
    char ab[64];
    EXPECT_EQ(QINF_SUCCESS, RTPathGetCurrent(ab, sizeof(ab)));
    EXPECT_STREQ("\\\\qrtsrv\\share", ab);
}

TEST_F(PathNt, ShortAndLongThresholds) {
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir")); // 11 units, 12 with the terminator
    auto const Pad = [](const char *pszHead, size_t cch) {
        std::string str(pszHead);
        str += std::string(cch - str.size(), 'x');
        return str;
    };
    struct {
        int iLine;
        std::string strPath;
        bool fShort;
    } const s_aCases[] = {
        {__LINE__, Pad("C:\\", 243), true},
        {__LINE__, Pad("C:\\", 244), false},
        {__LINE__, Pad("\\", 241), true},
        {__LINE__, Pad("\\", 242), false},
        {__LINE__, Pad("\\\\srv\\share\\", 240), true},
        {__LINE__, Pad("\\\\srv\\share\\", 241), false},
        {__LINE__, Pad("\\\\?\\C:\\", 240), true},
        {__LINE__, Pad("\\\\?\\C:\\", 241), false},
        {__LINE__, Pad("\\\\\\", 241), true},
        {__LINE__, Pad("\\\\\\", 242), false},
        {__LINE__, Pad("", 242 - 12), true}, // relative: the directory's 12 count
        {__LINE__, Pad("", 242 - 11), false},
        {__LINE__, Pad("C:", 233), true},  // drive-relative, measured after expansion: 12 + 231 = 243
        {__LINE__, Pad("C:", 234), false}, // 12 + 232 = 244
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        RTUTF16 *pwsz = nullptr;
        ASSERT_EQ(QINF_SUCCESS, rtPathWinShortForm(&pwsz, c.strPath.c_str()));
        EXPECT_EQ(c.fShort, pwsz != nullptr);
        RTUtf16Free(pwsz);
        int rc;
        std::string const strNative = tstNative(c.strPath.c_str(), &rc);
        EXPECT_EQ(QINF_SUCCESS, rc);
        if (c.fShort && c.strPath[1] != ':') {
            EXPECT_EQ(c.strPath, strNative);
        }
        if (!c.fShort) {
            EXPECT_EQ("\\\\?\\", strNative.substr(0, 4));
        }
    }
}

TEST_F(PathNt, LongFormsResolveDots) {
    std::string strBody;
    while (strBody.size() < 300) strBody += "\\seg";
    int rc;
    EXPECT_EQ("\\\\?\\C:" + strBody + "\\x", tstNative(("C:" + strBody + "\\.\\y\\..\\x").c_str(), &rc));
    EXPECT_EQ("\\\\?\\UNC\\srv\\share" + strBody, tstNative(("\\\\srv\\share" + strBody).c_str(), &rc));
    EXPECT_EQ("", tstNative(("\\\\:qurtnt:\\Device" + strBody).c_str(), &rc)); // no native form
    EXPECT_EQ(QERR_FILENAME_TOO_LONG, rc);
}

TEST_F(PathNt, TheCountedLimit) {
    struct {
        int iLine;
        const char *pszHead;
        size_t cchTail;
        int rc;
    } const s_aCases[] = {
        {__LINE__, "\\\\?\\C:\\", 32766 - 7, QINF_SUCCESS}, // 32766 units
        {__LINE__, "\\\\?\\C:\\", 32767 - 7, QERR_FILENAME_TOO_LONG},
        {__LINE__, "C:\\", 32766 - 7, QINF_SUCCESS}, // '\??\' makes 32766
        {__LINE__, "C:\\", 32767 - 7, QERR_FILENAME_TOO_LONG},
        {__LINE__, "C:\\", 33000, QERR_FILENAME_TOO_LONG},
        {__LINE__, "\\\\:qurtnt:\\", 32766 - 1, QINF_SUCCESS},
        {__LINE__, "\\\\:qurtnt:\\", 32767 - 1, QERR_FILENAME_TOO_LONG},
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        std::string strPath = c.pszHead;
        for (size_t i = 0; i < c.cchTail; i++) strPath += (i % 200 == 199) ? '\\' : 'n';
        int rc;
        tstNtName(strPath.c_str(), &rc);
        EXPECT_EQ(c.rc, rc);
    }
}

typedef NTSTATUS(NTAPI *PFNQUERYFULL)(POBJECT_ATTRIBUTES, PVOID);

// Whether the NT name of pszPath names an existing object (by NtQueryFullAttributesFile).
ULONG tstNtAttributes(const char *pszPath, NTSTATUS *prcNt) {
    static PFNQUERYFULL s_pfn =
        (PFNQUERYFULL)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryFullAttributesFile");
    UNICODE_STRING Nt;
    *prcNt = -1;
    if (rtNtPathFromUtf8(&Nt, pszPath) != 0) return 0;
    OBJECT_ATTRIBUTES Oa;
    InitializeObjectAttributes(&Oa, &Nt, OBJ_CASE_INSENSITIVE, NULL, NULL);
    struct {
        LARGE_INTEGER aTimes[4];
        LARGE_INTEGER cbAlloc, cbEnd;
        ULONG fAttr;
    } Info = {};
    *prcNt = s_pfn(&Oa, &Info);
    rtNtPathFree(&Nt);
    return Info.fAttr;
}

TEST_F(PathNt, ShortFormAndNtFormNameTheSameObject) {
    std::string const strBase = "C:\\qrt-nt-" + std::to_string(RTProcSelf());
    ASSERT_TRUE(tstPathSetCwd(strBase.c_str()));
    struct {
        int iLine;
        std::string strCreate; // as the caller wrote it
        const char *pszOnDisk; // what Win32 made of it, under strBase
    } const s_aCases[] = {
        {__LINE__, strBase + "\\t1.", "t1"},
        {__LINE__, strBase + "\\t2 ", "t2"},
        {__LINE__, strBase + "\\t3. . ", "t3"},
        {__LINE__, "//?/" + strBase.substr(0, 2) + "/" + strBase.substr(3) + "/t4", "t4"},
        {__LINE__, "t5.", "t5"}, // relative
    };
    for (auto const &c : s_aCases) {
        SCOPED_TRACE(c.iLine);
        RTUTF16 *pwsz = nullptr;
        ASSERT_EQ(QINF_SUCCESS, rtPathWinToNative(&pwsz, c.strCreate.c_str()));
        ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<LPCWSTR>(pwsz), nullptr)) << GetLastError();
        RTUtf16Free(pwsz);
        NTSTATUS rcNt;
        ULONG const fAttr = tstNtAttributes(c.strCreate.c_str(), &rcNt);
        EXPECT_EQ(0, rcNt);
        EXPECT_TRUE(fAttr & FILE_ATTRIBUTE_DIRECTORY);
        std::string const strOnDisk = strBase + "\\" + c.pszOnDisk;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(strOnDisk.c_str()));
        RemoveDirectoryA(strOnDisk.c_str());
    }
    // A reserved device name: Win32 opens the device, and so does the NT name.
    int rc;
    EXPECT_EQ("\\??\\NUL", tstNtName((strBase + "\\NUL.msi").c_str(), &rc));
    EXPECT_STRCASEEQ("\\??\\COM1", tstNtName("com1.log", &rc).c_str());
    tstPathRestoreCwd();
    RemoveDirectoryA(strBase.c_str());
}

TEST_F(PathNt, OpenFilesAndObjectDirectories) {
    HANDLE h = nullptr;
    bool fObjDir = true;
    ASSERT_TRUE(tstPathSetCwd("c:\\work\\dir"));
    EXPECT_EQ(QINF_SUCCESS, rtNtPathOpen("c:\\work", FILE_LIST_DIRECTORY | SYNCHRONIZE, 7, 0x4021, OBJ_CASE_INSENSITIVE,
                                         &h, &fObjDir));
    EXPECT_FALSE(fObjDir);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    NtClose(h);

    EXPECT_EQ(QINF_SUCCESS, rtNtPathOpen("\\\\:qurtnt:\\Device", FILE_READ_ATTRIBUTES | SYNCHRONIZE, 7, 0x4020,
                                         OBJ_CASE_INSENSITIVE, &h, &fObjDir));
    EXPECT_TRUE(fObjDir);
    NtClose(h);

    // Without asking for object directories the same name is not a file.
    EXPECT_NE(QINF_SUCCESS, rtNtPathOpen("\\\\:qurtnt:\\Device", FILE_READ_ATTRIBUTES | SYNCHRONIZE, 7, 0x4020,
                                         OBJ_CASE_INSENSITIVE, &h, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(QERR_FILE_NOT_FOUND, rtNtPathOpen("c:\\work\\no-such-file", FILE_READ_ATTRIBUTES | SYNCHRONIZE, 7, 0x4020,
                                                OBJ_CASE_INSENSITIVE, &h, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
}

} // namespace

namespace {

struct ObjNsCase {
    int iLine;
    const wchar_t *pwszName;
    int rc;
    uint32_t fMode;
};

// clang-format off
const ObjNsCase g_aObjNs[] = {
    {__LINE__, L"\\",              QINF_SUCCESS,        RTNT_OBJNS_MODE_DIRECTORY},
    {__LINE__, L"\\Device",        QINF_SUCCESS,        RTNT_OBJNS_MODE_DIRECTORY},
    {__LINE__, L"\\Device\\",      QINF_SUCCESS,        RTNT_OBJNS_MODE_DIRECTORY},
    {__LINE__, L"\\??",            QINF_SUCCESS,        RTNT_OBJNS_MODE_DIRECTORY},
    {__LINE__, L"\\DosDevices",    QINF_SUCCESS,        RTNT_OBJNS_MODE_SYMLINK},
    {__LINE__, L"\\Device\\Null",  QINF_SUCCESS,        RTNT_OBJNS_MODE_DEVICE},
    {__LINE__, L"\\device",        QERR_FILE_NOT_FOUND, 0}, // names match exactly
    {__LINE__, L"\\NoSuchQrtEntry", QERR_FILE_NOT_FOUND, 0},
};
// clang-format on

TEST(PathNtObjNamespace, LooksUpOneEntryAtATime) {
    // Wine lists object directories one entry at a time only; the lookup falls back to that.
    for (const ObjNsCase &c : g_aObjNs) {
        SCOPED_TRACE(c.iLine);
        UNICODE_STRING Name;
        RtlInitUnicodeString(&Name, c.pwszName);
        uint32_t fMode = 77;
        EXPECT_EQ(c.rc, rtNtPathObjNamespaceLookup(&Name, &fMode));
        EXPECT_EQ(c.fMode, fMode);
    }
    UNICODE_STRING Name;
    RtlInitUnicodeString(&Name, L"\\NoSuchQrtDir\\x");
    uint32_t fMode;
    EXPECT_NE(QINF_SUCCESS, rtNtPathObjNamespaceLookup(&Name, &fMode));
}

// The value of a fresh handle: the process's handle table hands out freed slots again, so
// it only grows when handles are left open.
uintptr_t tstNextHandleValue() {
    HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(h);
    return reinterpret_cast<uintptr_t>(h);
}

TEST(PathNtObjNamespace, ClosesEveryHandle) {
    // (Wine's GetProcessHandleCount always answers 0, so handle values are compared instead.)
    uintptr_t const uBefore = tstNextHandleValue();
    for (int i = 0; i < 200; i++)
        for (const ObjNsCase &c : g_aObjNs) {
            UNICODE_STRING Name;
            RtlInitUnicodeString(&Name, c.pwszName);
            uint32_t fMode;
            rtNtPathObjNamespaceLookup(&Name, &fMode);
        }
    uintptr_t const uAfter = tstNextHandleValue();
    EXPECT_LE(uAfter, uBefore + 16 * sizeof(HANDLE));

    // The measure sees leaks: 100 handles held open move the next value well past the first.
    HANDLE ah[100];
    for (HANDLE &h : ah) h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_GT(tstNextHandleValue(), uBefore + 16 * sizeof(HANDLE));
    for (HANDLE h : ah) CloseHandle(h);
}

} // namespace
