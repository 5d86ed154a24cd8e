// The ".custom" copy through a fake shell copy in the SHELL32.DLL slot and a fake executable
// directory: what the shell is asked, what is recorded, each failure's message, what is left
// on disk, and the copy's removal by the purge, links inside removed and never followed.
#include "QuilStub.h"
#include "QuilStubCleanup.h"
#include "QuilStubCustom.h"
#include "QuilStubCustom-internal.h"
#include "QuilStubLazy.h"
#include "QuilStubMsi-internal.h"
#include "QuilStubSettings.h"

#include <qrt/err.h>
#include <qrt/path.h>
#include <qrt/mem.h>
#include <qrt/string.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "Installer/win/Stub/stub-file-faults.h"
#include "Installer/win/Stub/stub-stage-fakes.h"
#include "Installer/win/Stub/stub-test-util.h"
#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/tst-platform.h"

namespace fs = std::filesystem;

namespace {

using namespace stubtest;

// The executable's directory the copy is told; the shell's answer and what it was asked.
std::string g_ExecDir;
int g_iShellResult;
bool g_fShellCopies;   // the fake copies the tree as the shell would
bool g_fFailNextAlloc; // the first allocation after the copy fails
std::string g_ShellCalls;

int fakeExecDir(char *pszPath, size_t cbPath) {
    return RTStrCopy(pszPath, cbPath, g_ExecDir.c_str());
}

// The host's separator; paths the runtime builds may use the other one.
char g_chSep;
std::string hostPath(std::string Path) {
    for (char &ch : Path)
        if (ch == '\\' || ch == '/') ch = g_chSep;
    return Path;
}

// One entry of a double NUL-terminated list, or "<bad list>" when the second NUL is missing.
std::string listEntry(const RTUTF16 *pwsz) {
    std::string const Entry = StubNarrow(pwsz);
    return pwsz[Entry.size() + 1] == 0 ? Entry : "<bad list>";
}

// As the shell copies: into an existing directory too, same-named files overwritten.
void copyTree(const fs::path &From, const fs::path &To) {
    std::error_code Ec;
    fs::create_directories(To, Ec);
    for (const auto &Entry : fs::directory_iterator(From, Ec)) {
        if (Entry.is_directory())
            copyTree(Entry.path(), To / Entry.path().filename());
        else
            fs::copy_file(Entry.path(), To / Entry.path().filename(), fs::copy_options::overwrite_existing, Ec);
    }
}

int RTLAZY_WINAPI fakeShFileOp(struct _SHFILEOPSTRUCTW *pRequest) {
    const StubShFileOp *pOp = reinterpret_cast<const StubShFileOp *>(pRequest);
    char sz[64];
    snprintf(sz, sizeof(sz), "copy(%u,%#x%s%s%s%s)", (unsigned)pOp->wFunc, (unsigned)pOp->fFlags,
             pOp->hwnd ? ",hwnd" : "", pOp->fAnyOperationsAborted ? ",aborted" : "",
             pOp->hNameMappings ? ",mappings" : "", pOp->lpszProgressTitle ? ",title" : "");
    std::string const From = hostPath(listEntry(pOp->pFrom)), To = hostPath(listEntry(pOp->pTo));
    g_ShellCalls += std::string(sz) + "[" + From + "]->[" + To + "] ";
    if (g_fShellCopies) copyTree(From, fs::path(To) / ".custom");
    if (g_fFailNextAlloc) RTMemTestFailAfter(1);
    return g_iShellResult;
}

// The names below Dir, sorted, directories with a trailing '/'.
std::string tree(const std::string &Dir) {
    std::map<std::string, bool> Names;
    std::error_code Ec;
    for (auto It = fs::recursive_directory_iterator(Dir, Ec); !Ec && It != fs::recursive_directory_iterator();
         It.increment(Ec))
        Names[fs::relative(It->path(), Dir).generic_string()] = It->is_directory();
    std::string Out;
    for (const auto &[Name, fDir] : Names) Out += Name + (fDir ? "/ " : " ");
    return Out;
}

class StubCustom : public testing::Test {
protected:
    void SetUp() override {
        m_SavedShell = g_QuilStubLazyShell32;
        m_SavedCalls = g_StubCustomCalls;
        g_QuilStubLazyShell32.pfnSHFileOperationW = fakeShFileOp;
        g_StubCustomCalls.pfnExecDir = fakeExecDir;
        g_chSep = (m_Scratch / "").back();
        g_ExecDir = m_Scratch / "bin";
        m_Dest = m_Scratch / "extract";
        ASSERT_TRUE(tstMakeDir(g_ExecDir));
        ASSERT_TRUE(tstMakeDir(m_Dest));
        g_iShellResult = 0;
        g_fShellCopies = true;
        g_fFailNextAlloc = false;
        g_ShellCalls.clear();
        CleanupListInit();
    }
    void TearDown() override {
        g_QuilStubLazyShell32 = m_SavedShell;
        g_StubCustomCalls = m_SavedCalls;
        RTMemTestFailAfter(0);
        FreeCleanupRecords();
    }
    // A source tree with a subdirectory, an empty one and a hidden file.
    void makeSource() {
        std::string const Src = g_ExecDir + "/.custom";
        ASSERT_TRUE(tstMakeDir(Src));
        ASSERT_TRUE(tstMakeDir(Src + "/sub"));
        ASSERT_TRUE(tstMakeDir(Src + "/sub/empty"));
        ASSERT_TRUE(tstFileWriteAll(Src + "/site.ini", "a=1"));
        ASSERT_TRUE(tstFileWriteAll(Src + "/sub/.hidden", "h"));
    }
    TstScratchDir m_Scratch;
    std::string m_Dest;
    QUILSTUBLAZYSHELL32 m_SavedShell;
    StubCustomCalls m_SavedCalls;
};

TEST_F(StubCustom, NothingToCopy) {
    // No ".custom", or a file of that name: nothing copied, nothing recorded, 0.
    const struct {
        int iLine;
        bool fFile;
    } aCases[] = {{__LINE__, false}, {__LINE__, true}};
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        if (c.fFile) {
            ASSERT_TRUE(tstFileWriteAll(g_ExecDir + "/.custom", "not a directory"));
        }
        StubCapture Capture;
        silentMode = true;
        EXPECT_EQ(0, CopyCustomDirectory(m_Dest.c_str()));
        EXPECT_EQ("", g_ShellCalls);
        EXPECT_EQ(nullptr, CleanupRecordFirst());
        EXPECT_EQ("", tree(m_Dest));
        EXPECT_EQ("", Capture.Err());
    }
}

