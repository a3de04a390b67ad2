#include "review/commands.h"

#include <algorithm>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "engine/file_helpers.h"
#include "platform/collation.h"

namespace review {

namespace {

using engine::CodedList;
using engine::ResultEntry;
using engine::ResultList;

// Each list's own order: merged by it, the entries reach Add in order and are only appended.
bool Less(const ResultEntry& a, const ResultEntry& b) { return platform::CompareText(a.text, b.text) < 0; }
bool Less(const CodedList::Entry& a, const CodedList::Entry& b) {
    return platform::CompareTextNoCase(a.text, b.text) < 0;
}

// The commands decide on the lists as they stood at the start and write the outcome in one pass per
// list, so a command over a million selected entries stays linear instead of shifting the list once
// per entry. Entries marked in drop leave; added ones join at the place Add would give them.
template <class List, class Item = std::decay_t<decltype(std::declval<List&>()[0])>>
void Rewrite(List& list, const std::vector<bool>& drop, std::vector<Item> added) {
    if (added.empty() && std::find(drop.begin(), drop.end(), true) == drop.end()) return;
    std::stable_sort(added.begin(), added.end(), [](const Item& a, const Item& b) { return Less(a, b); });
    List result;
    auto next = added.begin();
    for (size_t i = 0; i < list.size(); ++i) {
        if (i < drop.size() && drop[i]) continue;
        for (; next != added.end() && Less(*next, list[i]); ++next) result.Add(std::move(*next));
        result.Add(list[i]);
    }
    for (; next != added.end(); ++next) result.Add(std::move(*next));
    list = std::move(result);
}

std::vector<bool> SelectionMarks(size_t listSize, const std::vector<size_t>& selected) {
    std::vector<bool> marks(listSize, false);
    for (size_t i : selected)
        if (i < listSize) marks[i] = true;
    return marks;
}

std::string_view PathOf(const ResultEntry& entry) { return engine::EntryPath(entry.text, entry.folder); }

// Calls visit with every folder above the item: "A" and "A\B" for A\B\c.txt.
template <class Visit>
void ForEachFolderAbove(std::string_view bareName, Visit visit) {
    for (size_t cut = bareName.find('\\'); cut != std::string_view::npos; cut = bareName.find('\\', cut + 1))
        visit(bareName.substr(0, cut));
}

// Delete and Ignore: one algorithm, different targets.
void SetAside(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected, bool ignore) {
    ResultList* source = nullptr;
    CodedList *first = nullptr, *second = nullptr;  // second: the twin list, for update entries only
    CodedList& lTarget = ignore ? lists.lignfile1 : lists.ldelfile1;
    CodedList& rTarget = ignore ? lists.rignfile1 : lists.rdelfile1;
    switch (activeList) {
        case klFileAdd1: source = &lists.lFileAdd1, first = &rTarget; break;  // the item exists in the Second Folder
        case krFileAdd1: source = &lists.rFileAdd1, first = &lTarget; break;
        case klUpdate1: source = &lists.lUpdate1, first = &lTarget, second = &rTarget; break;
        case krUpdate1: source = &lists.rUpdate1, first = &rTarget, second = &lTarget; break;
        default: return;
    }
    std::vector<bool> taken = SelectionMarks(source->size(), selected);

    if (second == nullptr) {  // an add list: a folder's content follows it, wherever it stands
        std::unordered_set<std::string_view> folders;
        for (size_t i = 0; i < source->size(); ++i)
            if (taken[i] && (*source)[i].folder) folders.insert(PathOf((*source)[i]));
        if (!folders.empty())
            for (size_t i = 0; i < source->size(); ++i)
                ForEachFolderAbove(PathOf((*source)[i]), [&](std::string_view above) {
                    if (folders.count(above) != 0) taken[i] = true;
                });
    }

    std::vector<CodedList::Entry> coded, movesUndone;
    const std::string suffix = " " + std::to_string(activeList);
    for (size_t i = 0; i < source->size(); ++i) {
        if (!taken[i]) continue;
        const ResultEntry& e = (*source)[i];
        // An ignored move waits as a move; a deleted one is an add again, and the deletion of the old
        // place, which the move stood for, is planned once more.
        coded.push_back({e.text + suffix, e.folder, ignore ? e.movedFrom : std::string()});
        if (!ignore && !e.movedFrom.empty())
            movesUndone.push_back({e.movedFrom + (activeList == klFileAdd1 ? " 2" : " 1"), e.folder});
    }
    if (second != nullptr) Rewrite(*second, {}, coded);
    Rewrite(*first, {}, std::move(coded));
    Rewrite(*source, taken, {});
    // The old place is on the side the move was planned in: the destination of the add list.
    if (!movesUndone.empty()) Rewrite(activeList == klFileAdd1 ? lists.ldelfile1 : lists.rdelfile1, {}, std::move(movesUndone));
}

bool IsCoded(std::string_view entry) {
    if (entry.size() < 3 || entry[entry.size() - 2] != ' ') return false;
    char code = entry.back();
    return code == '1' || code == '2' || code == '5' || code == '6';
}

// One coded list during Undo: what has been taken out so far, and where each text stands. The list
// itself is not changed before the end, so the index may point into its texts.
class Tracked {
public:
    explicit Tracked(CodedList& list) : list_(list), taken_(list.size(), false) {}
    size_t size() const { return list_.size(); }
    const std::string& Text(size_t i) const { return list_.Text(i); }
    bool Folder(size_t i) const { return list_.Folder(i); }
    const std::string& MovedFrom(size_t i) const { return list_[i].movedFrom; }
    bool Taken(size_t i) const { return taken_[i]; }
    void Take(size_t i) { taken_[i] = true; }
    // The coded entries of that kind not yet taken out whose text without the origin code is text, in
    // list order.
    std::vector<size_t> Find(std::string_view text, bool folder) {
        if (next_.size() != list_.size()) Index();
        std::vector<size_t> found;
        auto at = first_.find(text);
        for (size_t i = at == first_.end() ? kNone : at->second; i != kNone; i = next_[i])
            if (!taken_[i] && list_.Folder(i) == folder) found.push_back(i);
        return found;
    }
    void Finish() {
        first_.clear();
        Rewrite(list_, taken_, {});
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    // Entries of one text are chained through next_, so a million entries cost no list each.
    void Index() {
        next_.assign(list_.size(), kNone);
        first_.reserve(list_.size());
        for (size_t i = list_.size(); i-- > 0;) {
            std::string_view entry = list_.Text(i);
            if (!IsCoded(entry)) continue;
            auto [at, added] = first_.try_emplace(entry.substr(0, entry.size() - 2), i);
            if (!added) next_[i] = std::exchange(at->second, i);
        }
    }

    CodedList& list_;
    std::vector<bool> taken_;
    std::unordered_map<std::string_view, size_t> first_;
    std::vector<size_t> next_;
};

class Undo {
public:
    Undo(engine::SyncLists& lists, platform::FileOps& files, std::string_view firstFolder,
         std::string_view secondFolder)
        : lists_(lists), files_(files), firstFolder_(firstFolder), secondFolder_(secondFolder),
          ldel_(lists.ldelfile1), rdel_(lists.rdelfile1), lign_(lists.lignfile1), rign_(lists.rignfile1) {}

