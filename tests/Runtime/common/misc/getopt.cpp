// The option parser's scanning: the installer's own option table (every spelling, short forms,
// clusters, near misses, "--", values after "=" and ":", missing values), indexed options,
// the options-first permutation, null entries, fetching a second value and initialisation.
#include <qrt/cdefs.h>
#include <qrt/err.h>
#include <qrt/getopt.h>

#include "Runtime/common/misc/getopt-test-util.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using getopttest::Row;

// The installer's option table, as test data.
const RTGETOPTDESC g_aStubOptions[] = {
    {"--extract", 'x', RTGETOPT_VT_NOTHING},
    {"-extract", 'x', RTGETOPT_VT_NOTHING},
    {"/extract", 'x', RTGETOPT_VT_NOTHING},
    {"--silent", 's', RTGETOPT_VT_NOTHING},
    {"-silent", 's', RTGETOPT_VT_NOTHING},
    {"/silent", 's', RTGETOPT_VT_NOTHING},
    {"--no-silent-cert", 'c', RTGETOPT_VT_NOTHING},
    {"-no-silent-cert", 'c', RTGETOPT_VT_NOTHING},
    {"/no-silent-cert", 'c', RTGETOPT_VT_NOTHING},
    {"--no-install-timestamp-ca", 't', RTGETOPT_VT_NOTHING},
    {"--force-install-timestamp-ca", 'T', RTGETOPT_VT_NOTHING},
    {"--logging", 'l', RTGETOPT_VT_NOTHING},
    {"-logging", 'l', RTGETOPT_VT_NOTHING},
    {"--msi-log-file", 1000, RTGETOPT_VT_STRING},
    {"-msilogfile", 1000, RTGETOPT_VT_STRING},
    {"/logging", 'l', RTGETOPT_VT_NOTHING},
    {"--path", 'p', RTGETOPT_VT_STRING},
    {"-path", 'p', RTGETOPT_VT_STRING},
    {"/path", 'p', RTGETOPT_VT_STRING},
    {"--msiparams", 'm', RTGETOPT_VT_STRING},
    {"-msiparams", 'm', RTGETOPT_VT_STRING},
    {"--msi-prop", 'P', RTGETOPT_VT_STRING},
    {"--reinstall", 'f', RTGETOPT_VT_NOTHING},
    {"-reinstall", 'f', RTGETOPT_VT_NOTHING},
    {"/reinstall", 'f', RTGETOPT_VT_NOTHING},
    {"--ignore-reboot", 'r', RTGETOPT_VT_NOTHING},
    {"--verbose", 'v', RTGETOPT_VT_NOTHING},
    {"-verbose", 'v', RTGETOPT_VT_NOTHING},
    {"/verbose", 'v', RTGETOPT_VT_NOTHING},
    {"--version", 'V', RTGETOPT_VT_NOTHING},
    {"-version", 'V', RTGETOPT_VT_NOTHING},
    {"/version", 'V', RTGETOPT_VT_NOTHING},
    {"--help", 'h', RTGETOPT_VT_NOTHING},
    {"-help", 'h', RTGETOPT_VT_NOTHING},
    {"/help", 'h', RTGETOPT_VT_NOTHING},
    {"/?", 'h', RTGETOPT_VT_NOTHING},
};
static_assert(RT_ELEMENTS(g_aStubOptions) == 36, "the installer has 36 option forms");

const getopttest::Table g_Stub = GETOPT_TABLE(g_aStubOptions);
const uint32_t kNoStd = RTGETOPTINIT_F_NO_STD_OPTS;
const uint32_t kFirst = RTGETOPTINIT_F_OPTS_FIRST;

