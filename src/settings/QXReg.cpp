#include "QXReg.h"

#include "platform/Files.h"
#include "platform/Text.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace muralto {

TQXRegistry::TQXRegistry(RegistryRoot root, std::string basePath)
    : root_(root), base_(std::move(basePath)) {
    Store().CreateKey(root_, base_);
}

std::string TQXRegistry::FullKey(const std::string& subkey) const {
    return subkey.empty() ? base_ : base_ + "\\" + subkey;
}

int32_t TQXRegistry::ReadInteger(const std::string& subkey, const std::string& name, int32_t def) {
    const auto value = Store().ReadValue(root_, FullKey(subkey), name);
    return value && value->type == ValueType::Integer ? value->AsInteger() : def;
}

std::string TQXRegistry::ReadString(const std::string& subkey, const std::string& name,
                                    const std::string& def) {
    const auto value = Store().ReadValue(root_, FullKey(subkey), name);
    if (!value || (value->type != ValueType::String && value->type != ValueType::ExpandString))
        return def;
    return FromStored(value->data);
}

bool TQXRegistry::ReadBool(const std::string& subkey, const std::string& name, bool def) {
    return ReadInteger(subkey, name, def ? 1 : 0) != 0;
}

double TQXRegistry::ReadFloat(const std::string& subkey, const std::string& name, double def) {
    const auto value = Store().ReadValue(root_, FullKey(subkey), name);
    if (!value || value->type != ValueType::Binary || value->data.size() != sizeof(double))
        return def;
    double result;
    std::memcpy(&result, value->data.data(), sizeof result);
    return result;
}

int TQXRegistry::ReadBinary(const std::string& subkey, const std::string& name, size_t size,
                            void* buffer) {
    const auto value = Store().ReadValue(root_, FullKey(subkey), name);
    if (!value || value->type != ValueType::Binary || value->data.size() != size)
        return 0;
    std::memcpy(buffer, value->data.data(), size);
    return int(size);
}

bool TQXRegistry::ValueExists(const std::string& subkey, const std::string& name) {
    return Store().ReadValue(root_, FullKey(subkey), name).has_value();
}

void TQXRegistry::WriteInteger(const std::string& subkey, const std::string& name, int32_t value) {
    Store().WriteInteger(root_, FullKey(subkey), name, value);
}

void TQXRegistry::WriteString(const std::string& subkey, const std::string& name,
                              const std::string& value) {
    Store().WriteValue(root_, FullKey(subkey), name, ValueType::String, value);
}

void TQXRegistry::WriteBool(const std::string& subkey, const std::string& name, bool value) {
    WriteInteger(subkey, name, value ? 1 : 0);
}

void TQXRegistry::WriteFloat(const std::string& subkey, const std::string& name, double value) {
    WriteBinary(subkey, name, &value, sizeof value);
}

void TQXRegistry::WriteBinary(const std::string& subkey, const std::string& name, const void* data,
                              size_t size) {
    Store().WriteValue(root_, FullKey(subkey), name, ValueType::Binary,
                       std::string(static_cast<const char*>(data), size));
}

bool TQXRegistry::DeleteKey(const std::string& keyName) {
    if (!Store().KeyExists(root_, base_))
        return false;
    return Store().DeleteKey(root_, FullKey(keyName));
}

bool TQXRegistry::DeleteValue(const std::string& subkey, const std::string& name) {
    return Store().DeleteValue(root_, FullKey(subkey), name);
}

// ---------------------------------------------------------------- REGEDIT4 export

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

void ExportValue(const RegistryValue& value, std::vector<std::string>& lines) {
    const std::string name = "\"" + Escaped(value.name) + "\"";
    char buffer[16];
    switch (value.type) {
    case ValueType::String:
        lines.push_back(name + "=\"" + Escaped(value.data) + "\"");
        break;
    case ValueType::Integer:
        std::snprintf(buffer, sizeof buffer, "%08X", uint32_t(value.AsInteger()));
        lines.push_back(name + "=dword:" + buffer);
        break;
    case ValueType::Binary: {
        std::string line = name + "=hex:";
        if (value.data.empty()) {
            lines.push_back(line);
            break;
        }
        for (size_t j = 0; j < value.data.size(); ++j) {
            std::snprintf(buffer, sizeof buffer, "%02x,", unsigned(uint8_t(value.data[j])));
            line += buffer;
            if (j > 0 && j % 20 == 0) {
                lines.push_back(line + "\\");
                line = "  ";
            }
        }
        line.pop_back();
        lines.push_back(line);
        break;
    }
    default:
        break; // expandable strings and unknown types are left out
    }
}

void ExportTree(Registry& registry, RegistryRoot root, const std::string& path,
                std::vector<std::string>& lines) {
    if (!registry.KeyExists(root, path))
        return;
    lines.emplace_back();
    lines.push_back(std::string("[") + RootName(root) + "\\" + path + "]");
    for (const RegistryValue& value : registry.Values(root, path))
        ExportValue(value, lines);
    for (const std::string& sub : registry.SubKeys(root, path))
        ExportTree(registry, root, path + "\\" + sub, lines);
}

} // namespace

