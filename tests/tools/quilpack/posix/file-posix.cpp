// Failures half-way through a pack, made through the file layer's call table: whatever fails
// and whenever, neither the output nor a temporary file is left, and an older output survives.
#include "posix/file-posix.h"

#include "pack.h"
#include "quilpack-test-util.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

using namespace quilpack;
using namespace quilpacktest;

// Arms one call of the table: its Nth use fails with an errno, or raises a signal first.
struct Fault {
    static unsigned s_cCalls, s_iFailAt;
    static int s_iErrno, s_iSignal;
    static void arm(unsigned iFailAt, int iErrno, int iSignal) {
        s_cCalls = 0;
        s_iFailAt = iFailAt;
        s_iErrno = iErrno;
        s_iSignal = iSignal;
    }
    // True when this call is the one to fail (errno set); raises the signal instead if asked.
    static bool hit() {
        if (++s_cCalls != s_iFailAt) return false;
        if (s_iSignal) {
            raise(s_iSignal);
            return false;
        }
        errno = s_iErrno;
        return true;
    }
};
unsigned Fault::s_cCalls, Fault::s_iFailAt;
int Fault::s_iErrno, Fault::s_iSignal;

ssize_t faultyWrite(int fd, const void *pv, size_t cb) {
    return Fault::hit() ? -1 : ::write(fd, pv, cb);
}
ssize_t faultyPwrite(int fd, const void *pv, size_t cb, off_t off) {
    return Fault::hit() ? -1 : ::pwrite(fd, pv, cb, off);
}
// Counts only the reads of whole copy blocks: those of a payload, not the stub's small ones.
ssize_t faultyPread(int fd, void *pv, size_t cb, off_t off) {
    return cb == kCopyBlockSize && Fault::hit() ? -1 : ::pread(fd, pv, cb, off);
}
int faultyClose(int fd) {
    bool const fFail = Fault::hit();
    ::close(fd);
    return fFail ? -1 : 0;
}
int faultyRename(const char *pszFrom, const char *pszTo) {
    return Fault::hit() ? -1 : ::rename(pszFrom, pszTo);
}

class QuilpackFileFaults : public ::testing::Test {
protected:
    void TearDown() override { g_fileOpsPosix = {::write, ::pwrite, ::pread, ::close, ::rename}; }
};

TEST_F(QuilpackFileFaults, NothingLeftBehind) {
    enum Call { kWrite, kPwrite, kPread, kClose, kRename };
    struct Row {
        int line;
        Call call;
        unsigned iFailAt;
        int iErrno, iSignal;
        const char *pszProblem; // after "OUT: " or "FILE: "
        bool fInputAtFault;
    };
    const Row rows[] = {
        {__LINE__, kWrite, 1, ENOSPC, 0, "write failed: No space left on device", false}, // the headers
        {__LINE__, kWrite, 3, ENOSPC, 0, "write failed: No space left on device", false}, // the stub's sections
        {__LINE__, kWrite, 9, EIO, 0, "write failed: Input/output error", false},         // half-way through a payload
        {__LINE__, kPwrite, 1, EDQUOT, 0, "write failed: Disk quota exceeded", false},    // the checksum, last
        {__LINE__, kClose, 1, EIO, 0, "write failed: Input/output error", false},
        {__LINE__, kRename, 1, EXDEV, 0, "cannot rename the finished file into place: Invalid cross-device link",
         false},
        {__LINE__, kPread, 3, EIO, 0, "read failed: Input/output error", true}, // a payload that cannot be read
        {__LINE__, kWrite, 2, 0, SIGTERM, "interrupted", false},
        {__LINE__, kWrite, 9, 0, SIGINT, "interrupted", false},
        {__LINE__, kPwrite, 1, 0, SIGTERM, "interrupted", false}, // after the last byte, before the rename
    };
    TempDir dir;
    writeFile(dir.path("big.msi"), patternBytes(5u << 20, 1)); // five copy blocks
    writeFile(dir.path("small.cab"), patternBytes(100, 2));
    std::string const out = dir.path("setup.exe");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        writeFile(out, "older");
        std::vector<std::string> const before = dir.list();
        g_fileOpsPosix = {::write, ::pwrite, ::pread, ::close, ::rename};
        switch (row.call) {
        case kWrite:
            g_fileOpsPosix.pfnWrite = faultyWrite;
            break;
        case kPwrite:
            g_fileOpsPosix.pfnPwrite = faultyPwrite;
            break;
        case kPread:
            g_fileOpsPosix.pfnPread = faultyPread;
            break;
        case kClose:
            g_fileOpsPosix.pfnClose = faultyClose;
            break;
        case kRename:
            g_fileOpsPosix.pfnRename = faultyRename;
            break;
        }
        Fault::arm(row.iFailAt, row.iErrno, row.iSignal);
        PackRequest request;
        request.stubPath = sampleStubPath();
        request.outputPath = out;
        request.inputs = {{dir.path("big.msi"), 2}, {dir.path("small.cab"), 0}};
        PackError error;
        EXPECT_FALSE(packCreate(
            request, [](const std::string &) {}, &error));
        EXPECT_GE(Fault::s_cCalls, row.iFailAt); // the fault was reached
        std::string const file = row.fInputAtFault ? dir.path("big.msi") : out;
        EXPECT_EQ(file + ": " + row.pszProblem, error.message);
        EXPECT_EQ(row.iSignal, error.signal);
        EXPECT_EQ(before, dir.list());
        std::vector<uint8_t> const kept = readFile(out);
        EXPECT_TRUE(std::string(kept.begin(), kept.end()) == "older") << kept.size() << " bytes";
    }
    // The interrupt handlers are gone again: a pack does not swallow a later SIGTERM.
    struct sigaction sa;
    sigaction(SIGTERM, nullptr, &sa);
    EXPECT_EQ(SIG_DFL, sa.sa_handler);
}

// A package file that changes while it is copied: the tree already holds its size, so a file
// that ends early or goes on is refused, not packed wrong.
ssize_t shrinkingPread(int fd, void *pv, size_t cb, off_t off) {
    return cb == kCopyBlockSize && Fault::hit() ? 0 : ::pread(fd, pv, cb, off);
}
ssize_t growingPread(int fd, void *pv, size_t cb, off_t off) {
    if (cb == 1) { // the probe after the last byte
        *static_cast<uint8_t *>(pv) = 0;
        return 1;
    }
    return ::pread(fd, pv, cb, off);
}

TEST_F(QuilpackFileFaults, PackageChangedWhileCopied) {
    struct Row {
        int line;
        ssize_t (*pfnPread)(int, void *, size_t, off_t);
        const char *pszProblem;
    };
    const Row rows[] = {
        {__LINE__, shrinkingPread, "became shorter while it was packed"},
        {__LINE__, growingPread, "grew while it was packed"},
    };
    TempDir dir;
    writeFile(dir.path("app.msi"), patternBytes(3 * kCopyBlockSize + 5, 1));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        g_fileOpsPosix.pfnPread = row.pfnPread;
        Fault::arm(2, 0, 0);
        PackRequest request;
        request.stubPath = sampleStubPath();
        request.outputPath = dir.path("setup.exe");
        request.inputs = {{dir.path("app.msi"), 0}};
        PackError error;
        EXPECT_FALSE(packCreate(
            request, [](const std::string &) {}, &error));
        EXPECT_EQ(dir.path("app.msi") + ": " + row.pszProblem, error.message);
        EXPECT_EQ((std::vector<std::string>{"app.msi"}), dir.list());
    }
}

} // namespace
