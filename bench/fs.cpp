// Run-once, the shared random draw, unique names and whole-block file transfers: the costs the
// extraction pays per package. File figures are disk-bound and vary with the machine; the
// "write" row is the plain system call on the same blocks, for scale.
#include <benchmark/benchmark.h>

#include <qrt/dir.h>
#include <qrt/err.h>
#include <qrt/file.h>
#include <qrt/once.h>
#include <qrt/rand.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

int onceNothing(void *pvUser) {
    (void)pvUser;
    return QINF_SUCCESS;
}

void BM_OnceDone_RTOnce(benchmark::State &state) {
    static RTONCE s_Once = RTONCE_INITIALIZER;
    RTOnce(&s_Once, onceNothing, NULL, NULL);
    for (auto _ : state) benchmark::DoNotOptimize(RTOnce(&s_Once, onceNothing, NULL, NULL));
}
BENCHMARK(BM_OnceDone_RTOnce);

void BM_OnceFirst_RTOnce(benchmark::State &state) {
    RTONCE Once = RTONCE_INITIALIZER;
    for (auto _ : state) {
        Once = RTONCE_INITIALIZER;
        benchmark::DoNotOptimize(RTOnce(&Once, onceNothing, NULL, NULL));
    }
}
BENCHMARK(BM_OnceFirst_RTOnce);

void BM_RandChar_RTRandU32Ex(benchmark::State &state) {
    for (auto _ : state) benchmark::DoNotOptimize(RTRandU32Ex(0, 35));
}
BENCHMARK(BM_RandChar_RTRandU32Ex);

std::string benchScratchDir() {
    const char *pszTmp = getenv("TMPDIR");
    std::string Dir = std::string(pszTmp && *pszTmp ? pszTmp : "/tmp") + "/qrt-bench-XXXXXX";
    if (!mkdtemp(&Dir[0])) return std::string();
    return Dir;
}

void BM_TempDir_RTDirCreateTemp(benchmark::State &state) {
    std::string const Dir = benchScratchDir();
    for (auto _ : state) {
        std::string Template = Dir + "/XXXXXXXXXXXXXXXXXXXXXXXX";
        if (RT_FAILURE(RTDirCreateTemp(&Template[0], 0700))) state.SkipWithError("RTDirCreateTemp failed");
        RTDirRemove(Template.c_str());
    }
    rmdir(Dir.c_str());
}
BENCHMARK(BM_TempDir_RTDirCreateTemp);

// A 16 MiB package in 64 KiB blocks, as the extraction writes and verifies it.
constexpr size_t g_cbBlock = 65536;
constexpr size_t g_cBlocks = 256;

void BM_Write64K_RTFileWrite(benchmark::State &state) {
    std::string const Dir = benchScratchDir();
    std::string const Path = Dir + "/pkg.msi";
    std::vector<char> Block(g_cbBlock, 'p');
    for (auto _ : state) {
        RTFILE hFile = NIL_RTFILE;
        if (RT_FAILURE(RTFileOpen(&hFile, Path.c_str(), 0x1C000322))) state.SkipWithError("open failed");
        for (size_t i = 0; i < g_cBlocks; i++) RTFileWrite(hFile, Block.data(), Block.size(), NULL);
        RTFileClose(hFile);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)(g_cbBlock * g_cBlocks));
    unlink(Path.c_str());
    rmdir(Dir.c_str());
}
BENCHMARK(BM_Write64K_RTFileWrite)->Unit(benchmark::kMillisecond);

void BM_Write64K_write(benchmark::State &state) {
    std::string const Dir = benchScratchDir();
    std::string const Path = Dir + "/pkg.msi";
    std::vector<char> Block(g_cbBlock, 'p');
    for (auto _ : state) {
        int fd = open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0700);
        for (size_t i = 0; i < g_cBlocks; i++) benchmark::DoNotOptimize(write(fd, Block.data(), Block.size()));
        close(fd);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)(g_cbBlock * g_cBlocks));
    unlink(Path.c_str());
    rmdir(Dir.c_str());
}
BENCHMARK(BM_Write64K_write)->Unit(benchmark::kMillisecond);

void BM_Read64K_RTFileRead(benchmark::State &state) {
    std::string const Dir = benchScratchDir();
    std::string const Path = Dir + "/pkg.msi";
    std::vector<char> Block(g_cbBlock, 'p');
    RTFILE hFile = NIL_RTFILE;
    RTFileOpen(&hFile, Path.c_str(), 0x1C000322);
    for (size_t i = 0; i < g_cBlocks; i++) RTFileWrite(hFile, Block.data(), Block.size(), NULL);
    RTFileClose(hFile);
    for (auto _ : state) {
        if (RT_FAILURE(RTFileOpen(&hFile, Path.c_str(), 0x721))) state.SkipWithError("open failed");
        for (size_t i = 0; i < g_cBlocks; i++) RTFileRead(hFile, Block.data(), Block.size(), NULL);
        RTFileClose(hFile);
    }
    state.SetBytesProcessed(state.iterations() * (int64_t)(g_cbBlock * g_cBlocks));
    unlink(Path.c_str());
    rmdir(Dir.c_str());
}
BENCHMARK(BM_Read64K_RTFileRead)->Unit(benchmark::kMillisecond);

} // namespace
