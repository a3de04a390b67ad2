#include "engine/memory_pass.h"

#include <algorithm>
#include <map>
#include <string>
#include <unordered_map>
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

constexpr int kFirst = 0, kSecond = 1;
constexpr Side SideOf(int side) { return side == kFirst ? Side::First : Side::Second; }

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

// Entries of the plan named by their text (a view into the item lists, which the pass does not change)
// and their kind: a file may be named like a folder entry.
template <class Value>
struct ByEntry {
    std::unordered_map<std::string_view, Value> kinds[2];  // files, folders
    void Set(std::string_view text, bool folder, Value value) { kinds[folder][text] = value; }
    const Value* Find(std::string_view text, bool folder) const {
        auto at = kinds[folder].find(text);
        return at == kinds[folder].end() ? nullptr : &at->second;
    }
    bool empty() const { return kinds[0].empty() && kinds[1].empty(); }
};
using Marked = ByEntry<bool>;

// The folders above a relative path, nearest first, each with the rest of the path below it:
// Sub\Inner\a.txt gives (Sub\Inner, a.txt) and (Sub, Inner\a.txt).
template <class Visit>
void ForEachFolderAbove(std::string_view path, Visit visit) {
    for (size_t cut = path.rfind('\\'); cut != std::string_view::npos && cut > 0; cut = path.rfind('\\', cut - 1))
        if (!visit(path.substr(0, cut), path.substr(cut + 1))) return;
}

class Pass {
public:
    Pass(SyncLists& lists, ByteTotals& totals, MemoryUse& use, const Unseen& unseen, bool mirrorLocal, bool ignoreHour)
        : lists_(lists), items_{&lists.lvLocal, &lists.lvRemote}, local_(lists.lvLocal), remote_(lists.lvRemote),
          totals_(totals), use_(use), memory_(use.memory), unseen_(unseen), mirror_(mirrorLocal), ignoreHour_(ignoreHour) {}

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
                if (l == Counterparts::kNone) OneSided(kSecond, r);
                else Both(r, l);
            }
            if (matched.localJudged)
                for (size_t l = 0; l < local_.size(); ++l)
                    if (!matched.localMatched[l]) OneSided(kFirst, l);
            use_.complete = matched.remoteJudged == remote_.size() && matched.localJudged;
            for (int side : {kFirst, kSecond}) FindMoves(side);
            FindRenamesOnBothSides();
        }
        Rewrite();
        memory_.Seal();
    }

