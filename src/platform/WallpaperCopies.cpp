#include "WallpaperCopies.h"

#include "Files.h"
#include "FolderListing.h"
#include "Paths.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>

namespace muralto {

namespace {

std::string Stem(const std::string& path) {
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The fresh names of a file, oldest first (their numbers grow with time).
std::vector<std::string> FreshNames(const std::string& path) {
    const std::string prefix = Stem(path) + "-";
    std::vector<std::string> names;
    for (const FolderEntry& e : ListFolder(FolderOf(path)))
        if (!e.folder && e.name.rfind(prefix, 0) == 0 && e.name.size() > prefix.size() &&
            std::isdigit(static_cast<unsigned char>(e.name[prefix.size()])))
            names.push_back(FolderOf(path) + e.name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

} // namespace

std::string FreshWallpaperName(const std::string& path) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    long long stamp = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
    std::string target;
    do {
        target =
            FolderOf(path) + Stem(path) + "-" + std::to_string(stamp++) + "." + ExtensionOf(path);
    } while (FileExists(target));
    if (link(path.c_str(), target.c_str()) != 0)
        WriteFileAtomically(target, ReadWholeFile(path));
    return target;
}

void PruneWallpaperNames(const std::string& path, const std::string& inUse) {
    std::vector<std::string> names = FreshNames(path);
    names.erase(std::remove(names.begin(), names.end(), inUse), names.end());
    if (!names.empty())
        names.pop_back(); // the newest other one stays, in case it is still shown
    for (const std::string& name : names)
        RemoveFile(name);
}

void RemoveFreshName(const std::string& freshName) {
    RemoveFile(freshName);
}

} // namespace muralto
