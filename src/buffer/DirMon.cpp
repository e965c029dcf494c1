#include "DirMon.h"

#include "platform/Text.h"

#include <algorithm>

namespace muralto {

bool TMonitoring::AddFolder(const std::string& folder) {
    if (folder.empty() || std::find(folders_.begin(), folders_.end(), folder) != folders_.end())
        return false;
    folders_.push_back(folder);
    return true;
}

void TMonitoring::RemoveFolder(const std::string& folder) {
    folders_.erase(std::remove(folders_.begin(), folders_.end(), folder), folders_.end());
}

std::vector<std::string> TMonitoring::SortedFolders() const {
    std::vector<std::string> sorted = folders_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return CompareTextAscii(a, b) < 0;
    });
    return sorted;
}

} // namespace muralto
