// Files and interrupts on POSIX systems.
#include "file.h"
#include "file-internal.h"
#include "posix/file-posix.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quilpack {

FileOpsPosix g_fileOpsPosix = {::write, ::pwrite, ::pread, ::close, ::rename};

volatile std::sig_atomic_t g_iInterrupt = 0;

namespace {

const int s_aiSignals[] = {SIGINT, SIGTERM};
struct sigaction s_aOldActions[2];

std::string errnoText(int iErr) {
    return std::strerror(iErr);
}

void onInterrupt(int signo) {
    g_iInterrupt = signo;
}

} // namespace

InputFile::~InputFile() {
    if (m_hNative >= 0) ::close(int(m_hNative));
}

bool InputFile::open(const std::string &path, std::string *pErr) {
    int const fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *pErr = errno == ENOENT ? "no such file" : "cannot open: " + errnoText(errno);
        return false;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        *pErr = "cannot query: " + errnoText(errno);
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        // The size must be known before the first byte is written (the resource tree holds it).
        *pErr = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
        ::close(fd);
        return false;
    }
    m_hNative = fd;
    m_cbSize = uint64_t(st.st_size);
    return true;
}

int64_t InputFile::readAt(uint64_t off, void *pv, size_t cb, std::string *pErr) {
    size_t cbDone = 0;
    while (cbDone < cb) {
        ssize_t const cbRead =
            g_fileOpsPosix.pfnPread(int(m_hNative), static_cast<char *>(pv) + cbDone, cb - cbDone, off_t(off + cbDone));
        if (cbRead < 0) {
            if (errno == EINTR && !g_iInterrupt) continue;
            *pErr = errno == EINTR ? "interrupted" : "read failed: " + errnoText(errno);
            return -1;
        }
        if (cbRead == 0) break;
        cbDone += size_t(cbRead);
    }
    return int64_t(cbDone);
}

bool OutputFile::create(const std::string &target, std::string *pErr) {
    discard();
    // Beside the target, so that the rename stays on one file system; hidden, so that a
    // directory listing during the run shows nothing half-done under a usable name.
    std::string const dir = target.find('/') == std::string::npos ? "" : target.substr(0, target.rfind('/') + 1);
    std::string const base = target.substr(dir.size());
    for (unsigned iTry = 0; iTry < 100; iTry++) {
        std::string const temp =
            dir + "." + base + "." + std::to_string(getpid()) + "-" + std::to_string(iTry) + ".tmp";
        // Executable like a linker's output; the umask applies.
        int const fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777);
        if (fd >= 0) {
            m_hNative = fd;
            m_target = target;
            m_tempPath = temp;
            return true;
        }
        if (errno != EEXIST) {
            *pErr = "cannot create a file beside it: " + errnoText(errno);
            return false;
        }
    }
    *pErr = "cannot create a file beside it: too many leftover temporary files";
    return false;
}

bool OutputFile::write(const void *pv, size_t cb, std::string *pErr) {
    const char *pch = static_cast<const char *>(pv);
    while (cb > 0) {
        if (g_iInterrupt) {
            *pErr = "interrupted";
            return false;
        }
        ssize_t const cbWritten = g_fileOpsPosix.pfnWrite(int(m_hNative), pch, cb);
        if (cbWritten < 0) {
            if (errno == EINTR) continue;
            *pErr = "write failed: " + errnoText(errno);
            return false;
        }
        pch += cbWritten;
        cb -= size_t(cbWritten);
    }
    return true;
}

bool OutputFile::writeAt(uint64_t off, const void *pv, size_t cb, std::string *pErr) {
    while (cb > 0) {
        ssize_t const cbWritten = g_fileOpsPosix.pfnPwrite(int(m_hNative), pv, cb, off_t(off));
        if (cbWritten < 0) {
            if (errno == EINTR && !g_iInterrupt) continue;
            *pErr = "write failed: " + errnoText(errno);
            return false;
        }
        pv = static_cast<const char *>(pv) + cbWritten;
        off += uint64_t(cbWritten);
        cb -= size_t(cbWritten);
    }
    return true;
}

bool OutputFile::commit(std::string *pErr) {
    if (g_iInterrupt) {
        *pErr = "interrupted";
        discard();
        return false;
    }
    int const fd = int(m_hNative);
    m_hNative = -1;
    // A close can report a write that failed late (quota, network file systems).
    if (g_fileOpsPosix.pfnClose(fd) != 0) {
        *pErr = "write failed: " + errnoText(errno);
        discard();
        return false;
    }
    if (g_fileOpsPosix.pfnRename(m_tempPath.c_str(), m_target.c_str()) != 0) {
        *pErr = "cannot rename the finished file into place: " + errnoText(errno);
        discard();
        return false;
    }
    m_tempPath.clear();
    return true;
}

void OutputFile::discard() {
    if (m_hNative >= 0) ::close(int(m_hNative));
    m_hNative = -1;
    if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
}

void interruptsCatch() {
    g_iInterrupt = 0; // an interrupt of an earlier pack in this process is over
    for (size_t i = 0; i < 2; i++) {
        struct sigaction sa;
        std::memset(&sa, 0, sizeof(sa));
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0; // no SA_RESTART: a blocked write returns and the writer sees the flag
        sigaction(s_aiSignals[i], &sa, &s_aOldActions[i]);
    }
}

void interruptsRelease() {
    for (size_t i = 0; i < 2; i++) sigaction(s_aiSignals[i], &s_aOldActions[i], nullptr);
}

int interruptPending() {
    return g_iInterrupt;
}

void interruptExit(int signo) {
    signal(signo, SIG_DFL);
    raise(signo);
    _exit(128 + signo);
}

std::vector<std::string> programArguments(int argc, char **argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

} // namespace quilpack
