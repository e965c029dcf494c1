#pragma once
// A list of unique file names, each with an object, either kept sorted or in the order the
// names were added. The order is a list of blocks of at most a few hundred entries and the
// names are found through an open-addressing hash, so indexing, look-up, insertion and
// deletion never touch more than one block, and a folder scan appending names in order
// costs one hash insertion and one push per name.
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace muralto {

struct NoObject {};

// The hash the name lists find names by: a word at a time with a final mix, so every bit
// of the name reaches the low bits a table is indexed by.
inline size_t NameHash(std::string_view name) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ name.size();
    size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, name.data() + i, 8);
        h = (h ^ word) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    if (i < name.size())
        std::memcpy(&tail, name.data() + i, name.size() - i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    return size_t(h);
}

template <class T = NoObject> class TNameList {
    struct Entry {
        std::string name;
        uint64_t seq = 0; // the order of an unsorted list
        size_t hash = 0;
        T object{};
    };
    using Block = std::vector<Entry*>;
    static constexpr size_t kBlockMax = 512;

public:
    explicit TNameList(bool sorted = true) : sorted_(sorted) {}
    TNameList(const TNameList&) = delete;
    TNameList& operator=(const TNameList&) = delete;
    ~TNameList() { Clear(); }

    int Count() const { return int(count_); }
    bool Empty() const { return count_ == 0; }
    bool Sorted() const { return sorted_; }
    bool ValidIndex(int index) const { return index >= 0 && index < Count(); }

    const std::string& Name(int index) const { return At(index)->name; }
    T& Object(int index) { return At(index)->object; }
    const T& Object(int index) const { return At(index)->object; }

    int IndexOf(std::string_view name) const {
        const Entry* entry = Lookup(name);
        return entry ? PositionOf(entry) : -1;
    }
    bool Contains(std::string_view name) const { return Lookup(name) != nullptr; }
    T* Find(std::string_view name) {
        Entry* entry = Lookup(name);
        return entry ? &entry->object : nullptr;
    }

    // Inserts a name that is not yet present: at its sorted place, or at the end of an
    // unsorted list. Returns the index and whether it was added; a present name keeps its
    // object and the given one is dropped.
    std::pair<int, bool> Add(std::string name, T object = T{}) {
        const size_t hash = NameHash(name);
        if (Entry* present = Lookup(name, hash))
            return {PositionOf(present), false};
        return {Place(NewEntry(std::move(name), hash, std::move(object))), true};
    }

    // As Add, for callers that need no index.
    bool Insert(std::string name, T object = T{}) {
        return Add(std::move(name), std::move(object)).second;
    }

    void Delete(int index) {
        auto [block, offset] = Locate(index);
        Entry* entry = blocks_[block][offset];
        blocks_[block].erase(blocks_[block].begin() + std::ptrdiff_t(offset));
        if (blocks_[block].empty())
            blocks_.erase(blocks_.begin() + std::ptrdiff_t(block));
        else
            MergeSmall(block);
        --count_;
        Touched(block);
        Unhash(entry);
        delete entry;
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

    // A hint that a name of this NameHash will be looked up soon: its slot of the hash is
    // fetched into the cache meanwhile. A bulk registration asks a few names ahead, so it
    // rarely waits for memory.
    void Prefetch(size_t hash) const {
        if (!slots_.empty())
            __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }

    // Room for that many names in all, so a bulk registration does not rehash.
    void Reserve(int count) {
        if (size_t(std::max(count, 0)) * 2 > slots_.size())
            Rehash(size_t(count) * 2);
    }

    void Clear() {
        for (auto& block : blocks_)
            for (Entry* entry : block)
                delete entry;
        blocks_.clear();
        starts_.clear();
        startsValid_ = 0;
        slots_.clear();
        count_ = 0;
    }

    void Swap(TNameList& other) {
        std::swap(sorted_, other.sorted_);
        blocks_.swap(other.blocks_);
        starts_.swap(other.starts_);
        std::swap(startsValid_, other.startsValid_);
        slots_.swap(other.slots_);
        std::swap(count_, other.count_);
        std::swap(nextSeq_, other.nextSeq_);
    }

    // Switching sorting on orders the names; switching it off keeps the present order and
    // appends later names.
    void SetSorted(bool sorted) {
        if (sorted == sorted_)
            return;
        std::vector<Entry*> entries;
        entries.reserve(count_);
        for (auto& block : blocks_)
            entries.insert(entries.end(), block.begin(), block.end());
        if (sorted)
            std::sort(entries.begin(), entries.end(),
                      [](const Entry* a, const Entry* b) { return NameLess(a->name, b->name); });
        for (size_t i = 0; i < entries.size(); ++i)
            entries[i]->seq = i;
        nextSeq_ = entries.size();
        sorted_ = sorted;
        blocks_.clear();
        for (size_t i = 0; i < entries.size(); i += kBlockMax / 2)
            blocks_.emplace_back(entries.begin() + std::ptrdiff_t(i),
                                 entries.begin() +
                                     std::ptrdiff_t(std::min(entries.size(), i + kBlockMax / 2)));
        startsValid_ = 0;
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        names.reserve(count_);
        ForEach([&](const std::string& name, const T&) { names.push_back(name); });
        return names;
    }

    // Visits the entries in list order.
    template <class F> void ForEach(F&& visit) const {
        for (const auto& block : blocks_)
            for (const Entry* entry : block)
                visit(entry->name, entry->object);
    }
    template <class F> void ForEach(F&& visit) {
        for (auto& block : blocks_)
            for (Entry* entry : block)
                visit(entry->name, entry->object);
    }

private:
    Entry* NewEntry(std::string name, size_t hash, T object) {
        auto* entry = new Entry{std::move(name), nextSeq_++, hash, std::move(object)};
        if ((count_ + 1) * 2 > slots_.size())
            Rehash(std::max<size_t>(slots_.size() * 2, 16));
        Hash(entry);
        return entry;
    }

    bool Before(const Entry* a, const Entry* b) const {
        return sorted_ ? NameLess(a->name, b->name) : a->seq < b->seq;
    }

    // Puts a new entry in order and returns its index. An unsorted list always appends;
    // a sorted one does when the names come in order, as a folder scan gives them.
    int Place(Entry* entry) {
        size_t block = blocks_.empty() ? 0 : blocks_.size() - 1;
        bool last = true;
        if (blocks_.empty()) {
            blocks_.emplace_back().reserve(kBlockMax);
        } else if (Before(entry, blocks_.back().back())) {
            block = BlockOf(entry);
            last = false;
        }
        Block& target = blocks_[block];
        const auto at =
            last
                ? target.end()
                : std::upper_bound(target.begin(), target.end(), entry,
                                   [this](const Entry* a, const Entry* b) { return Before(a, b); });
        size_t offset = size_t(at - target.begin());
        target.insert(at, entry);
        ++count_;
        if (target.size() > kBlockMax) {
            // Split in halves; a full last block under appending leaves the new block room.
            Block tail;
            tail.reserve(kBlockMax);
            tail.assign(target.begin() + kBlockMax / 2, target.end());
            target.resize(kBlockMax / 2); // target is not used after the insertion below
            blocks_.insert(blocks_.begin() + std::ptrdiff_t(block) + 1, std::move(tail));
            if (offset >= kBlockMax / 2) {
                ++block;
                offset -= kBlockMax / 2;
            }
        }
        Touched(block);
        return int(StartOf(block) + offset);
    }

    // A block that has shrunk to a few entries joins the next one, so deleting most names
    // does not leave a long list of nearly empty blocks.
    void MergeSmall(size_t block) {
        Block& small = blocks_[block];
        if (small.size() >= kBlockMax / 8 || block + 1 >= blocks_.size() ||
            small.size() + blocks_[block + 1].size() > kBlockMax)
            return;
        small.insert(small.end(), blocks_[block + 1].begin(), blocks_[block + 1].end());
        blocks_.erase(blocks_.begin() + std::ptrdiff_t(block) + 1);
    }

    // The block an entry belongs in (or is in): the first whose last entry is not before it.
    size_t BlockOf(const Entry* entry) const {
        const auto found =
            std::partition_point(blocks_.begin(), blocks_.end(),
                                 [&](const Block& block) { return Before(block.back(), entry); });
        return std::min(size_t(found - blocks_.begin()), blocks_.size() - 1);
    }

    int PositionOf(const Entry* entry) const {
        const size_t block = BlockOf(entry);
        const Block& within = blocks_[block];
        const auto at =
            std::lower_bound(within.begin(), within.end(), entry,
                             [this](const Entry* a, const Entry* b) { return Before(a, b); });
        return int(StartOf(block) + size_t(at - within.begin()));
    }

    // The index of each block's first entry, worked out again only from the first block
    // that changed.
    void Touched(size_t block) { startsValid_ = std::min(startsValid_, block); }
    size_t StartOf(size_t block) const {
        if (startsValid_ <= block) {
            starts_.resize(blocks_.size());
            size_t start = startsValid_ == 0
                               ? 0
                               : starts_[startsValid_ - 1] + blocks_[startsValid_ - 1].size();
            for (size_t i = startsValid_; i < blocks_.size(); ++i) {
                starts_[i] = start;
                start += blocks_[i].size();
            }
            startsValid_ = blocks_.size();
        }
        return starts_[block];
    }

    std::pair<size_t, size_t> Locate(int index) const {
        if (!ValidIndex(index))
            throw std::out_of_range("list index out of bounds (" + std::to_string(index) + ")");
        StartOf(blocks_.size() - 1);
        const auto after = std::upper_bound(starts_.begin(), starts_.end(), size_t(index));
        const size_t block = size_t(after - starts_.begin()) - 1;
        return {block, size_t(index) - starts_[block]};
    }

    Entry* At(int index) const {
        const auto [block, offset] = Locate(index);
        return blocks_[block][offset];
    }

    // The hash: linear probing in a power-of-two table at most half full; deletion moves
    // the entries after the hole back, so there are no tombstones. Each slot keeps its
    // entry's hash, so a probe reads an entry only when the hash matches.
    struct Slot {
        size_t hash = 0;
        Entry* entry = nullptr;
    };
    Entry* Lookup(std::string_view name) const { return Lookup(name, NameHash(name)); }
    Entry* Lookup(std::string_view name, size_t hash) const {
        if (slots_.empty())
            return nullptr;
        const size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots_[i];
            if (!slot.entry)
                return nullptr;
            if (slot.hash == hash && slot.entry->name == name)
                return slot.entry;
        }
    }
    void Hash(Entry* entry) {
        const size_t mask = slots_.size() - 1;
        size_t i = entry->hash & mask;
        while (slots_[i].entry)
            i = (i + 1) & mask;
        slots_[i] = {entry->hash, entry};
    }
    void Unhash(const Entry* entry) {
        const size_t mask = slots_.size() - 1;
        size_t hole = entry->hash & mask;
        while (slots_[hole].entry != entry)
            hole = (hole + 1) & mask;
        for (size_t i = (hole + 1) & mask; slots_[i].entry; i = (i + 1) & mask) {
            const size_t home = slots_[i].hash & mask;
            // An entry may fill the hole when its home is not within (hole, i].
            if (((i - home) & mask) >= ((i - hole) & mask)) {
                slots_[hole] = slots_[i];
                hole = i;
            }
        }
        slots_[hole] = Slot{};
    }
    void Rehash(size_t wanted) {
        size_t size = 16;
        while (size < wanted)
            size *= 2;
        std::vector<Slot> old(size);
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.entry)
                Hash(slot.entry);
    }

    bool sorted_;
    std::vector<Block> blocks_;
    mutable std::vector<size_t> starts_;
    mutable size_t startsValid_ = 0;
    std::vector<Slot> slots_;
    size_t count_ = 0;
    uint64_t nextSeq_ = 0;
};

} // namespace muralto