std::string TQXRegistry::ExportText(RegistryRoot root, const std::string& keyPath) {
    std::vector<std::string> lines{"REGEDIT4"};
    ExportTree(SettingsRegistry(), root, keyPath, lines);
    lines.emplace_back();
    lines.emplace_back();
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

void TQXRegistry::ExportKey(RegistryRoot root, const std::string& keyPath,
                            const std::string& fileName) {
    WriteFileAtomically(fileName, ExportText(root, keyPath));
}

// ---------------------------------------------------------------- REGEDIT4 import

namespace {

struct ParsedValue {
    RegistryRoot root;
    std::string key;
    std::string name;
    ValueType type;
    std::string data;
};

[[noreturn]] void BadLine(size_t number, const std::string& why) {
    throw ERegistryImportError("line " + std::to_string(number) + ": " + why);
}

// A quoted string from position `at` (just past the opening quote); moves `at` past the
// closing quote.
std::string Unquote(const std::string& line, size_t& at, size_t number) {
    std::string out;
    while (at < line.size()) {
        const char c = line[at++];
        if (c == '"')
            return out;
        if (c == '\\') {
            if (at >= line.size())
                break;
            out += line[at++];
        } else {
            out += c;
        }
    }
    BadLine(number, "a quoted text is not closed");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string HexBytes(const std::string& text, size_t number) {
    std::string bytes;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i >= text.size())
            break;
        const int hi = HexDigit(text[i]);
        const int lo = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        if (hi < 0 || lo < 0)
            BadLine(number, "bytes must be two hexadecimal digits each");
        bytes += char(hi * 16 + lo);
        i += 2;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i < text.size()) {
            if (text[i] != ',')
                BadLine(number, "bytes must be separated by commas");
            ++i;
        }
    }
    return bytes;
}

std::vector<ParsedValue> ParseRegedit(const std::string& text, std::vector<std::string>& keys,
                                      std::vector<RegistryRoot>& keyRoots) {
    const std::vector<std::string> lines = SplitLines(text);
    std::vector<ParsedValue> values;
    size_t i = 0;
    while (i < lines.size() && lines[i].empty())
        ++i;
    if (i >= lines.size() || lines[i] != "REGEDIT4")
        BadLine(i + 1, "the file does not start with REGEDIT4");
    bool inKey = false;
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string key;
    for (++i; i < lines.size(); ++i) {
        const size_t number = i + 1;
        std::string line = lines[i];
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                BadLine(number, "a key line must end with ]");
            const std::string path = line.substr(1, line.size() - 2);
            const size_t slash = path.find('\\');
            const std::string rootName = path.substr(0, slash);
            if (SameTextAscii(rootName, "HKEY_CURRENT_USER"))
                root = RegistryRoot::CurrentUser;
            else if (SameTextAscii(rootName, "HKEY_LOCAL_MACHINE"))
                root = RegistryRoot::LocalMachine;
            else
                BadLine(number, "unknown root key " + rootName);
            if (slash == std::string::npos || slash + 1 >= path.size())
                BadLine(number, "a key needs a path below its root");
            key = path.substr(slash + 1);
            keys.push_back(key);
            keyRoots.push_back(root);
            inKey = true;
            continue;
        }
        if (!inKey)
            BadLine(number, "a value before any key");
        if (line.front() != '"')
            BadLine(number, "a value must start with its quoted name");
        size_t at = 1;
        ParsedValue value{root, key, Unquote(line, at, number), ValueType::String, {}};
        if (at >= line.size() || line[at] != '=')
            BadLine(number, "= expected after the value name");
        const std::string rest = line.substr(at + 1);
        if (!rest.empty() && rest.front() == '"') {
            size_t pos = 1;
            value.data = Unquote(rest, pos, number);
            if (pos != rest.size())
                BadLine(number, "text after the closing quote");
        } else if (rest.rfind("dword:", 0) == 0) {
            const std::string digits = rest.substr(6);
            if (digits.size() != 8)
                BadLine(number, "dword: needs eight hexadecimal digits");
            uint32_t v = 0;
            for (const char c : digits) {
                const int d = HexDigit(c);
                if (d < 0)
                    BadLine(number, "dword: needs eight hexadecimal digits");
                v = v * 16 + uint32_t(d);
            }
            value.type = ValueType::Integer;
            value.data = std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        } else if (rest.rfind("hex:", 0) == 0) {
            std::string all = rest.substr(4);
            while (!all.empty() && all.back() == '\\') {
                all.pop_back();
                if (++i >= lines.size())
                    BadLine(number, "the file ends inside a hex value");
                all += lines[i];
            }
            value.type = ValueType::Binary;
            value.data = HexBytes(all, number);
        } else {
            BadLine(number, "unknown value type");
        }
        values.push_back(std::move(value));
    }
    return values;
}

} // namespace

void TQXRegistry::ImportText(const std::string& text) {
    std::vector<std::string> keys;
    std::vector<RegistryRoot> roots;
    const std::vector<ParsedValue> values = ParseRegedit(text, keys, roots);
    Registry& registry = SettingsRegistry();
    Registry::Transaction transaction(registry);
    for (size_t k = 0; k < keys.size(); ++k)
        registry.CreateKey(roots[k], keys[k]);
    for (const ParsedValue& v : values)
        registry.WriteValue(v.root, v.key, v.name, v.type, v.data);
    transaction.Commit();
}

void TQXRegistry::ImportFile(const std::string& fileName) {
    ImportText(FromStored(ReadWholeFile(fileName)));
}

} // namespace muralto