    void Run(int activeList, const std::vector<size_t>& selected) {
        Tracked *list, *twin, *other, *otherTwin;  // other: the same side's other coded list
        switch (activeList) {
            case kldelfile1: list = &ldel_, twin = &rdel_, other = &lign_, otherTwin = &rign_; break;
            case krdelfile1: list = &rdel_, twin = &ldel_, other = &rign_, otherTwin = &lign_; break;
            case klignfile1: list = &lign_, twin = &rign_, other = &ldel_, otherTwin = &rdel_; break;
            case krignfile1: list = &rign_, twin = &lign_, other = &rdel_, otherTwin = &ldel_; break;
            default: return;
        }
        std::vector<bool> marks = SelectionMarks(list->size(), selected);
        for (size_t i = 0; i < marks.size(); ++i) {
            if (!marks[i] || list->Taken(i)) continue;
            auto entry = DecodeCodedEntry(list->Text(i), list->Folder(i));
            if (!entry) continue;
            TakeOut(*list, i, *entry, *twin);
            FollowUp(*list, *twin, entry->bareName);
            FollowUp(*other, *otherTwin, entry->bareName);
        }
        for (Tracked* t : {&ldel_, &rdel_, &lign_, &rign_}) t->Finish();
        Rewrite(lists_.lFileAdd1, {}, std::move(back_[klFileAdd1]));
        Rewrite(lists_.rFileAdd1, {}, std::move(back_[krFileAdd1]));
        Rewrite(lists_.lUpdate1, {}, std::move(back_[klUpdate1]));
        Rewrite(lists_.rUpdate1, {}, std::move(back_[krUpdate1]));
    }

private:
    // Removes the entry and its twin and puts it back by its origin code.
    void TakeOut(Tracked& in, size_t i, const CodedEntry& entry, Tracked& twin) {
        in.Take(i);
        for (size_t j : twin.Find(entry.text, entry.folder))
            if (twin.Text(j) == in.Text(i)) {
                twin.Take(j);
                break;
            }

        // The size of the copy a Sync would transfer: lFileAdd1 and lUpdate1 are copied from the Second
        // Folder, the other two from the First. A move transfers nothing.
        bool fromSecond = entry.origin == klFileAdd1 || entry.origin == klUpdate1;
        std::string path = std::string(fromSecond ? secondFolder_ : firstFolder_) + "\\" + entry.text;
        const std::string& movedFrom = in.MovedFrom(i);
        engine::ByteCount size = entry.folder || !movedFrom.empty() ? 0 : engine::GetItemSize(files_, path);
        back_[entry.origin].push_back({entry.text, size, entry.folder, movedFrom});
    }

