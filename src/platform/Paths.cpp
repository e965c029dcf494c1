#include "Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace muralto {

namespace {

std::string WithSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

bool Writable(const std::string& folder) {
    return access(folder.c_str(), W_OK) == 0;
}

} // namespace

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string ProgramFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    return FolderOf(std::string(buffer, size_t(n)));
}

std::string UserDataFolder() {
    std::string base = Environment("XDG_DATA_HOME");
    if (base.empty())
        base = Environment("HOME") + "/.local/share";
    const std::string folder = WithSlash(base) + "muralto/";
    CreateFolders(folder);
    return folder;
}

std::string SystemFolder() {
    return UserDataFolder() + "system/";
}

std::string WritableProgramFolder() {
    const std::string home = Environment("MURALTO_HOME");
    if (!home.empty()) {
        CreateFolders(home);
        return WithSlash(home);
    }
    const std::string program = ProgramFolder();
    return Writable(program) ? program : UserDataFolder();
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0755) == 0)
        return true;
    return errno == EEXIST && FolderExists(path);
}

bool CreateFolders(const std::string& path) {
    if (path.empty())
        return false;
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '/') {
            const std::string part = path.substr(0, i);
            if (!FolderExists(part) && mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
    }
    return FolderExists(path);
}

std::string RealFolder(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtensionOf(const std::string& path) {
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

} // namespace muralto