// clang-format off
const Row g_aStubRows[] = {
    // Short forms: the first row with the identifier.
    {__LINE__, g_Stub, 0, {"-x", "-s", "-c", "-t", "-T", "-l"},
     {"id=120 def=0 next=2", "id=115 def=3 next=3", "id=99 def=6 next=4", "id=116 def=9 next=5",
      "id=84 def=10 next=6", "id=108 def=11 next=7", "id=0 next=7"}},
    {__LINE__, g_Stub, 0, {"-f", "-r", "-v", "-V", "-h"},
     {"id=102 def=22 next=2", "id=114 def=25 next=3", "id=118 def=26 next=4", "id=86 def=29 next=5",
      "id=104 def=32 next=6", "id=0 next=6"}},
    {__LINE__, g_Stub, 0, {"-p", "a", "-m", "b", "-P", "c"},
     {"id=112 psz=\"a\" def=16 next=3", "id=109 psz=\"b\" def=19 next=5", "id=80 psz=\"c\" def=21 next=7",
      "id=0 next=7"}},
    // "-?" falls back to the standard "--help" row; without standard options it is unknown.
    {__LINE__, g_Stub, 0, {"-?"}, {"id=104 def=std:--help next=2", "id=0 next=2"}},
    {__LINE__, g_Stub, kNoStd, {"-?"}, {"id=-825 psz=\"-?\" next=2"}},
    {__LINE__, g_Stub, kNoStd, {"--help", "-h", "/?"},
     {"id=104 def=32 next=2", "id=104 def=32 next=3", "id=104 def=35 next=4", "id=0 next=4"}},
    // The caller's rows come before the standard ones.
    {__LINE__, g_Stub, 0, {"--version", "-version", "-help"},
     {"id=86 def=29 next=2", "id=86 def=30 next=3", "id=104 def=33 next=4", "id=0 next=4"}},
    // Rows without a value match only exactly and case-sensitively.
    {__LINE__, g_Stub, 0, {"--silent=x"}, {"id=-825 psz=\"--silent=x\" next=2"}},
    {__LINE__, g_Stub, 0, {"--silent:x"}, {"id=-825 psz=\"--silent:x\" next=2"}},
    {__LINE__, g_Stub, 0, {"--Silent"}, {"id=-825 psz=\"--Silent\" next=2"}},
    {__LINE__, g_Stub, 0, {"/Silent", "/silent:1", "/s", "/x"},
     {"id=828 psz=\"/Silent\" next=2", "id=828 psz=\"/silent:1\" next=3", "id=828 psz=\"/s\" next=4",
      "id=828 psz=\"/x\" next=5", "id=0 next=5"}},
    // String rows: the next argument, or the text after "=" or ":".
    {__LINE__, g_Stub, 0, {"--path", "v", "-path", "--silent", "/path", "-"},
     {"id=112 psz=\"v\" def=16 next=3", "id=112 psz=\"--silent\" def=17 next=5", "id=112 psz=\"-\" def=18 next=7",
      "id=0 next=7"}},
    {__LINE__, g_Stub, 0, {"--path=v", "--path:w", "--path=", "/path:C:\\x", "-path=a=b"},
     {"id=112 psz=\"v\" def=16 next=2", "id=112 psz=\"w\" def=16 next=3", "id=112 psz=\"\" def=16 next=4",
      "id=112 psz=\"C:\\x\" def=18 next=5", "id=112 psz=\"a=b\" def=17 next=6", "id=0 next=6"}},
    {__LINE__, g_Stub, 0, {"--msi-log-file", "log.txt", "-msilogfile=x"},
     {"id=1000 psz=\"log.txt\" def=13 next=3", "id=1000 psz=\"x\" def=14 next=4", "id=0 next=4"}},
    {__LINE__, g_Stub, 0, {"--path"}, {"id=-826 def=16 next=2"}},
    {__LINE__, g_Stub, 0, {"-s", "/path"}, {"id=115 def=3 next=2", "id=-826 def=18 next=3"}},
    {__LINE__, g_Stub, 0, {"--pathx"}, {"id=-825 psz=\"--pathx\" next=2"}},
    {__LINE__, g_Stub, 0, {"/pathx", "-pathx"},
     {"id=828 psz=\"/pathx\" next=2", "id=112 psz=\"athx\" def=16 next=3", "id=0 next=3"}},
    {__LINE__, g_Stub, 0, {"-pC:\\x", "-p=C:\\x", "-p:C:\\x", "-p", "C:\\x", "-p="},
     {"id=112 psz=\"C:\\x\" def=16 next=2", "id=112 psz=\"C:\\x\" def=16 next=3", "id=112 psz=\"C:\\x\" def=16 next=4",
      "id=112 psz=\"C:\\x\" def=16 next=6", "id=112 psz=\"\" def=16 next=7", "id=0 next=7"}},
    {__LINE__, g_Stub, 0, {"-p"}, {"id=-826 def=16 next=2"}},
    // The property option and its second value.
    {__LINE__, g_Stub, 0, {"--msi-prop", "NAME", "value"},
     {"id=80 psz=\"NAME\" def=21 next=3", "fetch=0 psz=\"value\" next=4", "id=0 next=4"}, "", 'P'},
    {__LINE__, g_Stub, 0, {"--msi-prop=N", "a b", "-PM", "-", "-P", "O", "--silent"},
     {"id=80 psz=\"N\" def=21 next=2", "fetch=0 psz=\"a b\" next=3", "id=80 psz=\"M\" def=21 next=4",
      "fetch=0 psz=\"-\" next=5", "id=80 psz=\"O\" def=21 next=7", "fetch=0 psz=\"--silent\" next=8",
      "id=0 next=8"}, "", 'P'},
    {__LINE__, g_Stub, 0, {"--msi-prop", "NAME"},
     {"id=80 psz=\"NAME\" def=21 next=3", "fetch=-826 def=none next=3", "id=0 next=3"}, "", 'P'},
    {__LINE__, g_Stub, 0, {"--msi-prop"}, {"id=-826 def=21 next=2"}, "", 'P'},
    // Clusters of switches.
    {__LINE__, g_Stub, 0, {"-sx", "-vv", "-sV"},
     {"id=115 def=3 next=1 short=\"x\"", "id=120 def=0 next=2", "id=118 def=26 next=2 short=\"v\"",
      "id=118 def=26 next=3", "id=115 def=3 next=3 short=\"V\"", "id=86 def=29 next=4", "id=0 next=4"}},
    {__LINE__, g_Stub, 0, {"-sxv", "a"},
     {"id=115 def=3 next=1 short=\"xv\"", "id=120 def=0 next=1 short=\"v\"", "id=118 def=26 next=2",
      "id=828 psz=\"a\" next=3", "id=0 next=3"}},
    {__LINE__, g_Stub, 0, {"-s?"}, {"id=115 def=3 next=1 short=\"?\"", "id=104 def=std:--help next=2", "id=0 next=2"}},
    // A value-taking letter ends the cluster, with its value in the rest or in the next argument.
    {__LINE__, g_Stub, 0, {"-xpC:\\x", "-xp", "C:\\y", "-x"},
     {"id=120 def=0 next=1 short=\"pC:\\x\"", "id=112 psz=\"C:\\x\" def=16 next=2",
      "id=120 def=0 next=2 short=\"p\"", "id=112 psz=\"C:\\y\" def=16 next=4", "id=120 def=0 next=5",
      "id=0 next=5"}},
    {__LINE__, g_Stub, 0, {"-xp=a", "-sp:"},
     {"id=120 def=0 next=1 short=\"p=a\"", "id=112 psz=\"a\" def=16 next=2", "id=115 def=3 next=2 short=\"p:\"",
      "id=112 psz=\"\" def=16 next=3", "id=0 next=3"}},
    {__LINE__, g_Stub, 0, {"-xp"}, {"id=120 def=0 next=1 short=\"p\"", "id=-826 def=16 next=2"}},
    {__LINE__, g_Stub, 0, {"-sP", "NAME", "VALUE"},
     {"id=115 def=3 next=1 short=\"P\"", "id=80 psz=\"NAME\" def=21 next=3", "fetch=0 psz=\"VALUE\" next=4",
      "id=0 next=4"}, "", 'P'},
    // An unknown letter is reported with the rest of the cluster, and again if asked again.
    {__LINE__, g_Stub, 0, {"-sz"},
     {"id=115 def=3 next=1 short=\"z\"", "id=-825 psz=\"z\" next=1 short=\"z\"",
      "id=-825 psz=\"z\" next=1 short=\"z\""}},
    {__LINE__, g_Stub, 0, {"-force-install-timestamp-ca"},
     {"id=102 def=22 next=1 short=\"orce-install-timestamp-ca\"",
      "id=-825 psz=\"orce-install-timestamp-ca\" next=1 short=\"orce-install-timestamp-ca\""}},
    // Near misses.
    {__LINE__, g_Stub, 0, {"-ignore-reboot"}, {"id=-825 psz=\"-ignore-reboot\" next=2"}},
    {__LINE__, g_Stub, 0, {"-no-install-timestamp-ca"}, {"id=-825 psz=\"-no-install-timestamp-ca\" next=2"}},
    {__LINE__, g_Stub, 0, {"-msi-prop", "N"},
     {"id=109 psz=\"si-prop\" def=19 next=2", "id=828 psz=\"N\" next=3", "id=0 next=3"}},
    {__LINE__, g_Stub, 0, {"-"}, {"id=-825 psz=\"-\" next=2"}},
    {__LINE__, g_Stub, 0, {"", "/", "x"},
     {"id=828 psz=\"\" next=2", "id=828 psz=\"/\" next=3", "id=828 psz=\"x\" next=4", "id=0 next=4"}},
    {__LINE__, g_Stub, 0, {"---silent"}, {"id=-825 psz=\"---silent\" next=2"}},
    // "--" is consumed; everything after it is a non-option.
    {__LINE__, g_Stub, 0, {"-s", "--", "--silent", "-x", "--", ""},
     {"id=115 def=3 next=2", "id=828 psz=\"--silent\" next=4", "id=828 psz=\"-x\" next=5",
      "id=828 psz=\"--\" next=6", "id=828 psz=\"\" next=7", "id=0 next=7"}},
    {__LINE__, g_Stub, 0, {"--"}, {"id=0 next=2"}},
    // The installer's own run: parameters split by the shell come back as non-options.
    {__LINE__, g_Stub, 0, {"--silent", "--msiparams", "A=1", "B=2"},
     {"id=115 def=3 next=2", "id=109 psz=\"A=1\" def=19 next=4", "id=828 psz=\"B=2\" next=5", "id=0 next=5"}},
    {__LINE__, g_Stub, 0, {}, {"id=0 next=1"}},
};

