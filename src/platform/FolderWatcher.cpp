#include "FolderWatcher.h"

#include "Files.h"
#include "FolderListing.h"
#include "Paths.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace muralto {

namespace {

unsigned MaskOf(unsigned changes) {
    unsigned mask = IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (changes & (fcFileName | fcDirName))
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (changes & fcAttributes)
        mask |= IN_ATTRIB;
    if (changes & (fcSize | fcLastWrite))
        mask |= IN_MODIFY | IN_CLOSE_WRITE;
    return mask;
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string WatchLimit() {
    try {
        std::string text = ReadWholeFile("/proc/sys/fs/inotify/max_user_watches");
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    } catch (const FileError&) {
        return "?";
    }
}

} // namespace

FolderWatcher::FolderWatcher() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatcher::~FolderWatcher() {
    if (fd_ >= 0)
        close(fd_);
}

bool FolderWatcher::AddOne(int key, const std::string& folder) {
    const int wd = inotify_add_watch(fd_, folder.c_str(), entries_[key].mask);
    if (wd < 0) {
        if (errno == ENOSPC && !limitTold_ && OnLimit) {
            limitTold_ = true;
            OnLimit("The system's limit of " + WatchLimit() + " folder watches is reached; " +
                    folder + " is not watched (raise fs.inotify.max_user_watches to watch more).");
        }
        return false;
    }
    entries_[key].descriptors.insert(wd);
    byDescriptor_[wd] = {key, WithSlash(folder)};
    return true;
}

void FolderWatcher::AddTree(int key, const std::string& folder) {
    // Every folder below, once each (a link back up the tree is not followed again).
    std::set<std::string> seen;
    std::vector<std::string> pending{WithSlash(folder)};
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        if (!seen.insert(RealFolder(current)).second)
            continue;
        if (!AddOne(key, current))
            continue;
        for (const FolderEntry& e : ListFolder(current))
            if (e.folder)
                pending.push_back(current + e.name + "/");
    }
}

int FolderWatcher::Watch(const std::string& folder, bool subTree, unsigned changes) {
    if (fd_ < 0 || folder.empty() || !FolderExists(folder))
        return -1;
    const int key = nextKey_++;
    Entry& entry = entries_[key];
    entry.folder = WithSlash(folder);
    entry.subTree = subTree;
    entry.mask = MaskOf(changes);
    if (subTree)
        AddTree(key, folder);
    else
        AddOne(key, folder);
    if (entries_[key].descriptors.empty()) {
        entries_.erase(key);
        return -1;
    }
    return key;
}

void FolderWatcher::Unwatch(int key) {
    const auto found = entries_.find(key);
    if (found == entries_.end())
        return;
    for (const int wd : found->second.descriptors) {
        inotify_rm_watch(fd_, wd);
        byDescriptor_.erase(wd);
    }
    entries_.erase(found);
}

std::set<int> FolderWatcher::Changed() {
    std::set<int> changed;
    if (fd_ < 0)
        return changed;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            const auto found = byDescriptor_.find(event->wd);
            if (found == byDescriptor_.end())
                continue;
            const int key = found->second.first;
            const std::string folder = found->second.second;
            if (event->mask & IN_IGNORED) { // the folder went away
                entries_[key].descriptors.erase(event->wd);
                byDescriptor_.erase(found);
                changed.insert(key);
                continue;
            }
            changed.insert(key);
            // A folder that appears in a watched tree is watched too.
            if ((event->mask & IN_ISDIR) && (event->mask & (IN_CREATE | IN_MOVED_TO)) &&
                event->len && entries_.count(key) && entries_[key].subTree)
                AddTree(key, folder + event->name);
        }
    }
    return changed;
}

} // namespace muralto
