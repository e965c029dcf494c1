// One fuzz target per program: FUZZ_TARGET names it. With libFuzzer (clang,
// -fsanitize=fuzzer) this file only supplies the entry point; without it, a main replays
// every file of the folders or files given, so GCC builds run the corpus too.
#include "FuzzTargets.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FUZZ_TARGET(data, size);
}

#ifndef MURALTO_LIBFUZZER
static void Replay(const std::filesystem::path& file, int& count) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    ++count;
}

int main(int argc, char** argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(path))
                if (entry.is_regular_file())
                    Replay(entry.path(), count);
        } else {
            Replay(path, count);
        }
    }
    std::printf("replayed %d inputs\n", count);
    return 0;
}
#endif
