// Inner loops of the buffers: registering names, drawing the next file.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

namespace muralto::bench {
namespace {

// Names in no order (range 1 = 0), or sorted as a folder scan hands them over (1).
void BM_AddFilesEx(benchmark::State& state) {
    auto names = CollectionNames("/photos/", int(state.range(0)));
    if (state.range(1))
        std::sort(names.begin(), names.end());
    for (auto _ : state) {
        TFileBuffer buffer;
        buffer.SetMask("*.bmp");
        buffer.AddFilesEx(names, 0, true, false, nullptr);
        benchmark::DoNotOptimize(buffer.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AddFilesEx)
    ->Args({1000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// Registers a tree of 1,000 folders of 100 pictures as a folder registration does: read
// on one thread, registered on the other; no buffer file is written. MURALTO_BENCH_TREE
// names a tree of *.jpg files to use instead, so that a script can time find on the same.
void BM_AddFolderFiles(benchmark::State& state) {
    std::string tree;
    if (const char* given = std::getenv("MURALTO_BENCH_TREE")) {
        tree = given;
    } else {
        tree = PrivateHome() + "tree/";
        std::vector<std::string> names;
        for (int folder = 0; folder < 1000; ++folder)
            for (int file = 0; file < 100; ++file)
                names.push_back(tree + "album" + std::to_string(1000 + folder) + "/IMG_" +
                                std::to_string(100000 + folder * 100 + file) + ".jpg");
        MakeFiles(names);
    }
    int64_t registered = 0;
    for (auto _ : state) {
        TFileBuffer buffer;
        buffer.SetMask("*.jpg");
        buffer.AddFolderFiles(tree, true, false, 0, true, false, nullptr);
        registered += buffer.Count();
        state.PauseTiming(); // freeing a hundred thousand records is not registering them
        buffer.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(registered);
}
BENCHMARK(BM_AddFolderFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// Draws from a buffer of real files (each draw checks that its file exists).
void BM_GetNext(benchmark::State& state) {
    const int n = int(state.range(0));
    const auto names = CollectionNames(PrivateHome() + "draw" + std::to_string(n) + "/", n);
    MakeFiles(names);
    TFileBuffer buffer;
    buffer.SetMask("*.bmp");
    buffer.AddFilesEx(names, 0, true, false, nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(buffer.GetNext());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GetNext)->Arg(1000)->Arg(100000);

} // namespace
} // namespace muralto::bench

BENCHMARK_MAIN();
