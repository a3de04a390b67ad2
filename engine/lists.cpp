#include "engine/lists.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

#include "platform/collation.h"

namespace engine {

namespace {

// Appends keep the list sorted; most arrive in order, so the end is tried first.
template <class Vector, class Less>
size_t InsertSorted(Vector& v, typename Vector::value_type item, Less less) {
    if (v.empty() || !less(item, v.back())) {
        v.push_back(std::move(item));
        return v.size() - 1;
    }
    auto at = std::upper_bound(v.begin(), v.end(), item, less);
    return static_cast<size_t>(v.insert(at, std::move(item)) - v.begin());
}

// Texts go into blocks that are never grown once made, so appends never copy texts. Blocks start
// small for small lists and double up to the largest size.
constexpr size_t kFirstBlockSize = 4096, kLargestBlockSize = 1 << 20;

}  // namespace

void ItemList::Clear() {
    records_.clear();
    blocks_.clear();
    placed_ = 0;
}

void ItemList::SetSorted(bool sorted) {
    if (sorted && !sorted_) {
        SortRecords();
        placed_ = records_.size();
    }
    if (!sorted && placed_ != records_.size()) PlacePending();
    sorted_ = sorted;
}

void ItemList::PlacePending() const {
    // Stable: an entry equal to earlier ones lands after them, as one insertion would.
    SortRecords();
    placed_ = records_.size();
}

void ItemList::SortRecords() const {
    // Each caption's order key once, all in one block; the comparison only where two keys are equal.
    const size_t n = records_.size();
    std::string keys;
    size_t captionBytes = 0;
    for (const Record& r : records_) captionBytes += r.captionLength;
    keys.reserve(2 * captionBytes + 64);
    std::vector<std::uint32_t> start(n + 1);
    for (size_t i = 0; i < n; ++i) {
        start[i] = static_cast<std::uint32_t>(keys.size());
        platform::AppendOrderKey(keys, CaptionOf(records_[i]));
    }
    start[n] = static_cast<std::uint32_t>(keys.size());
    auto key = [&](std::uint32_t i) { return std::string_view(keys.data() + start[i], start[i + 1] - start[i]); };
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (int c = key(a).compare(key(b))) return c < 0;
        return platform::CompareText(CaptionOf(records_[a]), CaptionOf(records_[b])) < 0;
    });
    // Into that order in place, cycle by cycle: no second copy of the records.
    for (size_t i = 0; i < n; ++i) {
        if (order[i] == i) continue;
        Record held = records_[i];
        size_t j = i;
        for (;;) {
            size_t k = order[j];
            order[j] = static_cast<std::uint32_t>(j);
            if (k == i) {
                records_[j] = held;
                break;
            }
            records_[j] = records_[k];
            j = k;
        }
    }
}

void ItemList::Append(const ItemEntry& entry) {
    Add(entry.caption, entry.pathAsFound, entry.folder, entry.link, entry.time, entry.lastWrite, entry.size,
        entry.identity, false);
}

void ItemList::Append(std::string_view pathAsFound, bool folder, std::uint32_t time, platform::FileTime lastWrite,
                      ByteCount size, bool link, std::uint64_t fileId) {
    Add(pathAsFound, pathAsFound, folder, link, time, lastWrite, size, FoldedIdentity(fileId, lastWrite), true);
}

ItemEntry ItemList::operator[](size_t i) const {
    return ItemEntry{std::string(Caption(i)), Time(i), std::string(PathAsFound(i)), Size(i), Folder(i), LastWrite(i),
                     Link(i), Identity(i)};
}

void ItemList::Add(std::string_view caption, std::string_view pathAsFound, bool folder, bool link, std::uint32_t time,
                   platform::FileTime lastWrite, ByteCount size, std::uint32_t identity, bool upperCaseCaption) {
    size_t bytes = caption.size() + pathAsFound.size();
    if (blocks_.empty() || blocks_.back().size() + bytes > blocks_.back().capacity()) {
        size_t capacity =
            blocks_.empty() ? kFirstBlockSize : std::min(kLargestBlockSize, 2 * blocks_.back().capacity());
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(capacity, bytes));
    }
    std::string& block = blocks_.back();
    Record r{static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.size()),
             static_cast<std::uint32_t>(caption.size()), folder, link, static_cast<std::uint32_t>(pathAsFound.size()),
             time, identity, size, lastWrite};
    block.append(caption);
    if (upperCaseCaption)
        for (size_t k = r.offset; k < block.size(); ++k)
            if (block[k] >= 'a' && block[k] <= 'z') block[k] = static_cast<char>(block[k] - 'a' + 'A');
    block.append(pathAsFound);
    records_.push_back(r);
    if (!sorted_) placed_ = records_.size();
}

size_t ResultList::Add(ResultEntry entry) {
    return InsertSorted(entries_, std::move(entry), [](const ResultEntry& a, const ResultEntry& b) {
        return platform::CompareText(a.text, b.text) < 0;
    });
}

ByteCount ResultList::TotalSize() const {
    ByteCount total = 0;
    for (const auto& e : entries_) total += e.size;
    return total;
}

size_t CodedList::Add(Entry entry) {
    return InsertSorted(entries_, std::move(entry), [](const Entry& a, const Entry& b) {
        return platform::CompareTextNoCase(a.text, b.text) < 0;
    });
}

namespace {

std::string WithOrigin(const std::string& text, const std::string& movedFrom) {
    return movedFrom.empty() ? text : text + "    (moved from " + movedFrom + ")";
}

}  // namespace

std::string ShownText(const ResultList& list, size_t i) { return WithOrigin(list[i].text, list[i].movedFrom); }
std::string ShownText(const CodedList& list, size_t i) { return WithOrigin(list[i].text, list[i].movedFrom); }

void SyncLists::Clear() {
    for (ItemList* l : {&lvLocal, &lvRemote}) l->Clear();
    for (ResultList* l : {&lFileAdd1, &rFileAdd1, &lUpdate1, &rUpdate1}) l->Clear();
    for (CodedList* l : {&ldelfile1, &rdelfile1, &lignfile1, &rignfile1}) l->Clear();
}

}  // namespace engine
