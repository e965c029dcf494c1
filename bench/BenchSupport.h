#pragma once
// A buffer of many registered files for the benchmarks, in a private program folder.
#include "buffer/MWBuf.h"
#include "platform/Services.h"
#include "settings/Options.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace muralto::bench {

inline std::string PrivateHome() {
    static const std::string home = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "muralto-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        setenv("MURALTO_HOME", pattern.c_str(), 1);
        return pattern + "/";
    }();
    return home;
}

// Names of a folder tree like a photo collection: 100 folders of n/100 files.
inline std::vector<std::string> CollectionNames(const std::string& root, int n) {
    std::vector<std::string> names;
    names.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        names.push_back(root + "Album " + std::to_string(i % 100) + "/IMG_" +
                        std::to_string(100000 + i) + ".bmp");
    return names;
}

inline void MakeFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::filesystem::create_directories(std::filesystem::path(name).parent_path());
        if (FILE* f = std::fopen(name.c_str(), "w"))
            std::fclose(f);
    }
}

} // namespace muralto::bench
