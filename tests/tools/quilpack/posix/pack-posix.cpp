// Package files whose names a Linux build farm can hold but Windows cannot: refused by name,
// before anything is written.
#include "pack.h"

#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace quilpack;
using namespace quilpacktest;

TEST(QuilpackPackPosix, NamesWindowsCannotHold) {
    struct Row {
        int line;
        const char *pszName, *pszProblem;
    };
    const Row rows[] = {
        {__LINE__, "CON.msi", "file name 'CON.msi' is a reserved device name"},
        {__LINE__, "x:y.msi", "file name holds ':'"},
        {__LINE__, "back\\slash.msi", "file name holds '\\'"},
        {__LINE__, "trail.", "file name ends in '.'"},
        {__LINE__, "space.msi ", "file name ends in ' '"},
        {__LINE__, "caf\xc3\xa9.msi", "file name holds a byte that is not ASCII"},
        {__LINE__, "tab\t.msi", "file name holds a control character"},
        {__LINE__, "what?.msi", "file name holds '?', which Windows refuses"},
    };
    TempDir dir;
    std::string const out = dir.path("setup.exe");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        writeFile(dir.path(row.pszName), "x");
        PackRequest request;
        request.stubPath = sampleStubPath();
        request.outputPath = out;
        request.inputs = {{dir.path(row.pszName), 0}};
        PackError error;
        EXPECT_FALSE(packCreate(
            request, [](const std::string &) {}, &error));
        EXPECT_EQ(dir.path(row.pszName) + ": " + row.pszProblem, error.message);
        EXPECT_FALSE(exists(out));
        EXPECT_EQ(1u, dir.list().size()); // the package file only
        std::filesystem::remove(dir.path(row.pszName));
    }
}

} // namespace
