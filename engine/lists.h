#pragma once
// The model lists: the only store of a scan and of the plan. The list views on screen draw from them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace engine {

using ByteCount = std::int64_t;

// A file's identity on its volume (platform::FileInfo::fileId) with its exact last-write time there,
// folded into 32 bits, as lists and the pair's memory keep it; 0 for none known. A rename keeps both; a
// new file the volume gives a deleted one's number (Linux does, NTFS counts them apart) has another time.
constexpr std::uint32_t FoldedIdentity(std::uint64_t fileId, platform::FileTime lastWrite) {
    if (fileId == 0) return 0;
    std::uint64_t mixed = fileId ^ (static_cast<std::uint64_t>(lastWrite) * 0x9E3779B97F4A7C15ull);
    std::uint32_t folded = static_cast<std::uint32_t>(mixed ^ (mixed >> 32));
    return folded == 0 ? 1 : folded;
}

// One file or folder found by a scan (lvLocal, lvRemote). The kind is the scan's: a file may be named
// like a folder entry ("[notes]").
struct ItemEntry {
    std::string caption;      // relative path upper-cased (ASCII), a folder's in brackets
    std::uint32_t time = 0;   // last-write time packed in the MS-DOS format; 0 for a folder
    std::string pathAsFound;  // the relative path in the letter case found, a folder's in brackets
    ByteCount size = 0;       // 0 for a folder
    bool folder = false;
    platform::FileTime lastWrite = 0;  // as the file system gave it; 0 for a folder
    bool link = false;                 // a folder link: listed, never entered
    std::uint32_t identity = 0;        // FoldedIdentity of the file's id and time
};

// An item list: unsorted while a first scan appends, sorted by caption from then on.
// Entries are packed (both texts in shared blocks, a small record each) so a million items stay
// small; operator[] and Text() build copies, the accessors below read in place. Appends to a sorted
// list are put in place together at the next read, so a large later scan costs one sort, not one
// insertion each.
class ItemList {
public:
    void Clear();
    void SetSorted(bool sorted);
    bool Sorted() const { return sorted_; }
    // At the end while unsorted; at its sorted place once sorted.
    void Append(const ItemEntry& entry);
    // The scan's append: the caption is the path as found upper-cased (ASCII only).
    void Append(std::string_view pathAsFound, bool folder, std::uint32_t time, platform::FileTime lastWrite,
                ByteCount size, bool link = false, std::uint64_t fileId = 0);
    size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    ItemEntry operator[](size_t i) const;
    std::string Text(size_t i) const { return std::string(Caption(i)); }

    std::string_view Caption(size_t i) const { return CaptionOf(At(i)); }
    std::string_view PathAsFound(size_t i) const {
        const Record& r = At(i);
        return {blocks_[r.block].data() + r.offset + r.captionLength, r.pathLength};
    }
    std::uint32_t Time(size_t i) const { return At(i).time; }
    ByteCount Size(size_t i) const { return At(i).size; }
    bool Folder(size_t i) const { return At(i).folder; }
    bool Link(size_t i) const { return At(i).link; }
    platform::FileTime LastWrite(size_t i) const { return At(i).lastWrite; }
    std::uint32_t Identity(size_t i) const { return At(i).identity; }

private:
    struct Record {
        std::uint32_t block, offset;  // where caption and path as found stand, one after the other
        std::uint32_t captionLength : 30, folder : 1, link : 1;
        std::uint32_t pathLength;
        std::uint32_t time;
        std::uint32_t identity;
        ByteCount size;
        platform::FileTime lastWrite;
    };
    std::string_view CaptionOf(const Record& r) const {
        return {blocks_[r.block].data() + r.offset, r.captionLength};
    }
    const Record& At(size_t i) const {
        if (placed_ != records_.size()) PlacePending();
        return records_[i];
    }
    void PlacePending() const;
    // By caption, stably, in the order of the list views.
    void SortRecords() const;
    void Add(std::string_view caption, std::string_view pathAsFound, bool folder, bool link, std::uint32_t time,
             platform::FileTime lastWrite, ByteCount size, std::uint32_t identity, bool upperCaseCaption);

    mutable std::vector<Record> records_;
    mutable size_t placed_ = 0;  // records_ from here on still wait for their sorted place
    std::vector<std::string> blocks_;  // addressed by index, so a block may move
    bool sorted_ = false;
};

// An add or update entry: the source copy's path as found, its size (the hidden column) and its kind.
// An add the pair's memory found to be a move made on the source side (a rename, or a move to another
// folder) names where the item stands on the destination side: a Sync moves it from there instead of
// copying it (its size is 0: nothing is copied). A folder's in brackets, as its text.
struct ResultEntry {
    std::string text;
    ByteCount size = 0;
    bool folder = false;
    std::string movedFrom = {};
};

// lFileAdd1, rFileAdd1, lUpdate1, rUpdate1: always sorted by text, case-sensitively.
class ResultList {
public:
    void Clear() { entries_.clear(); }
    // Takes its sorted place; returns the index it landed at.
    size_t Add(ResultEntry entry);
    void RemoveAt(size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
    // Removes every entry for which drop(entry) is true, in one pass; returns their sizes' sum.
    template <class Drop>
    ByteCount RemoveIf(Drop drop) {
        ByteCount removed = 0;
        std::erase_if(entries_, [&](const ResultEntry& e) { return drop(e) && (removed += e.size, true); });
        return removed;
    }
    // Lets change see every entry; it may change anything but an entry's text, which keeps its place.
    template <class Change>
    void ChangeEach(Change change) {
        for (ResultEntry& e : entries_) change(e);
    }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const ResultEntry& operator[](size_t i) const { return entries_[i]; }
    const std::string& Text(size_t i) const { return entries_[i].text; }
    ByteCount TotalSize() const;

private:
    std::vector<ResultEntry> entries_;
};

// ldelfile1, rdelfile1, lignfile1, rignfile1: coded entries, sorted without regard to case. Each keeps
// the kind of the result entry it came from.
class CodedList {
public:
    struct Entry {
        std::string text;
        bool folder = false;
        std::string movedFrom = {};  // an add entry's (ResultEntry), kept while it waits here
    };
    void Clear() { entries_.clear(); }
    size_t Add(Entry entry);
    size_t Add(std::string text, bool folder) { return Add(Entry{std::move(text), folder}); }
    void RemoveAt(size_t i) { entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i)); }
    // Rewrites an entry's text where it stands, kind kept; the list is not re-sorted.
    void ReplaceAt(size_t i, std::string text) { entries_[i].text = std::move(text); }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const Entry& operator[](size_t i) const { return entries_[i]; }
    const std::string& Text(size_t i) const { return entries_[i].text; }
    bool Folder(size_t i) const { return entries_[i].folder; }

private:
    std::vector<Entry> entries_;
};

// What a list shows of an entry: its text; for a move, the place it moves from as well.
std::string ShownText(const ResultList& list, size_t i);
std::string ShownText(const CodedList& list, size_t i);
inline std::string ShownText(const ItemList& list, size_t i) { return std::string(list.Caption(i)); }

// All lists of the main window, under the names the window gives them.
struct SyncLists {
    ItemList lvLocal, lvRemote;
    ResultList lFileAdd1, rFileAdd1, lUpdate1, rUpdate1;
    CodedList ldelfile1, rdelfile1, lignfile1, rignfile1;

    void Clear();
};

}  // namespace engine
