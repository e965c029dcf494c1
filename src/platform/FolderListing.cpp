#include "FolderListing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>

namespace muralto {

std::vector<FolderEntry> ListFolder(const std::string& folder) {
    std::vector<FolderEntry> entries;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir)
        return entries;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + '/';
    while (const dirent* e = readdir(dir.get())) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        bool folder = e->d_type == DT_DIR;
        bool regular = e->d_type == DT_REG;
        if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            // Links are followed; a dangling one, or a file gone meanwhile, is left out.
            struct stat st {};
            if (stat((base + name).c_str(), &st) != 0)
                continue;
            folder = S_ISDIR(st.st_mode);
            regular = S_ISREG(st.st_mode);
        }
        if (!folder && !regular)
            continue;
        FolderEntry entry;
        entry.name = name;
        entry.folder = folder;
        entry.hidden = name[0] == '.';
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
}

std::vector<std::string> ListFiles(const std::string& folder, bool subFolders) {
    std::vector<std::string> files;
    std::vector<std::string> pending{folder.empty() || folder.back() == '/' ? folder
                                                                            : folder + '/'};
    // Linked folders are followed once: a link back up the tree must not loop.
    std::set<std::pair<dev_t, ino_t>> visited;
    while (!pending.empty()) {
        const std::string current = pending.back();
        pending.pop_back();
        struct stat st {};
        if (stat(current.c_str(), &st) != 0 || !visited.insert({st.st_dev, st.st_ino}).second)
            continue;
        std::vector<std::string> children;
        for (const FolderEntry& entry : ListFolder(current)) {
            if (entry.folder)
                children.push_back(current + entry.name + '/');
            else
                files.push_back(current + entry.name);
        }
        if (subFolders)
            pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return files;
}

} // namespace muralto