TEST_F(StubCustom, CopyAndPurge) {
    makeSource();
    StubCapture Capture;
    silentMode = true;
    EXPECT_EQ(0, CopyCustomDirectory(m_Dest.c_str()));
    std::string const Source = g_ExecDir + g_chSep + ".custom";
    EXPECT_EQ("copy(2,0x614)[" + Source + "]->[" + m_Dest + "] ", g_ShellCalls);
    EXPECT_EQ(".custom/ .custom/site.ini .custom/sub/ .custom/sub/.hidden .custom/sub/empty/ ", tree(m_Dest));
    CleanupRecord *pRecord = CleanupRecordFirst();
    ASSERT_NE(nullptr, pRecord);
    EXPECT_EQ(m_Dest + g_chSep + ".custom", hostPath(pRecord->szPath));
    EXPECT_FALSE(pRecord->isFile);
    EXPECT_FALSE(pRecord->keepOnDisk);
    EXPECT_TRUE(pRecord->removeTree);
    EXPECT_TRUE(RTDirIsValid(pRecord->u.hDir));
    EXPECT_EQ("", Capture.Err());

    // The purge deletes the copy whole, at once.
    StubFileFaults Faults;
    PurgeCleanupRecords(NULL);
    EXPECT_EQ("", tree(m_Dest));
    EXPECT_TRUE(Faults.Sleeps().empty());
    EXPECT_EQ(nullptr, CleanupRecordFirst());
    EXPECT_EQ(".custom/ .custom/site.ini .custom/sub/ .custom/sub/.hidden .custom/sub/empty/ ", tree(g_ExecDir));
}

