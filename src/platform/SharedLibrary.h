#pragma once
// Shared objects loaded at run time (picture-loader plug-ins, effect libraries, and the
// decoders the plug-ins open when first needed).
#include <memory>
#include <string>

namespace muralto {

// Whether a file is an ELF shared object for this machine (checked before loading, so a
// file for another architecture or no object at all is never handed to the loader).
bool IsLoadableObject(const std::string& path);

class SharedLibrary {
public:
    // Null with the reason when the file is no loadable object or fails to load.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string& why);
    // A library installed on the system, by its run-time name ("libfoo.so.1"), found where
    // the dynamic loader finds the program's own libraries; never a path.
    static std::unique_ptr<SharedLibrary> OpenInstalled(const std::string& soname,
                                                        std::string& why);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    // Null when the library has no such export.
    void* Symbol(const char* name) const;
    const std::string& Path() const { return path_; }

private:
    static std::unique_ptr<SharedLibrary> Load(const std::string& path, std::string& why);
    SharedLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

} // namespace muralto