// Indexed rows.
const RTGETOPTDESC g_aIndexOptions[] = {
    {"--disk", 2000, RTGETOPT_VT_STRING | RTGETOPT_MOD_INDEX},
    {"--flag", 2001, RTGETOPT_VT_NOTHING | RTGETOPT_MOD_INDEX},
    {"--Lun", 2002, RTGETOPT_VT_UINT8 | RTGETOPT_MOD_INDEX | RTGETOPT_MOD_ICASE},
    {"--plain", 2003, RTGETOPT_VT_NOTHING},
    {"--query", '?', RTGETOPT_VT_NOTHING},
};
const getopttest::Table g_Index = GETOPT_TABLE(g_aIndexOptions);

const Row g_aIndexRows[] = {
    {__LINE__, g_Index, 0, {"--disk2=foo", "--disk3:bar", "--disk4", "baz", "--disk007="},
     {"id=2000 psz=\"foo\" def=0 next=2 index=2", "id=2000 psz=\"bar\" def=0 next=3 index=3",
      "id=2000 psz=\"baz\" def=0 next=5 index=4", "id=2000 psz=\"\" def=0 next=6 index=7", "id=0 next=6"}},
    {__LINE__, g_Index, 0, {"--disk4294967294=x"}, {"id=2000 psz=\"x\" def=0 next=2 index=4294967294", "id=0 next=2"}},
    {__LINE__, g_Index, 0, {"--disk"}, {"id=-829 def=0 next=2"}},
    {__LINE__, g_Index, 0, {"--disk=foo"}, {"id=-827 def=0 next=2"}},
    {__LINE__, g_Index, 0, {"--disk4294967296=x"}, {"id=-827 def=0 next=2"}},
    {__LINE__, g_Index, 0, {"--diskx"}, {"id=-825 psz=\"--diskx\" next=2"}},
    {__LINE__, g_Index, 0, {"--disk2x=1"}, {"id=-825 psz=\"--disk2x=1\" next=2"}},
    {__LINE__, g_Index, 0, {"--disk2"}, {"id=-826 def=0 next=2"}},
    // A result without an index reports none, also right after an indexed one.
    {__LINE__, g_Index, 0, {"--flag3", "--plain", "--flag0", "z"},
     {"id=2001 def=1 next=2 index=3", "id=2003 def=3 next=3", "id=2001 def=1 next=4 index=0",
      "id=828 psz=\"z\" next=5", "id=0 next=5"}},
    {__LINE__, g_Index, 0, {"--flag"}, {"id=-829 def=1 next=2"}},
    {__LINE__, g_Index, 0, {"--flag99999999999"}, {"id=-827 def=1 next=2"}},
    {__LINE__, g_Index, 0, {"--flag3=1"}, {"id=-825 psz=\"--flag3=1\" next=2"}},
    {__LINE__, g_Index, 0, {"--LUN5=7", "--lun1", "255"},
     {"id=2002 uint8=7 def=2 next=2 index=5", "id=2002 uint8=255 def=2 next=4 index=1", "id=0 next=4"}},
    {__LINE__, g_Index, 0, {"--lun5=300"}, {"id=-827 def=2 next=2"}},
    // A row of the caller's with the identifier "?" takes "-?" before the standard help.
    {__LINE__, g_Index, 0, {"-?"}, {"id=63 def=4 next=2", "id=0 next=2"}},
};

