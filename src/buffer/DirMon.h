#pragma once
// The folders a buffer watches for new and vanished files.
#include <string>
#include <vector>

namespace muralto {

class TMonitoring {
public:
    // Adds a folder once (names compare exactly); returns false when it was there.
    bool AddFolder(const std::string& folder);
    void RemoveFolder(const std::string& folder);
    void Clear() { folders_.clear(); }
    int FolderCount() const { return int(folders_.size()); }
    const std::string& Folders(int index) const { return folders_.at(size_t(index)); }
    // The folder names sorted without regard to ASCII case, as they are stored.
    std::vector<std::string> SortedFolders() const;

    bool Active = true;
    bool WatchSubTree = false;
    int Interval = 2000;

private:
    std::vector<std::string> folders_;
};

} // namespace muralto
