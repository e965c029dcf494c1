#pragma once
// A hierarchical key/value store in one SQLite database: the registry the settings live
// in. Key and value names compare without regard to ASCII case and keep the case they
// were created with; values list in creation order, subkeys in name order. Key paths use
// '\' between their parts. Every call is atomic; a Transaction groups many into one.
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace muralto {

class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RegistryRoot { CurrentUser, LocalMachine };
const char* RootName(RegistryRoot root); // "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"

enum class ValueType { String = 1, ExpandString = 2, Binary = 3, Integer = 4 };

struct RegistryValue {
    std::string name;
    ValueType type = ValueType::String;
    std::string data; // the text, the raw bytes, or an integer's four little-endian bytes
    int32_t AsInteger() const;
};

class Registry {
public:
    // Opens or creates the database; a file that is no registry database, or that
    // SQLite reports damaged, raises RegistryError naming the file. Nothing is replaced.
    explicit Registry(const std::string& path);
    ~Registry();
    Registry(const Registry&) = delete;
    Registry& operator=(const Registry&) = delete;

    // $MURALTO_REGISTRY, or $XDG_CONFIG_HOME/muralto/registry.db.
    static std::string DefaultPath();
    const std::string& Path() const { return path_; }

    bool KeyExists(RegistryRoot root, const std::string& key);
    void CreateKey(RegistryRoot root, const std::string& key);
    // Deletes a key with everything below it; false when it did not exist.
    bool DeleteKey(RegistryRoot root, const std::string& key);
    std::vector<std::string> SubKeys(RegistryRoot root, const std::string& key);

    std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::string& key,
                                           const std::string& name);
    // Creates the key when missing; a value written again keeps its place and its name.
    void WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                    ValueType type, const std::string& data);
    void WriteInteger(RegistryRoot root, const std::string& key, const std::string& name,
                      int32_t value);
    bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name);
    std::vector<RegistryValue> Values(RegistryRoot root, const std::string& key);

    // Everything between construction and Commit is one transaction; without Commit it
    // is rolled back. Transactions nest: only the outermost one commits.
    class Transaction {
    public:
        explicit Transaction(Registry& registry);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

    private:
        Registry& registry_;
        bool done_ = false;
    };

private:
    friend class Transaction;
    class Statement;
    void Execute(const char* sql);
    int64_t FindKey(RegistryRoot root, const std::string& key);
    int64_t MakeKey(RegistryRoot root, const std::string& key);
    [[noreturn]] void Fail(const std::string& what);

    std::string path_;
    sqlite3* db_ = nullptr;
    int depth_ = 0;
    std::map<const char*, sqlite3_stmt*> statements_; // by the text's address
};

// The registry of the run, opened at first use at DefaultPath().
Registry& SettingsRegistry();
// Closes it, so the next use opens DefaultPath() again (tests and group switches of
// another database).
void CloseSettingsRegistry();

} // namespace muralto
