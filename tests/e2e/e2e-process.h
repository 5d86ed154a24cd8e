// Starting a Windows program with an exact command line and reading its full exit code: what
// the launcher program, the end-to-end tests and the msi.dll double share.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

std::wstring Utf8ToWide(const std::string &text);
std::string WideToUtf8(const std::wstring &text);

// Quotes one argument so that CommandLineToArgvW and the C runtime give it back unchanged.
std::wstring QuoteArgument(const std::wstring &arg);

// An environment block under construction: starts as a copy of this process's environment.
// Names compare without regard to case, as Windows does.
class Environment {
public:
    Environment();
    void set(const std::wstring &name, const std::wstring &value);
    void unset(const std::wstring &name);
    // The block for CreateProcessW (CREATE_UNICODE_ENVIRONMENT), sorted by name.
    std::wstring block() const;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_vars;
};

struct LaunchSpec {
    std::wstring application; // the program file; empty: the first token of commandLine
    std::wstring commandLine; // handed to the program exactly
    std::wstring directory;   // its current directory; empty: ours
    std::wstring stdinPath;   // files for its standard handles; empty: the NUL device,
    std::wstring stdoutPath;  // or ours with inheritStd
    std::wstring stderrPath;
    bool inheritStd = false;
    const Environment *environment = nullptr; // null: ours
    uint32_t timeoutMs = 120000;
};

struct LaunchResult {
    uint32_t startError = 0; // CreateProcessW's error; 0: it started
    uint32_t exitCode = 0;   // the full 32-bit exit code
    bool timedOut = false;   // it was still running at the timeout and was terminated
    double seconds = 0;      // from start to exit
};

// Starts the program without our console (as a GUI program starts on Windows), waits for it
// and returns how it ended. Output files are created anew.
LaunchResult Launch(const LaunchSpec &spec);

// A program whose standard input and output are pipes to us (helpers that say when they are
// ready and run until told to stop). Standard error goes to the NUL device.
class PipedChild {
public:
    PipedChild() = default;
    ~PipedChild();
    PipedChild(const PipedChild &) = delete;
    PipedChild &operator=(const PipedChild &) = delete;

    // Returns CreateProcessW's error, 0 when it started. DIRECTORY: its current directory
    // (empty: ours); a process holds its current directory open, so that directory cannot be
    // removed while it runs.
    uint32_t start(const std::wstring &application, const std::wstring &commandLine,
                   const Environment *environment = nullptr, const std::wstring &directory = L"");
    // One line of its output without the line end; empty when it ended or TIMEOUTMS passed.
    std::string readLine(uint32_t timeoutMs);
    // Closes its standard input: the helpers take that as the word to stop.
    void closeInput();
    // Waits for it to end; returns false when it did not within TIMEOUTMS (it is then terminated).
    bool wait(uint32_t timeoutMs, uint32_t *pExitCode = nullptr);

private:
    void *m_hProcess = nullptr;
    void *m_hInput = nullptr;  // our end of its standard input
    void *m_hOutput = nullptr; // our end of its standard output
    std::string m_pending;
};

} // namespace e2e
