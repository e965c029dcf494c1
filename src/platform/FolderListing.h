#pragma once
// Folder contents in byte order of their names, so every scan is deterministic.
#include <string>
#include <vector>

namespace muralto {

struct FolderEntry {
    std::string name; // the entry's name alone
    bool folder = false;
    bool hidden = false; // the name starts with '.'
    // Read-only files are always listed, so whether a file is writable is not asked.
};

// Entries of one folder, "." and ".." left out; empty when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// Full paths of the regular files below a folder (its sub-folders too when asked),
// each folder's files before its sub-folders, everything in byte order.
std::vector<std::string> ListFiles(const std::string& folder, bool subFolders);

} // namespace muralto