    // Takes out, in list order, the entries that belong with the undone item: those of the same name and
    // the folders above it. Only these: an item elsewhere whose name merely occurs within it stays.
    void FollowUp(Tracked& in, Tracked& twin, std::string_view bareName) {
        std::vector<size_t> found;
        auto collect = [&](std::string_view text, bool folder) {
            auto more = in.Find(text, folder);
            found.insert(found.end(), more.begin(), more.end());
        };
        auto folder = [](std::string_view name) { return "[" + std::string(name) + "]"; };
        collect(bareName, false);
        collect(folder(bareName), true);
        ForEachFolderAbove(bareName, [&](std::string_view above) { collect(folder(above), true); });
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        for (size_t i : found)
            if (auto entry = DecodeCodedEntry(in.Text(i), in.Folder(i))) TakeOut(in, i, *entry, twin);
    }

    engine::SyncLists& lists_;
    platform::FileOps& files_;
    std::string_view firstFolder_, secondFolder_;
    Tracked ldel_, rdel_, lign_, rign_;
    std::vector<ResultEntry> back_[krUpdate1 + 1];  // by origin code
};

}  // namespace

std::optional<CodedEntry> DecodeCodedEntry(std::string_view entry, bool folder) {
    if (!IsCoded(entry)) return std::nullopt;
    std::string_view text = entry.substr(0, entry.size() - 2);
    return CodedEntry{entry.back() - '0', std::string(text), folder, std::string(engine::EntryPath(text, folder))};
}

void DeleteEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected) {
    SetAside(lists, activeList, selected, false);
}

void IgnoreEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected) {
    SetAside(lists, activeList, selected, true);
}

void ReverseEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected) {
    if (activeList != klUpdate1 && activeList != krUpdate1) return;
    ResultList& source = activeList == klUpdate1 ? lists.lUpdate1 : lists.rUpdate1;
    ResultList& target = activeList == klUpdate1 ? lists.rUpdate1 : lists.lUpdate1;
    std::vector<bool> taken = SelectionMarks(source.size(), selected);
    std::vector<ResultEntry> moved;
    for (size_t i = 0; i < source.size(); ++i)
        if (taken[i]) moved.push_back(source[i]);
    Rewrite(target, {}, std::move(moved));
    Rewrite(source, taken, {});
}

void UndoEntries(engine::SyncLists& lists, int activeList, const std::vector<size_t>& selected,
                 platform::FileOps& files, std::string_view firstFolder, std::string_view secondFolder) {
    Undo(lists, files, firstFolder, secondFolder).Run(activeList, selected);
}

}  // namespace review
