#pragma once
// A list of unique file names, each with an object, either kept sorted or in the order the
// names were added. Indexing, look-up, insertion and deletion are all O(log n), so drawing
// from a list of a hundred thousand names never copies the list.
#include "platform/Text.h"

#include <ext/pb_ds/assoc_container.hpp>
#include <ext/pb_ds/tree_policy.hpp>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace muralto {

struct NoObject {};

template <class T = NoObject> class TNameList {
    struct Entry {
        std::string name;
        uint64_t seq = 0;
        T object{};
    };
    struct Order {
        bool sorted = true;
        // An entry being inserted that is known to come after every other: it is placed
        // by pointer comparisons alone, without comparing names down the tree.
        const Entry* greatest = nullptr;
        bool operator()(const Entry* a, const Entry* b) const {
            if (greatest) {
                if (b == greatest)
                    return a != greatest;
                if (a == greatest)
                    return false;
            }
            return sorted ? NameLess(a->name, b->name) : a->seq < b->seq;
        }
    };
    using Tree = __gnu_pbds::tree<Entry*, __gnu_pbds::null_type, Order, __gnu_pbds::rb_tree_tag,
                                  __gnu_pbds::tree_order_statistics_node_update>;

public:
    explicit TNameList(bool sorted = true) : tree_(Order{sorted}) {}
    TNameList(const TNameList&) = delete;
    TNameList& operator=(const TNameList&) = delete;

    int Count() const { return int(tree_.size()); }
    bool Empty() const { return tree_.empty(); }
    bool Sorted() const { return tree_.get_cmp_fn().sorted; }
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }

    const std::string& Name(int index) const { return At(index)->name; }
    T& Object(int index) { return At(index)->object; }
    const T& Object(int index) const { return At(index)->object; }

    int IndexOf(std::string_view name) const {
        const auto found = byName_.find(name);
        if (found == byName_.end())
            return -1;
        return int(tree_.order_of_key(found->second.get()));
    }
    bool Contains(std::string_view name) const { return byName_.count(name) != 0; }
    T* Find(std::string_view name) {
        const auto found = byName_.find(name);
        return found == byName_.end() ? nullptr : &found->second->object;
    }

    // Inserts a name that is not yet present: at its sorted place, or at the end of an
    // unsorted list. Returns the index and whether it was added; a present name keeps its
    // object and the given one is dropped. One hash look-up either way.
    std::pair<int, bool> Add(std::string name, T object = T{}) {
        auto [entry, added] = Emplace(std::move(name), std::move(object));
        if (!added)
            return {int(tree_.order_of_key(entry)), false};
        const bool last = Place(entry);
        return {last ? Count() - 1 : int(tree_.order_of_key(entry)), true};
    }

    // As Add, without working out the index: for callers that do not need it.
    bool Insert(std::string name, T object = T{}) {
        auto [entry, added] = Emplace(std::move(name), std::move(object));
        if (added)
            Place(entry);
        return added;
    }

    void Delete(int index) {
        Entry* entry = At(index);
        tree_.erase(entry);
        byName_.erase(byName_.find(std::string_view(entry->name)));
    }

    bool Remove(std::string_view name) {
        const int index = IndexOf(name);
        if (index < 0)
            return false;
        Delete(index);
        return true;
    }

    // Takes the object out and deletes the entry.
    T Take(int index) {
        T object = std::move(At(index)->object);
        Delete(index);
        return object;
    }

    // Room for that many names in all, so a bulk registration does not rehash.
    void Reserve(int count) { byName_.reserve(size_t(std::max(count, 0))); }

    void Clear() {
        tree_.clear();
        byName_.clear();
    }

    void Swap(TNameList& other) {
        tree_.swap(other.tree_);
        byName_.swap(other.byName_);
        std::swap(nextSeq_, other.nextSeq_);
    }

    // Switching sorting on orders the names; switching it off keeps the present order and
    // appends later names.
    void SetSorted(bool sorted) {
        if (sorted == Sorted())
            return;
        std::vector<Entry*> entries(tree_.begin(), tree_.end());
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i]->seq = i;
        nextSeq_ = entries.size();
        Tree rebuilt{Order{sorted}};
        for (Entry* entry : entries)
            rebuilt.insert(entry);
        tree_.swap(rebuilt);
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        names.reserve(tree_.size());
        for (const Entry* entry : tree_)
            names.push_back(entry->name);
        return names;
    }

    // Visits the entries in list order.
    template <class F> void ForEach(F&& visit) const {
        for (const Entry* entry : tree_)
            visit(entry->name, entry->object);
    }
    template <class F> void ForEach(F&& visit) {
        for (Entry* entry : tree_)
            visit(entry->name, entry->object);
    }

private:
    // The entry of the name in the hash, made for it unless the name was there already.
    std::pair<Entry*, bool> Emplace(std::string name, T object) {
        auto entry = std::make_unique<Entry>();
        entry->name = std::move(name);
        entry->seq = nextSeq_;
        entry->object = std::move(object);
        const std::string_view key(entry->name);
        const auto [it, added] = byName_.emplace(key, std::move(entry));
        if (added)
            ++nextSeq_;
        return {it->second.get(), added};
    }

    // Puts a new entry in the tree; true when it went at the end. An unsorted list always
    // appends; a sorted one does when the names come in order, as a folder scan gives them.
    bool Place(Entry* entry) {
        const bool last =
            tree_.empty() || !Sorted() || NameLess((*std::prev(tree_.end()))->name, entry->name);
        if (last)
            tree_.get_cmp_fn().greatest = entry;
        tree_.insert(entry);
        tree_.get_cmp_fn().greatest = nullptr;
        return last;
    }

    Entry* At(int index) const {
        if (!ValidIndex(index))
            throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
        return *tree_.find_by_order(size_t(index));
    }

    Tree tree_;
    std::unordered_map<std::string_view, std::unique_ptr<Entry>> byName_;
    uint64_t nextSeq_ = 0;
};

} // namespace muralto