// Options first: options and their values, then "--", then the non-options.
const RTGETOPTDESC g_aFirstOptions[] = {
    {"--x", 'x', RTGETOPT_VT_NOTHING},
    {"--y", 'y', RTGETOPT_VT_NOTHING},
    {"--val", 'v', RTGETOPT_VT_STRING},
};
const getopttest::Table g_First = GETOPT_TABLE(g_aFirstOptions);

const Row g_aFirstRows[] = {
    {__LINE__, g_First, kFirst, {"a", "-x", "b", "-y", "c"},
     {"id=120 def=0 next=2", "id=121 def=1 next=3", "id=828 psz=\"a\" next=4", "id=828 psz=\"b\" next=5",
      "id=828 psz=\"c\" next=6", "id=0 next=6"}, "-x -y a b c"},
    {__LINE__, g_First, kFirst, {"a", "--val", "v", "b", "-x"},
     {"id=118 psz=\"v\" def=2 next=3", "id=120 def=0 next=4", "id=828 psz=\"a\" next=5", "id=828 psz=\"b\" next=6",
      "id=0 next=6"}, "--val v -x a b"},
    {__LINE__, g_First, kFirst, {"a", "--", "-x", "b"},
     {"id=828 psz=\"a\" next=3", "id=828 psz=\"-x\" next=4", "id=828 psz=\"b\" next=5", "id=0 next=5"},
     "-- a -x b"},
    {__LINE__, g_First, kFirst, {"a", "-x", "b", "--", "-y", "c"},
     {"id=120 def=0 next=2", "id=828 psz=\"a\" next=4", "id=828 psz=\"b\" next=5", "id=828 psz=\"-y\" next=6",
      "id=828 psz=\"c\" next=7", "id=0 next=7"}, "-x -- a b -y c"},
    {__LINE__, g_First, kFirst, {"a", "-xy", "b"},
     {"id=120 def=0 next=1 short=\"y\"", "id=121 def=1 next=2", "id=828 psz=\"a\" next=3", "id=828 psz=\"b\" next=4",
      "id=0 next=4"}, "-xy a b"},
    {__LINE__, g_First, kFirst, {"a", "b", "-xv", "c", "d"},
     {"id=120 def=0 next=1 short=\"v\"", "id=118 psz=\"c\" def=2 next=3", "id=828 psz=\"a\" next=4",
      "id=828 psz=\"b\" next=5", "id=828 psz=\"d\" next=6", "id=0 next=6"}, "-xv c a b d"},
    {__LINE__, g_First, kFirst, {"a", "--val"}, {"id=-826 def=2 next=2"}, "--val a"},
    {__LINE__, g_First, kFirst, {"a", "--val", "v1", "b", "v2"},
     {"id=118 psz=\"v1\" def=2 next=3", "fetch=0 psz=\"b\" next=4", "id=828 psz=\"a\" next=5",
      "id=828 psz=\"v2\" next=6", "id=0 next=6"}, "--val v1 b a v2", 'v'},
    {__LINE__, g_First, kFirst, {"a", "--val", "v1"},
     {"id=118 psz=\"v1\" def=2 next=3", "fetch=-826 def=none next=3", "id=828 psz=\"a\" next=4", "id=0 next=4"},
     "--val v1 a", 'v'},
    {__LINE__, g_First, kFirst, {"a", "b"},
     {"id=828 psz=\"a\" next=2", "id=828 psz=\"b\" next=3", "id=0 next=3"}, "a b"},
    {__LINE__, g_First, kFirst, {"a", "-z", "b"}, {"id=-825 psz=\"-z\" next=2"}, "a -z b"},
    {__LINE__, g_First, kFirst, {"a", "-?"}, {"id=104 def=std:--help next=2", "id=828 psz=\"a\" next=3", "id=0 next=3"},
     "-? a"},
    {__LINE__, g_First, kFirst | kNoStd, {"a", "--help"}, {"id=-825 psz=\"--help\" next=2"}, "a --help"},
};
// clang-format on

