#pragma once
// The user groups: each has a name (its registry key and data folder), a user name and
// a comment. Exactly one is in use.
#include <memory>
#include <string>
#include <vector>

namespace muralto {

class TUserList;

class TUserItem {
    friend class TUserList;

public:
    explicit TUserItem(TUserList* list) : list_(list) {}
    const std::string& GroupName() const { return groupName_; }
    // Raises when another group of the list has the name; the item keeps its old one.
    void SetGroupName(const std::string& name);

    std::string UserName;
    std::string Comment;

private:
    TUserList* list_;
    std::string groupName_;
};

class TUserList {
public:
    TUserList() = default;
    TUserList(TUserList&& other) noexcept;
    TUserList& operator=(TUserList&& other) noexcept;
    TUserItem& Add();
    void Delete(int index);
    int Count() const { return int(items_.size()); }
    TUserItem& Item(int index) const { return *items_.at(size_t(index)); }
    int IndexOf(const std::string& groupName) const;
    std::vector<std::string> GetNames() const;
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TUserItem>> items_;
};

// The characters a group name may not hold, in the order the program lists them.
extern const char* const kForbiddenGroupCharacters; // \/:,;*?"<>|
// Empty when the name can be a group (a key name and a folder name inside the data
// folder); otherwise the message that says why not.
std::string GroupNameProblem(const std::string& name);
inline bool IsValidGroupName(const std::string& name) {
    return GroupNameProblem(name).empty();
}

} // namespace muralto