TEST_F(StubCustom, Failures) {
    const struct {
        int iLine;
        int iShellResult;
        bool fShellCopies;
        bool fPlantFile;  // a ".custom" file in the destination before the copy
        bool fFailRecord; // the record cannot be allocated
        int iResult;
        const char *pszErr;
        const char *pszLeft; // the destination after the purge
    } aCases[] = {
        {__LINE__, 0x4c7, false, false, false, 1, "P: error: Copying the '.custom' dir failed: 0x4c7\n", ""},
        // A partial copy is removed with the failure.
        {__LINE__, 0x4c7, true, false, false, 1, "P: error: Copying the '.custom' dir failed: 0x4c7\n", ""},
        // The shell copies nothing over a file and says it worked: the open fails; the
        // file, the user's, stays.
        {__LINE__, 0, false, true, false, 1,
         "P: error: Unable to open the destination .custom directory: QERR_NOT_A_DIRECTORY\n", ".custom "},
        {__LINE__, 0, true, false, true, 1, "P: error: Out of memory!\n", ""},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Scratch;
        g_ExecDir = Scratch / "bin";
        m_Dest = Scratch / "extract";
        ASSERT_TRUE(tstMakeDir(g_ExecDir));
        ASSERT_TRUE(tstMakeDir(m_Dest));
        makeSource();
        if (c.fPlantFile) {
            ASSERT_TRUE(tstFileWriteAll(m_Dest + "/.custom", "mine"));
        }
        g_iShellResult = c.iShellResult;
        g_fShellCopies = c.fShellCopies;
        g_fFailNextAlloc = c.fFailRecord;
        StubCapture Capture;
        silentMode = true;
        EXPECT_EQ(c.iResult, CopyCustomDirectory(m_Dest.c_str()));
        RTMemTestFailAfter(0);
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        StubFileFaults Faults;
        PurgeCleanupRecords(NULL);
        EXPECT_EQ(c.pszLeft, tree(m_Dest));
        EXPECT_EQ(nullptr, CleanupRecordFirst());
        EXPECT_EQ(0, Faults.OpenHandles());
        std::string Planted;
        if (c.fPlantFile) {
            EXPECT_TRUE(tstFileReadAll(m_Dest + "/.custom", &Planted) && Planted == "mine");
        }
    }
}

TEST_F(StubCustom, ExistingDirectoryIsKept) {
    // Merged into a ".custom" the extraction directory already had: the user's, so it stays.
    makeSource();
    ASSERT_TRUE(tstMakeDir(m_Dest + "/.custom"));
    ASSERT_TRUE(tstFileWriteAll(m_Dest + "/.custom/own.txt", "own"));
    StubFileFaults Faults;
    EXPECT_EQ(0, CopyCustomDirectory(m_Dest.c_str()));
    CleanupRecord *pRecord = CleanupRecordFirst();
    ASSERT_NE(nullptr, pRecord);
    EXPECT_TRUE(pRecord->keepOnDisk);
    EXPECT_FALSE(pRecord->removeTree);
    PurgeCleanupRecords(NULL);
    EXPECT_EQ(".custom/ .custom/own.txt .custom/site.ini .custom/sub/ .custom/sub/.hidden .custom/sub/empty/ ",
              tree(m_Dest));
    EXPECT_EQ(0, Faults.OpenHandles());
}

