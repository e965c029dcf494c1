#pragma once
// Registry access bound to one root and base path: reads answer a default instead of
// failing, writes create their key. Also the REGEDIT4 backup of a key tree, and reading
// such a backup back in.
#include "platform/Registry.h"

#include <cstdint>
#include <string>

namespace muralto {

class TQXRegistry {
public:
    TQXRegistry(RegistryRoot root, std::string basePath);

    int32_t ReadInteger(const std::string& subkey, const std::string& name, int32_t def);
    std::string ReadString(const std::string& subkey, const std::string& name,
                           const std::string& def);
    bool ReadBool(const std::string& subkey, const std::string& name, bool def);
    double ReadFloat(const std::string& subkey, const std::string& name, double def);
    // Copies a binary value of exactly `size` bytes into the buffer and returns the size;
    // a missing value, or one of another type or size, leaves the buffer alone: 0.
    int ReadBinary(const std::string& subkey, const std::string& name, size_t size, void* buffer);
    bool ValueExists(const std::string& subkey, const std::string& name);

    void WriteInteger(const std::string& subkey, const std::string& name, int32_t value);
    void WriteString(const std::string& subkey, const std::string& name, const std::string& value);
    void WriteBool(const std::string& subkey, const std::string& name, bool value);
    void WriteFloat(const std::string& subkey, const std::string& name, double value);
    void WriteBinary(const std::string& subkey, const std::string& name, const void* data,
                     size_t size);

    bool DeleteKey(const std::string& keyName);
    bool DeleteValue(const std::string& subkey, const std::string& name);

    // Writes a key with all its subkeys as a REGEDIT4 file (CR LF line ends).
    static void ExportKey(RegistryRoot root, const std::string& keyPath,
                          const std::string& fileName);
    static std::string ExportText(RegistryRoot root, const std::string& keyPath);
    // Reads a REGEDIT4 file back: every line is checked first, and a bad one is reported
    // with its line number with nothing written; then all keys and values are written in
    // one transaction.
    static void ImportFile(const std::string& fileName);
    static void ImportText(const std::string& text);

    Registry& Store() const { return SettingsRegistry(); }
    const std::string& BasePath() const { return base_; }

private:
    std::string FullKey(const std::string& subkey) const;
    RegistryRoot root_;
    std::string base_;
};

class ERegistryImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace muralto
