#include "engine/undo.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/file_helpers.h"
#include "engine/name_key.h"
#include "engine/removal.h"
#include "platform/recycle_bin.h"

namespace engine {

namespace {

// The item stands as the Sync left it: there or not, and a file with the same size and last-write time.
bool AsLeft(const ItemState& now, const ItemState& left) {
    if (now.present != left.present) return false;
    if (!left.present) return true;
    if (left.folder) return now.folder;
    return !now.folder && now.size == left.size && now.lastWrite == left.lastWrite;
}

std::string WhyChanged(const ItemState& now) { return now.present ? "changed since the Sync" : "gone since the Sync"; }

constexpr const char* kForGood = "deleted for good by the Sync: cannot be put back";

// A second undo finishes one that was stopped: an item that stands as it did before the Sync counts as
// back, and nothing is done to it twice.
bool AlreadyBack(const ItemState& now, const ItemRecord& r) { return AsLeft(now, r.before); }
constexpr const char* kAlreadyBack = "already back";

class Undoer final : public SyncLog {
public:
    Undoer(platform::FileOps& files, RunView& view, const SyncOptions& options, UndoLog* log, size_t total)
        : files_(files), view_(view), options_(options), log_(log), total_(total) {
        options_.log = this;
    }

    void Pair(const PairRecords& pair) {
        pair_ = &pair;
        Removal removal(files_, options_, view_, pair.first, pair.second);
        std::vector<const ItemRecord*> items;
        for (auto r = pair.items.rbegin(); r != pair.items.rend(); ++r)
            if (Undoable(*r)) items.push_back(&*r);
        auto of = [&](auto test) {
            std::vector<const ItemRecord*> some;
            std::copy_if(items.begin(), items.end(), std::back_inserter(some), [&](const ItemRecord* r) { return test(*r); });
            return some;
        };
        // Outermost first: what was in them comes back into them.
        MakeFoldersAgain(of([](const ItemRecord& r) { return r.outcome == Outcome::Deleted && r.folder; }));
        MoveBack(of([](const ItemRecord& r) { return r.outcome == Outcome::Moved; }));
        PutBack(of([](const ItemRecord& r) { return !r.folder && (r.outcome == Outcome::Recycled || r.outcome == Outcome::Deleted); }));
        Revert(of([](const ItemRecord& r) { return r.outcome == Outcome::Replaced; }), pair);
        RemoveCopies(of([](const ItemRecord& r) { return r.outcome == Outcome::Copied; }), removal);
        // The folders are judged once the files in them have left.
        removal.Flush();
        RemoveFolders(of([](const ItemRecord& r) { return r.outcome == Outcome::FolderCreated; }));
        removal.Finish();
    }

    UndoCounts counts;

private:
    std::string Full(Side side, std::string_view relative) const {
        return (side == Side::First ? pair_->first : pair_->second) + "\\" + std::string(relative);
    }
    std::string Full(const ItemRecord& r) const { return Full(r.side, r.path); }

    // Before each item: the progress, messages run, and a Stop leaves this item and every later one.
    bool Reached(const ItemRecord& r) {
        if (!stopped_) {
            ++done_;
            view_.SetProgress(static_cast<int>(done_ * 100 / std::max<size_t>(total_, 1)));
            view_.ProcessMessages();
            stopped_ = view_.StopRequested();
        }
        if (stopped_) Tell(UndoOutcome::Stopped, r, "stopped");
        return !stopped_;
    }

    void Tell(UndoOutcome outcome, const ItemRecord& r, std::string detail = {}) {
        if (outcome == UndoOutcome::NotUndone || outcome == UndoOutcome::Stopped) ++counts.notUndone;
        else ++counts.undone;
        if (log_) log_->Record({outcome, r.side, r.path, r.folder, std::move(detail)});
    }

    int Intend(const WorkIntent& intent) override { return log_ ? log_->Intend(intent) : 0; }

