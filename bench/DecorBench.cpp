// Each decoration drawn on a 1920x1080 wallpaper, directly and through its layer, next to
// one copy of the picture as the yardstick.
#include "BenchSupport.h"
#include "compose/MWGraphic.h"
#include "decor/ADDraw.h"
#include "decor/CalDraw1.h"
#include "decor/NameDraw.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace muralto {
namespace {

void UseScreen() {
    bench::PrivateHome(); // the strip's bitmap goes there
    Platform().desktop =
        std::make_unique<VirtualDesktop>(DesktopGeometry{{1920, 1080}, {0, 0, 1920, 1040}, 24});
    Platform().clock = std::make_unique<FixedClock>(EncodeDateTime({2026, 12, 11, 18, 30, 0}));
}

BitmapPtr Wallpaper() {
    return SolidBitmap(1920, 1080, MT_PF24, 0x3A6EA5);
}

// Draws the item on a fresh copy of the wallpaper each round; only the drawing is timed.
template <class List, class Item>
void TimeDrawing(benchmark::State& state, List& list, Item& item) {
    BitmapPtr picture = Wallpaper();
    for (auto _ : state) {
        state.PauseTiming();
        BitmapPtr work(mtgdi_clone(picture.get()));
        state.ResumeTiming();
        list.DrawItem(work, &item);
        benchmark::DoNotOptimize(work.get());
    }
}

void BM_CopyPicture(benchmark::State& state) {
    BitmapPtr picture = Wallpaper();
    for (auto _ : state) {
        BitmapPtr copy(mtgdi_clone(picture.get()));
        benchmark::DoNotOptimize(copy.get());
    }
}
BENCHMARK(BM_CopyPicture)->Unit(benchmark::kMillisecond);

// Arg: 0 the month grid, 1 the strip; the calendar is always drawn through its layer.
void BM_Calendar(benchmark::State& state) {
    UseScreen();
    TCalenderList list("");
    TCalenderItem& item = list.AddItem();
    item.Font.Size = 14;
    item.Data.DrawType = uint8_t(state.range(0));
    item.Data.Position = uint8_t(state.range(0) ? 1 : 4);
    item.SetOption(coDrawShadow, true);
    item.Data.AlphaLevel = 64;
    TimeDrawing(state, list, item);
}
BENCHMARK(BM_Calendar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg: 0 direct, 1 layered.
void BM_Date(benchmark::State& state) {
    UseScreen();
    TAnnoList list;
    TAnnoItem& item = list.AddItem();
    item.Font.Size = 28;
    item.Data.Position = 4;
    item.SetOption(toDrawShadow, true);
    item.SetOption(toAlphaChannel, state.range(0) == 1);
    item.Data.AlphaLevel = 64;
    TimeDrawing(state, list, item);
}
BENCHMARK(BM_Date)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_FileName(benchmark::State& state) {
    UseScreen();
    TDrawNameList list;
    list.FileName = "/home/user/Pictures/2026/海辺の朝 — 北の岬から.jpg";
    TDrawNameItem& item = list.AddItem();
    item.Font.Size = 18;
    item.Data.Position = 1;
    item.SetOption(toDrawShadow, true);
    item.SetOption(toAlphaChannel, state.range(0) == 1);
    item.Data.AlphaLevel = 64;
    TimeDrawing(state, list, item);
}
BENCHMARK(BM_FileName)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace muralto

int main(int argc, char** argv) {
    // Text needs the font database of a GUI application; nothing is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
