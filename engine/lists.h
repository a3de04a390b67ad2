#pragma once
// The model lists: the only store of a scan and of the plan. The list views on screen draw from them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

using ByteCount = std::int64_t;

// One file or folder found by a scan (lvLocal, lvRemote).
struct ItemEntry {
    std::string caption;      // relative path upper-cased (ASCII), a folder's in brackets
    std::uint32_t time = 0;   // last-write time packed in the MS-DOS format; 0 for a folder
    std::string pathAsFound;  // the relative path in the letter case found, a folder's in brackets
    ByteCount size = 0;       // 0 for a folder
};

// An item list: unsorted while a first scan appends, sorted by caption from then on.
class ItemList {
public:
    void Clear() { entries_.clear(); }
    void SetSorted(bool sorted);
    bool Sorted() const { return sorted_; }
    // At the end while unsorted; at its sorted place once sorted.
    void Append(ItemEntry entry);
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const ItemEntry& operator[](size_t i) const { return entries_[i]; }
    const std::string& Text(size_t i) const { return entries_[i].caption; }

private:
    std::vector<ItemEntry> entries_;
    bool sorted_ = false;
};

// An add or update entry: the source copy's path as found and its size (the hidden column).
struct ResultEntry {
    std::string text;
    ByteCount size = 0;
};

// lFileAdd1, rFileAdd1, lUpdate1, rUpdate1: always sorted by text, case-sensitively.
class ResultList {
public:
    void Clear() { entries_.clear(); }
    // Takes its sorted place; returns the index it landed at.
    size_t Add(ResultEntry entry);
    void RemoveAt(size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const ResultEntry& operator[](size_t i) const { return entries_[i]; }
    const std::string& Text(size_t i) const { return entries_[i].text; }
    ByteCount TotalSize() const;

private:
    std::vector<ResultEntry> entries_;
};

// ldelfile1, rdelfile1, lignfile1, rignfile1: coded entries, sorted without regard to case.
class CodedList {
public:
    void Clear() { entries_.clear(); }
    size_t Add(std::string entry);
    void RemoveAt(size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
    // Rewrites an entry where it stands; the list is not re-sorted.
    void ReplaceAt(size_t i, std::string entry) { entries_[i] = std::move(entry); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::string& operator[](size_t i) const { return entries_[i]; }
    const std::string& Text(size_t i) const { return entries_[i]; }

private:
    std::vector<std::string> entries_;
};

// All lists of the main window, under the names the window gives them.
struct SyncLists {
    ItemList lvLocal, lvRemote;
    ResultList lFileAdd1, rFileAdd1, lUpdate1, rUpdate1;
    CodedList ldelfile1, rdelfile1, lignfile1, rignfile1;

    void Clear();
};

}  // namespace engine
