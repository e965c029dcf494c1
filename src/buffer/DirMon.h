#pragma once
// The folders a buffer watches. Each watched folder is a TDirMon; a timer polls them all
// without waiting and reports every folder that changed since the last poll once.
#include "platform/FolderWatcher.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTimer;

namespace muralto {

// The notification filter: bit n is member n (file name, folder name, attributes, size,
// last write, security).
enum TFileNotifyChenge {
    fncFileName,
    fncDirName,
    fncAttributes,
    fncSize,
    fncLastWrite,
    fncSecurity
};
constexpr uint8_t kAllButSecurity = 0x1F;

class TMonitoring;

class TDirMon {
public:
    TDirMon(TMonitoring& owner, std::string folder);
    ~TDirMon();
    void SetActive(bool active);
    bool Active() const { return active_; }
    void SetWatchSubTree(bool on);
    void SetFilter(uint8_t filter);
    const std::string& Folder() const { return folder_; }
    int Key() const { return key_; }

private:
    void Restart();
    TMonitoring& owner_;
    std::string folder_;
    bool active_ = false;
    bool subTree_ = false;
    uint8_t filter_ = kAllButSecurity;
    int key_ = -1;
};

class TMonitoring {
public:
    TMonitoring();
    ~TMonitoring();
    TMonitoring(const TMonitoring&) = delete;
    TMonitoring& operator=(const TMonitoring&) = delete;

    // The index of the folder (the same text only once, compared exactly).
    int AddFolder(const std::string& folder, bool active);
    void RemoveFolder(int index);
    void Clear();
    int Count() const { return int(folders_.size()); }
    TDirMon* Items(int index) const;

    // For the buffers and their files: the folder texts.
    int FolderCount() const { return Count(); }
    const std::string& Folders(int index) const { return folders_.at(size_t(index))->Folder(); }
    // The folder names sorted without regard to ASCII case, as they are stored.
    std::vector<std::string> SortedFolders() const;

    void SetActive(bool active);
    bool Active() const { return active_; }
    void SetWatchSubTree(bool on);
    bool WatchSubTree() const { return subTree_; }
    void SetFilter(uint8_t filter);
    uint8_t Filter() const { return filter_; }
    void SetInterval(int milliseconds);
    int Interval() const { return interval_; }

    // One poll: every changed folder reported once, in list order.
    void Poll();
    std::function<void(const std::string& folder)> OnChange;

    FolderWatcher& Watcher() { return watcher_; }

private:
    std::vector<std::unique_ptr<TDirMon>> folders_;
    FolderWatcher watcher_;
    std::unique_ptr<QTimer> timer_;
    bool active_ = false;
    bool subTree_ = false;
    uint8_t filter_ = kAllButSecurity;
    int interval_ = 1000;
};

} // namespace muralto
