// Unique directories and files from templates: which 'X' characters are replaced, what the
// names look like, that an existing name is never reused, the 10000-try limit, and what a
// failure leaves in the template.
#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/mem.h>
#include <qrt/rand.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <set>
#include <string>

#include "Runtime/r3/fs-test-util.h"
#include "common/path/tmp-internal.h"
#include "common/rand/rand-internal.h"

namespace {

struct RunCase {
    int iLine;
    const char *pszTemplate;
    const char *pszRun; // the template with the run shown as '#', or null when there is none
};

// clang-format off
const RunCase g_aRuns[] = {
    {__LINE__, "dirX",                    "dir#"},       // a single trailing X
    {__LINE__, "XXX",                     "###"},
    {__LINE__, "X",                       "#"},
    {__LINE__, "name",                    NULL},
    {__LINE__, "",                        NULL},
    {__LINE__, "aXXb",                    NULL},          // inside the name: three or more
    {__LINE__, "aXXXb",                   "a###b"},
    {__LINE__, "C:\\XXX\\file",           NULL},          // not in the file name
    {__LINE__, "C:\\XXX\\fileX",          "C:\\XXX\\file#"},
    {__LINE__, "C:\\dir\\XXX",            "C:\\dir\\###"}, // the trailing run stops at the separator
    {__LINE__, "C:XXX",                   "C:###"},
    {__LINE__, "C:XXXb",                  "C:###b"},      // the name after the colon has four characters
    {__LINE__, "C:XXX.",                  "C:###."},
    {__LINE__, "a\\XXXb",                 "a\\###b"},
    {__LINE__, "a\\XXX.",                 "a\\###."},
    {__LINE__, "a\\XXb",                  NULL},
    {__LINE__, "a\\XXXbc",                "a\\###bc"},
    {__LINE__, "aXXXbXXXXc",              "aXXXb####c"},  // the run nearest the end
    {__LINE__, "aXXXbXX",                 "aXXXb##"},     // a trailing run wins, even a short one
    {__LINE__, "x.X",                     "x.#"},
    {__LINE__, "x.boX",                   "x.bo#"},       // a suffix ending in X takes the run
    {__LINE__, "d/XXXXXXXXXXXXXXXXXXXXXXXX.msi", "d/########################.msi"},
    {__LINE__, "C:\\t\\XXXXXXXXXXXXXXXXXXXXXXXX", "C:\\t\\########################"},
    {__LINE__, "dir\\", NULL},
};
// clang-format on

TEST(PathTmpRun, WhichCharactersAreReplaced) {
    for (const RunCase &c : g_aRuns) {
        SCOPED_TRACE(c.iLine);
        size_t offRun = 99;
        size_t const cchRun = rtPathTmpFindXRun(c.pszTemplate, &offRun);
        if (!c.pszRun) {
            EXPECT_EQ(0u, cchRun);
            continue;
        }
        std::string Shown = c.pszTemplate;
        if (offRun + cchRun <= Shown.size()) Shown.replace(offRun, cchRun, cchRun, '#');
        EXPECT_EQ(c.pszRun, Shown);
    }
}

bool tstIsRandomName(const std::string &Name, size_t cch) {
    if (Name.size() != cch) return false;
    for (char ch : Name)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z'))) return false;
    return true;
}

const char g_szX24[] = "XXXXXXXXXXXXXXXXXXXXXXXX";

TEST(PathTmpDir, TwentyFourRandomCharactersAndUniqueNames) {
    TstScratchDir Dir;
    std::string const Prefix = Dir.path() + "/";
    std::set<std::string> Names;
    for (int i = 0; i < 2000; i++) {
        std::string Template = Prefix + g_szX24;
        ASSERT_EQ(QINF_SUCCESS, RTDirCreateTemp(&Template[0], 0700)) << i;
        std::string const Name = Template.substr(Prefix.size());
        ASSERT_TRUE(tstIsRandomName(Name, 24)) << Template;
        ASSERT_TRUE(tstIsDirectory(Template)) << Template;
        ASSERT_TRUE(Names.insert(Name).second) << "reused " << Name;
    }
}

TEST(PathTmpFile, PackageNamesKeepTheirSuffix) {
    TstScratchDir Dir;
    std::string const Prefix = Dir.path() + "/";
    std::set<std::string> Names;
    for (int i = 0; i < 200; i++) {
        std::string Template = Prefix + g_szX24 + ".msi";
        RTFILE hFile = NIL_RTFILE;
        ASSERT_EQ(QINF_SUCCESS, RTFileOpenTemp(&hFile, &Template[0], 0x1C000222)) << i;
        EXPECT_EQ(QINF_SUCCESS, RTFileWrite(hFile, "msi", 3, NULL));
        EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
        ASSERT_EQ(".msi", Template.substr(Template.size() - 4));
        std::string const Name = Template.substr(Prefix.size(), 24);
        ASSERT_TRUE(tstIsRandomName(Name, 24)) << Template;
        std::string Content;
        ASSERT_TRUE(tstFileReadAll(Template, &Content));
        EXPECT_EQ("msi", Content);
        ASSERT_TRUE(Names.insert(Name).second) << "reused " << Name;
    }
}

// The name the shared generator makes for a run of cch characters after it was seeded.
std::string tstPredictName(uint64_t u64Seed, size_t cch, unsigned cSkipNames) {
    static const char s_achChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    RTRAND hRand = NIL_RTRAND;
    EXPECT_EQ(QINF_SUCCESS, RTRandCreateParkMiller(&hRand));
    RTRandAdvSeed(hRand, u64Seed);
    std::string Name(cch, '?');
    for (unsigned iName = 0; iName <= cSkipNames; iName++)
        for (size_t i = cch; i-- > 0;) Name[i] = s_achChars[RTRandAdvU32Ex(hRand, 0, 35)];
    RTRandAdvDestroy(hRand);
    return Name;
}

TEST(PathTmpDir, AnExistingNameIsNeverReused) {
    TstScratchDir Dir;
    std::string const Prefix = Dir.path() + "/";
    uint64_t const u64Seed = 0x5eed1234;
    std::string const First = tstPredictName(u64Seed, 24, 0);
    std::string const Second = tstPredictName(u64Seed, 24, 1);
    ASSERT_NE(First, Second);
    ASSERT_TRUE(tstMakeDir(Prefix + First));
    ASSERT_TRUE(tstFileWriteAll(Prefix + First + "/mine", "not yours"));

    ASSERT_EQ(QINF_SUCCESS, RTRandAdvSeed(rtRandSharedHandle(), u64Seed));
    std::string Template = Prefix + g_szX24;
    ASSERT_EQ(QINF_SUCCESS, RTDirCreateTemp(&Template[0], 0700));
    EXPECT_EQ(Prefix + Second, Template);
    EXPECT_TRUE(tstPathExists(Prefix + First + "/mine"));

    // The same for files: the taken name is skipped, its content untouched.
    std::string const FileFirst = tstPredictName(u64Seed, 24, 0) + ".msi";
    ASSERT_TRUE(tstFileWriteAll(Prefix + FileFirst, "existing"));
    ASSERT_EQ(QINF_SUCCESS, RTRandAdvSeed(rtRandSharedHandle(), u64Seed));
    std::string FileTemplate = Prefix + g_szX24 + ".msi";
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(QINF_SUCCESS, RTFileOpenTemp(&hFile, &FileTemplate[0], 0x1C000222));
    EXPECT_EQ(QINF_SUCCESS, RTFileClose(hFile));
    EXPECT_EQ(Prefix + Second + ".msi", FileTemplate);
    std::string Content;
    EXPECT_TRUE(tstFileReadAll(Prefix + FileFirst, &Content));
    EXPECT_EQ("existing", Content);
}

TEST(PathTmpDir, GivesUpAfterTenThousandTakenNames) {
    TstScratchDir Dir;
    static const char s_achChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 36; i++) ASSERT_TRUE(tstMakeDir(Dir / (std::string("dir") + s_achChars[i])));
    std::string Template = Dir / "dirX";
    EXPECT_EQ(QERR_ALREADY_EXISTS, RTDirCreateTemp(&Template[0], 0700));
    EXPECT_EQ('\0', Template[0]);
}

