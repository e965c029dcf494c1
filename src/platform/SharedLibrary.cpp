#include "SharedLibrary.h"

#include <dlfcn.h>
#include <elf.h>

#include <cstring>
#include <fstream>

namespace muralto {

bool IsLoadableObject(const std::string& path) {
    Elf64_Ehdr header{};
    std::ifstream file(path, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(&header), sizeof header) ||
        std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
        return false;
    static const uint16_t machine = [] {
        Elf64_Ehdr self{};
        std::ifstream exe("/proc/self/exe", std::ios::binary);
        exe.read(reinterpret_cast<char*>(&self), sizeof self);
        return self.e_machine;
    }();
    return header.e_ident[EI_CLASS] == ELFCLASS64 && header.e_type == ET_DYN &&
           header.e_machine == machine;
}

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string& why) {
    if (!IsLoadableObject(path)) {
        why = "not a shared object for this machine";
        return nullptr;
    }
    return Load(path, why);
}

std::unique_ptr<SharedLibrary> SharedLibrary::OpenInstalled(const std::string& soname,
                                                            std::string& why) {
    if (soname.empty() || soname.find('/') != std::string::npos) {
        why = "not a library name";
        return nullptr;
    }
    return Load(soname, why);
}

std::unique_ptr<SharedLibrary> SharedLibrary::Load(const std::string& path, std::string& why) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        why = error ? error : "cannot be loaded";
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle, path));
}

SharedLibrary::~SharedLibrary() {
    dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const {
    return dlsym(handle_, name);
}

} // namespace muralto