    // What the removal owner did with what the undo gave it.
    void Record(const ItemRecord& r) override {
        if (log_ && r.intent) log_->Settled(r.intent);
        if (collect_) {
            collect_->push_back(r);
            return;
        }
        if (r.deletion) {  // a file the Sync copied new
            if (r.outcome == Outcome::Recycled) Tell(UndoOutcome::Removed, r, "to the Recycle Bin");
            else if (r.outcome == Outcome::Deleted) Tell(UndoOutcome::Removed, r, "deleted for good " + r.detail);
            else Tell(UndoOutcome::NotUndone, r, r.detail);
        } else {
            Tell(UndoOutcome::NotUndone, r, r.detail);
        }
    }

    void MakeFoldersAgain(const std::vector<const ItemRecord*>& folders) {
        for (const ItemRecord* r : folders) {
            if (!Reached(*r)) continue;
            std::string path = Full(*r);
            ItemState now = ItemStateOf(files_, path);
            if (r->detail == "the folder link alone") {
                Tell(UndoOutcome::NotUndone, *r, "a folder link is not made again");
                continue;
            }
            if (now.present && !now.folder) {
                Tell(UndoOutcome::NotUndone, *r, "a file has its name now");
                continue;
            }
            if (!now.present) CreateFolderChain(files_, path);
            if (files_.FolderExists(path)) Tell(UndoOutcome::FolderMade, *r);
            else Tell(UndoOutcome::NotUndone, *r, platform::LastErrorText());
        }
    }

    // A move within a side goes back the way it came, with all a folder holds, as long as the item is
    // as the Sync left it and nothing has taken its old name.
    void MoveBack(const std::vector<const ItemRecord*>& moves) {
        for (const ItemRecord* r : moves) {
            if (!Reached(*r)) continue;
            std::string now = Full(*r);
            std::string old = Full(r->side, r->movedFrom);
            ItemState state = ItemStateOf(files_, now);
            if (!AsLeft(state, r->after)) {
                Tell(UndoOutcome::NotUndone, *r, WhyChanged(state));
                continue;
            }
            if (ItemStateOf(files_, old).present) {
                Tell(UndoOutcome::NotUndone, *r, "something has its old name now");
                continue;
            }
            CreateFolderChain(files_, FolderPart(old));
            if (!files_.Rename(now, old)) {
                Tell(UndoOutcome::NotUndone, *r, platform::LastErrorText());
                continue;
            }
            ++counts.undone;
            if (log_) log_->Record({UndoOutcome::MovedBack, r->side, r->movedFrom, r->folder, r->path});
        }
    }

    // Asks the bin for the items the records name (each recycled from its place, in its window, of the
    // size it had there), in one reading of it. Not stoppable: what must come back so that no name is left
    // empty, and a second undo finds each item as the Sync left it or as it was before.
    std::vector<bool> FromTheBin(const std::vector<platform::BinItem>& items, bool stoppable = true) {
        if (items.empty() || !options_.recycleBin) return std::vector<bool>(items.size(), false);
        return options_.recycleBin->Restore(items, [&] {
            view_.ProcessMessages();
            stopped_ = stopped_ || view_.StopRequested();
            return !stopped_ || !stoppable;
        });
    }

    static platform::BinItem InTheBin(const ItemRecord& r) {
        return {r.binPath, r.recycledFrom, r.recycledUntil, r.before.size, r.before.lastWrite};
    }

    void NotBack(const ItemRecord& r, std::string_view what) {
        if (stopped_) Tell(UndoOutcome::Stopped, r, "stopped");
        else Tell(UndoOutcome::NotUndone, r, std::string(what) + " is no longer in the Recycle Bin");
    }