TEST(GetOpt, StubOptionTable) {
    getopttest::checkRows(g_aStubRows, RT_ELEMENTS(g_aStubRows));
}

TEST(GetOpt, IndexedOptions) {
    getopttest::checkRows(g_aIndexRows, RT_ELEMENTS(g_aIndexRows));
}

TEST(GetOpt, OptionsFirstPermutation) {
    getopttest::checkRows(g_aFirstRows, RT_ELEMENTS(g_aFirstRows));
}

// Each of the 36 spellings reaches its own row, not an earlier one with the same identifier.
TEST(GetOpt, EveryStubSpellingFindsItsRow) {
    for (uint32_t i = 0; i < RT_ELEMENTS(g_aStubOptions); i++) {
        const RTGETOPTDESC &desc = g_aStubOptions[i];
        bool const fValue = desc.fFlags == RTGETOPT_VT_STRING;
        Row row = {__LINE__, g_Stub, 0, {desc.pszLong}, {}};
        if (fValue) row.args.push_back("v");
        row.expected.push_back("id=" + std::to_string(desc.iId) + (fValue ? " psz=\"v\"" : "") +
                               " def=" + std::to_string(i) + " next=" + (fValue ? "3" : "2"));
        row.expected.push_back(std::string("id=0 next=") + (fValue ? "3" : "2"));
        SCOPED_TRACE(desc.pszLong);
        getopttest::checkRows(&row, 1);
    }
}

