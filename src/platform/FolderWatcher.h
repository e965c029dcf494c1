#pragma once
// Change notification for folders on inotify: one descriptor for many watched folders,
// polled without waiting. A folder watched with its sub-tree gets a watch per sub-folder,
// kept up to date as folders appear and vanish.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace muralto {

// What to be told of (bits as the design's notification filter).
enum FolderChanges : unsigned {
    fcFileName = 0x001,
    fcDirName = 0x002,
    fcAttributes = 0x004,
    fcSize = 0x008,
    fcLastWrite = 0x010,
    fcSecurity = 0x100
};

class FolderWatcher {
public:
    FolderWatcher();
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // A key for the watch, or -1 when the folder cannot be watched (it is then never
    // reported).
    int Watch(const std::string& folder, bool subTree, unsigned changes);
    void Unwatch(int key);
    // The keys whose folders changed since the last call, each once; drains the events.
    std::set<int> Changed();
    // Told once per watcher when the system's limit of watches stops a folder.
    std::function<void(const std::string& message)> OnLimit;

private:
    struct Entry {
        std::string folder;
        bool subTree = false;
        unsigned mask = 0;
        std::set<int> descriptors;
    };
    void AddTree(int key, const std::string& folder);
    bool AddOne(int key, const std::string& folder);

    int fd_ = -1;
    int nextKey_ = 0;
    bool limitTold_ = false;
    std::map<int, Entry> entries_;
    std::map<int, std::pair<int, std::string>> byDescriptor_; // wd -> key, folder
};

} // namespace muralto