TEST_F(StubCustom, EveryAllocationFailing) {
    // Each allocation failing in turn: a failure says so and leaves no unrecorded copy.
    makeSource();
    for (uint32_t iFail = 1; iFail <= 40; iFail++) {
        SCOPED_TRACE(iFail);
        StubCapture Capture;
        silentMode = true;
        RTMemTestFailAfter(iFail);
        int const iResult = CopyCustomDirectory(m_Dest.c_str());
        RTMemTestFailAfter(0);
        CleanupRecord *pRecord = CleanupRecordFirst();
        if (iResult == 0) {
            // Copied and recorded, or (the source's test failing) nothing copied.
            if (pRecord) {
                EXPECT_TRUE(pRecord->removeTree);
            } else {
                EXPECT_EQ("", tree(m_Dest));
            }
        } else {
            EXPECT_NE("", Capture.Err());
            if (!pRecord) {
                EXPECT_EQ("", tree(m_Dest));
            }
        }
        PurgeCleanupRecords(NULL);
        EXPECT_EQ("", tree(m_Dest));
        EXPECT_EQ(nullptr, CleanupRecordFirst());
    }
}

// The removal over a listing the test makes up: what is entered, deleted and removed.
struct FakeEntry {
    std::string Name;
    StubTreeKind enmKind;
};
std::map<std::string, std::vector<FakeEntry>> g_FakeTree;
std::string g_TreeCalls;
int g_rcDeleteFails; // a delete of a name containing "locked" fails with it

struct FakeEnum {
    std::vector<FakeEntry> Entries;
    size_t i;
};
int fakeEnumOpen(const char *pszDir, void **phEnum) {
    g_TreeCalls += std::string("list(") + pszDir + ") ";
    auto It = g_FakeTree.find(pszDir);
    if (It == g_FakeTree.end()) return QERR_PATH_NOT_FOUND;
    *phEnum = new FakeEnum{It->second, 0};
    return QINF_SUCCESS;
}
int fakeEnumNext(void *hEnum, char *pszPath, size_t cbPath, size_t offName, StubTreeKind *penmKind) {
    FakeEnum *pEnum = static_cast<FakeEnum *>(hEnum);
    if (pEnum->i >= pEnum->Entries.size()) return QERR_NO_MORE_FILES;
    const FakeEntry &Entry = pEnum->Entries[pEnum->i++];
    *penmKind = Entry.enmKind;
    return RTStrCopy(pszPath + offName, cbPath - offName, Entry.Name.c_str());
}
void fakeEnumClose(void *hEnum) {
    delete static_cast<FakeEnum *>(hEnum);
}
int fakeDeleteFile(const char *pszPath) {
    g_TreeCalls += std::string("del(") + pszPath + ") ";
    return strstr(pszPath, "locked") ? g_rcDeleteFails : QINF_SUCCESS;
}
int fakeRemoveDir(const char *pszPath) {
    g_TreeCalls += std::string("rmdir(") + pszPath + ") ";
    return QINF_SUCCESS;
}

TEST_F(StubCustom, RemovalNeverFollowsLinks) {
    std::string const Root = m_Scratch / "copy";
    ASSERT_TRUE(tstMakeDir(Root)); // the root itself is queried on the disk
    g_FakeTree = {
        {Root,
         {{"a.txt", kStubTreeFile}, {"junction", kStubTreeDirLink}, {"sub", kStubTreeDir}, {"l", kStubTreeFileLink}}},
        {Root + "/sub", {{"locked.txt", kStubTreeFile}, {"b", kStubTreeFile}}},
        // What the links point to would be listed here if they were followed.
        {Root + "/junction", {{"target-file", kStubTreeFile}}},
    };
    const struct {
        int iLine;
        int rcDelete;
        int rcExpect;
    } aCases[] = {
        {__LINE__, QINF_SUCCESS, QINF_SUCCESS},
        {__LINE__, QERR_FILE_NOT_FOUND, QINF_SUCCESS}, // gone already
        // A failure is returned; the rest is still done.
        {__LINE__, QERR_SHARING_VIOLATION, QERR_SHARING_VIOLATION},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        StubCustomCalls const Saved = g_StubCustomCalls;
        g_StubCustomCalls =
            StubCustomCalls{fakeExecDir, fakeEnumOpen, fakeEnumNext, fakeEnumClose, fakeDeleteFile, fakeRemoveDir};
        g_TreeCalls.clear();
        g_rcDeleteFails = c.rcDelete;
        EXPECT_EQ(c.rcExpect, RemoveCustomCopy(Root.c_str()));
        g_StubCustomCalls = Saved;
        std::string const R = Root;
        EXPECT_EQ("list(" + R + ") del(" + R + "/a.txt) rmdir(" + R + "/junction) list(" + R + "/sub) del(" + R +
                      "/sub/locked.txt) del(" + R + "/sub/b) rmdir(" + R + "/sub) del(" + R + "/l) rmdir(" + R + ") ",
                  g_TreeCalls);
    }
}