TEST(PathTmpFile, GivesUpAfterTenThousandTakenNames) {
    TstScratchDir Dir;
    static const char s_achChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    for (int i = 0; i < 36; i++) ASSERT_TRUE(tstFileWriteAll(Dir / (std::string("f") + s_achChars[i]), "x"));
    std::string Template = Dir / "fX";
    RTFILE hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(QERR_ALREADY_EXISTS, RTFileOpenTemp(&hFile, &Template[0], 0x1C000222));
    EXPECT_EQ('\0', Template[0]);
    EXPECT_EQ(NIL_RTFILE, hFile);
}

struct FailCase {
    int iLine;
    const char *pszName; // appended to the scratch directory
    RTFMODE fMode;
    int rc;
};

// clang-format off
const FailCase g_aDirFail[] = {
    {__LINE__, "name",               0700,   QERR_INVALID_PARAMETER},
    {__LINE__, "aXXb",               0700,   QERR_INVALID_PARAMETER},
    {__LINE__, "XXX/file",           0700,   QERR_INVALID_PARAMETER},
    {__LINE__, "no/such/XXXXXX",     0700,   QERR_PATH_NOT_FOUND}, // returned at once
    {__LINE__, "XXXXXX",             0x8000, QERR_INVALID_FMODE},
};
// clang-format on