// A null entry before argc ends the vector, wherever the parser would read it.
TEST(GetOpt, NullEntryEndsTheVector) {
    struct {
        int iLine;
        uint32_t fInit;
        const char *apszArgs[4]; // after the program name; a null entry inside
        int argc;
        std::vector<std::string> expected; // one line per call
    } const aCases[] = {
        {__LINE__, 0, {"-s", NULL, "-x"}, 4, {"id=115 def=3 next=2", "id=0 next=2", "id=0 next=2"}},
        {__LINE__, 0, {NULL, "-x"}, 3, {"id=0 next=1"}},
        {__LINE__, 0, {"--path", NULL, "v"}, 4, {"id=-826 def=16 next=2"}},
        {__LINE__, 0, {"-xp", NULL}, 3, {"id=120 def=0 next=1 short=\"p\"", "id=-826 def=16 next=2"}},
        {__LINE__, kFirst, {"a", NULL, "-x"}, 4, {"id=828 psz=\"a\" next=2", "id=0 next=2"}},
        {__LINE__,
         kFirst,
         {"a", "-s", NULL, "b"},
         5,
         {"id=115 def=3 next=2", "id=828 psz=\"a\" next=3", "id=0 next=3"}},
        {__LINE__, 0, {"--", "a", NULL, "b"}, 5, {"id=828 psz=\"a\" next=3", "id=0 next=3"}},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE("line " + std::to_string(c.iLine));
        char *apszArgv[5] = {(char *)"prog", (char *)c.apszArgs[0], (char *)c.apszArgs[1], (char *)c.apszArgs[2],
                             (char *)c.apszArgs[3]};
        RTGETOPTSTATE state;
        ASSERT_EQ(RTGetOptInit(&state, c.argc, apszArgv, g_aStubOptions, RT_ELEMENTS(g_aStubOptions), 1, c.fInit), 0);
        std::vector<std::string> lines;
        for (size_t i = 0; i < c.expected.size(); i++) {
            RTGETOPTVALUE v;
            int rc = RTGetOpt(&state, &v);
            lines.push_back(getopttest::formatResult(rc, v, state, g_Stub));
        }
        EXPECT_EQ(lines, c.expected);
        // Nor does a further value come from beyond it.
        RTGETOPTVALUE v;
        EXPECT_EQ(RTGetOptFetchValue(&state, &v, RTGETOPT_VT_STRING), QERR_GETOPT_REQUIRED_ARGUMENT_MISSING);
    }
}