TEST_F(StubCustom, RemovalLeavesWhatIsNotADirectory) {
    // Gone, or a file: nothing to do and nothing done.
    std::string const File = m_Scratch / "file";
    ASSERT_TRUE(tstFileWriteAll(File, "x"));
    EXPECT_EQ(QINF_SUCCESS, RemoveCustomCopy(File.c_str()));
    EXPECT_TRUE(tstPathExists(File));
    EXPECT_EQ(QINF_SUCCESS, RemoveCustomCopy((m_Scratch / "missing").c_str()));
}

// Whole runs: the copy comes after the extraction and before the first installation, and a
// failing copy ends the stages. The fake installer lists the extraction directory it sees.
TEST_F(StubCustom, RunSequence) {
    const struct {
        int iLine;
        int iShellResult;
        bool fSource;
        int iExit;
        const char *pszAtInstall; // what the installer saw in the extraction directory
        const char *pszErr;
        bool fCertSteps; // CryptoAPI called: never after a failed copy
    } aCases[] = {
        {__LINE__, 0, true, 0,
         "install[.custom/ .custom/site.ini .custom/sub/ .custom/sub/.hidden .custom/sub/empty/ p.msi ] ", "", true},
        {__LINE__, 0, false, 0, "install[p.msi ] ", "", true},
        {__LINE__, 0x4c7, true, 1, "", "P: error: Copying the '.custom' dir failed: 0x4c7\n", false},
    };
    StubFakeInstaller Installer;
    std::string AtInstall;
    StubFakeInstaller::OnInstall = [&AtInstall](const std::string &Package) {
        std::string const Path = hostPath(Package);
        AtInstall += "install[" + tree(Path.substr(0, Path.find_last_of(g_chSep))) + "] ";
    };
    TstEnvGuard TmpGuard("QURT_TMPDIR");
    for (const auto &c : aCases) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Scratch;
        g_ExecDir = Scratch / "bin";
        std::string const Temp = Scratch / "temp";
        ASSERT_TRUE(tstMakeDir(g_ExecDir));
        ASSERT_TRUE(tstMakeDir(Temp));
        if (c.fSource) makeSource();
        ASSERT_TRUE(tstEnvSet("QURT_TMPDIR", StubTempValue(Temp).c_str()));
        StubFakeResources Res;
        Res.AddManifest(1);
        Res.AddPackage(0, 0, "p.msi", "msi");
        StubFakeCrypt32 Crypt;
        g_iShellResult = c.iShellResult;
        AtInstall.clear();
        StubCapture Capture;
        StubFileFaults Faults;
        EXPECT_EQ(c.iExit, StubRunWithArgs({"--silent"}));
        EXPECT_EQ(c.pszAtInstall, AtInstall);
        EXPECT_EQ(WithProgramName(c.pszErr), Capture.Err());
        EXPECT_EQ(c.fCertSteps, !Crypt.Calls().empty());
        // Nothing left behind, and no wait for it.
        EXPECT_EQ("", tree(Temp));
        EXPECT_TRUE(Faults.Sleeps().empty());
        EXPECT_EQ(0, Faults.OpenHandles());
        FreeCleanupRecords();
    }
}

} // namespace
