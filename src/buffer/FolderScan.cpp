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
        std::vector<std::vector<std::string>> spent;
        bool goOn;
        {
            const std::lock_guard lock(mutex_);
            if (!files.empty()) {
                batches_.push_back(std::move(files));
                ready_.notify_one();
            }
            spent.swap(spent_);
            goOn = !stop_;
        }
        return goOn; // the spent names are freed here, by the thread that made them
    };
    std::exception_ptr failure;
    try {
        if (subFolders) {
            mask_.ListFilesByFolder(folder_, hand);
        } else {
            std::vector<std::string> files;
            mask_.ListFiles(folder_, files);
            hand(files);
        }
    } catch (...) {
        failure = std::current_exception(); // raised again where the names are taken
    }
    const std::lock_guard lock(mutex_);
    failure_ = failure;
    done_ = true;
    ready_.notify_one();
}

bool TFolderScan::Next(std::vector<std::string>& names) {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !batches_.empty() || done_; });
    if (batches_.empty()) {
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        return false;
    }
    // The names handed over before go back to the reading thread to be freed there: freeing
    // them here would contend for its allocator with every name it makes.
    if (!names.empty())
        spent_.push_back(std::move(names));
    names = std::move(batches_.front());
    batches_.pop_front();
    return true;
}

void TFolderScan::Stop() {
    const std::lock_guard lock(mutex_);
    stop_ = true;
}

} // namespace muralto