TEST(GetOpt, InitRejectsUnknownFlagsAndLeavesTheState) {
    char *apszArgv[] = {(char *)"prog", (char *)"-s", NULL};
    for (uint32_t fFlags : {4U, 8U, 0x80000000U, 7U}) {
        RTGETOPTSTATE state;
        memset(&state, 0x5A, sizeof(state));
        RTGETOPTSTATE const before = state;
        EXPECT_EQ(RTGetOptInit(&state, 2, apszArgv, g_aStubOptions, RT_ELEMENTS(g_aStubOptions), 1, fFlags),
                  QERR_INVALID_PARAMETER)
            << fFlags;
        EXPECT_EQ(memcmp(&state, &before, sizeof(state)), 0) << fFlags;
    }
    RTGETOPTSTATE state;
    memset(&state, 0x5A, sizeof(state));
    ASSERT_EQ(RTGetOptInit(&state, 2, apszArgv, g_aStubOptions, 36, 1, kFirst | kNoStd), QINF_SUCCESS);
    EXPECT_EQ(state.iNext, 1);
    EXPECT_EQ(state.pszNextShort, nullptr);
    EXPECT_EQ(state.pCurDesc, nullptr);
    EXPECT_EQ(state.uIndex, UINT32_MAX);
    EXPECT_EQ(state.cNonOptions, 0);
    EXPECT_EQ(state.fFlags, kFirst | kNoStd);
}

// A first index at or past the end, or before the start, gives the end at once.
TEST(GetOpt, FirstIndexOutsideTheVector) {
    char *apszArgv[] = {(char *)"prog", (char *)"-s", NULL};
    for (int iFirst : {2, 3, 100, -1}) {
        RTGETOPTSTATE state;
        ASSERT_EQ(RTGetOptInit(&state, 2, apszArgv, g_aStubOptions, 36, iFirst, 0), QINF_SUCCESS);
        RTGETOPTVALUE v;
        EXPECT_EQ(RTGetOpt(&state, &v), 0) << iFirst;
        EXPECT_EQ(v.uint64Value, 0u) << iFirst;
        EXPECT_EQ(state.pCurDesc, nullptr);
    }
}

