#include "engine/memory_pass.h"

#include <string>
#include <unordered_set>

#include "engine/file_helpers.h"
#include "engine/name_key.h"

namespace engine {

namespace {

// Codes of the coded lists: the add or update list an entry would otherwise be in.
constexpr const char* kFromFirstAdd = " 1";   // lFileAdd1
constexpr const char* kFromSecondAdd = " 2";  // rFileAdd1
constexpr const char* kFromFirstUpdate = " 5";
constexpr const char* kFromSecondUpdate = " 6";

// The folders whose content a scan did not see, on either side.
class Unseen {
public:
    explicit Unseen(const std::vector<FolderNotRead>& folders) {
        for (const FolderNotRead& f : folders) {
            if (f.path.empty()) all_ = true;
            else keys_.insert(NameKey(f.path));
        }
    }
    // Whether the item (a relative path) lies below such a folder, on either side.
    bool Below(std::string_view relative) const {
        if (all_) return true;
        if (keys_.empty()) return false;
        std::string key = NameKey(relative);
        for (size_t cut = key.find('\\'); cut != std::string::npos; cut = key.find('\\', cut + 1))
            if (keys_.contains(key.substr(0, cut))) return true;
        return false;
    }

private:
    bool all_ = false;
    std::unordered_set<std::string> keys_;
};

// A result entry as the pass names it for removal: its text, and its kind in the last character.
std::string EntryKey(std::string_view text, bool folder) { return std::string(text) + (folder ? '\1' : '\0'); }

class Pass {
public:
    Pass(SyncLists& lists, ByteTotals& totals, MemoryUse& use, const Unseen& unseen, bool mirrorLocal, bool ignoreHour)
        : lists_(lists), local_(lists.lvLocal), remote_(lists.lvRemote), totals_(totals), use_(use),
          memory_(use.memory), unseen_(unseen), mirror_(mirrorLocal), ignoreHour_(ignoreHour) {}

    void Run(const Counterparts& matched) {
        memory_.BeginEvaluation();
        if (local_.empty() != remote_.empty()) {
            // A side found empty may be a drive not there: nothing is deleted for what it lacks, and what
            // was remembered of the other side's items stays for a later Sync.
            const ItemList& full = local_.empty() ? remote_ : local_;
            for (size_t i = 0; i < full.size(); ++i) Remembered(full, i);
            use_.complete = true;
        } else {
            for (size_t r = 0; r < matched.remoteJudged; ++r) {
                std::uint32_t l = matched.ofRemote[r];
                if (l == Counterparts::kNone) SecondOnly(r);
                else Both(r, l);
            }
            if (matched.localJudged)
                for (size_t l = 0; l < local_.size(); ++l)
                    if (!matched.localMatched[l]) FirstOnly(l);
            use_.complete = matched.remoteJudged == remote_.size() && matched.localJudged;
        }
        Rewrite();
        memory_.Seal();
    }

private:
    // What was remembered of an entry, kept for the memory the Sync leaves; null when nothing was.
    const PairMemory::Item* Remembered(const ItemList& list, size_t i) {
        const PairMemory::Item* m = memory_.Find(PairMemory::KeyOf(list.Caption(i), list.Folder(i)));
        if (m) memory_.Keep(m);
        return m;
    }

    void Both(size_t r, size_t l) {
        int order = CompareCopies(remote_, r, local_, l, ignoreHour_);
        if (order == 0) {
            memory_.Remember(PairMemory::InStep(local_, l, remote_, r));
            return;
        }
        const PairMemory::Item* m = Remembered(remote_, r);
        if (!m) return;
        bool remoteAsWas = PairMemory::Unchanged(remote_, r, *m, ignoreHour_);
        bool localAsWas = PairMemory::Unchanged(local_, l, *m, ignoreHour_);
        if (remoteAsWas == localAsWas) {
            // Changed on both sides since the last Sync: neither copy wins by its time alone.
            if (remoteAsWas) return;
            const ItemList& newer = order > 0 ? remote_ : local_;
            size_t at = order > 0 ? r : l;
            const char* code = order > 0 ? kFromFirstUpdate : kFromSecondUpdate;
            DropUpdate(order, r, l);
            Code(lists_.lignfile1, newer, at, code);
            Code(lists_.rignfile1, newer, at, code);
            use_.conflicts.emplace_back(newer.PathAsFound(at));
            return;
        }
        // Changed on one side only: that copy goes across, even where it is the older one (a version put
        // back from a backup). With Mirror Local Drive nothing goes into the First Folder, so the plan
        // stays as the times made it when the Second Folder's copy is the changed one.
        bool firstChanged = remoteAsWas;
        if (firstChanged == (order < 0) || (!firstChanged && mirror_)) return;
        DropUpdate(order, r, l);
        if (firstChanged) {
            Add(lists_.rUpdate1, totals_.remote.update, local_, l);
            use_.changedOlder.push_back({Side::First, std::string(local_.PathAsFound(l))});
        } else {
            Add(lists_.lUpdate1, totals_.local.update, remote_, r);
            use_.changedOlder.push_back({Side::Second, std::string(remote_.PathAsFound(r))});
        }
    }

