// Path queries through the NT layer: the executable-suffix rule of the mode, the way through the
// parent directory when the object cannot be opened, and names of the NT object namespace.
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/dir.h>
#include <qrt/path.h>

#include <gtest/gtest.h>

#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "Runtime/r3/win/fscalls-win-test.h"

namespace {

struct ModeCase {
    int iLine;
    const char *pszName;
    RTFMODE fMode;
};

// clang-format off
const ModeCase g_aModes[] = {
    {__LINE__, "A.EXE",   0x002081FF},
    {__LINE__, "run.cmd", 0x002081FF},
    {__LINE__, "EXE",     0x002081B6},
    {__LINE__, "a.msi",   0x002081B6},
};
// clang-format on

TEST(PathQueryInfoNt, ExecutableSuffixesAddTheExecuteBits) {
    TstScratchDir Dir;
    for (const ModeCase &c : g_aModes) {
        SCOPED_TRACE(c.iLine);
        std::string const Path = Dir / c.pszName;
        ASSERT_TRUE(tstFileWriteAll(Path, "x"));
        FsObjInfo Info;
        ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(Path.c_str(), &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(c.fMode, Info.fMode);
        // The way by handle (the Unix kind skips the query by name) agrees.
        ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(Path.c_str(), &Info, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(c.fMode, Info.fMode);
    }
}

TEST(PathQueryInfoNt, AnObjectThatCannotBeOpenedIsFoundInItsParent) {
    TstScratchDir Dir;
    std::string const Path = Dir / "locked.bin";
    ASSERT_TRUE(tstFileWriteAll(Path, std::string(777, 'l')));
    FsObjInfo ByHandle;
    ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(Path.c_str(), &ByHandle, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));

    // The first open (the object) is refused; the second (its parent) lists it.
    FsObjInfo ByParent;
    {
        TstFsCallFail<&RTFSCALLS::pfnNtCreateFile> Fail(1, (NTSTATUS)0xC0000043L, 0); // sharing violation
        ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(Path.c_str(), &ByParent, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(2u, Fail.calls());
    }
    EXPECT_EQ(777u, ByParent.cbObject);
    EXPECT_EQ(ByHandle.fMode, ByParent.fMode);
    EXPECT_EQ(ByHandle.ModificationTime, ByParent.ModificationTime);
    EXPECT_EQ(ByHandle.u.Unix.INodeId, ByParent.u.Unix.INodeId);
    EXPECT_EQ(1u, ByParent.u.Unix.cHardlinks);
    EXPECT_EQ(UINT32_MAX, ByParent.u.Unix.uid);

    // A failure of the listing is the answer.
    {
        TstFsCallFail<&RTFSCALLS::pfnNtCreateFile> Fail(1, (NTSTATUS)0xC0000043L, 0);
        TstFsCallFail<&RTFSCALLS::pfnNtQueryDirectoryFile> FailList(1, (NTSTATUS)0xC000000FL, 0);
        EXPECT_EQ(QERR_FILE_NOT_FOUND,
                  RTPathQueryInfoEx(Path.c_str(), &ByParent, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));
    }
    // Other open failures end the query.
    {
        TstFsCallFail<&RTFSCALLS::pfnNtCreateFile> Fail(1, (NTSTATUS)0xC0000034L, 0);
        EXPECT_EQ(QERR_FILE_NOT_FOUND,
                  RTPathQueryInfoEx(Path.c_str(), &ByParent, RTFSOBJATTRADD_UNIX, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(1u, Fail.calls());
    }
}

struct ObjCase {
    int iLine;
    const char *pszPath;
    RTFMODE fMode;
};

// clang-format off
const ObjCase g_aObjNs[] = {
    {__LINE__, "\\\\:qurtnt:\\Device", 0x001041FF},  // a directory of the object namespace
    {__LINE__, "\\\\:qurtnt:\\Device\\", 0x001041FF},
    {__LINE__, "\\\\:qurtnt:\\",       0x001041FF},  // its root
};
// clang-format on

TEST(PathQueryInfoNt, NamesOfTheObjectNamespace) {
    for (const ObjCase &c : g_aObjNs) {
        SCOPED_TRACE(c.iLine);
        FsObjInfo Info;
        ASSERT_EQ(QINF_SUCCESS, RTPathQueryInfoEx(c.pszPath, &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK));
        EXPECT_EQ(c.fMode, Info.fMode);
        EXPECT_EQ(0u, Info.cbObject);
        EXPECT_EQ(INT64_C(6802270473709551616), Info.BirthTime); // NT time 0
        EXPECT_TRUE(RTDirExists(c.pszPath));
    }
    FsObjInfo Info;
    EXPECT_EQ(QERR_FILE_NOT_FOUND,
              RTPathQueryInfoEx("\\\\:qurtnt:\\NoSuchObjectHere", &Info, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK));
}

} // namespace
