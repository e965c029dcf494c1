// The composition steps of a change at 1920x1080.
#include "compose/LayList.h"
#include "compose/MWGraphic.h"
#include "core/CmdParam.h"
#include "platform/Services.h"

#include <benchmark/benchmark.h>

namespace muralto {
namespace {

void UseScreen() {
    Platform().desktop =
        std::make_unique<VirtualDesktop>(DesktopGeometry{{1920, 1080}, {0, 0, 1920, 1080}, 24});
}

void BM_ComposeOverTexture(benchmark::State& state) {
    UseScreen();
    TGraphicServer server;
    BitmapPtr texture = SolidBitmap(64, 64, MT_PF24, 0x336699);
    BitmapPtr picture = SolidBitmap(1600, 1000, MT_PF24, 0x123456);
    FillRect(picture.get(), 0, 0, 800, 500, 0xFFFFFF);
    for (auto _ : state) {
        BitmapPtr work(mtgdi_clone(picture.get()));
        server.ComposeOverTexture(work, texture.get(), 1, 0xFFFFFF);
        benchmark::DoNotOptimize(work.get());
    }
}
BENCHMARK(BM_ComposeOverTexture)->Unit(benchmark::kMillisecond);

void BM_ScaleKeepAspect12MP(benchmark::State& state) {
    UseScreen();
    TGraphicServer server;
    BitmapPtr picture = SolidBitmap(4000, 3000, MT_PF24, 0x808080);
    for (auto _ : state) {
        BitmapPtr work(mtgdi_clone(picture.get()));
        server.ScaleKeepAspect(work, 1920, 1080, int(state.range(0)));
        benchmark::DoNotOptimize(work.get());
    }
}
BENCHMARK(BM_ScaleKeepAspect12MP)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace muralto

BENCHMARK_MAIN();