    void PutBack(const std::vector<const ItemRecord*>& files) {
        std::vector<const ItemRecord*> asked;
        for (const ItemRecord* r : files) {
            if (!Reached(*r)) continue;
            if (r->outcome == Outcome::Deleted) {
                Tell(UndoOutcome::NotUndone, *r, kForGood);
                continue;
            }
            ItemState now = ItemStateOf(files_, Full(*r));
            if (AlreadyBack(now, *r)) {
                Tell(UndoOutcome::PutBack, *r, kAlreadyBack);
                continue;
            }
            // Nothing the user put there since is overwritten.
            if (now.present) {
                Tell(UndoOutcome::NotUndone, *r, "a file has its name now");
                continue;
            }
            asked.push_back(r);
        }
        std::vector<platform::BinItem> items;
        for (const ItemRecord* r : asked) items.push_back(InTheBin(*r));
        std::vector<bool> back = FromTheBin(items);
        for (size_t i = 0; i < asked.size(); ++i) {
            const ItemRecord& r = *asked[i];
            if (!back[i]) NotBack(r, "it");
            else if (AsLeft(ItemStateOf(files_, Full(r)), r.before)) Tell(UndoOutcome::PutBack, r, "from the Recycle Bin");
            else Tell(UndoOutcome::NotUndone, r, "what came back from the Recycle Bin is another copy");
        }
    }

    // The newer copy leaves by its own name, into the bin, as the old one left in the Sync; then the old
    // one comes back from the bin into its place. An old copy that cannot come back brings the newer one
    // back, so the file is never left empty.
    void Revert(const std::vector<const ItemRecord*>& replaced, const PairRecords& pair) {
        std::vector<const ItemRecord*> asked;
        for (const ItemRecord* r : replaced) {
            if (!Reached(*r)) continue;
            ItemState now = ItemStateOf(files_, Full(*r));
            if (AlreadyBack(now, *r)) Tell(UndoOutcome::Reverted, *r, kAlreadyBack);
            else if (!AsLeft(now, r->after)) Tell(UndoOutcome::NotUndone, *r, WhyChanged(now));
            else if (r->binPath.empty()) Tell(UndoOutcome::NotUndone, *r, kForGood);
            else asked.push_back(r);
        }
        if (asked.empty()) return;
        std::vector<ItemRecord> newer;
        {
            // Nobody is asked about a newer copy the bin will not take: the old one then stays out.
            SyncOptions quiet = options_;
            quiet.unattended = true;
            Removal removal(files_, quiet, view_, pair.first, pair.second);
            collect_ = &newer;
            for (const ItemRecord* r : asked) {
                ItemRecord removing(Outcome::Deleted, r->side, r->path, false, true);
                removing.before = removing.after = r->after;
                removal.RemoveFile(std::move(removing), Full(*r), r->after.size);
            }
            removal.Finish();
            collect_ = nullptr;
        }
        // Told in the order the bin settled them, not asked.
        std::map<std::pair<Side, std::string>, const ItemRecord*> fate;
        for (const ItemRecord& n : newer) fate[{n.side, NameKey(n.path)}] = &n;
        std::vector<const ItemRecord*> inBin, newerInBin;
        std::vector<platform::BinItem> olds;
        for (const ItemRecord* r : asked) {
            auto n = fate.find({r->side, NameKey(r->path)});
            if (n != fate.end() && n->second->outcome == Outcome::Recycled) {
                inBin.push_back(r);
                newerInBin.push_back(n->second);
                olds.push_back(InTheBin(*r));
            } else {
                Tell(UndoOutcome::NotUndone, *r,
                     n == fate.end() ? "stopped"
                     : n->second->outcome == Outcome::LeftInPlace ? "the Recycle Bin cannot take the newer copy"
                                                                  : n->second->detail);
            }
        }
        std::vector<bool> back = FromTheBin(olds);
        std::vector<platform::BinItem> again;
        std::vector<const ItemRecord*> lost;
        for (size_t i = 0; i < inBin.size(); ++i) {
            const ItemRecord& r = *inBin[i];
            if (back[i] && AsLeft(ItemStateOf(files_, Full(r)), r.before)) {
                Tell(UndoOutcome::Reverted, r, "the newer copy is in the Recycle Bin");
                continue;
            }
            lost.push_back(&r);
            const ItemRecord& n = *newerInBin[i];
            again.push_back({n.binPath, n.recycledFrom, n.recycledUntil, r.after.size, r.after.lastWrite});
        }
        std::vector<bool> newerBack = FromTheBin(again, false);
        for (size_t i = 0; i < lost.size(); ++i) {
            if (stopped_) Tell(UndoOutcome::Stopped, *lost[i], "stopped");
            else Tell(UndoOutcome::NotUndone, *lost[i],
                      std::string("its old copy is no longer in the Recycle Bin: ") +
                          (newerBack[i] ? "the newer copy is back" : "the newer copy is in the Recycle Bin"));
        }
    }

