// The built quilpack as a release engineer's script runs it: exit codes, the exact messages,
// list output, and an interrupt from outside.
#include "quilpack-test-util.h"

#include <quil-version.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace quilpacktest;

struct Outcome {
    int status = -1; // exit code, or 128 + signal
    std::string out, err;
};

// Starts quilpack with ARGS, stdout and stderr to files in DIR; returns its pid.
pid_t start(const TempDir &dir, const std::vector<std::string> &args) {
    pid_t const pid = fork();
    if (pid == 0) {
        int const fdOut = open(dir.path(".stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int const fdErr = open(dir.path(".stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        std::vector<char *> argv{const_cast<char *>(QUILPACK_EXE)};
        for (const std::string &arg : args) argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(nullptr);
        execv(QUILPACK_EXE, argv.data());
        _exit(127);
    }
    return pid;
}

Outcome finish(const TempDir &dir, pid_t pid) {
    Outcome run;
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    std::vector<uint8_t> const out = readFile(dir.path(".stdout")), err = readFile(dir.path(".stderr"));
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    std::filesystem::remove(dir.path(".stdout"));
    std::filesystem::remove(dir.path(".stderr"));
    return run;
}

Outcome quilpack(const TempDir &dir, const std::vector<std::string> &args) {
    return finish(dir, start(dir, args));
}

const char kUsage[] = "Usage: quilpack create --stub STUB --output OUT [--arch ARCH] FILE [[--arch ARCH] FILE]...\n"
                      "       quilpack list SETUP\n"
                      "       quilpack --help | --version\n"
                      "Try 'quilpack --help' for more.\n";

TEST(QuilpackCli, ExitCodesAndMessages) {
    TempDir dir;
    std::string const stub = sampleStubPath(), out = dir.path("setup.exe");
    writeFile(dir.path("a.msi"), "msi");
    writeFile(dir.path("b.cab"), "cab");
    struct Row {
        int line;
        std::vector<std::string> args;
        int status;
        std::string err; // exact standard error
    };
    std::string const usage = kUsage;
    const Row rows[] = {
        {__LINE__, {}, 2, "quilpack: no command\n" + usage},
        {__LINE__, {"pack"}, 2, "quilpack: unknown command 'pack'\n" + usage},
        {__LINE__, {"-x"}, 2, "quilpack: unknown option '-x'\n" + usage},
        {__LINE__,
         {"create", "--stub", stub, "--output", out, "--force", "a.msi"},
         2,
         "quilpack: unknown option '--force'\n" + usage},
        {__LINE__, {"create", "--output", out, dir.path("a.msi")}, 2, "quilpack: missing '--stub STUB'\n" + usage},
        {__LINE__, {"create", "--stub", stub, dir.path("a.msi")}, 2, "quilpack: missing '--output OUT'\n" + usage},
        {__LINE__, {"create", "--stub", stub, "--output", out}, 2, "quilpack: no FILE to pack\n" + usage},
        {__LINE__, {"create", "--stub", stub, "--output"}, 2, "quilpack: option '--output' needs a value\n" + usage},
        {__LINE__,
         {"create", "--stub", stub, "--stub=" + stub, "--output", out, dir.path("a.msi")},
         2,
         "quilpack: option '--stub' given twice\n" + usage},
        {__LINE__,
         {"create", "--stub", stub, "--output", out, "--arch", "arm64", dir.path("a.msi")},
         2,
         "quilpack: unknown architecture 'arm64' (all, x86, amd64 or 0-255)\n" + usage},
        {__LINE__,
         {"create", "--stub", stub, "--output", out, dir.path("a.msi"), "--arch", "x86"},
         2,
         "quilpack: '--arch x86' is not followed by a FILE\n" + usage},
        {__LINE__, {"list"}, 2, "quilpack: no SETUP to list\n" + usage},
        {__LINE__,
         {"create", "--stub", stub, "--output", out, dir.path("missing.msi")},
         1,
         "quilpack: error: " + dir.path("missing.msi") + ": no such file\n"},
        {__LINE__,
         {"create", "--stub", dir.path("a.msi"), "--output", out, dir.path("a.msi")},
         1,
         "quilpack: error: " + dir.path("a.msi") + ": not a Windows executable (no MZ header)\n"},
        {__LINE__, {"list", stub}, 1, "quilpack: error: " + stub + ": carries no packages (no MANIFEST resource)\n"},
        {__LINE__,
         {"list", dir.path("a.msi")},
         1,
         "quilpack: error: " + dir.path("a.msi") + ": not a Windows executable (no MZ header)\n"},
        {__LINE__,
         {"create", "--stub", stub, "--output", out, "--arch", "amd64", dir.path("b.cab")},
         0,
         "quilpack: warning: " + dir.path("b.cab") +
             ": a cabinet for amd64 is extracted under a random name, which its .msi cannot find; pack cabinets as "
             "'all'\n"},
        {__LINE__, {"create", "--stub=" + stub, "--output=" + out, "--", dir.path("a.msi")}, 0, ""},
        {__LINE__, {"--version"}, 0, ""},
        {__LINE__, {"create", "--help"}, 0, ""},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.line);
        Outcome const run = quilpack(dir, row.args);
        EXPECT_EQ(row.status, run.status);
        EXPECT_EQ(row.err, run.err);
        if (row.status == 2) {
            EXPECT_EQ("", run.out);
        }
    }
}

TEST(QuilpackCli, VersionHelpAndList) {
    TempDir dir;
    Outcome run = quilpack(dir, {"--version"});
    EXPECT_EQ(0, run.status);
    char szVersion[64];
    std::snprintf(szVersion, sizeof(szVersion), "quilpack %u.%u.%ur%u\n", QUIL_VERSION_MAJOR, QUIL_VERSION_MINOR,
                  QUIL_VERSION_BUILD, QUIL_VERSION_REVISION);
    EXPECT_EQ(szVersion, run.out);
    run = quilpack(dir, {"--help"});
    EXPECT_EQ(0, run.status);
    EXPECT_NE(std::string::npos, run.out.find("an image larger than 1792 MiB (0x70000000 bytes)")) << run.out;

    writeFile(dir.path("Product.msi"), patternBytes(70000, 1));
    writeFile(dir.path("data1.cab"), patternBytes(3, 2));
    writeFile(dir.path("extra.bin"), patternBytes(1, 3));
    run = quilpack(dir, {"create", "--stub", sampleStubPath(), "--output", dir.path("setup.exe"), "--arch", "amd64",
                         dir.path("Product.msi"), dir.path("data1.cab"), "--arch", "200", dir.path("extra.bin")});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ(dir.path("setup.exe") + ": 3 packages\n", run.out);
    run = quilpack(dir, {"list", dir.path("setup.exe")});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("count\t3\n"
              "0\tamd64\tBIN_00\tProduct.msi\t70000\n"
              "1\tall\tBIN_01\tdata1.cab\t3\n"
              "2\t200\tBIN_02\textra.bin\t1\n",
              run.out);
    EXPECT_EQ("", run.err);
}

TEST(QuilpackCli, InterruptedFromOutside) {
    // A payload large enough that the pack is still running when the signal comes: sparse, so
    // it costs no disk to make, and the pack is stopped long before it is written.
    TempDir dir;
    writeFile(dir.path("big.msi"), "");
    std::filesystem::resize_file(dir.path("big.msi"), uint64_t(1) << 30);
    writeFile(dir.path("setup.exe"), "older");
    for (int signo : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signo);
        pid_t const pid =
            start(dir, {"create", "--stub", sampleStubPath(), "--output", dir.path("setup.exe"), dir.path("big.msi")});
        // Wait until the temporary file exists: the pack is under way.
        bool fWriting = false;
        for (int i = 0; i < 2000 && !fWriting; i++) {
            for (const std::string &name : dir.list()) fWriting |= name.rfind(".setup.exe.", 0) == 0;
            if (!fWriting) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(fWriting);
        kill(pid, signo);
        Outcome const run = finish(dir, pid);
        EXPECT_EQ(128 + signo, run.status);
        EXPECT_EQ("quilpack: error: " + dir.path("setup.exe") + ": interrupted\n", run.err);
        EXPECT_EQ((std::vector<std::string>{"big.msi", "setup.exe"}), dir.list());
        std::vector<uint8_t> const kept = readFile(dir.path("setup.exe"));
        EXPECT_EQ("older", std::string(kept.begin(), kept.end()));
    }
}

} // namespace
