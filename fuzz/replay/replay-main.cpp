// Runs a fuzz target once over every file of its corpus (a directory or single files), so
// the ordinary test run replays what the fuzzer found without needing libFuzzer.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static void replayFile(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A heap copy of exactly the input's size, so ASan sees reads past its end.
    std::vector<uint8_t> data(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(data.empty() ? nullptr : data.data(), data.size());
}

int main(int argc, char **argv) {
    size_t count = 0;
    for (int i = 1; i < argc; i++) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto &entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) {
                    replayFile(entry.path());
                    count++;
                }
        } else if (std::filesystem::is_regular_file(arg)) {
            replayFile(arg);
            count++;
        } else {
            std::fprintf(stderr, "replay: no such corpus: %s\n", argv[i]);
            return 1;
        }
    }
    if (count == 0) {
        std::fprintf(stderr, "replay: empty corpus\n");
        return 1;
    }
    std::printf("replayed %zu inputs\n", count);
    return 0;
}