    // The update entry the evaluation made for the pair, if it made one.
    void DropUpdate(int order, size_t r, size_t l) {
        if (order > 0 && !mirror_) dropLocalUpdate_.insert(EntryKey(remote_.PathAsFound(r), false));
        if (order < 0) dropRemoteUpdate_.insert(EntryKey(local_.PathAsFound(l), false));
    }

    void SecondOnly(size_t r) {
        const PairMemory::Item* m = Remembered(remote_, r);
        if (!m) return;
        // In step after the last Sync and as it was since: deleted in the First Folder meanwhile, unless a
        // scan did not see where it would be.
        std::string_view path = remote_.PathAsFound(r);
        if (PairMemory::Unchanged(remote_, r, *m, ignoreHour_)) {
            if (unseen_.Below(EntryPath(path, remote_.Folder(r))) || remote_.Link(r)) return;
            if (!mirror_) dropLocalAdd_.insert(EntryKey(path, remote_.Folder(r)));
            Code(lists_.rdelfile1, remote_, r, kFromFirstAdd);
        } else if (!mirror_) {
            use_.deletedChanged.push_back({Side::Second, std::string(path)});
        }
    }

    void FirstOnly(size_t l) {
        const PairMemory::Item* m = Remembered(local_, l);
        // A mirror copies it back, as it copies everything into the Second Folder.
        if (!m || mirror_) return;
        std::string_view path = local_.PathAsFound(l);
        if (PairMemory::Unchanged(local_, l, *m, ignoreHour_)) {
            if (unseen_.Below(EntryPath(path, local_.Folder(l))) || local_.Link(l)) return;
            dropRemoteAdd_.insert(EntryKey(path, local_.Folder(l)));
            Code(lists_.ldelfile1, local_, l, kFromSecondAdd);
        } else {
            use_.deletedChanged.push_back({Side::First, std::string(path)});
        }
    }

    void Add(ResultList& list, ByteCount& total, const ItemList& items, size_t i) {
        list.Add(ResultEntry{std::string(items.PathAsFound(i)), items.Size(i), items.Folder(i)});
        total += items.Size(i);
    }

    static void Code(CodedList& list, const ItemList& items, size_t i, const char* code) {
        list.Add(std::string(items.PathAsFound(i)) + code, items.Folder(i));
    }

    // The evaluation's entries that the memory replaced leave its lists, each list in one pass.
    void Rewrite() {
        auto drop = [](ResultList& list, ByteCount& total, const std::unordered_set<std::string>& keys) {
            if (keys.empty()) return;
            total -= list.RemoveIf([&](const ResultEntry& e) { return keys.contains(EntryKey(e.text, e.folder)); });
        };
        drop(lists_.lFileAdd1, totals_.local.add, dropLocalAdd_);
        drop(lists_.rFileAdd1, totals_.remote.add, dropRemoteAdd_);
        drop(lists_.lUpdate1, totals_.local.update, dropLocalUpdate_);
        drop(lists_.rUpdate1, totals_.remote.update, dropRemoteUpdate_);
    }

    SyncLists& lists_;
    const ItemList& local_;
    const ItemList& remote_;
    ByteTotals& totals_;
    MemoryUse& use_;
    PairMemory& memory_;
    const Unseen& unseen_;
    bool mirror_, ignoreHour_;
    std::unordered_set<std::string> dropLocalAdd_, dropRemoteAdd_, dropLocalUpdate_, dropRemoteUpdate_;
};

}  // namespace

void PlanWithMemory(SyncLists& lists, ByteTotals& totals, const Counterparts& matched,
                    const std::vector<FolderNotRead>& notRead, bool mirrorLocal, bool ignoreHour, MemoryUse& use) {
    Unseen unseen(notRead);
    Pass(lists, totals, use, unseen, mirrorLocal, ignoreHour).Run(matched);
}

void EvaluateWithMemory(SyncLists& lists, bool mirrorLocal, ByteTotals& totals, RunView& view, bool ignoreHour,
                        MemoryUse* use, const std::vector<FolderNotRead>& notRead) {
    if (!use) return EvaluateFolders(lists, mirrorLocal, totals, view, ignoreHour);
    Counterparts matched;
    EvaluateFolders(lists, mirrorLocal, totals, view, ignoreHour, &matched);
    PlanWithMemory(lists, totals, matched, notRead, mirrorLocal, ignoreHour, *use);
}

}  // namespace engine
