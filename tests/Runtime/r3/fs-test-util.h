// Helpers for the file, directory and temporary-name tests, the same on every platform (bodies
// in win/fs-test-util-win.cpp and posix/fs-test-util-posix.cpp, plus the portable ones in
// fs-test-util.cpp).
#pragma once

#include <qrt/file.h>

#include <string>

// A fresh directory under the temporary directory, removed with all its contents at the end.
class TstScratchDir {
public:
    TstScratchDir();
    ~TstScratchDir();
    TstScratchDir(const TstScratchDir &) = delete;
    TstScratchDir &operator=(const TstScratchDir &) = delete;
    // The directory, in the platform's form, without a trailing separator.
    const std::string &path() const { return m_Path; }
    // path() joined with a name by the platform's separator.
    std::string operator/(const std::string &Name) const;

private:
    std::string m_Path;
};

// Whole-file helpers through the C++ library (not the runtime under test).
bool tstFileWriteAll(const std::string &Path, const std::string &Content);
bool tstFileReadAll(const std::string &Path, std::string *pContent);
bool tstPathExists(const std::string &Path);
bool tstIsDirectory(const std::string &Path);
bool tstMakeDir(const std::string &Path);

// Moves the position of an open file (platform call), and sets its end there (sparse).
bool tstFileSeek(RTFILE hFile, uint64_t off);
bool tstFileSetEndAt(RTFILE hFile, uint64_t off);

// Intercepts the file layer's single reads and writes. For each call the hook is asked what to
// do with the bytes requested: transfer at most cbMax of them (SIZE_MAX: all) through the real
// call, or fail with one of the errors below.
enum TSTIOFAIL {
    TSTIO_OK = 0,
    TSTIO_NO_MEMORY, // the platform's "request too large for now" (Windows ERROR_NOT_ENOUGH_MEMORY)
    TSTIO_DISK_FULL, // no space left
    TSTIO_IO_ERROR,  // a device error
};
struct TSTIOSTEP {
    size_t cbMax;
    TSTIOFAIL enmFail;
};
typedef TSTIOSTEP (*PFNTSTIOHOOK)(void *pvUser, bool fWrite, size_t cbRequested);
class TstFileIoHook {
public:
    TstFileIoHook(PFNTSTIOHOOK pfnHook, void *pvUser);
    ~TstFileIoHook();
    TstFileIoHook(const TstFileIoHook &) = delete;
    TstFileIoHook &operator=(const TstFileIoHook &) = delete;
};
// The status the file layer reports for TSTIO_IO_ERROR on this platform.
int tstIoErrorStatus();
