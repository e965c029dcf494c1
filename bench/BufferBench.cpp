// Inner loops of the buffers: registering names, drawing the next file.
#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <algorithm>

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