TEST(GetOpt, FetchValueRefusesBadFlagsAndPendingClusters) {
    struct {
        int iLine;
        std::vector<std::string> args;
        int cCallsFirst;
        uint32_t fFetch;
        const char *pszExpected; // the fetch line
    } const aCases[] = {
        {__LINE__, {"-P", "N", "V"}, 1, 0, "fetch=-2 def=none next=3"},
        {__LINE__, {"-P", "N", "V"}, 1, RTGETOPT_VT_STRING | 0x20, "fetch=-2 def=none next=3"},
        {__LINE__, {"-P", "N", "V"}, 1, RTGETOPT_VT_STRING | 0x200000, "fetch=-2 def=none next=3"},
        {__LINE__, {"-P", "N", "V"}, 1, RTGETOPT_VT_STRING | 0x8000, "fetch=-2 def=none next=3"},
        {__LINE__, {"-P", "N", "300"}, 1, RTGETOPT_VT_UINT8, "fetch=-827 def=21 next=4"},
        {__LINE__, {"-P", "N", "0x10"}, 1, RTGETOPT_VT_UINT8 | RTGETOPT_MOD_HEX, "fetch=0 uint8=16 next=4"},
        {__LINE__, {"-P", "N", "1:2"}, 1, RTGETOPT_VT_STRING | RTGETOPT_MOD_HEX, "fetch=-225 def=21 next=4"},
        {__LINE__, {"-P", "N", "x"}, 1, 12, "fetch=-225 def=21 next=4"},
        {__LINE__, {"-P", "N", "maybe"}, 1, RTGETOPT_VT_BOOL, "fetch=-825 psz=\"maybe\" next=4"},
        {__LINE__, {"-P", "N", "--", "x"}, 1, RTGETOPT_VT_STRING, "fetch=0 psz=\"--\" next=4"},
        // After "--" the further value is the next argument too.
        {__LINE__, {"--", "a", "b"}, 1, RTGETOPT_VT_STRING, "fetch=0 psz=\"b\" next=4"},
        // The cluster's argument is still to be consumed: no further argument is defined yet.
        {__LINE__, {"-sx", "V"}, 1, RTGETOPT_VT_STRING, "fetch=-2 def=none next=1 short=\"x\""},
        // After a failure there is no current row to report.
        {__LINE__, {"--bogus", "V"}, 1, RTGETOPT_VT_STRING, "fetch=0 psz=\"V\" next=3"},
        {__LINE__, {"--bogus", "V"}, 1, RTGETOPT_VT_UINT8, "fetch=-827 def=none next=3"},
    };
    for (const auto &c : aCases) {
        SCOPED_TRACE("line " + std::to_string(c.iLine));
        getopttest::ArgVector args(c.args);
        RTGETOPTSTATE state;
        ASSERT_EQ(RTGetOptInit(&state, args.argc(), args.argv.data(), g_aStubOptions, 36, 1, 0), 0);
        RTGETOPTVALUE v;
        for (int i = 0; i < c.cCallsFirst; i++) RTGetOpt(&state, &v);
        memset(&v, 0xA5, sizeof(v));
        int rc = RTGetOptFetchValue(&state, &v, c.fFetch);
        if (rc == QERR_INVALID_PARAMETER) {
            // Refused before anything was consumed; only the first eight bytes are cleared.
            for (size_t i = 0; i < sizeof(v); i++) EXPECT_EQ(((const uint8_t *)&v)[i], i < 8 ? 0 : 0xA5) << i;
        }
        EXPECT_EQ(getopttest::formatFetch(rc, c.fFetch, v, state, g_Stub), c.pszExpected);
    }
}

} // namespace