private:
    // An item on one side only, and what its memory says of it.
    struct Gone {
        size_t index;  // where it still is
        const PairMemory::Item* remembered;
        bool taken = false;  // the source of a move planned instead of its deletion
    };

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
        if (order > 0 && !mirror_) dropLocalUpdate_.Set(remote_.PathAsFound(r), false, true);
        if (order < 0) dropRemoteUpdate_.Set(local_.PathAsFound(l), false, true);
    }

    // An entry found on one side only. In step after the last Sync and as it was since: deleted on the
    // other side meanwhile, unless a scan did not see where it would be. Unknown to the memory: new, or
    // moved there. A mirror copies back what the Second Folder lacks, as it copies everything there.
    void OneSided(int side, size_t i) {
        const ItemList& list = *items_[side];
        const bool intoOther = side == kFirst || !mirror_;  // the evaluation planned it into the other side
        const PairMemory::Item* m = Remembered(list, i);
        std::string_view path = list.PathAsFound(i);
        bool unseen = list.Link(i) || unseen_.Below(EntryPath(path, list.Folder(i)));
        oneSided_[side].push_back(i);
        if (!m) {
            if (!unseen && intoOther) fresh_[side].push_back(i);
            return;
        }
        if (side == kFirst && mirror_) return;
        if (!PairMemory::Unchanged(list, i, *m, ignoreHour_)) {
            if (intoOther) use_.deletedChanged.push_back({SideOf(side), std::string(path)});
            return;
        }
        if (unseen) return;
        if (intoOther) (side == kFirst ? dropRemoteAdd_ : dropLocalAdd_).Set(path, list.Folder(i), true);
        gone_[side].push_back({i, m});
    }

    // Moves made in side moved (the item gone from its remembered place there, its deletion carried over
    // into the other side, and found new elsewhere in side moved with the same identity, size and time)
    // become the same moves in the other side.
    void FindMoves(int moved) {
        const int kept = 1 - moved;  // where the item still stands at its old place, and is to be moved
        std::vector<Gone>& gone = gone_[kept];
        const ItemList& fresh = *items_[moved];
        if (gone.empty() || fresh_[moved].empty()) return;
        // By the identity the moved side's volume gives the file, where both are known.
        std::unordered_map<std::uint32_t, size_t> byIdentity;
        for (size_t g = 0; g < gone.size(); ++g) {
            std::uint32_t identity = gone[g].remembered->identity[moved];
            if (gone[g].remembered->size < 0 || identity == 0) continue;  // folders: moved with their files, below
            auto [at, added] = byIdentity.try_emplace(identity, g);
            if (!added) at->second = kNone;  // a file of several names: no move by it
        }
        // Where either is unknown (FAT, a share): by name and size, and only where one candidate is left.
        auto nameKey = [](std::string_view path, ByteCount size) {
            return NameKey(NamePart(path)) + '\0' + std::to_string(size);
        };
        std::unordered_map<std::string, std::vector<size_t>> freshByName, byName;
        for (size_t q : fresh_[moved]) {
            if (fresh.Folder(q)) continue;
            auto at = fresh.Identity(q) == 0 ? byIdentity.end() : byIdentity.find(fresh.Identity(q));
            if (at != byIdentity.end()) {
                if (at->second != kNone && !gone[at->second].taken && Renamed(fresh, q, *gone[at->second].remembered))
                    PlanMove(kept, gone[at->second], q);
                continue;
            }
            freshByName[nameKey(fresh.PathAsFound(q), fresh.Size(q))].push_back(q);
        }
        if (!freshByName.empty())
            for (size_t g = 0; g < gone.size(); ++g)
                if (gone[g].remembered->size >= 0 && !gone[g].taken)
                    byName[nameKey(items_[kept]->PathAsFound(gone[g].index), gone[g].remembered->size)].push_back(g);
        for (const auto& [key, qs] : freshByName) {
            auto candidates = byName.find(key);
            if (candidates == byName.end()) continue;
            // Each candidate that could be this file: unchanged, and not known by its identity to be another.
            auto match = [&](size_t q, size_t g) {
                std::uint32_t was = gone[g].remembered->identity[moved], now = fresh.Identity(q);
                return !gone[g].taken && (was == 0 || now == 0 || was == now) &&
                       PairMemory::Unchanged(fresh, q, *gone[g].remembered, ignoreHour_);
            };
            for (size_t q : qs) {
                std::vector<size_t> its;
                for (size_t g : candidates->second)
                    if (match(q, g)) its.push_back(g);
                if (its.size() != 1) continue;
                if (std::count_if(qs.begin(), qs.end(), [&](size_t other) { return match(other, its[0]); }) == 1)
                    PlanMove(kept, gone[its[0]], q);
            }
        }
        // A file moved with its folder is told with the folder.
        std::vector<std::string> folders = FindFolderMoves(kept);
        for (const FileMove& move : fileMoves_[kept]) {
            std::string from = NameKey(move.from);
            if (std::none_of(folders.begin(), folders.end(), [&](const std::string& f) { return from.starts_with(f + "\\"); }))
                use_.moves.push_back({SideOf(kept), std::string(move.from), std::string(move.to)});
        }
    }

    // A file found by its identity (which holds its exact time on its side) is the remembered one renamed
    // when its size and its time, as the evaluation compares them, are as remembered.
    bool Renamed(const ItemList& list, size_t i, const PairMemory::Item& remembered) const {
        return PairMemory::Unchanged(list, i, remembered, ignoreHour_);
    }

    void PlanMove(int kept, Gone& gone, size_t q) {
        gone.taken = true;
        const ItemList& from = *items_[kept];
        const ItemList& to = *items_[1 - kept];
        std::string_view fromPath = from.PathAsFound(gone.index), toPath = to.PathAsFound(q);
        moveTo_[kept].Set(toPath, false, fromPath);
        fileMoves_[kept].push_back({fromPath, toPath});
    }

    // The code of a deletion carried over into side kept: the add list it would otherwise be in.
    static const char* DeletionCode(int kept) { return kept == kFirst ? kFromSecondAdd : kFromFirstAdd; }

    // A folder whose files all moved to one new folder, under the same names, is that folder renamed or
    // moved: one move of the folder, with all it holds. Only where nothing else stands in the old folder.
    // Returns the old folders so moved (name keys).
    std::vector<std::string> FindFolderMoves(int kept) {
        const int moved = 1 - kept;
        const ItemList& old = *items_[kept];
        const ItemList& now = *items_[moved];
        // The old folders whose deletion is carried over, and the new folders in the moved side.
        std::unordered_map<std::string, Gone*> goneFolders;
        std::unordered_map<std::string, size_t> freshFolders;
        for (Gone& g : gone_[kept])
            if (old.Folder(g.index)) goneFolders.emplace(NameKey(EntryPath(old.PathAsFound(g.index), true)), &g);
        for (size_t q : fresh_[moved])
            if (now.Folder(q)) freshFolders.emplace(NameKey(EntryPath(now.PathAsFound(q), true)), q);
        if (goneFolders.empty() || freshFolders.empty()) return {};
        // (old folder, new folder) for every file moved from below the one to the same place below the other.
        std::map<std::pair<std::string, std::string>, size_t> filesMoved;
        for (const FileMove& move : fileMoves_[kept]) {
            std::string from = NameKey(move.from), to = NameKey(move.to);
            ForEachFolderAbove(from, [&](std::string_view a, std::string_view tail) {
                size_t cut = to.size() - std::min(to.size(), tail.size() + 1);
                if (cut == 0 || to[cut] != '\\' || !to.ends_with(tail)) return false;
                std::string b = to.substr(0, cut);
                if (goneFolders.contains(std::string(a)) && freshFolders.contains(b)) ++filesMoved[{std::string(a), b}];
                return true;
            });
        }
        if (filesMoved.empty()) return {};
        // Everything on the kept side below each candidate old folder must go with it.
        std::unordered_map<std::string, size_t> below;
        std::unordered_set<std::string> candidates;
        for (const auto& [pair, files] : filesMoved) candidates.insert(pair.first);
        for (size_t i : oneSided_[kept])
            ForEachFolderAbove(NameKey(EntryPath(old.PathAsFound(i), old.Folder(i))), [&](std::string_view a, std::string_view) {
                if (candidates.contains(std::string(a))) ++below[std::string(a)];
                return true;
            });
        // Outermost first: a folder moved with its parent is no move of its own.
        std::vector<std::pair<std::string, std::string>> chosen;
        for (const auto& [pair, files] : filesMoved) {
            const std::string &a = pair.first, &b = pair.second;
            if (b.starts_with(a + "\\") || a.starts_with(b + "\\")) continue;
            // Its files, and each folder in it with the same folder in the new one.
            size_t covered = files;
            bool folders = true;
            for (const auto& [key, gone] : goneFolders)
                if (key.starts_with(a + "\\")) {
                    folders = folders && freshFolders.contains(b + key.substr(a.size()));
                    ++covered;
                }
            if (folders && covered == below[a]) chosen.push_back(pair);
        }
        std::sort(chosen.begin(), chosen.end(), [](const auto& x, const auto& y) { return Depth(x.first) < Depth(y.first); });
        std::vector<std::string> movedFolders;
        for (const auto& move : chosen) {
            const std::string &a = move.first, &b = move.second;
            if (std::any_of(movedFolders.begin(), movedFolders.end(), [&](const std::string& f) { return a.starts_with(f + "\\"); }))
                continue;
            movedFolders.push_back(a);
            for (const auto& [key, gone] : goneFolders) {
                if (key != a && !key.starts_with(a + "\\")) continue;
                gone->taken = true;
                std::string_view fromPath = old.PathAsFound(gone->index);
                std::string_view toPath = now.PathAsFound(freshFolders.at(b + key.substr(a.size())));
                moveTo_[kept].Set(toPath, true, fromPath);
                if (key == a) use_.moves.push_back({SideOf(kept), std::string(fromPath), std::string(toPath)});
            }
        }
        return movedFolders;
    }

    // Remembered items gone from their place on both sides, renamed on each to a different new name (the
    // same identity, size and time on each side): neither rename wins; both wait in the ignore lists, and
    // the memory keeps the item for the next Load, which finds the same.
    void FindRenamesOnBothSides() {
        if (mirror_ || fresh_[kFirst].empty() || fresh_[kSecond].empty()) return;
        std::unordered_map<std::uint32_t, size_t> byIdentity[2];
        for (int side : {kFirst, kSecond})
            for (size_t q : fresh_[side])
                if (!items_[side]->Folder(q) && items_[side]->Identity(q) != 0)
                    byIdentity[side].emplace(items_[side]->Identity(q), q);
        if (byIdentity[kFirst].empty() || byIdentity[kSecond].empty()) return;
        std::vector<const PairMemory::Item*> renamed;
        memory_.ForEachUnkept([&](const PairMemory::Item& m) {
            if (m.size < 0) return;
            auto l = byIdentity[kFirst].find(m.identity[kFirst]), r = byIdentity[kSecond].find(m.identity[kSecond]);
            if (l == byIdentity[kFirst].end() || r == byIdentity[kSecond].end()) return;
            if (!Renamed(local_, l->second, m) || !Renamed(remote_, r->second, m)) return;
            renamed.push_back(&m);
            std::string first(local_.PathAsFound(l->second)), second(remote_.PathAsFound(r->second));
            dropRemoteAdd_.Set(local_.PathAsFound(l->second), false, true);
            dropLocalAdd_.Set(remote_.PathAsFound(r->second), false, true);
            Code(lists_.lignfile1, local_, l->second, kFromSecondAdd);
            Code(lists_.rignfile1, remote_, r->second, kFromFirstAdd);
            use_.renamedBoth.push_back({Side::First, std::move(first), std::move(second)});
        });
        for (const PairMemory::Item* m : renamed) memory_.Keep(m);
    }

    void Add(ResultList& list, ByteCount& total, const ItemList& items, size_t i) {
        list.Add(ResultEntry{std::string(items.PathAsFound(i)), items.Size(i), items.Folder(i)});
        total += items.Size(i);
    }

    static void Code(CodedList& list, const ItemList& items, size_t i, const char* code) {
        list.Add(std::string(items.PathAsFound(i)) + code, items.Folder(i));
    }

    // The evaluation's entries that the memory replaced leave its lists, each list in one pass, the
    // deletions carried over go to the delete lists (but those a move replaced), and the adds that are
    // moves say so: nothing is copied for them.
    void Rewrite() {
        auto drop = [](ResultList& list, ByteCount& total, const Marked& entries) {
            if (entries.empty()) return;
            total -= list.RemoveIf([&](const ResultEntry& e) { return entries.Find(e.text, e.folder) != nullptr; });
        };
        drop(lists_.lFileAdd1, totals_.local.add, dropLocalAdd_);
        drop(lists_.rFileAdd1, totals_.remote.add, dropRemoteAdd_);
        drop(lists_.lUpdate1, totals_.local.update, dropLocalUpdate_);
        drop(lists_.rUpdate1, totals_.remote.update, dropRemoteUpdate_);
        CodedList* deletions[] = {&lists_.ldelfile1, &lists_.rdelfile1};
        ResultList* adds[] = {&lists_.lFileAdd1, &lists_.rFileAdd1};
        ByteCount* addTotals[] = {&totals_.local.add, &totals_.remote.add};
        for (int kept : {kFirst, kSecond}) {
            for (const Gone& g : gone_[kept])
                if (!g.taken)
                    deletions[kept]->Add(std::string(items_[kept]->PathAsFound(g.index)) + DeletionCode(kept),
                                         items_[kept]->Folder(g.index));
            if (moveTo_[kept].empty()) continue;
            adds[kept]->ChangeEach([&](ResultEntry& e) {
                const std::string_view* from = moveTo_[kept].Find(e.text, e.folder);
                if (!from) return;
                e.movedFrom = *from;
                *addTotals[kept] -= e.size;
                e.size = 0;
            });
        }
    }

    struct FileMove {
        std::string_view from, to;  // paths as found: the kept side's old place, the moved side's new one
    };

    SyncLists& lists_;
    const ItemList* items_[2];
    const ItemList& local_;
    const ItemList& remote_;
    ByteTotals& totals_;
    MemoryUse& use_;
    PairMemory& memory_;
    const Unseen& unseen_;
    bool mirror_, ignoreHour_;
    Marked dropLocalAdd_, dropRemoteAdd_, dropLocalUpdate_, dropRemoteUpdate_;
    // By side: the deletions carried over into it, what is new in it, and all it alone holds (what a
    // scan saw), then the moves planned in it and the deletions those replace.
    std::vector<Gone> gone_[2];
    std::vector<size_t> fresh_[2], oneSided_[2];
    std::vector<FileMove> fileMoves_[2];
    ByEntry<std::string_view> moveTo_[2];  // add entry -> the path it moves from
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
