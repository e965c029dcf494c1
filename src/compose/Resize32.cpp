#include "Resize32.h"

#include "platform/Paths.h"
#include "scaler/resize32.h"

#include <vector>

#include <dlfcn.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace muralto {

const char* const kScalerModule = "RESIZE32.so";

namespace {

using Plan = Resize32Plan;
using PlanFn = Resize32PlanFn;
using NeededFn = Resize32RowsNeededFn;
using RowFn = Resize32RowFn;
using FreeFn = Resize32FreeFn;

// The module, loaded once for the run: scaling is frequent, and a module that is loaded
// and unloaded again for every picture gains nothing.
void* ScalerModule() {
    static void* const library = []() -> void* {
        const std::string path = ProgramFolder() + kScalerModule;
        // By its full path only: a module of that name elsewhere on the search path is
        // never loaded in its place.
        return FileExists(path) ? dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr;
    }();
    return library;
}

class RowStream final : public TResize::Stream {
public:
    RowStream(void* library, const MTBitmap* source, int width, int height, int quality)
        : source_(source), out_(mtgdi_create(width, height, MT_PF24)) {
        plan_ = reinterpret_cast<PlanFn>(dlsym(library, "resize32_plan"));
        needed_ = reinterpret_cast<NeededFn>(dlsym(library, "resize32_rows_needed"));
        row_ = reinterpret_cast<RowFn>(dlsym(library, "resize32_row"));
        free_ = reinterpret_cast<FreeFn>(dlsym(library, "resize32_free"));
        if (!plan_ || !needed_ || !row_ || !free_ || !out_)
            return;
        plan = plan_(mtgdi_width(source), mtgdi_height(source), width, height, quality);
        if (!plan)
            return;
        worker_ = std::thread([this] { Work(); });
    }
    ~RowStream() override {
        Feed(mtgdi_height(source_));
        if (worker_.joinable())
            worker_.join();
        if (plan)
            free_(plan);
    }
    void Feed(int completeRows) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            rows_ = completeRows;
        }
        more_.notify_one();
    }
    BitmapPtr Finish() override {
        Feed(mtgdi_height(source_));
        if (worker_.joinable())
            worker_.join();
        return plan ? std::move(out_) : nullptr;
    }

private:
    void Work() {
        const int width = mtgdi_width(source_);
        std::vector<int32_t> scratch(size_t(width) * 3 + size_t(width) * 3 / 4 + 4);
        for (int y = 0; y < mtgdi_height(out_.get()); ++y) {
            const int needed = needed_(plan, y);
            std::unique_lock<std::mutex> lock(mutex_);
            more_.wait(lock, [&] { return rows_ >= needed; });
            lock.unlock();
            row_(plan, source_, out_.get(), y, scratch.data());
        }
    }
    const MTBitmap* source_;
    BitmapPtr out_;
    Plan* plan = nullptr;
    PlanFn plan_ = nullptr;
    NeededFn needed_ = nullptr;
    RowFn row_ = nullptr;
    FreeFn free_ = nullptr;
    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable more_;
    int rows_ = 0;
};

} // namespace

std::unique_ptr<TResize::Stream> TResize::StartStream(const MTBitmap* source, int width, int height,
                                                      int quality) {
    if (!library_ || !source || mtgdi_format(source) != MT_PF24 || width < 1 || height < 1)
        return nullptr;
    return std::make_unique<RowStream>(library_, source, width, height, quality);
}

TResize::TResize() : library_(ScalerModule()) {
    if (library_)
        scale_ = reinterpret_cast<Resize32ScaleFn>(dlsym(library_, "resize32_scale"));
}

TResize::~TResize() = default;

bool TResize::Resize(BitmapPtr& bitmap, int width, int height, int quality) {
    if (!scale_ || !bitmap)
        return false;
    if (mtgdi_format(bitmap.get()) != MT_PF24)
        bitmap.reset(mtgdi_convert(bitmap.get(), MT_PF24));
    BitmapPtr scaled(scale_(bitmap.get(), width, height, quality));
    if (!scaled)
        return false;
    bitmap = std::move(scaled);
    return true;
}

BitmapPtr StretchNearest(const MTBitmap* source, int width, int height) {
    BitmapPtr out(mtgdi_create(width, height, MT_PF24));
    if (!out)
        return nullptr;
    const int sw = mtgdi_width(source), sh = mtgdi_height(source);
    std::vector<int> columns(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x)
        columns[size_t(x)] = int((int64_t(x) * 2 + 1) * sw / (int64_t(width) * 2));
    for (int y = 0; y < height; ++y) {
        const int sy = int((int64_t(y) * 2 + 1) * sh / (int64_t(height) * 2));
        const uint8_t* src = mtgdi_scanline_const(source, sy);
        uint8_t* dst = mtgdi_scanline(out.get(), y);
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = src + 3 * columns[size_t(x)];
            dst[3 * x] = p[0];
            dst[3 * x + 1] = p[1];
            dst[3 * x + 2] = p[2];
        }
    }
    return out;
}

} // namespace muralto
