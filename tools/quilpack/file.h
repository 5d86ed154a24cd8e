// The files quilpack reads and writes, and the interrupts that must not leave a half-written
// output behind. One implementation per platform (posix/, win/), chosen by the build.
#pragma once

#include "byte-source.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quilpack {

// A file opened for reading. Errors come back as text naming the problem (the caller adds
// the file's name).
class InputFile : public ByteSource {
public:
    InputFile() = default;
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile() override;

    // Opens PATH; false with *pErr set when it is missing, unreadable or not a regular file.
    bool open(const std::string &path, std::string *pErr);
    uint64_t size() const override { return m_cbSize; }
    // Exactly CB bytes at OFF, or false with *pErr set ("truncated" at the end of the file).
    bool read(uint64_t off, void *pv, size_t cb, std::string *pErr) override;
    // Reads up to CB bytes at OFF into PV; returns the count (short only at the end of the
    // file) or -1 with *pErr set.
    int64_t readAt(uint64_t off, void *pv, size_t cb, std::string *pErr);

private:
    intptr_t m_hNative = -1;
    uint64_t m_cbSize = 0;
};

// The output, written to a temporary file beside its final name and renamed into place only
// by commit(): until then, and after any failure, the final name is untouched. Destroying an
// uncommitted file removes the temporary file.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile() { discard(); }

    // Creates a new temporary file in TARGET's directory; false with *pErr set.
    bool create(const std::string &target, std::string *pErr);
    // Appends CB bytes; false with *pErr set ("interrupted" when an interrupt arrived).
    bool write(const void *pv, size_t cb, std::string *pErr);
    // Overwrites CB bytes at OFF, which lies within what was written.
    bool writeAt(uint64_t off, const void *pv, size_t cb, std::string *pErr);
    // Closes the file and renames it to the target, replacing what is there; on failure the
    // temporary file is removed and the target is untouched.
    bool commit(std::string *pErr);
    // Closes and removes the temporary file, if any.
    void discard();
    const std::string &tempPath() const { return m_tempPath; }

private:
    intptr_t m_hNative = -1;
    std::string m_target;
    std::string m_tempPath;
};

// Interrupts (SIGINT, SIGTERM) while catching: they set a flag instead of ending the process,
// so that the writer stops at the next block, removes its temporary file and reports it.
void interruptsCatch();
// Restores the previous handlers; a pending interrupt stays pending.
void interruptsRelease();
// The signal that arrived while catching, or 0.
int interruptPending();
// Ends the process by SIGNO with its default action (after the cleanup is done).
[[noreturn]] void interruptExit(int signo);

// The program's arguments as UTF-8, without the program name.
std::vector<std::string> programArguments(int argc, char **argv);

} // namespace quilpack