    void RemoveCopies(const std::vector<const ItemRecord*>& copies, Removal& removal) {
        for (const ItemRecord* r : copies) {
            if (!Reached(*r)) continue;
            std::string path = Full(*r);
            ItemState now = ItemStateOf(files_, path);
            if (AlreadyBack(now, *r)) {
                Tell(UndoOutcome::Removed, *r, kAlreadyBack);
                continue;
            }
            if (!AsLeft(now, r->after)) {
                Tell(UndoOutcome::NotUndone, *r, WhyChanged(now));
                continue;
            }
            ItemRecord removing(Outcome::Deleted, r->side, r->path, false, true);
            removing.before = removing.after = now;
            removal.RemoveFile(std::move(removing), std::move(path), now.size);
        }
    }

    void RemoveFolders(std::vector<const ItemRecord*> folders) {
        // Innermost first; a folder the Sync made for its files and listed as well is one folder.
        std::stable_sort(folders.begin(), folders.end(),
                         [](const ItemRecord* a, const ItemRecord* b) { return Depth(a->path) > Depth(b->path); });
        std::set<std::string> seen;
        for (const ItemRecord* r : folders) {
            if (!seen.insert(std::to_string(static_cast<int>(r->side)) + NameKey(r->path)).second) continue;
            if (!Reached(*r)) continue;
            std::string path = Full(*r);
            ItemState now = ItemStateOf(files_, path);
            if (!now.present) Tell(UndoOutcome::FolderRemoved, *r);
            else if (!now.folder) Tell(UndoOutcome::NotUndone, *r, "a file has its name now");
            else if (HoldsAnything(files_, path)) Tell(UndoOutcome::NotUndone, *r, "it holds items");
            else if (files_.RemoveFolder(path)) Tell(UndoOutcome::FolderRemoved, *r);
            else Tell(UndoOutcome::NotUndone, *r, platform::LastErrorText());
        }
    }

    platform::FileOps& files_;
    RunView& view_;
    SyncOptions options_;
    UndoLog* log_;
    const PairRecords* pair_ = nullptr;
    std::vector<ItemRecord>* collect_ = nullptr;  // while set, what the removal owner tells goes there
    size_t total_, done_ = 0;
    bool stopped_ = false;
};

}  // namespace

bool Undoable(const ItemRecord& r) {
    switch (r.outcome) {
    case Outcome::Copied:
    case Outcome::Replaced:
    case Outcome::Moved: return true;  // what moved with its folder goes back with it
    case Outcome::FolderCreated: return !r.before.present;  // a folder that was there stays
    case Outcome::Recycled: return !r.extra;                // an old copy a cut-off Sync left stays gone
    case Outcome::Deleted: return r.before.present;  // not one that was gone already
    default: return false;
    }
}

size_t UndoableItems(const std::vector<PairRecords>& pairs) {
    size_t n = 0;
    for (const PairRecords& pair : pairs) n += static_cast<size_t>(std::count_if(pair.items.begin(), pair.items.end(), Undoable));
    return n;
}

size_t LostItems(const std::vector<PairRecords>& pairs) {
    size_t n = 0;
    for (const PairRecords& pair : pairs)
        for (const ItemRecord& r : pair.items)
            n += Undoable(r) && !r.folder &&
                 ((r.outcome == Outcome::Deleted) || (r.outcome == Outcome::Replaced && r.binPath.empty()));
    return n;
}

UndoCounts UndoSync(platform::FileOps& files, const std::vector<PairRecords>& pairs, RunView& view,
                    const SyncOptions& options, UndoLog* log) {
    view.SetStepCaption("Undoing Sync");
    Undoer undoer(files, view, options, log, UndoableItems(pairs));
    for (const PairRecords& pair : pairs) {
        if (log) log->BeginPair(pair.first, pair.second);
        undoer.Pair(pair);
    }
    view.SetProgress(0);
    return undoer.counts;
}

}  // namespace engine
