#include "Registry.h"

#include "Paths.h"
#include "Text.h"

#include <sqlite3.h>

#include <cstring>

namespace muralto {

namespace {

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS registry_keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES registry_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  UNIQUE(parent, folded));
CREATE TABLE IF NOT EXISTS registry_values(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  key INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  UNIQUE(key, folded));
INSERT OR IGNORE INTO registry_keys(id, parent, name, folded) VALUES
  (1, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
  (2, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE');
)sql";

int64_t RootId(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? 1 : 2;
}

std::vector<std::string> PathParts(const std::string& key) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= key.size()) {
        size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        if (end > start)
            parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

const char* RootName(RegistryRoot root) {
    return root == RegistryRoot::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

int32_t RegistryValue::AsInteger() const {
    uint8_t b[4] = {0, 0, 0, 0};
    std::memcpy(b, data.data(), data.size() < 4 ? data.size() : 4);
    return int32_t(uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) |
                   (uint32_t(b[3]) << 24));
}

// A prepared statement that finalizes itself.
class Registry::Statement {
public:
    // Statements are prepared once per connection and reused: a settings save runs a few
    // hundred of them.
    Statement(Registry& registry, const char* sql) : registry_(registry) {
        sqlite3_stmt*& cached = registry.statements_[sql];
        if (!cached && sqlite3_prepare_v2(registry.db_, sql, -1, &cached, nullptr) != SQLITE_OK)
            registry.Fail("prepare");
        stmt_ = cached;
    }
    ~Statement() {
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(stmt_, index, value);
        return *this;
    }
    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& BindBlob(int index, const std::string& bytes) {
        sqlite3_bind_blob(stmt_, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // True while a row is available.
    bool Step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            registry_.Fail("step");
        return false;
    }
    int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
    std::string Text(int column) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return p ? std::string(p, size_t(sqlite3_column_bytes(stmt_, column))) : std::string();
    }

private:
    Registry& registry_;
    sqlite3_stmt* stmt_ = nullptr;
};

Registry::Registry(const std::string& path) : path_(path) {
    CreateFolders(FolderOf(path));
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        Fail("open");
    sqlite3_busy_timeout(db_, 10000);
    sqlite3_extended_result_codes(db_, 1);
    try {
        {
            Statement check(*this, "PRAGMA quick_check");
            if (!check.Step() || check.Text(0) != "ok")
                throw RegistryError(path_ + ": the settings database is damaged");
        }
        Execute("PRAGMA journal_mode=WAL");
        Execute("PRAGMA foreign_keys=ON");
        Execute("PRAGMA synchronous=NORMAL");
        Transaction transaction(*this);
        Execute(kSchema);
        transaction.Commit();
    } catch (const RegistryError& e) {
        for (auto& [sql, statement] : statements_)
            sqlite3_finalize(statement);
        statements_.clear();
        sqlite3_close(db_);
        db_ = nullptr;
        throw RegistryError(std::string(e.what()) +
                            ". Muralto leaves the file as it is: move it aside (or restore a "
                            "backup) and start again to begin with fresh settings.");
    }
}

Registry::~Registry() {
    for (auto& [sql, statement] : statements_)
        sqlite3_finalize(statement);
    if (db_)
        sqlite3_close(db_);
}

std::string Registry::DefaultPath() {
    const std::string chosen = Environment("MURALTO_REGISTRY");
    if (!chosen.empty())
        return chosen;
    std::string base = Environment("XDG_CONFIG_HOME");
    if (base.empty())
        base = Environment("HOME") + "/.config";
    return base + "/muralto/registry.db";
}

void Registry::Fail(const std::string& what) {
    const int code = db_ ? sqlite3_errcode(db_) : SQLITE_CANTOPEN;
    const char* message = db_ ? sqlite3_errmsg(db_) : "cannot open";
    std::string text = path_ + ": " + message;
    if ((code & 0xFF) == SQLITE_BUSY || (code & 0xFF) == SQLITE_LOCKED)
        text = path_ + ": the settings database stays locked by another process";
    else if ((code & 0xFF) == SQLITE_NOTADB || (code & 0xFF) == SQLITE_CORRUPT)
        text = path_ + ": the settings database is damaged or is no database (" + message + ")";
    (void)what;
    throw RegistryError(text);
}

void Registry::Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        Fail(sql);
    }
}

Registry::Transaction::Transaction(Registry& registry) : registry_(registry) {
    if (registry_.depth_++ == 0)
        registry_.Execute("BEGIN IMMEDIATE");
}

void Registry::Transaction::Commit() {
    if (done_)
        return;
    done_ = true;
    if (--registry_.depth_ == 0)
        registry_.Execute("COMMIT");
}

