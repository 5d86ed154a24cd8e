// Package file names the stub would refuse, and the architecture names of the command line.
#include "names.h"

#include <gtest/gtest.h>

namespace {

using namespace quilpack;

TEST(QuilpackNames, FileNameProblems) {
    struct Row {
        int line;
        std::string name;
        const char *pszProblem; // "" when accepted
    };
    const Row rows[] = {
        {__LINE__, "Product.msi", ""},
        {__LINE__, "data1.cab", ""},
        {__LINE__, "a b.msi", ""},     // inner spaces are fine
        {__LINE__, ".hidden", ""},     // a leading dot is an ordinary name
        {__LINE__, "CONSOLE.msi", ""}, // only the exact device names
        {__LINE__, "COM10.msi", ""},   // COM1-COM9 only
        {__LINE__, "COM0", ""},
        {__LINE__, "LPT", ""},
        {__LINE__, std::string(259, 'x'), ""},
        {__LINE__, "", "empty file name"},
        {__LINE__, ".", "file name '.' names a directory"},
        {__LINE__, "..", "file name '..' names a directory"},
        {__LINE__, "..\\x.msi", "file name holds '\\'"},
        {__LINE__, "a/b.msi", "file name holds '/'"},
        {__LINE__, "C:x.msi", "file name holds ':'"},
        {__LINE__, "x.msi:stream", "file name holds ':'"},
        {__LINE__, "a\tb.msi", "file name holds a control character"},
        {__LINE__, std::string("a\x1f", 2), "file name holds a control character"},
        {__LINE__, "a\x7f.msi", "file name holds a control character"},
        {__LINE__, "a*.msi", "file name holds '*', which Windows refuses"},
        {__LINE__, "a?.msi", "file name holds '?', which Windows refuses"},
        {__LINE__, "a|b", "file name holds '|', which Windows refuses"},
        {__LINE__, "a\"b", "file name holds '\"', which Windows refuses"},
        {__LINE__, "<a>", "file name holds '<', which Windows refuses"},
        {__LINE__, "x.msi.", "file name ends in '.'"},
        {__LINE__, "x.msi ", "file name ends in ' '"},
        {__LINE__, "...", "file name ends in '.'"},
        {__LINE__, "CON", "file name 'CON' is a reserved device name"},
        {__LINE__, "prn", "file name 'prn' is a reserved device name"},
        {__LINE__, "Aux.msi", "file name 'Aux.msi' is a reserved device name"},
        {__LINE__, "NUL.tar.cab", "file name 'NUL.tar.cab' is a reserved device name"},
        {__LINE__, "nul .msi", "file name 'nul .msi' is a reserved device name"},
        {__LINE__, "COM1", "file name 'COM1' is a reserved device name"},
        {__LINE__, "com9.cab", "file name 'com9.cab' is a reserved device name"},
        {__LINE__, "LPT1.msi", "file name 'LPT1.msi' is a reserved device name"},
        {__LINE__, "lpt9", "file name 'lpt9' is a reserved device name"},
        {__LINE__, std::string(260, 'x'), "file name of 260 bytes, longer than 259"},
        {__LINE__, "caf\xc3\xa9.msi", "file name holds a byte that is not ASCII"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(row.pszProblem, fileNameProblem(row.name));
    }
}

TEST(QuilpackNames, SameNameAndSuffix) {
    struct Row {
        int line;
        const char *pszA, *pszB;
        bool fSame;
    };
    const Row rows[] = {
        {__LINE__, "a.msi", "a.msi", true},
        {__LINE__, "Product.MSI", "product.msi", true},
        {__LINE__, "a.msi", "a.ms", false},
        {__LINE__, "a.msi", "b.msi", false},
        {__LINE__, "A_B", "a_b", true},
        {__LINE__, "a[", "A{", false}, // not letters: '[' and '{' differ by the case bit only
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(row.fSame, sameFileName(row.pszA, row.pszB));
        EXPECT_EQ(row.fSame, sameFileName(row.pszB, row.pszA));
    }
    EXPECT_TRUE(hasSuffix("x.MSI", ".msi"));
    EXPECT_TRUE(hasSuffix(".cab", ".cab"));
    EXPECT_FALSE(hasSuffix("cab", ".cab"));
    EXPECT_FALSE(hasSuffix("x.msi.txt", ".msi"));
}

TEST(QuilpackNames, Architectures) {
    struct Row {
        int line;
        const char *pszText;
        int value; // -1: refused
        const char *pszName;
    };
    const Row rows[] = {
        {__LINE__, "all", 0, "all"},   {__LINE__, "x86", 1, "x86"}, {__LINE__, "amd64", 2, "amd64"},
        {__LINE__, "0", 0, "all"},     {__LINE__, "2", 2, "amd64"}, {__LINE__, "3", 3, "3"},
        {__LINE__, "255", 255, "255"}, {__LINE__, "007", 7, "7"},   {__LINE__, "256", -1, ""},
        {__LINE__, "-1", -1, ""},      {__LINE__, "", -1, ""},      {__LINE__, "ALL", -1, ""},
        {__LINE__, "x64", -1, ""},     {__LINE__, "1a", -1, ""},    {__LINE__, "0255", -1, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        uint8_t arch = 99;
        bool const fOk = parseArch(row.pszText, &arch);
        EXPECT_EQ(row.value >= 0, fOk);
        if (fOk) {
            EXPECT_EQ(row.value, arch);
            EXPECT_EQ(row.pszName, archName(arch));
        }
    }
}

TEST(QuilpackNames, BaseNames) {
    struct Row {
        int line;
        const char *pszPath, *pszBase;
    };
    const Row rows[] = {
        {__LINE__, "Product.msi", "Product.msi"},
        {__LINE__, "out/x64/Product.msi", "Product.msi"},
        {__LINE__, "/abs/data.cab", "data.cab"},
        {__LINE__, "dir/", ""},
        {__LINE__, "dir/..", ".."},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(row.pszBase, baseName(row.pszPath));
    }
}

} // namespace
