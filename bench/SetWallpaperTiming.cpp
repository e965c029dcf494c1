// The time the running program spends in one wallpaper change on the desktop: the
// back-end's SetWallpaper, from the composed file to the root window showing it.
// Usage: set_wallpaper_timing FILE [RUNS]; prints the mean in milliseconds.
#include "platform/Desktop.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc < 2)
        return 2;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 30;
    auto backend = muralto::ChooseDesktopBackend();
    using Clock = std::chrono::steady_clock;
    double total = 0;
    for (int i = 0; i < runs + 3; ++i) {
        const auto start = Clock::now();
        const muralto::SetResult result = backend->SetWallpaper(argv[1]);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (!result.ok) {
            std::fprintf(stderr, "%s\n", result.reason.c_str());
            return 1;
        }
        if (i >= 3) // the first runs warm the caches
            total += ms;
    }
    std::printf("%s %.1f\n", backend->Name().c_str(), total / runs);
    return 0;
}