TEST(PathTmpDir, FailuresEmptyTheTemplate) {
    for (const FailCase &c : g_aDirFail) {
        SCOPED_TRACE(c.iLine);
        TstScratchDir Dir;
        std::string Template = Dir / c.pszName;
        EXPECT_EQ(c.rc, RTDirCreateTemp(&Template[0], c.fMode));
        EXPECT_EQ('\0', Template[0]);
        EXPECT_FALSE(tstPathExists(Dir / "no"));
    }
    char szEmpty[1] = "";
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTDirCreateTemp(szEmpty, 0700));
    EXPECT_EQ(QERR_INVALID_POINTER, RTDirCreateTemp(NULL, 0700));
}

TEST(PathTmpFile, WrongActionLeavesTheTemplateAlone) {
    TstScratchDir Dir;
    const uint64_t s_afWrong[] = {0x1C000322, 0x1C000122, 0x1C000702, 0x1C000002};
    for (uint64_t fOpen : s_afWrong) {
        SCOPED_TRACE(fOpen);
        std::string Template = Dir / g_szX24;
        std::string const Before = Template;
        RTFILE hFile = (RTFILE)(intptr_t)0x1234;
        EXPECT_EQ(QERR_INVALID_FLAGS, RTFileOpenTemp(&hFile, &Template[0], fOpen));
        EXPECT_EQ(Before, Template);
        EXPECT_EQ(NIL_RTFILE, hFile);
    }
    std::string Template = Dir / "name";
    RTFILE hFile = (RTFILE)(intptr_t)0x1234;
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileOpenTemp(&hFile, &Template[0], 0x1C000222));
    EXPECT_EQ('\0', Template[0]);
    EXPECT_EQ(NIL_RTFILE, hFile);
    Template = Dir / "no/such/XXXX";
    EXPECT_EQ(QERR_PATH_NOT_FOUND, RTFileOpenTemp(&hFile, &Template[0], 0x1C000222));
    EXPECT_EQ('\0', Template[0]);
    Template = Dir / "XXXX";
    EXPECT_EQ(QERR_INVALID_PARAMETER, RTFileOpenTemp(&hFile, &Template[0], 0x1C004222)); // refused word
    EXPECT_EQ('\0', Template[0]);
    EXPECT_EQ(QERR_INVALID_POINTER, RTFileOpenTemp(NULL, &Template[0], 0x1C000222));
}

// Without a random generator (out of memory at its creation) no name can be made: the failure
// is reported, never a name made of the first character alone. The shared generator is created
// once per process, so this runs in a process of its own.
void tstNoGeneratorChild() {
    TstScratchDir Dir;
    std::string Template = Dir / g_szX24;
    RTMemTestFailAfter(1);
    int const rc = RTDirCreateTemp(&Template[0], 0700);
    RTMemTestFailAfter(0);
    bool fOk = rc == QERR_NO_MEMORY && Template[0] == '\0';
    fOk = fOk && RTRandU32Ex(3, 9) == 3;
    Template = Dir / g_szX24;
    RTFILE hFile = NIL_RTFILE;
    fOk = fOk && RTFileOpenTemp(&hFile, &Template[0], 0x1C000222) == QERR_NO_MEMORY && Template[0] == '\0';
    exit(fOk ? 0 : 1);
}

TEST(PathTmpDeathTest, NoGeneratorNoName) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(tstNoGeneratorChild(), ::testing::ExitedWithCode(0), "");
}

} // namespace
