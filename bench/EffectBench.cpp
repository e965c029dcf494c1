// Every delivered effect on a 1920x1080 24-bit picture, as the program runs it (through
// the host), next to one memcpy of the same picture.
#include "compose/MWGraphic.h"
#include "effects/EffectLib.h"
#include "platform/Paths.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace muralto {
namespace {

BitmapPtr Photo() {
    BitmapPtr image(mtgdi_create(1920, 1080, MT_PF24));
    for (int y = 0; y < 1080; ++y) {
        uint8_t* p = mtgdi_scanline(image.get(), y);
        for (int x = 0; x < 1920; ++x, p += 3) {
            p[0] = uint8_t(x * 7 + y);
            p[1] = uint8_t(x ^ y);
            p[2] = uint8_t(y * 3 - x);
        }
    }
    return image;
}

void BM_Memcpy(benchmark::State& state) {
    BitmapPtr picture = Photo();
    const size_t bytes = size_t(mtgdi_stride(picture.get())) * 1080;
    std::vector<uint8_t> copy(bytes);
    for (auto _ : state) {
        std::memcpy(copy.data(), mtgdi_scanline(picture.get(), 0), bytes);
        benchmark::DoNotOptimize(copy.data());
    }
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

void RunOne(benchmark::State& state, TEffectLibrary* library, int index) {
    BitmapPtr picture = Photo();
    for (auto _ : state) {
        state.PauseTiming();
        BitmapPtr work(mtgdi_clone(picture.get()));
        state.ResumeTiming();
        library->RunEffect(index, work);
        benchmark::DoNotOptimize(work.get());
    }
}

} // namespace
} // namespace muralto

int main(int argc, char** argv) {
    using namespace muralto;
    static TEffectLibrary library({ProgramFolder()});
    for (int i = 0; i < library.EffectCount(); ++i)
        benchmark::RegisterBenchmark(("BM_Effect/" + library.EffectExportName(i)).c_str(), RunOne,
                                     &library, i)
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
