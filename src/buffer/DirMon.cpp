#include "DirMon.h"

#include "platform/Services.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>

namespace muralto {

namespace {
unsigned ChangesOf(uint8_t filter) {
    return (filter & 0x1Fu) | ((filter & 0x20u) ? 0x100u : 0u);
}
} // namespace

TDirMon::TDirMon(TMonitoring& owner, std::string folder)
    : owner_(owner), folder_(std::move(folder)) {}

TDirMon::~TDirMon() {
    owner_.Watcher().Unwatch(key_);
}

void TDirMon::Restart() {
    owner_.Watcher().Unwatch(key_);
    key_ = -1;
    if (folder_.empty()) {
        active_ = false;
        return;
    }
    if (active_)
        key_ = owner_.Watcher().Watch(folder_, subTree_, ChangesOf(filter_));
}

void TDirMon::SetActive(bool active) {
    if (active == active_ && (key_ >= 0 || !active))
        return;
    active_ = active;
    Restart();
}

void TDirMon::SetWatchSubTree(bool on) {
    if (on == subTree_)
        return;
    subTree_ = on;
    if (active_)
        Restart();
}

void TDirMon::SetFilter(uint8_t filter) {
    if (filter == filter_)
        return;
    filter_ = filter;
    if (active_)
        Restart();
}

TMonitoring::TMonitoring() {
    watcher_.OnLimit = [](const std::string& message) { Platform().prompt->ShowError(message); };
}

TMonitoring::~TMonitoring() {
    folders_.clear();
}

int TMonitoring::AddFolder(const std::string& folder, bool active) {
    for (size_t i = 0; i < folders_.size(); ++i)
        if (folders_[i]->Folder() == folder)
            return int(i);
    auto mon = std::make_unique<TDirMon>(*this, folder);
    mon->SetFilter(filter_);
    mon->SetWatchSubTree(subTree_);
    mon->SetActive(active);
    folders_.push_back(std::move(mon));
    return int(folders_.size()) - 1;
}

void TMonitoring::RemoveFolder(int index) {
    if (index >= 0 && index < Count())
        folders_.erase(folders_.begin() + index);
}

void TMonitoring::Clear() {
    folders_.clear();
}

TDirMon* TMonitoring::Items(int index) const {
    return index >= 0 && index < Count() ? folders_[size_t(index)].get() : nullptr;
}

std::vector<std::string> TMonitoring::SortedFolders() const {
    std::vector<std::string> sorted;
    for (const auto& f : folders_)
        sorted.push_back(f->Folder());
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return CompareTextAscii(a, b) < 0;
    });
    return sorted;
}

void TMonitoring::SetActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    // Switching on opens every watch afresh, so changes made while off are not reported.
    for (auto& f : folders_) {
        f->SetActive(false);
        if (active)
            f->SetActive(true);
    }
    watcher_.Changed(); // drop what came before
    if (active) {
        if (!timer_ && QCoreApplication::instance()) {
            timer_ = std::make_unique<QTimer>();
            timer_->setInterval(interval_);
            QObject::connect(timer_.get(), &QTimer::timeout, [this] { Poll(); });
        }
        if (timer_)
            timer_->start();
    } else if (timer_) {
        timer_->stop();
    }
}

void TMonitoring::SetWatchSubTree(bool on) {
    if (on == subTree_)
        return;
    subTree_ = on;
    for (auto& f : folders_)
        f->SetWatchSubTree(on);
}

void TMonitoring::SetFilter(uint8_t filter) {
    if (filter == filter_)
        return;
    filter_ = filter;
    for (auto& f : folders_)
        f->SetFilter(filter);
}

void TMonitoring::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    if (timer_)
        timer_->setInterval(milliseconds);
}

void TMonitoring::Poll() {
    if (folders_.empty())
        return;
    const std::set<int> changed = watcher_.Changed();
    if (changed.empty())
        return;
    // The handler may change the list: collect the folders first.
    std::vector<std::string> report;
    for (const auto& f : folders_)
        if (f->Key() >= 0 && changed.count(f->Key()))
            report.push_back(f->Folder());
    for (const std::string& folder : report)
        if (OnChange)
            OnChange(folder);
}

} // namespace muralto
