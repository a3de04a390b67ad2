#include "engine/lists.h"

#include <algorithm>

#include "platform/collation.h"

namespace engine {

namespace {

bool CaptionLess(const ItemEntry& a, const ItemEntry& b) { return platform::CompareText(a.caption, b.caption) < 0; }

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

}  // namespace

void ItemList::SetSorted(bool sorted) {
    if (sorted && !sorted_) std::stable_sort(entries_.begin(), entries_.end(), CaptionLess);
    sorted_ = sorted;
}

void ItemList::Append(ItemEntry entry) {
    if (sorted_) InsertSorted(entries_, std::move(entry), CaptionLess);
    else entries_.push_back(std::move(entry));
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

size_t CodedList::Add(std::string entry) {
    return InsertSorted(entries_, std::move(entry), [](const std::string& a, const std::string& b) {
        return platform::CompareTextNoCase(a, b) < 0;
    });
}

void SyncLists::Clear() {
    for (ItemList* l : {&lvLocal, &lvRemote}) l->Clear();
    for (ResultList* l : {&lFileAdd1, &rFileAdd1, &lUpdate1, &rUpdate1}) l->Clear();
    for (CodedList* l : {&ldelfile1, &rdelfile1, &lignfile1, &rignfile1}) l->Clear();
}

}  // namespace engine
