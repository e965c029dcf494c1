#include "UsrList.h"

#include "core/Errors.h"

#include <cstring>

namespace muralto {

const char* const kForbiddenGroupCharacters = "\\/:,;*?\"<>|";

void TUserItem::SetGroupName(const std::string& name) {
    if (name == groupName_)
        return;
    if (list_ && list_->IndexOf(name) >= 0)
        throw Exception("グループ名「" + name + "」は既に存在します。");
    groupName_ = name;
}

TUserList::TUserList(TUserList&& other) noexcept : items_(std::move(other.items_)) {
    for (auto& item : items_)
        item->list_ = this;
}

TUserList& TUserList::operator=(TUserList&& other) noexcept {
    items_ = std::move(other.items_);
    for (auto& item : items_)
        item->list_ = this;
    return *this;
}

TUserItem& TUserList::Add() {
    items_.push_back(std::make_unique<TUserItem>(this));
    return *items_.back();
}

void TUserList::Delete(int index) {
    if (index >= 0 && index < Count())
        items_.erase(items_.begin() + index);
}

int TUserList::IndexOf(const std::string& groupName) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->GroupName() == groupName)
            return int(i);
    return -1;
}

std::vector<std::string> TUserList::GetNames() const {
    std::vector<std::string> names;
    for (const auto& item : items_)
        names.push_back(item->GroupName());
    return names;
}

std::string GroupNameProblem(const std::string& name) {
    if (name.empty())
        return "グループ名に空白文字は使用できません。\r\n名前を設定して下さい。";
    // Every byte is looked at, so no name can step out of the data folder or the
    // settings key: separators, control characters and the names "." and "..".
    for (const char c : name)
        if (std::strchr(kForbiddenGroupCharacters, c) || static_cast<unsigned char>(c) < 0x20 ||
            c == 0x7F)
            return std::string(kForbiddenGroupCharacters) +
                   "\r\nはグループ名に使用できません。\r\n別の名前を設定して下さい。";
    if (name == "." || name == "..")
        return "グループ名「" + name + "」は使用できません。\r\n別の名前を設定して下さい。";
    return {};
}

} // namespace muralto