Registry::Transaction::~Transaction() {
    if (done_)
        return;
    if (--registry_.depth_ == 0)
        sqlite3_exec(registry_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

int64_t Registry::FindKey(RegistryRoot root, const std::string& key) {
    int64_t id = RootId(root);
    for (const std::string& part : PathParts(key)) {
        Statement find(*this, "SELECT id FROM registry_keys WHERE parent = ?1 AND folded = ?2");
        find.Bind(1, id).Bind(2, UpperAscii(part));
        if (!find.Step())
            return 0;
        id = find.Int(0);
    }
    return id;
}

int64_t Registry::MakeKey(RegistryRoot root, const std::string& key) {
    int64_t id = RootId(root);
    for (const std::string& part : PathParts(key)) {
        Statement insert(*this, "INSERT OR IGNORE INTO registry_keys(parent, name, folded) "
                                "VALUES(?1, ?2, ?3)");
        insert.Bind(1, id).Bind(2, part).Bind(3, UpperAscii(part)).Step();
        Statement find(*this, "SELECT id FROM registry_keys WHERE parent = ?1 AND folded = ?2");
        find.Bind(1, id).Bind(2, UpperAscii(part));
        if (!find.Step())
            Fail("create key");
        id = find.Int(0);
    }
    return id;
}

bool Registry::KeyExists(RegistryRoot root, const std::string& key) {
    return FindKey(root, key) != 0;
}

void Registry::CreateKey(RegistryRoot root, const std::string& key) {
    Transaction transaction(*this);
    MakeKey(root, key);
    transaction.Commit();
}

bool Registry::DeleteKey(RegistryRoot root, const std::string& key) {
    if (PathParts(key).empty())
        return false; // a root stays
    Transaction transaction(*this);
    const int64_t id = FindKey(root, key);
    if (id == 0)
        return false;
    Statement remove(*this, "DELETE FROM registry_keys WHERE id = ?1");
    remove.Bind(1, id).Step();
    transaction.Commit();
    return true;
}

std::vector<std::string> Registry::SubKeys(RegistryRoot root, const std::string& key) {
    std::vector<std::string> names;
    const int64_t id = FindKey(root, key);
    if (id == 0)
        return names;
    Statement list(*this, "SELECT name FROM registry_keys WHERE parent = ?1 ORDER BY folded");
    list.Bind(1, id);
    while (list.Step())
        names.push_back(list.Text(0));
    return names;
}

std::optional<RegistryValue> Registry::ReadValue(RegistryRoot root, const std::string& key,
                                                 const std::string& name) {
    const int64_t id = FindKey(root, key);
    if (id == 0)
        return std::nullopt;
    Statement read(*this, "SELECT name, type, data FROM registry_values "
                          "WHERE key = ?1 AND folded = ?2");
    read.Bind(1, id).Bind(2, UpperAscii(name));
    if (!read.Step())
        return std::nullopt;
    return RegistryValue{read.Text(0), ValueType(read.Int(1)), read.Text(2)};
}

void Registry::WriteValue(RegistryRoot root, const std::string& key, const std::string& name,
                          ValueType type, const std::string& data) {
    Transaction transaction(*this);
    const int64_t id = MakeKey(root, key);
    Statement write(*this, "INSERT INTO registry_values(key, name, folded, type, data) "
                           "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded) "
                           "DO UPDATE SET type = excluded.type, data = excluded.data");
    write.Bind(1, id).Bind(2, name).Bind(3, UpperAscii(name)).Bind(4, int64_t(type));
    write.BindBlob(5, data).Step();
    transaction.Commit();
}

void Registry::WriteInteger(RegistryRoot root, const std::string& key, const std::string& name,
                            int32_t value) {
    const auto v = uint32_t(value);
    const char bytes[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    WriteValue(root, key, name, ValueType::Integer, std::string(bytes, 4));
}

bool Registry::DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) {
    Transaction transaction(*this);
    const int64_t id = FindKey(root, key);
    if (id == 0)
        return false;
    Statement remove(*this, "DELETE FROM registry_values WHERE key = ?1 AND folded = ?2");
    remove.Bind(1, id).Bind(2, UpperAscii(name)).Step();
    const bool removed = sqlite3_changes(db_) > 0;
    transaction.Commit();
    return removed;
}

std::vector<RegistryValue> Registry::Values(RegistryRoot root, const std::string& key) {
    std::vector<RegistryValue> values;
    const int64_t id = FindKey(root, key);
    if (id == 0)
        return values;
    Statement list(*this, "SELECT name, type, data FROM registry_values WHERE key = ?1 "
                          "ORDER BY id");
    list.Bind(1, id);
    while (list.Step())
        values.push_back({list.Text(0), ValueType(list.Int(1)), list.Text(2)});
    return values;
}

namespace {
std::unique_ptr<Registry>& OpenRegistry() {
    static std::unique_ptr<Registry> registry;
    return registry;
}
} // namespace

Registry& SettingsRegistry() {
    auto& registry = OpenRegistry();
    if (!registry)
        registry = std::make_unique<Registry>(Registry::DefaultPath());
    return *registry;
}

void CloseSettingsRegistry() {
    OpenRegistry().reset();
}

} // namespace muralto
