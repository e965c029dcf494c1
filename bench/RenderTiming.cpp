// The time the running program spends making one wallpaper from a picture: loading,
// resizing ("Resize / Center", aspect kept), centring on a colour, finishing and writing
// the bitmap, for a 1920x1080 desktop. Usage: render_timing PICTURE [RUNS]; prints the
// mean in milliseconds. With --reduce first: the 236-colour reduction of the picture.
#include "buffer/MWBuf.h"
#include "compose/ChangePipeline.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace muralto;

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const bool reduce = argc > 1 && std::string(argv[1]) == "--reduce";
    if (reduce) {
        ++argv;
        --argc;
    }
    if (argc < 2)
        return 2;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    Platform().desktop =
        std::make_unique<VirtualDesktop>(DesktopGeometry{{1920, 1080}, {0, 0, 1920, 1080}, 24});
    Setting() = TSetting(TSetting::WithDefaults{});
    TDataInf data(nullptr, InitialDataInfRec());
    data.Data.ShowStyle = 2;
    data.Data.ResizeStyle = 2;
    const std::string out = (std::filesystem::temp_directory_path() / "render_timing.bmp").string();
    using Clock = std::chrono::steady_clock;
    double total = 0;
    for (int i = 0; i < runs + 2; ++i) {
        const auto start = Clock::now();
        BitmapPtr image;
        if (reduce) {
            TGraphicServer server;
            if (server.LoadPicture(argv[1], image) != lrLoaded)
                return 1;
            server.FinishForDisplay(image, false);
        } else if (!Pipeline().Compose(argv[1], data, image)) {
            return 1;
        }
        SaveBitmapFile(image.get(), out);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (i >= 2)
            total += ms;
    }
    std::filesystem::remove(out);
    std::printf("%.1f\n", total / runs);
    return 0;
}
