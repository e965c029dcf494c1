// Saves and loads a "BUFFERS.MWF" of N registered files (default 100000) and prints the
// time of each step; run under /usr/bin/time -v for the peak memory.
#include "BenchSupport.h"
#include "buffer/DataFiles.h"

#include <chrono>
#include <cstdio>

using namespace muralto;

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    bench::PrivateHome();
    Platform();
    LoadData();
    TFileBuffer& buffer = WallpaperBuffer();
    buffer.SetMask("*.*");
    buffer.AddFilesEx(bench::CollectionNames("/photos/", n), 0, true, false, nullptr);
    for (int i = 0; i < n; i += 3) // a cycle half way through
        buffer.Remain.Delete(0);

    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    SaveData();
    const auto t1 = Clock::now();
    ResetDataFileStates();
    LoadData();
    const auto t2 = Clock::now();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::printf(
        "records %d\nsave_ms %.1f\nload_ms %.1f\ntotal_ms %.1f\nfile_bytes %ju\n", buffer.Count(),
        ms(t1 - t0), ms(t2 - t1), ms(t2 - t0),
        std::uintmax_t(std::filesystem::file_size(Setting().DataFolder() + kBufferFileName)));
    std::filesystem::remove_all(bench::PrivateHome());
    return buffer.Count() == n ? 0 : 1;
}
