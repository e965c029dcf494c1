#include "FolderScan.h"

#include <utility>

namespace muralto {

TFolderScan::TFolderScan(const TExtention& mask, std::string folder, bool subFolders)
    : mask_(mask), folder_(std::move(folder)) {
    thread_ = std::thread([this, subFolders] { Run(subFolders); });
}

TFolderScan::~TFolderScan() {
    Stop();
    thread_.join();
}

void TFolderScan::Run(bool subFolders) {
    auto hand = [this](std::vector<std::string>& files) {
        const std::lock_guard lock(mutex_);
        if (!files.empty()) {
            batches_.push_back(std::move(files));
            ready_.notify_one();
        }
        return !stop_;
    };
    if (subFolders) {
        mask_.ListFilesByFolder(folder_, hand);
    } else {
        std::vector<std::string> files;
        mask_.ListFiles(folder_, files);
        hand(files);
    }
    const std::lock_guard lock(mutex_);
    done_ = true;
    ready_.notify_one();
}

bool TFolderScan::Next(std::vector<std::string>& names) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !batches_.empty() || done_; });
    if (batches_.empty())
        return false;
    names = std::move(batches_.front());
    batches_.pop_front();
    return true;
}

void TFolderScan::Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
}

} // namespace muralto
